// SPDX-License-Identifier: GPL-3.0-or-later
#include "gas_picture.h"

namespace km {

void drawGas(const Simulation& sim, DrawingSurface& surface) {
  const State& s = sim.state();
  surface.setBackColor(0);
  const int last = sim.lastParticle();
  if (last < 1) return;
  const Color trail = s.partColor(1).toIndex();
  surface.setFillColor(trail);
  for (int k = 100; k >= 1; --k)
    surface.circle(s.trailX(k).toSingle(), s.trailY(k).toSingle(), (s.partRadius(1) / 4).toSingle(),
                   trail);
  for (int i = 1; i <= last; ++i) {
    const Color color = s.partColor(i).toIndex();
    surface.setFillColor(color);
    surface.circle(s.posX(i).toSingle(), s.posY(i).toSingle(), s.partRadius(i).toSingle(), color);
  }
  const double wall = sim.boundaries().rightX();
  if (wall < 1000) surface.wallLine(static_cast<float>(wall), 0, 1000, wallColor);
  drawDivider(sim.boundaries(), surface);
}

}  // namespace km
