// The long soak: 10^5 ticks per seed at 500 particles and at the start-up 43.
#include <chrono>
#include <cstdio>

#include "soak.h"

int main() {
  std::printf("%-10s %6s %8s %8s %12s %16s %10s %8s\n", "particles", "seed", "ticks", "finite",
              "excursion", "momentum error", "energy", "seconds");
  for (int n : {500, 43})
    for (std::uint32_t seed : {1u, 2u, 3u}) {
      auto t0 = std::chrono::steady_clock::now();
      km::bench::SoakFigures f = km::bench::soak(n, 100000, seed, 1000);
      double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      std::printf("%-10d %6u %8ld %8s %12.3g %16.3g %10.4f %8.1f\n", n, seed, f.ticks,
                  f.finite ? "yes" : "NO", f.worstExcursion, f.worstMomentumError, f.energyRatio,
                  seconds);
    }
  std::printf(
      "excursion: farthest a centre got beyond a wall, less its speed and radius (<= 0 holds)\n");
  std::printf("momentum error: relative change of total momentum in a collision pass alone\n");
  std::printf("energy: sum of m v^2 at the end over the start\n");
}
