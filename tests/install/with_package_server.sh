#!/usr/bin/env bash
# with_package_server.sh SOURCE_DIR BINARY_DIR WINEPREFIX PACKAGE TRUST_EXE TEST_EXE [ARGS...]
# Runs a test program under Wine with the local package server listening: plain http, https
# with a certificate from the test CA (trusted only in this Wine prefix), and https with a
# certificate nobody trusts. The ports reach the test as BRIGHTMERE_TEST_HTTP_PORT,
# BRIGHTMERE_TEST_HTTPS_PORT and BRIGHTMERE_TEST_UNTRUSTED_PORT.
set -euo pipefail
src=$1 bin=$2 prefix=$3 package=$4 trust_exe=$5
shift 5

tls="$bin/tls"
"$src/tools/test_ca/make_test_ca.sh" "$tls"

# Trusting the CA once per prefix is enough; the marker names the CA it was done for.
marker="$prefix/brightmere-test-ca-$(sha1sum "$tls/ca.der" | cut -c1-12)"
if [ ! -f "$marker" ]; then
  "$src/tools/wine-run" "$prefix" "$trust_exe" "Z:${tls//\//\\}\\ca.der"
  touch "$marker"
fi

run_dir=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$run_dir"
}
trap cleanup EXIT

python3 "$src/tools/package_server.py" --package "$package" --port-file "$run_dir/ports" \
  --cert "$tls/server.pem" --key "$tls/server.key" \
  --untrusted-cert "$tls/untrusted.pem" --untrusted-key "$tls/untrusted.key" &
server_pid=$!
for _ in $(seq 100); do
  [ -f "$run_dir/ports" ] && break
  kill -0 "$server_pid" 2>/dev/null || { echo "package server did not start" >&2; exit 1; }
  sleep 0.1
done
[ -f "$run_dir/ports" ] || { echo "package server did not report its ports" >&2; exit 1; }

export BRIGHTMERE_TEST_HTTP_PORT=$(sed -n 's/^http=//p' "$run_dir/ports")
export BRIGHTMERE_TEST_HTTPS_PORT=$(sed -n 's/^https=//p' "$run_dir/ports")
export BRIGHTMERE_TEST_UNTRUSTED_PORT=$(sed -n 's/^untrusted=//p' "$run_dir/ports")
set +e
"$src/tools/wine-run" "$prefix" "$@"
rc=$?
set -e
exit $rc
