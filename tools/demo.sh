#!/usr/bin/env bash
# The first thing to run: builds the installer for local servers, starts the package server
# and the report service (collector/, built natively in build/collector) on 127.0.0.1, builds
# and signs the demo setup package, and runs the real installer under Wine. It ends with the
# install funnel of the reports the service received.
#   With a display ($DISPLAY): the installer appears there; use it, close it, and the demo
#   prints the funnel of the reports it sent.
#   Without one: a virtual display is used and the demo installs by itself like a user,
#   saving a screenshot of every page to build/main/screenshots/demo/, then prints the
#   funnel.
# It runs the build this machine can run (tools/machine.sh): the i686 installer, or the x86_64
# build of it where the machine runs no 32-bit code, and says which.
# BRIGHTMERE_BUILD_DIR picks another build tree (default: that build's, build/main for i686);
# BRIGHTMERE_DEMO_DRIVE=1 drives the install by itself even with a display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/machine.sh"

"$top/tools/setup.sh"
brightmere_choose_arch "$top"
build="${BRIGHTMERE_BUILD_DIR:-$BRIGHTMERE_TEST_BUILD}"
mkdir -p "$build"
build=$(cd "$build" && pwd)
echo "demo: running the $BRIGHTMERE_TEST_ARCH installer built in $build"
brightmere_configure "$top" "$build" "$BRIGHTMERE_TEST_ARCH"
cmake --build "$build" --target brightmere-online-installer brightmere_signed_demo_package \
  trust_test_ca ui_probe url_recorder -- -j2
cmake -S "$top/collector" -B "$top/build/collector" -G Ninja >/dev/null
cmake --build "$top/build/collector" --target collector
display_name=$(sed -n 's/^BRIGHTMERE_PRODUCT_DISPLAY_NAME:INTERNAL=//p' "$build/CMakeCache.txt")

mode=drive
if [ -n "${DISPLAY:-}" ] && [ "${BRIGHTMERE_DEMO_DRIVE:-0}" != 1 ]; then
  mode=interactive
fi
# with-wine starts a virtual display when there is none.
exec "$top/tools/with-wine" "$build" python3 "$top/tools/demo_run.py" "$mode" \
  --build "$build" --display-name "$display_name" --collector "$top/build/collector/collector"
