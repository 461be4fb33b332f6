#!/bin/bash
# The memory-bound rates (fills, copies, colour-key copies, alpha blits,
# conversions) of the three builds: x86-64 Linux, i686 Linux and quorvel.dll
# under wine, each beside memset and memcpy in its own process, in one table
# with the x86-64 limits beside them. Writes out/rates.md. Where the kernel
# refuses 32-bit programs, the i686 and wine runs go through qemu-i386 and
# their rates say nothing about the builds.
set -euo pipefail
cd "$(dirname "$0")/.."

sh scripts/setup-debian.sh
for preset in release x86 win32; do
    cmake --preset "$preset" -DQRV_BUILD_RATES=ON >/dev/null
    cmake --build --preset "$preset" -j2 --target quorvel_rates >/dev/null
done
mkdir -p out
build/release/quorvel_rates x86-64 >out/rates-x86-64.md
sh scripts/run-i686.sh build/x86/quorvel_rates i686 >out/rates-i686.md
bash scripts/run-wine.sh build/win32/quorvel_rates.exe dll >out/rates-dll.md

python3 - out/rates-x86-64.md out/rates-i686.md out/rates-dll.md >out/rates.md <<'PY'
import sys

def rows(path):
    out = {}
    for line in open(path):
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) == 5 and cells[2].endswith("Mpix/s"):
            out[(cells[0], cells[1])] = (float(cells[2].split()[0]), cells[3])
    return out

builds = [rows(p) for p in sys.argv[1:]]
print("| operation | size | x86-64 Mpix/s | i686 | DLL (wine) | x86-64 limit | x86-64 / i686 / DLL over the x86-64 limit |")
print("|---|---|---:|---:|---:|---:|---|")
for key, (rate, limit) in builds[0].items():
    limit_rate = float(limit.split()[0])
    rates = [b[key][0] for b in builds]
    ratios = " / ".join(f"{r / limit_rate:.2f}" for r in rates)
    print(f"| {key[0]} | {key[1]} | {rates[0]:,.0f} | {rates[1]:,.0f} | {rates[2]:,.0f} | {limit} | {ratios} |")
PY
cat out/rates.md
