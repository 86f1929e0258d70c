#include "input_check.h"

#include <cmath>

#include "conversions.h"

namespace km {
namespace {

constexpr int maxParticles = 500;

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string species(int row) {
  return "species " + std::to_string(row + 1);
}

std::string inRange(Range r) {
  return " from " + Str(Cell(r.low)).substr(1) + " to " + Str(Cell(r.high)).substr(1) + ".";
}

}  // namespace

bool isUsableProximity(std::string_view text) {
  NumericText p = readNumericText(text);
  return p.status == NumericText::Ok && std::fabs(p.value) <= bounds::proximity.high;
}

std::vector<InputProblem> checkRunInput(const RunInput& input) {
  std::vector<InputProblem> problems;
  auto refuse = [&](Field f, int row, std::string message) {
    problems.push_back({f, row, std::move(message)});
  };

  // Counts: whole particles per species, as the set-up loop makes them.
  double countSum = 0;
  double assigned = 0;
  bool countsOk = true;
  std::array<double, 4> counts{};
  for (int k = 0; k < 4; ++k) {
    NumericText c = readNumericText(input.rows.counts[k]);
    if (c.status != NumericText::Ok || c.value < 0) {
      refuse(Field::Count, k,
             "The count of " + species(k) + " is " + quoted(input.rows.counts[k]) +
                 "; it must be a number of 0 or more.");
      countsOk = false;
      continue;
    }
    // The set-up keeps each count as Str writes it (15 significant digits) and works from
    // that, so the check judges the same number.
    counts[k] = Val(Str(Cell(c.value)));
    countSum += counts[k];
    assigned += std::floor(counts[k]);
  }
  if (countsOk) {
    double placed = std::floor(countSum);
    if (!(assigned <= maxParticles)) {
      refuse(
          Field::Count, -1,
          std::isfinite(assigned) && assigned < 1e15
              ? "The counts add up to " + Str(Cell(assigned)).substr(1) +
                    " particles; at most 500 fit in the box."
              : std::string(
                    "The counts add up to far more than the 500 particles that fit in the box."));
    } else if (placed > assigned) {
      refuse(Field::Count, -1,
             "The fractional counts add up to " + Str(Cell(placed)).substr(1) +
                 " particles, but only " + Str(Cell(assigned)).substr(1) +
                 " belong to a species; make the fractions add up to less than 1.");
    }
  }

  // Masses: every one is added up, so every one must be a number. A species that gets
  // particles needs a mass in range: below it the tiny guard term of the collision formula
  // feeds energy into the gas until it overflows.
  double massSum = 0;
  bool massesOk = true;
  for (int k = 0; k < 4; ++k) {
    NumericText m = readNumericText(input.rows.masses[k]);
    bool used = countsOk && counts[k] >= 1;
    const std::string is = "The mass of " + species(k) + " is " + quoted(input.rows.masses[k]);
    if (m.status != NumericText::Ok) {
      refuse(Field::Mass, k, is + "; it must be a number" + (used ? inRange(bounds::mass) : "."));
      massesOk = false;
    } else if (used && !(m.value >= bounds::mass.low && m.value <= bounds::mass.high)) {
      refuse(Field::Mass, k,
             is + "; a species with particles needs a mass" + inRange(bounds::mass));
    } else {
      massSum += m.value;
    }
  }
  if (massesOk && !std::isfinite(massSum))
    refuse(Field::Mass, -1, "The masses are too large to add up.");

  NumericText r = readNumericText(input.radius);
  if (r.status != NumericText::Ok || !bounds::radius.holds(r.value))
    refuse(Field::Radius, -1,
           "The particle radius is " + quoted(input.radius) + "; it must be a number" +
               inRange(bounds::radius));

  NumericText v = readNumericText(input.velocityRange);
  if (v.status != NumericText::Ok || !bounds::velocityRange.holds(v.value))
    refuse(Field::VelocityRange, -1,
           "The velocity range is " + quoted(input.velocityRange) + "; it must be a number" +
               inRange(bounds::velocityRange));
  return problems;
}

}  // namespace km
