#!/bin/sh
# Installs everything the build, the tests, the demo and the benchmarks need on
# a fresh Debian machine. Skips apt-get when every package is already present.
set -e
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# Installs those of its arguments that are not installed yet.
install_missing() {
  missing=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -n "$missing" ] || return 0
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

PACKAGES="cmake ninja-build g++ g++-multilib g++-mingw-w64-i686 binutils-mingw-w64-i686 pkg-config \
libgtest-dev googletest libbenchmark-dev libpixman-1-dev libsdl2-dev libcairo2-dev zlib1g-dev libpng-dev"
PACKAGES="$PACKAGES libsdl2-ttf-dev libfreetype-dev fonts-dejavu-core python3"
# The viewer's test runs under a virtual X server.
PACKAGES="$PACKAGES xvfb xauth"
# Fuzzing, the aarch64 build (run under qemu-user) and the memcheck run. Debian's
# aarch64 cross g++ cannot be installed beside g++-multilib (the i686 build
# needs that), so clang builds for aarch64 against the cross C++ library.
PACKAGES="$PACKAGES clang-14 libclang-rt-14-dev libstdc++-12-dev-arm64-cross binutils-aarch64-linux-gnu \
qemu-user valgrind"
install_missing $PACKAGES

# Wine runs the Windows DLL test; its 32-bit half needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi
install_missing wine wine32:i386 wine64
