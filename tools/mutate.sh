#!/usr/bin/env bash
# Deliberate faults, one at a time, in a scratch clone of HEAD: each must make
# the test suite fail. Reads lines "file<TAB>text<TAB>replacement" (the text must
# occur exactly once) from the file given, or stdin; prints killed or SURVIVED.
# Usage: tools/mutate.sh [LIST]
# VELMIRO_MUTATE_TARGETS="calc_tests report_tests" builds and runs only those
# suites: cheaper, and never more faults counted as caught than the whole
# suite would catch.
set -euo pipefail
repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
work=${VELMIRO_MUTATE_DIR:-/tmp/velmiro-mutate}
[ -d "$work/.git" ] || git clone -q "$repo" "$work"
git -C "$work" fetch -q "$repo" HEAD && git -C "$work" checkout -q --force FETCH_HEAD
cmake -S "$work" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMIRO_TESTS=ON >/dev/null
read -r -a targets <<<"${VELMIRO_MUTATE_TARGETS:-all}"
build() { cmake --build "$work/build" --parallel 2 --target "${targets[@]}"; }
suite() {
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$work/build" --parallel 2 \
        ${VELMIRO_MUTATE_TARGETS:+-E _NOT_BUILT}
}
build >/dev/null
# A fault can only be caught by a suite that passes without it.
suite >/dev/null ||
    { echo "the suite fails on HEAD itself" >&2; exit 1; }
while IFS=$'\t' read -r file text replacement; do
    [ -n "$file" ] || continue
    git -C "$work" checkout -q -- .
    if ! TEXT=$text REPLACEMENT=$replacement python3 - "$work/$file" <<'PY'
import os, sys
path, old, new = sys.argv[1], os.environ["TEXT"], os.environ["REPLACEMENT"]
src = open(path, encoding="utf-8").read()
if src.count(old) != 1:
    sys.exit(f"not applied: {path}: the text occurs {src.count(old)} times")
open(path, "w", encoding="utf-8").write(src.replace(old, new))
PY
    then
        continue
    fi
    if ! build >/dev/null 2>&1; then
        echo "build fails: $file: $text"
    elif suite >/dev/null 2>&1; then
        echo "SURVIVED: $file: $text -> $replacement"
    else
        echo "killed: $file: $text -> $replacement"
    fi
done < "${1:-/dev/stdin}"
git -C "$work" checkout -q -- .
