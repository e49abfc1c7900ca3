#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz (clang, ASan + UBSan) and runs each one for
# the given number of seconds (default 10). Usage: scripts/fuzz.sh [seconds] [target...]
# Each target grows its own corpus in build/fuzz/corpus/<target>, seeded from
# tests/fuzz/corpus/<target> (the reply parser also from the golden replies of
# tests/data/replies); a crash leaves its input in build/fuzz/crashes/.
# Exits non-zero when a target fails to build or finds a fault.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
shift || true
build="$root/build/fuzz"

CC=clang CXX=clang++ bash "$root/scripts/configure.sh" "$build" -DFUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [[ $# -gt 0 ]]; then
  targets=("$@")
else
  targets=()
  for src in "$root"/tests/fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$src" .cpp)")
  done
fi
cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/crashes"
failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$build/crashes/$target-")
  [[ -f "$root/tests/fuzz/$target.dict" ]] && args+=(-dict="$root/tests/fuzz/$target.dict")
  dirs=("$corpus")
  [[ -d "$root/tests/fuzz/corpus/$target" ]] && dirs+=("$root/tests/fuzz/corpus/$target")
  [[ $target == reply_parser_fuzz ]] && dirs+=("$root/tests/data/replies")
  echo "== $target: ${seconds}s"
  if "$build/$target" "${args[@]}" "${dirs[@]}" >"$build/$target.log" 2>&1; then
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" "$build/$target.log" \
      | sed 's/^/   /'
  else
    failed+=("$target")
    tail -n 40 "$build/$target.log"
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: faults found by ${failed[*]} (inputs in $build/crashes)"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each without a fault"
