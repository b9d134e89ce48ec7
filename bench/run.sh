#!/bin/sh
# Runs every benchmark program of the build tree (not part of the tests).
set -eu
build=${1:-build}
status=0
# The metadata benchmark compares with exiftool, needed by nothing else.
if [ -x "$build/bench/filemeta_bench" ]; then
    "$(dirname "$0")/../tools/install-deps.sh" libimage-exiftool-perl || true
fi
for b in "$build"/bench/*_bench; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" || status=1
done
exit $status
