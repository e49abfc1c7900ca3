#!/usr/bin/env bash
# Makes a throwaway test CA and certificates for the gateway simulator in DIR:
#   ca.pem ca.key            the test CA (trusted only inside the test run's mount namespace)
#   server.pem server.key    CN=gateway.test (and *.gateway.test), signed by the test CA
#   rogue.pem rogue.key      CN=gateway.test, self-signed: a certificate nobody trusts
#   soon.pem soon.key        CN=gateway.test, signed by the test CA, expiring 10 days
#                            from now: made afresh on every run, so the 10 days hold
#   expired.pem expired.key  CN=gateway.test, signed by the test CA, expired in 2021
#   other.pem other.key      O=Other Gateways Ltd, CN=other.example, signed by the test CA:
#                            a name no stand-in has
#   bundle.crt               the test CA alone, the bundle the session mounts over the
#                            host's: inside the session only the stand-ins can be reached,
#                            and every Wine process parses the whole bundle once (the
#                            host's 140-odd authorities cost an emulated process 2 s)
# Other existing files are kept, so repeated runs are cheap.
set -euo pipefail
dir=${1:?usage: make_test_ca.sh DIR}
mkdir -p "$dir"
cd "$dir"
days=3650

# sign NAME SUBJECT EXTENSIONS DAYS: NAME.pem for NAME.key (made when missing), signed by
# the test CA.
sign() {
  local name=$1 subject=$2 extensions=$3 valid_days=$4
  [[ -s $name.key ]] || openssl genrsa -out "$name.key" 2048 2>/dev/null
  openssl req -new -key "$name.key" -out "$name.csr" -subj "$subject" 2>/dev/null
  printf '%s\nextendedKeyUsage=serverAuth\n' "$extensions" > "$name.ext"
  openssl x509 -req -in "$name.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$name.pem" \
    -days "$valid_days" -extfile "$name.ext" 2>/dev/null
  rm -f "$name.csr" "$name.ext"
}

if [[ ! -s ca.pem ]]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days $days \
    -subj "/CN=Station Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
fi
# The wildcard lets a test that needs its own address give it a name the certificate
# carries (scripts/wine_session.sh names them).
if ! openssl x509 -in server.pem -noout -ext subjectAltName 2>/dev/null | grep -q '\*\.gateway\.test'; then
  sign server "/CN=gateway.test" "subjectAltName=DNS:gateway.test,DNS:*.gateway.test" $days
fi
if [[ ! -s rogue.pem ]]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout rogue.key -out rogue.pem -days $days \
    -subj "/CN=gateway.test" 2>/dev/null
fi
sign soon "/CN=gateway.test" "subjectAltName=DNS:gateway.test" 10
[[ -s other.pem ]] || sign other "/O=Other Gateways Ltd/CN=other.example" \
  "subjectAltName=DNS:other.example" $days

# x509 -req only counts days from now; openssl ca takes any validity period.
if [[ ! -s expired.pem ]]; then
  work=$(mktemp -d)
  : > "$work/index.txt"
  printf '1000\n' > "$work/serial"
  cat > "$work/ca.cnf" <<CNF
[ca]
default_ca = test_ca
[test_ca]
database = $work/index.txt
serial = $work/serial
new_certs_dir = $work
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
[server]
subjectAltName = DNS:gateway.test
extendedKeyUsage = serverAuth
CNF
  openssl genrsa -out expired.key 2048 2>/dev/null
  openssl req -new -key expired.key -out "$work/expired.csr" -subj "/CN=gateway.test" 2>/dev/null
  openssl ca -batch -config "$work/ca.cnf" -extensions server -notext \
    -startdate 20200101000000Z -enddate 20210101000000Z \
    -in "$work/expired.csr" -out expired.pem 2>/dev/null
  rm -rf "$work"
fi
cp ca.pem bundle.crt
