#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
# shellcheck source=tools/packages.sh
source tools/packages.sh
# dpkg-dev and file let `cpack -G DEB` work out the package's library dependencies.
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libbenchmark-dev dpkg-dev file

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMIRO_WERROR=ON -DVELMIRO_TESTS=ON -DVELMIRO_BENCHMARKS=ON
cmake --build build --parallel
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel 2
