#!/usr/bin/env bash
# Installs what building and testing Tessaron needs on a Debian 12 machine.
# Idempotent and quick when everything is there already.
#
# It also asks the kernel whether it runs 32-bit programs
# (tools/probe-kernel32.sh) and keeps the answer in <build>/kernel32.txt,
# where the acceptance harness reads it.  Where the answer is yes, Debian's
# 32-bit Wine (wine32:i386) is installed beside the 64-bit one, so that the
# shipped 32-bit programs run the acceptance suite too; where it is no,
# nothing 32-bit can run, and wine32:i386 would break the 64-bit wine
# command as well, so it is never installed there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARON_BUILD:-$root/build}

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine64 fonts-wine fonts-liberation
  xvfb xauth x11-utils imagemagick
  halibut zip faketime
  locales
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive

# A mirror in the middle of a sync now and then serves an index of the wrong
# size; apt leaves that index out and fails.  Try again a little later, and
# go on with the indexes it has if it still fails.
update_complete=yes
apt_update() {
  local try
  for try in 1 2 3; do
    if $SUDO apt-get update -qq; then return 0; fi
    if [ $try -lt 3 ]; then sleep 10; fi
  done
  update_complete=no
  echo "setup-machine: apt-get update could not fetch every index; going on with those it has" >&2
}

# Without one architecture's index of updates, the amd64 and i386 halves of
# a library come at different versions, which multiarch refuses; the
# release's own suite holds both at the same version.
apt_install() {
  if $SUDO apt-get install -y -qq "$@" >/dev/null; then return 0; fi
  if [ "$update_complete" = yes ]; then return 1; fi
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "setup-machine: installing from $codename itself, as an index of its updates is missing" >&2
  $SUDO apt-get install -y -qq -t "$codename" "$@" >/dev/null
}

# binutils' as and ld build the probe; g++ brings them.
if ! command -v as >/dev/null || ! command -v ld >/dev/null; then
  apt_update
  apt_install binutils
fi
kernel32=$("$root/tools/probe-kernel32.sh")
mkdir -p "$build"
printf '%s\n' "$kernel32" >"$build/kernel32.txt"

if [ "$kernel32" = yes ]; then
  packages+=(wine32:i386)
else
  echo "setup-machine: the shipped 32-bit programs' scenarios will be skipped on this machine: ${kernel32#no: }"
  if installed wine32:i386; then
    echo "setup-machine: wine32:i386 is installed but cannot run here, and it stops the 64-bit wine as well; 'apt-get remove wine32:i386' mends that" >&2
  fi
fi

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$kernel32" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
apt_update
apt_install "${missing[@]}"
