#!/bin/sh
# Installs everything the build, the tests, the demo and the benchmarks need on
# a fresh Debian machine. Skips apt-get when every package is already present.
set -e
PACKAGES="cmake ninja-build g++ g++-multilib g++-mingw-w64-i686 binutils-mingw-w64-i686 \
libgtest-dev googletest libbenchmark-dev libpixman-1-dev libsdl2-dev libcairo2-dev zlib1g-dev"
PACKAGES="$PACKAGES libsdl2-ttf-dev libfreetype-dev fonts-dejavu-core"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

# Wine runs the Windows DLL test; its 32-bit half needs the i386 architecture.
# qemu-user runs the i686 programs where the kernel refuses 32-bit binaries.
WINE_PACKAGES="wine wine32:i386 wine64 qemu-user"
missing=""
for p in $WINE_PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi
