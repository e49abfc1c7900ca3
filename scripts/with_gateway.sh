#!/usr/bin/env bash
# Starts the gateway simulator on 127.0.0.2:443 (certificate from $TLS_DIR, as
# wine_session.sh sets it), runs COMMAND, and stops the simulator, also when COMMAND fails.
# usage: with_gateway.sh ACCOUNTS JOURNAL -- COMMAND [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
accounts=${1:?usage: with_gateway.sh ACCOUNTS JOURNAL -- COMMAND}
journal=${2:?usage: with_gateway.sh ACCOUNTS JOURNAL -- COMMAND}
shift 2
[[ "${1:-}" == "--" ]] && shift
ready=$(mktemp -u)
"$root/build/native/tools/gateway_sim/gateway_sim" --address 127.0.0.2 \
  --cert "$TLS_DIR/server.pem" --key "$TLS_DIR/server.key" \
  --accounts "$accounts" --journal "$journal" --ready-file "$ready" --quiet &
gateway=$!
trap 'kill $gateway 2>/dev/null || true; wait $gateway 2>/dev/null || true; rm -f "$ready"' EXIT
for _ in $(seq 1 50); do
  [[ -s "$ready" ]] && break
  kill -0 $gateway 2>/dev/null || { echo "with_gateway: the gateway simulator did not start" >&2; exit 1; }
  sleep 0.1
done
echo "gateway: $(cat "$ready")"
"$@"
