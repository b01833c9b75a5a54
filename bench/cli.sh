#!/usr/bin/env bash
# Times velmiro-cli as a whole process, side by side in one hyperfine run with
# a minimal C++ program that prints one line, both built here in Release.
# Usage: bench/cli.sh [RUNS]   (default 300)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages cmake ninja-build g++ libcli11-dev libfmt-dev nlohmann-json3-dev libbenchmark-dev hyperfine

cmake -S . -B build-bench-cli -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRO_TESTS=OFF -DVELMIRO_GUI=OFF \
    -DVELMIRO_BENCHMARKS=ON >/dev/null
cmake --build build-bench-cli --parallel --target one_line velmiro-cli >/dev/null
runs=${1:-300}
hyperfine --shell=none --warmup 30 --runs "$runs" --export-markdown build-bench-cli/cli.md \
    --command-name "one line" build-bench-cli/bench/one_line \
    --command-name "velmiro-cli 20M 19200" "build-bench-cli/cli/velmiro-cli 20M 19200" \
    --command-name "velmiro-cli crystals" \
    "build-bench-cli/cli/velmiro-cli crystals 9600 19200 57600 115200"
