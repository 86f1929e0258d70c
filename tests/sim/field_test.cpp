// SPDX-License-Identifier: GPL-3.0-or-later
// The field toward the floor and the divider with its opening, under both rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bench_gas.h"
#include "fakes.h"

namespace km {
namespace {

// Kinetic energy plus m·g·h, h the height above the floor line y = 1000.
double energyWithHeight(const State& s, int n, double g) {
  double e = 0;
  for (int i = 1; i <= n; ++i) {
    const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble(), m = s.partMass(i).toDouble();
    e += 0.5 * m * (vx * vx + vy * vy) + m * g * (1000 - s.posY(i).toDouble());
  }
  return e;
}

struct Turns : GasObserver {
  std::vector<double> at, before, after;
  void wallTurn(int, Axis axis, double a, double b, double c) override {
    if (axis != Axis::Y) return;
    at.push_back(a);
    before.push_back(b);
    after.push_back(c);
  }
  void pairExchange(int, int) override {}
};

TEST(Field, OneDiscDroppedFromRestMeetsTheFloorWhenAndAsFastAsWorkedOutAndComesBackUp) {
  // From y = 500 the centre falls 1000 − 12 − 500 = 488 to the floor's contact line: at
  // t = √(2·488/g) with speed √(2·g·488), and, elastic, it rises back to y = 500 at 2t.
  const double g = 0.1, drop = 488, t = std::sqrt(2 * drop / g), v = std::sqrt(2 * g * drop);
  test::Rig rig;
  rig.placeOne(300, 500);
  rig.sim.setCollisionRule(CollisionRule::Exact);
  ASSERT_EQ(rig.sim.boundaries().setGravity(g), "");
  Turns turns;
  rig.sim.setObserver(&turns);
  const int fallTicks = static_cast<int>(t);
  for (int k = 0; k < fallTicks; ++k)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_TRUE(turns.at.empty());
  EXPECT_NEAR(rig.s.posY(1).toDouble(), 500 + 0.5 * g * fallTicks * fallTicks, 1e-9);
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  ASSERT_EQ(turns.at.size(), 1u);
  EXPECT_NEAR(turns.at[0], 988, 1e-9);
  EXPECT_NEAR(turns.before[0], v, 1e-9);
  EXPECT_NEAR(turns.after[0], -v, 1e-9);
  // At the top of its flight, 2t, it is back at rest at y = 500: a tick either side of it the
  // centre is below by g·τ²/2 for the τ that tick is from the top.
  const int apex = static_cast<int>(2 * t);
  for (int k = fallTicks + 1; k < apex; ++k)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  const double tau = 2 * t - apex;
  EXPECT_NEAR(rig.s.posY(1).toDouble(), 500 + 0.5 * g * tau * tau, 1e-8);
  EXPECT_NEAR(rig.s.velY(1).toDouble(), -g * tau, 1e-10);
  EXPECT_EQ(rig.s.velX(1).toDouble(), 0);
  EXPECT_EQ(rig.s.posX(1).toDouble(), 300);
  EXPECT_EQ(turns.at.size(), 1u);
}

TEST(Field, TheSpecifiedRuleKeepsTheDroppedDiscsEnergyToTheStepsOrder) {
  const double g = 0.1;
  test::Rig rig;
  rig.placeOne(300, 500);
  ASSERT_EQ(rig.sim.boundaries().setGravity(g), "");
  const double start = energyWithHeight(rig.s, 1, g);
  double worst = 0, lastTop = 1000;
  for (int k = 0; k < 3000; ++k) {
    rig.sim.Timer1_Timer(rig.surface, rig.display);
    worst = std::max(worst, std::fabs(energyWithHeight(rig.s, 1, g) - start));
    if (k >= 2800) lastTop = std::min(lastTop, rig.s.posY(1).toDouble());
  }
  // Within a bounce the half steps miss the energy by up to about m·g·v/2 at the floor
  // (v ≈ 10 here: 1 % of it), and the bounces neither pump nor drain it: after fifteen of
  // them the disc still rises to where it started, within that error over m·g (7.5).
  EXPECT_LT(worst / start, 0.015);
  EXPECT_NEAR(lastTop, 500, 7.5);
}

// A disc moving along x at y = 400 + 12/√2 meets the upper end of an opening 400..600 at 45°:
// the line from the end to its centre is (−1, 1)/√2, so v = (2, 0) leaves as (0, 2).
void meetsTheOpeningsEnd(CollisionRule rule) {
  test::Rig rig;
  rig.place(1);
  const double off = 12 / std::sqrt(2.0);
  rig.s.posX(1) = 400.0;
  rig.s.posY(1) = 400 + off;
  rig.s.velX(1) = 2.0;
  rig.sim.setCollisionRule(rule);
  ASSERT_EQ(rig.sim.boundaries().setDivider(200), "");
  for (int k = 0; k < 46; ++k)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  const double vx = rig.s.velX(1).toDouble(), vy = rig.s.velY(1).toDouble();
  EXPECT_NEAR(std::hypot(vx, vy), 2, 1e-12);
  if (rule == CollisionRule::Exact) {
    // Contact at x = 500 − 12/√2, after (100 − 12/√2)/2 ticks; then straight down.
    const double contact = (100 - off) / 2;
    EXPECT_NEAR(vx, 0, 1e-12);
    EXPECT_NEAR(vy, 2, 1e-12);
    EXPECT_NEAR(rig.s.posX(1).toDouble(), 500 - off, 1e-9);
    EXPECT_NEAR(rig.s.posY(1).toDouble(), 400 + off + 2 * (46 - contact), 1e-9);
  } else {
    // Steps of 2 from x = 400 first come within 12 of the end at x = 492 (|dx| < 12/√2), on
    // the 46th tick, and turn along the line from the end to the centre there: (−8, 12/√2).
    EXPECT_EQ(rig.s.posX(1).toDouble(), 492);
    const double dx = -8, dy = off, k = 2 * (2 * dx) / (dx * dx + dy * dy);
    EXPECT_NEAR(vx, 2 - k * dx, 1e-12);
    EXPECT_NEAR(vy, -k * dy, 1e-12);
  }
  EXPECT_NEAR(rig.sim.boundaries().tally().dividerImpulseY, 4 * (0 - vy), 1e-12);
  EXPECT_EQ(rig.rnd.draws, 0u);
}

TEST(Divider, ADiscMeetingAnEndOfTheOpeningLeavesAsWorkedOut) {
  meetsTheOpeningsEnd(CollisionRule::Exact);
  meetsTheOpeningsEnd(CollisionRule::Specified);
}

TEST(Divider, FacesTurnDiscsBackFromEitherSideUnderBothRulesEvenWhenFast) {
  for (CollisionRule rule : {CollisionRule::Exact, CollisionRule::Specified}) {
    for (double v : {3.0, 30.0, -3.0, -30.0}) {
      test::Rig rig;
      rig.placeOne(v > 0 ? 400.0 : 600.0, 200.0, v);
      rig.sim.setCollisionRule(rule);
      ASSERT_EQ(rig.sim.boundaries().setDivider(100), "");
      for (int k = 0; k < 400; ++k) {
        rig.sim.Timer1_Timer(rig.surface, rig.display);
        const double x = rig.s.posX(1).toDouble();
        ASSERT_EQ(x<500, v> 0) << v << " tick " << k;
        ASSERT_GE(std::fabs(x - 500), 12 - 1e-9) << v << " tick " << k;
      }
      EXPECT_EQ(std::fabs(rig.s.velX(1).toDouble()), std::fabs(v));
    }
  }
}

// 500 discs of the default species under the exact rule, seed 11.
struct ExactGas {
  SeededGenerator rnd{11};
  bench::FixedClock clock;
  NoDrawing surface;
  NoReadouts display;
  Simulation sim{rnd, clock};
  explicit ExactGas(int n, double opening, double g) {
    bench::startGas(sim, n, surface, 0);
    sim.setCollisionRule(CollisionRule::Exact);
    EXPECT_EQ(sim.boundaries().setDivider(opening), "");
    EXPECT_EQ(sim.boundaries().setGravity(g), "");
    EXPECT_EQ(sim.separateOverlaps(), "");
  }
  void run(int ticks) {
    for (int t = 0; t < ticks; ++t)
      sim.Timer1_Timer(surface, display);
  }
};

TEST(FieldAndDivider, ExactRuleKeepsTheEnergyWithItsHeightsOverTenThousandTicks) {
  const double g = 0.002;
  ExactGas gas(500, 120, g);
  const State& s = gas.sim.state();
  const double start = energyWithHeight(s, 500, g);
  double worst = 0;
  long crossings = 0;
  std::vector<bool> left(501);
  for (int i = 1; i <= 500; ++i)
    left[static_cast<std::size_t>(i)] = s.posX(i).toDouble() < 500;
  for (int t = 0; t < 10000; ++t) {
    gas.run(1);
    for (int i = 1; i <= 500; ++i) {
      const double x = s.posX(i).toDouble(), y = s.posY(i).toDouble(), r = 12;
      // Never inside the divider's wall, nor closer than its radius to an end of the opening.
      if (std::fabs(x - 500) < r - 1e-9) {
        ASSERT_TRUE(y > 440 && y < 560) << i << " tick " << t;
      }
      for (double endY : {440.0, 560.0})
        ASSERT_GE(std::hypot(x - 500, y - endY), r - 1e-9) << i << " tick " << t;
      if ((x < 500) != left[static_cast<std::size_t>(i)]) ++crossings;
      left[static_cast<std::size_t>(i)] = x < 500;
    }
    if (t % 500 == 499) worst = std::max(worst, std::fabs(energyWithHeight(s, 500, g) / start - 1));
  }
  EXPECT_LT(worst, 1e-10);
  EXPECT_GT(crossings, 100);  // the opening lets discs through
  EXPECT_EQ(gas.sim.boundaries().tally().work, 0);
}

TEST(FieldAndDivider, NoDiscCrossesAClosedDividerUnderEitherRule) {
  for (CollisionRule rule : {CollisionRule::Exact, CollisionRule::Specified}) {
    ExactGas gas(300, 0, 0.01);
    gas.sim.setCollisionRule(rule);
    const State& s = gas.sim.state();
    std::vector<bool> left(301);
    for (int i = 1; i <= 300; ++i)
      left[static_cast<std::size_t>(i)] = s.posX(i).toDouble() < 500;
    for (int t = 0; t < 2000; ++t) {
      gas.run(1);
      for (int i = 1; i <= 300; ++i)
        ASSERT_EQ(s.posX(i).toDouble() < 500, left[static_cast<std::size_t>(i)])
            << i << " tick " << t << (rule == CollisionRule::Exact ? " exact" : " specified");
    }
  }
}

TEST(FieldAndDivider, SettingsAreRefusedInWordsAndOffLeavesTheWallsInactive) {
  Boundaries b;
  EXPECT_EQ(b.setGravity(-1),
            "The field must be 0 or more units per tick², toward the bottom, not -1.");
  EXPECT_NE(b.setGravity(std::nan("")), "");
  EXPECT_NE(b.setGravity(INFINITY), "");
  EXPECT_EQ(b.setDivider(-5),
            "The divider's opening must be 0 (closed) or more units wide, not -5.");
  EXPECT_NE(b.setDivider(std::nan("")), "");
  EXPECT_FALSE(b.active());
  EXPECT_EQ(b.setDivider(1e9), "");
  EXPECT_FALSE(b.divider());
  EXPECT_FALSE(b.active());
  EXPECT_EQ(b.setDivider(100), "");
  EXPECT_TRUE(b.active());
  EXPECT_EQ(b.openingTop(), 450);
  EXPECT_EQ(b.openingBottom(), 550);
  EXPECT_EQ(b.setDivider(1000), "");
  EXPECT_EQ(b.setGravity(0.5), "");
  EXPECT_TRUE(b.active());
  EXPECT_EQ(b.setGravity(0), "");
  EXPECT_FALSE(b.active());
  // The right wall and the divider keep out of each other's way.
  EXPECT_EQ(b.setDivider(60), "");
  EXPECT_EQ(b.moveRightWall(520, 1, 0, 10, 24, 12),
            "The right wall cannot pass the divider: with the divider at x = 500 it must stay "
            "beyond x = 524.");
  EXPECT_EQ(b.moveRightWall(530, 1, 0, 10, 24, 12), "");
  EXPECT_EQ(b.setDivider(1000), "");
  EXPECT_EQ(b.moveRightWall(400, 1, 0, 10, 24, 12), "");
  for (int t = 0; t < 600; ++t) {
    b.beginTick(12, true);
    b.endTick();
  }
  EXPECT_EQ(b.rightX(), 400);
  EXPECT_EQ(b.setDivider(60),
            "The divider at x = 500 needs the right wall beyond it, not at x = 400.");
}

TEST(StartSides, EachSpeciesIsPlacedOnItsSideAndTheTracerInTheMiddleOfItsOwn) {
  SeededGenerator rnd{5};
  bench::FixedClock clock;
  NoDrawing surface;
  Simulation sim{rnd, clock};
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.SetUpSpecies(bench::scaledDefaults(200));
  sim.setStartSides({StartSide::Right, StartSide::Left, StartSide::Both, StartSide::Left});
  ASSERT_EQ(sim.boundaries().setDivider(50), "");
  sim.PlaceParticles(surface);
  const State& s = sim.state();
  EXPECT_EQ(s.posX(1).toDouble(), 750);
  EXPECT_EQ(s.posY(1).toDouble(), 500);
  bool bothSides[2] = {false, false};
  for (int i = 2; i <= 200; ++i) {
    const double x = s.posX(i).toDouble();
    const int sp = sim.particleSpecies(i);
    if (sp == 1) {
      EXPECT_GE(x, 500) << i;
    }
    if (sp == 2 || sp == 4) {
      EXPECT_LT(x, 500) << i;
    }
    if (sp == 3) bothSides[x < 500] = true;
  }
  EXPECT_TRUE(bothSides[0] && bothSides[1]);
}

TEST(Divider, ThePictureShowsItsTwoPiecesAndAnOpenedGapIsErased) {
  test::Rig rig;
  rig.placeOne(200, 200);
  ASSERT_EQ(rig.sim.boundaries().setDivider(0), "");
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  auto walls = [&] {
    std::vector<std::string> w;
    for (const std::string& c : rig.surface.calls)
      if (c.rfind("wall", 0) == 0) w.push_back(c);
    rig.surface.calls.clear();
    return w;
  };
  const std::string yellow = std::to_string(wallColor);
  EXPECT_EQ(walls(), (std::vector<std::string>{"wall 500 0..500 " + yellow,
                                               "wall 500 500..1000 " + yellow}));
  ASSERT_EQ(rig.sim.boundaries().setDivider(300), "");
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(walls(), (std::vector<std::string>{"wall 500 0..1000 0", "wall 500 0..350 " + yellow,
                                               "wall 500 650..1000 " + yellow}));
  ASSERT_EQ(rig.sim.boundaries().setDivider(1000), "");
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(walls(), (std::vector<std::string>{"wall 500 0..1000 0"}));
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_TRUE(walls().empty());
}

TEST(ThermalWall, AMovingOneCountsItsPushTimesItsSpeedAsWorkAndTheRestAsHeat) {
  test::Rig rig;
  rig.placeOne(900, 500, 3);
  rig.sim.setCollisionRule(CollisionRule::Exact);
  ASSERT_EQ(rig.sim.boundaries().setHeat(WallSide::Right, {true, 8}), "");
  ASSERT_EQ(rig.sim.moveRightWall(600, 0.5, 0), "");
  for (int t = 0; t < 40; ++t)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  const double vx = rig.s.velX(1).toDouble(), vy = rig.s.velY(1).toDouble();
  ASSERT_LT(vx, -0.5);  // left the wall, faster than it moves
  const WallTally& t = rig.sim.boundaries().tally();
  EXPECT_NEAR(t.work, -0.5 * 4 * (vx - 3), 1e-12);
  EXPECT_NEAR(t.work + t.heat[1], 0.5 * 4 * (vx * vx + vy * vy - 9), 1e-12);
}

}  // namespace
}  // namespace km
