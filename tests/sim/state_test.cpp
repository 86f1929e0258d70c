// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "fakes.h"
#include "run_error.h"

namespace km {
namespace {

using test::Rig;

TEST(StateBounds, EveryArrayChecksItsRange) {
  State s;
  auto outOfRange = [](auto&& f) {
    try {
      f();
    } catch (const RunError& e) {
      return e.kind() == ErrorKind::SubscriptOutOfRange;
    }
    return false;
  };
  EXPECT_NO_THROW(s.posX(500) = 1);
  EXPECT_NO_THROW(s.partColor(0));
  EXPECT_TRUE(outOfRange([&] { s.posX(501); }));
  EXPECT_TRUE(outOfRange([&] { s.velY(-1); }));
  EXPECT_TRUE(outOfRange([&] { s.partMass(501) = 1; }));
  EXPECT_NO_THROW(s.speciesCount(10));
  EXPECT_TRUE(outOfRange([&] { s.speciesCount(11); }));
  EXPECT_TRUE(outOfRange([&] { s.speciesColor(11); }));
  EXPECT_NO_THROW(s.speciesMass(500));
  EXPECT_NO_THROW(s.trailX(100));
  EXPECT_TRUE(outOfRange([&] { s.trailY(101); }));
  // A cell index is rounded first, halves to even.
  EXPECT_NO_THROW(s.posX(Cell(500.5)));
  EXPECT_TRUE(outOfRange([&] { s.posX(Cell(500.6)); }));
}

TEST(StateDefaults, StartUpSeedsAndSetsTheSettings) {
  Rig rig;
  EXPECT_EQ(rig.rnd.seededWith, 45296.75f);
  EXPECT_EQ(rig.surface.calls, std::vector<std::string>{"back 0"});
  EXPECT_EQ(rig.s.velScale.kind(), Kind::Integer);
  EXPECT_EQ(rig.s.velScale.intValue(), 20);
  EXPECT_EQ(rig.s.partRad.intValue(), 12);
  EXPECT_EQ(rig.s.collProx.kind(), Kind::Integer);
  EXPECT_EQ(rig.s.collProx.intValue(), 24);
  EXPECT_EQ(rig.s.posX(1).kind(), Kind::Empty);
  EXPECT_EQ(rig.s.trailY(100).kind(), Kind::Empty);
}

TEST(StateDefaults, ColoursHaveRedInTheLowByte) {
  EXPECT_EQ(RGB(255, 0, 0), 255);
  EXPECT_EQ(RGB(0, 0, 255), 16711680);
  Rig rig;
  EXPECT_EQ(rig.s.speciesColor(1).intValue(), 65280);
  EXPECT_EQ(rig.s.speciesColor(2).intValue(), 16711680);
  EXPECT_EQ(rig.s.speciesColor(3).intValue(), 16776960);
  EXPECT_EQ(rig.s.speciesColor(4).intValue(), 255);
}

TEST(FieldChanges, CountsAndMassesTakeValAndTotal) {
  Rig rig;
  const char* counts[] = {" 32", " 8", " 2", "1"};
  for (int k = 0; k < 4; ++k)
    rig.sim.takeSpeciesCount(k, counts[k]);
  EXPECT_EQ(rig.s.speciesCount(0).doubleValue(), 43);
  struct Row {
    const char* text;
    double value;
  } rows[] = {{"abc", 0}, {"7 abc", 7}, {"", 0}, {"2.5", 2.5}, {"-3", -3}};
  for (const Row& r : rows) {
    rig.sim.takeSpeciesCount(1, r.text);
    EXPECT_EQ(rig.s.speciesCount(2).kind(), Kind::Double);
    EXPECT_EQ(rig.s.speciesCount(2).doubleValue(), r.value);
    EXPECT_EQ(rig.s.speciesCount(0).doubleValue(), 35 + r.value) << r.text;
  }
  for (int k = 0; k < 4; ++k)
    rig.sim.takeSpeciesMass(k, std::to_string(1 << (2 * k)));
  EXPECT_EQ(rig.s.speciesMass(0).doubleValue(), 85);
}

}  // namespace
}  // namespace km
