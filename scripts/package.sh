#!/usr/bin/env bash
# Makes the release an administrator installs from (ADMIN.md says what it holds), in
# build/win32/release/:
#   CSPlugin-<version>.zip        the DLL, StationSim.exe, sample settings, guide, change log
#   CSPlugin-<version>.msi        the DLL, sample settings, guide and change log as an MSI
#   CSPlugin-<version>.dll.debug  the DLL's debug information; keep it with the release,
#                                 scripts/resolve_crash.sh needs it
#   SHA256SUMS                    the checksums of the three
# With --sign-key and --sign-cert the DLL, StationSim.exe, CSReconcile.exe and the MSI are
# signed (Authenticode, SHA-256), with a key in a PEM file or in a PKCS#11 token (a
# hardware key, as public code-signing certificates require), and with --timestamp-url
# time-stamped; without them the release is unsigned, and this says so.
# Installs the Debian packages when missing, builds only what the package holds (the
# normal build makes the package too, and scripts/test.sh tries it under Wine), and
# prints what it made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() {
  cat <<'USAGE'
usage: package.sh [--sign-key KEY --sign-cert CERT.pem [--pkcs11-module MODULE.so]
                  [--sign-pin-file FILE] [--timestamp-url URL]]
  --sign-key KEY          private key of the code-signing certificate: a PEM file (RSA
                          signs the same bytes every time), or a key in a PKCS#11 token
                          named by its URI, 'pkcs11:token=NAME;object=LABEL;type=private'
  --sign-cert CERT.pem    the code-signing certificate, followed by its chain (PEM)
  --pkcs11-module MODULE  the token's PKCS#11 library (for a pkcs11: key), for example
                          /usr/lib/x86_64-linux-gnu/opensc-pkcs11.so
  --sign-pin-file FILE    a file that holds the token's PIN (else pin-value in the URI)
  --timestamp-url URL     an RFC 3161 time-stamping service of the certificate's issuer:
                          the signatures then stay valid after the certificate expires
USAGE
}
key="" cert="" module="" pin="" timestamp=""
while [[ $# -gt 0 ]]; do
  [[ $1 == -h || $1 == --help || $# -ge 2 ]] || { usage >&2; exit 2; }
  case "$1" in
    --sign-key) key=$2; [[ $key == pkcs11:* ]] || key=$(realpath "$key"); shift 2 ;;
    --sign-cert) cert=$(realpath "$2"); shift 2 ;;
    --pkcs11-module) module=$(realpath "$2"); shift 2 ;;
    --sign-pin-file) pin=$(realpath "$2"); shift 2 ;;
    --timestamp-url) timestamp=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "package: unexpected '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
if [[ -n "$key" && -z "$cert" || -z "$key" && -n "$cert" ]]; then
  echo "package: --sign-key and --sign-cert go together" >&2
  exit 2
fi
if [[ -z "$key" && -n "$module$pin$timestamp" ]]; then
  echo "package: --pkcs11-module, --sign-pin-file and --timestamp-url need --sign-key" >&2
  exit 2
fi
if [[ $key == pkcs11:* && -z "$module" ]]; then
  echo "package: a pkcs11: key needs --pkcs11-module" >&2
  exit 2
fi
for file in "$cert" "$module" "$pin"; do
  [[ -z "$file" || -r "$file" ]] || { echo "package: cannot read $file" >&2; exit 2; }
done
[[ -z "$key" || $key == pkcs11:* || -r "$key" ]] || { echo "package: cannot read $key" >&2; exit 2; }

# Made afresh, so that its dates are those of the commit checked out now.
rm -rf build/win32/release
RELEASE_SIGN_KEY=$key RELEASE_SIGN_CERT=$cert RELEASE_PKCS11_MODULE=$module \
  RELEASE_SIGN_PIN_FILE=$pin RELEASE_TIMESTAMP_URL=$timestamp bash scripts/build.sh --package

cache=build/win32/CMakeCache.txt
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache")
release=$(sed -n 's/^RELEASE_DIR:PATH=//p' "$cache")
echo "release $version in $release:"
(cd "$release" && for file in CSPlugin-"$version".{zip,msi,dll.debug} SHA256SUMS; do
  printf '  %-28s %8d bytes\n' "$file" "$(stat -c %s "$file")"
done)
python3 - "$release/CSPlugin-$version.zip" <<'PY'
import sys, zipfile
print("  in the ZIP:")
for entry in zipfile.ZipFile(sys.argv[1]).infolist():
    if not entry.is_dir():
        print(f"    {entry.filename:<34} {entry.file_size:>8} bytes")
PY
if [[ -n "$key" ]]; then
  echo "signed (Authenticode, SHA-256): CSPlugin.dll, StationSim.exe, CSReconcile.exe and the MSI," \
       "by $(openssl x509 -in "$cert" -noout -subject)," \
       "${timestamp:+time-stamped by $timestamp}${timestamp:-with no time stamp: Windows accepts it only while the certificate is valid}"
else
  echo "UNSIGNED: no --sign-key and --sign-cert given (ADMIN.md, \"Signing and checking a release\")"
fi
echo "check: cd $release && sha256sum -c SHA256SUMS"
