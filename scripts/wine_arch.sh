#!/usr/bin/env bash
# Prints which Windows build the Win32 tests run: win32 (build/win32, 32-bit Wine) when
# this machine can execute a 32-bit (i386) program, else win64 (build/win64, the same
# sources built for x86_64, under 64-bit Wine). Says which and why on stderr, one line.
# STATION_WINE_ARCH=win32|win64 chooses by hand.
# usage: wine_arch.sh
set -euo pipefail
case "${STATION_WINE_ARCH:-}" in
  win32|win64)
    echo "wine_arch: STATION_WINE_ARCH chooses the $STATION_WINE_ARCH build for the Win32 tests" >&2
    echo "$STATION_WINE_ARCH"
    exit 0 ;;
  "") ;;
  *) echo "wine_arch: STATION_WINE_ARCH must be win32 or win64, not '$STATION_WINE_ARCH'" >&2; exit 2 ;;
esac
# The i386 loader runs itself as a program; the kernel refuses it where 32-bit
# execution is off, and it is missing where no 32-bit Wine can start either.
if /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
  echo "wine_arch: this machine runs 32-bit programs: the Win32 tests run the 32-bit build under 32-bit Wine" >&2
  echo win32
else
  echo "wine_arch: this machine cannot run 32-bit programs: the Win32 tests run a 64-bit build" \
       "of the same sources under 64-bit Wine (the shipped DLL stays the 32-bit one)" >&2
  echo win64
fi
