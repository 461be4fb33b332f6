#!/bin/bash
# Builds the benchmark program and runs it, then prints one table per
# operation: megapixels per second of each implementation and the ratio of
# quorvel to each of them. Extra arguments go to the benchmark program, e.g.
#   bash scripts/bench.sh --benchmark_filter='fill/add'
set -euo pipefail
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
mkdir -p out
./build/bench/bench/quorvel_bench --benchmark_out=out/bench.json --benchmark_out_format=json "$@" >/dev/null
python3 scripts/bench_report.py out/bench.json
