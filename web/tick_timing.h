// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hard_discs.h"

namespace km {

// The cost of a drawn tick, the same run in every build: the start-up gas scaled to
// `particles`, placed from a fixed time of day, warmed up, then ticked into a page picture of
// the desktop's 567 x 500 pixels under `rule`. The median over `repeats` batches of `ticks` ticks,
// in microseconds per tick, timed by `nowMs` (milliseconds).
double medianTickMicroseconds(int particles, CollisionRule rule, int ticks, int repeats,
                              double (*nowMs)());

}  // namespace km
