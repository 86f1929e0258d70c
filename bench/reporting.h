// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>

#include <initializer_list>

namespace km::bench {

// A benchmark at each particle count, five repetitions, only their aggregates reported.
inline void atSizes(benchmark::internal::Benchmark* b, std::initializer_list<int> particles) {
  for (int n : particles)
    b->Arg(n);
  b->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

// Runs every benchmark of the program, reporting through `reporter`.
inline int runAll(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace km::bench
