#!/usr/bin/env bash
# Builds the project: build/native (platform-free core, unit tests, gateway simulator,
# benchmarks) and build/win32 (the plug-in DLL, the station simulator, the Win32 tests).
# With STATION_WINE_ARCH=win64 (scripts/wine_arch.sh), build/win32 makes only the shipped
# release package and build/win64 the same sources for 64-bit Wine.
# With --sanitize also build/asan (unit tests under AddressSanitizer and UBSan).
# With --package only the release package of build/win32 (scripts/package.sh).
# Says what it builds, one line a folder; the compiler's output goes to build/<folder>.log
# and is shown when the build fails. --quiet leaves the lines out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage="usage: build.sh [--sanitize | --package] [--quiet]"
sanitize=0
package_only=0
quiet=0
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    --package) package_only=1 ;;
    --quiet) quiet=1 ;;
    -h|--help) echo "$usage"; exit 0 ;;
    *) echo "build: unexpected '$arg'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
done
[[ $package_only -eq 0 || $sanitize -eq 0 ]] ||
  { echo "build: --package and --sanitize exclude each other" >&2; exit 2; }
bash scripts/setup.sh

jobs=2
started=0
# announce DIR WHAT: says what comes next, unless --quiet, before configuring DIR.
announce() {
  started=$(date +%s)
  [[ $quiet -eq 1 ]] || echo "build: $1, $2 ..."
}
# build DIR [ARGS...]: builds one folder; its output goes to DIR.log, shown on failure.
build() {
  local dir=$1 log="$1.log"
  shift
  if ! cmake --build "$dir" -j$jobs "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "build: building $dir failed (log: $log)" >&2
    exit 1
  fi
  [[ $quiet -eq 1 ]] || echo "build: $dir done in $(( $(date +%s) - started )) s"
}
fresh="a first build takes a few minutes"
if [[ $package_only -eq 0 ]]; then
  announce build/native "the platform-free core, unit tests and gateway simulator ($fresh)"
  bash scripts/configure.sh build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
  build build/native
fi
if [[ $package_only -eq 1 ]]; then
  announce build/win32 "the DLL, StationSim.exe and the release package"
else
  announce build/win32 "the DLL, the station simulator, the Win32 tests and the release package ($fresh)"
fi
# Signing is for the release only (scripts/package.sh): any other build leaves it off.
bash scripts/configure.sh build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DRELEASE_SIGN_KEY="${RELEASE_SIGN_KEY:-}" -DRELEASE_SIGN_CERT="${RELEASE_SIGN_CERT:-}" \
  -DRELEASE_PKCS11_MODULE="${RELEASE_PKCS11_MODULE:-}" -DRELEASE_SIGN_PIN_FILE="${RELEASE_SIGN_PIN_FILE:-}" \
  -DRELEASE_TIMESTAMP_URL="${RELEASE_TIMESTAMP_URL:-}"
if [[ $package_only -eq 1 ]]; then
  build build/win32 --target release_package
  exit 0
fi
if [[ $(bash scripts/wine_arch.sh) == win64 ]]; then
  build build/win32 --target release_package
  announce build/win64 "the same sources for 64-bit Wine: the DLL, the simulators, the Win32 tests ($fresh)"
  bash scripts/configure.sh build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
  build build/win64
else
  build build/win32
fi
if [[ $sanitize -eq 1 ]]; then
  announce build/asan "the unit tests under AddressSanitizer and UBSan ($fresh)"
  bash scripts/configure.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
  build build/asan
fi
