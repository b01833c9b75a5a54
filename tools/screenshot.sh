#!/usr/bin/env bash
# Takes the README's screenshots of the real program under Xvfb, with a window
# manager for the frame: the defaults after "calcola", then a red result, then
# the companion window that F2 opens with those texts.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth xdotool x11-utils imagemagick openbox

if [ -z "${VELMIRO_IN_XVFB:-}" ]; then
    cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRO_TESTS=OFF >/dev/null
    cmake --build build-run --parallel --target velmiro
    VELMIRO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0"
fi

# The companion starts from its defaults, not from what a user saved.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
openbox >/dev/null 2>&1 &
sleep 1
./build-run/app/velmiro 2>/dev/null &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT
window=$(xdotool search --sync --name "PIC Velmiro" | head -n 1)
sleep 1

# Points inside the controls, in window coordinates.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
shoot() {
    # The window with its frame: openbox's frame is the parent of the client window.
    local frame
    frame=$(xwininfo -id "${2:-$window}" -children | awk '/Parent window id/ {print $4}')
    import -window "$frame" "docs/$1"
    echo "docs/$1"
}

click 342 148  # calcola
shoot velmiro-default.png

click 212 60  # the baud rate field
xdotool key ctrl+a type "9.600"
click 32 144  # BRGH off
click 342 148
shoot velmiro-red.png

xdotool key F2
companion=$(xdotool search --sync --name "tutti i modi" | head -n 1)
sleep 1
shoot velmiro-companion.png "$companion"
