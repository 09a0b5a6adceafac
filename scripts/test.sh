#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" "$@"
cd "$top/build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
