#!/usr/bin/env bash
# Builds the installer and runs it under Wine. With a display ($DISPLAY) it runs there until
# you close it; without one it runs on a virtual display, takes a screenshot after a few
# seconds into build/main/screenshots/, prints its path and ends the installer.
# BRIGHTMERE_BUILD_DIR picks another build tree (default build/main).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${BRIGHTMERE_BUILD_DIR:-$top/build/main}"
mkdir -p "$build"
build=$(cd "$build" && pwd)
installer="$build/app/brightmere-online-installer.exe"

"$top/tools/setup.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" --target brightmere-online-installer

if [ -n "${DISPLAY:-}" ]; then
  echo "demo: running the installer on $DISPLAY"
  exec "$top/tools/with-wine" "$build" "$top/tools/wine-run" "$build/wineprefix" "$installer"
fi

shots="$build/screenshots"
mkdir -p "$shots"
shot="$shots/installer-$(date +%Y%m%d-%H%M%S).png"
# Runs inside with-wine, which has started a virtual display.
BRIGHTMERE_SHOT="$shot" BRIGHTMERE_INSTALLER="$installer" BRIGHTMERE_PREFIX="$build/wineprefix" \
"$top/tools/with-wine" "$build" bash -c '
  set -eu
  "$0/tools/wine-run" "$BRIGHTMERE_PREFIX" "$BRIGHTMERE_INSTALLER" &
  installer_pid=$!
  sleep "${BRIGHTMERE_DEMO_WAIT:-6}"
  import -window root -display "$DISPLAY" "$BRIGHTMERE_SHOT"
  kill "$installer_pid" 2>/dev/null || true
  wait "$installer_pid" 2>/dev/null || true
' "$top"
echo "demo: screenshot $shot"
