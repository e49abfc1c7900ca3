# Gateway stand-ins for a run: started, waited for and stopped here and nowhere else.
# Sourced, not run (it sets an EXIT trap in the script that sources it):
#
#   source scripts/gateways.sh
#   gateways_begin WORK_DIR [SIMULATOR]
#       empties WORK_DIR and exports it as GATEWAYS_DIR; every stand-in started from
#       now on is stopped when the sourcing script exits, however it exits.
#       SIMULATOR defaults to build/native/tools/gateway_sim/gateway_sim.
#   gateway_sim ADDRESS[:PORT] CERT [SIMULATOR OPTIONS...]
#       the gateway simulator on ADDRESS, port 443 unless PORT is given, serving
#       $TLS_DIR/CERT.pem with its key (scripts/make_test_ca.sh makes "server", signed
#       by the test CA, "rogue", trusted by nobody, and others; its header lists them),
#       quiet, with its journal in
#       $GATEWAYS_DIR/NAME.journal.
#   gateway_start NAME COMMAND...
#       any other listener; COMMAND must write $GATEWAYS_DIR/NAME.ready once it
#       accepts connections.
#
# NAME is the address, or ADDRESS-PORT for a port other than 443. A stand-in's output
# goes to $GATEWAYS_DIR/NAME.log; when it dies before its ready file appears, or is not
# ready within gateways_ready_seconds, the log is shown and the sourcing script exits
# with status 1.
# Needs TLS_DIR (scripts/wine_session.sh sets it) and root for port 443.

gateways_pids=()
gateways_ready_seconds=10

gateways_stop() {
  local pid
  for pid in "${gateways_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${gateways_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  gateways_pids=()
}

gateways_begin() {
  local work=${1:?usage: gateways_begin WORK_DIR [SIMULATOR]}
  local default_sim
  default_sim="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/native/tools/gateway_sim/gateway_sim"
  gateways_sim=${2:-$default_sim}
  if [[ ! -x "$gateways_sim" ]]; then
    echo "gateways: no gateway simulator at $gateways_sim (build build/native first)" >&2
    exit 2
  fi
  if [[ -z "${TLS_DIR:-}" ]]; then
    echo "gateways: TLS_DIR is not set (run inside scripts/wine_session.sh)" >&2
    exit 2
  fi
  rm -rf "$work"
  mkdir -p "$work"
  GATEWAYS_DIR=$(cd "$work" && pwd)
  export GATEWAYS_DIR
  trap gateways_stop EXIT
}

gateway_start() {
  local name=$1
  shift
  local ready="$GATEWAYS_DIR/$name.ready" log="$GATEWAYS_DIR/$name.log"
  local tenths=$(( gateways_ready_seconds * 10 ))
  rm -f "$ready"
  "$@" >"$log" 2>&1 &
  local pid=$!
  gateways_pids+=("$pid")
  local _
  for _ in $(seq 1 "$tenths"); do
    [[ -s "$ready" ]] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  # It may have become ready during the last pause.
  [[ -s "$ready" ]] && return 0
  if kill -0 "$pid" 2>/dev/null; then
    echo "gateways: the stand-in $name is not ready after $gateways_ready_seconds s:" >&2
  else
    echo "gateways: the stand-in $name did not start:" >&2
  fi
  sed 's/^/  /' "$log" >&2
  exit 1
}

gateway_sim() {
  local where=${1:?usage: gateway_sim ADDRESS[:PORT] CERT [OPTIONS...]}
  local cert=${2:?usage: gateway_sim ADDRESS[:PORT] CERT [OPTIONS...]}
  shift 2
  local address=${where%%:*} port=443
  [[ "$where" == *:* ]] && port=${where#*:}
  local name=$address
  [[ $port == 443 ]] || name=$address-$port
  gateway_start "$name" "$gateways_sim" --address "$address" --port "$port" \
    --cert "$TLS_DIR/$cert.pem" --key "$TLS_DIR/$cert.key" \
    --journal "$GATEWAYS_DIR/$name.journal" --ready-file "$GATEWAYS_DIR/$name.ready" --quiet "$@"
}
