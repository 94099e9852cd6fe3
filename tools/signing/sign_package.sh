#!/usr/bin/env bash
# sign_package.sh CERT_DIR SIGNER IN OUT: writes OUT, a copy of the program IN with an
# Authenticode signature (SHA-256) by SIGNER, one of the signers make_signing_certs.sh made
# in CERT_DIR (signer, other, rogue, noeku). Anything to go inside the package must be in IN
# already: bytes appended after signing leave the file unsigned.
set -euo pipefail
certs=$1 signer=$2 in=$3 out=$4
rm -f "$out"
osslsigncode sign -certs "$certs/$signer-chain.pem" -key "$certs/$signer.key" -h sha256 \
  -n "Brightmere setup" -in "$in" -out "$out" >/dev/null
