#!/usr/bin/env bash
# sign_stub.sh: signs the installer, the last step of a release, and checks the result.
#
#   sign_stub.sh --in INSTALLER.exe --out SIGNED.exe --certs CHAIN.pem --key KEY.pem \
#     [--timestamp http://tsa.example/ ...] [--name "Product"] [--url https://...] [--ca ROOTS.pem] \
#     [--tsa-ca ROOTS.pem]
#   sign_stub.sh ... --pkcs11-module /usr/lib/.../opensc-pkcs11.so --key "pkcs11:object=..." \
#     [--pkcs11-cert "pkcs11:object=..." | --certs CHAIN.pem]
#
# SHA-256 Authenticode signature by osslsigncode, with the product's name and URL in it and,
# with --timestamp, an RFC 3161 timestamp (each --timestamp is tried in turn), so the signature
# outlives the certificate. With a hardware key the key never leaves the token: --key names it
# by its PKCS#11 URI. The signed file is then verified (osslsigncode verify, against --ca or the
# system's roots, its timestamp against --tsa-ca or the system's roots); a failed signing or
# check leaves no output file. Stamp channels into the
# signed file afterwards (stamp_channel.py); that keeps the signature.
set -euo pipefail
in= out= certs= key= module= pkcs11_cert= name= url= ca= tsa_ca=
timestamps=()
while [ $# -gt 0 ]; do
  case $1 in
    --in) in=$2 ;;
    --out) out=$2 ;;
    --certs) certs=$2 ;;
    --key) key=$2 ;;
    --pkcs11-module) module=$2 ;;
    --pkcs11-cert) pkcs11_cert=$2 ;;
    --timestamp) timestamps+=(-ts "$2") ;;
    --name) name=$2 ;;
    --url) url=$2 ;;
    --ca) ca=$2 ;;
    --tsa-ca) tsa_ca=$2 ;;
    *) echo "sign_stub.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
if [ -z "$in" ] || [ -z "$out" ] || [ -z "$key" ] || { [ -z "$certs" ] && [ -z "$pkcs11_cert" ]; }; then
  echo "sign_stub.sh: needs --in, --out, --key and --certs or --pkcs11-cert" >&2
  exit 2
fi

args=(sign -h sha256 -in "$in" -out "$out.part")
[ -n "$module" ] && args+=(-pkcs11module "$module")
[ -n "$pkcs11_cert" ] && args+=(-pkcs11cert "$pkcs11_cert")
[ -n "$certs" ] && args+=(-certs "$certs")
args+=(-key "$key")
[ -n "$name" ] && args+=(-n "$name")
[ -n "$url" ] && args+=(-i "$url")
rm -f "$out" "$out.part"
mkdir -p "$(dirname "$out")"
trap 'rm -f "$out.part"' EXIT
osslsigncode "${args[@]}" "${timestamps[@]}" >/dev/null

check=(verify -in "$out.part")
[ -n "$ca" ] && check+=(-CAfile "$ca")
[ -n "$tsa_ca" ] && check+=(-TSA-CAfile "$tsa_ca")
if ! report=$(osslsigncode "${check[@]}" 2>&1) || grep -q "invalid PE checksum" <<<"$report"; then
  echo "$report" >&2
  echo "sign_stub.sh: the signed file does not verify" >&2
  exit 1
fi
mv "$out.part" "$out"
