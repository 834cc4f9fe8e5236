#!/usr/bin/env bash
# Compile-checks, with the MinGW cross compiler and every warning an error,
# each source file that has Windows branches: the wizard's Windows folder
# browser backend (which needs Qt for Windows to be built, not here), and
# every file of the converter, the generator and the command-line tool (whose
# Windows build the tests also run under Wine), but for the POSIX-only
# *Posix.cpp. Also checks our shell
# constants against the shell's own headers.
#   win32CompileCheck.sh <project source folder> <constants check source>
# Exit 77 (skipped) when the cross compiler is not installed.
set -euo pipefail

# The posix thread model, as the Windows build: the converter uses std::thread.
CXX=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
if ! command -v "$CXX" >/dev/null 2>&1; then
    echo "SKIP: $CXX not installed (Debian package g++-mingw-w64-x86-64-posix)"
    exit 77
fi

project=$1
constants_check=$2
includes=()
for folder in converter converter/internal generator cli folderBrowse; do includes+=("-I$project/$folder"); done
# CLI11 alone from the host's headers: the whole of /usr/include would put
# the C library's headers in front of Windows' own.
cli11=$(mktemp -d)
trap 'rm -rf "$cli11"' EXIT
ln -s /usr/include/CLI "$cli11/CLI"
includes+=("-I$cli11")
# As CMakeLists.txt for GCC before 14, which warns of every field that a
# designated initialiser leaves at its default on purpose.
warnings=(-Wall -Wextra -Wpedantic -Werror)
version=$("$CXX" -dumpversion)
(( ${version%%[.-]*} < 14 )) && warnings+=(-Wno-missing-field-initializers)
sources=("$project/folderBrowse/win32BrowseDialog.cpp" "$constants_check"
         "$project"/converter/*.cpp "$project"/generator/*.cpp "$project"/cli/*.cpp)
for source in "${sources[@]}"; do
    [[ $source == *Posix.cpp ]] && continue  # built only on POSIX systems
    echo "$CXX -fsyntax-only ${source#"$project"/}"
    # As in the Windows build, which has zlib (libz-mingw-w64-dev) but no liblzma.
    "$CXX" -std=c++20 -fsyntax-only "${warnings[@]}" -DSORVANE_VERSION='"0"' -DSORVANE_WITHOUT_LZMA \
        "${includes[@]}" "$source"
done
