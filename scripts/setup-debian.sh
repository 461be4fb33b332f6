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
