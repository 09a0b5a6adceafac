#!/usr/bin/env bash
# Configures and builds the suite in ./build (extra arguments go to CMake).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DJ4_WERROR=ON "$@"
cmake --build "$top/build" --parallel "$(nproc)"
