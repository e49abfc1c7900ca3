#!/usr/bin/env bash
# Runs a command in the project's Wine test environment and cleans up after it:
#   - a private Wine prefix under the build tree (never the user's), no Mono or Gecko prompt;
#   - a private X display (Xvfb) for the dialogs;
#   - a private mount namespace in which the host's CA bundle is the bundle with the
#     throwaway test CA, so only this run's processes trust the gateway simulator;
#   - a private network namespace with its own loopback, so the gateway simulators of
#     one run never meet another run's (or anything else listening on port 443);
#   - optionally a time zone (--zone America/Chicago) bind-mounted over /etc/localtime;
#   - at the end, also when the command fails: wineserver -k and Xvfb stopped.
# usage: wine_session.sh [--zone ZONE] [--build DIR] [--use-display] -- COMMAND [ARGS...]
#   --use-display  show the windows on $DISPLAY (for a person) instead of a private Xvfb
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="$root/build"
zone=""
use_display=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --zone) zone=$2; shift 2 ;;
    --build) build=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --use-display) use_display=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[[ $# -gt 0 ]] || { echo "usage: wine_session.sh [--zone ZONE] [--build DIR] -- COMMAND..." >&2; exit 2; }

# Inside the namespace: trust the test CA, set the zone, run, stop the prefix's server.
if [[ "${WINE_SESSION_INNER:-}" == 1 ]]; then
  ip link set lo up
  mount --bind "$TLS_DIR/bundle.crt" /etc/ssl/certs/ca-certificates.crt
  if [[ -n "$zone" ]]; then
    mount --bind "/usr/share/zoneinfo/$zone" /etc/localtime
  fi
  status=0
  "$@" || status=$?
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  exit $status
fi

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export TLS_DIR="$build/tls"
unset TZ
bash "$here/make_test_ca.sh" "$TLS_DIR"

xvfb_pid=""
cleanup() {
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
if [[ $use_display -eq 0 || -z "${DISPLAY:-}" ]]; then
  # A free display number for our own Xvfb.
  display=""
  for n in $(seq 90 140); do
    if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=$n; break; fi
  done
  [[ -n "$display" ]] || { echo "wine_session: no free X display" >&2; exit 1; }
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do
    [[ -e /tmp/.X11-unix/X$display ]] && break
    sleep 0.1
  done
  export DISPLAY=":$display"
fi

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "wine_session: creating the Wine prefix (once, about 10 s)"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
fi
if [[ ! -f "$WINEPREFIX/.station-configured" ]]; then
  # Xvfb has no window manager: let Wine draw the captions and frames itself, so that
  # screenshots show windows as a user sees them.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  touch "$WINEPREFIX/.station-configured"
fi

# Debian's Wine does not find its own TrueType fonts (Tahoma, Marlett, ...) where the
# fonts-wine package puts them: dialogs then fall back to another face, and captions show
# an "r" where the close box's cross belongs. The prefix's Fonts folder is always searched.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [[ -d /usr/share/wine/fonts && ! -e "$fonts/tahoma.ttf" ]]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/"
fi

WINE_SESSION_INNER=1 unshare -m -n bash "$0" --zone "$zone" --build "$build" -- "$@"
