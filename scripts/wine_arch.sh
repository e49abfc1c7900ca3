#!/usr/bin/env bash
# Says which Windows build the Win32 tests run, and how 32-bit Wine runs on this machine.
#   wine_arch.sh          prints win32 (build/win32, the DLL that ships) or win64
#                         (build/win64, the same sources for 64-bit Wine)
#   wine_arch.sh --lane   prints how 32-bit Wine runs here:
#                         native    the kernel runs 32-bit (i386) programs itself
#                         emulated  it does not: qemu-i386 runs them, registered in a user
#                                   namespace of the Wine session's own (scripts/wine_lane.sh)
#                         none      neither: the kernel runs no 32-bit code and is older
#                                   than 6.7, which gives each user namespace its binfmt_misc
#                         refused   neither: the machine (a container) refuses that namespace
# Either way it says which and why on stderr, one line. The 32-bit build runs wherever
# 32-bit Wine can run, natively or emulated; STATION_WINE_ARCH=win64 chooses the 64-bit
# build by hand, as a quicker loop for developers (it runs no 32-bit code, so it cannot
# show what only the shipped DLL can get wrong).
# usage: wine_arch.sh [--lane]
set -euo pipefail
case "${1:-}" in
  --lane|"") ;;
  *) echo "usage: wine_arch.sh [--lane]" >&2; exit 2 ;;
esac

# The i386 loader runs itself as a program; the kernel refuses it where 32-bit
# execution is off (scripts/setup.sh installs it with wine32 first).
lane() {
  if /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
    echo native
    return
  fi
  local release major minor
  release=$(uname -r)
  major=${release%%.*}
  minor=${release#*.}
  minor=${minor%%[!0-9]*}
  if (( major < 6 || (major == 6 && minor < 7) )); then
    echo none
    return
  fi
  # The namespaces the Wine session takes, and a binfmt_misc of their own: a container
  # may refuse user namespaces.
  source "$(dirname "$0")/wine_lane.sh"
  if "${wine_lane_namespaces[@]}" sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' \
       2>/dev/null; then
    echo emulated
  else
    echo refused
  fi
}
lane=$(lane)
if [[ ${1:-} == --lane ]]; then
  case "$lane" in
    native) echo "wine_arch: this kernel runs 32-bit programs: 32-bit Wine runs natively" >&2 ;;
    emulated) echo "wine_arch: this kernel runs no 32-bit code: 32-bit Wine runs under qemu-i386" \
                   "in the Wine session's own user namespace (scripts/wine_lane.sh)" >&2 ;;
    none) echo "wine_arch: this kernel ($(uname -r)) runs no 32-bit code and is older than 6.7:" \
               "32-bit Wine cannot run here, natively or emulated" >&2 ;;
    refused) echo "wine_arch: this kernel runs no 32-bit code, and this machine refuses the user" \
                  "namespace with a binfmt_misc of its own that emulating it needs: 32-bit Wine" \
                  "cannot run here" >&2 ;;
  esac
  echo "$lane"
  exit 0
fi

case "${STATION_WINE_ARCH:-}" in
  win32|win64)
    echo "wine_arch: STATION_WINE_ARCH chooses the $STATION_WINE_ARCH build for the Win32 tests" >&2
    echo "$STATION_WINE_ARCH"
    exit 0 ;;
  "") ;;
  *) echo "wine_arch: STATION_WINE_ARCH must be win32 or win64, not '$STATION_WINE_ARCH'" >&2; exit 2 ;;
esac
case "$lane" in
  native)
    echo "wine_arch: this machine runs 32-bit programs: the Win32 tests run the 32-bit build" \
         "under 32-bit Wine" >&2
    echo win32 ;;
  emulated)
    echo "wine_arch: this kernel runs no 32-bit code: the Win32 tests run the 32-bit build under" \
         "32-bit Wine emulated by qemu-i386 (scripts/wine_lane.sh)" >&2
    echo win32 ;;
  none)
    echo "wine_arch: this kernel ($(uname -r)) runs no 32-bit code and is older than 6.7, so not" \
         "even emulated: the Win32 tests run a 64-bit build of the same sources, NOT the DLL that" \
         "ships" >&2
    echo win64 ;;
  refused)
    echo "wine_arch: this kernel runs no 32-bit code and this machine refuses the user namespace" \
         "that emulating it needs: the Win32 tests run a 64-bit build of the same sources, NOT" \
         "the DLL that ships" >&2
    echo win64 ;;
esac
