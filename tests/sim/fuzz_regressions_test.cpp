// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs the fuzz targets found, reduced: each once broke a promise of the engine.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "bench_gas.h"
#include "conversions.h"
#include "input_check.h"
#include "run_error.h"

namespace km {
namespace {

RunInput withCounts(std::array<std::string, 4> counts, std::array<std::string, 4> masses) {
  return RunInput{SpeciesTexts{counts, masses}, "12", "20"};
}

// Sets up, places and runs a few ticks; the run-time error's text, or "" when none.
std::string runError(const RunInput& in) {
  bench::FixedClock clock;
  bench::NullSurface surface;
  bench::NullDisplay display;
  SeededGenerator rnd;
  Simulation sim(rnd, clock);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.takeParticleRadius(in.radius);
  sim.takeVelocityScale(in.velocityRange);
  try {
    sim.SetUpSpecies(in.rows);
    sim.PlaceParticles(surface);
    for (int t = 0; t < 30; ++t)
      sim.Timer1_Timer(surface, display);
  } catch (const RunError& e) {
    return e.what();
  }
  return "";
}

// The set-up keeps a count as Str writes it, with 15 significant digits: a count 16 digits
// short of a whole number becomes that whole number there. The check must judge that count,
// or an accepted input makes a particle without a checked mass, or one past the box's 500.
TEST(FuzzRegressions, CountsAreCheckedAsTheSetUpRoundsThem) {
  struct Row {
    const char* what;
    RunInput in;
  } rows[] = {
      {"a particle of mass 0",
       withCounts({"0.9999999999999999", "0", "0", "0"}, {"0", "4", "16", "4"})},
      {"a particle of negative mass",
       withCounts({"0", "0", "0", "0.9999999999999999"}, {"1", "1", "1", "-4"})},
      {"501 particles", withCounts({"499.99999999999994", "1", "0", "0"}, {"1", "4", "16", "64"})},
  };
  for (const Row& r : rows) {
    const std::string error = runError(r.in);
    EXPECT_NE(error, "") << r.what << ": the input no longer fails the run";
    EXPECT_FALSE(checkRunInput(r.in).empty())
        << r.what << " accepted, and the run stops: " << error;
  }
  // Just below the rounding, the count stays short of a particle and the run is fine.
  const RunInput fine = withCounts({"0.999999999999999", "1", "0", "0"}, {"0", "4", "16", "64"});
  EXPECT_TRUE(checkRunInput(fine).empty());
  EXPECT_EQ(runError(fine), "");
}

// Counts whose sum is beyond the double range: the refusal's text was built from the
// infinite sum, and writing an infinity read past the end of its digits (ASan: stack buffer
// overflow); the words must stay readable.
TEST(FuzzRegressions, CountsBeyondTheDoubleRangeAreRefusedInWords) {
  const auto problems =
      checkRunInput(withCounts({"1e308", "1e308", "0", "0"}, {"1", "4", "16", "64"}));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].field, Field::Count);
  const std::string& m = problems[0].message;
  EXPECT_NE(m.find("500"), std::string::npos) << m;
  for (char c : m)
    EXPECT_TRUE(c >= ' ' && c <= '~') << "unprintable byte in: " << m;
}

}  // namespace
}  // namespace km
