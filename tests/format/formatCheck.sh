#!/usr/bin/env bash
# Checks that every C++ file of the tree is formatted as .clang-format says,
# with Debian 12's clang-format; names each file and line that differs.
#   formatCheck.sh <source folder>
# The files are those git tracks; outside a git checkout, every .cpp and .h
# below the source folder except build folders.
set -euo pipefail

source_dir=$1
clang_format=${CLANG_FORMAT:-clang-format}
command -v "$clang_format" >/dev/null || {
    echo "FAIL: $clang_format is missing (Debian package clang-format)" >&2
    exit 1
}

cd "$source_dir"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path './build*' -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)
fi
[ ${#files[@]} -gt 0 ] || { echo "FAIL: no C++ files found in $source_dir" >&2; exit 1; }

echo "$("$clang_format" --version)"
if ! "$clang_format" --style=file --dry-run --Werror "${files[@]}"; then
    echo "FAIL: the files above differ from .clang-format; run: clang-format -i \$(git ls-files '*.cpp' '*.h')" >&2
    exit 1
fi
echo "${#files[@]} C++ files formatted as .clang-format says"
