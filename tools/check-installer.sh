#!/usr/bin/env bash
# Checks the Windows installer under wine, in a fresh prefix on a virtual display: a silent
# install with velmiro-cli on PATH puts the files, both Start menu shortcuts and the
# Apps & features entry where they belong; velmiro-cli.exe runs from PATH and velmiro.exe
# opens its window from the installed folder; a silent uninstall then leaves the prefix's
# files and registry as they were before the install, the user's PATH included. While the
# window is open, an uninstall is refused and removes nothing. Last, an uninstall with
# /PURGE removes the settings too.
# Usage: tools/check-installer.sh SETUP_EXE STAGE
#   STAGE: the zip's folder, whose files the install must put in place unchanged.
set -euo pipefail
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ $# -eq 2 ] || fail "usage: $0 SETUP_EXE STAGE"
setup=$(realpath -- "$1")
stage=$(realpath -- "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/packages.sh
source "$root/tools/packages.sh"
ensure_packages wine xvfb xauth xdotool openbox
if [ -z "${VELMIRO_IN_XVFB:-}" ]; then
    VELMIRO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$setup" "$stage"
fi

prefix=$root/build-windows/wine-installer
rm -rf "$prefix"
# shellcheck source=tools/wine.sh
source "$root/tools/wine.sh"
wine_desktop "$prefix"
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'wineserver --kill 2>/dev/null || true; kill $wine_wm 2>/dev/null || true; rm -rf "$work"' EXIT

# A user PATH of two folders: the uninstaller must give back exactly these.
user_path='C:\uno;C:\due'
wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$user_path" /f >/dev/null 2>&1
# Settings of an earlier use, which a silent uninstall keeps.
wine reg add 'HKCU\Software\Velmiro' /v quarzo /d 20000000 /f >/dev/null 2>&1

# snapshot NAME: the prefix's files (path, type, size) and its registry as wine keeps it on
# disk, which the wine server writes as it ends, into $work/NAME.*. Left out: the time each
# key was written; the volatile keys, which are not on disk; and the keys of the devices
# (display adapter, monitor, network cards), which wine itself writes anew at each start.
snapshot() {
    # Both after a start of Windows, as after the uninstall.
    wineboot >/dev/null 2>&1 </dev/null
    wineserver --kill
    (cd "$prefix/drive_c" && find . -printf '%p %y %s\n' | sort) >"$work/$1.files"
    local hive
    # Each \ of a key is written \\ in the file.
    local devices='^\[(System\\\\CurrentControlSet\\\\Control\\\\Class|'
    devices+='Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\NetworkCards)(\\\\|\])'
    for hive in system user userdef; do
        sed -E -e '/^#time=/d' -e 's/^(\[.*\]) [0-9]+$/\1/' "$prefix/$hive.reg" |
            devices=$devices awk '/^\[/ { skip = $0 ~ ENVIRON["devices"] } !skip' >"$work/$1.$hive"
    done
}
snapshot before
wineserver --persistent

echo "== Silent install, velmiro-cli on PATH"
start=$SECONDS
wine "$setup" /S /PATH </dev/null || fail "the silent install ends with status $?"
profile=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
dir_win="$profile\\Programs\\Velmiro"
dir=$(winepath -u "$dir_win" 2>/dev/null)
appdata=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
programs=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs" 2>/dev/null)
# installed: the zip's files, the same bytes, and the uninstaller; nothing more.
installed() {
    diff <( (find "$stage" -mindepth 1 -printf '%P\n'; echo uninstall.exe) | sort) \
        <(find "$dir" -mindepth 1 -printf '%P\n' | sort) ||
        fail "the installed files differ from the zip's"
    local file
    for file in "$stage"/*; do
        cmp -s "$file" "$dir/${file##*/}" || fail "${file##*/} differs from the zip's"
    done
}
installed
echo "in $dir_win: the zip's files as in the zip, and uninstall.exe"

# link NAME ARGUMENTS: the shortcut NAME.lnk starts the installed velmiro.exe with ARGUMENTS.
link() {
    local lnk="$programs/$1.lnk" strings
    [ -f "$lnk" ] || fail "no Start menu shortcut \"$1\""
    strings=$(strings -e l "$lnk")
    grep -qiF "$dir_win\\velmiro.exe" <<<"$strings" ||
        fail "the shortcut \"$1\" does not start $dir_win\\velmiro.exe"
    if [ -n "$2" ]; then
        grep -qxF -- "$2" <<<"$strings" || fail "the shortcut \"$1\" lacks $2"
    else
        ! grep -q -- '^--' <<<"$strings" || fail "the shortcut \"$1\" passes an argument"
    fi
    echo "shortcut \"$1\": velmiro.exe $2"
}
link Velmiro ''
link 'Velmiro – tutti i modi' --modi

# The Apps & features entry, value by value.
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmiro'
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
version=$(sed -n 's/.*velmiro-\(.*\)-setup\.exe$/\1/p' <<<"$setup")
while IFS='|' read -r name type data; do
    grep -qE "^ +$name +$type +$data\$" <<<"$entry" || {
        echo "$entry" >&2
        fail "the uninstall entry lacks $name $type $data"
    }
done <<EOF
DisplayName|REG_SZ|Velmiro
DisplayVersion|REG_SZ|${version//./\\.}
Publisher|REG_SZ|Velmiro
DisplayIcon|REG_SZ|${dir_win//\\/\\\\}\\\\velmiro\\.exe,0
UninstallString|REG_SZ|"${dir_win//\\/\\\\}\\\\uninstall\\.exe"
QuietUninstallString|REG_SZ|"${dir_win//\\/\\\\}\\\\uninstall\\.exe" /S
NoModify|REG_DWORD|0x1
NoRepair|REG_DWORD|0x1
EstimatedSize|REG_DWORD|0x[0-9a-f]+
EOF
size=$(sed -n 's/^ *EstimatedSize *REG_DWORD *//p' <<<"$entry")
echo "uninstall entry: Velmiro $version, $((size)) kB"

path=$(wine reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Path *REG_EXPAND_SZ *//p')
[ "$path" = "$user_path;$dir_win" ] || fail "the user's PATH is \"$path\""
echo "PATH: $path"

echo "== The installed programs"
# From any folder, through PATH: a new process reads the user's environment.
out=$(cd "$work" && wine cmd /c velmiro-cli 20M 19200 2>&1 </dev/null) ||
    fail "velmiro-cli 20M 19200 from PATH: $out"
grep -qF '* modo migliore: 001' <<<"$out" || fail "velmiro-cli 20M 19200 printed: $out"
echo "velmiro-cli 20M 19200 from PATH: $(grep -c . <<<"$out") lines, the best mode 001"
wine "$dir/velmiro.exe" >/dev/null 2>&1 </dev/null &
app=$!
window=$(timeout 60 xdotool search --sync --name 'PIC Velmiro' | head -n 1) ||
    fail "velmiro.exe opened no window"
# While it runs, an uninstall refuses and touches nothing (run in place with _?=, so that
# its status is the caller's).
status=0
wine "$dir/uninstall.exe" /S "_?=$dir_win" </dev/null || status=$?
[ $status -eq 2 ] || fail "an uninstall while velmiro.exe runs ends with status $status"
installed
echo "an uninstall while velmiro.exe runs: refused, status 2, every file in place"
# As the window's close box does: WM_CLOSE, and the program ends by itself with 0.
wine taskkill /im velmiro.exe >/dev/null 2>&1 </dev/null
status=0
timeout 30 tail --pid=$app -f /dev/null || fail "velmiro.exe did not end on WM_CLOSE"
wait $app || status=$?
[ $status -eq 0 ] || fail "velmiro.exe ended with status $status"
echo "velmiro.exe: window $window, closed with status 0"

echo "== Silent uninstall, as Apps & features would run it"
# The uninstaller runs from a copy in the temporary folder and the installed one returns at
# once: a wine server that ends with the last program tells when the copy is done.
wineserver --kill
wine "$dir/uninstall.exe" /S </dev/null || fail "the silent uninstall ends with status $?"
wineserver --wait
# The copy goes as Windows starts again: snapshot starts it.
snapshot after
differ=0
for part in files system user userdef; do
    if ! diff -u "$work/before.$part" "$work/after.$part" >"$work/$part.diff"; then
        echo "left behind or changed in $part:"
        head -n 60 "$work/$part.diff"
        differ=1
    fi
done
[ $differ -eq 0 ] || fail "the uninstall does not give back the prefix as it was"
echo "after the uninstall: the prefix's files and registry as before the install, PATH included"

echo "== Install again, uninstall with /PURGE: the settings go too"
wine "$setup" /S </dev/null || fail "the second silent install ends with status $?"
# In place (_?=), so that it is done when wine returns.
wine "$dir/uninstall.exe" /S /PURGE "_?=$dir_win" </dev/null ||
    fail "the uninstall with /PURGE ends with status $?"
! wine reg query 'HKCU\Software\Velmiro' >/dev/null 2>&1 </dev/null ||
    fail "the uninstall with /PURGE leaves HKCU\Software\Velmiro"
echo "uninstall.exe /S /PURGE: HKCU\Software\Velmiro removed"
echo "check-installer: $((SECONDS - start)) s after the prefix was made"
