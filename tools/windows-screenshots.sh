#!/usr/bin/env bash
# Takes screenshots of velmiro.exe under wine on a virtual display, at 100 % and 150 %
# (wine's dots per inch, 96 and 144), after a real click on "calcola": the window with
# its frame, into docs/velmiro-windows.png and docs/velmiro-windows-150.png; and of its
# companion (velmiro.exe --modi, nothing kept) on Modi into docs/velmiro-windows-companion.png
# and docs/velmiro-windows-companion-150.png.
# Needs the cross build of tools/windows.sh (build-windows/velmiro).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages wine xvfb xauth xdotool x11-utils imagemagick openbox

exe=$PWD/build-windows/velmiro/win32/velmiro.exe
[ -f "$exe" ] || { echo "No $exe: run tools/windows.sh first." >&2; exit 1; }
if [ -z "${VELMIRO_IN_XVFB:-}" ]; then
    VELMIRO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0"
fi

# A prefix of its own: the screen's dots per inch are a setting of the prefix.
export WINEPREFIX=$PWD/build-windows/wine-screenshots WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree=;mshtml='
openbox >/dev/null 2>&1 &
wm=$!
trap 'wineserver --kill 2>/dev/null || true; kill $wm 2>/dev/null || true' EXIT
wineboot --init >/dev/null 2>&1 </dev/null

# shoot DPI FILE
shoot() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wine "$exe" >/dev/null 2>&1 &
    local app=$! window frame
    window=$(xdotool search --sync --name "PIC Velmiro" | head -n 1)
    sleep 1
    # The middle of "calcola": frame 150 + 4440 + 1095 / 2 across, 120 + 1920 + 375 / 2
    # down, in twips, 1440 to the inch.
    xdotool mousemove --window "$window" $((5137 * $1 / 1440)) $((2227 * $1 / 1440)) click 1
    sleep 1
    # The window with its frame: openbox's frame is the parent of the client window.
    frame=$(xwininfo -id "$window" -children | awk '/Parent window id/ {print $4}')
    import -window "$frame" "docs/$2"
    echo "docs/$2"
    # Ends the program, and the wine server, whose settings the next shot changes.
    wineserver --kill
    wait "$app" || true
}
shoot 96 velmiro-windows.png
shoot 144 velmiro-windows-150.png

# shoot_companion DPI FILE
shoot_companion() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wine reg delete 'HKCU\Software\Velmiro\companion' /f >/dev/null 2>&1 || true
    wine "$exe" --modi >/dev/null 2>&1 &
    local app=$! window frame
    window=$(xdotool search --sync --name "tutti i modi" | head -n 1)
    sleep 3
    frame=$(xwininfo -id "$window" -children | awk '/Parent window id/ {print $4}')
    import -window "$frame" "docs/$2"
    echo "docs/$2"
    wineserver --kill
    wait "$app" || true
}
shoot_companion 96 velmiro-windows-companion.png
shoot_companion 144 velmiro-windows-companion-150.png
