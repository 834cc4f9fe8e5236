#!/usr/bin/env python3
"""sorvane-cli with stdout and stderr on one terminal (a pseudo-terminal):
the progress line on stderr and the report lines on stdout share the screen,
and no report line may be cut or joined by the progress line. The screen is
replayed from the bytes the terminal got. With TERM=dumb no escape sequence
is written at all.

    progressOnTerminal.py SORVANE_CLI [TRANSCRIPT]

TRANSCRIPT, when given, receives the bytes of the first run as the terminal
got them.
"""
import os
import pty
import subprocess
import sys
import tempfile
import time

PAGES = 3000
PAGE = b"<html><head></head><body>" + b"<p>text</p>\n" * 300 + b"<object>1</object></body></html>\n"


def run_on_terminal(arguments, term):
    """The bytes a terminal gets from the run, and its exit status. The
    terminal is read slowly, as a busy one is: the run waits for it, lasts
    past the progress line's first second, and the lines on stdout and the
    progress line come mixed."""
    master, slave = pty.openpty()
    env = dict(os.environ, TERM=term)
    process = subprocess.Popen(arguments, stdin=subprocess.DEVNULL, stdout=slave, stderr=slave, env=env)
    os.close(slave)
    received = bytearray()
    time.sleep(1.2)
    while True:
        time.sleep(0.001)
        try:
            chunk = os.read(master, 512)
        except OSError:  # EIO: the last writer has gone
            break
        if not chunk:
            break
        received += chunk
    os.close(master)
    return bytes(received), process.wait()


def screen_lines(received):
    """The lines the terminal shows once the run is over: carriage return,
    erase to the end of the line (ESC [ K) and line feed replayed."""
    lines, line, column = [], [], 0
    text = received.decode("utf-8", "surrogateescape")
    i = 0
    while i < len(text):
        if text.startswith("\x1b[K", i):
            del line[column:]
            i += 3
            continue
        c = text[i]
        i += 1
        if c == "\r":
            column = 0
        elif c == "\n":
            lines.append("".join(line).rstrip(" "))
            line, column = [], 0
        else:
            if column < len(line):
                line[column] = c
            else:
                line.append(c)
            column += 1
    if "".join(line).strip():
        lines.append("".join(line).rstrip(" "))
    return lines


def converted_line(site, n):
    return "%s/p%04d.htm: 1 block converted; script %s/p%04d.js; backup %s/p%04d_backup.htm" % (site, n, site, n, site, n)


def unchanged_line(site, n):
    return "%s/p%04d.htm: no blocks; left unchanged" % (site, n)


def check_reports(lines, site, report_line, failures):
    expected = [report_line(site, n) for n in range(PAGES)]
    damaged = [line for line in lines if line not in expected]
    if damaged:
        failures.append("%d damaged lines, such as: %r" % (len(damaged), damaged[:3]))
    if [line for line in lines if line in expected] != expected:
        failures.append("the report lines are not every page's line in order")


def main():
    cli = sys.argv[1]
    transcript = sys.argv[2] if len(sys.argv) > 2 else None
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        site = os.path.realpath(os.path.join(folder, "site"))
        os.mkdir(site)
        for n in range(PAGES):
            with open(os.path.join(site, "p%04d.htm" % n), "wb") as page:
                page.write(PAGE)

        received, status = run_on_terminal([cli, "convert", "-r", site], "xterm")
        if transcript:
            with open(transcript, "wb") as out:
                out.write(received)
        if status != 0:
            failures.append("convert failed with status %d" % status)
        shown = received.count(b" left")
        print("%d report lines, the progress line drawn %d times" % (PAGES, shown))
        if shown == 0:
            failures.append("no progress line was shown: the run was too short to test anything")
        check_reports(screen_lines(received), site, converted_line, failures)

        received, status = run_on_terminal([cli, "convert", "--no-backup", "-r", site], "dumb")
        if b"\x1b" in received:
            failures.append("TERM=dumb got an escape sequence")
        if b" pages, " not in received:
            failures.append("no progress line was shown on the dumb terminal")
        check_reports(screen_lines(received), site, unchanged_line, failures)

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
