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

# PCRE2 for the target (16-bit, JIT, static), once per build folder, from
# Debian's source package of the release this machine runs. apt-get reads
# source lists of its own here, so the machine's configuration is left alone.
pcre2="$build/pcre2"
if [ ! -f "$pcre2/lib/libpcre2-16.a" ]; then
    apt="$build/pcre2-apt"
    rm -rf "$apt" "$build/pcre2-build"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$apt/src"
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$apt/sources.list.d/debian.sources"
    else
        echo "deb-src http://deb.debian.org/debian $codename main" >"$apt/sources.list.d/debian.list"
    fi
    set -- -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources.list.d" \
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User="$(id -un)"
    apt-get "$@" -qq update
    # The release's own version: its sources stay on every mirror.
    (cd "$apt/src" && apt-get "$@" -qq source "pcre2/$codename" >/dev/null)
    pcre2src=$(find "$apt/src" -mindepth 1 -maxdepth 1 -type d -name 'pcre2-*' | head -n 1)
    [ -n "$pcre2src" ] || { echo "windows.sh: no PCRE2 sources for $codename" >&2; exit 1; }
    # shellcheck disable=SC2086
    cmake -S "$pcre2src" -B "$build/pcre2-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$pcre2" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
        -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_SUPPORT_JIT=ON -DPCRE2_SUPPORT_UNICODE=ON \
        -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF $launcher >/dev/null
    cmake --build "$build/pcre2-build" -j "$jobs" >/dev/null
    cmake --install "$build/pcre2-build" >/dev/null
fi

# shellcheck disable=SC2086
cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKQ_BUILD_GUI=OFF -DGTest_DIR="$gtest/lib/cmake/GTest" -DKQ_PCRE2_ROOT="$pcre2" $launcher >/dev/null

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
cd "$build"
ctest --output-on-failure -j "$jobs" && exit 0
# Under Wine a test program has been seen to end within a few hundredths of
# a second, before it printed a line, and pass when started again: a failed
# test runs once more, alone. The run fails when one fails again, and a test
# that passed only the second time is named either way.
failed=Testing/Temporary/LastTestsFailed.log
[ -s "$failed" ] || exit 1
cp "$failed" "$build/first-failures.log"
echo "windows.sh: the failed tests once more, one at a time:" >&2
sed 's/^[0-9]*://' "$build/first-failures.log" >&2
ctest --output-on-failure --rerun-failed || exit 1
echo "windows.sh: passed only on their second run under Wine:" >&2
sed 's/^[0-9]*://' "$build/first-failures.log" >&2
