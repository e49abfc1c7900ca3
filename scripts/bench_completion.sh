#!/usr/bin/env bash
# Benchmark: how soon after the gateway has sent an approved charge's reply the charge
# dialog closes, for the plug-in as it is (the worker's notice completes the dialog)
# and as it was before (completion at the next one-second tick), next to the bare
# exchange over WinINet, all under Wine against the gateway simulator over TLS.
# Prints figures; it passes or fails on nothing but errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() {
  cat <<'USAGE'
usage: bench_completion.sh [CHARGES]
  CHARGES   approved charges per build of the plug-in, and bare exchanges (default 20)
USAGE
}
count=20
case "${1:-}" in
  -h|--help) usage; exit 0 ;;
  "") ;;
  *[!0-9]*) echo "bench_completion: unexpected '$1'" >&2; usage >&2; exit 2 ;;
  *) count=$1 ;;
esac
[[ $# -le 1 ]] || { usage >&2; exit 2; }

bash scripts/build.sh >/dev/null
cmake --build build/win32 -j2 --target CSPluginTickOnly exchange_bench >/dev/null
work="$root/build/bench-completion"
rm -rf "$work"
for build in before after; do
  mkdir -p "$work/$build"
  cp build/win32/StationSim.exe tools/demo/CSPlugin.INI "$work/$build/"
done
cp build/win32/CSPlugin_TickOnly.dll "$work/before/CSPlugin.dll"
cp build/win32/CSPlugin.dll "$work/after/CSPlugin.dll"
cp build/win32/exchange_bench.exe "$work/"

bash scripts/wine_session.sh --build build/win32 -- \
  bash tests/bench/win32/completion_bench_inside.sh "$work" "$count"
python3 tests/bench/win32/completion_report.py "$work"
