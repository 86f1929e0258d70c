// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstring>
#include <type_traits>

namespace km {

// The bits of `from` read as a `To` of the same size: std::bit_cast for the standard
// libraries that lack it (the browser build's among them).
template <class To, class From>
To bitsAs(const From& from) {
  static_assert(sizeof(To) == sizeof(From));
  static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

}  // namespace km
