// SPDX-License-Identifier: GPL-3.0-or-later
// The native side of the browser benchmark: microseconds per drawn tick of the run that the
// page times in the browser (web/tick_timing.h). Arguments: particles, then "exact" for the exact
// rule. Prints one number.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tick_timing.h"

namespace {

double nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int particles = argc > 1 ? std::atoi(argv[1]) : 500;
  const bool exact = argc > 2 && std::strcmp(argv[2], "exact") == 0;
  std::printf("%.2f\n",
              km::medianTickMicroseconds(
                  particles, exact ? km::CollisionRule::Exact : km::CollisionRule::Specified, 400,
                  7, nowMs));
  return 0;
}
