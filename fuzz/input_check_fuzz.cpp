// SPDX-License-Identifier: GPL-3.0-or-later
// The input check on arbitrary field texts. The bytes are split at '|' into the four counts,
// the four masses, the radius and the velocity range (missing fields are empty; the last one
// takes the rest). The check must never fail, and whatever it accepts must set up, place and
// run 30 ticks without a run-time error: that is what the check promises the user.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bench_gas.h"
#include "input_check.h"
#include "run_error.h"

namespace {

km::RunInput split(std::string_view bytes) {
  std::string* fields[10];
  km::RunInput in;
  for (int k = 0; k < 4; ++k) {
    fields[k] = &in.rows.counts[k];
    fields[4 + k] = &in.rows.masses[k];
  }
  fields[8] = &in.radius;
  fields[9] = &in.velocityRange;
  for (int f = 0; f < 10 && !bytes.empty(); ++f) {
    const std::size_t bar = f < 9 ? bytes.find('|') : std::string_view::npos;
    *fields[f] = std::string(bytes.substr(0, bar));
    bytes = bar == std::string_view::npos ? std::string_view() : bytes.substr(bar + 1);
  }
  return in;
}

[[noreturn]] void refusedRun(const km::RunInput& in, const char* stage, const char* what) {
  std::fprintf(stderr, "input_check_fuzz: accepted input stopped the run %s: %s\n", stage, what);
  for (int k = 0; k < 4; ++k)
    std::fprintf(stderr, "  species %d: count \"%s\", mass \"%s\"\n", k + 1,
                 in.rows.counts[k].c_str(), in.rows.masses[k].c_str());
  std::fprintf(stderr, "  radius \"%s\", velocity range \"%s\"\n", in.radius.c_str(),
               in.velocityRange.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const km::RunInput in = split(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::vector<km::InputProblem> problems = km::checkRunInput(in);
  for (const km::InputProblem& p : problems)
    if (p.message.empty()) std::abort();
  if (!problems.empty()) return 0;

  km::bench::FixedClock clock;
  km::bench::NullSurface surface;
  km::bench::NullDisplay display;
  km::SeededGenerator rnd;
  km::Simulation sim(rnd, clock);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.takeParticleRadius(in.radius);
  sim.takeVelocityScale(in.velocityRange);
  const char* stage = "in the set-up";
  try {
    sim.SetUpSpecies(in.rows);
    stage = "placing the particles";
    sim.PlaceParticles(surface);
    stage = "in the ticks";
    for (int t = 0; t < 30; ++t)
      sim.Timer1_Timer(surface, display);
  } catch (const km::RunError& e) {
    refusedRun(in, stage, e.what());
  }
  return 0;
}
