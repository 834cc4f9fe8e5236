#!/usr/bin/env python3
"""Real pages play their movies again after one conversion with the player
that comes with Sorvane.

The Chromium suite's real-page fixtures (tests/browser/pages) are copied twice
into a work folder, and every movie a page names, where the browser resolves
its address, becomes a one-frame test movie of a colour of its own. One copy
is converted with `sorvane-cli convert -r --player bundled`, the other without
a player, and both are served from 127.0.0.1 (the player refuses pages opened
as files). Headless Chromium loads every converted page: with the player, the
colour of each block's movie must show in the middle of the element that the
block placed, once the player has taken it over; without, none of the page's
colours may show. A snippet of `sorvane-cli generate --player bundled`, pasted
into a page beside its movie, must play the same way.

A block that a browser would not show from its original markup either is
listed in NOT_SHOWN with the reason; every other block must be drawn.

usage: realPagesPlay.py --cli SORVANE_CLI --make-movie MAKE_TEST_MOVIE [--keep]
"""

import argparse
import colorsys
import dataclasses
import json
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path
from urllib.parse import unquote, urlsplit

from playerTesting import PLAYER_FLAGS, Browser, BrowserError, Image, make_movie, served

PAGES = Path(__file__).resolve().parent.parent / "browser" / "pages"

# Blocks that are not drawn for a reason of the page, not of the conversion:
# (page, block number in the page from 1) -> why a browser shows nothing there.
NOT_SHOWN = {}

# Pages the converter refuses by design (it converts 8-bit pages only), with
# the reason; their movies are not counted.
NOT_CONVERTED = {
    "utf-16le-bom.htm": "a UTF-16 page; the converter takes 8-bit pages only",
    "utf-16be-bom.htm": "a UTF-16 page; the converter takes 8-bit pages only",
}

STAGE = (200, 150)
VIEWPORT_WIDTH = 1000
DRAW_TIMEOUT = 30  # seconds for the player to draw every block of a page
WORKERS = 2  # tabs at once; the machine has two cores

# Run in every page before its own scripts: marks each outermost Flash element
# that a document.write places with the script that wrote it (its src as
# written, or its text) and the movie address it names. The player copies the attributes when it takes the element
# over, so the marks lead to its own element afterwards.
MARK_WRITTEN = r"""
(() => {
  const write = Document.prototype.write;
  const flash = () => new Set(document.querySelectorAll('object, embed'));
  const movieOf = (element) => {
    const param = [...element.children].find((child) =>
      child.localName === 'param' && /^(movie|src)$/i.test(child.getAttribute('name') || ''));
    const value = element.getAttribute('data') ?? element.getAttribute('src') ?? param?.getAttribute('value');
    try { return value === null || value === undefined ? '' : new URL(value, document.baseURI).href; }
    catch { return ''; }
  };
  Document.prototype.write = function (...markup) {
    const script = document.currentScript;
    const before = flash();
    const result = write.apply(this, markup);
    for (const element of flash()) {
      const outer = element.parentElement?.closest('object, embed');
      if (before.has(element) || (outer && !before.has(outer))) continue;
      element.setAttribute('data-written-by', script ? script.getAttribute('src') || script.textContent.trim() : '');
      element.setAttribute('data-movie', movieOf(element));
    }
    return result;
  };
})();
"""

# The marked elements as they are now: where they stand and whether they show.
PLACED = r"""
(() => ({
  height: document.documentElement.scrollHeight,
  placed: [...document.querySelectorAll('[data-written-by]')].map((element) => {
    const box = element.getBoundingClientRect();
    return {
      writer: element.getAttribute('data-written-by'), movie: element.getAttribute('data-movie'),
      tag: element.localName, x: box.left, y: box.top, width: box.width, height: box.height,
      visible: element.checkVisibility({visibilityProperty: true, opacityProperty: true}),
    };
  }),
}))()
"""

# Every movie address the page's Flash elements name, as the browser resolves them.
NAMED_MOVIES = r"""
[...document.querySelectorAll('object[data], embed[src], param')]
  .filter((e) => e.localName !== 'param' || /^(movie|src)$/i.test(e.getAttribute('name') || ''))
  .map((e) => new URL(e.getAttribute(e.localName === 'object' ? 'data' : e.localName === 'embed' ? 'src' : 'value'),
                      document.baseURI).href)
"""

# The movie of the snippet of generate, as a site path (see Run.site_path).
SNIPPET_MOVIE = "/generated/clip.swf"

CALL = re.compile(rb"<script language=\"JavaScript\"> (displaySWF_\d+\(\);) </script>")

# The page a user pastes a snippet into.
SNIPPET_PAGE = ('<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset="utf-8">\r\n<title>Snippet</title>\r\n'
                '</head>\r\n<body>\r\n<p>The movie:</p>\r\n{snippet}\r\n</body>\r\n</html>\r\n')


class Failure(Exception):
    pass


@dataclasses.dataclass
class Block:
    """One converted block of a page: the call that places it, and what the
    browser made of it."""
    page: str
    number: int
    writer: str
    movie: str = ""
    outcome: str = ""  # "drawn", or why not
    excluded: str = ""  # the reason from NOT_SHOWN

    @property
    def name(self):
        return f"{self.page} #{self.number}" + (f" ({self.movie})" if self.movie else "")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True, type=Path, help="the built sorvane-cli")
    parser.add_argument("--make-movie", required=True, type=Path, help="the built makeTestMovie")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()
    if shutil.which("convert") is None:
        print("convert is missing (Debian package imagemagick)", file=sys.stderr)
        return 1
    work = Path(tempfile.mkdtemp(prefix="sorvane-real-pages-play-"))
    started = time.monotonic()
    try:
        problems = Run(args, work).everything()
    except (Failure, BrowserError, OSError, subprocess.SubprocessError) as error:
        problems = [f"could not run: {error}"]
    for problem in problems:
        print("FAIL", problem)
    print(f"{time.monotonic() - started:.1f} s")
    if problems or args.keep:
        print(f"work folder kept: {work}")
    else:
        shutil.rmtree(work)
    return 1 if problems else 0


class Run:
    def __init__(self, args, work):
        self.args, self.work = args, work
        self.colours = {}  # site path of a movie -> its RRGGBB
        self._tabs = threading.local()

    def everything(self):
        for tree in ("with", "without"):
            shutil.copytree(PAGES, self.work / tree)
        with served(self.work) as port:
            self.origin = f"http://127.0.0.1:{port}"
            # Any other host is this server too: a page's <base> may send its
            # movies to one.
            rules = f"--host-resolver-rules=MAP * 127.0.0.1:{port}, EXCLUDE 127.0.0.1"
            with Browser(flags=[*PLAYER_FLAGS, rules]) as self.browser:
                named = self.make_movies()
                pages = self.convert(named)
                with ThreadPoolExecutor(max_workers=WORKERS) as pool:
                    results = list(pool.map(lambda page: self.converted_page(page, pages[page], named.get(page, [])),
                                            sorted(pages)))
                blocks = [block for page_blocks, _ in results for block in page_blocks]
                problems = [problem for _, page_problems in results for problem in page_problems]
                problems += self.snippet_plays()
        return self.report(blocks) + problems

    # -------------------------------------------------------------- movies --

    def make_movies(self):
        """Gives every movie the fixtures name a test movie of its own colour;
        returns the movies (site paths) each page names."""
        named = {}
        for page in sorted(PAGES.glob("*.htm")):
            tab = self.tabs()[1]
            tab.load(self.url("without", page.name))
            named[page.name] = sorted({self.site_path(url) for url in tab.evaluate(NAMED_MOVIES)})
        movies = sorted({movie for page_movies in named.values() for movie in page_movies} | {SNIPPET_MOVIE})
        for movie, colour in zip(movies, palette(len(movies))):
            self.colours[movie] = colour
            for path in self.movie_files(movie):
                path.parent.mkdir(parents=True, exist_ok=True)
                make_movie(self.args.make_movie, path, *STAGE, colour)
        return {page: movies for page, movies in named.items() if movies}

    def movie_files(self, movie):
        """The files of a movie: one in each copy of the fixtures, in the
        folders of the snippet with and without the player, or the one at a
        path from the server's root."""
        if movie == SNIPPET_MOVIE:
            return [self.work / "generated" / "clip.swf", self.work / "bare-generated" / "clip.swf"]
        if movie.startswith("/"):
            return [self.work / movie.lstrip("/")]
        return [self.work / "with" / movie, self.work / "without" / movie]

    def site_path(self, url):
        """Where on the site a movie address leads: the path in a copy of the
        fixtures (the same for both copies), or a path from the server's root
        that starts with a slash for an address that leads out of them."""
        parts = urlsplit(url)
        path = unquote(parts.path)
        for tree in ("/with/", "/without/"):
            if path.startswith(tree):
                return path[len(tree):]
        return path

    # ------------------------------------------------------------- convert --

    def convert(self, named):
        """Converts both copies; returns the number of blocks of each page
        that has some. Of the pages that name a movie, only those of
        NOT_CONVERTED may be refused, and both copies must get the same
        blocks."""
        blocks = {}
        for tree, options in (("with", ["--player", "bundled"]), ("without", [])):
            result = subprocess.run([str(self.args.cli), "convert", "--no-backup", "--json", "-r", *options,
                                     str(self.work / tree)], capture_output=True, timeout=120)
            if result.returncode not in (0, 1):  # 1: some page was refused
                raise Failure(f"sorvane-cli convert failed ({result.returncode}): {result.stderr.decode()}")
            pages = {Path(page["path"]).name: page for page in map(json.loads, result.stdout.splitlines())}
            refused = {name: page["error"] for name, page in pages.items() if page["error"] and name in named}
            if refused.keys() != NOT_CONVERTED.keys():
                raise Failure(f"the pages refused are {sorted(refused)}, not {sorted(NOT_CONVERTED)}: {refused}")
            blocks[tree] = {name: page["blocks"] for name, page in pages.items() if page["blocks"]}
        if blocks["with"] != blocks["without"]:
            raise Failure(f"the copies got other blocks with the player than without: {blocks}")
        return blocks["with"]

    # ------------------------------------------------------------- browser --

    def tabs(self):
        """This worker's two tabs, both marking what scripts write: one for
        the pages with the player and one for the pages without."""
        if not hasattr(self._tabs, "pair"):
            self._tabs.pair = (self.browser.open_tab(), self.browser.open_tab())
            for tab in self._tabs.pair:
                tab.call("Page.addScriptToEvaluateOnNewDocument", {"source": MARK_WRITTEN})
        return self._tabs.pair

    def url(self, tree, page):
        return f"{self.origin}/{tree}/{page}"

    def converted_page(self, page, converted, movies):
        """The page's blocks, each with its outcome, and the problems of the
        page: of the copy converted without the player, or calls that do not
        match the number of blocks converted."""
        calls = CALL.findall((self.work / "with" / page).read_bytes())
        blocks = [Block(page, n, call.decode(), excluded=NOT_SHOWN.get((page, n), ""))
                  for n, call in enumerate(calls, 1)]
        problems = [] if len(calls) == converted else [f"{page}: {converted} blocks converted, {len(calls)} calls"]
        return blocks, problems + [f"{page} without the player: {problem}" for problem in
                                   self.play(self.url("with", page), self.url("without", page), blocks, movies)]

    def play(self, with_url, without_url, blocks, movies):
        """Judges the blocks of the page with the player; returns the problems
        of the page without: each block must be placed there too, and none of
        the movies' colours may show. That page is loaded first and looked at
        last, so it has had as long to draw as the player needed."""
        player, bare = self.tabs()
        bare.load(without_url)
        player.load(with_url)
        self.judge_until_drawn(player, blocks)
        self.fit_viewport(bare)
        image = Image(bare.screenshot())
        written = {element["writer"] for element in bare.evaluate(PLACED)["placed"]}
        return [f"block #{block.number} is not placed" for block in blocks if block.writer not in written] + \
               [f"the colour of {movie} shows" for movie in movies if image.shows(self.colours[movie])]

    def judge_until_drawn(self, tab, blocks):
        deadline = time.monotonic() + DRAW_TIMEOUT
        self.fit_viewport(tab)
        while True:
            state = tab.evaluate(PLACED)
            image = Image(tab.screenshot())
            for block in blocks:
                self.judge(block, state["placed"], image)
            if all(block.outcome == "drawn" or block.outcome.startswith("not shown")
                   for block in blocks) or time.monotonic() > deadline:
                return
            time.sleep(0.25)

    def judge(self, block, placed, image):
        element = next((e for e in placed if e["writer"] == block.writer), None)
        if element is None:
            block.outcome = "not shown: nothing placed (its call did not run)"
            return
        block.movie = self.site_path(element["movie"])
        if element["width"] < 1 or element["height"] < 1:
            block.outcome = f"not shown: zero size ({element['width']} x {element['height']})"
        elif not element["visible"]:
            block.outcome = "not shown: hidden"
        elif block.movie not in self.colours:
            block.outcome = f"names {element['movie']!r}, a movie the test did not make"
        else:
            x, y = element["x"] + element["width"] / 2, element["y"] + element["height"] / 2
            seen = image.share(self.colours[block.movie], int(x) - 2, int(y) - 2, 5, 5)
            block.outcome = "drawn" if seen == 1 else f"not drawn ({seen:.0%} of its middle has its colour, " \
                                                      f"a {element['tag']} at {x:.0f}, {y:.0f})"

    def fit_viewport(self, tab):
        """Makes the window as tall as the page, so that a screenshot holds it all."""
        tab.set_viewport(VIEWPORT_WIDTH, min(max(tab.evaluate(PLACED)["height"], 600), 4000))

    def snippet_plays(self):
        """The snippet of generate, pasted into a page beside its movie, plays
        with the player and draws nothing without."""
        for folder, options in (("generated", ["--player", "bundled"]), ("bare-generated", [])):
            movie = self.work / folder / "clip.swf"
            result = subprocess.run([str(self.args.cli), "generate", *options, str(movie)],
                                    capture_output=True, text=True, timeout=60)
            if result.returncode != 0:
                return [f"sorvane-cli generate {' '.join(options)} failed: {result.stderr}"]
            (movie.parent / "page.htm").write_text(SNIPPET_PAGE.format(snippet=result.stdout), encoding="utf-8")
        block = Block("generate --player bundled", 1, "clip.js")
        bare = self.play(self.url("generated", "page.htm"), self.url("bare-generated", "page.htm"), [block],
                         [SNIPPET_MOVIE])
        print(f"{'drawn' if block.outcome == 'drawn' else 'FAIL':8} the snippet of generate --player bundled")
        problems = [] if block.outcome == "drawn" else [f"the snippet of generate --player bundled: {block.outcome}"]
        return problems + [f"the snippet of generate without a player: {problem}" for problem in bare]

    # -------------------------------------------------------------- report --

    def report(self, blocks):
        problems = []
        for block in blocks:
            if block.excluded:
                mark = "excluded" if block.outcome != "drawn" else "FAIL"
                print(f"{mark:8} {block.name}: {block.excluded} ({block.outcome})")
                if block.outcome == "drawn":
                    problems.append(f"{block.name} is drawn: take it out of NOT_SHOWN")
            else:
                print(f"{'drawn' if block.outcome == 'drawn' else 'FAIL':8} {block.name}"
                      + ("" if block.outcome == "drawn" else f": {block.outcome}"))
                if block.outcome != "drawn":
                    problems.append(f"{block.name}: {block.outcome}")
        stale = NOT_SHOWN.keys() - {(block.page, block.number) for block in blocks}
        problems += [f"NOT_SHOWN names {page} #{number}, which is no block" for page, number in sorted(stale)]
        for page, reason in NOT_CONVERTED.items():
            print(f"{'skipped':8} {page}: {reason}")
        drawn = sum(block.outcome == "drawn" for block in blocks)
        excluded = sum(bool(block.excluded) for block in blocks)
        print(f"{drawn} of {len(blocks)} real-page blocks drawn ({excluded} excluded as not shown by a browser)")
        return problems


def palette(count):
    """Colours as RRGGBB, each far from the others and from what pages draw
    themselves: saturated, never grey, never the blue or purple of links."""
    colours = []
    for n in range(count * 2):
        hue = (n // 2) / count
        if 0.58 < hue < 0.8:  # link blue and visited purple
            continue
        rgb = colorsys.hsv_to_rgb(hue, 1.0, 1.0 if n % 2 == 0 else 0.6)
        colours.append("".join(f"{round(c * 255):02x}" for c in rgb))
    if len(colours) < count:
        raise Failure(f"no room for {count} colours")
    return colours[:count]


if __name__ == "__main__":
    sys.exit(main())
