#!/usr/bin/env bash
# Checks what users install: `cmake --install` into a scratch prefix, the Debian package
# that CPack builds (with lintian), and the Windows version record compiled by the MinGW
# resource compiler.
# Usage: tools/check-package.sh [BUILD_DIR]
#   BUILD_DIR: a configured and built tree, absolute or relative to the current folder;
#   default: build/ in the repository.
set -euo pipefail
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -e -- "${1:-$root/build}" 2>/dev/null) || fail "no build folder ${1:-$root/build}"
cd "$root"
# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages desktop-file-utils appstream binutils-mingw-w64-x86-64 dpkg-dev file cpp lintian

app_id=it.velmiro.Velmiro
[ -f "$build/CPackConfig.cmake" ] || fail "$build is not a configured build folder"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "$build/CPackConfig.cmake gives no package version"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The licence text of a Debian copyright file: the stand-alone "License: Expat"
# paragraph, with the leading space and the " ." of empty lines taken off. A line that
# is blank, or does not start with a space, ends the paragraph, as for dpkg.
copyright_licence() {
    awk 'f { if ($0 !~ /^ [^ \t]/) exit; sub(/^ /, ""); if ($0 == ".") $0 = ""; print }
         prev == "" && $0 == "License: Expat" { f = 1 }
         { prev = $0 }' "$1"
}

# The programs, menu entry, icons, metadata, licence, changelog and manual pages under
# one prefix, and both validators.
check_tree() {
    local prefix=$1 size file program
    for file in bin/velmiro share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
        share/doc/velmiro/copyright share/doc/velmiro/changelog.gz; do
        [ -f "$prefix/$file" ] || fail "$prefix/$file is missing"
    done
    # Software centres want 64 px at least; the SVG serves every other size.
    for size in 16 32 48 64 128; do
        file="$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png"
        file "$file" | grep -q "PNG image data, $size x $size," || fail "$file is not a $size px PNG"
    done
    file="$prefix/share/icons/hicolor/scalable/apps/$app_id.svg"
    cmp -s "$file" resources/art/icon.svg || fail "$file is not resources/art/icon.svg"

    # A hint exits 0 but is how a wrong menu category shows: treat it as a failure.
    local hints
    hints=$(desktop-file-validate "$prefix/share/applications/$app_id.desktop" 2>&1) || fail "$hints"
    [ -z "$hints" ] || fail "$hints"
    appstreamcli validate --no-net --strict "$prefix/share/metainfo/$app_id.metainfo.xml"
    grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo lists no release $version"
    grep -q "<project_license>MIT</project_license>" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo does not give the MIT licence"

    file=$prefix/share/doc/velmiro/copyright
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$file" ||
        fail "$file is not in the machine-readable format"
    [ "$(copyright_licence "$file")" = "$(sed -n '/^Permission is hereby granted/,$p' LICENSE)" ] ||
        fail "the licence in $file is not the one in LICENSE"
    # Whole texts are read before they are searched: grep -q could close a pipe on zcat.
    local text
    text=$(zcat "$prefix/share/doc/velmiro/changelog.gz") || fail "the changelog is not gzip"
    [[ $text == "velmiro ($version) "* ]] || fail "the changelog does not start with version $version"

    # Every program has its manual page, with this version on it.
    for program in "$prefix"/bin/*; do
        file="$prefix/share/man/man1/$(basename "$program").1.gz"
        [ -f "$file" ] || fail "$program has no manual page $file"
        text=$(zcat "$file") || fail "$file is not gzip"
        grep -q "^\.TH .*\"Velmiro $version\"" <<<"$text" || fail "$file does not name version $version"
    done
    # gzip -9n: flags byte without a stored name, no time stamp, "maximum compression" byte.
    while IFS= read -r -d '' file; do
        [ "$(od -An -tx1 -j3 -N6 "$file" | tr -d ' \n')" = 000000000002 ] ||
            fail "$file is not compressed with gzip -9n"
    done < <(find "$prefix/share" -name '*.gz' -print0)
}

echo "== cmake --install into a scratch prefix"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_tree "$work/prefix"

echo "== Debian package"
deb="$build/velmiro_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
if ! (cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || [ ! -f "$deb" ]; then
    cat "$work/cpack.log" >&2
    fail "cpack did not make $deb"
fi
dpkg-deb -I "$deb"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$'
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | awk '{print $1}')
# fonts-liberation2 is a dependency, not a recommendation: the layout is drawn for its widths.
for package in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins \
    fonts-liberation2; do
    grep -qxF "$package" <<<"$depends" || fail "Depends lacks $package"
done
dpkg-deb -f "$deb" Recommends | tr ',' '\n' | awk '{print $1}' | grep -qxF qt6-wayland ||
    fail "Recommends lacks qt6-wayland"
# Every dependency can be met from the archive, as `apt install ./velmiro_*.deb` needs.
simulated=$(apt-get install --simulate --no-install-recommends "$deb") || fail "apt cannot install $deb"
grep -q "^Inst velmiro " <<<"$simulated" || fail "apt cannot install $deb"
dpkg-deb -x "$deb" "$work/root"
check_tree "$work/root/usr"
for program in "$work"/root/usr/bin/*; do
    unresolved=$(ldd "$program" | grep 'not found' || true)
    [ -z "$unresolved" ] || fail "the packaged $(basename "$program") lacks $unresolved"
done
# The command line must run where Qt is not installed.
! ldd "$work/root/usr/bin/velmiro-cli" | grep -q libQt || fail "velmiro-cli links to Qt"
"$work/root/usr/bin/velmiro-cli" 20M 19200 --format csv | grep -q '^eusart,,20000000,20000000,19200,001,SYNC,0,BRG16,0,BRGH,1,16,64,' ||
    fail "the packaged velmiro-cli does not compute mode 001 for 20M and 19200"
# The packaged program must still be running, window open, when the timeout stops it.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$work/root/usr/bin/velmiro" 2>/dev/null || status=$?
[ "$status" -eq 124 ] || fail "the packaged program ended with status $status"
echo "$deb: files, dependencies and start-up are in order"

echo "== lintian"
# Errors fail the check; warnings and notes are shown for whoever reads the log.
lintian --fail-on error --display-info --pedantic "$deb" || fail "lintian finds errors in $deb"
echo "lintian finds no errors"

echo "== Windows version record"
# No Windows headers are needed, so the host's preprocessor serves windres.
x86_64-w64-mingw32-windres --preprocessor=cpp -O coff -i "$build/app/velmiro.rc" -o "$work/velmiro.o"
record=$(x86_64-w64-mingw32-windres -J coff -O rc -i "$work/velmiro.o")
rc_version="$(cut -d. -f1 <<<"$version"), $((10#$(cut -d. -f2 <<<"$version"))), 0, 0"
for expected in "FILEVERSION $rc_version" "PRODUCTVERSION $rc_version" 'BLOCK "041004B0"' \
    '"Translation", 0x410, 1200' "\"FileVersion\", \"$version\"" "\"ProductVersion\", \"$version\"" \
    '"CompanyName", "Velmiro"' '"ProductName", "Velmiro"' '"InternalName", "velmiro"' \
    '"OriginalFilename", "velmiro.exe"' 'Has 3 elements'; do
    grep -qF "$expected" <<<"$record" || fail "the version record lacks $expected"
done
echo "velmiro.rc compiles: version $version, Italian (0x0410), Unicode (1200), icon in 3 sizes"
