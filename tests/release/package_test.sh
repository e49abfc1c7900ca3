#!/usr/bin/env bash
# The release package as an administrator uses it, and as a developer resolves a crash
# address with it:
#   - the ZIP holds its six files in one folder named after the version, and stays
#     under 400 KiB;
#   - the packaged DLL carries no debug information, exports exactly the four functions
#     and imports only the system DLLs it always has; it is hardened (ASLR, DEP, NO_SEH
#     with no SEH handler registered, the stack protector, Windows 6.1 as its minimum);
#     its size is printed;
#   - an address of the packaged DLL resolves through the debug file beside the ZIP;
#   - unpacked into a fresh folder, with the sample CSPlugin.INI edited as an
#     administrator would (the gateway's address, the merchant and terminal ids, the
#     [Text] examples put in effect), the packaged StationSim.exe loads the packaged DLL
#     under Wine, runs the configuration's Test and Save, a charge and a deposit against
#     the gateway simulator, which approves all three; an msimg32.dll planted in that
#     folder is not loaded, although Wine is told to prefer it to its own;
#   - the packaged CSReconcile.exe reconciles that station's journal with the gateway's
#     settlement: nothing in doubt, the charge and the deposit matched.
# The ctest entry release_package (cmake/package.cmake) runs it inside
# scripts/wine_session.sh, which provides the Wine prefix, the display and TLS_DIR.
# The gateway stand-in listens on 127.0.0.40, an address no other test uses.
# --part files does only what needs no Wine (the ZIP, the DLL's tables, the crash
# address), --part run only the installation and the charge; both by default.
#
# usage: package_test.sh --zip FILE --debug FILE --version VERSION --sim GATEWAY_SIM
#                        --planted DLL --work DIR [--part files|run]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
usage="usage: package_test.sh --zip FILE --debug FILE --version VERSION --sim GATEWAY_SIM --planted DLL --work DIR [--part files|run]"
zip="" debug="" version="" sim="" planted="" work="" part=all
while [[ $# -gt 0 ]]; do
  case "$1" in
    --zip) zip=${2:?$usage}; shift 2 ;;
    --debug) debug=${2:?$usage}; shift 2 ;;
    --version) version=${2:?$usage}; shift 2 ;;
    --sim) sim=${2:?$usage}; shift 2 ;;
    --planted) planted=${2:?$usage}; shift 2 ;;
    --work) work=${2:?$usage}; shift 2 ;;
    --part) part=${2:?$usage}; shift 2 ;;
    *) echo "package_test: unexpected '$1'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
done
[[ -n "$zip" && -n "$debug" && -n "$version" && -n "$sim" && -n "$planted" && -n "$work" ]] || { echo "$usage" >&2; exit 2; }
case "$part" in files|run|all) ;; *) echo "package_test: --part must be files or run" >&2; exit 2 ;; esac

source "$here/checks.sh"

name=CSPlugin-$version
address=127.0.0.40
gateway_name=package.gateway.test  # 127.0.0.40 inside the Wine session
card=6039501234567890
rm -rf "$work"
mkdir -p "$work"

# --- The ZIP and the DLL in it. ---
expect_eq "package name" "$name.zip" "$(basename "$zip")"
listing=$(python3 - "$zip" <<'PY'
import sys, zipfile
for entry in sorted(zipfile.ZipFile(sys.argv[1]).namelist()):
    if not entry.endswith("/"):
        print(entry)
PY
)
expected_listing=$(printf "$name/%s\n" ADMIN.md CHANGELOG.md CSPlugin.INI CSPlugin.dll CSReconcile.exe StationSim.exe \
  collect-journals.ps1 prepare-station.cmd write-settings.ps1)
expect_eq "files in the ZIP" "$expected_listing" "$listing"

python3 -m zipfile -e "$zip" "$work/unpacked"
station="$work/unpacked/$name"
dll="$station/CSPlugin.dll"
if [[ $part != run ]]; then
headers=$(i686-w64-mingw32-objdump -p "$dll")
expect_contains "the DLL's format (the shipped one is 32-bit)" "file format pei-i386" "$headers"
sections=$(i686-w64-mingw32-objdump -h "$dll")
if grep -q '\.debug_' <<<"$sections"; then fail "the packaged DLL still has debug sections"; else pass; fi
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && /^$/ { on = 0 }
               on { print $NF }' <<<"$headers" | sort | tr '\n' ' ')
expect_eq "exports" "SPMAccounting SPMConfig SPMDeposit SPMEjectCard " "$exports"
imports=$(awk '/DLL Name:/ { print toupper($3) }' <<<"$headers" | sort | tr '\n' ' ')
# ADVAPI32: the stack protector's random guard.
expect_eq "imports" "ADVAPI32.DLL COMCTL32.DLL CRYPT32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL WININET.DLL " "$imports"
characteristics=$(awk '$1 == "DllCharacteristics" { print $2 }' <<<"$headers")
for flag in 0040:DYNAMIC_BASE 0100:NX_COMPAT 0400:NO_SEH; do
  check "DllCharacteristics ${characteristics:-none} lacks ${flag#*:}" [ $(( 0x${characteristics:-0} & 0x${flag%%:*} )) -ne 0 ]
done
versions=$(awk '$1 ~ /^M(aj|in)or(OSystem|Subsystem)Version$/ { printf "%s=%s ", $1, $2 }' <<<"$headers")
expect_eq "OS and subsystem versions" \
  "MajorOSystemVersion=6 MinorOSystemVersion=1 MajorSubsystemVersion=6 MinorSubsystemVersion=1 " "$versions"
# NO_SEH is true only while no code puts a handler on the SEH chain (a store to %fs:0).
expect_eq "stores to the SEH chain" 0 "$(i686-w64-mingw32-objdump -d "$dll" | grep -cE ',%fs:0x0$')"
expect_contains "the stack protector" "__stack_chk_fail" "$(i686-w64-mingw32-nm "$debug")"
# The guard is seeded without the CryptoAPI, which libssp opens under the loader lock.
expect_eq "CryptoAPI imports" "" "$(grep -oE '\bCrypt[A-Za-z]+' <<<"$headers" || true)"
check "the ZIP has $(stat -c %s "$zip") bytes, 400 KiB or more" [ "$(stat -c %s "$zip")" -lt 409600 ]
echo "figure: packaged CSPlugin.dll $(stat -c %s "$dll") bytes, CSReconcile.exe" \
     "$(stat -c %s "$station/CSReconcile.exe") bytes, ZIP $(stat -c %s "$zip") bytes," \
     "debug file $(stat -c %s "$debug") bytes"
reconcile_headers=$(i686-w64-mingw32-objdump -p "$station/CSReconcile.exe")
expect_contains "CSReconcile.exe's format (32-bit)" "file format pei-i386" "$reconcile_headers"
reconcile_imports=$(awk '/DLL Name:/ { print toupper($3) }' <<<"$reconcile_headers" | sort | tr '\n' ' ')
expect_eq "CSReconcile.exe's imports (static: system DLLs only)" "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL " "$reconcile_imports"

# --- A crash address of the packaged DLL, resolved as HACKING.md says. ---
# SPMAccounting's offset from the export table; the stripped DLL finds the debug file
# beside it by the name and checksum it carries.
offset=$(awk '/^Export Address Table -- Ordinal Base/ { table = "rva"; next }
              /^\[Ordinal\/Name Pointer\] Table/ { table = "name"; next }
              /^$/ { table = "" }
              { line = $0; gsub(/[][]/, " ", line); n = split(line, f, " ") }
              table == "rva" && /Export RVA/ { rva[f[1]] = f[4] }
              table == "name" && n == 2 { index_of[f[2]] = f[1] }
              END { print rva[index_of["SPMAccounting"]] }' <<<"$headers")
mkdir -p "$work/crash"
cp "$dll" "$debug" "$work/crash/"
for file in "$work/crash/CSPlugin.dll" "$work/crash/$(basename "$debug")"; do
  resolved=$(bash "$root/scripts/resolve_crash.sh" "$file" "0x$offset" 2>&1)
  expect_contains "offset 0x$offset through $(basename "$file")" \
    "SPMAccounting at ./host/plugin_entry_win32.cpp:" "$resolved"
done
# A debug file of another build (here: one byte more) is refused.
printf 'x' >>"$work/crash/$(basename "$debug")"
resolved=$(bash "$root/scripts/resolve_crash.sh" "$work/crash/CSPlugin.dll" "0x$offset" 2>&1)
expect_contains "a debug file that does not match" "??" "$resolved"
fi

# --- Installed and used as an administrator would. ---
if [[ $part != files ]]; then
ini="$station/CSPlugin.INI"
# The sample's strict certificate checks stay on: the URL names the gateway by a name
# its certificate carries. The data folder is one of its own, outside the station's.
data="$work/data"
mkdir -p "$data"
sed -i -E -e "s|^URL=[^\r]*|URL=https://$gateway_name/ipsx/gateway|" \
  -e 's/^MerchantID=/MerchantID=887700123/' -e 's/^TerminalID=/TerminalID=T0040/' \
  -e "s|^;DataFolder=[^\r]*|DataFolder=$(windows_path "$data" | sed 's/\\/\\\\/g')|" \
  -e 's/^;((SwipePrompt|ValidationPrompt|TitlePrompt)=)/\1/' "$ini"
edited=$(grep -cE '^(URL=https://package\.gateway\.test/|MerchantID=887700123|TerminalID=T0040|DataFolder=.|StrictCertificates=1|SwipePrompt=|ValidationPrompt=|TitlePrompt=)' "$ini")
expect_eq "lines edited or kept in the sample settings file" 8 "$edited"

source "$root/scripts/gateways.sh"
gateways_begin "$work/gateways" "$sim"
gateway_sim "$address" server --accounts "$root/tools/demo/accounts.txt" \
  --settlement "$GATEWAYS_DIR/$address.settlement.csv"

# The charge's first paint loads msimg32.dll; Wine would take a planted copy first.
cp "$planted" "$station/msimg32.dll"
run_status=0
output=$(cd "$station" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;msimg32=n,b" wine StationSim.exe \
  config --drive "dialog|type:110:$card|click:111|box|click:1|closed" \
  charge 150 --drive "dialog|text:100:Swipe your campus card|type:101:;$card=4912?|click:1|text:100:Print job: 1.50 will be charged|click:1|closed" \
  deposit alice 0 --drive "dialog|type:101:;$card=4912?|click:1|text:100:Enter amount|type:101:5|click:1|closed" \
  2>&1) || run_status=$?
expect_eq "StationSim.exe's exit status" 0 "$run_status"
expect_contains "the version StationSim.exe reports" "station: plug-in version $version" "$output"
expect_contains "the configuration's Test" "Response Code: 00" "$output"
expect_contains "the configuration's end" "result: SPMConfig returned 1" "$output"
expect_contains "the charge's end" "result: SPMAccounting returned 1 (charge approved)" "$output"
expect_contains "the deposit booked" 'booked 5.00 into "alice"' "$output"
expect_contains "the deposit's end" "result: SPMDeposit returned 500" "$output"
check "the msimg32.dll planted beside StationSim.exe was loaded" [ ! -e "$station/planted-dll-ran" ]

journal=$(cat "$GATEWAYS_DIR/$address.journal" 2>/dev/null)
expect_eq "requests the gateway received" 3 "$(grep -c . <<<"$journal")"
test_line=$(sed -n 1p <<<"$journal")
charge_line=$(sed -n 2p <<<"$journal")
deposit_line=$(sed -n 3p <<<"$journal")
for pair in tc=100 merchant=887700123 terminal=T0040 seq=000001 rc=00; do
  expect_contains "the gateway's record of the Test" " $pair " "$test_line"
done
for pair in tc=200 seq=000002 amount=150 rc=00 balance=2350; do
  expect_contains "the gateway's record of the charge" " $pair " "$charge_line"
done
for pair in tc=200 seq=000003 amount=500 rc=00 balance=1850; do
  expect_contains "the gateway's record of the deposit" " $pair " "$deposit_line"
done

# The administrator's month end on this station: its journal against the settlement.
cp "$GATEWAYS_DIR/$address.settlement.csv" "$station/settlement.csv"
reconcile_status=0
reconciled=$(cd "$station" && wine CSReconcile.exe "$(windows_path "$data")" --gateway settlement.csv --out reconcile 2>&1) ||
  reconcile_status=$?
expect_eq "CSReconcile.exe's exit status ($reconciled)" 0 "$reconcile_status"
expect_contains "CSReconcile.exe's summary" "nothing in doubt: 7 records in 1 file" "$reconciled"
expect_eq "differences in match.csv (the header alone)" 1 "$(grep -c . "$station/reconcile/match.csv")"
expect_contains "the charge and the deposit matched (report.html)" "2 matched," "$(cat "$station/reconcile/report.html")"

sequence=$(tr -d '\r' <"$data/CSBatchSeq.INI" 2>/dev/null)
expect_eq "sequence numbers in the data folder" $'[Batch000001]\nSeqNumber=3' "$sequence"
expect_eq "what the plug-in wrote beside the DLL" "" \
  "$(cd "$station" && ls CSBatchSeq.* CSJournal-* 2>/dev/null)"
saved=$(tr -d '\r' <"$ini")
expect_contains "the settings file after Save" "URL=https://$gateway_name/ipsx/gateway" "$saved"
expect_contains "the sample's comments after Save" "; MerchantID: the merchant card acceptor id" "$saved"

if [[ $failures -ne 0 ]]; then
  echo "StationSim.exe printed:"
  sed 's/^/  /' <<<"$output"
fi
fi
finish "package test"
