// SPDX-License-Identifier: GPL-3.0-or-later
#include "headless_run.h"

#include "random_source.h"

namespace km::lab {
namespace {

// The seed given, whatever time of day start-up offers to seed with.
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

Outcome runGas(const GasSetup& setup, const Control& control) {
  FixedSeed rnd(setup.seed);
  Midnight clock;
  NoDrawing surface;
  NoReadouts readouts;
  Simulation sim(rnd, clock);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.takeParticleRadius(setup.radius);
  sim.takeProximity(setup.proximity);
  sim.takeVelocityScale(setup.velocityRange);
  sim.SetUpSpecies(setup.rows);
  sim.PlaceParticles(surface);
  if (setup.rule == CollisionRule::Exact) {
    sim.setCollisionRule(CollisionRule::Exact);
    const std::string why = sim.separateOverlaps();
    if (!why.empty()) throw Refused(why);
  }

  Laboratory lab(sim);
  lab.setSettings({setup.warmup, setup.ticks});
  lab.runStarted(setup.seed);
  Outcome out;
  out.total = setup.warmup + setup.ticks;
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

}  // namespace km::lab
