#!/usr/bin/env bash
# The part of scripts/wine_session.sh that runs inside its private mount and network
# namespaces (unshare -m -n): brings up the loopback the gateway stand-ins listen on,
# mounts the bundle with the test CA over the host's CA bundle (Wine's WinINet reads that
# file afresh in every process) and the hosts file over /etc/hosts, optionally sets the
# time zone (scripts/in_zone.sh), runs COMMAND, and stops the prefix's wineserver so that
# no Wine process outlives the run.
#
# COMMAND runs as root without CAP_DAC_OVERRIDE: root would otherwise write files and
# folders that Windows keeps read-only (Wine maps the read-only attribute and a folder's
# access list to the Unix mode), and a test of a failed write could not fail.
# usage: wine_session_inner.sh --bundle FILE --hosts FILE [--zone ZONE] -- COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage="usage: wine_session_inner.sh --bundle FILE --hosts FILE [--zone ZONE] -- COMMAND [ARGS...]"
bundle=""
hosts=""
zone=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --bundle) bundle=${2:?$usage}; shift 2 ;;
    --hosts) hosts=${2:?$usage}; shift 2 ;;
    --zone) zone=${2:?$usage}; shift 2 ;;
    --) shift; break ;;
    *) echo "wine_session_inner: unexpected '$1'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
done
[[ -n "$bundle" && -n "$hosts" && $# -gt 0 ]] || { echo "$usage" >&2; exit 2; }
# The mounts below would change the whole machine outside namespaces of our own: unshare
# starts this script in new ones, so they differ from those of the script that ran it.
for ns in mnt net; do
  mine=$(readlink "/proc/$$/ns/$ns" || true)
  callers=$(readlink "/proc/$PPID/ns/$ns" || true)
  if [[ -z "$mine" || -z "$callers" || "$mine" == "$callers" ]]; then
    echo "wine_session_inner: not in namespaces of its own; run scripts/wine_session.sh instead" >&2
    exit 2
  fi
done

ip link set lo up
mount --bind "$bundle" /etc/ssl/certs/ca-certificates.crt
mount --bind "$hosts" /etc/hosts
if [[ -n "$zone" ]]; then
  set -- bash "$here/in_zone.sh" "$zone" -- "$@"
fi
status=0
setpriv --bounding-set=-dac_override -- "$@" || status=$?
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
exit $status
