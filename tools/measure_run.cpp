// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure_run.h"

#include <stdexcept>

#include "random_source.h"
#include "simulation.h"

namespace km::measure {
namespace {

// The seed given on the command line, whatever time of day start-up offers to seed with.
class FixedSeed : public RandomSource {
 public:
  explicit FixedSeed(std::uint32_t seed) : generator_(seed) {}
  void seed(float) override {}
  float next() override { return generator_.next(); }

 private:
  SeededGenerator generator_;
};

struct Midnight : Clock {
  double secondsSinceMidnight() const override { return 0; }
};

}  // namespace

lab::Results run(const Options& o, const std::function<void(long, long)>& progress) {
  FixedSeed rnd(o.seed);
  Midnight clock;
  NoDrawing surface;
  NoReadouts readouts;
  Simulation sim(rnd, clock);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.takeParticleRadius(o.input.radius);
  sim.takeProximity(o.proximity);
  sim.takeVelocityScale(o.input.velocityRange);
  sim.SetUpSpecies(o.input.rows);
  sim.PlaceParticles(surface);
  if (o.rule == "exact") {
    sim.setCollisionRule(CollisionRule::Exact);
    const std::string why = sim.separateOverlaps();
    if (!why.empty()) throw Refused(why);
  }

  lab::Laboratory lab(sim);
  lab.setSettings({o.warmup, o.ticks});
  lab.runStarted(o.seed);
  const long total = o.warmup + o.ticks;
  const long every = std::max(1L, total / 200);
  for (long t = 1; t <= total; ++t) {
    sim.Timer1_Timer(surface, readouts);
    lab.afterTick();
    if (progress && t % every == 0) progress(t, total);
  }
  return lab.results();
}

}  // namespace km::measure
