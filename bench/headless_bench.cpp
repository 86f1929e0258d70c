// SPDX-License-Identifier: GPL-3.0-or-later
// The C++ half of the Python module's benchmark: seconds for `ticks` ticks of a headless gas of
// `discs` discs of mass 1 (the window's radius and proximity), the laboratory reading each.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "headless_run.h"

int main(int argc, char** argv) {
  const long ticks = argc > 1 ? std::atol(argv[1]) : 10000;
  const std::string discs = argc > 2 ? argv[2] : "500";
  km::lab::GasSetup setup;
  setup.rows = {{discs, "0", "0", "0"}, {"1", "1", "1", "1"}};
  setup.ticks = 0;
  km::lab::HeadlessGas gas(setup);
  const auto t0 = std::chrono::steady_clock::now();
  for (long t = 0; t < ticks; ++t)
    gas.step();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%.6f %.17g\n", seconds, gas.laboratory().totalEnergy());
  return 0;
}
