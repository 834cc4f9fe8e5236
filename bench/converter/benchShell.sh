# Shared by the timed benchmark scripts (sourced): the tools check, the
# scratch folder, the clock and the median of the rounds.
#   require_tools TOOL...      exits 2 naming a tool that is not built
#   make_scratch PREFIX        sets WORK (BENCH_DIR or a new folder), removed at exit

require_tools() {
    local tool
    for tool in "$@"; do
        [ -x "$tool" ] || { echo "missing $tool: build the project first" >&2; exit 2; }
    done
}

make_scratch() {
    WORK=${BENCH_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")}
    mkdir -p "$WORK"
    trap 'rm -rf "$WORK"' EXIT
}

now_ns() { date +%s%N; }

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
