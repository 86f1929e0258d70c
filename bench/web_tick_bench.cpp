// SPDX-License-Identifier: GPL-3.0-or-later
// The native side of the browser benchmark: microseconds per drawn tick of the run that the
// page times in the browser (web/tick_timing.h). Prints one number.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tick_timing.h"

namespace {

double nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int particles = argc > 1 ? std::atoi(argv[1]) : 500;
  std::printf("%.2f\n", km::medianTickMicroseconds(particles, 400, 7, nowMs));
  return 0;
}
