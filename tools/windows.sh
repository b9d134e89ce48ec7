#!/bin/sh
# The Windows build: the Qt-free core, kqtools-cli.exe and the core and CLI
# tests cross-built with mingw-w64.
#   tools/windows.sh test BUILD_DIR [JOBS]   build and run the tests under Wine
#   tools/windows.sh dist BUILD_DIR [JOBS]   kqtools-<version>-windows-x64.zip
# The Wine prefix lives inside BUILD_DIR, so a fresh folder is a fresh
# Windows; nothing needs a display.
set -eu
mode=${1:?test or dist}
build=${2:-build-windows}
jobs=${3:-2}
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build"
build=$(cd "$build" && pwd)
toolchain="$src/cmake/mingw-w64-x86_64.cmake"
triplet=x86_64-w64-mingw32

launcher=""
if [ -n "${CCACHE_DIR:-}" ] && command -v ccache >/dev/null 2>&1; then
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi

# GoogleTest for the target, from Debian's sources, once per build folder.
gtest="$build/googletest"
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    # shellcheck disable=SC2086
    cmake -S /usr/src/googletest -B "$build/googletest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" $launcher >/dev/null
    cmake --build "$build/googletest-build" -j "$jobs" >/dev/null
    cmake --install "$build/googletest-build" >/dev/null
fi

# shellcheck disable=SC2086
cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKQ_BUILD_GUI=OFF -DGTest_DIR="$gtest/lib/cmake/GTest" $launcher >/dev/null

if [ "$mode" = dist ]; then
    cmake --build "$build" -j "$jobs" --target kqtools-cli
    version=$(sed -n 's/^project(KQTools VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
    stage="$build/dist/kqtools-$version-windows-x64"
    rm -rf "$stage" && mkdir -p "$stage"
    "$triplet-strip" -o "$stage/kqtools-cli.exe" "$build/src/kqtools-cli.exe"
    # The runtime is linked in; any DLL the program still names that is not
    # part of Windows comes from the cross-compiler's folders.
    for dll in $("$triplet-objdump" -p "$stage/kqtools-cli.exe" | sed -n 's/^\s*DLL Name: //p'); do
        found=$(find /usr/$triplet/lib /usr/lib/gcc/$triplet -iname "$dll" 2>/dev/null | head -n 1)
        [ -n "$found" ] && cp "$found" "$stage/"
    done
    rm -f "$stage.zip"
    (cd "$build/dist" && zip -qr "$stage.zip" "$(basename "$stage")")
    echo "$stage.zip"
    exit 0
fi

# A fresh prefix is made by the first program Wine starts (test discovery
# runs the test programs while building): make it up front, and keep one
# server for the whole run instead of one per program.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$build/wineprefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$build/wine-run" wineboot --init >/dev/null 2>&1 || true
fi
wineserver -p 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first program also starts Wine's own services, which live on with the
# server; started here, they hold no test's output pipe open (ctest would
# wait for it to close).
"$build/wine-run" cmd /c ver </dev/null >/dev/null 2>&1 || true

cmake --build "$build" -j "$jobs"
cd "$build" && ctest --output-on-failure -j "$jobs"
