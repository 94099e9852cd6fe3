#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Used by CI as it is.
# Where the machine runs 32-bit code, that is the i686 build (what ships). Where it cannot
# (tools/machine.sh; BRIGHTMERE_FORCE_64BIT=1 acts as if), it is the x86_64 build under
# wine64, and the i686 installer is built too: its file is checked, and it is started once
# (through qemu-user where the kernel runs no 32-bit code) by the test "i686_installer_smoke".
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/machine.sh"

"$top/tools/setup.sh"
brightmere_choose_arch "$top"
build="$BRIGHTMERE_TEST_BUILD"

extra=()
if [ "$BRIGHTMERE_TEST_ARCH" = x86_64 ]; then
  ship="$BRIGHTMERE_SHIP_BUILD"
  brightmere_configure "$top" "$ship" i686
  cmake --build "$ship" --target brightmere-online-installer
  extra=(-DBRIGHTMERE_SHIPPED_BUILD="$ship")
fi
brightmere_configure "$top" "$build" "$BRIGHTMERE_TEST_ARCH" "${extra[@]}"
cmake --build "$build"
status=0
started="$build/.ctest-started"
touch "$started"
"$top/tools/with-wine" "$build" ctest --test-dir "$build" --output-on-failure "$@" || status=$?

# The second product, built from its folder alone (products/tidemark): its installer, its own
# setup package and the programs its end-to-end test drives it with; then the product checks.
# Its package URL is https, so its package host is the package server's https port.
product_build="$build-tidemark"
brightmere_configure "$top" "$product_build" "$BRIGHTMERE_TEST_ARCH" \
  -DBRIGHTMERE_PRODUCT=products/tidemark -DBRIGHTMERE_PACKAGE_HOST=127.0.0.1:18481
cmake --build "$product_build" --target product_test_programs
"$top/tools/with-wine" "$product_build" ctest --test-dir "$product_build" --output-on-failure \
  -L product "$@" || status=$?

# The fault matrix's tables (fault, expected, observed), from the tests that ran.
for table in "$build"/tests/e2e/fault-matrix/{primary,fallback,both,collector}.md; do
  if [ -f "$table" ] && [ "$table" -nt "$started" ]; then
    printf '\nFault matrix, %s:\n' "$(basename "$table" .md)"
    cat "$table"
  fi
done

# The report service is a native Linux program: built with the system compiler in
# build/collector and tested there (SQLite, a real PostgreSQL server, headless Chromium).
# The same ctest arguments select among its tests; its tests use ephemeral ports only.
collector_build="$top/build/collector"
cmake -S "$top/collector" -B "$collector_build" -G Ninja >/dev/null
cmake --build "$collector_build"
ctest --test-dir "$collector_build" --output-on-failure "$@" || status=$?

smoke="$build/tests/e2e/i686-smoke.txt"
if [ -f "$smoke" ] && [ "$smoke" -nt "$started" ]; then printf '\n'; cat "$smoke"; fi
brightmere_describe_arch
exit $status
