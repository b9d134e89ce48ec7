#!/bin/sh
# Cross-builds the Qt-free core, kqtools-cli.exe and the core and CLI tests
# with mingw-w64 and runs the tests under Wine.
#   tools/test-windows.sh BUILD_DIR [JOBS]
# The Wine prefix lives inside BUILD_DIR, so a fresh folder is a fresh
# Windows; nothing needs a display.
set -eu
build=${1:-build-windows}
jobs=${2:-2}
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build"
build=$(cd "$build" && pwd)
toolchain="$src/cmake/mingw-w64-x86_64.cmake"

launcher=""
if command -v ccache >/dev/null 2>&1; then
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi

# GoogleTest for the target, from Debian's sources, once per build folder.
gtest="$build/googletest"
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    # shellcheck disable=SC2086
    cmake -S /usr/src/googletest -B "$build/googletest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" -Dgtest_force_shared_crt=ON $launcher >/dev/null
    cmake --build "$build/googletest-build" -j "$jobs"
    cmake --install "$build/googletest-build" >/dev/null
fi

# shellcheck disable=SC2086
cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKQ_BUILD_GUI=OFF -DGTest_DIR="$gtest/lib/cmake/GTest" $launcher

# A fresh prefix is made by the first program Wine starts (test discovery
# runs the test programs while building); make it up front, quietly, and keep
# one server for the whole run instead of one per program.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
fi
wineserver -p 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT

cmake --build "$build" -j "$jobs"
cd "$build" && ctest --output-on-failure -j "$jobs"
