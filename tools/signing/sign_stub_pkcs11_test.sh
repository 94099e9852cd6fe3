#!/usr/bin/env bash
# sign_stub_pkcs11_test.sh CERT_DIR PROGRAM WORK_DIR: signs PROGRAM through sign_stub.sh with
# the test signer's key held in a SoftHSM token (the software stand-in for a hardware key,
# reached the same way: a PKCS#11 module and a key URI), then stamps the result; each file
# must pass osslsigncode verify.
set -euo pipefail
certs=$1 program=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' \
  "$work/tokens" > "$work/softhsm2.conf"
export SOFTHSM2_CONF="$work/softhsm2.conf"
softhsm2-util --init-token --free --label release --pin 1234 --so-pin 12345678 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$certs/signer.key" -out "$work/key.p8"
softhsm2-util --import "$work/key.p8" --token release --label signer --id 01 --pin 1234 >/dev/null
rm "$work/key.p8"

"$here/sign_stub.sh" --in "$program" --out "$work/signed.exe" \
  --pkcs11-module "${SOFTHSM_MODULE:-/usr/lib/softhsm/libsofthsm2.so}" \
  --key "pkcs11:token=release;object=signer;type=private;pin-value=1234" \
  --certs "$certs/signer-chain.pem" --name "Brightmere" --url "https://www.brightmere.example/" \
  --ca "$certs/root.pem"
python3 "$here/stamp_channel.py" stamp --channel site_a "$work/signed.exe" "$work/stamped.exe"
osslsigncode verify -CAfile "$certs/root.pem" -in "$work/stamped.exe" >/dev/null
echo "signed with the token's key and stamped: both verify"
