#!/bin/sh
# Checks the Debian package `make package` built, as a distribution and a
# user would: its fields and files, lintian (no error, no warning), the
# AppStream and desktop-entry validators and the manual pages; then installs
# it on this machine with apt, tries the programs from /usr/bin, purges it
# and checks that nothing of it is left. Run as root where kqtools is not
# installed (`make package-check` installs the checkers).
set -eu
build=${1:-build-deb}
deb=$(ls -t "$build"/kqtools_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "package-check: no kqtools_*.deb in $build" >&2; exit 1; }
deb=$(realpath "$deb")
failed=0
fail() { echo "package-check: $*" >&2; failed=1; }
note() { echo "package-check: $*"; }

tmp=$(mktemp -d)
installed=0
cleanup() {
    if [ $installed -eq 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq kqtools >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

# ---- control fields ---------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
arch=$(dpkg --print-architecture)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$(field Package)" = kqtools ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected '$version'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
case "$deb" in */kqtools_${version}_$arch.deb) ;; *) fail "file name $deb" ;; esac
for f in Maintainer Description Section Homepage; do
    [ -n "$(field $f)" ] || fail "no $f field"
done
depends=$(field Depends)
# The metadata libraries come with the binaries' own dependencies.
for dep in libqt6core6 libqt6gui6 libqt6widgets6 fonts-noto-cjk qt6-translations-l10n xdg-utils \
    libexiv2-27 libmediainfo0v5 libpoppler-cpp0v5 libxxhash0; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$dep\( \|$\)" || fail "Depends lacks $dep: $depends"
done
echo "$depends" | grep -q 'libcurl' || fail "Depends lacks libcurl: $depends"

# ---- files ------------------------------------------------------------------
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
panel="/usr/lib/$multiarch/kqtools"
shared="/usr/lib/TernSoft Share"
list=$(dpkg-deb -c "$deb" | sed 's/^\([^ ]*\) .* \.\(\/.*\)$/\1 \2/')
paths=$(printf '%s\n' "$list" | cut -d' ' -f2- | sed 's/ -> .*//; s:/$::')
printf '%s\n' "$paths" >"$tmp/paths"
for path in /usr/bin/KQTools /usr/bin/kqtools-cli /usr/bin/TERNControlPanel \
    "$panel/TERNControlPanel" "$panel/libTERNControlPanel.so" \
    "$shared/TERNControlUpdate" "$shared/TERNRenameUpdate.cfg" \
    /etc/ternsoft/registry.reg /usr/share/kqtools/KQTools.html /usr/share/kqtools/calhelp.html \
    /usr/share/applications/KQTools.desktop /usr/share/applications/TERNControlPanel.desktop \
    /usr/share/metainfo/example.ternsoft.kqtools.metainfo.xml \
    /usr/share/kio/servicemenus/kqtools-rename.desktop /usr/share/nemo/actions/kqtools-rename.nemo_action \
    /usr/share/doc/kqtools/copyright /usr/share/doc/kqtools/changelog.gz \
    /usr/share/man/man1/kqtools-cli.1.gz /usr/share/man/man1/KQTools.1.gz \
    /usr/share/man/man1/TERNControlPanel.1.gz /usr/share/man/man1/TERNControlUpdate.1.gz \
    /usr/share/bash-completion/completions/kqtools-cli /usr/share/zsh/vendor-completions/_kqtools-cli \
    /usr/share/fish/vendor_completions.d/kqtools-cli.fish; do
    grep -qxF -- "$path" "$tmp/paths" || fail "missing $path"
done
grep -q '^/usr/\(etc\|include\)\(/\|$\)' "$tmp/paths" && fail "files under /usr/etc or /usr/include"
grep -q '^/usr/lib/[^/]*\.so' "$tmp/paths" && fail "a shared library in the linker's search path"
printf '%s\n' "$list" | grep -q "^l.* /usr/bin/TERNControlPanel -> \.\./lib/$multiarch/kqtools/TERNControlPanel$" ||
    fail "/usr/bin/TERNControlPanel is not the relative link into $panel"
[ "$(dpkg-deb -I "$deb" conffiles)" = /etc/ternsoft/registry.reg ] || fail "registry.reg is not the one conffile"

root="$tmp/root"
mkdir "$root"
dpkg-deb -x "$deb" "$root"
# Files written at install time name /usr, never the staging folder.
reg="$root/etc/ternsoft/registry.reg"
grep -q '"Location"="/usr/share/kqtools"' "$reg" || fail "registry.reg does not name /usr/share/kqtools"
grep -q '"CommonFilesDir"="/usr/lib"' "$reg" || fail "registry.reg does not name /usr/lib"
grep -q "\"Version\"=\"$version\"" "$reg" || fail "registry.reg does not hold the version"
desktop="$root/usr/share/applications/KQTools.desktop"
grep -q '^Exec="/usr/bin/KQTools" %F$' "$desktop" || fail "desktop entry Exec"
grep -q '^MimeType=inode/directory;$' "$desktop" || fail "desktop entry does not take folders"
for entry in usr/share/kio/servicemenus/kqtools-rename.desktop usr/share/nemo/actions/kqtools-rename.nemo_action; do
    grep -q '^Name=用远舟文件改名系统改名$' "$root/$entry" || fail "$entry: name"
    grep -q '^Exec="/usr/bin/KQTools" %F$' "$root/$entry" || fail "$entry: Exec"
done
grep -q '^Actions=kqtoolsRename;$' "$root/usr/share/kio/servicemenus/kqtools-rename.desktop" &&
    grep -q '^\[Desktop Action kqtoolsRename\]$' "$root/usr/share/kio/servicemenus/kqtools-rename.desktop" ||
    fail "service menu action"
descriptor="$root$shared/TERNRenameUpdate.cfg"
[ "$(grep -c . "$descriptor")" -eq 4 ] || fail "descriptor is not four lines"
iconv -f GBK -t UTF-8 "$descriptor" | grep -q '^SoftVersion='"$version" || fail "descriptor version"
[ -x "$root$shared/TERNControlUpdate" ] || fail "updater not executable"
changelog=$(gzip -dc "$root/usr/share/doc/kqtools/changelog.gz" | head -n 1)
case "$changelog" in "kqtools ($version) "*) ;; *) fail "changelog's newest entry is not $version: $changelog" ;; esac

# ---- the checkers -----------------------------------------------------------
lintian --pedantic --display-info --display-experimental --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1 || true
if grep -q '^[EW]: ' "$tmp/lintian"; then
    fail "lintian:"
    grep '^[EW]: ' "$tmp/lintian" >&2
fi
grep '^[IPX]: ' "$tmp/lintian" | sed 's/^/package-check: lintian /' || true
appstreamcli validate --no-net "$root/usr/share/metainfo/example.ternsoft.kqtools.metainfo.xml" >"$tmp/as" 2>&1 ||
    { fail "appstreamcli:"; cat "$tmp/as" >&2; }
for entry in "$root"/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry" >"$tmp/dfv" 2>&1 && [ ! -s "$tmp/dfv" ] ||
        { fail "desktop-file-validate $(basename "$entry"):"; cat "$tmp/dfv" >&2; }
done
for page in "$root"/usr/share/man/man1/*.1.gz; do
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings=all -E UTF-8 -l -Tutf8 -Z "$page" 2>"$tmp/man" >/dev/null ||
        fail "man $(basename "$page") failed"
    [ ! -s "$tmp/man" ] || { fail "man $(basename "$page") warns:"; cat "$tmp/man" >&2; }
done

# ---- installed --------------------------------------------------------------
if dpkg-query -W -f='${Status}' kqtools 2>/dev/null | grep -q 'ok installed$'; then
    fail "kqtools is installed already: purge it (apt-get purge kqtools) and check again"
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
installed=1
if ! apt-get install -y -qq --no-install-recommends "$deb" >"$tmp/apt" 2>&1; then
    apt-get update -qq >/dev/null 2>&1 || true
    apt-get install -y -qq --no-install-recommends "$deb" >"$tmp/apt" 2>&1 ||
        { fail "apt-get install failed:"; cat "$tmp/apt" >&2; exit 1; }
fi

[ "$(/usr/bin/kqtools-cli --version)" = "kqtools-cli $version" ] || fail "kqtools-cli --version: $(/usr/bin/kqtools-cli --version)"
for page in kqtools-cli KQTools TERNControlPanel TERNControlUpdate; do
    where=$(man -w "$page" 2>/dev/null) && [ -f "$where" ] || fail "man -w $page finds nothing"
done
# The control panel, in its own folder, reads the registry in /etc.
software=$(/usr/bin/TERNControlPanel --page software)
printf '%s\n' "$software" | grep -q "软件版本：$version$" && printf '%s\n' "$software" | grep -q '安装路径：/usr/share/kqtools$' ||
    fail "TERNControlPanel does not read /etc/ternsoft/registry.reg: $software"
/usr/bin/TERNControlPanel --list >/dev/null || fail "TERNControlPanel --list"
# The window with a folder in its list: still up after a few seconds, and
# nothing said about missing libraries, plug-ins or files.
folder="$tmp/照片 folder"
mkdir "$folder"
: >"$folder/a.jpg"
: >"$folder/b.jpg"
status=0
HOME="$tmp" XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=offscreen timeout 8 /usr/bin/KQTools "$folder" \
    >"$tmp/gui" 2>&1 || status=$?
[ $status -eq 124 ] || { fail "KQTools ended with status $status:"; cat "$tmp/gui" >&2; }
! grep -qi 'error\|cannot\|could not\|failed' "$tmp/gui" || { fail "KQTools says:"; cat "$tmp/gui" >&2; }
# Each shell finds the installed completion (with a home of its own).
bash_words=$(HOME="$tmp" bash -c '. /usr/share/bash-completion/bash_completion
    COMP_LINE="kqtools-cli un"; COMP_POINT=${#COMP_LINE}; COMP_WORDS=(kqtools-cli un); COMP_CWORD=1
    _completion_loader kqtools-cli; _kqtools_cli kqtools-cli un kqtools-cli; printf "%s\n" "${COMPREPLY[@]}"')
[ "$bash_words" = undo ] || fail "bash completes 'kqtools-cli un' to '$bash_words'"
fish_words=$(HOME="$tmp" fish -c 'complete -C"kqtools-cli rules ex"' | cut -f1)
[ "$fish_words" = export ] || fail "fish completes 'kqtools-cli rules ex' to '$fish_words'"
HOME="$tmp" zsh -fc 'print -l $fpath' | grep -qx /usr/share/zsh/vendor-completions || fail "zsh does not look in vendor-completions"
zsh -n /usr/share/zsh/vendor-completions/_kqtools-cli || fail "zsh cannot read _kqtools-cli"
dpkg-query -W -f='${Conffiles}\n' kqtools | grep -q '^ /etc/ternsoft/registry.reg ' || fail "registry.reg is not a conffile"

# ---- purged -----------------------------------------------------------------
apt-get purge -y -qq kqtools >/dev/null 2>&1 || fail "apt-get purge kqtools failed"
installed=0
left=$(dpkg-query -W -f='${Status}' kqtools 2>/dev/null || true)
case "$left" in "" | *not-installed) ;; *) fail "dpkg still has kqtools: $left" ;; esac
while IFS= read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    # Folders other packages share (/usr/bin, /usr/share/man/man1, ...) stay.
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
    [ -d "$path" ] && [ ! -L "$path" ] && [ -n "$(ls -A "$path")" ] && continue
    fail "left after purge: $path"
done <"$tmp/paths"
for folder in /etc/ternsoft "$panel" "$shared" /usr/share/kqtools /usr/share/doc/kqtools; do
    [ ! -e "$folder" ] || fail "left after purge: $folder"
done

[ $failed -eq 0 ] && echo "package-check: $deb ok"
exit $failed
