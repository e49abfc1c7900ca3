#!/usr/bin/env bash
# Makes the release package an administrator installs from (ADMIN.md says what it holds):
#   build/win32/release/CSPlugin-<version>.zip
#   build/win32/release/CSPlugin-<version>.dll.debug  beside it, not in it: the DLL's
#       debug information; keep it with the ZIP, scripts/resolve_crash.sh needs it
# Installs the Debian packages when missing, builds only what the package holds (the
# normal build makes the package too, and scripts/test.sh tries it under Wine), and
# prints what it made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage="usage: package.sh"
for arg in "$@"; do
  case "$arg" in
    -h|--help) echo "$usage"; exit 0 ;;
    *) echo "package: unexpected '$arg'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
done
bash scripts/build.sh --package >/dev/null

cache=build/win32/CMakeCache.txt
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache")
release=$(sed -n 's/^RELEASE_DIR:PATH=//p' "$cache")
zip=$release/CSPlugin-$version.zip
debug=$release/CSPlugin-$version.dll.debug
echo "release package: $zip ($(stat -c %s "$zip") bytes)"
python3 - "$zip" <<'PY'
import sys, zipfile
for entry in zipfile.ZipFile(sys.argv[1]).infolist():
    if not entry.is_dir():
        print(f"  {entry.filename:<36} {entry.file_size:>8} bytes")
PY
echo "debug information of its CSPlugin.dll, beside it: $debug ($(stat -c %s "$debug") bytes)"
echo "CSPlugin.dll as built: $(stat -c %s build/win32/CSPlugin.dll) bytes"
