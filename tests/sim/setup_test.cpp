// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "fakes.h"
#include "run_error.h"

namespace km {
namespace {

using test::Rig;
using test::rows;

ErrorKind errorOf(auto&& f) {
  try {
    f();
  } catch (const RunError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no run-time error";
  return ErrorKind::InvalidProcedureCall;
}

int circles(const test::RecordingSurface& s) {
  int n = 0;
  for (const auto& c : s.calls)
    n += c.rfind("circle", 0) == 0;
  return n;
}

TEST(SetUpSpecies, FractionalCountsTotalAndAssignWholeParticles) {
  Rig rig;
  rig.sim.SetUpSpecies(rows({"32", "8", "2", "0.5"}));
  EXPECT_EQ(rig.s.speciesCount(0).kind(), Kind::Double);
  EXPECT_EQ(rig.s.speciesCount(0).doubleValue(), 42.5);
  EXPECT_EQ(rig.s.speciesCount(4).textValue(), " .5");
  EXPECT_EQ(rig.s.partMass(1).textValue(), "1");
  EXPECT_EQ(rig.s.partMass(32).textValue(), "1");
  EXPECT_EQ(rig.s.partMass(33).textValue(), "4");
  EXPECT_EQ(rig.s.partMass(42).textValue(), "16");
  EXPECT_EQ(rig.s.partColor(42).intValue(), RGB(0, 255, 255));
  EXPECT_EQ(rig.s.partMass(43).kind(), Kind::Empty);
  EXPECT_EQ(rig.s.speciesMass(0).doubleValue(), 85);
  EXPECT_EQ(rig.s.speciesMass(3).textValue(), "16");

  rig.surface.calls.clear();
  rig.sim.PlaceParticles(rig.surface);
  EXPECT_EQ(rig.s.placedCount, 42);
  EXPECT_EQ(circles(rig.surface), 42);
  EXPECT_EQ(rig.rnd.draws, 42u * 4);
}

TEST(SetUpSpecies, CountsAreStoredAsTheirStrText) {
  Rig rig;
  rig.sim.SetUpSpecies(rows({"12", " 3 ", "0", "-2"}));
  EXPECT_EQ(rig.s.speciesCount(1).textValue(), " 12");
  EXPECT_EQ(rig.s.speciesCount(2).textValue(), " 3");
  EXPECT_EQ(rig.s.speciesCount(4).textValue(), "-2");
  // A negative count lowers the total but assigns nothing.
  EXPECT_EQ(rig.s.speciesCount(0).doubleValue(), 13);
  EXPECT_EQ(rig.s.partMass(15).textValue(), "4");
  EXPECT_EQ(rig.s.partMass(16).kind(), Kind::Empty);
  rig.sim.PlaceParticles(rig.surface);
  EXPECT_EQ(rig.s.placedCount, 13);
}

TEST(PlaceParticles, FourDrawsPerParticleInOrder) {
  Rig rig;
  rig.rnd.values = {0.1f, 0.2f, 0.75f, 0.25f, 0.3f, 0.4f, 0.0f, 0.5f};
  rig.sim.SetUpSpecies(rows({"0", "2", "0", "0"}));
  rig.surface.calls.clear();
  rig.sim.PlaceParticles(rig.surface);
  const State& s = rig.s;
  EXPECT_EQ(s.posX(2).kind(), Kind::Single);
  EXPECT_EQ(s.posX(2).singleValue(), static_cast<float>(double(0.3f) * 1000));
  EXPECT_EQ(s.posY(2).singleValue(), static_cast<float>(double(0.4f) * 1000));
  EXPECT_EQ(s.velX(2).kind(), Kind::Double);
  EXPECT_DOUBLE_EQ(s.velX(2).doubleValue(), -0.5 * 20 / 2);
  EXPECT_DOUBLE_EQ(s.velY(2).doubleValue(), 0.0);
  EXPECT_EQ(s.partRadius(2).intValue(), 12);
  // Particle 1 is parked at rest in the centre, as integers, after its circle was drawn.
  EXPECT_EQ(s.posX(1).kind(), Kind::Integer);
  EXPECT_EQ(s.posX(1).intValue(), 500);
  EXPECT_EQ(s.velY(1).intValue(), 0);
  std::vector<std::string> expected = {"circle 100 200 12 fore", "circle 300 400 12 fore"};
  EXPECT_EQ(rig.surface.calls, expected);
}

TEST(PlaceParticles, AllCountsZeroStillParksParticleOne) {
  Rig rig;
  rig.sim.SetUpSpecies(rows({"0", "0", "0", "0"}));
  rig.surface.calls.clear();
  rig.sim.PlaceParticles(rig.surface);
  EXPECT_TRUE(rig.surface.calls.empty());
  EXPECT_EQ(rig.rnd.draws, 0u);
  EXPECT_EQ(rig.s.posX(1).intValue(), 500);
  EXPECT_EQ(rig.s.posY(1).intValue(), 500);
  EXPECT_EQ(rig.s.velX(1).intValue(), 0);
  EXPECT_EQ(rig.s.placedCount, 0);
}

TEST(PlaceParticles, SameGeneratorStateSamePlacement) {
  test::FixedClock clock;
  test::RecordingSurface surface;
  SeededGenerator g1, g2;
  Simulation a(g1, clock), b(g2, clock);
  for (Simulation* sim : {&a, &b}) {
    sim->startUp(surface);
    sim->setDefaultSpeciesColors();
    sim->SetUpSpecies(rows({"32", "8", "2", "1"}));
    sim->PlaceParticles(surface);
  }
  for (int i = 2; i <= 43; ++i) {
    EXPECT_EQ(a.state().posX(i).singleValue(), b.state().posX(i).singleValue());
    EXPECT_EQ(a.state().velY(i).doubleValue(), b.state().velY(i).doubleValue());
  }
  a.PlaceParticles(surface);
  EXPECT_NE(a.state().posX(2).singleValue(), b.state().posX(2).singleValue());
}

TEST(PlaceParticles, LeftoversOfALargerRunAreKept) {
  Rig rig;
  rig.rnd.values = {0.5f, 0.5f, 0.6f, 0.7f};
  rig.sim.SetUpSpecies(rows({"10", "0", "0", "0"}));
  rig.sim.PlaceParticles(rig.surface);
  rig.rnd.values = {0.1f};
  rig.sim.SetUpSpecies(rows({"0", "3", "0", "0"}));
  rig.sim.PlaceParticles(rig.surface);
  EXPECT_EQ(rig.s.placedCount, 3);
  EXPECT_EQ(rig.s.partMass(3).textValue(), "4");
  EXPECT_EQ(rig.s.partMass(4).textValue(), "1");
  EXPECT_EQ(rig.s.posX(10).singleValue(), 500.0f);
  EXPECT_EQ(rig.s.posX(3).singleValue(), static_cast<float>(double(0.1f) * 1000));
}

TEST(SetUpErrors, RaisedWhereTheRulesFail) {
  {
    Rig rig;
    EXPECT_EQ(errorOf([&] {
                rig.sim.SetUpSpecies(rows({"32", "abc", "2", "1"}));
              }),
              ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf([&] {
                rig.sim.SetUpSpecies(rows({"32", "", "2", "1"}));
              }),
              ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf([&] {
                rig.sim.SetUpSpecies(rows({"1", "1", "1", "1"}, {"1", "x", "1", "1"}));
              }),
              ErrorKind::TypeMismatch);
  }
  {
    Rig rig;
    EXPECT_EQ(errorOf([&] {
                rig.sim.SetUpSpecies(rows({"400", "101", "0", "0"}));
              }),
              ErrorKind::SubscriptOutOfRange);
    EXPECT_EQ(rig.s.partMass(500).textValue(), "4");
  }
  {
    Rig rig;
    rig.sim.SetUpSpecies(rows({"3", "0", "0", "0"}, {"0", "1", "1", "1"}));
    EXPECT_EQ(errorOf([&] { rig.sim.PlaceParticles(rig.surface); }), ErrorKind::DivisionByZero);
    rig.sim.SetUpSpecies(rows({"3", "0", "0", "0"}, {"-1", "1", "1", "1"}));
    EXPECT_EQ(errorOf([&] { rig.sim.PlaceParticles(rig.surface); }),
              ErrorKind::InvalidProcedureCall);
  }
  {
    Rig rig;
    rig.sim.takeParticleRadius("big");
    rig.sim.SetUpSpecies(rows({"3", "0", "0", "0"}));
    rig.surface.calls.clear();
    EXPECT_EQ(errorOf([&] { rig.sim.PlaceParticles(rig.surface); }), ErrorKind::TypeMismatch);
    EXPECT_TRUE(rig.surface.calls.empty());
  }
}

TEST(SetUpSpecies, TypedRadiusAndVelocityTextsAreUsedAsNumbers) {
  Rig rig;
  rig.rnd.values = {0.5f, 0.5f, 1.0f - 0x1p-24f, 0.0f};
  rig.sim.takeParticleRadius(" 7.5");
  rig.sim.takeVelocityScale("40");
  rig.sim.SetUpSpecies(rows({"2", "0", "0", "0"}, {"4", "1", "1", "1"}));
  rig.sim.PlaceParticles(rig.surface);
  EXPECT_EQ(rig.s.partRadius(2).textValue(), " 7.5");
  EXPECT_DOUBLE_EQ(rig.s.velX(2).doubleValue(), (double(1.0f - 0x1p-24f) - 0.5) * 40 / 2);
  EXPECT_DOUBLE_EQ(rig.s.velY(2).doubleValue(), -10);
  EXPECT_EQ(rig.surface.calls.back(), "circle 500 500 7.5 fore");
}

}  // namespace
}  // namespace km
