#!/usr/bin/env python3
"""The movie plays: a 550 x 400 movie whose only frame is a red background is
embedded in a page (by hand, by sorvane-cli convert or by a pasted generate
snippet), the page is served from 127.0.0.1 with the installed Flash player
emulator beside it, and headless Chromium takes screenshots.
Where the object is, the stage must be red when the page loads the player
(within DRAW_TIMEOUT), and not drawn at all when it does not, by the time the
player has drawn the other page.

usage: moviePlays.py --case CASE --make-movie MAKE_MOVIE --player-dir DIR
                     [--cli SORVANE_CLI] --shots OUTPUT_DIR
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

from playerTesting import PLAYER_FLAGS, Browser, BrowserError, Image, make_movie, served

STAGE = (550, 400)
WINDOW = (800, 600)
DRAW_TIMEOUT = 30  # seconds for the player to draw the stage

# The movie as an author's page embeds it.
OBJECT_MARKUP = (
    '<object classid="clsid:d27cdb6e-ae6d-11cf-96b8-444553540000" width="550" height="400" id="red">\r\n'
    '  <param name="movie" value="red.swf" />\r\n'
    '  <embed src="red.swf" width="550" height="400" name="red" type="application/x-shockwave-flash" />\r\n'
    '</object>')


def page(head, body):
    return ('<html>\r\n<head>\r\n<title>Red movie</title>\r\n' + head + '</head>\r\n'
            '<body style="margin:0">' + body + '</body>\r\n</html>\r\n')


class Failure(Exception):
    pass


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="") as out:
        out.write(text)


# ------------------------------------------------------------------ cases --
# Each case writes two pages into the site, one that should play the movie and
# one that should not, and returns their names: a page that loads the player
# itself, pages converted with and without --player, and the snippets that
# generate prints with and without --player, each pasted into a page.

def hand_written_include(site, args):
    write(os.path.join(site, "with.html"), page('<script src="player/ruffle.js"></script>\r\n', OBJECT_MARKUP))
    write(os.path.join(site, "without.html"), page("", OBJECT_MARKUP))
    return "with.html", "without.html"


def sorvane_cli(args, *arguments):
    result = subprocess.run([args.cli, *arguments], capture_output=True, check=True)
    return result.stdout.decode("utf-8")


def converted_page(site, args):
    player = os.path.join(site, "player", "ruffle.js")
    for name, options in (("with.html", ["--player", player]), ("without.html", [])):
        path = os.path.join(site, name)
        write(path, page("", OBJECT_MARKUP))
        sorvane_cli(args, "convert", "--no-backup", *options, path)
    return "with.html", "without.html"


def generated_snippet(site, args):
    movie = os.path.join(site, "red.swf")
    player = os.path.join(site, "player", "ruffle.js")
    for name, options in (("with.html", ["--player", player]), ("without.html", [])):
        write(os.path.join(site, name), page("", sorvane_cli(args, "generate", *options, movie)))
    return "with.html", "without.html"


CASES = {
    "ruffle": hand_written_include,
    "convert": converted_page,
    "generate": generated_snippet,
}


# --------------------------------------------------------------- browser --

def screenshot(tab, shot):
    with open(shot, "wb") as png:
        png.write(tab.screenshot())


def red_share(shot, x, y, width, height):
    """The share of red pixels in the rectangle, 0 to 1."""
    with open(shot, "rb") as png:
        return Image(png.read()).share("ff0000", x, y, width, height)


def check_plays(shot):
    # A margin inside the stage allows for the object's place in the line.
    inside = red_share(shot, 10, 10, STAGE[0] - 20, STAGE[1] - 20)
    if inside < 1.0:
        raise Failure("%s: only %.1f%% of the stage is red" % (shot, inside * 100))
    beside = red_share(shot, STAGE[0] + 20, 0, WINDOW[0] - STAGE[0] - 20, WINDOW[1])
    if beside > 0.0:
        raise Failure("%s: red beside the stage" % shot)


def check_does_not_play(shot):
    if red_share(shot, 0, 0, *WINDOW) > 0.0:
        raise Failure("%s: the movie was drawn without the player" % shot)


def run(args):
    os.makedirs(args.shots, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        site = os.path.join(work, "site")
        os.mkdir(site)
        make_movie(args.make_movie, os.path.join(site, "red.swf"), *STAGE, "ff0000")
        os.symlink(os.path.abspath(args.player_dir), os.path.join(site, "player"))
        plays, does_not_play = CASES[args.case](site, args)
        with served(site) as port, Browser(flags=PLAYER_FLAGS) as browser:
            root = "http://127.0.0.1:%d/" % port
            player, bare = browser.open_tab(), browser.open_tab()
            for tab in (player, bare):
                tab.set_viewport(*WINDOW)
            # The page without the player is loaded first and looked at last,
            # so it has had as long to draw as the player needed.
            bare.load(root + does_not_play)
            player.load(root + plays)
            shots = [os.path.join(args.shots, "%s_%s.png" % (args.case, os.path.splitext(name)[0]))
                     for name in (plays, does_not_play)]
            deadline = time.monotonic() + DRAW_TIMEOUT
            while True:
                screenshot(player, shots[0])
                try:
                    check_plays(shots[0])
                    break
                except Failure:
                    if time.monotonic() > deadline:
                        raise
                time.sleep(0.25)
            print("%s: plays" % plays, shots[0])
            screenshot(bare, shots[1])
            check_does_not_play(shots[1])
            print("%s: does not play" % does_not_play, shots[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--case", choices=sorted(CASES), required=True)
    parser.add_argument("--make-movie", required=True)
    parser.add_argument("--player-dir", required=True, help="the folder holding the installed ruffle.js")
    parser.add_argument("--cli")
    parser.add_argument("--shots", required=True)
    args = parser.parse_args()
    for program in ("chromium", "convert"):
        if shutil.which(program) is None:
            print("%s is missing (Debian packages chromium, imagemagick)" % program, file=sys.stderr)
            return 1
    try:
        run(args)
    except (Failure, BrowserError) as failure:
        print("FAIL:", failure, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
