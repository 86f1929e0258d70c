// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up defaults, the field changes, and the set-up of species and particles.
#include <algorithm>
#include <cmath>
#include <limits>

#include "conversions.h"
#include "run_error.h"
#include "simulation.h"

namespace km {

int passesUpTo(const Cell& bound) {
  double b = bound.toDouble();
  if (!(b >= 1)) return 0;
  return b >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                              : static_cast<int>(b);
}

int Simulation::lastParticle() const {
  return std::min(passesUpTo(s_.speciesCount(0)), s_.placedCount);
}

void Simulation::startUp(DrawingSurface& surface) {
  rnd_.seed(static_cast<float>(clock_.secondsSinceMidnight()));
  surface.setBackColor(0);
  s_.velScale = 20;
  s_.partRad = 12;
  s_.collProx = s_.partRad * 2;
}

void Simulation::setDefaultSpeciesColors() {
  s_.speciesColor(1) = RGB(0, 255, 0);
  s_.speciesColor(2) = RGB(0, 0, 255);
  s_.speciesColor(3) = RGB(0, 255, 255);
  s_.speciesColor(4) = RGB(255, 0, 0);
}

void Simulation::takeSpeciesCount(int k, std::string_view text) {
  s_.speciesCount(k + 1) = Val(text);
  Cell total = 0;
  for (int j = 1; j <= 4; ++j)
    total = total + s_.speciesCount(j);
  s_.speciesCount(0) = total;
}

void Simulation::takeSpeciesMass(int k, std::string_view text) {
  s_.speciesMass(k + 1) = Val(text);
  Cell total = 0;
  for (int j = 1; j <= 4; ++j)
    total = total + s_.speciesMass(j);
  s_.speciesMass(0) = total;
}

void Simulation::SetUpSpecies(const SpeciesTexts& rows) {
  Cell total = 0;
  for (int k = 0; k <= 3; ++k) {
    s_.speciesCount(k + 1) = Cell::text(Str(Cell::text(rows.counts[k])));
    total = total + s_.speciesCount(k + 1);
  }
  s_.speciesCount(0) = total;

  total = 0;
  for (int k = 0; k <= 3; ++k) {
    s_.speciesMass(k + 1) = Cell::text(rows.masses[k]);
    total = total + s_.speciesMass(k + 1);
  }
  s_.speciesMass(0) = total;

  int n = 0;
  speciesOfParticle_.fill(0);
  for (int k = 0; k <= 3; ++k) {
    int count = passesUpTo(s_.speciesCount(k + 1));
    for (int j = 1; j <= count; ++j) {
      ++n;
      s_.partMass(n) = s_.speciesMass(k + 1);
      s_.partColor(n) = s_.speciesColor(k + 1);
      speciesOfParticle_[static_cast<std::size_t>(n)] = k + 1;
    }
  }
}

StartSide Simulation::sideOf(int i) const {
  const int species = particleSpecies(i);
  return species >= 1 ? sides_[static_cast<std::size_t>(species - 1)] : StartSide::Both;
}

void Simulation::PlaceParticles(DrawingSurface& surface) {
  // The picture is cleared for a new run: no wall's line is left on it.
  wallDrawnAt_ = -1;
  dividerDrawn_ = false;
  s_.placedCount = 0;
  int last = passesUpTo(s_.speciesCount(0));
  for (int i = 1; i <= last; ++i) {
    try {
      // One statement per draw keeps the four numbers in their order x, y, vx, vy.
      Cell r = rnd_.next();
      s_.posX(i) = sideOf(i) == StartSide::Both   ? r * 1000
                   : sideOf(i) == StartSide::Left ? r * 500
                                                  : r * 500 + 500;
      r = rnd_.next();
      s_.posY(i) = r * 1000;
      r = rnd_.next();
      s_.velX(i) = (r - 0.5) * s_.velScale / pow(s_.partMass(i), 0.5);
      r = rnd_.next();
      s_.velY(i) = (r - 0.5) * s_.velScale / pow(s_.partMass(i), 0.5);
      s_.partRadius(i) = s_.partRad;
      surface.circle(s_.posX(i).toSingle(), s_.posY(i).toSingle(), s_.partRadius(i).toSingle());
      s_.placedCount = i;
    } catch (const RunError& e) {
      throw withPlace(e, "placing particle " + std::to_string(i));
    }
  }
  // The tracer starts in the middle of the box, or of its own side when a divider or its
  // species' side keeps it off the middle line.
  const StartSide first = sideOf(1);
  s_.posX(1) = first == StartSide::Right                           ? 750
               : first == StartSide::Left || boundaries_.divider() ? 250
                                                                   : 500;
  s_.posY(1) = 500;
  s_.velX(1) = 0;
  s_.velY(1) = 0;
  separatePending_ = true;
}

}  // namespace km
