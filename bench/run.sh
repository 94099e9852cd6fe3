#!/usr/bin/env bash
# bench/run.sh [bench.py options]: builds the release installer and the bench programs in
# build/bench-release and prints the benchmark table (bench/bench.py says what is measured).
# Takes a few minutes; runs on its own Xvfb display so nothing else on the screen interferes.
# It measures the build this machine can run (tools/machine.sh): i686, or x86_64 where the
# machine runs no 32-bit code; the table names it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
. tools/machine.sh

if [ "$(id -u)" = 0 ]; then tools/setup.sh; fi
brightmere_choose_arch "$top"
arch=$BRIGHTMERE_TEST_ARCH
build="$top/build/bench-release"
[ "$arch" = i686 ] || build="$top/build/bench-release-$arch"

# The release build as shipped (tuned for size: cmake/BuildSettings.cmake). The
# hosts are the loopback servers bench.py starts, on ports of their own so that a bench and
# the end-to-end tests can run side by side.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake \
  -C cmake/loopback-hosts.cmake -DCMAKE_BUILD_TYPE=Release \
  -DBRIGHTMERE_PACKAGE_HOST=127.0.0.1:18580 -DBRIGHTMERE_FALLBACK_HOST=127.0.0.1:18581 \
  -DBRIGHTMERE_REPORT_HOST=127.0.0.1:18582 -DBRIGHTMERE_AGREEMENT_HOST=127.0.0.1:18583 \
  -DBRIGHTMERE_OFFLINE_HOST=127.0.0.1:18583 >/dev/null
ninja -C "$build" -j2 brightmere-online-installer bench_programs bench_package ui_probe \
  trust_test_ca >/dev/null

BRIGHTMERE_XVFB=1 tools/with-wine "$build" python3 bench/bench.py --build "$build" --arch "$arch" \
  --out "$build/bench-results.md" "$@"
