#!/usr/bin/env bash
# Deliberate faults in the Win32 window, one at a time, in a scratch clone of HEAD: each
# must make the window's driver fail under wine. Reads lines "file<TAB>text<TAB>replacement"
# (the text must occur exactly once) from the file given, or stdin; prints killed or
# SURVIVED. Needs the GoogleTest that tools/windows.sh builds for Windows.
# Usage: tools/mutate-windows.sh [LIST]   (default tools/faults-win32.tsv)
set -euo pipefail
# shellcheck source=tools/faults.sh
source "$(dirname "$0")/faults.sh"
repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
deps=$repo/build-windows/deps
[ -d "$deps" ] || { echo "No $deps: run tools/windows.sh first." >&2; exit 1; }
work=${VELMIRO_MUTATE_DIR:-/tmp/velmiro-mutate-windows}
list=$(realpath "${1:-$repo/tools/faults-win32.tsv}")
if [ -z "${VELMIRO_IN_XVFB:-}" ]; then
    [ -d "$work/.git" ] || git clone -q "$repo" "$work"
    git -C "$work" fetch -q "$repo" HEAD && git -C "$work" checkout -q --force FETCH_HEAD
    cmake -S "$work" -B "$work/build" -G Ninja --toolchain "$work/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DVELMIRO_GUI=OFF -DVELMIRO_TESTS=ON \
        -DCMAKE_PREFIX_PATH="$deps" >/dev/null
    VELMIRO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$list"
fi

# shellcheck source=tools/wine.sh
source "$repo/tools/wine.sh"
wine_desktop "$work/wine"
suite() {
    cmake --build "$work/build" --target velmiro velmiro_driver >/dev/null 2>&1 || return 2
    ctest --test-dir "$work/build" --label-regex display >/dev/null 2>&1
}
# A fault can only be caught by a suite that passes without it.
suite || { echo "the driver fails on HEAD itself" >&2; exit 1; }
while IFS=$'\t' read -r file text replacement; do
    [ -n "$file" ] || continue
    git -C "$work" checkout -q -- .
    apply_fault "$work/$file" "$text" "$replacement" || continue
    status=0
    suite || status=$?
    case $status in
        0) echo "SURVIVED: $file: $text -> $replacement" ;;
        2) echo "build fails: $file: $text" ;;
        *) echo "killed: $file: $text -> $replacement" ;;
    esac
done <"$list"
git -C "$work" checkout -q -- .
