// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure_run.h"

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
  return lab::runGas(setupOf(o), control);
}

}  // namespace km::measure
