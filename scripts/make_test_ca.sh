#!/usr/bin/env bash
# Makes a throwaway test CA and a server certificate it signed, for the gateway
# simulator: DIR/ca.pem, DIR/ca.key, DIR/server.pem, DIR/server.key (CN=gateway.test).
# Usage: make_test_ca.sh DIR
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 DIR" >&2; exit 2; }
dir=$1
mkdir -p "$dir"
cd "$dir"
days=3650

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days "$days" \
  -keyout ca.key -out ca.pem -subj "/CN=gateway_sim test CA" \
  -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

openssl req -newkey rsa:2048 -nodes -sha256 -keyout server.key -out server.csr \
  -subj "/CN=gateway.test" 2>/dev/null
printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature,keyEncipherment" \
  "extendedKeyUsage=serverAuth" "subjectAltName=DNS:gateway.test" > server.ext
openssl x509 -req -sha256 -days "$days" -in server.csr -CA ca.pem -CAkey ca.key \
  -set_serial "0x$(openssl rand -hex 8)" -extfile server.ext -out server.pem 2>/dev/null
rm -f server.csr server.ext
chmod 600 ca.key server.key
