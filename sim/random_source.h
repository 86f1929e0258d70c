// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

namespace km {

// Uniform single-precision numbers in [0, 1), drawn one at a time in a fixed order.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void seed(float secondsSinceMidnight) = 0;
  virtual float next() = 0;
};

// The program's generator: a Mersenne Twister whose top 24 bits make each number, so every
// value is k / 2^24 with k < 2^24 and 1.0 cannot come out (as it can from
// std::generate_canonical<float>).
class SeededGenerator : public RandomSource {
 public:
  explicit SeededGenerator(std::uint32_t seed = 5489u) : engine_(seed) {}
  void seed(float secondsSinceMidnight) override;
  float next() override { return toUnit(engine_()); }
  // k / 2^24 from the top 24 bits of a raw draw: exact in a float and always below 1.
  static float toUnit(std::uint32_t raw) { return static_cast<float>(raw >> 8) * 0x1p-24f; }

 private:
  std::mt19937 engine_;
};

}  // namespace km
