#!/bin/sh
# Installs the build tree under a prefix of its own, as `cmake --install
# --prefix` does for a moved installation, and checks that the files written
# at install time name that prefix and that the installed control panel, in
# its own folder below lib/, reads the registry of that installation.
# Usage: install_test.sh BUILD-FOLDER
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/opt/kq 2"
failed=0
fail() { echo "install_test: $*" >&2; failed=1; }

cmake --install "$build" --prefix "$prefix" >"$tmp/log" 2>&1 || { cat "$tmp/log" >&2; exit 1; }

reg="$prefix/etc/ternsoft/registry.reg"
[ -f "$reg" ] || { echo "install_test: no $reg" >&2; exit 1; }
grep -qF "\"Location\"=\"$prefix/share/kqtools\"" "$reg" || fail "registry Location: $(cat "$reg")"
grep -qF "\"CommonFilesDir\"=\"$prefix/lib\"" "$reg" || fail "registry CommonFilesDir: $(cat "$reg")"
[ -f "$prefix/lib/TernSoft Share/TERNRenameUpdate.cfg" ] || fail "no descriptor in the shared folder"
[ -x "$prefix/lib/TernSoft Share/TERNControlUpdate" ] || fail "no updater in the shared folder"
for entry in share/applications/KQTools.desktop share/kio/servicemenus/kqtools-rename.desktop \
    share/nemo/actions/kqtools-rename.nemo_action; do
    grep -qxF "Exec=\"$prefix/bin/KQTools\" %F" "$prefix/$entry" || fail "$entry names no $prefix/bin/KQTools"
done
grep -qxF "Exec=\"$prefix/bin/TERNControlPanel\"" "$prefix/share/applications/TERNControlPanel.desktop" ||
    fail "TERNControlPanel.desktop Exec"

panel=$(readlink -f "$prefix/bin/TERNControlPanel")
case "$panel" in "$prefix"/lib/*/TERNControlPanel) ;; *) fail "bin/TERNControlPanel leads to '$panel'" ;; esac
[ -f "$(dirname "$panel")/libTERNControlPanel.so" ] || fail "no applet library beside $panel"
software=$(env -u KQ_REGISTRY_FILE "$prefix/bin/TERNControlPanel" --page software)
printf '%s\n' "$software" | grep -qxF "  安装路径：$prefix/share/kqtools" ||
    fail "the installed control panel does not read $reg: $software"

[ $failed -eq 0 ] && echo "install_test: the installation under $prefix finds its files"
exit $failed
