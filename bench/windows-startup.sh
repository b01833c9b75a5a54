#!/usr/bin/env bash
# Start-up benchmark under wine: time from start to the first paint of a bare Win32 window
# of velmiro.exe's size with one static text, of velmiro.exe's floor (the same controls
# from the same generated layout, shown by a plain main: bench/win32/plain_layout.cpp) and
# of velmiro.exe, all Release builds, stripped, run in turn on a virtual display with a
# window manager. velmiro.exe's line gives its ratio to the bare window and to the floor.
# Usage: bench/windows-startup.sh [RUNS]   (default 20; needs tools/windows.sh run first)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
[ -d "$out/deps" ] || { echo "No $out/deps: run tools/windows.sh first." >&2; exit 1; }
if [ -z "${VELMIRO_IN_XVFB:-}" ]; then
    cmake -S . -B "$out/bench" -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DVELMIRO_GUI=OFF -DVELMIRO_TESTS=OFF \
        -DVELMIRO_BENCHMARKS=ON -DCMAKE_PREFIX_PATH="$out/deps" >/dev/null
    cmake --build "$out/bench" --parallel 2 \
        --target velmiro startup_bare_win32 startup_layout_win32 startup_compare_win32 >/dev/null
    VELMIRO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

# shellcheck source=tools/wine.sh
source tools/wine.sh
wine_desktop "$out/wine-bench"
# Stripped, as the zip holds them.
stripped=$out/bench/stripped
mkdir -p "$stripped"
for exe in bench/win32/startup_bare_win32 bench/win32/startup_layout_win32 win32/velmiro; do
    x86_64-w64-mingw32-strip -o "$stripped/${exe##*/}.exe" "$out/bench/$exe.exe"
    printf '%s: %s bytes\n' "${exe##*/}.exe" "$(stat -c %s "$stripped/${exe##*/}.exe")"
done
wine "$out/bench/bench/win32/startup_compare_win32.exe" --runs "${1:-20}" \
    "$stripped/startup_bare_win32.exe" "$stripped/startup_layout_win32.exe" "$stripped/velmiro.exe"
