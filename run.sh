#!/usr/bin/env bash
# Installs what is missing, builds the program and opens its window.
set -euo pipefail
cd "$(dirname "$0")"
# Without a display there is nothing to open: say so before installing or building anything.
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Velmiro needs a graphical display: none found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
    exit 1
fi

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRO_TESTS=OFF >/dev/null
cmake --build build-run --parallel --target velmiro
exec ./build-run/app/velmiro "$@"
