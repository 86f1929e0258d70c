// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "simulation.h"

namespace km {

// The inputs a run accepts. Within them every position, velocity and readout stays finite
// over long runs (the soak test shows it).
struct Range {
  double low, high;
  bool holds(double v) const { return v >= low && v <= high; }
};
namespace bounds {
constexpr Range mass{0.1, 1e6};          // amu, for a species that gets particles
constexpr Range radius{0, 1000};         // user units
constexpr Range velocityRange{0, 1000};  // user units per tick
constexpr Range proximity{-1e9, 1e9};    // a typed proximity beyond this is not taken
}  // namespace bounds

// Whether a typed proximity is taken: a number within the bounds.
bool isUsableProximity(std::string_view text);
// Why a proximity given for a run of its own is refused; empty when it is taken.
std::string proximityRefusal(std::string_view text);
// Why a typed proximity is not taken, naming the value that stays in force; empty when it is.
std::string proximityProblem(std::string_view text, const Cell& inForce);

// What "Run Simulation" is about to use, as the fields hold it.
struct RunInput {
  SpeciesTexts rows;
  std::string radius;
  std::string velocityRange;
};

enum class Field { Count, Mass, Radius, VelocityRange };

struct InputProblem {
  Field field;
  int row;  // 0..3 for a count or mass; -1 for every row of its kind (the count total)
  std::string message;
};

// Everything that would stop a run or make it plainly wrong, in words for the user: every bad
// field at once, whatever else is wrong, in the window's order (counts, masses, radius,
// velocity range). Empty when the run may start.
std::vector<InputProblem> checkRunInput(const RunInput& input);

// The messages that concern one field (row -1 for the radius and velocity range), one a line;
// empty when it is fine.
std::string problemsOf(const std::vector<InputProblem>& problems, Field field, int row);

}  // namespace km
