#!/bin/sh
# undo_recover.sh [BUILD] [N] [RUNS]: times `kqtools-cli undo` and
# `kqtools-cli recover` of N files against the rename that made the work,
# whole processes under /usr/bin/time -v (elapsed seconds and peak RSS), a
# fresh folder for every run; prints the medians and the median paired ratios.
#   rename:   photo_%06d.jpg -> img_%06d.jpg
#   undo:     the rename just made, taken back
#   recover:  a journal left behind after every file had moved (the run died
#             before it could remove it): every file goes back
#   killed:   the rename killed (SIGKILL) about half-way, then recover
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
n=${2:-1000000}
runs=${3:-3}
# The floor and the folder maker live beside the clone (or beside the
# folder of worktrees); KQ_SHARED_BENCH says where when neither.
shared=${KQ_SHARED_BENCH:-$here/../../shared/bench}
[ -d "$shared" ] || shared=$here/../../../shared/bench
cli=$build/src/kqtools-cli
case $cli in /*) ;; *) cli=$(pwd)/$cli ;; esac
if [ ! -x "$shared/mkfiles.sh" ]; then
    echo "undo_recover: $shared not found, skipped"
    exit 0
fi
if [ ! -x "$cli" ]; then
    echo "undo_recover: $cli not built" >&2
    exit 1
fi
if [ ! -x /usr/bin/time ] || ! command -v python3 >/dev/null; then
    echo "undo_recover: needs /usr/bin/time and python3" >&2
    exit 1
fi
work=${TMPDIR:-/tmp}/kq_undo_recover.$$
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT INT TERM
export KQ_CONFIG_HOME="$work/config"
journals=$KQ_CONFIG_HOME/TernSoft/KQTool
dir=$work/files

# "seconds peak-kB" of one command run; a failure stops the benchmark.
measured() {
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
        echo "undo_recover: failed: $*" >&2
        cat "$work/err" >&2
        exit 1
    }
    cat "$work/time"
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# Every file under the name it should have: count of photo_ and img_ names.
expect() {
    got=$(python3 -c 'import os, sys
names = os.listdir(sys.argv[1])
print(sum(x.startswith("photo_") for x in names), sum(x.startswith("img_") for x in names))' "$dir")
    if [ "$got" != "$1" ]; then
        echo "undo_recover: $2 left '$got' (photo_ img_), wanted '$1'" >&2
        exit 1
    fi
}
# The journal a run leaves when it dies after its last move: every file of
# the folder under its new name.
left_journal() {
    mkdir -p "$journals"
    python3 - "$dir" "$journals/rename-1-1.kqjournal" <<'EOF'
import os, sys
folder, path = sys.argv[1], sys.argv[2]
lines = ["KQTOOLS-RENAME-JOURNAL 1\n", "D\t%s\n" % folder]
for e in sorted(os.scandir(folder), key=lambda e: e.name):
    new = "img_" + e.name[len("photo_"):]
    lines.append("M\t%d\t%s\t\t%s\n" % (e.stat(follow_symlinks=False).st_ino, e.name, new))
    os.rename(os.path.join(folder, e.name), os.path.join(folder, new))
with open(path, "w") as f:
    f.writelines(lines)
EOF
    sync
}

: > "$work/rows"
i=0
while [ $i -lt "$runs" ]; do
    rm -rf "$KQ_CONFIG_HOME"
    "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
    set -- $(measured "$cli" rename --yes --find photo_ --replace img_ "$dir")
    rename_s=$1 rename_kb=$2
    expect "0 $n" rename
    sync
    set -- $(measured "$cli" undo)
    undo_s=$1 undo_kb=$2
    expect "$n 0" undo

    rm -rf "$KQ_CONFIG_HOME"
    left_journal
    set -- $(measured "$cli" recover)
    recover_s=$1 recover_kb=$2
    expect "$n 0" recover

    # Killed during its moves: once its journal is published the moves
    # start; a tenth of the rename's time later it is killed.
    rm -rf "$KQ_CONFIG_HOME"
    "$shared/mkfiles.sh" "$dir" "$n" >/dev/null
    "$cli" rename --yes --find photo_ --replace img_ "$dir" >/dev/null 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && ! ls "$journals"/*.kqjournal >/dev/null 2>&1; do sleep 0.05; done
    sleep "$(echo "$rename_s / 10" | bc -l)"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if ls "$journals"/*.kqjournal >/dev/null 2>&1; then
        set -- $(measured "$cli" recover)
        killed_s=$1 killed_kb=$2
        expect "$n 0" "recover after a kill"
    else
        echo "undo_recover: the killed rename left no journal (killed too early or too late)" >&2
        killed_s=nan killed_kb=0
    fi

    echo "$rename_s $rename_kb $undo_s $undo_kb $recover_s $recover_kb $killed_s $killed_kb" >> "$work/rows"
    i=$((i + 1))
done

# Runs whose kill missed the moves say nan and are left out.
column() { awk -v c="$1" '$c != "nan" { print $c }' "$work/rows" | median; }
ratio() { awk -v a="$1" -v b="$2" '$a != "nan" { print $a / $b }' "$work/rows" | median; }
verdict() { [ "$(echo "$1" | bc -l)" = 1 ] && echo ok || echo SLOW; }
rs=$(column 1) rk=$(column 2)
printf 'rename  %d files: %.2f s, peak %d MB\n' "$n" "$rs" $((rk / 1024))
for step in undo:3 recover:5 killed:7; do
    name=${step%%:*} c=${step#*:}
    s=$(column "$c") kb=$(column $((c + 1))) r=$(ratio "$c" 1)
    [ -n "$s" ] || { echo "$name: no run"; continue; }
    printf '%-7s %d files: %.2f s, peak %d MB, median paired ratio to rename %.3f (limit 1.20) %s, memory %s\n' \
        "$name" "$n" "$s" $((kb / 1024)) "$r" "$(verdict "$r <= 1.2")" "$(verdict "$kb <= 512000")"
done
