#pragma once

#include <algorithm>
#include <cmath>

#include "bench_gas.h"

namespace km::bench {

// What a long run did to the gas.
struct SoakFigures {
  long ticks = 0;
  bool finite = true;
  double worstExcursion = -1e300;  // how far a centre got beyond a wall, less its speed and radius
  double worstMomentumError = 0;   // relative change of momentum in a collision pass alone
  double energyRatio = 0;          // sum of m v^2 at the end over that at the start
};

inline double totalEnergy(const State& s, int n) {
  double e = 0;
  for (int i = 1; i <= n; ++i)
    e += s.partMass(i).toDouble() *
         (std::pow(s.velX(i).toDouble(), 2) + std::pow(s.velY(i).toDouble(), 2));
  return e;
}

// Steps a gas of n particles (start-up species scaled to n, proximity 24) for `ticks` ticks.
// Every `probeEvery` ticks it copies the state and runs the collision test for every particle
// on the copy alone, without moves or walls: the momentum must come out unchanged.
inline SoakFigures soak(int n, long ticks, std::uint32_t seed, long probeEvery) {
  SeededGenerator rnd(seed);
  FixedClock clock;
  NullSurface surface;
  NullDisplay display;
  Simulation sim(rnd, clock);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.SetUpSpecies(scaledDefaults(n));
  sim.PlaceParticles(surface);
  const State& s = sim.state();
  SoakFigures f;
  const double e0 = totalEnergy(s, n);
  for (long t = 1; t <= ticks; ++t) {
    sim.Timer1_Timer(surface, display);
    f.ticks = t;
    for (int i = 1; i <= n; ++i) {
      const double x = s.posX(i).toDouble(), y = s.posY(i).toDouble();
      const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
      if (!std::isfinite(x + y + vx + vy)) return f.finite = false, f;
      const double outside = std::max({-x, x - 1000, -y, y - 1000});
      f.worstExcursion =
          std::max(f.worstExcursion, outside - std::hypot(vx, vy) - s.partRadius(i).toDouble());
    }
    if (t % probeEvery != 0) continue;
    Simulation copy(rnd, clock);
    copy.state() = s;
    State& c = copy.state();
    double px = 0, py = 0, scale = 0;
    for (int i = 1; i <= n; ++i) {
      const double m = c.partMass(i).toDouble();
      px += m * c.velX(i).toDouble();
      py += m * c.velY(i).toDouble();
      scale += m * std::hypot(c.velX(i).toDouble(), c.velY(i).toDouble());
    }
    for (int i = 1; i <= n; ++i)
      copy.CheckCollisions(i);
    double qx = 0, qy = 0;
    for (int i = 1; i <= n; ++i) {
      const double m = c.partMass(i).toDouble();
      qx += m * c.velX(i).toDouble();
      qy += m * c.velY(i).toDouble();
    }
    f.worstMomentumError = std::max(f.worstMomentumError, std::hypot(qx - px, qy - py) / scale);
  }
  f.energyRatio = totalEnergy(s, n) / e0;
  return f;
}

}  // namespace km::bench
