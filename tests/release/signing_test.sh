#!/usr/bin/env bash
# Signing the release as a site would with its own certificate: a throwaway CA and a
# code-signing certificate under it; the release made twice with them gives the same
# bytes (the signing time is the commit time); CSPlugin.dll, StationSim.exe and the MSI
# verify against that CA with SHA-256, and fail once a byte is changed.
# usage: signing_test.sh WORK PACKAGE_RELEASE_DEFINES...   (the -D's of package_release.cmake)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:?usage: signing_test.sh WORK DEFINES...}
shift
source "$root/tests/release/checks.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr -subj "/CN=Test Signer" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >sign.ext
openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile sign.ext \
  -out sign.pem 2>/dev/null || { echo "FAIL: no test certificate"; exit 1; }

for run in one two; do
  cmake "$@" -DOUT="$work/$run" -DSIGN_KEY=sign.key -DSIGN_CERT=sign.pem \
    -P "$root/cmake/package_release.cmake" >"$run.log" 2>&1 || { cat "$run.log"; exit 1; }
done
for file in one/*; do check "$file differs between two signed runs" cmp -s "$file" "two/${file#one/}"; done
python3 -m zipfile -e one/*.zip unpacked
for file in unpacked/*/CSPlugin.dll unpacked/*/StationSim.exe one/*.msi; do
  report=$(osslsigncode verify -CAfile ca.pem -in "$file" 2>&1)
  check "$file does not verify with SHA-256:"$'\n'"$report" \
    grep -Eq '^Message digest algorithm +: SHA256' <<<"$report"
  check "$file does not verify:"$'\n'"$report" grep -q 'Signature verification: ok' <<<"$report"
  # One byte changed halfway through (in the code or the cabinet).
  python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[len(d) // 2] ^= 0xff; open(sys.argv[1], "wb").write(d)' "$file"
  check "$file with a changed byte still verifies" \
    [ "$(osslsigncode verify -CAfile ca.pem -in "$file" >/dev/null 2>&1; echo $?)" != 0 ]
done
finish "signing test"
