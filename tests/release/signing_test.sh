#!/usr/bin/env bash
# Signing the release, as a site with its own certificate would: a throwaway CA and a
# code-signing certificate under it; the release made twice with them (the same bytes
# both times, the signing time being the commit time); CSPlugin.dll, StationSim.exe and
# the MSI verify against that CA with a SHA-256 digest, and fail once a byte changes.
# usage: signing_test.sh --work DIR -- CMAKE_DEFINES... (package_release.cmake's -D's)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
usage="usage: signing_test.sh --work DIR -- CMAKE_DEFINES..."
[[ "${1:-}" == --work && -n "${2:-}" && "${3:-}" == -- ]] || { echo "$usage" >&2; exit 2; }
work=$2
shift 3
failures=0
fail() { failures=$((failures + 1)); echo "FAIL: $*"; }
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Throwaway Signing Test CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr \
  -subj "/CN=Throwaway Code Signing" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >sign.ext
openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile sign.ext -out sign.pem 2>/dev/null || { echo "FAIL: no test certificate"; exit 1; }

for run in one two; do
  cmake "$@" -DOUT="$work/$run" -DSIGN_KEY="$work/sign.key" -DSIGN_CERT="$work/sign.pem" \
    -P "$root/cmake/package_release.cmake" >"$run.log" 2>&1 || { cat "$run.log"; exit 1; }
done
for file in one/*; do
  cmp -s "$file" "two/$(basename "$file")" || fail "$(basename "$file") differs between two signed runs"
done

python3 -m zipfile -e one/*.zip unpacked
signed=(unpacked/*/CSPlugin.dll unpacked/*/StationSim.exe one/*.msi)
for file in "${signed[@]}"; do
  name=$(basename "$file")
  report=$(osslsigncode verify -CAfile ca.pem -in "$file" 2>&1)
  [[ "$report" == *"Signature verification: ok"* ]] || fail "$name does not verify:"$'\n'"$report"
  grep -Eq '^Message digest algorithm +: SHA256' <<<"$report" || fail "$name: no SHA-256 digest:"$'\n'"$report"
  # One byte changed in the middle of the file (in the code or the cabinet).
  cp "$file" "changed-$name"
  size=$(stat -c %s "$file")
  python3 -c 'import sys; f = open(sys.argv[1], "r+b"); f.seek(int(sys.argv[2])); b = f.read(1); f.seek(int(sys.argv[2])); f.write(bytes([b[0] ^ 0xff]))' \
    "changed-$name" $((size / 2))
  if osslsigncode verify -CAfile ca.pem -in "changed-$name" >/dev/null 2>&1; then
    fail "$name with a changed byte still verifies"
  fi
done
echo "signing test: ${#signed[@]} files signed and checked, $failures failures"
[[ $failures -eq 0 ]]
