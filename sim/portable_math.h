// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace km {

// ln(1 + x) for x in (−1, 1] and cos(2π·t) for t in [0, 1), in plain double arithmetic (no
// library call, no fused multiply-add), so that every build of the engine, native or
// WebAssembly, draws the same numbers bit for bit. Within a few units in the last place of the
// library's values.
double portableLog1p(double x);
double portableCosTurn(double t);

}  // namespace km
