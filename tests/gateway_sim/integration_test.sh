#!/usr/bin/env bash
# Runs the real gateway_sim over real TLS and drives it with curl: approvals and
# declines with their journal lines, every misbehaviour, masking, the start-up errors
# and stopping on a signal while a request is held.
# Usage: integration_test.sh GATEWAY_SIM MAKE_TEST_CA_SCRIPT
# The simulators take the first free loopback addresses from 127.0.99.1 on (the Win32
# tests use 127.0.0.N; GWSIM_TEST_NET=127.0.98 moves them); the port is GWSIM_TEST_PORT,
# default 443 as root, else 8443.
set -uo pipefail
sim=$1
make_ca=$2
if [[ $(id -u) -eq 0 ]]; then port=${GWSIM_TEST_PORT:-443}; else port=${GWSIM_TEST_PORT:-8443}; fi
path=/ipsx/gateway
fs=$'\x1c'

work=$(mktemp -d /tmp/gateway_sim_test.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
checks=0
pass() { checks=$((checks + 1)); }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAIL: $*"; }
expect_eq() {  # what expected actual
  if [[ "$2" == "$3" ]]; then pass; else fail "$1: expected '$2', got '$3'"; fi
}
expect_match() {  # what pattern text
  if [[ "$3" =~ $2 ]]; then pass; else fail "$1: '$3' does not match /$2/"; fi
}

"$make_ca" "$work/ca" || { echo "cannot make the test CA"; exit 1; }

# Cards; the numbers below stand for themselves in the checks.
good=6039501234567890
cat > "$work/accounts.txt" <<ACCOUNTS
# card              balance  state      behaviour
$good    10000    active
6039500000000051    100      active
6039500000000005    5000     blocked
6039500000000404    5000     active     status:404
6039500000000500    5000     active     status:500
6039500000000201    5000     active     empty
6039500000000202    5000     active     oversize
6039500000000203    5000     active     garbage
6039500000000204    5000     active     error
6039500000000205    5000     active     delay:2
6039500000000206    5000     active     reset
6039500000000207    5000     active     hang
ACCOUNTS
all_cards=$(grep -o '^[0-9]*' "$work/accounts.txt")

# start NAME ARGS...: starts a simulator on the first free address, waits for its ready
# file, and sets NAME_pid and NAME_address.
next_candidate=1
start() {
  local name=$1
  shift
  local at pid t0
  while :; do
    at=${GWSIM_TEST_NET:-127.0.99}.$next_candidate
    next_candidate=$((next_candidate + 1))
    t0=$(date +%s%N)
    "$sim" --address "$at" --port "$port" --ready-file "$work/$name.ready" \
      --journal "$work/$name.journal" "$@" >"$work/$name.out" 2>"$work/$name.err" &
    pid=$!
    for _ in $(seq 250); do
      [[ -s "$work/$name.ready" ]] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.02
    done
    [[ -s "$work/$name.ready" ]] && break
    wait "$pid" 2>/dev/null
    if ((next_candidate > 50)) ||
      ! grep -q 'Address already in use' "$work/$name.err"; then
      echo "FAIL: $name did not start:"; cat "$work/$name.err"; exit 1
    fi
    rm -f "$work/$name.journal"
  done
  pids+=("$pid")
  eval "${name}_pid=$pid ${name}_address=$at"
  echo "figure: $name ready after $((($(date +%s%N) - t0) / 1000000)) ms on $at"
}

# body CARD AMOUNT [CODE [ZONE]]: the form body as the plug-in writes it.
body() {
  local card=${1//=/%3D} amount=$2 code=${3:-200} zone=${4:-706}
  printf 'Transaction=IPS.123456%%1C02%s0887700123%%1CT0001%%1CC0000001000017CU00%%20D%s%s' \
    "$code" "$zone" "$card"
  printf '%%1CH%%1CY%%1C%%1C%s%%1C%%1C%%1C%%1C5999%%1C840%%1CU%%1CN07182018140509' "$amount"
  printf '%%1C%%1C%%1C%%1C%%1C%%1C%%1C%%1C'
}

# post HOST_ADDRESS BODY [CURL_ARGS...]: sets reply, http, curl_rc, elapsed_ms.
post() {
  local at=$1 data=$2
  shift 2
  local t0=$(date +%s%N)
  http=$(curl -sS --cacert "$work/ca/ca.pem" --resolve "gateway.test:$port:$at" \
    -A "Microsoft Internet Explorer" -H "Content-Type: application/x-www-form-urlencoded" \
    --data-binary "$data" -o "$work/reply" -w '%{http_code}' "$@" \
    "https://gateway.test:$port$path" 2>"$work/curl.err")
  curl_rc=$?
  elapsed_ms=$((($(date +%s%N) - t0) / 1000000))
  reply=$(cat "$work/reply" 2>/dev/null)
}

# The response code (characters 8 and 9 of field 4) and the message (field 9).
reply_code() { local -a f; IFS=$fs read -ra f <<<"$reply"; echo "${f[3]:7:2}"; }
reply_message() { local -a f; IFS=$fs read -ra f <<<"$reply"; echo "${f[8]}"; }

# journal_value NAME KEY [LINE]: the value of KEY in LINE (default last) of the journal.
journal_value() {
  local line
  if [[ $# -ge 3 ]]; then line=$(sed -n "$3p" "$work/$1.journal"); else line=$(tail -n 1 "$work/$1.journal"); fi
  local pair
  pair=$(tr ' ' '\n' <<<"$line" | grep -m1 "^$2=")
  echo "${pair#*=}"
}

# --- main simulator: accounts, journal, real CA ---------------------------------
start main --cert "$work/ca/server.pem" --key "$work/ca/server.key" \
  --accounts "$work/accounts.txt"
address=$main_address
expect_eq "listening line" "listening on https://$address:$port$path" "$(head -n 1 "$work/main.out")"
expect_eq "ready file" "listening on https://$address:$port$path" "$(cat "$work/main.ready")"

test_approved_charges() {
  post "$address" "$(body $good 250)"
  expect_eq "charge: http" 200 "$http"
  expect_eq "charge: code" 00 "$(reply_code)"
  expect_eq "charge: message" APPROVED "$(reply_message)"
  expect_eq "charge: journal rc" 00 "$(journal_value main rc)"
  expect_eq "charge: journal balance" 9750 "$(journal_value main balance)"
  expect_eq "charge: journal card" "603950******7890" "$(journal_value main card)"
  local key
  for key in "tc=200" "merchant=887700123" "terminal=T0001" "batch=000001" "seq=000017" \
    "zone=706" "amount=250" "status=200" "behaviour=none" "path=$path" "method=POST" "n=1"; do
    expect_eq "charge: journal ${key%%=*}" "${key#*=}" "$(journal_value main "${key%%=*}")"
  done

  post "$address" "$(body $good=49121010000 700)"
  expect_eq "swiped charge: code" 00 "$(reply_code)"
  expect_eq "swiped charge: balance" 9050 "$(journal_value main balance)"
  expect_eq "swiped charge: track" yes "$(journal_value main track)"

  post "$address" "$(body $good 100 100)"
  expect_eq "test transaction: code" 00 "$(reply_code)"
  expect_eq "test transaction: balance unchanged" 9050 "$(journal_value main balance)"
  expect_eq "test transaction: tc" 100 "$(journal_value main tc)"
}

test_declines() {
  local card amount code zone want message
  while read -r card amount code zone want message; do
    post "$address" "$(body "$card" "$amount" "$code" "$zone")"
    expect_eq "decline $want: http" 200 "$http"
    expect_eq "decline $want: code" "$want" "$(reply_code)"
    expect_eq "decline $want: message" "$message" "$(reply_message)"
    expect_eq "decline $want: journal rc" "$want" "$(journal_value main rc)"
    if [[ $card == "$good" && $want != 30 ]]; then
      expect_eq "decline $want: nothing moved" 9050 "$(journal_value main balance)"
    fi
  done <<ROWS
6039500000000051 250 200 706 51 INSUFFICIENT FUNDS
6039509999999999 250 200 706 14 INVALID CARD
6039500000000005 250 200 706 05 DECLINED
$good 0 200 706 13 INVALID AMOUNT
$good 250 200 709 30 FORMAT ERROR
ROWS
  expect_eq "format error: journal reason" "field4:zone_code" "$(journal_value main reason)"

  post "$address" "$(body $good 250 | sed 's/%20/+/')"
  expect_eq "plus for blank: code" 30 "$(reply_code)"
  expect_eq "plus for blank: reason" "form:unescaped:2B" "$(journal_value main reason)"
}

test_misbehaviours() {
  post "$address" "$(body 6039500000000404 250)"
  expect_eq "status:404: http" 404 "$http"
  expect_eq "status:404: journal" 404 "$(journal_value main status)"
  post "$address" "$(body 6039500000000500 250)"
  expect_eq "status:500: http" 500 "$http"

  post "$address" "$(body 6039500000000201 250)"
  expect_eq "empty: http" 200 "$http"
  expect_eq "empty: body size" 0 "$(stat -c %s "$work/reply")"
  expect_eq "empty: balance untouched" 5000 "$(journal_value main balance)"

  post "$address" "$(body 6039500000000202 250)"
  expect_eq "oversize: http" 200 "$http"
  expect_eq "oversize: body size" 3000 "$(stat -c %s "$work/reply")"
  expect_eq "oversize: code" 00 "$(reply_code)"
  expect_eq "oversize: charged" 4750 "$(journal_value main balance)"

  post "$address" "$(body 6039500000000203 250)"
  expect_eq "garbage: http" 200 "$http"
  expect_eq "garbage: no FS" 0 "$(tr -cd '\034' <"$work/reply" | wc -c)"
  if [[ -s "$work/reply" ]]; then pass; else fail "garbage: body is empty"; fi

  post "$address" "$(body 6039500000000204 250)"
  expect_eq "error: http" 200 "$http"
  expect_match "error: body" '^Error:' "$reply"

  post "$address" "$(body 6039500000000205 250)"
  expect_eq "delay: code after the delay" 00 "$(reply_code)"
  if ((elapsed_ms >= 2000)); then pass; else fail "delay: answered after $elapsed_ms ms"; fi
  echo "figure: delay:2 answered after $elapsed_ms ms"

  post "$address" "$(body 6039500000000206 250)"
  expect_eq "reset: curl exit (56, recv failure)" 56 "$curl_rc"
  expect_match "reset: curl says" 'reset' "$(cat "$work/curl.err")"
  expect_eq "reset: journal status" - "$(journal_value main status)"
  expect_eq "reset: journal behaviour" reset "$(journal_value main behaviour)"

  post "$address" "$(body 6039500000000207 250)" --max-time 2
  expect_eq "hang: curl exit (28, timed out)" 28 "$curl_rc"
  expect_eq "hang: journal behaviour" hang "$(journal_value main behaviour)"

  # Requests off the gateway's path or method are answered and journaled too.
  post "$address" "$(body $good 250)" -X PUT
  expect_eq "PUT: http" 405 "$http"
  expect_eq "PUT: journal reason" "http:not_post" "$(journal_value main reason)"
}

test_approved_charges
test_declines
test_misbehaviours

requests=$(wc -l <"$work/main.journal")
expect_eq "one journal line per request" "$requests" "$(journal_value main n)"
expect_eq "journal lines numbered in order" "$(seq -s ' ' "$requests")" \
  "$(for i in $(seq "$requests"); do journal_value main n "$i"; done | tr '\n' ' ' | sed 's/ $//')"

test_masking() {
  local card leaked=0
  for card in $all_cards; do
    if grep -q "$card" "$work/main.journal" "$work/main.out" "$work/main.err"; then
      fail "card ${card:0:6}...${card: -4} appears whole in the journal or output"
      leaked=1
    fi
  done
  ((leaked)) || pass
  expect_eq "stdout echoes the journal" "$(cat "$work/main.journal")" "$(tail -n +2 "$work/main.out")"
  if grep -q '603950\*\*\*\*\*\*7890' "$work/main.out"; then pass; else fail "stdout lacks the masked card"; fi
}
test_masking

test_startup_errors() {
  local rc
  "$sim" --address "$address" --port "$port" --cert "$work/ca/server.pem" \
    --key "$work/ca/server.key" >/dev/null 2>"$work/taken.err"
  rc=$?
  if ((rc != 0)); then pass; else fail "address taken: exit 0"; fi
  expect_match "address taken: message" "cannot listen on $address port $port: Address already in use" \
    "$(cat "$work/taken.err")"

  "$sim" --address "$address" --port "$port" --cert "$work/ca/missing.pem" \
    --key "$work/ca/server.key" >/dev/null 2>"$work/cert.err"
  rc=$?
  if ((rc != 0)); then pass; else fail "missing certificate: exit 0"; fi
  expect_match "missing certificate: message" "cannot read certificate .*missing.pem: No such file" \
    "$(cat "$work/cert.err")"

  "$sim" --address "$address" --port "$port" --cert "$work/ca/server.pem" \
    --key "$work/ca/ca.key" >/dev/null 2>"$work/key.err"
  rc=$?
  if ((rc != 0)); then pass; else fail "wrong key: exit 0"; fi
  expect_match "wrong key: message" "does not belong to certificate" "$(cat "$work/key.err")"

  printf '# ok\n%s 100 active\n%s 1.00 active\n' $good 6039500000000051 >"$work/bad_accounts.txt"
  "$sim" --address "$address" --port "$port" --cert "$work/ca/server.pem" \
    --key "$work/ca/server.key" --accounts "$work/bad_accounts.txt" >/dev/null 2>"$work/accounts.err"
  rc=$?
  if ((rc != 0)); then pass; else fail "malformed accounts: exit 0"; fi
  expect_match "malformed accounts: message" "bad_accounts.txt: line 3: balance '1.00'" \
    "$(cat "$work/accounts.err")"
}
test_startup_errors

test_common_behaviour_and_own_certificate() {
  start common --make-cert "$work/own" --behaviour=status:500 --quiet
  expect_match "made certificate" "CN ?= ?gateway.test" \
    "$(openssl x509 -in "$work/own/server.pem" -noout -subject 2>&1)"
  expect_eq "--quiet: only the listening line" 1 "$(wc -l <"$work/common.out")"
  http=$(curl -sk -o /dev/null -w '%{http_code}' --resolve "gateway.test:$port:$common_address" \
    -H "Content-Type: application/x-www-form-urlencoded" --data-binary "$(body $good 250)" \
    "https://gateway.test:$port$path")
  expect_eq "--behaviour=status:500 for every card" 500 "$http"
  expect_eq "common behaviour journaled" "status:500" "$(journal_value common behaviour)"
  kill -INT "$common_pid"
  wait "$common_pid"
  expect_eq "SIGINT: exit code" 0 "$?"
}
test_common_behaviour_and_own_certificate

test_stop_while_holding() {
  post "$address" "$(body 6039500000000207 250)" --max-time 30 &
  local client=$!
  local lines=$(wc -l <"$work/main.journal")
  for _ in $(seq 250); do
    (($(wc -l <"$work/main.journal") > lines)) && break
    sleep 0.02
  done
  expect_eq "held request journaled" hang "$(journal_value main behaviour)"
  local t0=$(date +%s%N)
  kill -TERM "$main_pid"
  local waited=0
  while kill -0 "$main_pid" 2>/dev/null && ((waited < 500)); do sleep 0.02; waited=$((waited + 1)); done
  if kill -0 "$main_pid" 2>/dev/null; then
    fail "SIGTERM while holding: still running after 10 s"
  else
    wait "$main_pid"
    expect_eq "SIGTERM while holding: exit code" 0 "$?"
    echo "figure: stopped $((($(date +%s%N) - t0) / 1000000)) ms after SIGTERM"
  fi
  wait "$client"
}
test_stop_while_holding

echo "$checks checks, $failures failed"
((failures == 0))
