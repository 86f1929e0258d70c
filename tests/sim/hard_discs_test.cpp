// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench_gas.h"
#include "fakes.h"

namespace km {
namespace {

using test::Rig;

struct Turn {
  int i;
  Axis axis;
  double at, before, after;
};

// Everything a tick reports, in order, with the momentum the walls gave.
struct Log : GasObserver {
  const State* s = nullptr;
  std::vector<Turn> turns;
  std::vector<std::pair<int, int>> exchanges;
  double wallPx = 0, wallPy = 0;
  void wallTurn(int i, Axis axis, double at, double before, double after) override {
    turns.push_back({i, axis, at, before, after});
    if (s) (axis == Axis::X ? wallPx : wallPy) += s->partMass(i).toDouble() * (after - before);
  }
  void pairExchange(int i, int j) override { exchanges.emplace_back(i, j); }
};

// Hand-placed discs of radius 12, proximity 24, under the exact rule.
struct Exact : Rig {
  Log log;
  explicit Exact(int n) {
    place(n);
    sim.setCollisionRule(CollisionRule::Exact);
    // Done now, before the discs are put in place, so that the first tick takes them as they are.
    sim.separateOverlaps();
    sim.setObserver(&log);
  }
  void disc(int i, double x, double y, double vx, double vy, double mass = 4) {
    s.posX(i) = x;
    s.posY(i) = y;
    s.velX(i) = vx;
    s.velY(i) = vy;
    s.partMass(i) = mass;
  }
  void tick() { sim.Timer1_Timer(surface, display); }
  void expectDisc(int i, double x, double y, double vx, double vy) const {
    EXPECT_NEAR(s.posX(i).doubleValue(), x, 1e-12) << "x of " << i;
    EXPECT_NEAR(s.posY(i).doubleValue(), y, 1e-12) << "y of " << i;
    EXPECT_NEAR(s.velX(i).doubleValue(), vx, 1e-12) << "vx of " << i;
    EXPECT_NEAR(s.velY(i).doubleValue(), vy, 1e-12) << "vy of " << i;
  }
};

TEST(ExactRule, PairsMeetAtTheProximityAndLeaveAsWorkedOutByHand) {
  {
    // Head on, 30 apart, closing at 10 per tick: they touch (24 apart) at t = 0.6, at 403 and
    // 427, swap velocities and spend the remaining 0.4 moving apart.
    Exact e(2);
    e.disc(1, 400, 500, 5, 0);
    e.disc(2, 430, 500, -5, 0);
    e.surface.calls.clear();
    e.tick();
    e.expectDisc(1, 401, 500, -5, 0);
    e.expectDisc(2, 429, 500, 5, 0);
    EXPECT_EQ(e.log.exchanges, (std::vector<std::pair<int, int>>{{1, 2}}));
    // Each disc is erased where it stood and drawn where it ended, as under the other rule.
    ASSERT_EQ(e.surface.calls.size(), 200u + 2 * 4);
    EXPECT_EQ(e.surface.calls[201], "circle 400 500 12 0");
    EXPECT_EQ(e.surface.calls[203], "circle 401 500 12 16711680");
  }
  {
    // Masses 1 and 3: v1' = ((1 - 3) 5 + 2 * 3 (-5)) / 4 = -10, v2' = ((3 - 1)(-5) + 2 * 5) / 4 =
    // 0.
    Exact e(2);
    e.disc(1, 400, 500, 5, 0, 1);
    e.disc(2, 430, 500, -5, 0, 3);
    e.tick();
    e.expectDisc(1, 399, 500, -10, 0);
    e.expectDisc(2, 427, 500, 0, 0);
  }
  {
    // Glancing: at t = 0.5 the centres are (19.2, 14.4) apart, 24 exactly, so the line of
    // centres is n = (0.8, 0.6). Equal masses exchange the normal components: 8 n = (6.4, 4.8)
    // passes from disc 1 to disc 2.
    Exact e(2);
    e.disc(1, 400, 500, 10, 0);
    e.disc(2, 424.2, 514.4, 0, 0);
    e.tick();
    e.expectDisc(1, 406.8, 497.6, 3.6, -4.8);
    e.expectDisc(2, 427.4, 516.8, 6.4, 4.8);
  }
  {
    // Overlapping but separating: left alone.
    Exact e(2);
    e.disc(1, 400, 500, -1, 0);
    e.disc(2, 410, 500, 1, 0);
    e.tick();
    e.expectDisc(1, 399, 500, -1, 0);
    EXPECT_TRUE(e.log.exchanges.empty());
  }
}

TEST(ExactRule, ADiscTurnsAtExactlyItsRadius) {
  Exact e(2);
  e.disc(1, 15, 300, -6, 0);
  e.disc(2, 700, 975, 0, 10);
  e.s.partRadius(2) = Cell::text("20");
  e.log.s = &e.s;
  e.tick();
  ASSERT_EQ(e.log.turns.size(), 2u);
  // Disc 1 (radius 12) touches the left wall at t = 0.5, disc 2 (radius 20) the bottom at 0.5.
  EXPECT_EQ(e.log.turns[0].i, 1);
  EXPECT_EQ(e.log.turns[0].axis, Axis::X);
  EXPECT_EQ(e.log.turns[0].at, 12);
  EXPECT_EQ(e.log.turns[0].after, 6);
  EXPECT_EQ(e.log.turns[1].i, 2);
  EXPECT_EQ(e.log.turns[1].axis, Axis::Y);
  EXPECT_EQ(e.log.turns[1].at, 980);
  e.expectDisc(1, 15, 300, 6, 0);
  e.expectDisc(2, 700, 975, 0, -10);
}

TEST(ExactRule, AChainWithinOneTickIsHandledInTimeOrder) {
  // Disc 3 runs into disc 2 at t = 0.6; disc 2 takes its velocity and runs into disc 1 at 0.9,
  // which takes it on: 3 and 2 end at rest where they touched the next one.
  Exact e(3);
  e.disc(3, 400, 500, 10, 0);
  e.disc(2, 430, 500, 0, 0);
  e.disc(1, 457, 500, 0, 0);
  e.tick();
  EXPECT_EQ(e.log.exchanges, (std::vector<std::pair<int, int>>{{2, 3}, {1, 2}}));
  e.expectDisc(3, 406, 500, 0, 0);
  e.expectDisc(2, 433, 500, 0, 0);
  e.expectDisc(1, 458, 500, 10, 0);
}

TEST(ExactRule, ADiscSpedUpByAContactIsFoundByDiscsThatTurnLater) {
  // Heavy disc 1 (speed 30, the fastest at the start) knocks disc 2 to twice that at t = 1/30.
  // Disc 3 turns at the top wall at t = 0.5 and then runs into disc 2's new path, at a place
  // disc 2 could not have reached at the starting top speed: disc 3 finds it only because
  // the bound on every disc's path was raised with disc 2's speed.
  Exact e(3);
  e.disc(1, 100, 40, 30, 0, 1e6);
  e.disc(2, 125, 40, 0, 0, 1);
  e.disc(3, 185, 20, 0, -16, 1);
  e.tick();
  EXPECT_EQ(e.log.exchanges, (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}}));
  EXPECT_GE(std::hypot(e.s.posX(3).toDouble() - e.s.posX(2).toDouble(),
                       e.s.posY(3).toDouble() - e.s.posY(2).toDouble()),
            24);
}

// A gas of n discs from the start-up species, placed by the engine from a fixed seed.
struct Gas {
  SeededGenerator rnd{9};
  bench::FixedClock clock;
  bench::NullSurface surface;
  bench::NullDisplay display;
  Simulation sim{rnd, clock};
  const State& s = sim.state();
  int n;
  Gas(int count, const char* radius = "12", const char* proximity = "24") : n(count) {
    sim.startUp(surface);
    sim.setDefaultSpeciesColors();
    sim.takeParticleRadius(radius);
    sim.takeProximity(proximity);
    sim.SetUpSpecies(bench::scaledDefaults(n));
    sim.PlaceParticles(surface);
  }
  void tick() { sim.Timer1_Timer(surface, display); }
  // The smallest centre distance over sigma, and how far any centre is inside its walls
  // (negative when it is outside).
  double closest(double sigma) const {
    std::vector<double> x(n + 1), y(n + 1);
    for (int i = 1; i <= n; ++i)
      x[i] = s.posX(i).toDouble(), y[i] = s.posY(i).toDouble();
    double least = 1e300;
    for (int i = 1; i <= n; ++i)
      for (int j = i + 1; j <= n; ++j)
        least = std::min(least, (x[j] - x[i]) * (x[j] - x[i]) + (y[j] - y[i]) * (y[j] - y[i]));
    return std::sqrt(least) / sigma;
  }
  double inside() const {
    double least = 1e300;
    for (int i = 1; i <= n; ++i) {
      const double r = s.partRadius(i).toDouble();
      for (double p : {s.posX(i).toDouble(), s.posY(i).toDouble()})
        least = std::min({least, p - r, 1000 - r - p});
    }
    return least;
  }
};

TEST(ExactRule, NoOverlapAfterAnyTickOfADenseGas) {
  // 300 discs of proximity 40 cover 38 % of the box; masses 1 to 64.
  Gas g(300, "20", "40");
  g.sim.setCollisionRule(CollisionRule::Exact);
  for (int t = 1; t <= 2000; ++t) {
    g.tick();
    ASSERT_GE(g.closest(40), 1 - 1e-9) << "tick " << t;
    ASSERT_GE(g.inside(), -1e-9) << "tick " << t;
  }
}

TEST(ExactRule, EnergyAndMomentumAreConserved) {
  Gas g(500);
  Log log;
  log.s = &g.s;
  g.sim.setCollisionRule(CollisionRule::Exact);
  g.tick();  // separates the placement first
  g.sim.setObserver(&log);
  auto sums = [&](double& e, double& px, double& py, double& scale) {
    e = px = py = scale = 0;
    for (int i = 1; i <= g.n; ++i) {
      const double m = g.s.partMass(i).toDouble();
      const double vx = g.s.velX(i).toDouble(), vy = g.s.velY(i).toDouble();
      e += m * (vx * vx + vy * vy);
      px += m * vx;
      py += m * vy;
      scale += m * std::hypot(vx, vy);
    }
  };
  double e0, px0, py0, scale;
  sums(e0, px0, py0, scale);
  for (int t = 0; t < 10000; ++t)
    g.tick();
  double e1, px1, py1, unused;
  sums(e1, px1, py1, unused);
  EXPECT_NEAR(e1 / e0, 1, 1e-10);
  // Only the walls change the momentum, by what they gave in their turns.
  EXPECT_LT(std::fabs(px1 - px0 - log.wallPx) / scale, 1e-10);
  EXPECT_LT(std::fabs(py1 - py0 - log.wallPy) / scale, 1e-10);
  // 500 discs meet many times a tick, and the walls dozens of times.
  EXPECT_GT(log.exchanges.size(), 100000u);
  EXPECT_GT(log.turns.size(), 10000u);
  EXPECT_GE(g.closest(24), 1 - 1e-9);
}

TEST(ExactRule, OverlapsAreSeparatedBeforeTheFirstTickAndWhenSwitchedOn) {
  {
    Gas g(500);
    ASSERT_LT(g.closest(24), 1);  // a random placement overlaps
    const State before = g.s;
    EXPECT_EQ(g.sim.separateOverlaps(), "");
    EXPECT_GE(g.closest(24), 1);
    EXPECT_GE(g.inside(), 0);
    double farthest = 0;
    for (int i = 1; i <= g.n; ++i) {
      EXPECT_EQ(g.s.velX(i).toDouble(), before.velX(i).toDouble());
      EXPECT_EQ(g.s.velY(i).toDouble(), before.velY(i).toDouble());
      farthest = std::max(farthest, std::hypot(g.s.posX(i).toDouble() - before.posX(i).toDouble(),
                                               g.s.posY(i).toDouble() - before.posY(i).toDouble()));
    }
    // Undone, not scattered: a disc moves by its radius at most to clear a wall, and by a
    // fraction of the proximity to clear its neighbours.
    EXPECT_LT(farthest, 48);
  }
  {
    // Under the specified rule the gas keeps overlapping pairs; switched over, the next tick
    // separates them before it moves anything.
    Gas g(500);
    for (int t = 0; t < 50; ++t)
      g.tick();
    ASSERT_LT(g.closest(24), 1);
    g.sim.setCollisionRule(CollisionRule::Exact);
    g.tick();
    EXPECT_GE(g.closest(24), 1 - 1e-9);
    // So does a new placement under the exact rule.
    g.sim.PlaceParticles(g.surface);
    ASSERT_LT(g.closest(24), 1);
    g.tick();
    EXPECT_GE(g.closest(24), 1 - 1e-9);
  }
  {
    Gas g(500, "12", "100");  // 500 discs 100 across cannot fit
    const std::string why = g.sim.separateOverlaps();
    EXPECT_NE(why.find("too dense"), std::string::npos) << why;
    Gas wide(10, "500");
    EXPECT_NE(wide.sim.separateOverlaps().find("radius of 500"), std::string::npos);
    // Two discs 1,390 apart cannot both lie in a box whose centre square is 976 wide, although
    // they cover little of it: the pushing gives up after its bounded rounds.
    Gas two(2, "12", "1390");
    EXPECT_NE(two.sim.separateOverlaps().find("still overlap"), std::string::npos);
  }
}

TEST(ExactRule, HostileSettingsFinishEveryTickFinite) {
  struct Row {
    const char* radius;
    const char* proximity;
  } rows[] = {{"499.5", "24"}, {"500", "24"}, {"600", "24"},
              {"12", "0"},     {"12", "-24"}, {"12", "5000"}};
  for (const Row& r : rows) {
    Gas g(200, r.radius, r.proximity);
    g.sim.setCollisionRule(CollisionRule::Exact);
    for (int t = 0; t < 20; ++t) {
      ASSERT_NO_THROW(g.tick()) << r.radius << " " << r.proximity;
      for (int i = 1; i <= g.n; ++i)
        ASSERT_TRUE(std::isfinite(g.s.posX(i).toDouble() + g.s.posY(i).toDouble() +
                                  g.s.velX(i).toDouble() + g.s.velY(i).toDouble()))
            << r.radius << " " << r.proximity << " particle " << i;
    }
    // Discs as wide as the box stay on its centre lines.
    if (std::string(r.radius) != "12" && std::string(r.radius) != "499.5") {
      EXPECT_EQ(g.s.posX(7).toDouble(), 500);
    }
  }

  // A typed negative proximity counts by its size.
  Gas typed(100, "12", "-24"), plain(100);
  typed.sim.setCollisionRule(CollisionRule::Exact);
  plain.sim.setCollisionRule(CollisionRule::Exact);
  for (int t = 0; t < 20; ++t)
    typed.tick(), plain.tick();
  for (int i = 1; i <= 100; ++i)
    ASSERT_EQ(typed.s.velX(i).doubleValue(), plain.s.velX(i).doubleValue());

  // The contact cap: the rest of the tick is ballistic, and the discs are kept inside.
  DiscGas gas;
  gas.resize(50);
  for (int i = 1; i <= 50; ++i)
    gas.discs[i] = Disc{500.0 + i, 500 - 0.5 * i, std::sin(i) * 30, std::cos(i) * 30, 1, 12};
  gas.sigma = 300;
  HardDiscs hard;
  hard.step(gas, nullptr, 100, HardDiscs::candidateCap(50));
  EXPECT_TRUE(hard.capped());
  EXPECT_EQ(hard.contacts(), 100);
  for (int i = 1; i <= 50; ++i) {
    EXPECT_GE(std::min(gas.discs[i].x, gas.discs[i].y), 12);
    EXPECT_LE(std::max(gas.discs[i].x, gas.discs[i].y), 988);
  }
}

}  // namespace
}  // namespace km
