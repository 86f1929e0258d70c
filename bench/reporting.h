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

// The console table without colour codes: --benchmark_color reaches only the reporter the
// library makes itself, not one passed in, and these tables are read from logs and pipes.
class PlainConsoleReporter : public benchmark::ConsoleReporter {
 public:
  PlainConsoleReporter() : ConsoleReporter(OO_Tabular) {}
};

// Runs every benchmark of the program, reporting through `reporter`.
inline int runAll(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace km::bench
