#!/usr/bin/env bash
# The main job: installs what is missing, builds the suite and runs it on its
# built-in defaults. The headless console is not built yet; until it is, this builds
# everything and shows the programs and libraries that exist.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
echo "Built programs and libraries:"
find "$top/build" -maxdepth 3 -type f \( -perm -u+x -o -name '*.so' \) \
  ! -name '*_tests' ! -path '*/CMakeFiles/*' -printf '  %P\n' | sort
