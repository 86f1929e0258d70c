// SPDX-License-Identifier: GPL-3.0-or-later
#include "gas_arguments.h"

#include <cmath>
#include <stdexcept>

#include "input_check.h"
#include "tables.h"

namespace km::python {

std::string textOf(const Given& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  const double v = std::get<double>(value);
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  return lab::plainNumber(v);
}

CollisionRule ruleOf(const std::string& rule) {
  if (rule == "specified") return CollisionRule::Specified;
  if (rule == "exact") return CollisionRule::Exact;
  throw std::invalid_argument("rule must be \"specified\" or \"exact\", not \"" + rule + "\"");
}

const char* ruleName(CollisionRule rule) {
  return rule == CollisionRule::Exact ? "exact" : "specified";
}

long long wholeIn(const char* name, long long value, long long low, long long high) {
  if (value < low || value > high)
    throw std::invalid_argument(std::string(name) + " must be a whole number from " +
                                std::to_string(low) + " to " + std::to_string(high) + ", not " +
                                std::to_string(value));
  return value;
}

void refuseIfAny(const std::vector<std::string>& problems) {
  if (problems.empty()) return;
  std::string all;
  for (const std::string& p : problems)
    all += (all.empty() ? "" : "\n") + p;
  throw std::invalid_argument(all);
}

lab::GasSetup gasSetup(const GasArguments& a) {
  std::vector<std::string> problems;
  for (const auto& [name, values] : {std::pair{"counts", &a.counts}, {"masses", &a.masses}})
    if (values->size() != 4)
      problems.push_back(std::string(name) + ": four values, one per species, not " +
                         std::to_string(values->size()));
  refuseIfAny(problems);
  lab::GasSetup s;
  for (std::size_t k = 0; k < 4; ++k) {
    s.rows.counts[k] = textOf(a.counts[k]);
    s.rows.masses[k] = textOf(a.masses[k]);
  }
  s.radius = textOf(a.radius);
  s.proximity = textOf(a.proximity);
  s.velocityRange = textOf(a.velRange);

  for (const InputProblem& p : checkRunInput({s.rows, s.radius, s.velocityRange})) {
    std::string name;
    switch (p.field) {
      case Field::Count:
        name = "counts";
        break;
      case Field::Mass:
        name = "masses";
        break;
      case Field::Radius:
        name = "radius";
        break;
      case Field::VelocityRange:
        name = "vel_range";
        break;
    }
    if (p.row >= 0) name.append("[").append(std::to_string(p.row)).append("]");
    problems.push_back(name + ": " + p.message);
  }
  if (const std::string why = proximityRefusal(s.proximity); !why.empty())
    problems.push_back("proximity: " + why);
  auto keep = [&](auto take) {
    try {
      take();
    } catch (const std::invalid_argument& e) {
      problems.push_back(e.what());
    }
  };
  keep([&] { s.rule = ruleOf(a.rule); });
  keep([&] { s.seed = static_cast<std::uint32_t>(wholeIn("seed", a.seed, 0, seedLimit)); });
  keep([&] { s.draws = static_cast<std::uint64_t>(wholeIn("draws", a.draws, 0, drawsLimit)); });
  keep([&] { s.warmup = static_cast<long>(wholeIn("warmup", a.warmup, 0, warmupLimit)); });
  s.walls.gravity = a.gravity;
  s.walls.divider = a.divider;
  if (a.sides.size() != 4) {
    problems.push_back("sides: four values, one per species, not " +
                       std::to_string(a.sides.size()));
  } else {
    for (std::size_t k = 0; k < 4; ++k) {
      const std::string& side = a.sides[k];
      if (side == "both" || side == "left" || side == "right")
        s.sides[k] = side == "both"   ? StartSide::Both
                     : side == "left" ? StartSide::Left
                                      : StartSide::Right;
      else
        problems.push_back("sides[" + std::to_string(k) + "]: 'left', 'right' or 'both', not '" +
                           side + "'");
    }
  }
  s.ticks = 0;
  refuseIfAny(problems);
  return s;
}

}  // namespace km::python
