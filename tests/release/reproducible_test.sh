#!/usr/bin/env bash
# The same sources built again in another folder give the release byte for byte: the
# ZIP (and so the DLL and StationSim.exe in it), the MSI, the debug file, SHA256SUMS.
# Copies the checkout's files (tracked and new, not ignored) to WORK/src, builds only
# the release package in WORK/build with the commit time of the checkout, and compares
# with RELEASE, the release folder of the normal build.
# usage: reproducible_test.sh --release DIR --work DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
usage="usage: reproducible_test.sh --release DIR --work DIR"
release="" work=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --release) release=${2:?$usage}; shift 2 ;;
    --work) work=${2:?$usage}; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
[[ -n "$release" && -n "$work" ]] || { echo "$usage" >&2; exit 2; }
rm -rf "$work"
mkdir -p "$work/src"
git -C "$root" ls-files -z -co --exclude-standard | (cd "$root" && xargs -0 cp --parents -t "$work/src")
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
cmake -S "$work/src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
started=$(date +%s)
cmake --build "$work/build" -j2 --target release_package >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; exit 1; }
echo "figure: the release package built again in $(( $(date +%s) - started )) s"

failures=0
for file in "$release"/*; do
  name=$(basename "$file")
  [[ -f "$file" ]] || continue
  if cmp -s "$file" "$work/build/release/$name"; then
    echo "same: $name"
  else
    failures=$((failures + 1))
    echo "FAIL: $name differs between $release and $work/build/release"
  fi
done
if [[ $failures -ne 0 ]]; then
  # Which files in the ZIPs differ, to point at the step that is not reproducible.
  python3 - "$release"/*.zip "$work"/build/release/*.zip <<'PY'
import sys, zipfile
one, two = (zipfile.ZipFile(name) for name in sys.argv[1:3])
for info in one.infolist():
    if one.read(info) != two.read(info.filename) or info.date_time != two.getinfo(info.filename).date_time:
        print(f"  in the ZIP: {info.filename} differs")
PY
fi
[[ $failures -eq 0 ]]
