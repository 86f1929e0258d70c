// SPDX-License-Identifier: GPL-3.0-or-later
#include "random_source.h"

#include "bits.h"

namespace km {

void SeededGenerator::seed(float secondsSinceMidnight) {
  // The bits of the single keep its fraction, so two starts in the same second still differ.
  engine_.seed(bitsAs<std::uint32_t>(secondsSinceMidnight));
}

}  // namespace km
