#!/usr/bin/env bash
# Runs a command in the project's Wine test environment and cleans up after it:
#   - a private Wine prefix under the build tree (never the user's), no Mono or Gecko prompt;
#     64-bit for a build made with the x86_64 compiler, else 32-bit;
#   - a private X display (Xvfb picks a free one itself) for the dialogs;
#   - the throwaway test CA (scripts/make_test_ca.sh) in TLS_DIR;
#   - then, in private mount and network namespaces, scripts/wine_session_inner.sh:
#     the test CA trusted, gateway.test naming 127.0.0.2, loopback up, the prefix made
#     and configured (scripts/wine_prefix.sh), optionally the time zone, the command
#     (without root's power to write what is read-only), and the prefix's wineserver
#     stopped;
#   - where the kernel runs no 32-bit code, the 32-bit build's session runs emulated
#     (scripts/wine_lane.sh): in user and pid namespaces of its own as well, with
#     qemu-i386 registered for i386 programs there;
#   - at the end, also when the command fails: wineserver -k and Xvfb stopped.
# Needs root (for the namespaces, and for port 443 of the gateway stand-ins).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

usage() {
  cat <<'USAGE'
usage: wine_session.sh [--build DIR] [--zone ZONE] [--use-display] -- COMMAND [ARGS...]
  --build DIR    the build folder that holds the prefix (wineprefix/) and the test CA
                 (tls/); default build/
  --zone ZONE    run with /usr/share/zoneinfo/ZONE as the local time zone
  --use-display  show the windows on $DISPLAY (for a person) instead of a private Xvfb
USAGE
}
usage_error() {
  echo "wine_session: $1" >&2
  usage >&2
  exit 2
}

build="$root/build"
zone_args=()
use_display=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --zone)
      [[ $# -ge 2 ]] || usage_error "--zone needs a zone name"
      zone_args=(--zone "$2"); shift 2 ;;
    --build)
      [[ $# -ge 2 ]] || usage_error "--build needs a folder"
      build=$2; shift 2 ;;
    --use-display) use_display=1; shift ;;
    -h|--help) usage; exit 0 ;;
    --) shift; break ;;
    -*) usage_error "unknown option '$1'" ;;
    *) usage_error "'--' must come before the command ('$1')" ;;
  esac
done
[[ $# -gt 0 ]] || usage_error "no command given"
if [[ $(id -u) -ne 0 ]]; then
  echo "wine_session: must run as root: it makes private mount and network namespaces" \
       "(unshare -m -n), and the gateway stand-ins listen on port 443" >&2
  exit 1
fi
build=$(mkdir -p "$build" && cd "$build" && pwd)

export WINEPREFIX="$build/wineprefix"
# The prefix follows the build: a build with the x86_64 compiler (scripts/wine_arch.sh)
# gets a 64-bit prefix and 64-bit Wine. Debian's wine script always takes the 32-bit
# loader when it is installed, so wine and wine-stable name the 64-bit one there.
if grep -q '^CMAKE_AR:FILEPATH=.*x86_64-w64-mingw32-' "$build/CMakeCache.txt" 2>/dev/null; then
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  loaders="$build/wine64-bin"
  mkdir -p "$loaders"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$loaders/$name"
    chmod +x "$loaders/$name"
  done
  export PATH="$loaders:$PATH"
else
  export WINEARCH=win32
fi
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export TLS_DIR="$build/tls"
# Wine takes the zone from /etc/localtime; the Windows C runtime misreads TZ.
unset TZ
bash "$here/make_test_ca.sh" "$TLS_DIR"

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

if [[ $use_display -eq 0 || -z "${DISPLAY:-}" ]]; then
  # Xvfb takes the first free display itself and writes its number once it accepts
  # connections.
  exec {display_fd}< <(exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>&1 >/dev/null 2>&1)
  xvfb_pid=$!
  display=""
  read -r -t 20 -u "$display_fd" display || true
  exec {display_fd}<&-
  [[ -n "$display" ]] || { echo "wine_session: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$display"
fi

# The name the test CA's server certificate is made out to, for the stand-in on
# 127.0.0.2, so that a URL can name the gateway as a strict certificate check wants it;
# and names under it (the certificate carries *.gateway.test) for the release package's
# stand-ins, whose settings keep the sample's strict checks.
hosts="$TLS_DIR/hosts"
{
  cat /etc/hosts
  echo "127.0.0.2 gateway.test"
  echo "127.0.0.40 package.gateway.test"
  echo "127.0.0.41 msi.gateway.test"
} > "$hosts"

# The inner part checks that it runs in namespaces other than these.
STATION_SESSION_NAMESPACES="$(readlink /proc/$$/ns/mnt) $(readlink /proc/$$/ns/net)"
export STATION_SESSION_NAMESPACES
namespaces=(unshare -m -n)
lane_args=()
if [[ $WINEARCH == win32 && $(bash "$here/wine_arch.sh" --lane 2>/dev/null) == emulated ]]; then
  source "$here/wine_lane.sh"
  wine_lane_prepare "$build/lane"
  namespaces=("${wine_lane_namespaces[@]}")
  lane_args=(--lane "$build/lane")
fi
"${namespaces[@]}" bash "$here/wine_session_inner.sh" --bundle "$TLS_DIR/bundle.crt" --hosts "$hosts" \
  "${zone_args[@]}" "${lane_args[@]}" -- "$@"
