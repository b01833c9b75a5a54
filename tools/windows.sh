#!/usr/bin/env bash
# Cross-builds velmiro.exe (the window, native Win32) and velmiro-cli.exe for 64-bit Windows
# with mingw-w64, runs the tests under wine (the window's on a virtual X display), checks that
# both programs import only Windows' own DLLs and that velmiro-cli prints byte for byte what
# the Linux build prints, and makes the zip and the installer that users download; the
# installer is checked under wine.
# Usage: tools/windows.sh [LINUX_BUILD_DIR]
#   LINUX_BUILD_DIR: the Linux build to compare with, absolute or relative to the current
#   folder; default: build/ in the repository, as ./test.sh makes it. Its velmiro-cli is
#   brought up to date first; a folder that is not configured yet gets a build of the
#   command line alone.
# Everything else goes to build-windows/ in the repository, the zip at its top.
set -euo pipefail
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

root=$(cd "$(dirname "$0")/.." && pwd)
linux=$(realpath -m -- "${1:-$root/build}")
out=$root/build-windows
cd "$root"
# shellcheck source=tools/packages.sh
source tools/packages.sh
# googletest: its sources, built here for Windows.
ensure_packages cmake ninja-build g++ libcli11-dev libfmt-dev nlohmann-json3-dev googletest \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine groff-base zip xvfb xauth openbox

triplet=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)
mkdir -p "$out"

echo "== The Linux velmiro-cli to compare with, in $linux"
if [ ! -f "$linux/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMIRO_GUI=OFF -DVELMIRO_TESTS=OFF >/dev/null
fi
cmake --build "$linux" --parallel "$jobs" --target velmiro-cli
linux_cli=$linux/cli/velmiro-cli

echo "== Header-only libraries and GoogleTest for Windows, in $out/deps"
# The Debian configs of these libraries would put the host's /usr/include on the cross
# compiler's path (fmt adds it as -isystem), and the host's C library headers with it. Here
# each has the headers it needs and a config that declares its target, and nothing else.
deps=$out/deps
mkdir -p "$deps/include"
# header_only_package NAME TARGET HEADERS VERSION_FILE [DEFINITION]
header_only_package() {
    local name=$1 target=$2 headers=$3 version_file=$4 definition=${5:-}
    ln -sfn "/usr/include/$headers" "$deps/include/$headers"
    mkdir -p "$deps/lib/cmake/$name"
    # Debian's own version file: find_package(NAME VERSION) means what it means on Linux.
    ln -sfn "$version_file" "$deps/lib/cmake/$name/${name}ConfigVersion.cmake"
    cat >"$deps/lib/cmake/$name/${name}Config.cmake" <<EOF
# $name for the Windows build: Debian's headers, no host paths. Made by tools/windows.sh.
if(NOT TARGET $target)
    add_library($target INTERFACE IMPORTED)
    set_target_properties($target PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "\${CMAKE_CURRENT_LIST_DIR}/../../../include"
        INTERFACE_COMPILE_DEFINITIONS "$definition")
endif()
EOF
}
header_only_package CLI11 CLI11::CLI11 CLI /usr/share/cmake/CLI11/CLI11ConfigVersion.cmake
header_only_package fmt fmt::fmt-header-only fmt \
    "$(echo /usr/lib/*/cmake/fmt/fmt-config-version.cmake)" FMT_HEADER_ONLY=1
header_only_package nlohmann_json nlohmann_json::nlohmann_json nlohmann \
    /usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake
cmake -S /usr/src/googletest -B "$out/googletest" -G Ninja --toolchain "$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$deps" >/dev/null
cmake --build "$out/googletest" --parallel "$jobs"
cmake --install "$out/googletest" >/dev/null

echo "== A wine prefix, in $out/wine"
# -all: no fixme or error chatter on stderr, which is compared below; it also silences the
# hint to install the 32-bit wine, which a 64-bit program does not need.
export WINEPREFIX=$out/wine WINEARCH=win64 WINEDEBUG=-all
# No display: wine must not try to open windows, in CI or over ssh.
unset DISPLAY WAYLAND_DISPLAY
# A UTF-8 locale: wine turns the command line into UTF-16 with it.
export LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
# One wine server for every run below, instead of one started and stopped for each. It
# fails if a server from an earlier run is still there, which serves as well.
wineserver --persistent || true
trap 'wineserver --kill 2>/dev/null || true' EXIT
# Makes the prefix the first time, and starts wine's own services every time: started by a
# test instead, they would hold its output pipe open and ctest would wait for them. Without
# Mono and Gecko, which would be offered for download and are not needed.
WINEDLLOVERRIDES='mscoree=;mshtml=' wineboot --init >"$out/wineboot.log" 2>&1 </dev/null ||
    { cat "$out/wineboot.log" >&2; fail "wineboot could not make $WINEPREFIX"; }

echo "== Cross build and tests under wine, in $out/velmiro"
cmake -S "$root" -B "$out/velmiro" -G Ninja --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DVELMIRO_GUI=OFF -DVELMIRO_WERROR=ON -DVELMIRO_TESTS=ON -DCMAKE_PREFIX_PATH="$deps" >/dev/null
cmake --build "$out/velmiro" --parallel "$jobs"
# The window's tests need a display: they run below, on a virtual one.
ctest --test-dir "$out/velmiro" --output-on-failure --parallel "$jobs" --label-exclude display

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/velmiro/CMakeCache.txt")
[ -n "$version" ] || fail "the cross build gives no project version"
name=velmiro-$version-windows-x86_64
stage=$out/stage/$name
rm -rf "$out/stage"
mkdir -p "$stage"
exe=$stage/velmiro-cli.exe
# Same sources, same zip: file times, and the time in the executable's header that strip
# writes, are those of the last commit.
epoch=$(git log -1 --format=%ct 2>/dev/null || echo 0)
for program in cli/velmiro-cli win32/velmiro; do
    SOURCE_DATE_EPOCH=$epoch $triplet-strip -o "$stage/${program#*/}.exe" \
        "$out/velmiro/$program.exe"
done

# check_program NAME SUBSYSTEM_NUMBER SUBSYSTEM_WORD DLL_PATTERN: what NAME.exe needs and says
# it is. Anything beyond the DLLs named would have to ship beside the program, or be missing
# on the user's.
check_program() {
    local file=$stage/$1.exe
    echo "== What $1.exe needs and says it is"
    local headers imports others record expected
    headers=$($triplet-objdump -p "$file")
    imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | sort -fu)
    echo "imports: $(paste -sd ' ' <<<"$imports")"
    others=$(grep -vixE "$4" <<<"$imports" || true)
    [ -z "$others" ] || fail "$1.exe imports" "$others"
    grep -qE '^Magic[[:space:]]+020b[[:space:]]' <<<"$headers" || fail "$1.exe is not 64-bit"
    grep -qE "^Subsystem[[:space:]]+0+$2[[:space:]]" <<<"$headers" ||
        fail "$1.exe is not a $3 program"
    record=$($triplet-windres -O rc -i "$file")
    for expected in "FILEVERSION $rc_version" 'BLOCK "041004B0"' "\"FileVersion\", \"$version\"" \
        "\"OriginalFilename\", \"$1.exe\"" '"FileDescription", "Calcolo del' \
        '"Translation", 0x410, 1200'; do
        grep -qF "$expected" <<<"$record" || fail "the version record of $1.exe lacks $expected"
    done
    echo "version record $version, Italian; $(stat -c %s "$file") bytes stripped"
}
rc_version="$(cut -d. -f1 <<<"$version"), $((10#$(cut -d. -f2 <<<"$version"))), 0, 0"
check_program velmiro-cli 3 console 'KERNEL32\.dll|msvcrt\.dll'
check_program velmiro 2 GUI 'KERNEL32\.dll|USER32\.dll|GDI32\.dll|COMCTL32\.dll|msvcrt\.dll|UxTheme\.dll|SHELL32\.dll|ADVAPI32\.dll|comdlg32\.dll'
# The window asks for themed controls and per-monitor DPI, and carries its icon in five sizes.
window_rc=$($triplet-windres -O rc -i "$stage/velmiro.exe")
for expected in 'Microsoft.Windows.Common-Controls' 'PerMonitorV2' 'Has 5 elements'; do
    grep -qF "$expected" <<<"$window_rc" || fail "velmiro.exe's resources lack $expected"
done

echo "== Byte for byte as on Linux: stdout, stderr, exit status"
# Every format and command, statuses 0, 1 and 2, and a non-ASCII argument, which reaches
# the program as UTF-8 only through wmain: a plain main gets it in the ANSI code page.
cases=(
    "20M 19200"
    "20M 19200 --format csv --tolerance 0,5"
    "20M 19200 --format json"
    "register 11,0592M 256 --format csv"
    "table 20M --format json"
    "crystals 115200 9600 --max-frequency 20M"
    "header 20M 19200 --prefix UART_"
    "header 4M 115200"
    "20M 600 --mode 001 --format csv"
    "20M 1200 --clock-error 0,5 --format json"
    "16M table 9600"
    ""
    "x 19200"
    "è 19200"
    "20M 19200 --format xml"
    "20M 19200 --tolerance"
    "--help"
    "--version"
)
cmp_dir=$out/compare
rm -rf "$cmp_dir"
mkdir -p "$cmp_dir"
differ=0
for line in "${cases[@]}"; do
    read -ra args <<<"$line"
    linux_status=0
    "$linux_cli" "${args[@]}" >"$cmp_dir/linux.out" 2>"$cmp_dir/linux.err" </dev/null ||
        linux_status=$?
    windows_status=0
    wine "$exe" "${args[@]}" >"$cmp_dir/windows.out" 2>"$cmp_dir/windows.err" </dev/null ||
        windows_status=$?
    same=yes
    for stream in out err; do
        if ! cmp -s "$cmp_dir/linux.$stream" "$cmp_dir/windows.$stream"; then
            same=no
            echo "std$stream of velmiro-cli $line, Linux then Windows:"
            diff <(od -c "$cmp_dir/linux.$stream") <(od -c "$cmp_dir/windows.$stream") |
                head -n 20 || true
        fi
    done
    if [ "$linux_status" -ne "$windows_status" ]; then
        same=no
        echo "velmiro-cli $line: status $linux_status on Linux, $windows_status on Windows"
    fi
    [ $same = yes ] || differ=$((differ + 1))
done
[ "$differ" -eq 0 ] || fail "$differ of ${#cases[@]} command lines differ from Linux"
echo "${#cases[@]} command lines: the same bytes and statuses as on Linux"

echo "== velmiro.exe driven as a user would, on a virtual display"
# wine opens the window on X, and hides a window only once a window manager has said it
# did: without one every box and every close waits two seconds. The wine server started
# without a display goes, and one that knows the display serves the tests.
wineserver --kill
# shellcheck disable=SC2016  # $1 and $status belong to the inner shell
xvfb-run --auto-servernum --server-args='-screen 0 1024x768x24' bash -c '
    openbox >/dev/null 2>&1 &
    wineserver --persistent
    WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot >/dev/null 2>&1 </dev/null
    status=0
    ctest --test-dir "$1" --output-on-failure --label-regex display || status=$?
    wineserver --kill
    exit "$status"' _ "$out/velmiro" || fail "velmiro.exe does not behave as the window should"
wineserver --persistent

echo "== The zip"
# The manual as plain text, from the page the cross build configured.
# Notepad before Windows 10 shows LF-only files on one line.
crlf() { sed 's/\r*$/\r/' "$@"; }
for page in cli/velmiro-cli win32/velmiro; do
    manual=$stage/${page#*/}.txt
    groff -K utf-8 -rHY=0 -man -Tutf8 -P-cbou "$out/velmiro/$page.1" | crlf >"$manual"
    grep -q 'velmiro' "$manual" || fail "$out/velmiro/$page.1 gives an empty manual"
done
# What one manual points to is in the zip.
while read -r pointed; do
    [ -f "$stage/$pointed.txt" ] || fail "a manual points to $pointed(1), which the zip lacks"
done < <(sed -n '/^VEDERE ANCHE/,$s/.*\(velmiro[-a-z]*\)(1).*/\1/p' "$stage"/*.txt)
crlf LICENSE >"$stage/LICENSE.txt"
crlf resources/windows/LEGGIMI.txt >"$stage/LEGGIMI.txt"
# The examples of LEGGIMI.txt run and succeed.
while read -r example; do
    read -ra args <<<"${example%%>*}"
    wine "$exe" "${args[@]:1}" >/dev/null </dev/null || fail "LEGGIMI.txt: $example fails"
done < <(sed -n 's/^  \(velmiro-cli .*\)$/\1/p' resources/windows/LEGGIMI.txt)

# No extra attributes, a fixed order.
find "$stage/.." -exec touch -d "@$epoch" {} +
zip_file=$out/$name.zip
rm -f "$zip_file"
(cd "$out/stage" && TZ=UTC zip -X -q "$zip_file" "$name/" "$name/velmiro.exe" \
    "$name/velmiro-cli.exe" "$name/velmiro.txt" "$name/velmiro-cli.txt" "$name/LEGGIMI.txt" \
    "$name/LICENSE.txt")
echo "$zip_file: $(stat -c %s "$zip_file") bytes"

echo "== The installer, made twice to the same bytes, and checked under wine"
tools/installer.sh "$stage" "$version" "$out/velmiro-$version-setup.exe"
tools/check-installer.sh "$out/velmiro-$version-setup.exe" "$stage"
echo "Done in $SECONDS s"
