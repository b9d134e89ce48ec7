#!/bin/sh
# Saves PNG screenshots of the main window in each mode, with a sample list,
# of its dialogs and windows, of the updater and of the configuration centre
# into docs/: the programs run under Xvfb with the CJK fonts installed.
#   tools/screenshots.sh [BUILD] [OUTPUT]
# SCREENSHOT_LANG picks the locale they run under (C.UTF-8 by default; the
# pictures must read the same under zh_CN.UTF-8).
set -eu
build=${1:-build}
out=${2:-docs}
lang=${SCREENSHOT_LANG:-C.UTF-8}
cmake --build "$build" --target kq_screenshots updater_screenshots kq_controlpanel_screenshots
driver="$build/tests/renamer/app/kq_screenshots"
if [ ! -x "$driver" ]; then
    echo "screenshots need the GUI and its tests built (Qt 6)" >&2
    exit 1
fi
if ! fc-list :lang=zh | grep -q .; then
    echo "no Chinese font found: install fonts-noto-cjk" >&2
    exit 1
fi
# A locale that is not installed would leave the programs in "C": make it
# (glibc's locales package has its sources).
case "$lang" in
    C.UTF-8 | C.utf8 | C | POSIX) ;;
    *)
        name=$(echo "$lang" | sed 's/\.UTF-8$/.utf8/; s/\.utf-8$/.utf8/')
        if ! locale -a | grep -qx "$name"; then
            if [ "$(id -u)" -ne 0 ]; then
                echo "locale $lang is missing: sudo localedef -i ${lang%%.*} -f UTF-8 $lang" >&2
                exit 1
            fi
            localedef -i "${lang%%.*}" -f UTF-8 "$lang"
        fi
        ;;
esac
export QT_QPA_PLATFORM=xcb
export LANG="$lang"
unset LC_ALL LANGUAGE
screen="-screen 0 1400x1000x24"
xvfb-run -a -s "$screen" "$driver" "$out"

# The updater's progress window and question box.
xvfb-run -a -s "$screen" "$build/tests/updater/app/updater_screenshots" "$out"

# The configuration centre: its main dialog and its two sheets.
xvfb-run -a -s "$screen" "$build/tests/controlpanel/app/kq_controlpanel_screenshots" "$out"
