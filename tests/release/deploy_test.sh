#!/usr/bin/env bash
# The deployment scripts of the release ZIP as a station runs them: prepare-station.cmd
# under Wine's cmd, from the package (Windows line ends). Wine's icacls, certutil and net
# do nothing, so stand-ins that record their arguments come first on the PATH: what the
# script asks of them is checked, and a failing tool is simulated. What Windows' tools
# make of those arguments (HACKING.md, "Where Wine is not Windows") and the PowerShell
# scripts (no PowerShell here; tests/release/check_powershell.py reads them) are not run.
# Run by the ctest entry release_deploy inside scripts/wine_session.sh.
# usage: deploy_test.sh ZIP STAND_IN_EXE WORK
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[[ $# -eq 3 ]] || { echo "usage: deploy_test.sh ZIP STAND_IN_EXE WORK" >&2; exit 2; }
zip=$1 stand_in=$2 work=$3
source "$root/tests/release/checks.sh"
rm -rf "$work"
mkdir -p "$work/tools" "$work/station"
python3 -m zipfile -e "$zip" "$work/unpacked"
script=$(ls "$work"/unpacked/*/prepare-station.cmd)
check "prepare-station.cmd has Windows line ends" grep -q $'\r$' "$script"
for tool in icacls certutil net; do cp "$stand_in" "$work/tools/$tool.exe"; done
export WINEPATH
WINEPATH=$(windows_path "$work/tools")
export STAND_IN_LOG
STAND_IN_LOG=$(windows_path "$work/tools.log")
data="$work/ProgramData/CardSmith/Station"
data_windows=$(windows_path "$data")

# run ARGS...: prepare-station.cmd ARGS in the station's folder; sets status, output and
# calls (what the stand-ins recorded), afresh for each run. "net share CSJournals" asks
# whether the share is there: by default it is not.
export STAND_IN_EXIT_NET_2=2
run() {
  rm -f "$work/tools.log"
  status=0
  (cd "$work/station" && wine cmd /c "$(windows_path "$script")" "$@" >"$work/output" 2>&1) || status=$?
  output=$(tr -d '\r' <"$work/output")
  calls=$(tr -d '\r' <"$work/tools.log" 2>/dev/null)
}
rights="icacls [$data_windows] [/grant] [*S-1-5-18:(OI)(CI)F] [*S-1-5-32-544:(OI)(CI)F] [*S-1-5-32-545:(OI)(CI)M]"

run
expect_eq "exit code without a data folder" 2 "$status"
expect_contains "the usage" "usage: prepare-station.cmd DATAFOLDER" "$output"
check "a tool called without a data folder" [ -z "$calls" ]

run "$data_windows"
expect_eq "exit code, a new data folder" 0 "$status"
check "the data folder made, with its parents" [ -d "$data" ]
expect_contains "what it says" "prepared" "$output"
expect_eq "the tools called, a new data folder" "$rights" "$(sed -n 1p <<<"$calls")"
expect_eq "nothing made in the data folder or the station's" "" "$(ls -A "$data" "$work/station" | grep -v ':$' | grep .)"

touch "$data/CSBatchSeq.INI" "$data/CSJournal-2026-12.csv"
run "$data_windows" 'C:\certs\cardoffice ca.cer' 'EXAMPLE\svc-journals'
expect_eq "exit code, run again with a CA and a collector" 0 "$status"
expect_eq "the tools called, run again" \
  "$rights"$'\n'"certutil [-addstore] [-f] [Root] [C:\\certs\\cardoffice ca.cer]"$'\n'"net [share] [CSJournals]"$'\n'"net [share] [CSJournals=$data_windows] [/GRANT:EXAMPLE\\svc-journals,READ]" \
  "$calls"
expect_eq "the station's files kept" "0 0" "$(stat -c %s "$data/CSBatchSeq.INI" "$data/CSJournal-2026-12.csv" | xargs)"

# A share already there is left alone; "-" skips the CA.
STAND_IN_EXIT_NET_2=0
run "$data_windows" - 'EXAMPLE\svc-journals'
STAND_IN_EXIT_NET_2=2
expect_eq "the tools called, the share already there" "$rights"$'\n'"net [share] [CSJournals]" "$calls"

for tool in icacls certutil; do
  export "STAND_IN_EXIT_${tool^^}=5"
  run "$data_windows" 'C:\certs\ca.cer'
  unset "STAND_IN_EXIT_${tool^^}"
  expect_eq "exit code when $tool fails" 1 "$status"
  expect_contains "what it says when $tool fails" "prepare-station: cannot" "$output"
  check "prepared said when $tool failed" [ "${output/prepared /}" == "$output" ]
done
export STAND_IN_EXIT_NET=2
run "$data_windows" - 'EXAMPLE\svc-journals'
unset STAND_IN_EXIT_NET
expect_eq "exit code when the share cannot be made" 1 "$status"

# A data folder that cannot be made: its parent is a file.
touch "$work/notafolder"
run "$(windows_path "$work/notafolder")\\Station"
expect_eq "exit code when the folder cannot be made" 1 "$status"
expect_contains "what it says" "cannot make the folder" "$output"
check "a tool called for a folder that was not made" [ -z "$calls" ]

[[ $failures -eq 0 ]] || echo "last output:"$'\n'"$output"
finish "deployment scripts test"
