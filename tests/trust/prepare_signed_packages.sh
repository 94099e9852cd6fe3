#!/usr/bin/env bash
# prepare_signed_packages.sh SOURCE_DIR OUT_DIR WINEPREFIX TRUST_EXE SAMPLE_EXE BIG_EXE INSTALLER
# Makes the files the package trust tests check, in OUT_DIR:
#   signed.exe    SAMPLE_EXE signed by "Test Package Signer" (trusted root)
#   unsigned.exe  SAMPLE_EXE as built
#   tampered.exe  signed.exe with one signed byte changed afterwards
#   rogue.exe     signed by "Test Package Signer" from a root nobody trusts
#   other.exe     signed by "Harrowfields Test Signer" (trusted root)
#   samename.exe  signed by "Test Package Signer" (trusted root) with a key not pinned
#   noeku.exe     signed by "Test Package Signer" without the code-signing usage
#   big.exe       BIG_EXE (over 10 MiB, its payload inside) signed by "Test Package Signer"
#   stub.exe      INSTALLER signed by "Test Package Signer" the way a release is
#                 (sign_stub.sh, which checks it with osslsigncode verify)
#   stub-<channel>.exe  stub.exe stamped with site_a, site_b and site_c, each checked with
#                 osslsigncode verify
# and trusts the test root in WINEPREFIX, and nowhere else.
set -euo pipefail
src=$1 out=$2 prefix=$3 trust_exe=$4 sample=$5 big=$6 installer=$7
signing="$src/tools/signing"
certs="$out/certs"

"$signing/make_signing_certs.sh" "$certs"
cp "$sample" "$out/unsigned.exe"
"$signing/sign_package.sh" "$certs" signer "$sample" "$out/signed.exe"
"$signing/sign_package.sh" "$certs" rogue "$sample" "$out/rogue.exe"
"$signing/sign_package.sh" "$certs" other "$sample" "$out/other.exe"
"$signing/sign_package.sh" "$certs" samename "$sample" "$out/samename.exe"
"$signing/sign_package.sh" "$certs" noeku "$sample" "$out/noeku.exe"
"$signing/sign_package.sh" "$certs" signer "$big" "$out/big.exe"

"$signing/sign_stub.sh" --in "$installer" --out "$out/stub.exe" --certs "$certs/signer-chain.pem" \
  --key "$certs/signer.key" --name "Brightmere" --url "https://www.brightmere.example/" \
  --ca "$certs/root.pem"
for channel in site_a site_b site_c; do
  python3 "$signing/stamp_channel.py" stamp --channel "$channel" "$out/stub.exe" "$out/stub-$channel.exe"
  osslsigncode verify -CAfile "$certs/root.pem" -in "$out/stub-$channel.exe" >/dev/null
done

# Halfway into the program's own bytes: inside the signed range, far from the signature.
cp "$out/signed.exe" "$out/tampered.exe"
"$signing/flip_byte.sh" "$out/tampered.exe" $(( $(stat -c %s "$sample") / 2 ))

# Trusting the root once per prefix is enough; the marker names the root it was done for.
marker="$prefix/brightmere-signing-root-$(sha1sum "$certs/root.der" | cut -c1-12)"
if [ ! -f "$marker" ]; then
  "$src/tools/wine-run" "$prefix" "$trust_exe" "Z:${certs//\//\\}\\root.der"
  touch "$marker"
fi
