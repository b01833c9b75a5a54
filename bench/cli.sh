#!/usr/bin/env bash
# Times velmiro-cli as a whole process, side by side in one hyperfine run with
# a minimal C++ program that prints one line, both built here in Release.
# Prints each median and its ratio to the one-line program (target: at most 1.10),
# then each one's instruction count under callgrind, which a busy machine does
# not disturb.
# Usage: bench/cli.sh [RUNS]   (default 300)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages cmake ninja-build g++ libcli11-dev libfmt-dev nlohmann-json3-dev libbenchmark-dev hyperfine jq

cmake -S . -B build-bench-cli -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRO_TESTS=OFF -DVELMIRO_GUI=OFF \
    -DVELMIRO_BENCHMARKS=ON >/dev/null
cmake --build build-bench-cli --parallel --target one_line velmiro-cli >/dev/null
runs=${1:-300}
hyperfine --shell=none --warmup 30 --runs "$runs" --export-json build-bench-cli/cli.json \
    --command-name "one line" build-bench-cli/bench/one_line \
    --command-name "velmiro-cli 20M 19200" "build-bench-cli/cli/velmiro-cli 20M 19200" \
    --command-name "velmiro-cli crystals" \
    "build-bench-cli/cli/velmiro-cli crystals 9600 19200 57600 115200" \
    --command-name "velmiro-cli link, every standard rate" \
    "build-bench-cli/cli/velmiro-cli link 20M --device PIC16F877A --peer ft232r"
# Medians resist the odd slow start better than means.
jq -r '.results as $r | $r[0].median as $base | $r[] |
    "\(.command): median \(.median * 1000 * 100 | round / 100) ms, \(.median / $base * 100 | round / 100)x"' \
    build-bench-cli/cli.json

if command -v valgrind >/dev/null; then
    count() {
        valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
            sed -n 's/.*refs: *//p' | tr -d ,
    }
    base=$(count build-bench-cli/bench/one_line)
    for line in "20M 19200" "crystals 9600 19200 57600 115200" \
        "link 20M --device PIC16F877A --peer ft232r"; do
        # shellcheck disable=SC2086  # the line is the arguments
        n=$(count build-bench-cli/cli/velmiro-cli $line)
        awk -v l="$line" -v n="$n" -v b="$base" 'BEGIN { printf "velmiro-cli %s: %d instructions, %.2fx of %d\n", l, n, n / b, b }'
    done
fi
