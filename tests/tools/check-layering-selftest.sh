#!/bin/sh
# Plants each kind of layering fault in a copy of the source tree and checks
# that tools/check-layering.sh fails on it with the right message, and that
# it passes on the untouched copy.
#   tests/tools/check-layering-selftest.sh PROJECT_ROOT
set -eu
project=$(cd "$1" && pwd)
check="$project/tools/check-layering.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

failures=0
fresh_copy() {
    rm -rf "$work/src"
    mkdir "$work/src"
    cp -R "$project/src/." "$work/src/"
}
# plant NAME FILE LINE EXPECTED: adds LINE at the top of FILE (created when
# missing) in a fresh copy; the check must fail and say EXPECTED.
plant() {
    name=$1 file=$2 text=$3 expected=$4
    fresh_copy
    mkdir -p "$(dirname "$work/src/$file")"
    { printf '%s\n' "$text"; cat "$work/src/$file" 2>/dev/null || true; } > "$work/plant.tmp"
    mv "$work/plant.tmp" "$work/src/$file"
    if out=$(sh "$check" "$work/src" 2>&1); then
        echo "MISSED  $name: the check passed"
        failures=$((failures + 1))
    elif ! printf '%s\n' "$out" | grep -qF -- "$expected"; then
        echo "WRONG   $name: expected \"$expected\", got: $out"
        failures=$((failures + 1))
    else
        echo "caught  $name"
    fi
}

fresh_copy
if ! sh "$check" "$work/src" >/dev/null; then
    echo "the untouched tree fails the check"
    failures=$((failures + 1))
fi

plant "Qt in the core" formula/engine/AnalyseCode.h '#include <QString>' 'Qt header QString in the Qt-free core'
plant "core points up" formula/text/TERNString.cpp '#include "renamer/list/FileNameList.h"' 'formula/text may not include renamer/list/FileNameList.h'
plant "core sideways" renamer/templates/MacroTemplate.cpp '#include "formula/engine/AnalyseCode.h"' 'renamer/templates may not include formula/engine/AnalyseCode.h'
plant "updater window to the renamer" updater/app/UpdateApp.cpp '#include "renamer/list/FileNameList.h"' 'updater/app may not include renamer/list/FileNameList.h'
plant "centre window to the renamer" controlpanel/app/main.cpp '#include "renamer/modes/SimpleNaming.h"' 'controlpanel/app may not include renamer/modes/SimpleNaming.h'
plant "centre window to the formulas" controlpanel/app/main.cpp '#include "formula/engine/AnalyseCode.h"' 'controlpanel/app may not include formula/engine/AnalyseCode.h'
plant "qtcommon to a core" qtcommon/QtPrompt.cpp '#include "renamer/list/FileNameList.h"' 'qtcommon may not include renamer/list/FileNameList.h'
plant "qtcommon to the updater" qtcommon/QtSetup.cpp '#include "updater/core/UpdateFlow.h"' 'qtcommon may not include updater/core/UpdateFlow.h'
plant "updater core to the renamer" updater/core/UpdateFlow.cpp '#include "renamer/list/FileNameList.h"' 'updater/core may not include renamer/list/FileNameList.h'
plant "centre core to the texts" controlpanel/core/InfoPages.cpp '#include "formula/text/TERNString.h"' 'controlpanel/core may not include formula/text/TERNString.h'
plant "renamer window to the command line" renamer/app/main.cpp '#include "renamer/cli/CliSupport.h"' 'renamer/app may not include renamer/cli/CliSupport.h'
plant "renamer window to the updater" renamer/app/main.cpp '#include "updater/core/UpdateFlow.h"' 'renamer/app may not include updater/core/UpdateFlow.h'
plant "one window to another" renamer/app/main.cpp '#include "updater/app/UpdateApp.h"' 'renamer/app may not include updater/app/UpdateApp.h'
plant "include climbing out" renamer/list/FileDrop.cpp '#include "../app/KQToolsDlg.h"' 'include climbs out of its folder: ../app/KQToolsDlg.h'
plant "relative include of a program header" renamer/list/FileDrop.cpp '#include "KQToolsDlg.h"' 'neither beside the file nor under a layer: KQToolsDlg.h'
plant "angle-bracket include of a layer" formula/text/TERNString.cpp '#include <renamer/list/FileNameList.h>' 'formula/text may not include renamer/list/FileNameList.h'
plant "folder without a rule" renamer/extra/Extra.cpp '#include "platform/Text.h"' 'folder renamer/extra has no rule'
plant "program builds from another" updater/app/CMakeLists.txt 'add_library(x STATIC ${PROJECT_SOURCE_DIR}/src/renamer/app/QtPrompt.cpp)' 'updater builds from another program: src/renamer'

[ "$failures" -eq 0 ] && echo "every planted fault was caught"
exit "$failures"
