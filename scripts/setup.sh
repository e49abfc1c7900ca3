#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are not installed yet.
# Where the kernel runs no 32-bit code (scripts/wine_arch.sh --lane says "emulated"), also
# those of the list's "emulated:" lines, which run 32-bit Wine under qemu-i386: qemu-user
# comes from bookworm-backports (Debian 12's own 7.2 cannot run Wine), added to apt's
# sources and pinned so that nothing else is taken from there.
# Safe to run every time: when everything is there it only checks and returns.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list="$here/debian-packages.txt"

SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO=sudo

# missing PACKAGE[/SUITE]...: prints those that are not installed.
missing() {
  local pkg status
  for pkg in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "${pkg%/*}" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || echo "$pkg"
  done
}

# install WHY PACKAGE[/SUITE]...: one apt-get round for the packages.
install() {
  local why=$1
  shift
  echo "setup: installing $# Debian packages ($why): $*"
  echo "setup: reading the package lists"
  $SUDO apt-get update -qq
  echo "setup: downloading and installing"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
  echo "setup: done"
}

mapfile -t wanted < <(grep -v -E '^\s*(#|$|emulated:)' "$list")
mapfile -t todo < <(missing "${wanted[@]}")
if [[ ${#todo[@]} -gt 0 ]]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # A fresh machine misses most of the list: say so before the long quiet wait.
  install "first run only, about 2 minutes on a fresh machine" "${todo[@]}"
fi

[[ $(bash "$here/wine_arch.sh" --lane 2>/dev/null) == emulated ]] || exit 0

# The emulated lane. Its qemu-user must be 10 or later: 7.2 ignores MAP_FIXED_NOREPLACE
# and Wine cannot map its shared user data.
mapfile -t lane < <(sed -n 's/^emulated:\s*//p' "$list")
mapfile -t todo < <(missing "${lane[@]}")
qemu=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
if [[ -n "$qemu" ]] && ! dpkg --compare-versions "$qemu" ge 1:10; then
  todo+=(qemu-user/bookworm-backports)
fi
[[ ${#todo[@]} -gt 0 ]] || exit 0

# bookworm-backports from the machine's own Debian mirror, for qemu-user alone.
sources=/etc/apt/sources.list.d/bookworm-backports.sources
if [[ ! -f "$sources" ]]; then
  bookworm_mirror() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Created-By: Packages' |
      awk '$2 == "bookworm" && $3 == "main" { print $1; exit }'
  }
  # apt names only the targets whose lists it has read: an image whose lists were
  # cleaned names none until apt-get update.
  mirror=$(bookworm_mirror)
  if [[ -z "$mirror" ]]; then
    $SUDO apt-get update -qq
    mirror=$(bookworm_mirror)
  fi
  if [[ -z "$mirror" ]]; then
    echo "setup: apt has no source for Debian 12 (bookworm) main, so bookworm-backports cannot be added" >&2
    exit 1
  fi
  printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: %s\n' \
    "$mirror" /usr/share/keyrings/debian-archive-keyring.gpg | $SUDO tee "$sources" >/dev/null
fi
$SUDO tee /etc/apt/preferences.d/bookworm-backports-qemu >/dev/null <<'PIN'
# Only qemu-user is taken from bookworm-backports (the emulated 32-bit Wine lane).
Package: qemu-user
Pin: release n=bookworm-backports
Pin-Priority: 500

Package: *
Pin: release n=bookworm-backports
Pin-Priority: -1
PIN
install "32-bit Wine emulated under qemu-i386, first run only, a 63 MB download" "${todo[@]}"
