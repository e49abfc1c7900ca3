#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are not installed yet.
# Safe to run every time: when everything is there it only checks and returns.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

wanted=$(grep -v -E '^\s*(#|$)' "$here/debian-packages.txt")
missing=()
for pkg in $wanted; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

# A fresh machine misses most of the list: say so before the long quiet wait.
echo "setup: installing ${#missing[@]} Debian packages (first run only, about 2 minutes on a fresh machine): ${missing[*]}"
SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
echo "setup: reading the package lists"
$SUDO apt-get update -qq
echo "setup: downloading and installing"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
