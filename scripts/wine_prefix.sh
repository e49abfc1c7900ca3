#!/usr/bin/env bash
# Makes the session's Wine prefix ($WINEPREFIX, $WINEARCH) once and configures it for the
# tests: the windows' own frames and captions (Xvfb has no window manager), Wine's
# fonts in the prefix, and Tahoma replaced. Run by scripts/wine_session_inner.sh inside
# the session, where Wine runs as the session runs it (emulated in the 32-bit lane).
# usage: wine_prefix.sh
set -euo pipefail
: "${WINEPREFIX:?run inside scripts/wine_session.sh}"

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "wine_session: creating the Wine prefix (once, about 10 s; 30 s emulated)"
  mkdir -p "$WINEPREFIX"
  boot_output=$(wineboot -i 2>&1) || true
  wineserver -w 2>/dev/null || true
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "wine_session: wineboot did not create the prefix $WINEPREFIX:" >&2
    echo "$boot_output" >&2
    exit 1
  fi
fi

# reg_add STAMP KEY TYPE NAME DATA [NAME DATA...]: sets the values, all of TYPE, once
# (STAMP in the prefix says done).
reg_add() {
  local stamp="$WINEPREFIX/$1" key=$2 type=$3 output
  shift 3
  [[ -f "$stamp" ]] && return 0
  while [[ $# -gt 0 ]]; do
    if ! output=$(wine reg add "$key" /v "$1" /t "$type" /d "$2" /f 2>&1); then
      echo "wine_session: could not set $1=$2 under $key:" >&2
      echo "$output" >&2
      exit 1
    fi
    shift 2
  done
  wineserver -w 2>/dev/null || true
  touch "$stamp"
}

# Xvfb has no window manager: let Wine draw the captions and frames itself, so that
# screenshots show windows as a user sees them.
reg_add .station-configured 'HKCU\Software\Wine\X11 Driver' REG_SZ Managed N Decorated N
# A program that crashes prints its backtrace and ends, instead of waiting in a crash
# dialog that nobody closes until the run's time-out.
reg_add .station-no-crash-dialog 'HKCU\Software\Wine\WineDbg' REG_DWORD ShowCrashDialog 0

# Debian's Wine does not find its own TrueType fonts (Marlett, ...) where the fonts-wine
# package puts them: captions then show an "r" where the close box's cross belongs. The
# prefix's Fonts folder is always searched.
# Wine's own Tahoma is wider than the face the dialogs are laid out for: at 8 points
# "Card prefix sequence match:" takes 152 pixels of its label's 150 and wraps out of
# sight. DejaVu Sans Condensed (fonts-dejavu-extra) gives the same dialog units (6 x 13
# at 96 DPI, so every dialog keeps its size) and fits. Wine takes a replacement only for
# a face it does not have, so its Tahoma stays out of the prefix.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [[ -d /usr/share/wine/fonts && ! -e "$fonts/marlett.ttf" ]]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/"
fi
rm -f "$fonts/tahoma.ttf" "$fonts/tahomabd.ttf"
reg_add .station-tahoma-replaced 'HKCU\Software\Wine\Fonts\Replacements' REG_SZ Tahoma "DejaVu Sans Condensed"
