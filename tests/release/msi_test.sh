#!/usr/bin/env bash
# The MSI under Wine's msiexec /qn, around a station folder whose program (StationSim.exe)
# has already written CSPlugin.INI, CSBatchSeq.INI and a journal: refused without
# STATIONDIR; installed; a charge from there against the
# gateway simulator on 127.0.0.41; upgraded by a package of the next version made from
# the same files; the older package refused as a downgrade; uninstalled. The station's
# own files stay byte for byte as they were through all of it.
# Run by the ctest entry release_msi inside scripts/wine_session.sh.
# usage: msi_test.sh MSI VERSION STATION_EXE GATEWAY_SIM WORK
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[[ $# -eq 5 ]] || { echo "usage: msi_test.sh MSI VERSION STATION_EXE GATEWAY_SIM WORK" >&2; exit 2; }
msi=$1 version=$2 work=$5 station=$5/station address=127.0.0.41
source "$root/tests/release/checks.sh"
# The Windows name of a path: Wine's drive Z: is the root. (winepath would start a Wine
# program for each name, and one that fails hands msiexec an empty name.)
windows_path() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s' "${path//\//\\}"
}
# run_msiexec /i|/x PACKAGE LOG [PROPERTIES...]: prints msiexec's exit status; what it
# printed is in LOG.out beside its log.
run_msiexec() {
  local status=0
  wine msiexec "$1" "$(windows_path "$2")" /qn /l*v "$(windows_path "$work/$3")" "${@:4}" >"$work/$3.out" 2>&1 || status=$?
  echo "$status"
}
data() { (cd "$station" && sha256sum CSPlugin.INI CSBatchSeq.* CSJournal-*.csv StationSim.exe); }
code() { msiinfo export "$1" Property | awk -F'\t' '$1 == "ProductCode" { print $2 }' | tr -d '\r'; }
# 1 when the package's product is installed, else 0. The package is a 32-bit one: a
# 64-bit Windows keeps its entry in the 32-bit view of the registry.
registered() {
  wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(code "$1")" /reg:32 >/dev/null 2>&1 &&
    echo 1 || echo 0
}

rm -rf "$work"
mkdir -p "$station/" "$work/stage"
cp "$3" "$station/StationSim.exe"
sed "s|^URL=.*|URL=https://$address/ipsx/gateway|" "$root/tools/demo/CSPlugin.INI" >"$station/CSPlugin.INI"
printf '[Batch000001]\r\nSeqNumber=41\r\n' >"$station/CSBatchSeq.INI"
printf 'Local time,Kind\r\n' >"$station/CSJournal-2020-01.csv"
before=$(data)
target="STATIONDIR=$(windows_path "$station")\\"

check "installed without STATIONDIR" [ "$(run_msiexec /i "$msi" none.log)" != 0 ]
# Windows writes a failed launch condition's message into the /qn log; Wine only shows it
# in a box when there is a user interface. So the messages are checked in the package.
conditions=$(msiinfo export "$msi" LaunchCondition | tr -d '\r')
expect_contains "the message without STATIONDIR" $'Installed OR STATIONDIR\tSTATIONDIR is not set' "$conditions"
expect_contains "the downgrade's message" \
  $'NOT WIX_DOWNGRADE_DETECTED\tA newer version of the CardSmith Payment Plug-in' "$conditions"
expect_eq "installing" 0 "$(run_msiexec /i "$msi" install.log "$target")"
check "CSPlugin.dll installed" [ -f "$station/CSPlugin.dll" ]
expect_eq "the docs folder" "ADMIN.md CHANGELOG.md CSPlugin-sample.INI.txt" "$(LC_ALL=C ls "$station/CSPlugin docs" | xargs)"
expect_eq "the station's files after installing" "$before" "$(data)"

source "$root/scripts/gateways.sh"
gateways_begin "$work/gateways" "$4"
gateway_sim "$address" server --accounts "$root/tools/demo/accounts.txt"
output=$(cd "$station" && wine StationSim.exe charge 150 --drive \
  "dialog|type:101:6039501234567890|click:1|text:100:A charge of|click:1|closed" 2>&1)
expect_contains "the charge" "SPMAccounting returned 1 (charge approved)" "$output"

# The next version, made from the files the package installs.
msiextract -C "$work/extracted" "$msi" >/dev/null
cp "$work"/extracted/*/CSPlugin.dll "$work"/extracted/*/"CSPlugin docs"/*.md "$work/stage/"
cp "$work"/extracted/*/"CSPlugin docs"/CSPlugin-sample.INI.txt "$work/stage/CSPlugin.INI"
next="$work/CSPlugin-next.msi"
bash "$root/tools/release/make_msi.sh" "$work/stage" "${version%.*}.$(( ${version##*.} + 1 ))" 0 "$next"
before=$(data)
expect_eq "upgrading" 0 "$(run_msiexec /i "$next" upgrade.log "$target")"
expect_eq "products registered after the upgrade (old, new)" "0 1" "$(registered "$msi") $(registered "$next")"
check "CSPlugin.dll after the upgrade" [ -f "$station/CSPlugin.dll" ]
expect_eq "the station's files after upgrading" "$before" "$(data)"

check "the older package installed over the newer" [ "$(run_msiexec /i "$msi" downgrade.log "$target")" != 0 ]

expect_eq "uninstalling" 0 "$(run_msiexec /x "$next" uninstall.log)"
expect_eq "what is left" "CSBatchSeq.INI CSBatchSeq.lck CSJournal-2020-01.csv CSJournal-$(date +%Y-%m).csv CSPlugin.INI StationSim.exe" \
  "$(LC_ALL=C ls "$station" | xargs)"
expect_eq "the station's files after uninstalling" "$before" "$(data)"
expect_eq "products registered after uninstalling" 0 "$(registered "$next")"
if [[ $failures -ne 0 ]]; then
  sed 's/^/  StationSim.exe: /' <<<"$output"
  for printed in "$work"/*.log.out; do
    [[ -s "$printed" ]] && sed "s|^|  $(basename "$printed" .out): |" "$printed"
  done
fi
finish "MSI test"
