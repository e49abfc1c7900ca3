#!/usr/bin/env bash
# Turns a crash address reported by a station into function, source file and line, with
# the debug information that the release package keeps beside its ZIP.
#
# usage: resolve_crash.sh FILE OFFSET...
#   FILE    CSPlugin-<version>.dll.debug of the release the station runs; or that
#           release's CSPlugin.dll with the .dll.debug file beside it (the DLL names the
#           file and its checksum, so the debug information of another build is refused)
#   OFFSET  an address within CSPlugin.dll as an offset from its start, in hex, as
#           Windows reports it: Event Viewer > Windows Logs > Application, "Application
#           Error" of the station program, "Faulting module name: CSPlugin.dll",
#           "Fault offset: 0x00001530"
# Prints one line per offset ("SPMAccounting at .../host/plugin_entry_win32.cpp:33",
# followed by "(inlined by)" lines where the compiler inlined code); exits with 1 when an
# offset cannot be resolved.
set -euo pipefail
usage="usage: resolve_crash.sh FILE OFFSET..."
[[ $# -ge 2 ]] || { echo "$usage" >&2; exit 2; }
file=$1
shift
[[ -r "$file" ]] || { echo "resolve_crash: cannot read $file" >&2; exit 2; }

# addr2line takes addresses as the DLL was linked: its preferred base plus the offset.
base=$(i686-w64-mingw32-objdump -p "$file" | awk '$1 == "ImageBase" { print $2 }')
[[ -n "$base" ]] || { echo "resolve_crash: $file is not a PE file" >&2; exit 2; }
status=0
for offset in "$@"; do
  [[ "$offset" =~ ^(0[xX])?[0-9a-fA-F]+$ ]] || { echo "resolve_crash: '$offset' is not hex" >&2; exit 2; }
  hex=${offset#0[xX]}
  address=$(printf '0x%x' $(( 0x$base + 0x$hex )))
  where=$(i686-w64-mingw32-addr2line -e "$file" -f -C -i -p "$address")
  echo "$offset: $where"
  [[ "$where" != \?\?* ]] || status=1
done
exit $status
