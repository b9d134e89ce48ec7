#!/bin/sh
# Checks the Debian package `make package` built: its control fields, its
# dependencies and the files a working installation needs.
set -eu
build=${1:-build}
deb=$(ls -t "$build"/kqtools_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "package-check: no kqtools_*.deb in $build" >&2; exit 1; }
failed=0
fail() { echo "package-check: $*" >&2; failed=1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kqtools ] || fail "Package is '$(field Package)'"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected '$version'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
case "$deb" in */kqtools_${version}_$(dpkg --print-architecture).deb) ;; *) fail "file name $deb" ;; esac
for f in Maintainer Description Section; do
    [ -n "$(field $f)" ] || fail "no $f field"
done
depends=$(field Depends)
# The metadata libraries come with the binaries' own dependencies.
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libcurl4 fonts-noto-cjk qt6-translations-l10n \
    libexiv2-27 libmediainfo0v5 libpoppler-cpp0v5 libxxhash0; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$dep\( \|$\)" || fail "Depends lacks $dep: $depends"
done

list=$(dpkg-deb -c "$deb" | sed 's/.* \.\//\//')
for path in /usr/bin/KQTools /usr/bin/kqtools-cli \
    "/usr/lib/TernSoft Share/TERNControlUpdate" "/usr/lib/TernSoft Share/TERNRenameUpdate.cfg" \
    /usr/etc/ternsoft/registry.reg /usr/share/applications/KQTools.desktop \
    /usr/share/kqtools/KQTools.html /usr/share/kqtools/calhelp.html \
    /usr/share/man/man1/kqtools-cli.1.gz /usr/share/bash-completion/completions/kqtools-cli; do
    printf '%s\n' "$list" | grep -qxF -- "$path" || fail "missing $path"
done

# Files written at install time must name /usr, never the staging folder.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
grep -q '"CommonFilesDir"="/usr/lib"' "$tmp/usr/etc/ternsoft/registry.reg" || fail "registry.reg does not name /usr/lib"
grep -q '^Exec="/usr/bin/KQTools"' "$tmp/usr/share/applications/KQTools.desktop" || fail "desktop entry Exec"
[ "$(grep -c . "$tmp/usr/lib/TernSoft Share/TERNRenameUpdate.cfg")" -eq 4 ] || fail "descriptor is not four lines"
iconv -f GBK -t UTF-8 "$tmp/usr/lib/TernSoft Share/TERNRenameUpdate.cfg" | grep -q '^SoftVersion='"$version" ||
    fail "descriptor version"
[ -x "$tmp/usr/lib/TernSoft Share/TERNControlUpdate" ] || fail "updater not executable"

[ $failed -eq 0 ] && echo "package-check: $deb ok"
exit $failed
