// SPDX-License-Identifier: GPL-3.0-or-later
#include "experiments.h"

#include <cmath>

namespace km::lab {

void heatParticles(State& s, int first, int last, double factor) {
  if (first > last || !(factor >= 0)) return;
  double mass = 0, px = 0, py = 0;
  for (int i = first; i <= last; ++i) {
    const double m = s.partMass(i).toDouble();
    mass += m;
    px += m * s.velX(i).toDouble();
    py += m * s.velY(i).toDouble();
  }
  const double meanX = mass > 0 ? px / mass : 0, meanY = mass > 0 ? py / mass : 0;
  const double scale = std::sqrt(factor);
  for (int i = first; i <= last; ++i) {
    s.velX(i) = meanX + scale * (s.velX(i).toDouble() - meanX);
    s.velY(i) = meanY + scale * (s.velY(i).toDouble() - meanY);
  }
}

void equalizeEnergies(State& s, int n) {
  if (n < 1) return;
  double energy = 0;
  for (int i = 1; i <= n; ++i) {
    const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
    energy += 0.5 * s.partMass(i).toDouble() * (vx * vx + vy * vy);
  }
  const double each = energy / n;
  for (int i = 1; i <= n; ++i) {
    const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
    const double m = s.partMass(i).toDouble();
    const double speed = std::hypot(vx, vy);
    const double target = m > 0 ? std::sqrt(2 * each / m) : 0;
    if (speed > 0) {
      s.velX(i) = vx / speed * target;
      s.velY(i) = vy / speed * target;
    } else {
      s.velX(i) = target;
      s.velY(i) = 0.0;
    }
  }
}

}  // namespace km::lab
