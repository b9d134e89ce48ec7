#!/bin/sh
# Saves PNG screenshots of the main window in each mode, with a sample list,
# and of the add-files and export dialogs into docs/: the program runs under
# Xvfb with the CJK fonts installed.
#   tools/screenshots.sh [BUILD] [OUTPUT]
set -eu
build=${1:-build}
out=${2:-docs}
cmake --build "$build" --target kq_screenshots
driver="$build/tests/renamer/app/kq_screenshots"
if [ ! -x "$driver" ]; then
    echo "screenshots need the GUI and its tests built (Qt 6)" >&2
    exit 1
fi
if ! fc-list :lang=zh | grep -q .; then
    echo "no Chinese font found: install fonts-noto-cjk" >&2
    exit 1
fi
export QT_QPA_PLATFORM=xcb
export LANG=C.UTF-8
xvfb-run -a -s "-screen 0 1400x1000x24" "$driver" "$out"

# The updater's progress window and question box.
cmake --build "$build" --target updater_screenshots
xvfb-run -a -s "-screen 0 1400x1000x24" "$build/tests/updater/app/updater_screenshots" "$out"

# The configuration centre: its main dialog and its two sheets.
cmake --build "$build" --target kq_controlpanel_screenshots
xvfb-run -a -s "-screen 0 1400x1000x24" "$build/tests/controlpanel/app/kq_controlpanel_screenshots" "$out"
