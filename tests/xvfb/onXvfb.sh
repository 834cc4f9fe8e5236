# Sourced by the Xvfb checks as: source onXvfb.sh "$0" "$@"
# Runs the calling script again under its own virtual X display, then lets it
# go on there with Qt on that display; fail reports and ends the check.
if [ -z "${SORVANE_XVFB_RUNNING:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }
    exec env SORVANE_XVFB_RUNNING=1 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
fi
unset QT_QPA_PLATFORM  # the real X display, not the tests' offscreen one

fail() { echo "FAIL: $*" >&2; exit 1; }
