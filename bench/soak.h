// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "bench_gas.h"

namespace km::bench {

// A disc may end a tick outside the box: a collision after its wall test can send it outward
// again. What the rules do guarantee is checked instead: at every wall test a disc beyond the
// wall line has its velocity component turned inward, and a disc that leaves the box comes
// back. A slow disc pushed far out takes long to return (about 100 ticks is the worst seen in
// 4 x 10^5 ticks of 500 particles); a disc outside for more than this many ticks in a row is
// taken as lost.
constexpr long maxTicksOutside = 1000;

// What a long run did to the gas.
struct SoakFigures {
  long ticks = 0;
  bool finite = true;
  float placedX = 0,
        placedY = 0;              // where particle 2 was placed: a different gas, a different place
  long wallTurns = 0;             // wall tests that found a disc beyond the wall line
  long turnedOutward = 0;         // of those, the ones that left a component pointing outward
  long lostTrack = 0;             // draws that did not show the expected particle
  long longestOutside = 0;        // most ticks in a row a centre spent outside the box
  double farthestOutside = 0;     // farthest a centre got outside the box, in user units
  double worstMomentumError = 0;  // relative change of momentum in a collision pass alone
  double energyRatio = 0;         // sum of m v^2 at the end over that at the start

  // Whether every guarantee held.
  bool holds() const {
    return finite && turnedOutward == 0 && lostTrack == 0 && longestOutside <= maxTicksOutside &&
           worstMomentumError < 1e-12 && energyRatio > 0.5 && energyRatio < 2.0;
  }
};

inline double totalEnergy(const State& s, int n) {
  double e = 0;
  for (int i = 1; i <= n; ++i)
    e += s.partMass(i).toDouble() *
         (std::pow(s.velX(i).toDouble(), 2) + std::pow(s.velY(i).toDouble(), 2));
  return e;
}

// Looks at each particle right after its wall test. The tick draws the 100 trail dots, then
// for each particle the erasing disc and the disc at its new place; that second draw comes
// after the wall test and before the particle's collisions.
class WallWatch : public DrawingSurface {
 public:
  WallWatch(const State& s, SoakFigures& f) : s_(s), f_(f) {}
  void startTick() { draws_ = 0; }
  void setBackColor(Color) override {}
  void setFillColor(Color) override {}
  void circle(float x, float y, float r) override { circle(x, y, r, 0); }
  void wallLine(float, float, float, Color) override {}
  void circle(float x, float y, float, Color) override {
    ++draws_;
    if (draws_ <= 100 || draws_ % 2 != 0) return;
    const int i = (draws_ - 100) / 2;
    if (x != s_.posX(i).toSingle() || y != s_.posY(i).toSingle()) {
      ++f_.lostTrack;
      return;
    }
    const double limit = 500 - s_.partRadius(i).toDouble();
    check(s_.posX(i).toDouble(), s_.velX(i).toDouble(), limit);
    check(s_.posY(i).toDouble(), s_.velY(i).toDouble(), limit);
  }

 private:
  void check(double p, double v, double limit) {
    if (!(std::fabs(p - 500) > limit)) return;
    ++f_.wallTurns;
    if (p < 500 ? v < 0 : v > 0) ++f_.turnedOutward;
  }

  const State& s_;
  SoakFigures& f_;
  int draws_ = 0;
};

// Steps a gas of n particles (start-up species scaled to n, proximity 24) for `ticks` ticks.
// The seed picks the time of day that start-up seeds the generator from. Every `probeEvery`
// ticks it copies the state and runs the collision test for every particle on the copy alone,
// without moves or walls: the momentum must come out unchanged.
inline SoakFigures soak(int n, long ticks, std::uint32_t seed, long probeEvery) {
  SeededGenerator rnd;
  FixedClock clock;
  clock.seconds += seed;
  NullSurface surface;
  NullDisplay display;
  Simulation sim(rnd, clock);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.SetUpSpecies(scaledDefaults(n));
  sim.PlaceParticles(surface);
  const State& s = sim.state();
  SoakFigures f;
  f.placedX = s.posX(2).toSingle();
  f.placedY = s.posY(2).toSingle();
  WallWatch watch(s, f);
  std::vector<long> outside(static_cast<std::size_t>(n) + 1, 0);
  const double e0 = totalEnergy(s, n);
  for (long t = 1; t <= ticks; ++t) {
    watch.startTick();
    sim.Timer1_Timer(watch, display);
    f.ticks = t;
    for (int i = 1; i <= n; ++i) {
      const double x = s.posX(i).toDouble(), y = s.posY(i).toDouble();
      const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
      if (!std::isfinite(x + y + vx + vy)) return f.finite = false, f;
      const double out = std::max({-x, x - 1000, -y, y - 1000});
      long& streak = outside[static_cast<std::size_t>(i)];
      streak = out > 0 ? streak + 1 : 0;
      f.longestOutside = std::max(f.longestOutside, streak);
      f.farthestOutside = std::max(f.farthestOutside, out);
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
