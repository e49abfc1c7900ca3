#!/usr/bin/env bash
# The main job: builds everything, starts the gateway simulator on 127.0.0.2 over TLS,
# and runs the plug-in in the station simulator under Wine: the administrator's gateway
# test, a charge, a declined charge and a deposit, driven as a card reader and a user
# would drive the dialogs. Prints what the station saw, what the gateway received, and the
# plug-in's transaction journal.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() {
  cat <<'USAGE'
usage: main.sh [--interactive] [--quiet]
  --interactive   open the dialogs for a person to operate, on $DISPLAY
  --quiet         no progress lines while building and starting, only the results
USAGE
}
interactive=0
quiet=0
for arg in "$@"; do
  case "$arg" in
    --interactive) interactive=1 ;;
    --quiet) quiet=1 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "main: unexpected '$arg'" >&2; usage >&2; exit 2 ;;
  esac
done

say() { [[ $quiet -eq 1 ]] || echo "main: $*"; }
say "building, then charging through the station simulator under Wine (a first run" \
    "installs packages and builds for several minutes, and says what it is doing)"
quiet_flag=()
[[ $quiet -eq 0 ]] || quiet_flag=(--quiet)
bash scripts/build.sh "${quiet_flag[@]}"
# What runs under Wine: the DLL and StationSim.exe of the release ZIP, the files that
# ship; with STATION_WINE_ARCH=win64 (scripts/wine_arch.sh) a 64-bit build of the sources.
arch=$(bash scripts/wine_arch.sh 2>/dev/null)
demo="$root/build/demo"
rm -rf "$demo"
mkdir -p "$demo/station" "$demo/shots"
if [[ $arch == win32 ]]; then
  cache=build/win32/CMakeCache.txt
  zip="$(sed -n 's/^RELEASE_DIR:PATH=//p' "$cache")/CSPlugin-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache").zip"
  python3 - "$zip" "$demo/station" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as package:
    for entry in package.namelist():
        if os.path.basename(entry) in ("CSPlugin.dll", "StationSim.exe"):
            with open(os.path.join(sys.argv[2], os.path.basename(entry)), "wb") as out:
                out.write(package.read(entry))
PY
  plugin_source="the release package $zip"
else
  cp "build/$arch/CSPlugin.dll" "build/$arch/StationSim.exe" "$demo/station/"
  plugin_source="build/$arch, a 64-bit build of the sources (STATION_WINE_ARCH=$arch), not the DLL that ships"
fi
cp tools/demo/CSPlugin.INI "$demo/station/"
say "the plug-in: CSPlugin.dll from $plugin_source"

card=";6039501234567890=4912?"
if [[ $interactive -eq 1 ]]; then
  echo "Try card numbers 6039501234567890 (25.00 on the card) or 6039502222222222 (0.40)."
  steps=(config charge 150 deposit alice 500)
else
  steps=(
    config --drive "dialog|read:100|read:101|read:102|read:103|read:104|read:105|shot:shots\\configure.bmp|type:110:6039501234567890|click:111|box|click:2|closed"
    charge 150 --drive "dialog|shot:shots\\charge-card.bmp|type:101:$card|click:1|text:100:A charge of|shot:shots\\charge-confirm.bmp|click:1|closed"
    charge 150 --drive "dialog|type:101:6039502222222222|click:1|text:100:A charge of|click:1|text:100:Transaction error|shot:shots\\charge-declined.bmp|click:2|closed"
    deposit alice 500 --drive "dialog|type:101:$card|click:1|text:100:Enter amount|type:101:5|shot:shots\\deposit-amount.bmp|click:1|closed"
  )
fi
cd "$demo"
say "starting the gateway simulator on 127.0.0.2 and StationSim.exe under Wine"
status=0
display_flag=()
[[ $interactive -eq 1 ]] && display_flag=(--use-display)
bash "$root/scripts/wine_session.sh" --build "$root/build/$arch" "${display_flag[@]}" -- \
  bash "$root/scripts/with_gateway.sh" "$root/tools/demo/accounts.txt" "$demo/gateway" -- \
  wine station/StationSim.exe "${steps[@]}" || status=$?
for shot in shots/*.bmp; do
  [[ -e "$shot" ]] && convert "$shot" "${shot%.bmp}.png" && rm "$shot"
done
echo
journal="$demo/gateway/127.0.0.2.journal"
echo "gateway journal ($journal):"
sed 's/^/  /' "$journal" 2>/dev/null || echo "  (no requests)"
echo "sequence numbers beside the plug-in (CSBatchSeq.INI):"
sed 's/^/  /' station/CSBatchSeq.INI 2>/dev/null || true
echo "transaction journal beside the plug-in:"
journals=(station/CSJournal-*.csv)
if [[ -e "${journals[0]}" ]]; then
  for file in "${journals[@]}"; do
    echo "  $file"
    sed 's/\r$//; s/^/    /' "$file"
  done
else
  echo "  (none written)"
fi
[[ -d shots ]] && echo "screenshots: $(ls "$demo"/shots/*.png 2>/dev/null | tr '\n' ' ')"
echo "plug-in: CSPlugin.dll from $plugin_source ($(stat -c %s station/CSPlugin.dll) bytes," \
     "SHA-256 $(sha256sum station/CSPlugin.dll | cut -c1-16)...)"
exit $status
