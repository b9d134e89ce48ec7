#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a while, each seeded from
# fuzz/corpus/<target>/ (read only; what it finds goes to fuzz-out/<target>/).
# A crash, a leak or too much memory stops the run with status 1 and prints
# the input, so that a CI log is enough to reproduce it; a slow input is
# printed too but does not fail the run.
#   tools/run-fuzzers.sh BUILD SECONDS [TIMEOUT]
set -eu
build=${1:-build-fuzz}
seconds=${2:-120}
timeout=${3:-10}
status=0
# Leaks inside system libraries that we cannot mend (see the file).
LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export LSAN_OPTIONS
for f in "$build"/fuzz/*_fuzz; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    out=fuzz-out/$name
    mkdir -p "$out"
    seeds=""
    [ -d "fuzz/corpus/$name" ] && seeds="fuzz/corpus/$name"
    echo "== $name (${seconds}s)"
    rc=0
    # shellcheck disable=SC2086
    "$f" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout="$timeout" -timeout_exitcode=70 \
        -print_final_stats=1 -artifact_prefix="$out/" "$out" $seeds || rc=$?
    if [ "$rc" -ne 0 ]; then
        # A slow input is reported with its bytes but does not fail the run:
        # under the sanitizers a legal but heavy formula can pass the limit.
        if [ "$rc" -eq 70 ]; then
            echo "== $name: an input ran longer than ${timeout}s (reported, not a failure)"
        else
            status=1
        fi
        for a in "$out"/crash-* "$out"/leak-* "$out"/timeout-* "$out"/oom-* "$out"/slow-unit-*; do
            [ -f "$a" ] || continue
            echo "== input $a (base64; reproduce with: base64 -d > input && $f input)"
            base64 "$a"
        done
    fi
done
exit $status
