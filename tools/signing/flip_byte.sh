#!/usr/bin/env bash
# flip_byte.sh FILE OFFSET: inverts the bits of the byte at OFFSET in place, to make a
# signed file whose signed bytes no longer match its signature.
set -euo pipefail
file=$1 offset=$2
byte=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
printf "\\$(printf '%03o' $((255 - byte)))" |
  dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
