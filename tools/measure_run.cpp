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

Outcome run(const Options& o, const Control& control) {
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
  Outcome out;
  out.total = o.warmup + o.ticks;
  for (long t = 1; t <= out.total; ++t) {
    if (control.stop && control.stop()) {
      out.stopped = true;
      break;
    }
    sim.Timer1_Timer(surface, readouts);
    lab.afterTick();
    if (control.progress) control.progress(t, out.total);
  }
  out.results = lab.results();
  return out;
}

}  // namespace km::measure
