#!/usr/bin/env bash
# Start-up benchmark: time from process start until the window has been painted, and peak
# memory, for the program, a bare Qt Widgets window, a bare window with one label and the
# program's layout file shown by a plain main(), all built here in Release and run in turn
# under the offscreen platform.
# Usage: bench/startup.sh [RUNS]   (default 50)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" libbenchmark-dev

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRO_TESTS=OFF \
    -DVELMIRO_BENCHMARKS=ON >/dev/null
cmake --build build-bench --parallel \
    --target startup_bare startup_text startup_layout startup_velmiro startup_compare >/dev/null
dir=build-bench/bench/startup
"$dir/startup_compare" --runs "${1:-50}" "$dir/startup_bare" "$dir/startup_text" \
    "$dir/startup_layout" "$dir/startup_velmiro"
