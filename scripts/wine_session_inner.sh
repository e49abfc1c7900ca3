#!/usr/bin/env bash
# The part of scripts/wine_session.sh that runs inside its private mount and network
# namespaces (unshare -m -n; in the emulated 32-bit lane also user and pid ones): with
# --lane, registers qemu-i386 for i386 programs (scripts/wine_lane.sh); brings up the
# loopback the gateway stand-ins listen on, mounts the bundle with the test CA over the
# host's CA bundle (Wine's WinINet reads that file afresh in every process) and the hosts
# file over /etc/hosts, makes and configures the prefix (scripts/wine_prefix.sh),
# optionally sets the time zone (scripts/in_zone.sh), runs COMMAND, and stops the prefix's
# wineserver so that no Wine process outlives the run.
#
# COMMAND runs as root without CAP_DAC_OVERRIDE: root would otherwise write files and
# folders that Windows keeps read-only (Wine maps the read-only attribute and a folder's
# access list to the Unix mode), and a test of a failed write could not fail.
# usage: wine_session_inner.sh --bundle FILE --hosts FILE [--zone ZONE] [--lane DIR] -- COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage="usage: wine_session_inner.sh --bundle FILE --hosts FILE [--zone ZONE] [--lane DIR] -- COMMAND [ARGS...]"
bundle=""
hosts=""
zone=""
lane=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --bundle) bundle=${2:?$usage}; shift 2 ;;
    --hosts) hosts=${2:?$usage}; shift 2 ;;
    --zone) zone=${2:?$usage}; shift 2 ;;
    --lane) lane=${2:?$usage}; shift 2 ;;
    --) shift; break ;;
    *) echo "wine_session_inner: unexpected '$1'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
done
[[ -n "$bundle" && -n "$hosts" && $# -gt 0 ]] || { echo "$usage" >&2; exit 2; }
# The mounts below would change the whole machine outside namespaces of our own:
# wine_session.sh names its own, and unshare starts this script in new ones.
read -r caller_mnt caller_net <<<"${STATION_SESSION_NAMESPACES:-}"
if [[ -z "${caller_net:-}" || "$(readlink /proc/$$/ns/mnt)" == "$caller_mnt" ||
      "$(readlink /proc/$$/ns/net)" == "$caller_net" ]]; then
  echo "wine_session_inner: not in namespaces of its own; run scripts/wine_session.sh instead" >&2
  exit 2
fi
unset STATION_SESSION_NAMESPACES

if [[ -n "$lane" ]]; then
  source "$here/wine_lane.sh"
  wine_lane_enter "$lane"
fi
ip link set lo up
mount --bind "$bundle" /etc/ssl/certs/ca-certificates.crt
mount --bind "$hosts" /etc/hosts
bash "$here/wine_prefix.sh"
# A Wine program that runs for the whole session, a cmd.exe reading commands from a
# pipe: without one, the prefix's system processes (explorer, services, device drivers)
# stop after each program and start again with the next, seconds each when emulated,
# and a program started while they stop can fail. It runs the first command it is given
# once they are all up, started by it: with its output, not COMMAND's (a test's output
# that they held would never end). Closing its input at the end lets it go. It starts
# the wineserver, which opens the files that Wine programs open, so it too runs without
# CAP_DAC_OVERRIDE.
unprivileged=(setpriv --bounding-set=-dac_override --)
keeper_dir=$(mktemp -d)
mkfifo "$keeper_dir/input"
"${unprivileged[@]}" wine cmd <"$keeper_dir/input" >/dev/null 2>&1 &
exec {keeper}>"$keeper_dir/input"
echo "echo ready> Z:${keeper_dir//\//\\}\\ready" >&$keeper
for _ in $(seq 1200); do
  [[ -e "$keeper_dir/ready" ]] && break
  sleep 0.1
done
if [[ ! -e "$keeper_dir/ready" ]]; then
  echo "wine_session: Wine's programs did not start within 120 s in $WINEPREFIX" >&2
  exit 1
fi
rm -rf "$keeper_dir"
if [[ -n "$zone" ]]; then
  set -- bash "$here/in_zone.sh" "$zone" -- "$@"
fi
status=0
"${unprivileged[@]}" "$@" {keeper}>&- || status=$?
exec {keeper}>&-
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
exit $status
