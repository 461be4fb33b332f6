#!/bin/bash
# Draws the reference scene with the x86-64 and i686 Linux builds and with
# quorvel.dll under wine, in both kernel sets, and checks that every build
# gives the same hash for every (format, MMX state, kernel set). Expects the
# release, x86 and win32 presets to be built.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
skipped=0
for kernels in sse2 scalar; do
  export QUORVEL_SIMD=$kernels
  build/release/tests/dll/reference_scene > "$out/x86-64.$kernels" || status=1
  scripts/run-i686.sh build/x86/tests/dll/reference_scene > "$out/i686.$kernels" || status=1
  set +e
  bash scripts/run-wine.sh build/win32/tests/dll/quorvel_dll_test.exe build/win32/quorvel.dll > "$out/dll.$kernels"
  wine_status=$?
  set -e
  if [ $wine_status -eq 77 ]; then
    echo "SKIPPED the DLL under wine: this machine cannot run 32-bit programs (x86-64 and i686 compared only)"
    cp "$out/i686.$kernels" "$out/dll.$kernels"
    skipped=1
  elif [ $wine_status -ne 0 ]; then
    status=1
  fi
  grep -h FAIL "$out/x86-64.$kernels" "$out/i686.$kernels" "$out/dll.$kernels" || true
  for build in i686 dll; do
    if ! diff <(grep '^format' "$out/x86-64.$kernels") <(grep '^format' "$out/$build.$kernels") >/dev/null; then
      echo "FAIL $build hashes differ from x86-64 with kernel set $kernels:"
      diff <(grep '^format' "$out/x86-64.$kernels") <(grep '^format' "$out/$build.$kernels") || true
      status=1
    fi
  done
  [ "$(grep -c '^format' "$out/dll.$kernels")" -eq 10 ] || { echo "FAIL the DLL test drew no scene"; status=1; }
done
echo "reference scene (x86-64, kernel set sse2):"
sed 's/^/  /' "$out/x86-64.sse2"
{ grep -h '^exports\|^not called' "$out/dll.sse2" || true; } | sed 's/^/  dll: /'
if [ $status -ne 0 ]; then
  echo "reference scene check FAILED"
elif [ $skipped -eq 1 ]; then
  echo "reference scene: x86-64 and i686 agree in both kernel sets; the DLL was NOT run (no 32-bit support here)"
else
  echo "reference scene: x86-64, i686 and the DLL under wine agree in both kernel sets"
fi
exit $status
