#!/bin/bash
# Runs a 32-bit Windows console program under wine and exits with its status,
# in a wine prefix of its own (created on first use, under /tmp).
#   run-wine.sh PROGRAM ARGS...   runs it, then stops that prefix's wine server
#   run-wine.sh --prepare         only makes wine ready to run programs
#   run-wine.sh --stop            stops the prefix's wine server
# With QRV_WINE_SHARED=1 a run leaves the server up, so that several programs
# can run at once in one wine session (starting one is most of the cost where
# wine is emulated); --stop ends it.
# Where the kernel refuses 32-bit programs (some sandboxes do, and 32-bit wine
# is a 32-bit program), it registers qemu-i386 with binfmt_misc so that the
# kernel hands every 32-bit x86 program to it (needs root and qemu-user; the
# registration lasts until reboot), and runs wine through that. Exits 77
# without running the program where neither works.
set -u
export WINEPREFIX=${QRV_WINEPREFIX:-/tmp/quorvel-wine-$(id -u)}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

runs_32bit() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
  [ $? -ne 126 ]
}

# Lets the kernel run i386 ELF programs (static or dynamic) via qemu-i386.
# P keeps argv[0], which wine needs to find itself; F opens qemu-i386 now, so
# the entry works in any mount namespace.
register_qemu_i386() {
  local dir=/proc/sys/fs/binfmt_misc qemu
  qemu=$(command -v qemu-i386) || return 1
  [ "$(id -u)" -eq 0 ] || return 1
  [ -e $dir/register ] || mount -t binfmt_misc binfmt_misc $dir 2>/dev/null || return 1
  if [ -e $dir/qemu-i386 ]; then
    echo 1 > $dir/qemu-i386 2>/dev/null
    return 0
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$qemu:POCF" > $dir/register 2>/dev/null
}

# Under emulation, building a prefix takes longer than the five minutes wine
# waits for it, after which the first program fails to load kernel32.dll
# while the build goes on. So build the prefix first, starting a program that
# does nothing (not wineboot: a second wineboot starting its own services
# alongside the first once the wait is over can hang both), and wait for
# every wine process to end. A prefix whose build was cut short is rebuilt:
# wine writes its timestamp at the start of a build, so that alone does not
# mean done.
prepare_slow_prefix() {
  local ready=$WINEPREFIX/.quorvel-prefix-ready
  [ -e "$ready" ] && return 0
  echo "run-wine: building the wine prefix $WINEPREFIX under qemu-i386 (15-20 minutes)" >&2
  rm -f "$WINEPREFIX/.update-timestamp"
  # If the wine server goes away mid-build (say, something kills it), its
  # clients wait for it for ever; the time limit ends that.
  timeout 2400 sh -c 'wine cmd.exe /c exit; wineserver -w' >/dev/null 2>&1 || return 1
  [ -e "$WINEPREFIX/system.reg" ] || return 1
  touch "$ready"
}

if ! runs_32bit && { ! register_qemu_i386 || ! runs_32bit; }; then
  echo "SKIP: this machine cannot run 32-bit programs, so 32-bit wine cannot start here" >&2
  exit 77
fi
if [ "${1:-}" = --stop ]; then
  wineserver -k >/dev/null 2>&1 || true
  exit 0
fi
# 32-bit programs go through qemu-i386 here. (Where the kernel runs them
# itself, such an entry is never reached, and all it costs is building the
# prefix before the first run instead of during it.)
if grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
  if ! prepare_slow_prefix; then
    echo "run-wine: could not build the wine prefix $WINEPREFIX" >&2
    exit 1
  fi
elif [ "${1:-}" = --prepare ]; then
  wine cmd.exe /c exit >/dev/null 2>&1
  wineserver -w
fi
[ "${1:-}" = --prepare ] && exit 0
wine "$@"
status=$?
[ "${QRV_WINE_SHARED:-0}" = 1 ] || wineserver -k >/dev/null 2>&1 || true
exit $status
