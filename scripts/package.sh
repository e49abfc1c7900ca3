#!/usr/bin/env bash
# Makes the release an administrator installs from (ADMIN.md says what it holds), in
# build/win32/release/:
#   CSPlugin-<version>.zip        the DLL, StationSim.exe, sample settings, guide, change log
#   CSPlugin-<version>.msi        the DLL, sample settings, guide and change log as an MSI
#   CSPlugin-<version>.dll.debug  the DLL's debug information; keep it with the release,
#                                 scripts/resolve_crash.sh needs it
#   SHA256SUMS                    the checksums of the three
# With --sign-key and --sign-cert the DLL, StationSim.exe and the MSI are signed
# (Authenticode, SHA-256); without them the release is unsigned, and this says so.
# Installs the Debian packages when missing, builds only what the package holds (the
# normal build makes the package too, and scripts/test.sh tries it under Wine), and
# prints what it made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() {
  cat <<'USAGE'
usage: package.sh [--sign-key KEY.pem --sign-cert CERT.pem]
  --sign-key KEY.pem    private key of the code-signing certificate (PEM; RSA signs the
                        same bytes every time)
  --sign-cert CERT.pem  the code-signing certificate, followed by its chain (PEM)
USAGE
}
key="" cert=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --sign-key) [[ $# -ge 2 ]] || { usage >&2; exit 2; }; key=$(realpath "$2"); shift 2 ;;
    --sign-cert) [[ $# -ge 2 ]] || { usage >&2; exit 2; }; cert=$(realpath "$2"); shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "package: unexpected '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
if [[ -n "$key" && -z "$cert" || -z "$key" && -n "$cert" ]]; then
  echo "package: --sign-key and --sign-cert go together" >&2
  exit 2
fi
for file in "$key" "$cert"; do
  [[ -z "$file" || -r "$file" ]] || { echo "package: cannot read $file" >&2; exit 2; }
done

# Made afresh, so that its dates are those of the commit checked out now.
rm -rf build/win32/release
RELEASE_SIGN_KEY=$key RELEASE_SIGN_CERT=$cert bash scripts/build.sh --package

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
  echo "signed (Authenticode, SHA-256): CSPlugin.dll, StationSim.exe and the MSI," \
       "by $(openssl x509 -in "$cert" -noout -subject)"
else
  echo "UNSIGNED: no --sign-key and --sign-cert given (ADMIN.md, \"Signing and checking a release\")"
fi
echo "check: cd $release && sha256sum -c SHA256SUMS"
