#!/usr/bin/env bash
# Signing the release as a site would with its own certificate: a throwaway CA and a
# code-signing certificate under it; the release made twice with its key in a PEM file
# gives the same bytes (the signing time is the commit time); CSPlugin.dll,
# StationSim.exe and the MSI verify against that CA with SHA-256, and fail once a byte is
# changed. Then the same key in a PKCS#11 token (SoftHSM2), its PIN in a file, with time
# stamps from a local RFC 3161 service (openssl ts): the files verify, each with a time
# stamp of that service.
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
# The time-stamping service's certificate, under the same CA.
openssl req -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj "/CN=Test Time Stamps" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n' >tsa.ext
openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile tsa.ext \
  -out tsa.pem 2>/dev/null || { echo "FAIL: no time-stamping certificate"; exit 1; }

# verify FILE LABEL [osslsigncode options]: the file verifies with SHA-256, and not once a
# byte halfway through (in the code or the cabinet) is changed; the report in $report.
verify() {
  local file=$1 label=$2
  report=$(osslsigncode verify -CAfile ca.pem "${@:3}" -in "$file" 2>&1)
  check "$label: $file does not verify with SHA-256:"$'\n'"$report" \
    grep -Eq '^Message digest algorithm +: SHA256' <<<"$report"
  check "$label: $file does not verify:"$'\n'"$report" grep -q 'Signature verification: ok' <<<"$report"
  cp "$file" "$file.changed"
  python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[len(d) // 2] ^= 0xff; open(sys.argv[1], "wb").write(d)' "$file.changed"
  check "$label: $file with a changed byte still verifies" \
    [ "$(osslsigncode verify -CAfile ca.pem "${@:3}" -in "$file.changed" >/dev/null 2>&1; echo $?)" != 0 ]
}

for run in one two; do
  cmake "$@" -DOUT="$work/$run" -DSIGN_KEY=sign.key -DSIGN_CERT=sign.pem \
    -P "$root/cmake/package_release.cmake" >"$run.log" 2>&1 || { cat "$run.log"; exit 1; }
done
for file in one/*; do check "$file differs between two signed runs" cmp -s "$file" "two/${file#one/}"; done
python3 -m zipfile -e one/*.zip unpacked
for file in unpacked/*/CSPlugin.dll unpacked/*/StationSim.exe unpacked/*/CSReconcile.exe one/*.msi; do
  verify "$file" "PEM key"
done

# The key in a software token, as a hardware token holds it, and time stamps.
mkdir tokens
printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\nlog.level = ERROR\n' "$work" >softhsm2.conf
export SOFTHSM2_CONF="$work/softhsm2.conf"
module=$(dpkg -L libsofthsm2 | grep -m1 '/libsofthsm2\.so$')
openssl pkcs8 -topk8 -nocrypt -in sign.key -out sign.p8
echo 4711 >pin.txt
softhsm2-util --init-token --free --label release --pin 4711 --so-pin 0815 >/dev/null &&
  softhsm2-util --import sign.p8 --token release --label code-signing --id 01 --pin 4711 >/dev/null ||
  { echo "FAIL: no software token"; exit 1; }
printf '[tsa]\ndefault_tsa = service\n[service]\nserial = %s/tsa.serial\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256\naccuracy = secs:1\ness_cert_id_alg = sha256\n' "$work" >tsa.cnf
echo 01 >tsa.serial
coproc TIMESTAMPS { exec python3 "$root/tests/release/timestamp_server.py" tsa.cnf tsa.pem tsa.key; }
trap 'kill "$TIMESTAMPS_PID" 2>/dev/null' EXIT
read -r -t 10 port <&"${TIMESTAMPS[0]}" || { echo "FAIL: the time-stamping service did not start"; exit 1; }
cmake "$@" -DOUT="$work/token" -DSIGN_KEY="pkcs11:token=release;object=code-signing;type=private" \
  -DPKCS11_MODULE="$module" -DSIGN_PIN_FILE=pin.txt -DSIGN_CERT=sign.pem \
  -DTIMESTAMP_URL="http://127.0.0.1:$port/" -P "$root/cmake/package_release.cmake" >token.log 2>&1 ||
  { cat token.log; exit 1; }
python3 -m zipfile -e token/*.zip token-unpacked
for file in token-unpacked/*/CSPlugin.dll token-unpacked/*/StationSim.exe token-unpacked/*/CSReconcile.exe token/*.msi; do
  verify "$file" "token key, time-stamped" -TSA-CAfile ca.pem
  check "$file carries no time stamp of the service:"$'\n'"$report" \
    grep -q 'Timestamp Server Signature verification: ok' <<<"$report"
done
finish "signing test"
