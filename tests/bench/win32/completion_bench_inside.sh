#!/usr/bin/env bash
# The completion benchmark's run inside the Wine session (scripts/bench_completion.sh):
# the gateway simulator on 127.0.0.2 keeping its reply times; in each of ROUNDS rounds,
# COUNT approved charges through StationSim.exe with each build of the plug-in in
# WORK/<build>, then COUNT bare exchanges. Leaves station-R.log and sent-R.log in each
# build's folder and exchange-R.log in WORK, for round R.
# usage: completion_bench_inside.sh WORK COUNT ROUNDS
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
work=${1:?usage: completion_bench_inside.sh WORK COUNT ROUNDS}
count=${2:?usage: completion_bench_inside.sh WORK COUNT ROUNDS}
rounds=${3:?usage: completion_bench_inside.sh WORK COUNT ROUNDS}

source "$root/scripts/gateways.sh"
gateways_begin "$work/gateway"
sent="$work/gateway/sent.log"
gateway_sim 127.0.0.2 server --accounts "$root/tests/bench/win32/bench_accounts.txt" --sent-times "$sent"

swipe=";6039501234567890=4912101?"
charge=(charge 150 --drive "dialog|type:101:$swipe|click:1|text:100:A charge of|click:1|closed")
steps=()
for _ in $(seq 1 "$count"); do steps+=("${charge[@]}"); done

for round in $(seq 1 "$rounds"); do
  for build in before after; do
    before=$(wc -l <"$sent")
    (cd "$work/$build" && wine StationSim.exe --times "${steps[@]}" >"station-$round.log" 2>&1) || {
      echo "completion benchmark: the $build charges did not all pass:" >&2
      tail -n 20 "$work/$build/station-$round.log" >&2
      exit 1
    }
    tail -n +"$((before + 1))" "$sent" >"$work/$build/sent-$round.log"
  done
  wine "$work/exchange_bench.exe" https://127.0.0.2/ipsx/gateway "$count" >"$work/exchange-$round.log"
done
