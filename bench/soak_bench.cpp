// SPDX-License-Identifier: GPL-3.0-or-later
// The long soak: 10^5 ticks per seed at 500 particles and at the start-up 43, four seeds each.
// Exits with 1 when any check fails.
#include <chrono>
#include <cstdio>
#include <set>
#include <utility>

#include "soak.h"

int main() {
  bool held = true;
  std::printf("%-9s %4s %7s %6s %10s %8s %8s %10s %9s %9s %7s %7s\n", "particles", "seed", "ticks",
              "finite", "wall turns", "outward", "lost", "most out", "farthest", "momentum",
              "energy", "seconds");
  for (int n : {500, 43}) {
    std::set<std::pair<float, float>> places;
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
      auto t0 = std::chrono::steady_clock::now();
      km::bench::SoakFigures f = km::bench::soak(n, 100000, seed, 1000);
      double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      std::printf("%-9d %4u %7ld %6s %10ld %8ld %8ld %10ld %9.2f %9.2g %7.4f %7.1f%s\n", n, seed,
                  f.ticks, f.finite ? "yes" : "NO", f.wallTurns, f.turnedOutward, f.lostTrack,
                  f.longestOutside, f.farthestOutside, f.worstMomentumError, f.energyRatio, seconds,
                  f.holds() ? "" : "  FAILED");
      held = held && f.holds();
      places.insert({f.placedX, f.placedY});
    }
    if (places.size() != 4) {
      std::printf(
          "FAILED: two seeds placed particle 2 at the same point, so they ran the same gas\n");
      held = false;
    }
  }
  std::printf(
      "checks (a row fails when one does not hold):\n"
      "  finite: every position and velocity stays a finite number\n"
      "  outward: wall tests that left a disc beyond the wall line moving outward (must be 0)\n"
      "  lost: draws that did not show the particle the tick was at (must be 0)\n"
      "  most out: most ticks in a row a centre stayed outside the box (at most %ld)\n"
      "  momentum: relative change of total momentum in a collision pass alone (below 1e-12)\n"
      "  energy: sum of m v^2 at the end over the start (between 0.5 and 2)\n"
      "  the four seeds of each size place particle 2 at four different points\n"
      "figures: wall turns (wall tests that found a disc beyond the wall line); farthest (user\n"
      "  units a centre got outside the box: a collision after the wall test can send a disc\n"
      "  outward, and no rule bounds this distance)\n",
      km::bench::maxTicksOutside);
  std::printf("%s\n", held ? "all checks hold" : "FAILED: a check did not hold");
  return held ? 0 : 1;
}
