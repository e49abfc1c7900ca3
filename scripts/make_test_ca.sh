#!/usr/bin/env bash
# Makes a throwaway test CA and certificates for the gateway simulator in DIR:
#   ca.pem ca.key          the test CA (trusted only inside the test run's mount namespace)
#   server.pem server.key  CN=gateway.test, signed by the test CA
#   rogue.pem rogue.key    CN=gateway.test, self-signed: a certificate nobody trusts
#   bundle.crt             the host's CA bundle plus the test CA
# Existing files are kept, so repeated runs are cheap.
set -euo pipefail
dir=${1:?usage: make_test_ca.sh DIR}
mkdir -p "$dir"
cd "$dir"
days=3650
if [[ ! -s ca.pem ]]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days $days \
    -subj "/CN=Station Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
fi
if [[ ! -s server.pem ]]; then
  openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=gateway.test" 2>/dev/null
  printf 'subjectAltName=DNS:gateway.test\nextendedKeyUsage=serverAuth\n' > server.ext
  openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem \
    -days $days -extfile server.ext 2>/dev/null
  rm -f server.csr server.ext
fi
if [[ ! -s rogue.pem ]]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout rogue.key -out rogue.pem -days $days \
    -subj "/CN=gateway.test" 2>/dev/null
fi
cat /etc/ssl/certs/ca-certificates.crt ca.pem > bundle.crt
