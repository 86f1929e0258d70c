// SPDX-License-Identifier: GPL-3.0-or-later
// The sweep on one thread against the sweep on every core, in the same run: the same rows, and
// how much sooner they come.
#include <chrono>
#include <cstdio>
#include <thread>

#include "sweep.h"
#include "sweep_table.h"

int main() {
  km::lab::SweepSettings s;
  s.discs = 200;
  s.etas = {0.1, 0.3, 0.5, 0.65};
  s.seeds = {1, 2};
  s.warmup = 2000;
  s.ticks = 10000;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  auto timed = [&](int jobs, std::string& csv) {
    s.jobs = jobs;
    const auto t0 = std::chrono::steady_clock::now();
    csv = km::lab::sweepCsv(km::lab::runSweep(s));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  };
  std::string one, all;
  const double serial = timed(1, one);
  const double parallel = timed(cores, all);
  std::printf("sweep of %d discs, %zu packing fractions x %zu seeds, %ld ticks each\n", s.discs,
              s.etas.size(), s.seeds.size(), s.warmup + s.ticks);
  std::printf("%-24s %10s\n", "", "seconds");
  std::printf("%-24s %10.2f\n", "one thread", serial);
  std::printf("%-24s %10.2f\n", (std::to_string(cores) + " threads (one a core)").c_str(),
              parallel);
  std::printf("speed-up %.2fx on %d cores; rows %s\n", serial / parallel, cores,
              one == all ? "identical" : "DIFFER");
  return one == all ? 0 : 1;
}
