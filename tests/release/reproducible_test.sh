#!/usr/bin/env bash
# The same sources built again in another folder give the release byte for byte: ZIP
# (and the DLL and StationSim.exe in it), MSI, debug file, SHA256SUMS. Copies the
# checkout's files (tracked and new, not ignored) to WORK/src, builds only the release
# package in WORK/build at the checkout's commit time, and compares it with RELEASE,
# the release folder of the normal build.
# usage: reproducible_test.sh RELEASE WORK
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[[ $# -eq 2 ]] || { echo "usage: reproducible_test.sh RELEASE WORK" >&2; exit 2; }
release=$1 work=$2
source "$root/tests/release/checks.sh"
rm -rf "$work" && mkdir -p "$work/src" || exit 1
git -C "$root" ls-files -z -co --exclude-standard | (cd "$root" && xargs -0 cp --parents -t "$work/src")
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
started=$(date +%s)
{ cmake -S "$work/src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release && cmake --build "$work/build" -j2 --target release_package
} >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
echo "figure: the release package built again in $(( $(date +%s) - started )) s"
for file in "$release"/*; do
  check "$(basename "$file") differs from the one built in $work" cmp "$file" "$work/build/release/${file##*/}"
done
finish "reproducibility test"
