#!/usr/bin/env bash
# Compile-checks the Windows folder browser backend with the MinGW cross
# compiler, and checks our shell constants against the shell's own headers.
#   win32CompileCheck.sh <folderBrowse source folder> <constants check source>
# Exit 77 (skipped) when the cross compiler is not installed.
set -euo pipefail

CXX=${MINGW_CXX:-x86_64-w64-mingw32-g++}
if ! command -v "$CXX" >/dev/null 2>&1; then
    echo "SKIP: $CXX not installed (Debian package g++-mingw-w64-x86-64-win32)"
    exit 77
fi

source_dir=$1
constants_check=$2
for source in "$source_dir/win32BrowseDialog.cpp" "$constants_check"; do
    echo "$CXX -fsyntax-only $source"
    "$CXX" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I"$source_dir" "$source"
done
