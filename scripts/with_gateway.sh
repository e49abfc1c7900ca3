#!/usr/bin/env bash
# The main job's gateway: the simulator on 127.0.0.2:443 with the given accounts, its
# journal, log and ready file in WORK_DIR (127.0.0.2.journal, ...). Runs COMMAND and
# stops the simulator, also when COMMAND fails (scripts/gateways.sh does both).
# usage: with_gateway.sh ACCOUNTS WORK_DIR -- COMMAND [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: with_gateway.sh ACCOUNTS WORK_DIR -- COMMAND [ARGS...]"
if [[ $# -lt 4 || "$3" != "--" ]]; then
  echo "$usage" >&2
  exit 2
fi
accounts=$1
work=$2
shift 3

source "$root/scripts/gateways.sh"
gateways_begin "$work"
gateway_sim 127.0.0.2 server --accounts "$accounts"
echo "gateway: $(cat "$GATEWAYS_DIR/127.0.0.2.ready")"
"$@"
