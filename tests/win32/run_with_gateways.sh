#!/usr/bin/env bash
# Starts the gateway stand-ins that the Win32 tests talk to, each on its own loopback
# address on port 443, runs COMMAND, and stops them again, also when COMMAND fails
# (scripts/gateways.sh does the starting, waiting and stopping).
#
# The stand-ins are Linux programs, so they are started here rather than from the test
# program: Wine can start a Unix program (CreateProcess on its Z: path) but hands back
# no process handle, so a test could neither wait for nor stop what it started.
#
# usage: run_with_gateways.sh [--sim PATH] [--work DIR] -- COMMAND [ARGS...]
#   --sim   the gateway simulator (default: build/native/tools/gateway_sim/gateway_sim)
#   --work  journals, logs, captures and ready files (default: build/win32/gateways)
# Needs TLS_DIR with the certificates of scripts/make_test_ca.sh (scripts/wine_session.sh
# sets TLS_DIR, and makes gateway.test name 127.0.0.2), and root for port 443.
#
# COMMAND sees GATEWAYS_DIR, the work folder. Each simulator appends one journal line
# per request to $GATEWAYS_DIR/<address>.journal; the capture listener keeps each
# request's bytes as $GATEWAYS_DIR/capture/request-N.bin.
#
#   address      what answers
#   127.0.0.2    the simulator, normal answers, the demo accounts (tools/demo/accounts.txt)
#   127.0.0.2:8443  the same on another port (a URL's ":8443" leads here)
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
#   127.0.0.14   status 307, Location /ipsx/gateway/moved on the same server
#   127.0.0.20   like 127.0.0.2, with a certificate that expires 10 days from the run
#   127.0.0.22   normal answers, a certificate made out to other.example
#   127.0.0.23   normal answers, a certificate that expired in 2021
#   127.0.0.50   nothing listens (kept free on purpose)
# The server certificate of the test CA is made out to gateway.test, which names
# 127.0.0.2 in the session: https://gateway.test/ipsx/gateway passes strict checks.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
usage="usage: run_with_gateways.sh [--sim PATH] [--work DIR] -- COMMAND [ARGS...]"
sim="$root/build/native/tools/gateway_sim/gateway_sim"
work="$root/build/win32/gateways"
while [[ $# -gt 0 ]]; do
  case "$1" in
    --sim) sim=${2:?$usage}; shift 2 ;;
    --work) work=${2:?$usage}; shift 2 ;;
    --) shift; break ;;
    *) echo "run_with_gateways: unexpected '$1'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
done
[[ $# -gt 0 ]] || { echo "$usage" >&2; exit 2; }

source "$root/scripts/gateways.sh"
gateways_begin "$work" "$sim"
gateway_sim 127.0.0.2 server --accounts "$root/tools/demo/accounts.txt"
gateway_sim 127.0.0.2:8443 server
gateway_sim 127.0.0.3 server --behaviour status:404
gateway_sim 127.0.0.4 server --behaviour status:500
gateway_sim 127.0.0.5 server --behaviour empty
gateway_sim 127.0.0.6 server --behaviour oversize
gateway_sim 127.0.0.7 server --behaviour garbage
gateway_sim 127.0.0.8 rogue
gateway_sim 127.0.0.9 server --behaviour hang
gateway_sim 127.0.0.10 server --behaviour reset
gateway_sim 127.0.0.11 server --behaviour delay:10
gateway_sim 127.0.0.13 server --accounts "$here/dialog_accounts.txt"
gateway_sim 127.0.0.14 server --behaviour redirect
gateway_sim 127.0.0.20 soon --accounts "$root/tools/demo/accounts.txt"
gateway_sim 127.0.0.22 other --accounts "$root/tools/demo/accounts.txt"
gateway_sim 127.0.0.23 expired --accounts "$root/tools/demo/accounts.txt"
mkdir -p "$GATEWAYS_DIR/capture"
gateway_start 127.0.0.12 python3 "$here/capture_gateway.py" 127.0.0.12 \
  "$TLS_DIR/server.pem" "$TLS_DIR/server.key" "$GATEWAYS_DIR/capture" "$GATEWAYS_DIR/127.0.0.12.ready"

"$@"
