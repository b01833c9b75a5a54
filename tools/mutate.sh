#!/usr/bin/env bash
# Deliberate faults, one at a time, in a scratch clone of HEAD: each must make
# the test suite fail. Reads lines "file<TAB>text<TAB>replacement" (the text must
# occur exactly once) from the file given, or stdin; prints killed or SURVIVED.
# Usage: tools/mutate.sh [LIST]
# VELMIRO_MUTATE_GUI=OFF leaves the windows and their tests out: a cheaper
# round for faults that only calc, report and the command line can show.
set -euo pipefail
# shellcheck source=tools/faults.sh
source "$(dirname "$0")/faults.sh"
repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
work=${VELMIRO_MUTATE_DIR:-/tmp/velmiro-mutate}
[ -d "$work/.git" ] || git clone -q "$repo" "$work"
git -C "$work" fetch -q "$repo" HEAD && git -C "$work" checkout -q --force FETCH_HEAD
cmake -S "$work" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMIRO_TESTS=ON -DVELMIRO_GUI="${VELMIRO_MUTATE_GUI:-ON}" >/dev/null
cmake --build "$work/build" --parallel 2 >/dev/null
# A fault can only be caught by a suite that passes without it.
QT_QPA_PLATFORM=offscreen ctest --test-dir "$work/build" --parallel 2 >/dev/null ||
    { echo "the suite fails on HEAD itself" >&2; exit 1; }
while IFS=$'\t' read -r file text replacement; do
    [ -n "$file" ] || continue
    git -C "$work" checkout -q -- .
    apply_fault "$work/$file" "$text" "$replacement" || continue
    if ! cmake --build "$work/build" --parallel 2 >/dev/null 2>&1; then
        echo "build fails: $file: $text"
    elif QT_QPA_PLATFORM=offscreen ctest --test-dir "$work/build" --parallel 2 >/dev/null 2>&1; then
        echo "SURVIVED: $file: $text -> $replacement"
    else
        echo "killed: $file: $text -> $replacement"
    fi
done < "${1:-/dev/stdin}"
git -C "$work" checkout -q -- .
