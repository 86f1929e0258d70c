// SPDX-License-Identifier: GPL-3.0-or-later
// The field, the divider and the starting sides as kinetic-measure reads them and as the
// laboratory sets them: what each takes, what each refuses and why, and what each leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "disc_gas.h"
#include "headless_run.h"
#include "measure_options.h"

namespace km {
namespace {

using measure::parseOptions;
using Sides = std::array<StartSide, 4>;

TEST(FieldOptions, ReadsTheFieldTheDividerAndTheSides) {
  const measure::Parsed p = parseOptions(
      {"--gravity", "0.05", "--divider=60", "--sides", "left,right,both,left", "--ticks", "5"});
  ASSERT_TRUE(p.problems.empty()) << p.problems.front();
  EXPECT_EQ(p.options.walls.gravity, 0.05);
  EXPECT_EQ(p.options.walls.divider, 60);
  EXPECT_EQ(p.options.sides,
            (Sides{StartSide::Left, StartSide::Right, StartSide::Both, StartSide::Left}));
  // The edges of what each takes: no field, the limit, a closed divider, none at all.
  for (const std::vector<std::string>& ok : {std::vector<std::string>{"--gravity", "0"},
                                             {"--gravity", "50000"},
                                             {"--divider", "0"},
                                             {"--divider", "1000"},
                                             {"--divider", "5000"},
                                             {"--sides", "both,both,both,both"}})
    EXPECT_TRUE(parseOptions(ok).problems.empty()) << ok[0] << " " << ok[1];
  const measure::Parsed none = parseOptions({});
  EXPECT_FALSE(none.options.walls.gravity || none.options.walls.divider);
  EXPECT_EQ(none.options.sides, Sides{});
}

TEST(FieldOptions, RefusesWhatTheyDoNotTakeAndSaysWhatTheyTake) {
  const std::string gravity = "--gravity must be a number from 0 to 50,000 units per tick^2, not ";
  const std::string divider =
      "--divider must be the opening's width, 0 (closed) or more units (1000 or more: no "
      "divider), not ";
  const std::string sides =
      "--sides takes four values separated by commas, one per species, each left, right or "
      "both; not ";
  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"--gravity", "-0.1"}, gravity + "\"-0.1\""},
      {{"--gravity", "50001"}, gravity + "\"50001\""},
      {{"--gravity", "inf"}, gravity + "\"inf\""},
      {{"--gravity", "1e999"}, gravity + "\"1e999\""},
      {{"--gravity", "g"}, gravity + "\"g\""},
      {{"--gravity", ""}, gravity + "\"\""},
      {{"--divider", "-1"}, divider + "\"-1\""},
      {{"--divider", "nan"}, divider + "\"nan\""},
      {{"--divider", "wide"}, divider + "\"wide\""},
      {{"--sides", "left,right,both"}, sides + "\"left,right,both\""},
      {{"--sides", "left,right,both,both,left"}, sides + "\"left,right,both,both,left\""},
      {{"--sides", "left,up,both,both"}, sides + "\"left,up,both,both\""},
      {{"--sides", "Left,right,both,both"}, sides + "\"Left,right,both,both\""},
      {{"--sides", "left, right,both,both"}, sides + "\"left, right,both,both\""},
      {{"--sides", "left,,both,both"}, sides + "\"left,,both,both\""},
      {{"--sweep", "--divider=40"},
       "--divider has no place with --sweep: its runs are the box without a field or a "
       "divider, every disc placed anywhere"},
      {{"--gravity"}, "--gravity needs a value"},
      {{"--sides"}, "--sides needs a value"}};
  for (const auto& [args, why] : bad) {
    const measure::Parsed p = parseOptions(args);
    ASSERT_EQ(p.problems.size(), 1u) << args[0];
    EXPECT_EQ(p.problems[0], why);
  }
}

lab::GasSetup dilute() {
  lab::GasSetup s = lab::fixture::discGas(40, 3);
  s.rows = {{"20", "20", "0", "0"}, {"1", "4", "1", "1"}};
  return s;
}

TEST(FieldSettings, TheLaboratoryRefusesWithTheReasonAndChangesNothing) {
  lab::HeadlessGas gas(dilute());
  lab::Laboratory& lab = gas.laboratory();
  const Boundaries& b = gas.simulation().boundaries();
  lab::fixture::run(gas, 5);
  const std::size_t events = lab.history().events.size();
  EXPECT_EQ(lab.setGravity(-1),
            "The field must be 0 or more units per tick², toward the bottom, not -1.");
  EXPECT_EQ(lab.setGravity(60000),
            "The field must be at most 50,000 units per tick², not 60000: a disc falling the "
            "box's height would pass 10,000 units per tick.");
  EXPECT_FALSE(lab.setGravity(std::nan("")).empty());
  EXPECT_FALSE(lab.setGravity(INFINITY).empty());
  EXPECT_EQ(lab.setDivider(-5),
            "The divider's opening must be 0 (closed) or more units wide, not -5.");
  EXPECT_FALSE(lab.setDivider(std::nan("")).empty());
  EXPECT_EQ(lab.setStartSides(
                {StartSide::Left, static_cast<StartSide>(7), StartSide::Both, StartSide::Both}),
            "Each species starts on the left, the right or both sides; species 2 has no such "
            "side.");
  EXPECT_EQ(b.gravity(), 0);
  EXPECT_FALSE(b.divider());
  EXPECT_EQ(gas.simulation().startSides(), Sides{});
  EXPECT_EQ(lab.history().events.size(), events) << "a refusal is no event";
  EXPECT_FALSE(b.active());
}

TEST(FieldSettings, EachSettingIsAnEventAndTheFieldCountsItsPotentialEnergy) {
  lab::HeadlessGas gas(dilute());
  lab::Laboratory& lab = gas.laboratory();
  lab::fixture::run(gas, 5);
  const double kinetic = lab.totalEnergy();
  EXPECT_EQ(lab.setGravity(0.25), "");
  EXPECT_EQ(lab.history().events.back().what, "field g = 0.25 u/tick² toward the floor");
  // Σ m·g·(1000 − y) joins the energy, read from the discs' own places.
  std::vector<double> xy(80), m(40);
  gas.positions(xy);
  gas.masses(m);
  double potential = 0;
  for (std::size_t k = 0; k < 40; ++k)
    potential += m[k] * 0.25 * (1000 - xy[2 * k + 1]);
  EXPECT_NEAR(lab.totalEnergy(), kinetic + potential, 1e-9 * (kinetic + potential));
  EXPECT_NEAR(lab.results().energyAtStart, kinetic + potential, 1e-9 * (kinetic + potential))
      << "the drift is measured from the energy in the field";
  EXPECT_EQ(lab.setDivider(40), "");
  EXPECT_EQ(lab.history().events.back().what, "divider, opening 40 u");
  EXPECT_EQ(lab.setDivider(0), "");
  EXPECT_EQ(lab.history().events.back().what, "divider closed");
  EXPECT_EQ(lab.setDivider(2000), "");
  EXPECT_EQ(lab.history().events.back().what, "no divider");
  EXPECT_EQ(lab.setGravity(0), "");
  EXPECT_EQ(lab.history().events.back().what, "field off");
  EXPECT_NEAR(lab.totalEnergy(), kinetic, 1e-12 * kinetic);
  // The sides wait for the next placement: marked, the averages going on.
  lab::fixture::run(gas, 20);
  const long measured = lab.results().measuredTicks;
  EXPECT_EQ(
      lab.setStartSides({StartSide::Left, StartSide::Right, StartSide::Both, StartSide::Both}), "");
  EXPECT_EQ(lab.history().events.back().what, "start sides: left, right, both, both");
  EXPECT_EQ(lab.results().measuredTicks, measured);
  EXPECT_EQ(gas.simulation().startSides()[1], StartSide::Right);
}

TEST(FieldSettings, TheSidesPlaceEachSpeciesWhereTheySay) {
  lab::GasSetup s = dilute();
  s.sides = {StartSide::Left, StartSide::Right, StartSide::Both, StartSide::Both};
  lab::HeadlessGas gas(s);
  std::vector<double> xy(80);
  std::vector<int> species(40);
  gas.positions(xy);
  gas.species(species);
  for (std::size_t k = 0; k < 40; ++k)
    if (species[k] == 1)
      EXPECT_LT(xy[2 * k], 500) << "disc " << k + 1;
    else
      EXPECT_GE(xy[2 * k], 500) << "disc " << k + 1;
}

TEST(FieldSettings, ADividerClosedDuringAnExactRunLetsNoDiscThrough) {
  // 200 discs of radius 12: some stand across x = 500 when the divider closes.
  lab::GasSetup s = lab::fixture::discGas(200, 12);
  s.velocityRange = "30";
  lab::HeadlessGas gas(s);
  lab::fixture::run(gas, 50);
  ASSERT_EQ(gas.laboratory().setDivider(0), "");
  std::vector<double> xy(400);
  gas.positions(xy);
  std::vector<bool> left(200);
  for (std::size_t k = 0; k < 200; ++k)
    left[k] = xy[2 * k] < 500;
  for (int t = 0; t < 2000; ++t) {
    gas.step();
    gas.positions(xy);
    for (std::size_t k = 0; k < 200; ++k) {
      ASSERT_EQ(xy[2 * k] < 500, left[k]) << "disc " << k + 1 << " crossed at tick " << t;
      ASSERT_GE(std::fabs(xy[2 * k] - 500), 12 * (1 - 1e-9)) << "disc " << k + 1;
    }
  }
}

}  // namespace
}  // namespace km
