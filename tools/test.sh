#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Used by CI as it is.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/main"

"$top/tools/setup.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
  -C "$top/cmake/loopback-hosts.cmake" >/dev/null
cmake --build "$build"
status=0
started="$build/.ctest-started"
touch "$started"
"$top/tools/with-wine" "$build" ctest --test-dir "$build" --output-on-failure "$@" || status=$?

# The fault matrix's tables (fault, expected, observed), from the tests that ran.
for table in "$build"/tests/e2e/fault-matrix/{primary,fallback,both,collector}.md; do
  if [ -f "$table" ] && [ "$table" -nt "$started" ]; then
    printf '\nFault matrix, %s:\n' "$(basename "$table" .md)"
    cat "$table"
  fi
done
exit $status
