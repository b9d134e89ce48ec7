#!/bin/sh
# Builds the Debian package as a distribution builds one: a tree of its own
# configured for /usr, with the compiler and linker flags of dpkg-buildflags
# (hardening, reproducible paths) and without the tests (`make test` runs
# them). Other cache settings of the tree (KQ_UPDATE_SITE) are kept.
# Usage: build-package.sh BUILD-FOLDER JOBS
set -eu
build=${1:-build-deb}
jobs=${2:-2}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DKQ_BUILD_TESTS=OFF \
    -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
    -DCMAKE_STRIP="$(pwd)/tools/deb-strip.sh"
cmake --build "$build" -j "$jobs"
(cd "$build" && cpack -G DEB)
