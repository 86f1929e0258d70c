// SPDX-License-Identifier: GPL-3.0-or-later
// What measuring costs: each tick of the engine is timed, then the laboratory's reading of it,
// alternately in one loop, so that both meet the same machine load.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>

#include "bench_gas.h"
#include "laboratory.h"
#include "reporting.h"

namespace km::bench {
namespace {

void tickThenLab(benchmark::State& st) {
  SeededGenerator rnd;
  FixedClock clock;
  NullSurface surface;
  NullDisplay display;
  Simulation sim{rnd, clock};
  startGas(sim, static_cast<int>(st.range(0)), surface);
  lab::Laboratory lab(sim);
  lab.runStarted({0, 0});
  using Clock = std::chrono::steady_clock;
  Clock::duration engine{}, measuring{};
  for (auto _ : st) {
    const auto t0 = Clock::now();
    sim.Timer1_Timer(surface, display);
    const auto t1 = Clock::now();
    lab.afterTick();
    const auto t2 = Clock::now();
    engine += t1 - t0;
    measuring += t2 - t1;
  }
  const double ticks = static_cast<double>(st.iterations());
  st.counters["tick_us"] = std::chrono::duration<double, std::micro>(engine).count() / ticks;
  st.counters["lab_us"] = std::chrono::duration<double, std::micro>(measuring).count() / ticks;
}

BENCHMARK(tickThenLab)->Apply([](auto* b) { atSizes(b, {43, 500}); });

// The table as usual, then the laboratory's time over the engine's, medians per size.
class RatioReporter : public PlainConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    PlainConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.aggregate_name == "median")
        figures_[std::atoi(r.run_name.args.c_str())] = {r.counters.at("tick_us"),
                                                        r.counters.at("lab_us")};
  }
  void Finalize() override {
    PlainConsoleReporter::Finalize();
    std::printf("\n%-10s %12s %12s %12s\n", "particles", "tick (us)", "lab (us)", "lab / tick");
    for (const auto& [n, f] : figures_)
      std::printf("%-10d %12.1f %12.2f %11.1f%%\n", n, f.first, f.second, 100 * f.second / f.first);
  }

 private:
  std::map<int, std::pair<double, double>> figures_;
};

}  // namespace
}  // namespace km::bench

int main(int argc, char** argv) {
  km::bench::RatioReporter reporter;
  return km::bench::runAll(argc, argv, reporter);
}
