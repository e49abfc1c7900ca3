#!/usr/bin/env bash
# The MSI under Wine's msiexec /qn, around a station whose program (StationSim.exe) has
# already written CSPlugin.INI, and CSBatchSeq.INI and a journal in its data folder:
# refused without STATIONDIR and with one that does not exist; installed, the data
# folder that DATAFOLDER names created; a charge from there against the gateway
# simulator on 127.0.0.41; upgraded by a package of the next version made from the same
# files, without naming the folders again; the older package refused as a downgrade;
# uninstalled. The station's own files stay byte for byte as they were through all of
# it, and the data folder stays with them. The data folder's rights cannot be seen under
# Wine (no ACLs): the package's table of them is checked instead.
# Run by the ctest entry release_msi inside scripts/wine_session.sh.
# usage: msi_test.sh MSI VERSION STATION_EXE GATEWAY_SIM WORK
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[[ $# -eq 5 ]] || { echo "usage: msi_test.sh MSI VERSION STATION_EXE GATEWAY_SIM WORK" >&2; exit 2; }
msi=$1 version=$2 work=$5 station=$5/station data="$5/ProgramData/CardSmith/Station" address=127.0.0.41
source "$root/tests/release/checks.sh"
# run_msiexec /i|/x PACKAGE LOG [PROPERTIES...]: prints msiexec's exit status; what it
# printed is in LOG.out beside its log.
run_msiexec() {
  local status=0
  wine msiexec "$1" "$(windows_path "$2")" /qn /l*v "$(windows_path "$work/$3")" "${@:4}" >"$work/$3.out" 2>&1 || status=$?
  echo "$status"
}
files() { (cd "$station" && sha256sum CSPlugin.INI StationSim.exe) && (cd "$data" && sha256sum CSBatchSeq.* CSJournal-*.csv); }
code() { msiinfo export "$1" Property | awk -F'\t' '$1 == "ProductCode" { print $2 }' | tr -d '\r'; }
# 1 when the package's product is installed, else 0. The package is a 32-bit one: a
# 64-bit Windows keeps its entry in the 32-bit view of the registry.
registered() {
  wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(code "$1")" /reg:32 >/dev/null 2>&1 &&
    echo 1 || echo 0
}

# What an earlier run that failed half way left installed in the prefix goes first.
for package in "$msi" "$work/CSPlugin-next.msi"; do
  [[ -f $package ]] && wine msiexec /x "$(code "$package")" /qn >/dev/null 2>&1
done
rm -rf "$work"
mkdir -p "$station/" "$work/stage"
cp "$3" "$station/StationSim.exe"
# The data folder lies where the MSI makes it; the files in it are the station's own.
data_windows=$(windows_path "$data")
sed -e "s|^URL=.*|URL=https://$address/ipsx/gateway|" \
    -e "s|^\\[Settings\\].*|&\\nDataFolder=${data_windows//\\/\\\\}|" \
    "$root/tools/demo/CSPlugin.INI" >"$station/CSPlugin.INI"
target="STATIONDIR=$(windows_path "$station")\\"
datafolder="DATAFOLDER=$data_windows"

check "installed without STATIONDIR" [ "$(run_msiexec /i "$msi" none.log)" != 0 ]
check "installed into a STATIONDIR that does not exist" \
  [ "$(run_msiexec /i "$msi" nodir.log "STATIONDIR=$(windows_path "$work/Statoin")" "$datafolder")" != 0 ]
check "a data folder made for a refused install" [ ! -e "$data" ]
# Windows writes a failed launch condition's message into the /qn log; Wine only shows it
# in a box when there is a user interface. So the messages are checked in the package.
conditions=$(msiinfo export "$msi" LaunchCondition | tr -d '\r')
expect_contains "the message without STATIONDIR" $'Installed OR STATIONDIR\tSTATIONDIR is not set' "$conditions"
expect_contains "the downgrade's message" \
  $'NOT WIX_DOWNGRADE_DETECTED\tA newer version of the CardSmith Payment Plug-in' "$conditions"
expect_contains "the message for a STATIONDIR that does not exist" \
  $'STATIONDIRFOUND OR STATIONDIR = SAVEDSTATIONDIR\tSTATIONDIR names a folder that does not exist: [STATIONDIR].' "$conditions"
expect_eq "the data folder's rights" \
  $'DataFolderRights\tDATAFOLDER\tCreateFolder\tD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)\t' \
  "$(msiinfo export "$msi" MsiLockPermissionsEx | tr -d '\r' | tail -1)"
expect_eq "installing" 0 "$(run_msiexec /i "$msi" install.log "$target" "$datafolder")"
check "CSPlugin.dll installed" [ -f "$station/CSPlugin.dll" ]
check "the data folder made" [ -d "$data" ]
expect_eq "the docs folder" "ADMIN.md CHANGELOG.md CSPlugin-sample.INI.txt" "$(LC_ALL=C ls "$station/CSPlugin docs" | xargs)"
printf '[Batch000001]\r\nSeqNumber=41\r\n' >"$data/CSBatchSeq.INI"
printf 'Local time,Kind\r\n' >"$data/CSJournal-2020-01.csv"
before=$(files)

source "$root/scripts/gateways.sh"
gateways_begin "$work/gateways" "$4"
gateway_sim "$address" server --accounts "$root/tools/demo/accounts.txt"
output=$(cd "$station" && wine StationSim.exe charge 150 --drive \
  "dialog|type:101:6039501234567890|click:1|text:100:A charge of|click:1|closed" 2>&1)
expect_contains "the charge" "SPMAccounting returned 1 (charge approved)" "$output"
expect_eq "the charge's number, in the data folder" $'[Batch000001]\nSeqNumber=42' "$(tr -d '\r' <"$data/CSBatchSeq.INI")"

# The next version, made from the files the package installs.
msiextract -C "$work/extracted" "$msi" >/dev/null
cp "$work"/extracted/*/CSPlugin.dll "$work"/extracted/*/"CSPlugin docs"/*.md "$work/stage/"
cp "$work"/extracted/*/"CSPlugin docs"/CSPlugin-sample.INI.txt "$work/stage/CSPlugin.INI"
next="$work/CSPlugin-next.msi"
bash "$root/tools/release/make_msi.sh" "$work/stage" "${version%.*}.$(( ${version##*.} + 1 ))" 0 "$next"
before=$(files)
expect_eq "upgrading, the folders not named again" 0 "$(run_msiexec /i "$next" upgrade.log)"
expect_eq "products registered after the upgrade (old, new)" "0 1" "$(registered "$msi") $(registered "$next")"
check "CSPlugin.dll after the upgrade" [ -f "$station/CSPlugin.dll" ]
expect_eq "the station's files after upgrading" "$before" "$(files)"

check "the older package installed over the newer" [ "$(run_msiexec /i "$msi" downgrade.log "$target")" != 0 ]

expect_eq "uninstalling" 0 "$(run_msiexec /x "$next" uninstall.log)"
expect_eq "what is left" "CSPlugin.INI StationSim.exe" "$(LC_ALL=C ls "$station" | xargs)"
expect_eq "what is left in the data folder" \
  "CSBatchSeq.INI CSBatchSeq.lck CSJournal-2020-01.csv CSJournal-$(date +%Y-%m).csv" "$(LC_ALL=C ls "$data" | xargs)"
expect_eq "the station's files after uninstalling" "$before" "$(files)"
expect_eq "products registered after uninstalling" 0 "$(registered "$next")"
if [[ $failures -ne 0 ]]; then
  sed 's/^/  StationSim.exe: /' <<<"$output"
  for printed in "$work"/*.log.out; do
    [[ -s "$printed" ]] && sed "s|^|  $(basename "$printed" .out): |" "$printed"
  done
fi
finish "MSI test"
