#!/bin/sh
# Fails when a source file includes a header its folder may not use. Each
# folder has the list of folders it may include, the same layers its library
# links (src/CMakeLists.txt): from the platform up to the programs' windows,
# an include may only point down, and no program reaches into another one's
# core or window. The Qt-free core includes no Qt header, no include climbs
# out with "..", and no program builds from another one's folder.
#   tools/check-layering.sh [SOURCE_ROOT]     (default: src beside this script)
set -eu
root=${1:-$(dirname "$0")/../src}
cd "$root"

status=0
find . \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.c' -o -name '*.inc' \) \
    -exec grep -nH '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' {} + | sed 's|^\./||' | sort |
awk '
# The folders a folder may include (besides itself and its own sub-folders).
# A folder not matched here is an error: a new folder needs its rule.
function allowed(dir,    core, formula) {
    formula = "platform formula/text formula/numeric formula/filemeta formula/regex formula/engine formula/functions"
    core = formula " renamer/templates renamer/list renamer/modes"
    if (dir ~ /^platform(\/|$)/) return "platform"
    if (dir ~ /^formula\/text$/) return "platform"
    if (dir ~ /^formula\/numeric$/) return "platform formula/text"
    if (dir ~ /^formula\/(filemeta|regex)$/) return "platform"
    if (dir ~ /^formula\/(engine|functions)$/) return "platform formula/text formula/filemeta formula/regex formula/engine formula/functions"
    if (dir ~ /^renamer\/templates$/) return "platform formula/text formula/numeric"
    if (dir ~ /^renamer\/(list|modes)$/) return core
    if (dir ~ /^renamer\/safety$/) return core
    if (dir ~ /^renamer\/supersort$/) return core " renamer/safety"
    if (dir ~ /^renamer\/settings$/) return core
    if (dir ~ /^renamer\/help$/) return core
    if (dir ~ /^renamer\/cli$/) return core " renamer/safety renamer/supersort renamer/settings updater/core"
    if (dir ~ /^updater\/core$/) return "platform formula/text"
    if (dir ~ /^controlpanel\/core$/) return "platform"
    if (dir ~ /^controlpanel\/(applet|include)$/) return "-"
    if (dir ~ /^qtcommon$/) return "platform"
    if (dir ~ /^renamer\/app(\/|$)/) return core " renamer/safety renamer/supersort renamer/settings qtcommon"
    if (dir ~ /^updater\/app$/) return "platform formula/text updater/core qtcommon"
    if (dir ~ /^controlpanel\/app(\/|$)/) return "platform controlpanel/core qtcommon"
    return ""
}
# Folders whose files may include Qt: the shared Qt pieces and the programs.
function usesQt(dir) { return dir ~ /^(qtcommon|renamer\/app|updater\/app|controlpanel\/app)(\/|$)/ }
# The folder that bare and relative includes of a program resolve against
# (its include root), or empty.
function programRoot(dir) {
    if (match(dir, /^(renamer|updater|controlpanel)\/app/)) return substr(dir, 1, RLENGTH)
    return ""
}
function exists(path,    line, ok) {
    ok = (getline line < path) >= 0
    close(path)
    return ok
}
function folderOf(path) { sub(/\/[^\/]*$/, "", path); return path }
function permits(list, tdir,    n, i, names) {
    n = split(list, names, " ")
    for (i = 1; i <= n; i++)
        if (tdir == names[i] || index(tdir, names[i] "/") == 1) return 1
    return 0
}
function fail(msg) { print file ":" line ": " msg; bad = 1 }
{
    # grep -n output: file:line:#include ...
    split($0, parts, ":")
    file = parts[1]; line = parts[2]
    text = substr($0, length(parts[1]) + length(parts[2]) + 3)
    dir = folderOf(file)
    rule = allowed(dir)
    if (rule == "") { fail("folder " dir " has no rule: add it to tools/check-layering.sh"); next }
    match(text, /[<"][^>"]+[>"]/)
    quoted = substr(text, RSTART, 1) == "\""
    target = substr(text, RSTART + 1, RLENGTH - 2)
    if (target ~ /(^|\/)\.\.?(\/|$)/ || target ~ /^\//) { fail("include climbs out of its folder: " target); next }
    if (target ~ /^Q[A-Za-z]*(\/|$)|^Qt/) {
        if (!usesQt(dir)) fail("Qt header " target " in the Qt-free core")
        next
    }
    if (target !~ /^(platform|formula|renamer|updater|controlpanel|qtcommon)\//) {
        if (!quoted) next  # a system or library header
        # A header beside the file, or at its program folder'"'"'s root.
        if (exists(dir "/" target)) next
        proot = programRoot(dir)
        if (proot != "" && exists(proot "/" target)) next
        if (dir ~ /^controlpanel\// && exists("controlpanel/include/" target)) next
        fail("include of a header that is neither beside the file nor under a layer: " target)
        next
    }
    tdir = folderOf(target)
    if (!exists(target)) { fail("include of a missing header " target); next }
    if (tdir == dir || index(tdir, dir "/") == 1) next
    proot = programRoot(dir)
    if (proot != "" && (tdir == proot || index(tdir, proot "/") == 1)) next
    if (!permits(rule, tdir)) fail(dir " may not include " target)
}
END { exit bad }
' || status=1

# Nor do their build files: no program (nor the shared Qt pieces) compiles or
# includes another program's folder by path.
find . -name CMakeLists.txt -exec grep -nHE 'src/(renamer|updater|controlpanel)/' {} + | sed 's|^\./||' | sort |
awk '
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

[ "$status" -eq 0 ] && echo "layering: every include within its layers"
exit "$status"
