// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

#include "fakes.h"
#include "laboratory.h"
#include "summary.h"
#include "tables.h"

namespace km::lab {
namespace {

struct Disc {
  int species;
  double mass, x, y, vx, vy;
};

// The start-up species, or others, placed from a seeded generator, measured or not.
struct SeededGas {
  SeededGenerator rnd;
  test::FixedClock clock;
  NoDrawing surface;
  NoReadouts display;
  Simulation sim{rnd, clock};
  std::optional<Laboratory> lab;
  SeededGas(std::uint32_t seed, std::array<std::string, 4> counts, bool measured) : rnd(seed) {
    sim.startUp(surface);
    sim.setDefaultSpeciesColors();
    sim.SetUpSpecies(test::rows(counts));
    sim.PlaceParticles(surface);
    if (!measured) return;
    lab.emplace(sim);
    lab->runStarted({seed, 0});
  }
  void run(int ticks) {
    for (int t = 0; t < ticks; ++t) {
      sim.Timer1_Timer(surface, display);
      if (lab) lab->afterTick();
    }
  }
};

// A gas placed by hand: discs in species order, one radius, one proximity.
struct HandGas {
  test::ScriptedRandom rnd;
  test::FixedClock clock;
  NoDrawing surface;
  test::RecordingDisplay display;
  Simulation sim{rnd, clock};
  State& s = sim.state();

  HandGas(const std::vector<Disc>& discs, double radius, double proximity) {
    sim.startUp(surface);
    sim.setDefaultSpeciesColors();
    // Species in order, as the set-up gives them; then each disc as written.
    std::array<int, 4> counts{};
    for (const Disc& d : discs)
      ++counts[static_cast<std::size_t>(d.species - 1)];
    sim.SetUpSpecies(test::rows({std::to_string(counts[0]), std::to_string(counts[1]),
                                 std::to_string(counts[2]), std::to_string(counts[3])}));
    int i = 0;
    for (const Disc& d : discs) {
      ++i;
      s.partMass(i) = d.mass;
      s.partRadius(i) = radius;
      s.partColor(i) = RGB(0, 255, 0);
      s.posX(i) = d.x;
      s.posY(i) = d.y;
      s.velX(i) = d.vx;
      s.velY(i) = d.vy;
    }
    s.placedCount = i;
    s.collProx = proximity;
  }
  void run(Laboratory& lab, int ticks) {
    for (int t = 0; t < ticks; ++t) {
      sim.Timer1_Timer(surface, display);
      lab.afterTick();
    }
  }
};

// One disc of radius 0 crossing the box along x at 10 units a tick turns at x = 1010 and at
// x = −10 (the wall test is strict and the disc is not moved back), so it delivers 2·m·10
// every 102 ticks to walls of length 1000 each.
TEST(Laboratory, OneDiscBetweenTwoWallsGivesTheExactPressure) {
  HandGas gas({{1, 1, 500, 500, 10, 0}}, 0, 24);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  gas.run(lab, 2040);
  const Results r = lab.results();
  EXPECT_EQ(r.measuredTicks, 2040);
  EXPECT_DOUBLE_EQ(r.side, 1000);
  EXPECT_NEAR(r.pressure.value, 20.0 * 20 / 2040 / 4000, 1e-15);
  // kT = ½·1·10² = 50 for the one disc: Z = P·L² / (N·kT) = 200 / 204.
  EXPECT_NEAR(r.Z.value, 200.0 / 204, 1e-12);
  EXPECT_EQ(r.outside, 0);
}

// Under the exact rule the same disc turns exactly at the walls, every 100 ticks: the one-disc
// gas then has the ideal gas's Z = 1 exactly.
TEST(Laboratory, OneExactDiscHasTheIdealGasZ) {
  HandGas gas({{1, 1, 500, 500, 10, 0}}, 0, 24);
  gas.sim.setCollisionRule(CollisionRule::Exact);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  gas.run(lab, 2000);
  const Results r = lab.results();
  EXPECT_NEAR(r.pressure.value, 20.0 * 20 / 2000 / 4000, 1e-15);
  EXPECT_NEAR(r.Z.value, 1, 1e-12);
}

// A disc of radius 10 reaches centres 10..990: side 980. Under the exact rule it turns at
// exactly those places, every 98 ticks at 10 units a tick, so P = 2·m·v / (98 · 4·980) and
// Z = P·L² / (N·kT) = 1; the packing fraction is taken over the same 980².
TEST(Laboratory, TheSideIsWhatTheCentresReach) {
  HandGas gas({{1, 1, 500, 500, 10, 0}}, 10, 20);
  gas.sim.setCollisionRule(CollisionRule::Exact);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  gas.run(lab, 1960);
  const Results r = lab.results();
  EXPECT_EQ(r.side, 980);
  EXPECT_NEAR(r.pressure.value, 20.0 * 20 / 1960 / (4 * 980), 1e-15);
  EXPECT_NEAR(r.Z.value, 1, 1e-12);
  EXPECT_DOUBLE_EQ(r.eta, std::numbers::pi * 20 * 20 / (4 * 980.0 * 980.0));
}

// A radius of 500 or more leaves the centres no room between the walls (L = 1000 − 2·radius ≤ 0):
// no pressure, Z or density profile is known, over time or averaged, whatever the rule, and
// the report says why beside each.
TEST(Laboratory, WhereTheCentresHaveNoRoomThereIsNoPressureZOrProfile) {
  for (const double radius : {500.0, 1000.0}) {
    HandGas gas({{1, 1, 500, 500, 10, 3}, {1, 1, 200, 700, -7, 5}}, radius, 2 * radius);
    Laboratory lab(gas.sim);
    lab.setSettings({10, 0});
    lab.runStarted({});
    gas.run(lab, 300);
    const Results r = lab.results();
    EXPECT_LE(r.side, 0);
    EXPECT_GT(r.measuredTicks, 0);
    EXPECT_TRUE(std::isnan(r.pressure.value));
    EXPECT_TRUE(std::isnan(r.Z.value));
    EXPECT_TRUE(std::isnan(r.zInterior.value));
    EXPECT_TRUE(std::isnan(r.eta));
    ASSERT_EQ(r.species.size(), 1u);
    EXPECT_TRUE(r.species[0].profile.empty());
    EXPECT_TRUE(r.profileDistance.empty());
    const std::vector<Point> z = binMeans(lab.history().z);
    EXPECT_EQ(z.size(), 300u);  // a blank for every tick, none of them a value
    EXPECT_EQ(
        std::count_if(z.begin(), z.end(), [](const Point& p) { return std::isfinite(p.value); }), 0)
        << "radius " << radius;
    const std::string why = noRoomText(r);
    EXPECT_NE(why.find("no room between the walls"), std::string::npos) << why;
    for (const Row& row : summarize(r))
      if (row.section == "pressure") {
        EXPECT_TRUE(std::isnan(row.value)) << row.key;
        EXPECT_NE(row.label.find("no room"), std::string::npos) << row.key;
      }
  }
  // The widest radius that leaves room has its pressure and no such words.
  HandGas gas({{1, 1, 500, 500, 0.5, 0}}, 499, 2);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  gas.run(lab, 100);
  EXPECT_EQ(lab.results().side, 2);
  EXPECT_TRUE(std::isfinite(lab.results().Z.value));
  EXPECT_EQ(noRoomText(lab.results()), "");
}

// With the walls unfolded, a disc that meets nothing but walls moves in a straight line:
// its mean-squared displacement is v²·lag² at every lag.
TEST(Laboratory, BallisticDiscHasMsdSpeedSquaredTimesLagSquared) {
  HandGas gas({{1, 2, 300, 700, 3, 4}}, 12, 0);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  gas.run(lab, 3000);
  const Results r = lab.results();
  int checked = 0;
  for (std::size_t l = 0; l < r.lags.size(); ++l) {
    if (r.lags[l] > 1500) break;
    const double lag = r.lags[l];
    EXPECT_NEAR(r.tracerMsd[l], 25 * lag * lag, 1e-9 * 25 * lag * lag) << "lag " << lag;
    EXPECT_NEAR(r.species[0].msd[l], 25 * lag * lag, 1e-9 * 25 * lag * lag) << "lag " << lag;
    ++checked;
  }
  EXPECT_GT(checked, 15);
  // No collision ever: no diffusive range to fit.
  EXPECT_EQ(r.tracer.fromLag, 0);
  EXPECT_TRUE(std::isnan(r.species[0].diffusion.D));
}

// Lags are round(2^(k/2)) without repeats, 26 of them from 1 to exactly 8192, and the last
// lag is measured: a particle moving at 5 units a tick has MSD 25·lag² there too.
TEST(MeanSquaredDisplacement, LagsRiseLogSpacedUpToMaxLag) {
  MeanSquaredDisplacement msd;
  const std::vector<int> expected = {1,   2,    3,    4,    6,    8,    11,   16,  23,
                                     32,  45,   64,   91,   128,  181,  256,  362, 512,
                                     724, 1024, 1448, 2048, 2896, 4096, 5793, 8192};
  EXPECT_EQ(msd.lags(), expected);
  EXPECT_EQ(msd.lags().back(), MeanSquaredDisplacement::maxLag);
  for (std::size_t l = 1; l < msd.lags().size(); ++l)
    EXPECT_LT(msd.lags()[l - 1], msd.lags()[l]);

  msd.reset({0, 1});
  for (int t = 0; t <= MeanSquaredDisplacement::maxLag + 16; ++t)
    msd.add({0, 5.0 * t}, {0, 100});
  const std::vector<double> curve = msd.curve(1);
  const double last = MeanSquaredDisplacement::maxLag;
  EXPECT_DOUBLE_EQ(curve.back(), 25 * last * last);
}

TEST(Laboratory, EquipartitionOfAHandBuiltState) {
  // Species 1: energies 12.5 and 0 (kT 6.25); species 2: 2 (kT 2); the gas: 14.5 / 3.
  HandGas gas({{1, 1, 300, 300, 3, 4}, {1, 1, 600, 600, 0, 0}, {2, 4, 400, 700, 1, 0}}, 12, 0);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  gas.run(lab, 1);
  const Results r = lab.results();
  ASSERT_EQ(r.species.size(), 2u);
  EXPECT_DOUBLE_EQ(r.kT.value, 14.5 / 3);
  EXPECT_DOUBLE_EQ(r.species[0].kT.value, 6.25);
  EXPECT_DOUBLE_EQ(r.species[1].kT.value, 2);
  EXPECT_DOUBLE_EQ(r.species[0].kTRatio.value, 6.25 / (14.5 / 3));
  EXPECT_DOUBLE_EQ(r.species[1].kTRatio.value, 2 / (14.5 / 3));
  EXPECT_EQ(r.species[0].count, 2);
  EXPECT_EQ(r.species[1].mass, 4);
  EXPECT_DOUBLE_EQ(r.energy, 14.5);
  EXPECT_DOUBLE_EQ(r.momentumX, 3 + 4);
  EXPECT_DOUBLE_EQ(r.momentumY, 4);
}

TEST(Laboratory, WarmUpAndWindowBoundTheAverages) {
  HandGas gas({{1, 1, 500, 500, 2, 1}, {1, 1, 200, 200, 1, 2}}, 12, 0);
  Laboratory lab(gas.sim);
  lab.setSettings({100, 300});
  lab.runStarted({});
  gas.run(lab, 50);
  EXPECT_EQ(lab.results().measuredTicks, 0);
  gas.run(lab, 1000);
  EXPECT_EQ(lab.results().measuredTicks, 300);
  EXPECT_EQ(lab.results().ticks, 1050);
  EXPECT_EQ(lab.history().kT[0].ticks(), 1050);
}

TEST(Experiments, HeatingScalesEnergyAboutTheMeanAndKeepsMomentum) {
  HandGas gas({{1, 1, 300, 300, 3, 4}, {2, 4, 600, 600, 1, 0}, {2, 4, 400, 700, 3, 2}}, 12, 0);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  gas.run(lab, 10);
  // About their mean (2, 1) the two discs of species 2 move at (−1, −1) and (1, 1): four times
  // the energy doubles those, and the mean stays.
  const State& s = gas.s;
  const double px = 4 * (s.velX(2).toDouble() + s.velX(3).toDouble());
  const double py = 4 * (s.velY(2).toDouble() + s.velY(3).toDouble());
  const double vx2 = s.velX(2).toDouble(), vy2 = s.velY(2).toDouble();
  const double vx3 = s.velX(3).toDouble(), vy3 = s.velY(3).toDouble();
  const double mx = (vx2 + vx3) / 2, my = (vy2 + vy3) / 2;
  EXPECT_EQ(lab.heat(2, 4), "");
  EXPECT_NEAR(s.velX(2).toDouble(), mx + 2 * (vx2 - mx), 1e-12);
  EXPECT_NEAR(s.velY(3).toDouble(), my + 2 * (vy3 - my), 1e-12);
  EXPECT_NEAR(4 * (s.velX(2).toDouble() + s.velX(3).toDouble()), px, 1e-12);
  EXPECT_NEAR(4 * (s.velY(2).toDouble() + s.velY(3).toDouble()), py, 1e-12);
  EXPECT_EQ(s.velX(1).toDouble(), 3);  // another species is untouched
  EXPECT_EQ(lab.history().events.back().what, "heat species 2 x4");
  EXPECT_EQ(lab.history().events.back().tick, 10);
  // Refused: no such species, no particles, factors out of range or not numbers.
  for (auto [species, factor] :
       {std::pair{3, 2.0}, {0, 2.0}, {5, 2.0}, {2, 0.0}, {2, 101.0}, {2, std::nan("")}, {2, -1.0}})
    EXPECT_NE(lab.heat(species, factor), "") << species << " " << factor;
  EXPECT_EQ(lab.heat(2, 0.25), "");
}

// A species of one disc has no motion about its own mean: its velocity itself is scaled. What
// cannot change (a disc at rest, discs that all move alike) is refused and left as it was.
TEST(Experiments, HeatingOneDiscScalesItsVelocityAndNothingIsNeverReportedDone) {
  HandGas gas({{1, 1, 300, 300, 3, 4},
               {1, 1, 500, 300, 3, 4},
               {2, 4, 600, 600, 1, -2},
               {3, 16, 700, 700, 0, 0}},
              12, 0);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  const State& s = gas.s;
  EXPECT_EQ(lab.heat(2, 100), "");
  EXPECT_NEAR(s.velX(3).toDouble(), 10, 1e-12);
  EXPECT_NEAR(s.velY(3).toDouble(), -20, 1e-12);
  EXPECT_NEAR(lab.results().energy, 12.5 + 12.5 + 100 * 10, 1e-9);
  const std::size_t events = lab.history().events.size();
  EXPECT_EQ(lab.heat(3, 4), "Species 3's one disc is at rest: there is no motion to heat or cool.");
  EXPECT_EQ(lab.heat(1, 4),
            "Species 1's discs all move alike: there is no motion about their mean velocity to "
            "heat or cool.");
  EXPECT_EQ(s.velX(1).toDouble(), 3);
  EXPECT_EQ(s.velY(4).toDouble(), 0);
  EXPECT_EQ(lab.history().events.size(), events);  // no event for what did not happen
}

TEST(Experiments, NoDiscIsSentFasterThanTenThousandUnitsATick) {
  HandGas gas({{1, 1, 300, 300, 1500, 0}, {1, 1, 600, 600, -1500, 0}}, 12, 0);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  EXPECT_NE(lab.heat(1, 100), "");
  EXPECT_EQ(gas.s.velX(1).toDouble(), 1500);
  EXPECT_EQ(lab.heat(1, 16), "");
  EXPECT_EQ(gas.s.velX(1).toDouble(), 6000);
}

TEST(Experiments, EqualEnergiesKeepDirectionsAndTotal) {
  HandGas gas({{1, 1, 300, 300, 3, 4}, {1, 1, 600, 600, 0, 0}, {2, 4, 400, 700, 1, 0}}, 12, 0);
  Laboratory lab(gas.sim);
  lab.runStarted({});
  lab.equalEnergies();
  const State& s = gas.s;
  const double each = 14.5 / 3;
  for (int i = 1; i <= 3; ++i) {
    const double m = s.partMass(i).toDouble(), vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
    EXPECT_NEAR(0.5 * m * (vx * vx + vy * vy), each, 1e-12) << i;
  }
  // Directions kept: (3, 4) stays along (0.6, 0.8); the disc at rest goes along +x.
  EXPECT_NEAR(s.velX(1).toDouble() / s.velY(1).toDouble(), 0.75, 1e-12);
  EXPECT_GT(s.velX(2).toDouble(), 0);
  EXPECT_EQ(s.velY(2).toDouble(), 0);
  EXPECT_EQ(lab.history().events.back().what, "equal energies");
}

// Boltzmann's H theorem: equal energies put every disc on one ring of reduced speed, far above
// the Maxwellian's H; collisions bring H back down to it.
TEST(Experiments, HFallsBackToTheMaxwelliansAfterEqualEnergies) {
  SeededGas gas(9, {"100", "20", "5", "1"}, true);
  Laboratory& lab = *gas.lab;
  gas.run(2000);
  EXPECT_NEAR(lab.results().hNow, lab.results().hMaxwellian, 0.1);
  lab.equalEnergies();
  gas.run(1);
  // One tick after: H is of that one tick's 126 speeds, and says so.
  EXPECT_GT(lab.results().hNow, lab.results().hMaxwellian + 1);
  EXPECT_EQ(lab.results().hSpan, 1);
  EXPECT_EQ(lab.results().hSpeeds, 126);
  EXPECT_EQ(hWindowText(lab.results()).rfind("H over the last 1 tick, 126 speeds: ", 0), 0u);
  gas.run(2000);
  EXPECT_NEAR(lab.results().hNow, lab.results().hMaxwellian, 0.1);
  EXPECT_EQ(lab.results().hSpan, 126);  // 16,000 speeds / 126 discs
}

// H from a window of speeds is a plug-in estimate from a finite sample, biased above its
// distribution's by about (rings − 1)/(2·independent speeds). Maxwellian speeds drawn afresh
// every tick fill a window with 16,000 independent ones: H meets the Maxwellian's. Speeds kept
// for about 50 ticks hold some 40 times fewer, and H lies well above, as in a gas of few discs;
// every speed of the averages, pooled, still meets it.
TEST(BoltzmannH, AWindowOfSlowSpeedsLiesAboveAndThePooledSpeedsMeetTheMaxwellian) {
  std::mt19937 gen(23);
  std::uniform_real_distribution<double> uniform(0, 1);
  // |u| of a 2-D Maxwellian in reduced velocity: √(−2 ln(1 − U)).
  auto speed = [&] { return std::sqrt(-2 * std::log1p(-uniform(gen))); };
  for (const double keep : {0.0, 0.98}) {
    HTracker h;
    h.reset(43);
    std::vector<double> u(44);
    for (double& x : u)
      x = speed();
    double windowMean = 0;
    const int ticks = 60000;
    for (int t = 0; t < ticks; ++t) {
      for (std::size_t i = 1; i < u.size(); ++i)
        if (uniform(gen) >= keep) u[i] = speed();
      h.add(u);
      h.addAveraged(u);
      if (t >= h.span()) windowMean += h.h() / (ticks - h.span());
    }
    EXPECT_EQ(h.held(), h.span());
    // The pooled speeds' own noise: some 2.6 million speeds, 50 times fewer independent ones
    // when kept.
    EXPECT_NEAR(h.averagedH(), h.maxwellian(), keep == 0 ? 0.002 : 0.01) << keep;
    if (keep == 0)
      EXPECT_NEAR(windowMean, h.maxwellian(), 0.003);
    else
      EXPECT_GT(windowMean, h.maxwellian() + 0.02);
  }
}

TEST(Laboratory, DiscsOutsideTheBoxAreCounted) {
  HandGas gas({{1, 1, -5, 500, 0, 0}, {1, 1, 500, 1003, 0, 0}, {1, 1, 500, 500, 0, 0}}, 12, 0);
  Laboratory lab(gas.sim);
  lab.runStarted({42, 0});
  const Results r = lab.results();
  EXPECT_EQ(r.outside, 2);
  EXPECT_EQ(r.worstExcursion, 5);
  EXPECT_EQ(r.seed.seed, 42u);
}

// A count typed during a run changes at once which discs the engine moves, the first ones
// placed; the laboratory measures exactly those, lowered or raised, each change an event.
TEST(Laboratory, FollowsTheDiscsTheEngineMovesWhateverTheCountsDo) {
  SeededGas gas(3, {"32", "8", "2", "1"}, true);
  Laboratory& lab = *gas.lab;
  lab.setSettings({0, 0});
  gas.run(50);
  gas.sim.takeSpeciesCount(0, "2");  // 2 + 8 + 2 + 1 = 13 discs
  gas.run(20);
  EXPECT_EQ(lab.results().particles, 13);
  gas.sim.takeSpeciesCount(0, "20");  // 31 discs: the first 31 placed, all of species 1
  const State& s = gas.sim.state();
  const double x31 = s.posX(31).toDouble(), x32 = s.posX(32).toDouble();
  gas.run(30);
  EXPECT_NE(s.posX(31).toDouble(), x31);
  EXPECT_EQ(s.posX(32).toDouble(), x32);
  const Results r = lab.results();
  EXPECT_EQ(r.particles, 31);
  ASSERT_EQ(r.species.size(), 1u);
  EXPECT_EQ(r.species[0].species, 1);
  EXPECT_EQ(r.species[0].count, 31);
  double energy = 0;
  for (int i = 1; i <= 31; ++i) {
    const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
    energy += 0.5 * s.partMass(i).toDouble() * (vx * vx + vy * vy);
  }
  EXPECT_DOUBLE_EQ(r.energy, energy);
  EXPECT_DOUBLE_EQ(r.kTNow, energy / 31);
  // The averages restarted with the change: 29 ticks of all 31 discs in the histograms.
  EXPECT_EQ(r.measuredTicks, 29);
  EXPECT_EQ(r.species[0].speed.samples, 29 * 31);
  const std::vector<Event>& events = lab.history().events;
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].what, "gas now 13 discs");
  EXPECT_EQ(events[1].tick, 51);
  EXPECT_EQ(events[2].what, "gas now 31 discs");
  EXPECT_EQ(events[2].tick, 71);
}

// Species 2–4 stop for a stretch of the run and move again. Their time series hold a value in
// exactly the bins where they moved, at the same ticks as the gas's, each the mean of the ticks
// they moved in; the stretch between is blank, in the series and in the exported table.
TEST(Laboratory, ASpeciesThatStopsLeavesBlanksAndNoShiftInItsHistory) {
  SeededGas gas(5, {"32", "8", "2", "1"}, true);
  Laboratory& lab = *gas.lab;
  std::vector<double> kT2(1, notKnown);  // species 2's kT each tick, 1-based; NaN when stopped
  auto run = [&](int ticks) {
    for (int t = 0; t < ticks; ++t) {
      gas.run(1);
      const Results r = lab.results();
      double v = notKnown;
      for (const SpeciesResult& s : r.species)
        if (s.species == 2) v = s.kTNow;
      kT2.push_back(v);
    }
  };
  run(700);
  gas.sim.takeSpeciesCount(0, "20");  // 20 discs, all of species 1
  run(700);
  gas.sim.takeSpeciesCount(0, "32");  // all 43 again
  run(700);
  ASSERT_TRUE(std::isnan(kT2[1000]) && std::isfinite(kT2[700]) && std::isfinite(kT2[1401]));

  const History& h = lab.history();
  const std::vector<Point> gasBins = binMeans(h.kT[0]);
  const std::vector<Point> bins = binMeans(h.kT[2]);
  ASSERT_GT(h.kT[0].width(), 1);  // bins that straddle the stop and the restart
  ASSERT_EQ(bins.size(), gasBins.size());
  const long w = h.kT[2].width();
  int blanks = 0;
  for (std::size_t k = 0; k < bins.size(); ++k) {
    EXPECT_EQ(bins[k].tick, gasBins[k].tick) << "bin " << k;
    // The bin holds ticks k·w + 1 .. (k + 1)·w (the last bin fewer).
    double sum = 0;
    int moved = 0;
    for (long t = static_cast<long>(k) * w + 1; t <= (static_cast<long>(k) + 1) * w && t <= 2100;
         ++t)
      if (std::isfinite(kT2[static_cast<std::size_t>(t)])) {
        sum += kT2[static_cast<std::size_t>(t)];
        ++moved;
      }
    if (moved == 0) {
      EXPECT_TRUE(std::isnan(bins[k].value)) << "bin " << k;
      ++blanks;
    } else {
      EXPECT_NEAR(bins[k].value, sum / moved, 1e-9 * sum / moved) << "bin " << k;
    }
  }
  EXPECT_NEAR(blanks, 700 / w, 1);

  // The table: species 2's column is empty on the rows of the stopped stretch only.
  const std::string csv = timeSeriesCsv(h);
  std::size_t at = csv.find('\n') + 1;
  for (std::size_t k = 0; k < bins.size(); ++k) {
    const std::size_t end = csv.find('\n', at);
    std::vector<std::string> cells;
    std::size_t from = at;
    for (std::size_t comma; (comma = csv.find(',', from)) < end; from = comma + 1)
      cells.push_back(csv.substr(from, comma - from));
    EXPECT_EQ(std::stod(cells[0]), gasBins[k].tick);
    EXPECT_EQ(cells[3].empty(), std::isnan(bins[k].value)) << "row " << k;
    at = end + 1;
  }
}

// A laboratory opened after the counts were retyped still knows each disc's species.
TEST(Laboratory, OpenedDuringARunTakesEachDiscsOwnSpecies) {
  SeededGas gas(3, {"32", "8", "2", "1"}, false);
  gas.run(10);
  gas.sim.takeSpeciesCount(0, "20");
  Laboratory lab(gas.sim);
  lab.runStarted({3, 0});
  const Results r = lab.results();
  EXPECT_EQ(r.particles, 31);
  ASSERT_EQ(r.species.size(), 1u);
  EXPECT_EQ(r.species[0].count, 31);
  EXPECT_EQ(r.species[0].mass, 1);
}

// Exact hard discs keep their energy: after counts are lowered, the drift is measured from
// the gas that is left, not from the energy the removed discs took with them.
TEST(Laboratory, ALoweredCountIsNoEnergyDrift) {
  SeededGas gas(4, {"100", "0", "0", "0"}, false);
  gas.sim.setCollisionRule(CollisionRule::Exact);
  Laboratory lab(gas.sim);
  lab.runStarted({4, 0});
  gas.lab.reset();
  for (int t = 0; t < 100; ++t) {
    gas.sim.Timer1_Timer(gas.surface, gas.display);
    lab.afterTick();
  }
  gas.sim.takeSpeciesCount(0, "60");
  for (int t = 0; t < 100; ++t) {
    gas.sim.Timer1_Timer(gas.surface, gas.display);
    lab.afterTick();
  }
  const Results r = lab.results();
  EXPECT_EQ(r.particles, 60);
  EXPECT_NEAR(r.energyAtStart, r.energy, 1e-9 * r.energy);
  EXPECT_LT(std::fabs(r.driftPer10k), 1e-9);
}

// Typing "100" into the proximity makes three changes; while typing is held they log one
// event with the last value, and each restarts the averages. Unheld, each is its own event.
TEST(Laboratory, TypedChangesMakeOneEventWhileHeld) {
  SeededGas gas(2, {"32", "8", "2", "1"}, true);
  Laboratory& lab = *gas.lab;
  gas.run(10);
  lab.holdChangeEvents(true);
  for (const char* typed : {"1", "10", "100"}) {
    gas.sim.takeProximity(typed);
    gas.run(5);
  }
  lab.holdChangeEvents(false);
  ASSERT_EQ(lab.history().events.size(), 2u);
  EXPECT_EQ(lab.history().events[1].what, "proximity 100");
  EXPECT_EQ(lab.history().events[1].tick, 21);
  EXPECT_EQ(lab.results().measuredTicks, 4);
  gas.sim.takeProximity("20");
  gas.run(5);
  gas.sim.takeProximity("24");
  gas.run(5);
  ASSERT_EQ(lab.history().events.size(), 4u);
  EXPECT_EQ(lab.history().events[2].what, "proximity 20");
}

// A new run shows none of the last run's averages until it has its own: during its warm-up,
// and when nothing moves (velocity range 0), every distribution is empty and H is not known.
TEST(Laboratory, ANewRunShowsNoneOfTheLastRunsAverages) {
  SeededGas gas(6, {"32", "8", "2", "1"}, true);
  Laboratory& lab = *gas.lab;
  lab.setSettings({10, 0});
  gas.run(300);
  ASSERT_GT(lab.results().species[0].speed.samples, 0);
  lab.setSettings({999999, 0});
  gas.sim.SetUpSpecies(test::rows({"32", "8", "2", "1"}));
  gas.sim.PlaceParticles(gas.surface);
  lab.runStarted({7, 0});
  gas.run(5);
  Results r = lab.results();
  EXPECT_EQ(r.warmupLeft, 999995);
  for (const SpeciesResult& sp : r.species) {
    EXPECT_EQ(sp.speed.samples, 0);
    EXPECT_TRUE(sp.speed.centres.empty());
    EXPECT_TRUE(sp.vx.measured.empty());
    EXPECT_TRUE(std::isnan(sp.kT.value));
  }
  EXPECT_EQ(r.measuredTicks, 0);

  gas.sim.takeVelocityScale("0");
  gas.sim.SetUpSpecies(test::rows({"32", "8", "2", "1"}));
  gas.sim.PlaceParticles(gas.surface);
  lab.setSettings({0, 0});
  lab.runStarted({8, 0});
  gas.run(20);
  r = lab.results();
  EXPECT_EQ(r.kTNow, 0);
  EXPECT_TRUE(std::isnan(r.hNow));
  for (const SpeciesResult& sp : r.species)
    EXPECT_TRUE(sp.speed.centres.empty());
}

// A gas too dense for exact hard discs is refused with the packing fraction the laboratory
// prints for it (N·π·σ²/4 over the square the centres reach), however large the proximity.
TEST(Laboratory, TheDensityRefusalGivesThePrintedPackingFraction) {
  const struct {
    const char* count;
    const char* radius;
    const char* proximity;
  } rows[] = {{"500", "22", "44"}, {"43", "12", "1000000000"}, {"200", "12", "100"}};
  for (const auto& row : rows) {
    SeededGas gas(1, {row.count, "0", "0", "0"}, false);
    gas.sim.takeParticleRadius(row.radius);
    gas.sim.takeProximity(row.proximity);
    gas.sim.SetUpSpecies(test::rows({row.count, "0", "0", "0"}));
    gas.sim.PlaceParticles(gas.surface);
    const std::string why = gas.sim.separateOverlaps();
    Laboratory lab(gas.sim);
    lab.runStarted({1, 0});
    char printed[32];
    std::snprintf(printed, sizeof printed, "%.3g", lab.results().eta);
    EXPECT_NE(why.find(std::string("packing fraction of ") + printed + ";"), std::string::npos)
        << why << " / " << printed;
  }
  // 500 discs at a packing fraction of 0.74 are pushed apart.
  SeededGas fits(1, {"500", "0", "0", "0"}, false);
  fits.sim.takeParticleRadius("20.8");
  fits.sim.takeProximity("41.6");
  fits.sim.SetUpSpecies(test::rows({"500", "0", "0", "0"}));
  fits.sim.PlaceParticles(fits.surface);
  EXPECT_EQ(fits.sim.separateOverlaps(), "");
}

// A gas of one species at packing fraction eta: N discs with proximity 2·radius under the exact
// rule, the radius from η = N·π·σ² / (4·(1000 − σ)²).
struct DenseGas : SeededGas {
  Laboratory lab{sim};
  DenseGas(int n, double eta, std::uint32_t seed, long warmup, long ticks, double proximity = -1)
      : SeededGas(seed, {std::to_string(n), "0", "0", "0"}, false) {
    const double a = std::sqrt(4 * eta / (n * std::numbers::pi));
    const double sigma = 1000 * a / (1 + a);
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", sigma / 2);
    sim.takeParticleRadius(text);
    std::snprintf(text, sizeof text, "%.17g", proximity >= 0 ? proximity : sigma);
    sim.takeProximity(text);
    sim.SetUpSpecies(test::rows({std::to_string(n), "0", "0", "0"}, {"1", "1", "1", "1"}));
    sim.PlaceParticles(surface);
    sim.setCollisionRule(CollisionRule::Exact);
    lab.setSettings({warmup, ticks});
    lab.runStarted({seed, 0});
    for (long t = 0; t < warmup + ticks; ++t) {
      sim.Timer1_Timer(surface, display);
      lab.afterTick();
    }
  }
};

// Discs that never meet (proximity 0) fill the box evenly: the profile is flat up to the walls
// and the interior holds the nominal density. However it looks, the profile accounts for every
// centre: summed over its bands it gives back the count.
// Centres spread evenly over the square read 1 in every bin, out to the box's centre: the last
// bin is the part bin that reaches it (side 910 and bins of 10 leave one 5 wide), and none of
// the centre's points is counted in the bin before it.
TEST(WallProfile, AnEvenSpreadReadsOneInEveryBinToTheCentre) {
  for (const double unit : {100.0, 37.0}) {
    WallProfile w;
    const double side = 910;
    w.reset(side, unit);
    EXPECT_GE(w.bins() * w.binWidth(), side / 2);
    EXPECT_LT((w.bins() - 1) * w.binWidth(), side / 2);
    std::mt19937 gen(17);
    std::uniform_real_distribution<double> u(0, side);
    const int n = 2000, ticks = 2000;
    std::vector<double> x(n + 1), y(n + 1);
    const std::vector<int> species(n + 1, 1);
    for (int t = 0; t < ticks; ++t) {
      for (int i = 1; i <= n; ++i) {
        x[static_cast<std::size_t>(i)] = u(gen);
        y[static_cast<std::size_t>(i)] = u(gen);
      }
      w.add(x, y, species, n);
    }
    const std::vector<double> d = w.density(1, n / (side * side));
    ASSERT_EQ(static_cast<int>(d.size()), w.bins());
    for (int b = 0; b < w.bins(); ++b) {
      // The share of the square in the band, and its counting error.
      const double outer = side - 2 * b * w.binWidth();
      const double inner = std::max(0.0, side - 2 * (b + 1) * w.binWidth());
      const double expected =
          static_cast<double>(n) * ticks * (outer * outer - inner * inner) / (side * side);
      EXPECT_NEAR(d[static_cast<std::size_t>(b)], 1, 5 / std::sqrt(expected))
          << "bin " << b << " of " << w.bins() << ", unit " << unit;
    }
  }
}

TEST(WallProfile, AnIdealGasIsEvenAndTheProfileCountsEveryDisc) {
  DenseGas gas(200, 0.1, 3, 0, 5000, 0);
  const Results r = gas.lab.results();
  const std::vector<double>& profile = r.species[0].profile;
  ASSERT_GT(profile.size(), 40u);
  double nearWall = 0;
  for (std::size_t b = 0; b < 40; ++b)
    nearWall += profile[b] / 40;
  EXPECT_NEAR(nearWall, 1, 0.03);
  const double nominal = 200 / (r.side * r.side);
  const double inner = r.side - 2 * r.interiorFrom;
  EXPECT_NEAR(r.interiorCount.value / (inner * inner) / nominal, 1, 0.03);

  DenseGas dense(200, 0.3, 3, 500, 1000);
  const Results d = dense.lab.results();
  const double width = d.profileDistance[1] - d.profileDistance[0];
  double counted = 0;
  for (std::size_t b = 0; b < d.species[0].profile.size(); ++b) {
    const double from = d.profileDistance[b] - width / 2, to = from + width;
    const double outer = d.side - 2 * from * d.sigma,
                 innerSide = std::max(0.0, d.side - 2 * to * d.sigma);
    counted +=
        d.species[0].profile[b] * (outer * outer - innerSide * innerSide) * 200 / (d.side * d.side);
  }
  EXPECT_NEAR(counted, 200, 1e-9);
  // Hard walls gather discs against them: at η = 0.3 the contact density is well above the
  // nominal one.
  EXPECT_GT(d.species[0].profile[0], 1.3);
}

// A long dilute run: 50 discs at η = 0.05. The walls take (32/3π)·η·σ/L off the bulk Z, five
// times the run's error; with that term the measured Z agrees with theory.
TEST(WallProfile, TheFirstOrderWallTermMeetsADiluteRun) {
  DenseGas gas(50, 0.05, 1, 2000, 100000);
  const Results r = gas.lab.results();
  ASSERT_GT(r.Z.error, 0);
  EXPECT_LT(std::fabs(r.Z.value - r.zWalled), 3 * r.Z.error)
      << r.Z.value << " ± " << r.Z.error << " against " << r.zWalled;
  EXPECT_GT(std::fabs(r.Z.value - r.zBulk), 4 * r.Z.error);
}

// At η = 0.3, 200 discs: Z over the nominal density lies 6 % below the bulk fluid's, Z over
// the interior's density within 2 % of the bulk fluid's at that density.
TEST(WallProfile, TheInteriorDensityBringsZToTheBulk) {
  DenseGas gas(200, 0.3, 1, 2000, 10000);
  const Results r = gas.lab.results();
  EXPECT_LT(r.Z.value / r.zBulk, 0.95);
  EXPECT_LT(r.etaInterior.value, r.eta);
  EXPECT_NEAR(r.zInterior.value / r.zBulkInterior, 1, 0.02);
}

// Measuring reads the gas and never changes it: positions after 1,000 ticks are bit for bit
// those of the same gas unmeasured.
TEST(Laboratory, MeasuringChangesNothing) {
  auto run = [](bool measured) {
    SeededGas gas(5, {"32", "8", "2", "1"}, measured);
    gas.run(1000);
    std::vector<double> out;
    const State& s = gas.sim.state();
    for (int i = 1; i <= 43; ++i)
      for (const Cell* c : {&s.posX(i), &s.posY(i), &s.velX(i)})
        out.push_back(c->toDouble());
    return out;
  };
  EXPECT_EQ(run(true), run(false));
}

}  // namespace
}  // namespace km::lab
