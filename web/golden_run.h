// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace km {

// The engine's golden run (the start-up gas from a fixed time of day, 1,000 ticks) and an
// FNV-1a checksum over the kind and bits of every position and velocity: equal in every
// build that computes the same gas bit for bit.
std::uint64_t goldenChecksum();

}  // namespace km
