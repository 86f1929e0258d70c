// SPDX-License-Identifier: GPL-3.0-or-later
#include "random_source.h"

#include "bits.h"

namespace km {

void SeededGenerator::seed(float secondsSinceMidnight) {
  // The bits of the single keep its fraction, so two starts in the same second still differ.
  restart({bitsAs<std::uint32_t>(secondsSinceMidnight), 0});
}

void SeededGenerator::restart(RunSeed at) {
  engine_.seed(at.seed);
  engine_.discard(at.draws);
  seed_ = at.seed;
  draws_ = at.draws;
}

}  // namespace km
