#!/usr/bin/env bash
# Builds the project: build/native (platform-free core, unit tests, gateway simulator,
# benchmarks) and build/win32 (the plug-in DLL, the station simulator, the Win32 tests).
# Where this machine cannot run 32-bit programs (scripts/wine_arch.sh), build/win32 makes
# only the shipped release package and build/win64 the same sources for 64-bit Wine.
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
bash scripts/configure.sh build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
if [[ $package_only -eq 1 ]]; then
  cmake --build build/win32 -j$jobs --target release_package
  exit 0
fi
if [[ $(bash scripts/wine_arch.sh) == win64 ]]; then
  cmake --build build/win32 -j$jobs --target release_package
  bash scripts/configure.sh build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
  cmake --build build/win64 -j$jobs
else
  cmake --build build/win32 -j$jobs
fi
if [[ $sanitize -eq 1 ]]; then
  bash scripts/configure.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
  cmake --build build/asan -j$jobs
fi
