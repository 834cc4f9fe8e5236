"""A small client of Chromium's DevTools protocol over --remote-debugging-pipe.

Chromium reads commands from its fd 3 and writes replies and events to its
fd 4, one JSON message each, ended by a NUL byte. One browser process serves
a whole run; tabs are driven from several threads at once, and a tab loads
one page after another.
"""

import base64
import fcntl
import json
import os
import shutil
import subprocess
import tempfile
import threading

# No network, no first-run work, nothing that phones home: a run sees only the
# files it loads. Shared memory goes to /tmp, as a container's /dev/shm is
# often too small for the browser.
CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-dev-shm-usage",
]

REPLY_TIMEOUT = 30  # seconds; a page of this suite loads in well under one


class BrowserError(Exception):
    pass


class Browser:
    def __init__(self, executable="chromium", flags=()):
        """Starts the browser; flags are added to CHROMIUM_FLAGS."""
        path = shutil.which(executable)
        if path is None:
            raise BrowserError(f"{executable} not found (the test command installs Debian's chromium)")
        self._profile = tempfile.mkdtemp(prefix="sorvane-chromium-")
        self._stderr = tempfile.TemporaryFile()
        self._process, self._commands, replies = _start(path, [*CHROMIUM_FLAGS, *flags], self._profile, self._stderr)
        self._state = threading.Condition()  # guards everything below and the tabs' events
        self._writing = threading.Lock()
        self._next_id = 0
        self._replies = {}
        self._tabs = {}  # session id -> Tab
        self._gone = False
        threading.Thread(target=self._read, args=(replies,), daemon=True).start()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        try:
            self.call("Browser.close", timeout=5)
        except BrowserError:
            pass
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        self._commands.close()
        self._stderr.close()
        shutil.rmtree(self._profile, ignore_errors=True)

    def call(self, method, params=None, session=None, timeout=REPLY_TIMEOUT):
        with self._state:
            if self._gone:
                raise self._gone_error(method)
            self._next_id += 1
            message_id = self._next_id
        message = {"id": message_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        try:
            with self._writing:
                self._commands.write(json.dumps(message).encode() + b"\0")
        except BrokenPipeError:
            raise self._gone_error(method) from None
        if not self.wait_until(lambda: message_id in self._replies or self._gone, timeout):
            raise BrowserError(f"{method}: no reply within {timeout} s")
        with self._state:
            if message_id not in self._replies:
                raise self._gone_error(method)
            reply = self._replies.pop(message_id)
        if "error" in reply:
            raise BrowserError(f"{method}: {reply['error'].get('message')}")
        return reply.get("result", {})

    def wait_until(self, condition, timeout=REPLY_TIMEOUT):
        """Waits until condition() holds; it is called with the state locked."""
        with self._state:
            return self._state.wait_for(condition, timeout)

    def open_tab(self, scripting=True):
        # A window of its own: a tab behind another draws no frames, so it
        # would give no screenshot.
        target = self.call("Target.createTarget", {"url": "about:blank", "newWindow": True})["targetId"]
        session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        tab = Tab(self, session)
        with self._state:
            self._tabs[session] = tab
        for domain in ("Page", "Runtime", "Log"):
            tab.call(domain + ".enable")
        if not scripting:
            tab.call("Emulation.setScriptExecutionDisabled", {"value": True})
        return tab

    def clear_events(self, tab):
        with self._state:
            tab.events.clear()

    def _read(self, replies):
        pending = b""
        while chunk := replies.read(1 << 16):
            pending += chunk
            *messages, pending = pending.split(b"\0")
            for raw in messages:
                self._dispatch(json.loads(raw))
        with self._state:
            self._gone = True
            self._state.notify_all()

    def _dispatch(self, message):
        with self._state:
            if "id" in message:
                self._replies[message["id"]] = message
            elif message.get("sessionId") in self._tabs:
                self._tabs[message["sessionId"]].events.append(message)
            self._state.notify_all()

    def _gone_error(self, method):
        self._stderr.seek(0)
        last_words = self._stderr.read().decode(errors="replace").strip().splitlines()[-5:]
        return BrowserError(f"{method}: the browser has gone; it said: " + " | ".join(last_words))


class Tab:
    """One page target; the events of its session gather in `events`."""

    def __init__(self, browser, session):
        self.browser, self.session = browser, session
        self.events = []

    def call(self, method, params=None):
        return self.browser.call(method, params, session=self.session)

    def load(self, url):
        """Loads the page; `events` then holds the events of this page alone.
        A blank page in between takes any late event of the page before."""
        self._navigate("about:blank")
        self._navigate(url)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise BrowserError(f"evaluation failed: {result['exceptionDetails']}")
        return result["result"].get("value")

    def set_viewport(self, width, height):
        """Lays the page out for a window of this size; screenshots have it."""
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    def screenshot(self):
        """The visible part of the page as PNG bytes."""
        return base64.b64decode(self.call("Page.captureScreenshot", {"format": "png"})["data"])

    def _navigate(self, url):
        self.browser.clear_events(self)
        result = self.call("Page.navigate", {"url": url})
        if result.get("errorText"):
            raise BrowserError(f"cannot load {url}: {result['errorText']}")
        loaded = lambda: any(event["method"] == "Page.loadEventFired" for event in self.events)
        if not self.browser.wait_until(loaded):
            raise BrowserError(f"{url} did not finish loading within {REPLY_TIMEOUT} s")


def _start(path, flags, profile, stderr):
    """Starts Chromium with our pipe ends on its fds 3 and 4."""
    command_read, command_write = os.pipe()
    reply_read, reply_write = os.pipe()

    def on_fds_3_and_4():
        # Copy above 4 first so that neither dup2 lands on a pipe end still needed.
        high = [fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10) for fd in (command_read, reply_write)]
        os.dup2(high[0], 3)
        os.dup2(high[1], 4)

    # close_fds stays off so that fds 3 and 4 survive; every other fd that
    # Python made is closed on exec anyway (PEP 446).
    process = subprocess.Popen(
        [path, *flags, f"--user-data-dir={profile}", "--remote-debugging-pipe", "about:blank"],
        preexec_fn=on_fds_3_and_4, close_fds=False,
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
    os.close(command_read)
    os.close(reply_write)
    return process, os.fdopen(command_write, "wb", buffering=0), os.fdopen(reply_read, "rb", buffering=0)
