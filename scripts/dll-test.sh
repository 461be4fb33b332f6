#!/bin/bash
# Draws the reference scene with the x86-64, i686 and aarch64 Linux builds and
# with quorvel.dll under wine, in every kernel set, and checks that every build
# gives the same hash for every (format, MMX state, kernel set) it can draw.
# Expects the release, x86, aarch64 and win32 presets to be built.
# Exit status: 0 all agree; 1 the Linux builds fail or disagree; 3 the DLL
# test ran and failed or disagreed; 4 the Linux builds agree but the DLL test
# could not be run here (no 32-bit support, or wine would not start).
set -uo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
linux=0
dll=0
skipped=0
hashes() { grep '^format' "$1" || true; }
kernel_sets="avx2 sse2 scalar"
for kernels in $kernel_sets; do
  export QUORVEL_SIMD=$kernels
  build/release/tests/dll/reference_scene > "$out/x86-64.$kernels" || linux=1
  scripts/run-i686.sh build/x86/tests/dll/reference_scene > "$out/i686.$kernels" || linux=1
  if ! diff <(hashes "$out/x86-64.$kernels") <(hashes "$out/i686.$kernels") >/dev/null; then
    echo "FAIL i686 hashes differ from x86-64 with kernel set $kernels:"
    diff <(hashes "$out/x86-64.$kernels") <(hashes "$out/i686.$kernels")
    linux=1
  fi
  [ "$(hashes "$out/x86-64.$kernels" | wc -l)" -eq 10 ] || { echo "FAIL the x86-64 scene drew nothing"; linux=1; }
done

# The aarch64 build has the scalar kernel set only, and no MMX: the library
# refuses MMX state 1 on a processor without it, so its MMX 0 rows are the
# ones to compare.
mmx0() { grep '^format [0-9] mmx 0 ' "$1" | sed 's/ kernels [a-z0-9]*//' || true; }
QUORVEL_SIMD=scalar qemu-aarch64 -L /usr/aarch64-linux-gnu build/aarch64/tests/dll/reference_scene \
  > "$out/aarch64.scalar" || linux=1
if ! diff <(mmx0 "$out/x86-64.scalar") <(mmx0 "$out/aarch64.scalar") >/dev/null || \
   [ "$(mmx0 "$out/aarch64.scalar" | wc -l)" -ne 5 ]; then
  echo "FAIL aarch64 hashes (MMX state 0) differ from x86-64's scalar ones:"
  diff <(mmx0 "$out/x86-64.scalar") <(mmx0 "$out/aarch64.scalar")
  linux=1
fi

# The DLL draws the scene in every kernel set at once, in one wine session.
bash scripts/run-wine.sh --prepare
prepare_status=$?
declare -A pid wine_status
if [ $prepare_status -eq 0 ]; then
  for kernels in $kernel_sets; do
    QUORVEL_SIMD=$kernels QRV_WINE_SHARED=1 bash scripts/run-wine.sh build/win32/tests/dll/quorvel_dll_test.exe \
      build/win32/quorvel.dll > "$out/dll.$kernels" &
    pid[$kernels]=$!
  done
  for kernels in $kernel_sets; do
    wait "${pid[$kernels]}"
    wine_status[$kernels]=$?
  done
  bash scripts/run-wine.sh --stop
fi
for kernels in $kernel_sets; do
  if [ $prepare_status -eq 77 ]; then
    echo "SKIPPED the DLL under wine with kernel set $kernels: this machine cannot run 32-bit programs"
    skipped=1
    continue
  elif [ $prepare_status -ne 0 ] || [ ! -s "$out/dll.$kernels" ]; then
    # The program prints before it does anything else, so no output at all
    # means that wine itself did not start it.
    echo "SKIPPED the DLL under wine with kernel set $kernels: wine did not start (status ${wine_status[$kernels]:-$prepare_status})"
    skipped=1
    continue
  fi
  sed -i 's/\r$//' "$out/dll.$kernels"  # the Windows program ends its lines with CR LF
  if [ "${wine_status[$kernels]}" -ne 0 ]; then
    echo "FAIL the DLL test exited with status ${wine_status[$kernels]} with kernel set $kernels; its last lines:"
    tail -25 "$out/dll.$kernels"
    dll=1
  fi
  if ! diff <(hashes "$out/x86-64.$kernels") <(hashes "$out/dll.$kernels") >/dev/null; then
    echo "FAIL DLL hashes differ from x86-64 with kernel set $kernels:"
    diff <(hashes "$out/x86-64.$kernels") <(hashes "$out/dll.$kernels")
    dll=1
  fi
done
grep -h FAIL "$out"/* 2>/dev/null
echo "reference scene (x86-64, kernel set sse2):"
sed 's/^/  /' "$out/x86-64.sse2"
{ grep -h '^QRV_Init\|^exports\|^not called' "$out/dll.sse2" || true; } | sed 's/^/  dll: /'
if [ $linux -ne 0 ]; then
  echo "reference scene check FAILED (Linux builds)"
  exit 1
elif [ $dll -ne 0 ]; then
  echo "reference scene: x86-64, i686 and aarch64 agree; the DLL under wine FAILED"
  exit 3
elif [ $skipped -eq 1 ]; then
  echo "reference scene: x86-64 and i686 agree in every kernel set, aarch64 in the scalar set; the DLL was NOT run here"
  exit 4
else
  echo "reference scene: x86-64, i686 and the DLL under wine agree in every kernel set, aarch64 in the scalar set"
fi
