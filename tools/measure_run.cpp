// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure_run.h"

#include <algorithm>

namespace km::measure {

lab::GasSetup setupOf(const Options& o) {
  lab::GasSetup s;
  s.rows = o.input.rows;
  s.radius = o.input.radius;
  s.proximity = o.proximity;
  s.velocityRange = o.input.velocityRange;
  s.rule = o.rule == "exact" ? CollisionRule::Exact : CollisionRule::Specified;
  s.seed = o.seed;
  s.draws = o.draws;
  s.warmup = o.warmup;
  s.ticks = o.ticks;
  s.walls = o.walls;
  s.sides = o.sides;
  return s;
}

Outcome run(const Options& o, const Control& control) {
  if (o.gasLaw < 0) return lab::runGas(setupOf(o), control);
  // As a user would press the process's button once the warm-up has passed; every tick after
  // it is averaged, as in the laboratory, and the run ends on the tick the row comes.
  lab::GasSetup setup = setupOf(o);
  setup.ticks = 0;
  lab::HeadlessGas gas(setup);
  lab::Laboratory& lab = gas.laboratory();
  Outcome out;
  auto stepped = [&] {
    if (control.stop && control.stop()) {
      out.stopped = true;
      return false;
    }
    gas.step();
    if (control.progress) control.progress(gas.ticks(), out.total);
    return true;
  };
  out.total = 0;
  // With no warm-up, after the first tick: before it the laboratory knows no kT to start from.
  while (gas.ticks() < std::max(o.warmup, 1L))
    if (!stepped()) break;
  if (!out.stopped) {
    if (std::string why = lab.startGasLaw(o.gasLaw); !why.empty()) throw Refused(why);
    while (lab.gasLaws().running())
      if (!stepped()) break;
  }
  out.results = lab.results();
  if (!out.stopped) out.total = gas.ticks();
  return out;
}

}  // namespace km::measure
