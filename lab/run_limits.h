// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace km::lab {

// The most ticks of warm-up before the averages begin, wherever a warm-up is given:
// kinetic-measure's --warmup, the laboratory's field and a link's warmup, the sweep's warm-up.
inline constexpr long maxWarmupTicks = 1'000'000;

}  // namespace km::lab
