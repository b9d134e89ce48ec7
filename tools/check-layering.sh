#!/bin/sh
# Fails when a source file includes a folder above its own: the layers run
# from the platform up to the programs' windows, and an include may only
# point down (or sideways within one layer). The Qt-free core includes no Qt
# header and no app folder, and no program builds from another one's folder.
#   tools/check-layering.sh [SOURCE_ROOT]     (default: src beside this script)
set -eu
root=${1:-$(dirname "$0")/../src}
cd "$root"

status=0
find . \( -name '*.h' -o -name '*.cpp' -o -name '*.inc' \) -print | sed 's|^\./||' | sort |
while IFS= read -r file; do
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$file" /dev/null || true
done | awk '
# Layer of a folder (a path relative to src/, without the file name): the
# lowest number is the bottom. "app" folders are the programs on top, over
# the Qt pieces they share (qtcommon); the updater and control panel cores
# sit just above the texts they use.
function layer(dir) {
    if (dir ~ /^platform(\/|$)/) return 0
    if (dir ~ /^formula\/(text|regex)(\/|$)/) return 1
    if (dir ~ /^formula\/numeric(\/|$)/) return 2
    if (dir ~ /^formula\/(engine|functions)(\/|$)/) return 3
    if (dir ~ /^renamer\/templates(\/|$)/) return 4
    if (dir ~ /^renamer\/(list|modes)(\/|$)/) return 5
    if (dir ~ /^renamer\/supersort(\/|$)/) return 6
    if (dir ~ /^renamer\/help(\/|$)/) return 7
    if (dir ~ /^renamer\/cli(\/|$)/) return 8
    if (dir ~ /^qtcommon(\/|$)/) return 9
    if (dir ~ /^(renamer|updater|controlpanel)\/app(\/|$)/) return 10
    if (dir ~ /^(updater|controlpanel)(\/|$)/) return 2
    return -1
}
function program(dir) { sub(/\/.*/, "", dir); return dir }
function fail(msg) { print FILENAME_ ":" line ": " msg; bad = 1 }
{
    # grep -n output: file:line:#include ...
    split($0, parts, ":")
    FILENAME_ = parts[1]; line = parts[2]
    text = substr($0, length(parts[1]) + length(parts[2]) + 3)
    dir = FILENAME_; sub(/\/[^\/]*$/, "", dir)
    from = layer(dir)
    if (from < 0) { fail("folder " dir " has no layer: add it to tools/check-layering.sh"); next }
    match(text, /[<"][^>"]+[>"]/)
    target = substr(text, RSTART + 1, RLENGTH - 2)
    isApp = (from == 10)
    usesQt = (from >= 9)
    if (!usesQt && target ~ /^Q[A-Za-z]*(\/|$)|^Qt/) { fail("Qt header " target " in the Qt-free core"); next }
    if (target !~ /^(platform|formula|renamer|updater|controlpanel|qtcommon)\//) next  # system or same folder
    tdir = target; sub(/\/[^\/]*$/, "", tdir)
    to = layer(tdir)
    if (to < 0) { fail("include of unknown folder " tdir); next }
    if (to > from) { fail(dir " includes " target " from a higher layer"); next }
    # The updater and control panel cores use the platform and the texts only.
    if (dir ~ /^(updater|controlpanel)/ && !isApp && to >= 2 && program(tdir) != program(dir))
        { fail(dir " may use platform and formula/text only, not " target); next }
    # Only the updater and control panel themselves use their cores, and the
    # command line, which runs the update pass in a terminal.
    if (tdir ~ /^(updater|controlpanel)/ && program(tdir) != program(dir) &&
        !(dir ~ /^renamer\/cli/ && tdir ~ /^updater\/core/)) { fail(dir " includes " target); next }
    # Programs do not reach into one another.
    if (isApp && to == 10 && program(tdir) != program(dir)) { fail("one program includes another: " target); next }
    if (usesQt && tdir ~ /^renamer\/cli/) { fail("the window includes the command line: " target); next }
}
END { exit bad }
' || status=1

# Nor do their build files: no program (nor the shared Qt pieces) compiles or
# includes another program's folder by path.
find . -name CMakeLists.txt -print | sed 's|^\./||' | sort |
while IFS= read -r file; do
    grep -nE 'src/(renamer|updater|controlpanel)/' "$file" /dev/null || true
done | awk '
{
    split($0, parts, ":")
    own = parts[1]; sub(/\/.*/, "", own)
    if (own !~ /^(renamer|updater|controlpanel|qtcommon)$/) next
    match($0, /src\/(renamer|updater|controlpanel)\//)
    other = substr($0, RSTART + 4, RLENGTH - 5)
    if (other != own) { print parts[1] ":" parts[2] ": " own " builds from another program: src/" other; bad = 1 }
}
END { exit bad }
' || status=1

[ "$status" -eq 0 ] && echo "layering: no upward include"
