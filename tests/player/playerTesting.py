"""What the tests that watch the player draw a movie share: the browser (the
DevTools client of the browser suite) and the flags under which the player
draws, a local web server for the site (the player refuses pages opened as
files), the test movies and the reading of screenshots.
"""

import collections
import contextlib
import functools
import http.server
import subprocess
import sys
import threading
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "browser"))
from devtools import Browser, BrowserError  # noqa: E402,F401  (for the tests that import this module)

# How far a pixel's colour channels may be from a movie's colour: the software
# GL draws a plain background exactly.
TOLERANCE = 12

# Headless Chromium draws the player's stage only with a software GL and with
# sound allowed without a click; without the latter the player shows its play
# button instead of the movie.
PLAYER_FLAGS = [
    "--use-gl=swiftshader", "--enable-unsafe-swiftshader", "--autoplay-policy=no-user-gesture-required",
]


@contextlib.contextmanager
def served(folder):
    """Serves the folder at http://127.0.0.1:PORT/ while the block runs; yields
    the server's port. Every answer may be read from any origin, as a movie's
    host must allow for the player to fetch it from another site's page, and
    none is kept in the browser's cache, as a test rewrites pages between
    loads."""
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield server.server_address[1]
    finally:
        server.shutdown()
        server.server_close()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header("Access-Control-Allow-Origin", "*")
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def handle(self):
        try:
            super().handle()
        except ConnectionError:
            pass  # the browser went on before the answer was sent (a favicon, a page left)

    def log_message(self, *args):
        pass


def make_movie(tool, path, width, height, rgb):
    """Writes a one-frame movie of the stage size whose background is rgb, a
    colour as RRGGBB, with the makeTestMovie tool."""
    subprocess.run([str(tool), str(path), "FWS", str(width), str(height), rgb], check=True)


class Image:
    """A screenshot's pixels, decoded by ImageMagick."""

    def __init__(self, png):
        ppm = subprocess.run(["convert", "png:-", "-depth", "8", "ppm:-"], input=png, capture_output=True,
                             check=True).stdout
        magic, width, height, _, self.pixels = ppm.split(maxsplit=4)
        if magic != b"P6":
            raise ValueError("ImageMagick wrote no binary PPM")
        self.width, self.height = int(width), int(height)

    def shows(self, colour):
        """Whether any pixel has the colour (RRGGBB)."""
        return self.share(colour, 0, 0, self.width, self.height) > 0

    def share(self, colour, x, y, width, height):
        """The share of pixels of the colour (RRGGBB) in the rectangle, 0 to 1."""
        x0, y0 = max(x, 0), max(y, 0)
        x1, y1 = min(x + width, self.width), min(y + height, self.height)
        if x1 <= x0 or y1 <= y0:
            return 0.0
        counts = collections.Counter()
        for row in range(y0, y1):
            line = self.pixels[(row * self.width + x0) * 3:(row * self.width + x1) * 3]
            counts.update(zip(line[0::3], line[1::3], line[2::3]))
        want = bytes.fromhex(colour)
        hits = sum(n for pixel, n in counts.items() if all(abs(pixel[c] - want[c]) <= TOLERANCE for c in range(3)))
        return hits / ((x1 - x0) * (y1 - y0))
