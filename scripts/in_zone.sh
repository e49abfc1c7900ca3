#!/usr/bin/env bash
# Runs COMMAND with ZONE as the machine's time zone, seen by COMMAND alone: in a private
# mount namespace (unshare -m) with /usr/share/zoneinfo/ZONE bind-mounted over
# /etc/localtime. This is how Wine is given a zone: it reads /etc/localtime afresh in
# every process (the wineserver keeps no zone of its own, so a running one may be shared),
# while TZ would be misread by the Windows C runtime, so TZ is unset. Needs root.
# usage: in_zone.sh ZONE -- COMMAND [ARGS...]     (ZONE: America/Chicago, Europe/Berlin, ...)
set -euo pipefail
usage="usage: in_zone.sh ZONE -- COMMAND [ARGS...]"
if [[ $# -lt 3 || "$2" != "--" ]]; then
  echo "$usage" >&2
  exit 2
fi
zone_file="/usr/share/zoneinfo/$1"
if [[ ! -f "$zone_file" ]]; then
  echo "in_zone: no time zone '$1' ($zone_file is missing; is tzdata installed?)" >&2
  exit 2
fi
shift 2
unset TZ
exec unshare -m sh -c 'mount --bind "$0" /etc/localtime && exec "$@"' "$zone_file" "$@"
