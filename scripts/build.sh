#!/usr/bin/env bash
# Builds the project: build/native (platform-free core, unit tests, gateway simulator,
# benchmarks) and build/win32 (the plug-in DLL, the station simulator, the Win32 tests).
# With --sanitize also build/asan (unit tests under AddressSanitizer and UBSan).
# With --package only the release package of build/win32 (scripts/package.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage="usage: build.sh [--sanitize | --package]"
sanitize=0
package_only=0
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    --package) package_only=1 ;;
    -h|--help) echo "$usage"; exit 0 ;;
    *) echo "build: unexpected '$arg'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
done
bash scripts/setup.sh

jobs=2
if [[ $package_only -eq 1 ]]; then
  [[ $sanitize -eq 0 ]] || { echo "build: --package and --sanitize exclude each other" >&2; exit 2; }
else
  bash scripts/configure.sh build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build/native -j$jobs
fi
# Signing is for the release only (scripts/package.sh): any other build leaves it off.
bash scripts/configure.sh build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DRELEASE_SIGN_KEY="${RELEASE_SIGN_KEY:-}" -DRELEASE_SIGN_CERT="${RELEASE_SIGN_CERT:-}"
if [[ $package_only -eq 1 ]]; then
  cmake --build build/win32 -j$jobs --target release_package
  exit 0
fi
cmake --build build/win32 -j$jobs
if [[ $sanitize -eq 1 ]]; then
  bash scripts/configure.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
  cmake --build build/asan -j$jobs
fi
