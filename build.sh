#!/usr/bin/env bash
# Sorvane's two set-up commands for a fresh Debian 12 machine:
#   ./build.sh run    install what is missing, build, start the wizard
#   ./build.sh test   install what is missing, build, run every test, and run the
#                     core suites again built with the address and UB sanitizers
# and one more that builds the Debian package build/sorvane_<version>_<arch>.deb:
#   ./build.sh package
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=${BUILD_DIR:-build}
RUN_PACKAGES=(cmake ninja-build g++ qt6-base-dev fonts-liberation2 zlib1g-dev liblzma-dev libcli11-dev)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool xclip imagemagick x11-apps libx11-dev
               g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix googletest wine64 locales libz-mingw-w64-dev
               clang libclang-rt-14-dev chromium python3
               clang-format clang-tidy-14 clang-tools-14
               zsh fish)
# npm installs the Flash player emulator that comes with Sorvane into the
# build (player/). Where node comes from elsewhere (NodeSource's nodejs
# carries its own npm), Debian's npm package would conflict with it, so it
# is asked for only when missing.
command -v npm >/dev/null || RUN_PACKAGES+=(nodejs npm)

# dpkg-shlibdeps (dpkg-dev, which needs file) fills in the package's Depends line; the install checks
# build the package too and check it with lintian, validate the desktop entry and metainfo, check the
# manual pages (mandoc) and the programs' hardening (hardening-check, from devscripts).
PACKAGE_PACKAGES=(dpkg-dev file)
TEST_PACKAGES+=(desktop-file-utils appstream groff-base lintian mandoc devscripts "${PACKAGE_PACKAGES[@]}")

install_missing() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# Every build is optimised (Release): the tests check the same program that
# `run` starts and `package` ships.
configure_and_build() {
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$BUILD_DIR"
}

# The suites of the Qt-free libraries and sorvane-cli (CTest label "core")
# once more, built with AddressSanitizer and UndefinedBehaviorSanitizer
# (SORVANE_SANITIZE) in a folder of their own: an invalid memory access, a
# leak or undefined behaviour fails the test that reaches it. No GUI and no
# player are configured there.
SANITIZE_DIR=${SANITIZE_DIR:-$BUILD_DIR-sanitize}
sanitized_core_tests() {
    cmake -S . -B "$SANITIZE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSORVANE_SANITIZE=ON -DSORVANE_WERROR=ON \
          -DSORVANE_BUILD_GUI=OFF -DSORVANE_BUNDLE_PLAYER=OFF -DSORVANE_BUILD_TESTS=ON -DSORVANE_BUILD_BENCHMARKS=OFF
    cmake --build "$SANITIZE_DIR" --target sorvane_core_tests
    ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1 \
    UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "$SANITIZE_DIR" -L core --output-on-failure -j "$(nproc)"
}

case "${1:-}" in
    run)
        install_missing "${RUN_PACKAGES[@]}"
        configure_and_build -DSORVANE_BUILD_TESTS=OFF -DSORVANE_BUILD_BENCHMARKS=OFF
        exec "$BUILD_DIR/shell/sorvane"
        ;;
    test)
        # The tests' builds stop at any compiler warning (SORVANE_WERROR); the
        # builds of `run` and `package` do not, so that a newer compiler's new
        # warnings do not keep anyone from the program.
        install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
        configure_and_build -DSORVANE_BUILD_TESTS=ON -DSORVANE_BUILD_BENCHMARKS=ON -DSORVANE_WERROR=ON
        status=0
        (cd "$BUILD_DIR" && ctest --output-on-failure -j "$(nproc)") || status=$?
        sanitized_core_tests || status=$?
        exit $status
        ;;
    package)
        install_missing "${RUN_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
        configure_and_build -DSORVANE_BUILD_TESTS=OFF -DSORVANE_BUILD_BENCHMARKS=OFF
        cd "$BUILD_DIR"
        exec cpack -G DEB
        ;;
    *)
        echo "usage: $0 run|test|package" >&2
        exit 2
        ;;
esac
