#!/usr/bin/env bash
# The MSI under Wine's msiexec /qn, around a station folder whose program (StationSim.exe)
# has already written its own files: CSPlugin.INI, CSBatchSeq.INI and a journal.
#   - without STATIONDIR: refused, with the message in the log, nothing installed;
#   - installed into the station folder, then a charge from there against the gateway
#     simulator on 127.0.0.41 (an address no other test uses);
#   - upgraded by a package of a higher version made from the same files
#     (tools/release/make_msi.sh): the older product is gone, the files the plug-in
#     wrote are byte for byte as before;
#   - the older package again: refused as a downgrade, with its message;
#   - uninstalled: the DLL and the docs folder gone, everything else still there.
# The ctest entry release_msi runs it inside scripts/wine_session.sh.
# usage: msi_test.sh --msi FILE --version VERSION --station EXE --sim GATEWAY_SIM --work DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
usage="usage: msi_test.sh --msi FILE --version VERSION --station EXE --sim GATEWAY_SIM --work DIR"
msi="" version="" station_exe="" sim="" work=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --msi) msi=${2:?$usage}; shift 2 ;;
    --version) version=${2:?$usage}; shift 2 ;;
    --station) station_exe=${2:?$usage}; shift 2 ;;
    --sim) sim=${2:?$usage}; shift 2 ;;
    --work) work=${2:?$usage}; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
[[ -n "$msi" && -n "$version" && -n "$station_exe" && -n "$sim" && -n "$work" ]] ||
  { echo "$usage" >&2; exit 2; }

checks=0
failures=0
pass() { checks=$((checks + 1)); }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAIL: $*"; }
expect_eq() {  # what expected actual
  if [[ "$2" == "$3" ]]; then pass; else fail "$1: expected '$2', got '$3'"; fi
}
expect_contains() {  # what part text
  if [[ "$3" == *"$2"* ]]; then pass; else fail "$1: '$2' not found in:"$'\n'"$3"; fi
}
# msiexec PACKAGE LOG [PROPERTIES...]: installs with /qn; prints the exit status.
msiexec_install() {
  local status=0
  wine msiexec /i "$(winepath -w "$1")" /qn /l*v "$(winepath -w "$2")" "${@:3}" >/dev/null 2>&1 || status=$?
  echo "$status"
}
# The log as plain text, whichever encoding Wine wrote it in.
log_text() { tr -d '\000\r' <"$1" 2>/dev/null; }
# The files the plug-in and the station program wrote, with their checksums.
data_sums() { (cd "$station" && sha256sum CSPlugin.INI CSBatchSeq.INI CSJournal-*.csv StationSim.exe); }
installed() { grep -ci "Uninstall\\\\\\\\{$1}" "$WINEPREFIX/system.reg"; }

rm -rf "$work"
mkdir -p "$work/station"
station="$work/station"
address=127.0.0.41
new_version="${version%.*}.$(( ${version##*.} + 1 ))"
product_code() { msiinfo export "$1" Property | awk -F'\t' '$1 == "ProductCode" { print $2 }' | tr -d '{}\r'; }

# --- The station as its program left it. ---
cp "$station_exe" "$station/StationSim.exe"
sed "s|^URL=.*|URL=https://$address/ipsx/gateway|" "$root/tools/demo/CSPlugin.INI" >"$station/CSPlugin.INI"
printf '[Batch000001]\r\nSeqNumber=41\r\n' >"$station/CSBatchSeq.INI"
printf 'Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,Message,End code\r\n' \
  >"$station/CSJournal-2020-01.csv"
before=$(data_sums)

# --- Without STATIONDIR. ---
status=$(msiexec_install "$msi" "$work/no-stationdir.log")
[[ "$status" != 0 ]] && pass || fail "installed without STATIONDIR"
expect_contains "the /qn log without STATIONDIR" "STATIONDIR is not set" "$(log_text "$work/no-stationdir.log")"

# --- Installed into the station folder. ---
stationdir="STATIONDIR=$(winepath -w "$station")\\"
status=$(msiexec_install "$msi" "$work/install.log" "$stationdir")
expect_eq "msiexec's status installing" 0 "$status"
[[ -f "$station/CSPlugin.dll" ]] && pass || fail "CSPlugin.dll not installed into $station"
expect_eq "the docs folder" "ADMIN.md CHANGELOG.md CSPlugin-sample.INI.txt " \
  "$(ls "$station/CSPlugin docs" 2>/dev/null | tr '\n' ' ')"
expect_eq "the station's files after installing" "$before" "$(data_sums)"

source "$root/scripts/gateways.sh"
gateways_begin "$work/gateways" "$sim"
gateway_sim "$address" server --accounts "$root/tools/demo/accounts.txt"
output=$(cd "$station" && wine StationSim.exe charge 150 --drive \
  "dialog|type:101:6039501234567890|click:1|text:100:A charge of|click:1|closed" 2>&1)
expect_contains "the charge from the station folder" "SPMAccounting returned 1 (charge approved)" "$output"
expect_contains "the sequence file carried on" "SeqNumber=42" "$(cat "$station/CSBatchSeq.INI")"

# --- Upgraded by a higher version made from the same files. ---
mkdir -p "$work/extracted" "$work/stage"
msiextract -C "$work/extracted" "$msi" >/dev/null
cp "$work/extracted"/*/CSPlugin.dll "$work/stage/"
cp "$work/extracted"/*/"CSPlugin docs"/{ADMIN.md,CHANGELOG.md} "$work/stage/"
cp "$work/extracted"/*/"CSPlugin docs"/CSPlugin-sample.INI.txt "$work/stage/CSPlugin.INI"
upgrade="$work/CSPlugin-$new_version.msi"
bash "$root/tools/release/make_msi.sh" "$work/stage" "$new_version" 0 "$upgrade"
before=$(data_sums)
status=$(msiexec_install "$upgrade" "$work/upgrade.log" "$stationdir")
expect_eq "msiexec's status upgrading to $new_version" 0 "$status"
expect_eq "version $version still registered" 0 "$(installed "$(product_code "$msi")")"
expect_eq "version $new_version registered" 1 "$(installed "$(product_code "$upgrade")")"
[[ -f "$station/CSPlugin.dll" ]] && pass || fail "CSPlugin.dll gone after the upgrade"
expect_eq "the station's files after the upgrade" "$before" "$(data_sums)"

# --- The older package again. ---
status=$(msiexec_install "$msi" "$work/downgrade.log" "$stationdir")
[[ "$status" != 0 ]] && pass || fail "version $version installed over $new_version"
expect_contains "the downgrade's message" "A newer version of the CardSmith Payment Plug-in is already installed" \
  "$(log_text "$work/downgrade.log")"

# --- Uninstalled. ---
status=0
wine msiexec /x "$(winepath -w "$upgrade")" /qn /l*v "$(winepath -w "$work/uninstall.log")" >/dev/null 2>&1 || status=$?
expect_eq "msiexec's status uninstalling" 0 "$status"
[[ ! -e "$station/CSPlugin.dll" ]] && pass || fail "CSPlugin.dll still there after uninstalling"
[[ ! -e "$station/CSPlugin docs" ]] && pass || fail "the docs folder still there after uninstalling"
expect_eq "the station's files after uninstalling" "$before" "$(data_sums)"
expect_eq "version $new_version still registered" 0 "$(installed "$(product_code "$upgrade")")"

if [[ $failures -ne 0 ]]; then
  echo "StationSim.exe printed:"
  sed 's/^/  /' <<<"$output"
fi
echo "MSI test: $checks checks, $failures failed"
[[ $failures -eq 0 ]]
