#!/bin/sh
# rename_floor.sh [BUILD] [N] [RUNS]: times `kqtools-cli rename --yes` (the
# whole process) against the one-pass and two-pass floors of
# ../shared/bench/limit.c, alternating, a fresh folder for every run, and
# prints the median of the paired ratios. Two cases:
#   shift: photo_%06d.jpg -> img_%06d.jpg        (vs limit -1, mmv, perl rename)
#   swap:  every file exchanges names with a neighbour (vs limit -2)
# mmv and perl rename (Debian mmv and rename) are timed when installed; perl
# rename gets the names on its standard input, so it never reads the folder.
# Skips the comparison when ../shared/bench is not beside the clone.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
n=${2:-100000}
runs=${3:-5}
# The floor and the folder maker live beside the clone (or beside the
# folder of worktrees); KQ_SHARED_BENCH says where when neither.
shared=${KQ_SHARED_BENCH:-$here/../../shared/bench}
[ -d "$shared" ] || shared=$here/../../../shared/bench
cli=$build/src/kqtools-cli
case $cli in /*) ;; *) cli=$(pwd)/$cli ;; esac
if [ ! -f "$shared/limit.c" ] || [ ! -x "$shared/mkfiles.sh" ]; then
    echo "rename_floor: $shared not found, comparison skipped"
    exit 0
fi
if [ ! -x "$cli" ]; then
    echo "rename_floor: $cli not built" >&2
    exit 1
fi
work=${TMPDIR:-/tmp}/kq_rename_floor.$$
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT INT TERM
cc -O2 -o "$work/limit" "$shared/limit.c"
export KQ_CONFIG_HOME="$work/config"
dir=$work/files

now() { date +%s.%N; }
# seconds of one command run
timed() {
    t0=$(now)
    "$@" >/dev/null 2>&1 || { echo "rename_floor: failed: $*" >&2; exit 1; }
    t1=$(now)
    echo "$t1 - $t0" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

have_mmv=$(command -v mmv >/dev/null && echo 1 || echo 0)
have_perl=$(command -v file-rename >/dev/null && echo 1 || echo 0)
seq -f 'photo_%06.0f.jpg' 0 $((n - 1)) > "$work/names"
run_mmv() { (cd "$dir" && exec mmv 'photo_*' 'img_#1'); }
run_perl() { (cd "$dir" && exec file-rename 's/^photo_/img_/' < "$work/names"); }

# The swap case: a names file pairing 0<->1, 2<->3 ... in list (name) order.
seq 0 $((n - 1)) | awk '{ j = ($1 % 2 == 0) ? $1 + 1 : $1 - 1; printf "photo_%06d.jpg\n", j }' > "$work/swap_names"

: > "$work/shift"
: > "$work/mmv"
: > "$work/perl"
: > "$work/swap"
i=0
while [ $i -lt "$runs" ]; do
    "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
    a=$(timed "$work/limit" -1 "$dir" "$n")
    "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
    b=$(timed "$cli" rename --yes --find photo_ --replace img_ "$dir")
    echo "$b $a" >> "$work/shift"
    if [ "$have_mmv" = 1 ]; then
        "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
        m=$(timed run_mmv)
        echo "$b $m" >> "$work/mmv"
    fi
    if [ "$have_perl" = 1 ]; then
        "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
        p=$(timed run_perl)
        echo "$b $p" >> "$work/perl"
    fi

    "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
    c=$(timed "$cli" rename --yes --mode list --no-keep-extension --sort name --names-file "$work/swap_names" "$dir")
    "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
    d=$(timed "$work/limit" -2 "$dir" "$n")
    echo "$c $d" >> "$work/swap"
    i=$((i + 1))
done

report() {
    label=$1 file=$2 floor=$3 limit=$4
    ratio=$(awk '{ print $1 / $2 }' "$file" | median)
    cli_med=$(awk '{ print $1 }' "$file" | median)
    floor_med=$(awk '{ print $2 }' "$file" | median)
    verdict=$(echo "$ratio <= $limit" | bc -l)
    printf '%-6s %d files: kqtools-cli %.3f s, %s %.3f s, median paired ratio %.3f (limit %.2f) %s\n' \
        "$label" "$n" "$cli_med" "$floor" "$floor_med" "$ratio" "$limit" "$( [ "$verdict" = 1 ] && echo ok || echo SLOW)"
}
report shift "$work/shift" "limit -1" 1.10
if [ "$have_mmv" = 1 ]; then report shift "$work/mmv" "mmv" 1.00; fi
if [ "$have_perl" = 1 ]; then report shift "$work/perl" "perl-rename" 1.00; fi
report swap "$work/swap" "limit -2" 1.10
