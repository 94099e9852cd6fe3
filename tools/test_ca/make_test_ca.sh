#!/usr/bin/env bash
# make_test_ca.sh DIR: creates, once, a test certificate authority and a server certificate
# it signs for 127.0.0.1 (ca.pem, ca.der, server.pem, server.key), and a self-signed
# certificate that nothing trusts (untrusted.pem, untrusted.key). Wine ignores IP entries
# in the subject alternative names, hence the DNS entry "127.0.0.1".
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
[ -f server.pem ] && [ -f untrusted.pem ] && [ -f ca.der ] && exit 0

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -keyout ca.key -out ca.pem \
  -subj "/CN=Brightmere Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der

openssl req -newkey rsa:2048 -nodes -sha256 -keyout server.key -out server.csr \
  -subj "/CN=127.0.0.1" 2>/dev/null
printf '%s\n' "subjectAltName=DNS:127.0.0.1,DNS:localhost,IP:127.0.0.1" \
  "extendedKeyUsage=serverAuth" "basicConstraints=CA:FALSE" > server.ext
openssl x509 -req -sha256 -days 825 -in server.csr -CA ca.pem -CAkey ca.key \
  -CAcreateserial -out server.pem -extfile server.ext 2>/dev/null

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 825 -keyout untrusted.key \
  -out untrusted.pem -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=DNS:127.0.0.1,DNS:localhost" 2>/dev/null
