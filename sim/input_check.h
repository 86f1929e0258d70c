#pragma once

#include <string>
#include <vector>

#include "simulation.h"

namespace km {

// What "Run Simulation" is about to use, as the fields hold it.
struct RunInput {
  SpeciesTexts rows;
  std::string radius;
  std::string velocityRange;
};

enum class Field { Count, Mass, Radius, VelocityRange };

struct InputProblem {
  Field field;
  int row;  // 0..3 for a count or mass, else -1
  std::string message;
};

// Everything that would stop a run or make it plainly wrong, field by field, in words for
// the user. Empty when the run may start.
std::vector<InputProblem> checkRunInput(const RunInput& input);

}  // namespace km
