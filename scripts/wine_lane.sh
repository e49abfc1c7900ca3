# The emulated 32-bit Wine lane, for kernels that run no 32-bit code (scripts/wine_arch.sh
# --lane says "emulated"). Sourced by scripts/wine_session.sh and its inner part:
#
#   wine_lane_prepare DIR
#       outside the session: checks that qemu-i386 is 10 or later (scripts/setup.sh
#       installs it) and builds the fault-number fix (tools/wine_lane/trapno_fix.c) into
#       DIR/lib/i386-linux-gnu and, as an empty twin, DIR/lib/x86_64-linux-gnu, when
#       missing or older than its source.
#   wine_lane_enter DIR
#       inside the session's own user, mount and pid namespaces (unshare --user
#       --map-root-user --mount --pid --fork --mount-proc): mounts the namespace's own
#       binfmt_misc (Linux 6.7 and later give each user namespace one), registers
#       qemu-i386 there for i386 programs, and exports LD_PRELOAD with the fix for every
#       32-bit process. Nothing outside the namespace sees the registration.
#
# What the emulation costs and what qemu gets wrong is in HACKING.md ("The emulated
# 32-bit lane").

wine_lane_source="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tools/wine_lane/trapno_fix.c"
# The session's namespaces. A pid namespace too, with its own /proc: qemu knows a
# program's own /proc/PID/exe only by the pid the program sees, and Wine finds its files
# from there. scripts/wine_arch.sh tries the same before it chooses the lane.
wine_lane_namespaces=(unshare --user --map-root-user --mount --net --pid --fork --mount-proc)

wine_lane_prepare() {
  local dir=${1:?usage: wine_lane_prepare DIR} version
  version=$(qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
  if [[ -z "$version" || "$version" -lt 10 ]]; then
    echo "wine_lane: qemu-i386 ${version:-is missing}${version:+ is too old}: the emulated lane needs" \
         "qemu-user 10 or later from bookworm-backports (bash scripts/setup.sh installs it)" >&2
    return 1
  fi
  case "$dir" in
    *[[:space:]:]*) echo "wine_lane: LD_PRELOAD cannot name a folder with a space or colon: $dir" >&2; return 1 ;;
  esac
  # Debian's ld.so expands $LIB to lib/<multiarch triple> of the process's own kind.
  local arch flags
  for arch in i386 x86_64; do
    local library="$dir/lib/$arch-linux-gnu/libtrapno_fix.so"
    [[ "$library" -nt "$wine_lane_source" ]] && continue
    mkdir -p "$(dirname "$library")"
    flags=()
    [[ $arch == i386 ]] && flags=(-m32)
    if ! gcc "${flags[@]}" -shared -fPIC -O2 -Wall -Wextra -Werror -o "$library" "$wine_lane_source" -ldl; then
      echo "wine_lane: could not build $library (gcc-multilib, from scripts/setup.sh, builds the i386 one)" >&2
      return 1
    fi
  done
}

wine_lane_enter() {
  local dir=${1:?usage: wine_lane_enter DIR}
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  # i386 ELF programs and libraries, as qemu's own binfmt configuration matches them.
  # P passes argv[0] on as the program gave it; F opens qemu-i386 now, once.
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:$(command -v qemu-i386):PF" >/proc/sys/fs/binfmt_misc/register
  export LD_PRELOAD="$dir/\$LIB/libtrapno_fix.so${LD_PRELOAD:+ $LD_PRELOAD}"
}
