#!/usr/bin/env python3
"""Converted pages work in a real browser as their originals did.

For each row of the table below, a page of pages/ is copied twice into a
work folder, one copy is converted with `sorvane-cli convert --no-backup`,
and headless Chromium loads both, once with scripting on and once with it
off. The Flash elements (tag, attributes in order, parents), the visible
text, the values of input boxes, the title and the texts of style, textarea,
xmp and script elements must be the same, and the converted page must raise
no script error that the original did not. Snippets of `sorvane-cli
generate` are pasted into a page and must show the elements the generator
meant. Pages that are not 8-bit web pages must be refused and left as they
were.

usage: browserPages.py --cli SORVANE_CLI [--only REGEX] [--keep]
"""

import argparse
import collections
import dataclasses
import difflib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path
from urllib.parse import unquote_to_bytes, urljoin, urlsplit

from devtools import Browser, BrowserError

HERE = Path(__file__).resolve().parent
PAGES = HERE / "pages"
SNAPSHOT_SCRIPT = (HERE / "pageSnapshot.js").read_text()


@dataclasses.dataclass(frozen=True)
class Convert:
    """Convert the page (saved under another name, or with its script in a
    folder of its own, where given) and compare it with the original."""
    page: str
    save_as: str = ""
    script_dir: str = ""

    @property
    def name(self):
        return self.save_as or self.page + (f" --script-dir {self.script_dir}" if self.script_dir else "")


@dataclasses.dataclass(frozen=True)
class Refuse:
    """The converter must refuse the page and leave it as it was."""
    page: str

    @property
    def name(self):
        return self.page


@dataclasses.dataclass(frozen=True)
class Generate:
    """Generate the embed code of a movie of this file name (and Name/ID, where
    given) and paste the snippet into a page."""
    movie: str
    movie_name: str = ""

    @property
    def name(self):
        return self.movie + (f" --name {self.movie_name!r}" if self.movie_name else "")


ROWS = [
    # Object markup that is text, not elements: the page's own scripts, embed
    # code shown for copying, and the other elements whose content is text.
    Convert("script-strings-hold-object-markup.htm"),
    Convert("textarea-holds-embed-code.htm"),
    Convert("style-holds-object-markup.htm"),
    Convert("title-holds-object-markup.htm"),
    Convert("xmp-holds-object-markup.htm"),
    # Object markup in another tag's quoted value: a box of embed code, a
    # title; an end tag in a value does not end the block.
    Convert("object-markup-in-attribute-values.htm"),
    # Line breaks and blanks inside tags and values.
    Convert("attributes-on-lines-crlf.htm"),
    Convert("attributes-on-lines-crlf-indented.htm"),
    Convert("attributes-on-lines-lf.htm"),
    Convert("attributes-on-lines-lf-indented.htm"),
    Convert("runs-of-blanks-and-line-breaks-in-tags.htm"),
    # Page and script names that are not plain URL paths.
    Convert("name-needs-url-escaping.htm", save_as="a#b.htm"),
    Convert("name-needs-url-escaping.htm", save_as="a?b.htm"),
    Convert("name-needs-url-escaping.htm", save_as="100%.htm"),
    Convert("name-needs-url-escaping.htm", save_as="a%41.htm"),
    Convert("name-needs-url-escaping.htm", save_as='a"b.htm'),
    Convert("name-needs-url-escaping.htm", save_as="R&D.htm"),
    Convert("name-needs-url-escaping.htm", save_as="R&copy.htm"),
    Convert("name-needs-url-escaping.htm", save_as="tab\there.htm"),
    Convert("name-needs-url-escaping.htm", save_as="back\\slash.htm"),
    Convert("name-needs-url-escaping.htm", script_dir="js #1 & 100%"),
    # Encodings.
    Convert("utf-8-bom-without-head.htm"),
    Refuse("utf-16le-bom.htm"),
    Refuse("utf-16be-bom.htm"),
    Refuse("png-named-htm.htm"),
    Convert("shift_jis-5c-trail-byte.htm"),
    Convert("gbk-5c-trail-byte.htm"),
    Convert("big5-5c-trail-byte-http-equiv.htm"),
    Convert("windows-1252.htm"),
    Convert("gbk.htm"),
    Convert("shift_jis.htm"),
    Convert("unknown-charset-label-then-shift_jis.htm"),
    # Where the include goes.
    Convert("object-before-head-end.htm"),
    Convert("base-href.htm"),
    Convert("base-and-head-end-in-comment-and-script.htm"),
    # Markup found on real pages.
    Convert("upper-case-unquoted.htm"),
    Convert("nested-objects-conditional-comments.htm"),
    Convert("object-without-end-tag.htm"),
    Convert("noscript-around-object.htm"),
    Convert("script-end-tag-in-param-value.htm"),
    Convert("flashvars-backslashes-quotes-urls.htm"),
    Convert("objects-in-tables.htm"),
    Convert("block-of-500-lines.htm"),
    Convert("script-inside-block.htm"),
    # Snippets of the generator for awkward movie names.
    Generate("a'b\"c&d<e>.swf"),
    Generate("My Movie.swf"),
    Generate("it's.swf"),
    Generate("100%.swf"),
    Generate("a#b.swf"),
    Generate("back\\slash.swf"),
    Generate("Übung ムービー.swf"),
    Generate("intro.swf", movie_name="my  movie"),
]

# The script element that the converter puts where a block stood.
CALL_SCRIPT = re.compile(r" displaySWF_\d+\(\); ")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True, type=Path, help="the built sorvane-cli")
    parser.add_argument("--only", default="", help="run only the rows whose name matches this regular expression")
    parser.add_argument("--keep", action="store_true", help="keep the work folder even when every row passes")
    args = parser.parse_args()

    rows = [row for row in ROWS if re.search(args.only, row.name)]
    work = Path(tempfile.mkdtemp(prefix="sorvane-browser-pages-"))
    started = time.monotonic()
    with Browser() as browser:
        run = Run(args.cli.resolve(), browser)
        with ThreadPoolExecutor(max_workers=4) as pool:
            results = list(pool.map(run.row, rows, [work / str(n) for n in range(len(rows))]))
    failed = report(rows, results)
    print(f"{len(rows)} rows, {failed} failed, {time.monotonic() - started:.1f} s")
    if failed or args.keep:
        print(f"work folder kept: {work}")
    else:
        shutil.rmtree(work)
    return 1 if failed else 0


def report(rows, results):
    failed = 0
    for row, problems in zip(rows, results):
        kind = type(row).__name__.lower()
        print(f"{'FAIL' if problems else 'ok  '} {kind:8} {shown(row.name)}")
        for problem in problems:
            print("     " + problem.replace("\n", "\n     "))
        failed += bool(problems)
    return failed


class Run:
    def __init__(self, cli, browser):
        self.cli, self.browser = cli, browser
        self._tabs = threading.local()

    def tab(self, scripting):
        """This worker's tab with scripting on or off: a tab loads the next
        page much faster than a new one opens."""
        tabs = self._tabs.__dict__.setdefault("by_scripting", {})
        if scripting not in tabs:
            tabs[scripting] = self.browser.open_tab(scripting)
        return tabs[scripting]

    def row(self, row, folder):
        """The problems found with one row; none when it passes."""
        folder.mkdir()
        try:
            if isinstance(row, Convert):
                return self.convert(row, folder)
            if isinstance(row, Refuse):
                return self.refuse(row, folder)
            return self.generate(row, folder)
        except (BrowserError, OSError, subprocess.SubprocessError) as error:
            return [f"could not run the row: {error}"]

    def convert(self, row, folder):
        page_bytes = (PAGES / row.page).read_bytes()
        original = place(folder / "original", row.save_as or row.page, page_bytes)
        converted = place(folder / "converted", row.save_as or row.page, page_bytes)
        options = []
        if row.script_dir:
            (converted.parent / row.script_dir).mkdir()
            options = ["--script-dir", str(converted.parent / row.script_dir)]
        files_before = files_under(converted.parent)
        result = self.run_cli("convert", "--no-backup", *options, str(converted))
        if result.returncode != 0:
            return [f"sorvane-cli convert failed ({result.returncode}): {result.stderr.strip()}"]
        new_files = files_under(converted.parent) - files_before
        if len(new_files) != 1:
            return [f"expected one new file, the script, beside the converted page; found {sorted(map(str, new_files))}"]
        script = new_files.pop()

        problems = []
        for scripting in (True, False):
            before = self.snapshot(original, scripting)
            if not before["flash"]:
                return [f"the original page shows no Flash element (scripting {'on' if scripting else 'off'})"]
            after = self.snapshot(converted, scripting)
            after["rawTexts"] = [t for t in after["rawTexts"] if not is_added_script(t, converted, script)]
            mode = "scripting " + ("on" if scripting else "off")
            problems += [f"{mode}: {p}" for p in differences(before, after)]
        return problems

    def refuse(self, row, folder):
        page_bytes = (PAGES / row.page).read_bytes()
        page = place(folder, row.page, page_bytes)
        result = self.run_cli("convert", "--no-backup", str(page))
        problems = []
        if result.returncode != 1:
            problems.append(f"sorvane-cli convert exited with {result.returncode}, not 1; stdout: {result.stdout!r}")
        if page.name not in result.stderr:
            problems.append(f"the message does not name the page: {result.stderr!r}")
        if page.read_bytes() != page_bytes:
            problems.append("the page was changed")
        if files_under(folder) != {page}:
            problems.append(f"files were written: {sorted(map(str, files_under(folder) - {page}))}")
        return problems

    def generate(self, row, folder):
        movie = place(folder, row.movie, TINY_MOVIE)
        options = ["--name", row.movie_name] if row.movie_name else []
        result = self.run_cli("generate", "--width", "550", "--height", "400", *options, str(movie))
        if result.returncode != 0:
            return [f"sorvane-cli generate failed ({result.returncode}): {result.stderr.strip()}"]
        page = place(folder, "page.htm", SNIPPET_PAGE.replace(b"%SNIPPET%", os.fsencode(result.stdout)))
        shown = self.snapshot(page, scripting=True)
        hidden = self.snapshot(page, scripting=False)
        problems = [f"scripting {mode}: script errors: {errors}"
                    for mode, errors in (("on", shown["errors"]), ("off", hidden["errors"])) if errors]
        if diff := list_diff("the noscript copy", flash_lines(hidden), "the written copy", flash_lines(shown)):
            problems.append("the script writes other elements than the noscript copy holds:\n" + diff)
        return problems + wrong_generated_values(shown["flash"], movie, row.movie_name or Path(row.movie).stem)

    def run_cli(self, *arguments):
        return subprocess.run([str(self.cli), *arguments], capture_output=True, text=True,
                              errors="surrogateescape", timeout=60)

    def snapshot(self, page, scripting):
        tab = self.tab(scripting)
        tab.load(page.as_uri())
        snapshot = tab.evaluate(SNAPSHOT_SCRIPT)
        folder = page.parent.as_uri() + "/"  # original and converted copy differ only here
        snapshot["errors"] = [e.replace(folder, "./") for e in map(error_text, tab.events) if e]
        return snapshot


def differences(before, after):
    problems = []
    if diff := list_diff("original", flash_lines(before), "converted", flash_lines(after)):
        problems.append("the Flash elements differ:\n" + diff)
    if diff := list_diff("original", text_lines(before["text"]), "converted", text_lines(after["text"])):
        problems.append("the visible text differs:\n" + diff)
    if before["values"] != after["values"]:
        problems.append(f"the values of input boxes differ: {before['values']!r} became {after['values']!r}")
    if before["title"] != after["title"]:
        problems.append(f"the title differs: {before['title']!r} became {after['title']!r}")
    if diff := list_diff("original", raw_text_lines(before), "converted", raw_text_lines(after)):
        problems.append("the texts of script, style, textarea or xmp elements differ:\n" + diff)
    new_errors = collections.Counter(after["errors"]) - collections.Counter(before["errors"])
    if new_errors:
        problems.append("new errors: " + "; ".join(new_errors.elements()))
    return problems


def wrong_generated_values(flash, movie, movie_name):
    """What the browser sees that the generator did not mean."""
    tags = [element["tag"] for element in flash]
    if tags != ["object", "param", "param", "param", "embed"]:
        return [f"the browser sees {tags}, not an object with three params and an embed"]
    obj, _, movie_param, quality_param, embed = flash
    wanted = [
        ("object id", attribute(obj, "id"), movie_name),
        ("embed name", attribute(embed, "name"), movie_name),
        ("object width x height", f"{attribute(obj, 'width')}x{attribute(obj, 'height')}", "550x400"),
        ("embed width x height", f"{attribute(embed, 'width')}x{attribute(embed, 'height')}", "550x400"),
        ("quality param", f"{attribute(quality_param, 'name')}={attribute(quality_param, 'value')}",
         "quality=best"),
        ("movie param", attribute(movie_param, "name"), "movie"),
        ("movie param leads to", file_of(movie_param["resolved"]), movie),
        ("embed src leads to", file_of(embed["resolved"]), movie),
    ]
    return [f"{what}: {seen!r}, meant {meant!r}" for what, seen, meant in wanted if seen != meant]


def attribute(element, name):
    return next((value for key, value in element["attributes"] if key == name), None)


def file_of(url):
    """The local file a file: URL leads to, or the URL itself when it leads
    elsewhere (or carries a query or fragment that would be cut off)."""
    parts = urlsplit(url or "")
    if parts.scheme != "file" or parts.query or parts.fragment:
        return url
    return Path(os.fsdecode(unquote_to_bytes(parts.path)))


def is_added_script(raw, page, script):
    """Whether a script element is the converter's: a call, or the include of
    the page's script. The include is fetched as the parser meets it, before
    any <base> that follows, so its address is taken against the page's own."""
    if raw["tag"] != "script":
        return False
    if raw["src"] is None:
        return CALL_SCRIPT.fullmatch(raw["text"]) is not None
    return raw["text"] == "" and file_of(urljoin(page.as_uri(), raw["src"])) == script


def flash_lines(snapshot):
    return [f"{e['parents']} > {e['tag']} " + " ".join(f"{n}={quoted(v)}" for n, v in e["attributes"])
            for e in snapshot["flash"]]


def text_lines(text):
    """The visible text line by line, blanks collapsed as a reader sees them."""
    return [shown(line) for line in (" ".join(raw.split()) for raw in text.split("\n")) if line]


def raw_text_lines(snapshot):
    def line(raw):
        source = f" src={quoted(raw['src'])}" if raw["src"] is not None else ""
        return f"{raw['tag']}{source}: {quoted(raw['text'])}"
    return [line(raw) for raw in snapshot["rawTexts"]]


def quoted(text):
    return shown(json.dumps(text, ensure_ascii=False))


def shown(text):
    """The text with characters that print as nothing (a stray byte-order
    mark, a tab) written as escapes, so that a difference can be seen."""
    return "".join(c if c.isprintable() else c.encode("unicode_escape").decode() for c in text)


def list_diff(before_name, before, after_name, after):
    if before == after:
        return ""
    return "\n".join(difflib.unified_diff(before, after, before_name, after_name, n=2, lineterm=""))


def error_text(event):
    """A script error, failed load or console error of a DevTools event, in a
    form that does not depend on where in the page it happened."""
    method, params = event.get("method"), event.get("params", {})
    if method == "Runtime.exceptionThrown":
        details = params["exceptionDetails"]
        exception = details.get("exception", {})
        text = exception.get("description") or str(exception.get("value", details.get("text")))
        return text.split("\n")[0]
    if method == "Log.entryAdded" and params["entry"]["level"] == "error":
        entry = params["entry"]
        return entry["text"] + (f" ({entry['url']})" if entry.get("url") else "")
    if method == "Runtime.consoleAPICalled" and params["type"] in ("error", "assert"):
        return f"console.{params['type']}: " + " ".join(str(a.get("value", a.get("description")))
                                                       for a in params["args"])
    return ""


def place(folder, name, data):
    folder.mkdir(parents=True, exist_ok=True)
    path = folder / name
    path.write_bytes(data)
    return path


def files_under(folder):
    return {path for path in folder.rglob("*") if path.is_file()}


# A 550 x 400 movie of one red frame: enough for a file the markup must lead to.
TINY_MOVIE = (b"FWS\x0a\x1e\x00\x00\x00" b"\x78\x00\x05\x5f\x00\x00\x0f\xa0\x00"
              b"\x00\x0c\x01\x00" b"\x43\x02\xff\x00\x00" b"\x40\x00" b"\x00\x00")

# The page a user pastes a snippet into; the snippet keeps its own CR LF.
SNIPPET_PAGE = (b'<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset="utf-8">\r\n<title>Snippet</title>\r\n'
                b'</head>\r\n<body>\r\n%SNIPPET%\r\n</body>\r\n</html>\r\n')

if __name__ == "__main__":
    sys.exit(main())
