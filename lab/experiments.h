// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "state.h"

namespace km::lab {

// The velocities of particles first..last, one species, heated (factor > 1) or cooled
// (factor < 1): their velocities about their mean velocity scaled by √factor, so that their
// energy of motion about that mean changes by the factor and their momentum not at all. A
// species of one disc has no motion about its mean: its own velocity is scaled instead.
struct Heating {
  std::vector<double> vx, vy;  // for first..last
  double energyBefore = 0;     // the energy that the factor scales, before and after
  double energyAfter = 0;
  double fastest = 0;  // the highest speed after
};
Heating planHeating(const State& s, int first, int last, double factor);
void applyHeating(State& s, int first, const Heating& h);

// Gives every particle 1..n the same kinetic energy, the mean ½mv² of the gas, keeping each
// direction (a particle at rest is sent along +x) and the total energy.
void equalizeEnergies(State& s, int n);

}  // namespace km::lab
