#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Used by CI as it is.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/main"

"$top/tools/setup.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
  -C "$top/cmake/loopback-hosts.cmake" >/dev/null
cmake --build "$build"
"$top/tools/with-wine" "$build" ctest --test-dir "$build" --output-on-failure "$@"
