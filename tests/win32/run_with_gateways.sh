#!/usr/bin/env bash
# Starts the gateway stand-ins that the Win32 tests talk to, each on its own loopback
# address on port 443, runs COMMAND, and stops them again, also when COMMAND fails.
#
# The stand-ins are Linux programs, so they are started here rather than from the test
# program: Wine can start a Unix program (CreateProcess on its Z: path) but hands back
# no process handle, so a test could neither wait for nor stop what it started.
#
# usage: run_with_gateways.sh [--sim PATH] [--work DIR] -- COMMAND [ARGS...]
#   --sim   the gateway simulator (default: build/native/tools/gateway_sim/gateway_sim)
#   --work  journals, captures and ready files (default: build/win32/gateways)
# Needs TLS_DIR with the test CA's server.pem/key and the untrusted rogue.pem/key (made
# by scripts/make_test_ca.sh; scripts/wine_session.sh sets TLS_DIR), and root for port 443.
#
# COMMAND sees GATEWAYS_DIR, the work folder. Each simulator appends one journal line
# per request to $GATEWAYS_DIR/<address>.journal; the capture listener keeps each
# request's bytes as $GATEWAYS_DIR/capture/request-N.bin.
#
#   address      what answers
#   127.0.0.2    the simulator, normal answers, the demo accounts (tools/demo/accounts.txt)
#   127.0.0.2:8443  the same on another port (a URL's ":port" must not lead here)
#   127.0.0.3    status 404
#   127.0.0.4    status 500
#   127.0.0.5    status 200, empty body
#   127.0.0.6    the normal answer padded to 3000 bytes
#   127.0.0.7    status 200, a text without any field separator
#   127.0.0.8    normal answers, but a self-signed certificate nobody trusts
#   127.0.0.9    accepts and reads the request, never answers
#   127.0.0.10   resets the connection once the request has been read
#   127.0.0.11   the normal answer after 10 s
#   127.0.0.12   the capture listener (tests/win32/capture_gateway.py)
#   127.0.0.13   the simulator, normal answers, the dialog tests' cards
#                (tests/win32/dialog_accounts.txt; some answer late)
#   127.0.0.50   nothing listens (kept free on purpose)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
sim="$root/build/native/tools/gateway_sim/gateway_sim"
work="$root/build/win32/gateways"
while [[ $# -gt 0 ]]; do
  case "$1" in
    --sim) sim=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[[ $# -gt 0 ]] || { echo "usage: run_with_gateways.sh [--sim PATH] [--work DIR] -- COMMAND..." >&2; exit 2; }
[[ -x "$sim" ]] || { echo "run_with_gateways: no gateway simulator at $sim (build build/native first)" >&2; exit 2; }
tls=${TLS_DIR:?run_with_gateways: TLS_DIR is not set (run inside scripts/wine_session.sh)}

rm -rf "$work"
mkdir -p "$work/capture"
work=$(cd "$work" && pwd)
ready_wait_tenths=100

pids=()
stop_all() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_all EXIT

# start ADDRESS READY_FILE COMMAND...: runs COMMAND in the background, waits for its
# ready file, and fails loudly when it dies first (an address already taken, say).
start() {
  local address=$1 ready=$2
  shift 2
  "$@" >"$work/$address.log" 2>&1 &
  pids+=($!)
  local pid=$!
  for _ in $(seq 1 $ready_wait_tenths); do
    [[ -s "$ready" ]] && return 0
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  echo "run_with_gateways: the stand-in on $address did not start:" >&2
  cat "$work/$address.log" >&2
  exit 1
}

# simulator ADDRESS CERT BEHAVIOUR [PORT [MORE OPTIONS]]: files are named ADDRESS, or
# ADDRESS-PORT for a port other than 443.
simulator() {
  local address=$1 cert=$2 behaviour=$3 port=${4:-443}
  shift $(( $# < 4 ? $# : 4 ))
  local name=$address
  [[ $port == 443 ]] || name=$address-$port
  start "$name" "$work/$name.ready" "$sim" --address "$address" --port "$port" \
    --cert "$tls/$cert.pem" --key "$tls/$cert.key" --behaviour "$behaviour" \
    --journal "$work/$name.journal" --ready-file "$work/$name.ready" --quiet "$@"
}

simulator 127.0.0.2 server none 443 --accounts "$root/tools/demo/accounts.txt"
simulator 127.0.0.2 server none 8443
simulator 127.0.0.3 server status:404
simulator 127.0.0.4 server status:500
simulator 127.0.0.5 server empty
simulator 127.0.0.6 server oversize
simulator 127.0.0.7 server garbage
simulator 127.0.0.8 rogue none
simulator 127.0.0.9 server hang
simulator 127.0.0.10 server reset
simulator 127.0.0.11 server delay:10
simulator 127.0.0.13 server none 443 --accounts "$here/dialog_accounts.txt"
start 127.0.0.12 "$work/127.0.0.12.ready" python3 "$here/capture_gateway.py" 127.0.0.12 \
  "$tls/server.pem" "$tls/server.key" "$work/capture" "$work/127.0.0.12.ready"

export GATEWAYS_DIR="$work"
status=0
"$@" || status=$?
exit $status
