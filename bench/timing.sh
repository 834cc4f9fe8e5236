# Shared by the timed benchmark scripts (sourced with the script's arguments,
# not run): the build folder (first argument, default build) and the
# command-line tool in it, the tools check, the scratch folder and the
# timing helpers.

BUILD_DIR=${1:-build}
CLI=$BUILD_DIR/cli/sorvane-cli

# Exits with a hint unless every given program is built.
require_built() {
    for tool in "$@"; do
        [ -x "$tool" ] || { echo "missing $tool: build the project first" >&2; exit 2; }
    done
}

# Sets WORK to BENCH_DIR or a new folder under ${TMPDIR:-/tmp} named after
# $1, removed when the script ends.
make_work_dir() {
    WORK=${BENCH_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")}
    mkdir -p "$WORK"
    trap 'rm -rf "$WORK"' EXIT
}

now_ns() { date +%s%N; }

# The median of the numbers on standard input (separated by blanks).
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Prints the milliseconds that the command takes (its output dropped).
milliseconds_of() {
    local start end
    start=$(now_ns)
    "$@" >/dev/null
    end=$(now_ns)
    echo $(( (end - start) / 1000000 ))
}
