#!/usr/bin/env bash
# tools/refresh-docs-pictures.sh [BUILD_DIR]: copies the installer's pages at 100 % from the
# last end-to-end run's screenshots (BUILD_DIR/tests/e2e/screenshots, default build/main) into
# docs/, where the README shows them, made small losslessly (optipng). The scenarios that
# take them:
#
#   tools/test.sh -R '^e2e_(successful_install|failed_download_then_reinstall|exit_survey_from_welcome)$'
#
# A page whose scenario has not run is named and skipped; the exit code is then 1.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
shots=${1:-$top/build/main}/tests/e2e/screenshots
status=0

# pick SCENARIO LABEL NAME: the first screenshot "NN-LABEL.png" of SCENARIO as docs/NAME.png.
pick() {
  local found
  found=$(ls "$shots/$1"/[0-9][0-9]-"$2".png 2>/dev/null | head -n 1)
  if [ -z "$found" ]; then
    echo "refresh-docs-pictures: no '$2' page in $shots/$1: run e2e_$1 first" >&2
    status=1
    return
  fi
  cp "$found" "$top/docs/$3.png"
  optipng -quiet -o7 -strip all "$top/docs/$3.png"
  echo "docs/$3.png from $found"
}

pick successful_install welcome welcome
pick successful_install installing progress
pick successful_install installed success
pick failed_download_then_reinstall download-failed failure
pick exit_survey_from_welcome survey survey
exit $status
