#!/usr/bin/env bash
# Runs every test: native unit tests (plain and under ASan/UBSan), the gateway
# simulator's tests, a short fuzz run, and the Win32 tests of the real DLL under Wine
# against the gateway simulator over TLS, the time-zone codes among them. The Win32
# tests run the 32-bit build under 32-bit Wine, emulated where the kernel runs no
# 32-bit code (scripts/wine_arch.sh says which, scripts/wine_lane.sh how).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() {
  cat <<'USAGE'
usage: test.sh [--quiet]
Builds everything and runs every test; --quiet leaves out the build's progress
lines. FUZZ_SECONDS (default 10) sets each fuzz target's run; HACKING.md says how to
run a single test.
USAGE
}
quiet_flag=()
for arg in "$@"; do
  case "$arg" in
    --quiet) quiet_flag=(--quiet) ;;
    -h|--help) usage; exit 0 ;;
    *) echo "test: unexpected '$arg'" >&2; usage >&2; exit 2 ;;
  esac
done
started=$(date +%s)
echo "== building (a first run installs packages and builds for several minutes)"
bash scripts/build.sh --sanitize "${quiet_flag[@]}"

echo "== native tests"
ctest --test-dir build/native --output-on-failure
echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir build/asan --output-on-failure
echo "== fuzzing (short run; scripts/fuzz.sh SECONDS for a longer one)"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-10}"
arch=$(bash scripts/wine_arch.sh)
if [[ $arch == win64 ]]; then
  echo "== the shipped package's files (32-bit build, not executed)"
  ctest --test-dir build/win32 --label-exclude wine --output-on-failure
fi
if [[ $arch == win32 ]]; then
  what="the 32-bit DLL that ships, 32-bit Wine $(bash scripts/wine_arch.sh --lane 2>/dev/null)"
else
  what="a 64-bit build under 64-bit Wine, NOT the DLL that ships"
fi
echo "== Win32 tests under Wine (build/$arch: $what)"
rm -rf "build/$arch/scratch" "build/$arch/artefacts"
# Two at a time: those that show windows take turns (cmake/windows.cmake), the others
# run beside them.
bash scripts/wine_session.sh --build "build/$arch" -- ctest --test-dir "build/$arch" --output-on-failure -j2
echo "== all tests passed in $(( $(date +%s) - started )) s"
