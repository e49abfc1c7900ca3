#!/usr/bin/env bash
# The write-ahead rule on a hostile disk and folder, with the real plug-in under the
# station simulator (each run of it is a start of the station program) against a
# gateway simulator on 127.0.0.61: a full tmpfs (fresh, and with a store), a kill in
# the middle of the store's write, bad stored values, a read-only store and folder, a
# read-only lock file, a store, its new file and a journal held by another program, a
# deleted, an emptied and a restored store, a wrapped batch, a journal months old, two
# stations on one folder with one slowed, and a journal write that comes up short. Each
# case uses a terminal id of its own; at the end every request the gateway received is
# checked against the stations' journals (tests/win32/check_write_ahead.py): no number
# twice, none without its "sending" record, and each terminal's numbers as expected.
#
# usage: write_ahead_attacks.sh [--sim PATH] [--build DIR]   (inside scripts/wine_session.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
sim="$root/build/native/tools/gateway_sim/gateway_sim"
build="$root/build/win32"
while [[ $# -gt 0 ]]; do
  case "$1" in
    --sim) sim=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "write_ahead_attacks: unexpected '$1'" >&2; exit 2 ;;
  esac
done
build=$(cd "$build" && pwd)
work="$build/write_ahead"
address=127.0.0.61
card=6039509999999999
paid="dialog|type:101:$card|click:1|text:100:A charge of|click:1|closed"
refused="dialog|type:101:$card|click:1|text:100:A charge of|click:1|text:100:Not sent: nothing was charged|click:2|closed"

source "$root/scripts/gateways.sh"
gateways_begin "$work/gateways" "$sim"
gateway_sim "$address" server --accounts "$here/write_ahead_accounts.txt"
rm -rf "$work/stations"
mkdir -p "$work/stations"
faults=0
folders=()
expects=()

fault() { echo "FAULT: $*"; faults=$((faults + 1)); }

# A station folder named after its terminal id: the DLL, the simulator, settings.
station() {
  local terminal=$1 dir=${2:-$work/stations/$1}
  mkdir -p "$dir"
  cp "$build/CSPlugin.dll" "$build/StationSim.exe" "$dir/"
  printf '[Settings]\r\nURL=https://%s/ipsx/gateway\r\nMerchantID=887700123\r\nTerminalID=%s\r\nBatchNumber=1\r\nMerchantCode=5999\r\nPrefixMatch=603950\r\n' \
    "$address" "$terminal" > "$dir/CSPlugin.INI"
  folders+=("$dir")
}

# count charges in one run of the station program in dir, each driven by script.
# Its output goes beside the stations: a read-only folder takes no log.
runs=0
charges() {
  local dir=$1 count=$2 script=$3 args=() i log
  runs=$((runs + 1))
  log="$work/run-$runs-$(basename "$dir").log"
  for ((i = 0; i < count; i++)); do args+=(charge 150 --drive "$script"); done
  (cd "$dir" && wine StationSim.exe "${args[@]}" > "$log" 2>&1) ||
    fault "$(basename "$dir"): the station simulator failed: $(tail -3 "$log")"
  local approved
  approved=$(grep -c "charge approved" "$log" || true)
  if [[ $script == "$paid" && $approved -ne $count ]]; then fault "$(basename "$dir"): $approved of $count charges approved"; fi
  if [[ $script == "$refused" && $approved -ne 0 ]]; then fault "$(basename "$dir"): $approved charges approved, none expected"; fi
}

store() { printf '[Batch000001]\r\nSeqNumber=%s\r\n' "$1" > "$2/CSBatchSeq.INI"; }

# A tmpfs of 4 MiB at dir; fill leaves pages of it (4 KiB each) free.
full_tmpfs() {
  local dir=$1
  mkdir -p "$dir"
  mount -t tmpfs -o size=4m tmpfs "$dir"
}
fill() {
  local dir=$1 pages=$2
  dd if=/dev/zero of="$dir/filler" bs=4096 2>/dev/null || true
  [[ $pages -eq 0 ]] || truncate -s "-$((pages * 4096))" "$dir/filler"
}

echo "== full disk, fresh folder: nothing sent, then 1 and 2 once there is room"
full_tmpfs "$work/stations/FULLA"
station FULLA
fill "$work/stations/FULLA" 0
charges "$work/stations/FULLA" 3 "$refused"
rm "$work/stations/FULLA/filler"
charges "$work/stations/FULLA" 2 "$paid"
expects+=(--expect FULLA=1,2)

echo "== full disk, existing store: nothing sent, then 501"
full_tmpfs "$work/stations/FULLB"
station FULLB
store 500 "$work/stations/FULLB"
fill "$work/stations/FULLB" 0
charges "$work/stations/FULLB" 2 "$refused"
rm "$work/stations/FULLB/filler"
charges "$work/stations/FULLB" 1 "$paid"
expects+=(--expect FULLB=501)

echo "== the journal's write comes up short on a full disk: taken back, then whole lines"
full_tmpfs "$work/stations/SHORT"
station SHORT
# A journal 16 bytes short of a page boundary: any record (a "sending" one is about 70
# bytes) fills the page and the rest finds no room; one that fits in the page's tail
# would not come up short. The store, new here, takes the one page left free.
journal="$work/stations/SHORT/CSJournal-$(date +%Y-%m).csv"
journal_size=4080
python3 - "$journal" "$journal_size" <<'PY'
import sys
head = b"Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,Message,End code\r\n"
row = b"2026-01-01 00:00:00,test,PAD,1,1,1.00,x,sending,,%s,\r\n"
pad = int(sys.argv[2]) - len(head) - len(row % b"")
open(sys.argv[1], "wb").write(head + row % (b"x" * pad))
PY
fill "$work/stations/SHORT" 1
charges "$work/stations/SHORT" 1 "$refused"
size=$(stat -c %s "$journal")
[[ $size -eq $journal_size ]] || fault "SHORT: the journal is $size bytes after a short write, not $journal_size"
rm "$work/stations/SHORT/filler"
printf '2026-01-01 00:00:00,test,PAD,1,2,1.' >> "$journal"  # cut off by something else
charges "$work/stations/SHORT" 2 "$paid"
expects+=(--expect SHORT=2,3)

echo "== a kill in the middle of the store's write, then restarts"
station KILL
store 20 "$work/stations/KILL"
strace -f -qq -o /dev/null -P "$work/stations/KILL/CSBatchSeq.new" -e trace=write,pwrite64 \
  -e inject=write,pwrite64:signal=KILL:when=1 \
  sh -c "cd '$work/stations/KILL' && wine StationSim.exe charge 150 --drive '$paid'" > /dev/null 2>&1 || true
grep -q "SeqNumber=20" "$work/stations/KILL/CSBatchSeq.INI" || fault "KILL: the store after the kill: $(cat "$work/stations/KILL/CSBatchSeq.INI")"
charges "$work/stations/KILL" 2 "$paid"
expects+=(--expect KILL=21,22)

echo "== bad stored values: nothing sent, the file left as it was"
i=0
for value in abc 99999999999 -5 7x "" '<noise>' '<cut>'; do
  i=$((i + 1))
  station "BAD$i"
  dir="$work/stations/BAD$i"
  case "$value" in
    '<noise>') head -c 300 /dev/urandom > "$dir/CSBatchSeq.INI"; printf '\x01\r\n' >> "$dir/CSBatchSeq.INI" ;;
    '<cut>') printf '[Batch000001]\r\nSeqNumber=12' > "$dir/CSBatchSeq.INI" ;;
    *) store "$value" "$dir" ;;
  esac
  before=$(md5sum < "$dir/CSBatchSeq.INI")
  charges "$dir" 1 "$refused"
  grep -q "holds no valid sequence number for batch 1" "$dir"/CSJournal-*.csv ||
    fault "BAD$i ($value): the journal does not record why"
  [[ $(md5sum < "$dir/CSBatchSeq.INI") == "$before" ]] || fault "BAD$i ($value): the store was changed"
  expects+=(--expect "BAD$i=")
done

echo "== a read-only store, a read-only folder: nothing sent, at any start"
station ROFILE
store 500 "$work/stations/ROFILE"
chmod a-w "$work/stations/ROFILE/CSBatchSeq.INI"
charges "$work/stations/ROFILE" 2 "$refused"
charges "$work/stations/ROFILE" 1 "$refused"
expects+=(--expect ROFILE=)
station RODIR
chmod a-w "$work/stations/RODIR"
charges "$work/stations/RODIR" 2 "$refused"
chmod u+w "$work/stations/RODIR"
expects+=(--expect RODIR=)

# HoldFile.exe holds path (sharing reading only) in the background until release.
hold() {
  local path=$1
  rm -f "$work/held.ready" "$work/held.release"
  wine "$build/HoldFile.exe" "$path" read "$work/held.ready" "$work/held.release" > /dev/null 2>&1 &
  holder=$!
  for _ in $(seq 600); do [[ -e $work/held.ready ]] && return; sleep 0.1; done
  fault "HoldFile did not start"
}
release() {
  touch "$work/held.release"
  wait "$holder"
}

echo "== a read-only lock file: reading it is all a station needs"
station ROLOCK
: > "$work/stations/ROLOCK/CSBatchSeq.lck"
chmod a-w "$work/stations/ROLOCK/CSBatchSeq.lck"
charges "$work/stations/ROLOCK" 1 "$paid"
expects+=(--expect ROLOCK=1)

echo "== the replaced store is flushed under its own name, so that the move is on disk too"
station DURABLE
store 40 "$work/stations/DURABLE"
(cd "$work/stations/DURABLE" && strace -f -qq -o "$work/durable.trace" -P "$work/stations/DURABLE/CSBatchSeq.INI" \
   -e trace=fsync,fdatasync wine StationSim.exe charge 150 --drive "$paid" > "$work/durable.log" 2>&1) ||
  fault "DURABLE: the station simulator failed: $(tail -3 "$work/durable.log")"
grep -q 'sync(' "$work/durable.trace" || fault "DURABLE: CSBatchSeq.INI was not flushed after the move"
expects+=(--expect DURABLE=41)

echo "== CSBatchSeq.INI or .new held by another program: waited for, then nothing sent, the file named"
for held in INI new; do
  dir="$work/stations/HELD$held"
  station "HELD$held"
  store 30 "$dir"
  hold "$dir/CSBatchSeq.$held"
  charges "$dir" 1 "$refused"
  release
  grep -q "could not be stored in .*CSBatchSeq\.$held (error" "$dir"/CSJournal-*.csv ||
    fault "HELD$held: the journal does not name CSBatchSeq.$held: $(grep -h 'transport error' "$dir"/CSJournal-*.csv)"
  expects+=(--expect "HELD$held=")
done

echo "== a held journal: a side file"
station SIDE
hold "$work/stations/SIDE/CSJournal-$(date +%Y-%m).csv"
charges "$work/stations/SIDE" 2 "$paid"
release
[[ -s "$work/stations/SIDE/CSJournal-$(date +%Y-%m)-2.csv" ]] || fault "SIDE: no side file"
expects+=(--expect SIDE=1,2)

echo "== a deleted, an emptied and a restored store continue from the journal"
station LOST
charges "$work/stations/LOST" 3 "$paid"
rm "$work/stations/LOST/CSBatchSeq.INI"
charges "$work/stations/LOST" 2 "$paid"
expects+=(--expect LOST=1,2,3,4,5)
station EMPTY
: > "$work/stations/EMPTY/CSBatchSeq.INI"  # made in advance, as the guide's script does
charges "$work/stations/EMPTY" 2 "$paid"
: > "$work/stations/EMPTY/CSBatchSeq.INI"
charges "$work/stations/EMPTY" 1 "$paid"
expects+=(--expect EMPTY=1,2,3)
station RESTORED
charges "$work/stations/RESTORED" 1 "$paid"
cp "$work/stations/RESTORED/CSBatchSeq.INI" "$work/RESTORED.backup"
charges "$work/stations/RESTORED" 2 "$paid"
cp "$work/RESTORED.backup" "$work/stations/RESTORED/CSBatchSeq.INI"
charges "$work/stations/RESTORED" 2 "$paid"
expects+=(--expect RESTORED=1,2,3,4,5)

echo "== a wrapped batch whose store is lost, and a batch last seen three months ago"
station WRAP
store 999998 "$work/stations/WRAP"
charges "$work/stations/WRAP" 2 "$paid"
rm "$work/stations/WRAP/CSBatchSeq.INI"
charges "$work/stations/WRAP" 1 "$paid"
expects+=(--expect WRAP=999999,1,2)
station OLD
old_month=$(date -d "$(date +%Y-%m-15) -3 months" +%Y-%m)
{
  printf 'Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,Message,End code\r\n'
  for n in 499 500; do printf '%s-20 10:00:00,charge,OLD,1,%d,1.50,******9999,sending,,,\r\n' "$old_month" "$n"; done
} > "$work/stations/OLD/CSJournal-$old_month.csv"
charges "$work/stations/OLD" 1 "$paid"
expects+=(--expect OLD=501)

echo "== two stations on one folder, one slowed on every read of the store"
station SHARED
dir="$work/stations/SHARED"
args=()
for ((i = 0; i < 25; i++)); do args+=(charge 150 --drive "$paid"); done
(cd "$dir" && strace -f --seccomp-bpf -qq -o /dev/null -P "$dir/CSBatchSeq.INI" -e trace=read,pread64 \
   -e inject=read,pread64:delay_enter=150000 wine StationSim.exe "${args[@]}" > "$work/slow.log" 2>&1) &
slow=$!
(cd "$dir" && wine StationSim.exe "${args[@]}" > "$work/fast.log" 2>&1) || fault "SHARED: the fast station failed"
wait "$slow" || fault "SHARED: the slowed station failed"
approved=$(cat "$work/slow.log" "$work/fast.log" | grep -c "charge approved" || true)
[[ $approved -eq 50 ]] || fault "SHARED: $approved of 50 charges approved"
expects+=(--expect "SHARED=$(seq -s, 1 50 | sed 's/,$//')")

echo "== the gateway's requests against the journals"
# The shared folder's numbers reach the gateway in whatever order the two stations send.
sorted="$work/gateway.sorted"
python3 - "$GATEWAYS_DIR/$address.journal" "$sorted" <<'PY'
import sys
lines = open(sys.argv[1]).read().splitlines(True)
def key(line):
    f = dict(p.split("=", 1) for p in line.split() if "=" in p)
    return (f.get("terminal") != "SHARED", int(f.get("n", 0)) if f.get("terminal") != "SHARED" else int(f.get("seq") or 0))
open(sys.argv[2], "w").writelines(sorted(lines, key=key))
PY
python3 "$here/check_write_ahead.py" "$sorted" "${expects[@]}" "${folders[@]}" || faults=$((faults + 1))
for dir in "$work"/stations/FULL* "$work"/stations/SHORT; do umount "$dir" 2>/dev/null || true; done
echo "write_ahead_attacks: $faults faults"
[[ $faults -eq 0 ]]
