#!/usr/bin/env bash
# Benchmark: how soon after the gateway has sent an approved charge's reply the charge
# dialog closes, for the plug-in as it is (the worker's notice completes the dialog)
# and as it was before (completion at the next one-second tick), next to the bare
# exchange over WinINet, all under Wine against the gateway simulator over TLS.
# With ROUNDS, the three take turns round after round, so that a busy moment of a shared
# machine falls on all of them alike; each round's figures are printed.
# Prints figures; it passes or fails on nothing but errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() {
  cat <<'USAGE'
usage: bench_completion.sh [CHARGES [ROUNDS]]
  CHARGES   approved charges per build of the plug-in, and bare exchanges (default 20)
  ROUNDS    how many times to run the three in turn (default 1)
USAGE
}
case "${1:-}" in
  -h|--help) usage; exit 0 ;;
esac
for arg in "$@"; do
  [[ "$arg" =~ ^[1-9][0-9]*$ ]] || { echo "bench_completion: unexpected '$arg'" >&2; usage >&2; exit 2; }
done
[[ $# -le 2 ]] || { usage >&2; exit 2; }
count=${1:-20}
rounds=${2:-1}

# Emulated 32-bit Wine (scripts/wine_arch.sh --lane) is many times slower than a
# station: there the 64-bit build runs, at the machine's own speed, unless
# STATION_WINE_ARCH says otherwise.
if [[ -z "${STATION_WINE_ARCH:-}" && $(bash scripts/wine_arch.sh --lane 2>/dev/null) == emulated ]]; then
  echo "bench_completion: this kernel runs no 32-bit code, and emulated times say nothing about a" \
       "station: timing the 64-bit build (STATION_WINE_ARCH=win32 times the emulated one)" >&2
  export STATION_WINE_ARCH=win64
fi
bash scripts/build.sh >/dev/null
arch=$(bash scripts/wine_arch.sh)
cmake --build "build/$arch" -j2 --target CSPluginTickOnly exchange_bench >/dev/null
work="$root/build/bench-completion"
rm -rf "$work"
for build in before after; do
  mkdir -p "$work/$build"
  cp "build/$arch/StationSim.exe" tools/demo/CSPlugin.INI "$work/$build/"
done
cp "build/$arch/CSPlugin_TickOnly.dll" "$work/before/CSPlugin.dll"
cp "build/$arch/CSPlugin.dll" "$work/after/CSPlugin.dll"
cp "build/$arch/exchange_bench.exe" "$work/"

bash scripts/wine_session.sh --build "build/$arch" -- \
  bash tests/bench/win32/completion_bench_inside.sh "$work" "$count" "$rounds"
python3 tests/bench/win32/completion_report.py "$work"
