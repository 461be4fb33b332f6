#!/bin/bash
# Builds the benchmark preset, runs the side-by-side suite and prints one
# Markdown table (quorvel, the fastest peer, the ratios to it and to the memory
# limit). Writes out/bench.json, out/bench.md and the chart out/bench.png.
#
#   bash scripts/bench.sh            quick: a fifth of the run time, no scalar kernel set (a few minutes)
#   bash scripts/bench.sh --full     full run time, three repetitions interleaved at random, medians
# Other arguments go to the benchmark program, e.g. --benchmark_filter='^fill/add'.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=quick
args=()
for a in "$@"; do
    if [ "$a" = "--full" ]; then mode=full; else args+=("$a"); fi
done

sh scripts/setup-debian.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target quorvel_bench quorvel_bench_chart >/dev/null
mkdir -p out

if [ "$mode" = quick ]; then
    export QRV_BENCH_TIME=${QRV_BENCH_TIME:-0.2}
    run=(--benchmark_filter='-quorvel-scalar')
else
    export QRV_BENCH_TIME=${QRV_BENCH_TIME:-1}
    run=(--benchmark_repetitions=3 --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true)
fi
cpu=$(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -n1)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
./build/bench/bench/quorvel_bench "${run[@]}" ${args[@]+"${args[@]}"} \
    --benchmark_out=out/bench.json --benchmark_out_format=json >/dev/null
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

{
    echo "Measured $(date -u +%Y-%m-%d) ($mode mode) on $cpu, $(nproc) cores, x86-64 build;"
    echo "load average $load_before before and $load_after after the run."
    echo
} >out/bench.md
python3 scripts/bench_report.py out/bench.json --csv out/bench.csv >>out/bench.md
./build/bench/tools/bench-chart/quorvel_bench_chart out/bench.csv out/bench.png
cat out/bench.md
echo "chart: out/bench.png"
