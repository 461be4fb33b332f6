// Entry point of the benchmark program; the operations live in the other files.
#include <benchmark/benchmark.h>

#include "bench_common.h"
#include "quorvel.h"

int main(int argc, char** argv) {
    QRV_Init_Lib();
    qrvbench::BestKernelSet();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
