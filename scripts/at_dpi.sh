#!/usr/bin/env bash
# Runs COMMAND with the Wine prefix's screen resolution set to DPI (LogPixels), then sets
# it back to Wine's default of 96, also when COMMAND fails. Wine reads LogPixels when a
# process starts, and the prefix is shared by the whole run: run this alone (the ctest
# entries that use it are RUN_SERIAL). Inside scripts/wine_session.sh only.
# usage: at_dpi.sh DPI -- COMMAND [ARGS...]     (DPI: 120, 144, ...)
set -euo pipefail
usage="usage: at_dpi.sh DPI -- COMMAND [ARGS...]"
if [[ $# -lt 3 || "$2" != "--" || ! "$1" =~ ^[1-9][0-9]*$ ]]; then
  echo "$usage" >&2
  exit 2
fi
[[ -n "${WINEPREFIX:-}" ]] || { echo "at_dpi: WINEPREFIX is not set: run inside scripts/wine_session.sh" >&2; exit 2; }
dpi=$1
shift 2
key='HKCU\Control Panel\Desktop'
restore() {
  wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true
}
trap restore EXIT
trap 'exit 143' TERM INT
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
"$@"
