// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state.h"

namespace km::lab {

// Heats (factor > 1) or cools (factor < 1) particles first..last, one species: their velocities
// about their mean velocity are scaled by √factor, so their energy of motion about that mean
// changes by the factor and their momentum not at all.
void heatParticles(State& s, int first, int last, double factor);

// Gives every particle 1..n the same kinetic energy, the mean ½mv² of the gas, keeping each
// direction (a particle at rest is sent along +x) and the total energy.
void equalizeEnergies(State& s, int n);

}  // namespace km::lab
