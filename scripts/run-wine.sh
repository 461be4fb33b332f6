#!/bin/bash
# Runs a 32-bit Windows console program under wine and exits with its status,
# in a wine prefix of its own (created on first use, under /tmp).
# Exits 77 without running it where this machine cannot run 32-bit programs
# at all (some sandboxes refuse them, and 32-bit wine is a 32-bit program).
set -u
export WINEPREFIX=${QRV_WINEPREFIX:-/tmp/quorvel-wine-$(id -u)}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
/lib/ld-linux.so.2 --version >/dev/null 2>&1
if [ $? -eq 126 ]; then
  echo "SKIP: this machine cannot run 32-bit programs, so 32-bit wine cannot start here" >&2
  exit 77
fi
wine "$@"
status=$?
wineserver -k >/dev/null 2>&1 || true
exit $status
