// SPDX-License-Identifier: GPL-3.0-or-later
#include "input_check.h"

#include <cmath>

#include "conversions.h"

namespace km {
namespace {

constexpr int maxParticles = 500;

std::string quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out += text;
  out += '"';
  return out;
}

std::string species(int row) {
  return "species " + std::to_string(row + 1);
}

std::string fromTo(Range r) {
  return "from " + readerText(Cell(r.low)) + " to " + readerText(Cell(r.high));
}

}  // namespace

bool isUsableProximity(std::string_view text) {
  NumericText p = readNumericText(text);
  return p.status == NumericText::Ok && bounds::proximity.holds(p.value);
}

std::string proximityRefusal(std::string_view text) {
  if (isUsableProximity(text)) return {};
  return "The collision proximity is " + quoted(text) + "; it must be a number " +
         fromTo(bounds::proximity) + ".";
}

std::string proximityProblem(std::string_view text, const Cell& inForce) {
  const std::string why = proximityRefusal(text);
  if (why.empty()) return why;
  return why + " Until then it stays at " + readerText(inForce) + ".";
}

std::vector<InputProblem> checkRunInput(const RunInput& input) {
  std::vector<InputProblem> problems;
  auto refuse = [&](Field f, int row, std::string message) {
    problems.push_back({f, row, std::move(message)});
  };

  // Counts: whole particles per species, as the set-up loop makes them. Each count is judged
  // on its own, so a bad one hides nothing about the others or about the masses.
  std::array<bool, 4> countOk{};
  std::array<double, 4> counts{};
  for (int k = 0; k < 4; ++k) {
    NumericText c = readNumericText(input.rows.counts[k]);
    countOk[k] = c.status == NumericText::Ok && c.value >= 0;
    if (!countOk[k]) {
      refuse(Field::Count, k,
             "The count of " + species(k) + " is " + quoted(input.rows.counts[k]) +
                 "; it must be a number of 0 or more.");
      continue;
    }
    // The set-up keeps each count as Str writes it (15 significant digits) and works from
    // that, so the check judges the same number.
    counts[k] = Val(Str(Cell(c.value)));
  }
  double countSum = 0;
  double assigned = 0;
  for (int k = 0; k < 4; ++k) {
    countSum += counts[k];
    assigned += std::floor(counts[k]);
  }
  const bool allCounts = countOk[0] && countOk[1] && countOk[2] && countOk[3];
  // Fixing a bad count (to 0 or more) can only add particles, so too many is known already.
  if (!(assigned <= maxParticles)) {
    refuse(Field::Count, -1,
           std::isfinite(assigned) && assigned < 1e15
               ? "The counts add up to " + readerText(Cell(assigned)) +
                     " particles; at most 500 fit in the box."
               : std::string(
                     "The counts add up to far more than the 500 particles that fit in the box."));
  } else if (allCounts && std::floor(countSum) > assigned) {
    refuse(Field::Count, -1,
           "The fractional counts add up to " + readerText(Cell(std::floor(countSum))) +
               " particles, but only " + readerText(Cell(assigned)) +
               " belong to a species; make the fractions add up to less than 1.");
  }

  // Masses: every one is added up, so every one must be a number. A species that gets
  // particles needs a mass in range: below it the tiny guard term of the collision formula
  // feeds energy into the gas until it overflows.
  std::array<NumericText, 4> masses{};
  std::array<bool, 4> used{};
  double massSum = 0;
  for (int k = 0; k < 4; ++k) {
    masses[k] = readNumericText(input.rows.masses[k]);
    used[k] = countOk[k] && counts[k] >= 1;
    if (masses[k].status == NumericText::Ok && (!used[k] || bounds::mass.holds(masses[k].value)))
      massSum += masses[k].value;
  }
  for (int k = 0; k < 4; ++k) {
    const NumericText& m = masses[k];
    const std::string is = "The mass of " + species(k) + " is " + quoted(input.rows.masses[k]);
    if (m.status != NumericText::Ok) {
      std::string need = "; it must be a number";
      if (used[k]) need += ' ' + fromTo(bounds::mass);
      refuse(Field::Mass, k, is + need + ".");
    } else if (used[k] && !bounds::mass.holds(m.value))
      refuse(Field::Mass, k,
             is + "; a species with particles needs a mass " + fromTo(bounds::mass) + ".");
    // Four terms overflow only with one above a quarter of the largest double, far beyond
    // the range of a used species: those are the ones to name.
    else if (!std::isfinite(massSum) && !bounds::mass.holds(std::fabs(m.value)))
      refuse(Field::Mass, k, is + "; with the other masses it is too large to add up.");
  }

  NumericText r = readNumericText(input.radius);
  if (r.status != NumericText::Ok || !bounds::radius.holds(r.value))
    refuse(Field::Radius, -1,
           "The particle radius is " + quoted(input.radius) + "; it must be a number " +
               fromTo(bounds::radius) + ".");

  NumericText v = readNumericText(input.velocityRange);
  if (v.status != NumericText::Ok || !bounds::velocityRange.holds(v.value))
    refuse(Field::VelocityRange, -1,
           "The velocity range is " + quoted(input.velocityRange) + "; it must be a number " +
               fromTo(bounds::velocityRange) + ".");
  return problems;
}

std::string problemsOf(const std::vector<InputProblem>& problems, Field field, int row) {
  std::string text;
  for (const InputProblem& p : problems) {
    if (p.field != field || (p.row != row && p.row != -1)) continue;
    if (!text.empty()) text += "\n";
    text += p.message;
  }
  return text;
}

}  // namespace km
