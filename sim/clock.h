// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace km {

// The time of day, injected so that the model never reads a clock of its own.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double secondsSinceMidnight() const = 0;
};

}  // namespace km
