#!/usr/bin/env bash
# Start-up benchmark of the wizard: exec -> main window mapped (median over
# RUNS runs) and peak memory, on a virtual X display.
#
# usage: bench/startup/run.sh [BUILD_DIR] [RUNS]
# Targets: median at most 100 ms, peak RSS at most 45 MB.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-20}
bench="$build/bench/startup/startup_bench"
program="$build/shell/sorvane"
[ -x "$bench" ] && [ -x "$program" ] || { echo "build first: $bench and $program are needed" >&2; exit 1; }
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$bench" --runs "$runs" "$program"
