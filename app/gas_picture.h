// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "simulation.h"
#include "surface.h"

namespace km {

// Draws the gas afresh as the windows show it after a tick: the box in black, particle 1's
// trail of its last 100 places, then every placed disc in its species' colour, in the order a
// tick draws them, and the right wall's line where it stands inside the box.
void drawGas(const Simulation& sim, DrawingSurface& surface);

}  // namespace km
