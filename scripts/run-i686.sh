#!/bin/sh
# Runs an i686 Linux program: directly where the kernel runs 32-bit programs,
# under qemu-i386 where it refuses them (some sandboxes do).
if [ -z "${QRV_I686_VIA_QEMU:-}" ]; then
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
  [ $? -ne 126 ] && exec "$@"
fi
exec qemu-i386 "$@"
