// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace km {

enum class Axis { X, Y };

// Hears what a tick does that its end state does not show: the turns at the walls and the
// exchanges between pairs. Attached to a Simulation, or not at all.
class GasObserver {
 public:
  virtual ~GasObserver() = default;
  // Particle i's velocity component on `axis` turned from `before` to `after` at a wall, its
  // centre standing at `at` on that axis.
  virtual void wallTurn(int i, Axis axis, double at, double before, double after) = 0;
  // Particles i and j exchanged momentum.
  virtual void pairExchange(int i, int j) = 0;
};

}  // namespace km
