#!/bin/sh
# Runs every benchmark program of the build tree (not part of the tests),
# then the whole-process rename, undo and recover timings.
set -eu
here=$(dirname "$0")
build=${1:-build}
status=0
# The metadata benchmark compares with exiftool, needed by nothing else;
# the rename timings compare with mmv and perl rename and read peak memory
# with GNU time.
if [ -x "$build/bench/filemeta_bench" ]; then
    "$here/../tools/install-deps.sh" libimage-exiftool-perl || true
fi
"$here/../tools/install-deps.sh" mmv rename time || true
for b in "$build"/bench/*_bench; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" || status=1
done
# Sizes and run counts: KQ_BENCH_RENAME_N (100000), KQ_BENCH_UNDO_N (1000000), KQ_BENCH_RUNS.
echo "== rename_floor"
"$here/rename_floor.sh" "$build" "${KQ_BENCH_RENAME_N:-100000}" "${KQ_BENCH_RUNS:-5}" || status=1
echo "== undo_recover"
"$here/undo_recover.sh" "$build" "${KQ_BENCH_UNDO_N:-1000000}" "${KQ_BENCH_RUNS:-3}" || status=1
exit $status
