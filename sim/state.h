// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cell.h"
#include "cell_array.h"

namespace km {

// All variables of the simulation, in their declaration order. Particles are numbered from
// 1 (element 0 unused); element 0 of speciesCount and speciesMass holds the total.
struct State {
  CellArray<500> posX, posY;   // user units, 0..1000, y downward
  CellArray<500> velX, velY;   // user units per tick
  CellArray<500> partRadius;   // copy of partRad at placement
  CellArray<10> speciesCount;  // species 1..4
  CellArray<500> speciesMass;  // amu, species 1..4
  CellArray<500> partMass;
  CellArray<500> partColor;
  CellArray<10> speciesColor;  // species 1..4
  Cell velScale, collProx, partRad;
  Cell prevX, prevY;              // position of the particle being moved, before the move
  CellArray<100> trailX, trailY;  // element 0 newest

  // How many particles the latest placement put in the box: the tick and the collision test
  // never go past it, whatever speciesCount(0) says now.
  int placedCount = 0;
};

}  // namespace km
