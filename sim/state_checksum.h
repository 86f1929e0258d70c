// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "bits.h"
#include "state.h"

namespace km {

// FNV-1a over the kind and bits of the position and velocity of particles 1..count: equal in
// every build that computes the same gas bit for bit.
inline std::uint64_t stateChecksum(const State& s, int count) {
  std::uint64_t h = 1469598103934665603ull;
  auto add = [&h](std::uint64_t v) {
    for (int b = 0; b < 8; ++b)
      h = (h ^ ((v >> (8 * b)) & 0xff)) * 1099511628211ull;
  };
  auto addCell = [&add](const Cell& c) {
    add(static_cast<std::uint64_t>(c.kind()));
    add(bitsAs<std::uint64_t>(c.toDouble()));
  };
  for (int i = 1; i <= count; ++i) {
    addCell(s.posX(i));
    addCell(s.posY(i));
    addCell(s.velX(i));
    addCell(s.velY(i));
  }
  return h;
}

}  // namespace km
