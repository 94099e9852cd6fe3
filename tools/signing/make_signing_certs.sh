#!/usr/bin/env bash
# make_signing_certs.sh DIR: creates, once, the certificates that sign test and demo setup
# packages:
#   root.pem/root.der    "Test Code Signing Root", to be trusted in a test prefix
#   signer.pem/.key      "Test Package Signer", code signing, issued by that root, with the
#                        fixed key test-signer.key (its public key is pinned in
#                        cmake/loopback-hosts.cmake; a test key, it signs nothing real)
#   samename.pem/.key    "Test Package Signer" again, by the trusted root, for code
#                        signing, with a key of its own: the name without the pinned key
#   other.pem/.key       "Harrowfields Test Signer", code signing, issued by that root
#   rogue-root.pem       "Brightmere Rogue Root", trusted nowhere
#   rogue.pem/.key       "Test Package Signer" again, issued by the rogue root
#   noeku.pem/.key       "Test Package Signer" again, by the trusted root, without the
#                        code-signing usage
# and for each signer a chain file (*-chain.pem: the signer, then its root) for osslsigncode.
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$dir"
cd "$dir"
[ -f samename-chain.pem ] && exit 0

make_root() {  # name cn
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -keyout "$1.key" -out "$1.pem" \
    -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

make_signer() {  # name cn root extended-key-usage [key file]
  if [ -n "${5:-}" ]; then
    cp "$5" "$1.key"
    openssl req -new -key "$1.key" -sha256 -out "$1.csr" -subj "/CN=$2/O=Installer Tests" 2>/dev/null
  else
    openssl req -newkey rsa:2048 -nodes -sha256 -keyout "$1.key" -out "$1.csr" \
      -subj "/CN=$2/O=Installer Tests" 2>/dev/null
  fi
  {
    echo "basicConstraints=CA:FALSE"
    echo "keyUsage=critical,digitalSignature"
    [ -n "$4" ] && echo "extendedKeyUsage=$4"
  } > "$1.ext"
  openssl x509 -req -sha256 -days 3650 -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" \
    -CAcreateserial -out "$1.pem" -extfile "$1.ext" 2>/dev/null
  cat "$1.pem" "$3.pem" > "$1-chain.pem"
}

make_root root "Test Code Signing Root"
openssl x509 -in root.pem -outform DER -out root.der
make_root rogue-root "Brightmere Rogue Root"
make_signer signer "Test Package Signer" root codeSigning "$here/test-signer.key"
make_signer other "Harrowfields Test Signer" root codeSigning
make_signer rogue "Test Package Signer" rogue-root codeSigning
make_signer noeku "Test Package Signer" root serverAuth
make_signer samename "Test Package Signer" root codeSigning  # last: the "done" marker
