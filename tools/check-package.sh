#!/usr/bin/env bash
# Checks what users install: `cmake --install` into a scratch prefix, the Debian package
# that CPack builds, and the Windows version record compiled by the MinGW resource compiler.
# Usage: tools/check-package.sh [BUILD_DIR]   (a configured and built tree; default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages desktop-file-utils appstream binutils-mingw-w64-x86-64 dpkg-dev file cpp

build=${1:-build}
app_id=it.velmiro.Velmiro
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The program, its menu entry, icons and metadata under one prefix, and both validators.
check_tree() {
    local prefix=$1 size file
    for file in bin/velmiro share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml; do
        [ -f "$prefix/$file" ] || fail "$prefix/$file is missing"
    done
    for size in 16 32 48; do
        file="$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png"
        file "$file" | grep -q "PNG image data, $size x $size," || fail "$file is not a $size px PNG"
    done
    # A hint exits 0 but is how a wrong menu category shows: treat it as a failure.
    local hints
    hints=$(desktop-file-validate "$prefix/share/applications/$app_id.desktop" 2>&1) || fail "$hints"
    [ -z "$hints" ] || fail "$hints"
    appstreamcli validate --no-net --strict "$prefix/share/metainfo/$app_id.metainfo.xml"
    grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo lists no release $version"
}

echo "== cmake --install into a scratch prefix"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_tree "$work/prefix"

echo "== Debian package"
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
deb="$build/velmiro_${version}_$(dpkg --print-architecture).deb"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$'
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | awk '{print $1}')
for package in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins; do
    grep -qxF "$package" <<<"$depends" || fail "Depends lacks $package"
done
# Every dependency can be met from the archive, as `apt install ./velmiro_*.deb` needs.
apt-get install --simulate --no-install-recommends "./$deb" | grep -q "^Inst velmiro " ||
    fail "apt cannot install $deb"
dpkg-deb -x "$deb" "$work/root"
check_tree "$work/root/usr"
missing=$(ldd "$work/root/usr/bin/velmiro" | grep 'not found' || true)
[ -z "$missing" ] || fail "the packaged program lacks $missing"
# The packaged program must still be running, window open, when the timeout stops it.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$work/root/usr/bin/velmiro" 2>/dev/null || status=$?
[ "$status" -eq 124 ] || fail "the packaged program ended with status $status"
echo "$deb: files, dependencies and start-up are in order"

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
