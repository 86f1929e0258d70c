// The collision test and the elastic exchange of momentum along the line of centres.
#include <optional>

#include "simulation.h"

namespace km {

void Simulation::CheckCollisions(int i) {
  const int last = lastParticle();
  // collProx does not change during the call; its square is formed at the first pair that
  // reaches the third test, where a non-numeric text fails.
  std::optional<Cell> proxSquared;
  for (int j = i + 1; j <= last; ++j) {
    Cell dx = s_.posX(j) - s_.posX(i);
    Cell dy = s_.posY(j) - s_.posY(i);
    if (!(abs(dx) < s_.collProx)) continue;
    if (!(abs(dy) < s_.collProx)) continue;
    if (!proxSquared) proxSquared = s_.collProx * s_.collProx;
    if (!(dx * dx + dy * dy < *proxSquared)) continue;
    Collide(i, j);
  }
}

void Simulation::Collide(int i, int j) {
  if (s_.posX(i) - s_.posX(j) == 0) return;
  const Cell a = (s_.posY(j) - s_.posY(i)) / (s_.posX(j) - s_.posX(i));
  const Cell Dx = (2 * ((s_.velX(j) - s_.velX(i)) + a * (s_.velY(j) - s_.velY(i))) / (1 + a * a)) /
                  (1 + s_.partMass(i) / (s_.partMass(j) + 0.00001));
  const Cell Dy = Dx * a;
  s_.velX(i) = s_.velX(i) + Dx;
  s_.velY(i) = s_.velY(i) + Dy;
  s_.velX(j) = s_.velX(j) - (s_.partMass(i) / s_.partMass(j)) * Dx;
  s_.velY(j) = s_.velY(j) - (s_.partMass(i) / s_.partMass(j)) * Dy;
}

}  // namespace km
