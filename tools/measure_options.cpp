// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "conversions.h"
#include "gas_laws.h"
#include "run_limits.h"

namespace km::measure {

const char* const usage = R"(Usage: kinetic-measure [options]
Runs a gas of hard discs without a window and prints its measurements beside kinetic theory.

  --counts a,b,c,d     particles of species 1..4           (default 32,8,2,1)
  --masses a,b,c,d     masses of species 1..4 in amu       (default 1,4,16,64)
  --radius r           particle radius, box units          (default 12)
  --proximity p        collision proximity, box units      (default 24)
  --vel-range v        scale of the start velocities       (default 20)
  --rule specified|exact   collision rule                  (default specified)
  --warmup n           ticks before the averages begin     (default 1000)
  --ticks n            ticks averaged                      (default 10000)
  --seed n             seed of the random placement, 0..4294967295 (default 1)
  --draws k            random numbers drawn from the seed before the placement,
                       0..1000000000 (default 0); the laboratory's Integrity tab shows the
                       seed and draws that place the gas on screen again
  --wall-temperature L,R,B,T   the left, right, bottom and top walls: each a kT at which
                       it holds the discs that meet it, or - for a wall that reflects
  --move-wall X,U[,START]      the right wall moves toward x = X at U units per tick from
                       tick START of the run, warm-up included (default 0)
  --piston P,M         the right wall a piston of mass M amu pushed in by the outside
                       pressure P (amu/tick^2)
  --gravity G          a uniform field of G units per tick^2 toward the floor (y = 1000),
                       0 to 50000 (default 0)
  --divider WIDTH      a thin wall along x = 500 with an opening WIDTH units high centred on
                       y = 500: 0 closes it, 1000 or more leaves no divider
  --sides S1,S2,S3,S4  where species 1..4 are placed: each left, right or both (default both)
  --gas-law NAME       when the warm-up ends, starts a gas law as a process on the gas, as
                       the laboratory's buttons do: "Boyle", "Charles", "Gay-Lussac",
                       "adiabat" or "free expansion"; the run goes on until the process leaves
                       its row (its section "gas laws"), so it takes no --ticks
  --format table|json|csv                                  (default table)
  --help               this text

  --sweep              the equation of state: one species of mass 1 at each packing
                       fraction, proximity = 2 x radius, exact rule unless --rule says
                       otherwise; one row per packing fraction
  --etas a,b,...       packing fractions to sweep, 0 to 0.8 (default 0.05,0.1,0.2,0.3,0.4,
                       0.5,0.6,0.65,0.7)
  --counts n,0,0,0     with --sweep: the number of discs (default 500)
  --seeds a,b,...      with --sweep: seeds, each a run of its own, averaged (default --seed)
  --jobs n             with --sweep: runs at once (default: one per core)
Counts, masses, radius and velocity range take what "Run Simulation" takes.
On a terminal the run shows its progress on standard error. Ctrl+C (or SIGTERM) stops it at
the next tick and prints the measurements so far, marked as interrupted.
Exit status: 0 done, 1 the model failed during the run, 2 refused input, 128 + signal when
stopped by a signal (130 for Ctrl+C).
)";

namespace {

// The texts between commas.
std::vector<std::string> commaParts(const std::string& value) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    parts.push_back(value.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

bool numberIn(const std::string& text, double& out) {
  const NumericText n = readNumericText(text);
  out = n.value;
  return n.status == NumericText::Ok && std::isfinite(out);
}

// 1000000 as "1,000,000", as the refusals write their bounds.
std::string groupedThousands(long n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}

// Four texts separated by commas, as typed into the four rows.
bool fourTexts(const std::string& value, std::array<std::string, 4>& out) {
  std::array<std::string, 4> parts;
  std::size_t k = 0, start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    if (k == 4) return false;
    parts[k++] = value.substr(start, comma == std::string::npos ? comma : comma - start);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (k != 4) return false;
  out = parts;
  return true;
}

// Values separated by commas, each read by `read`; false when one is not read or there are
// none.
template <class T, class Read>
bool listOf(const std::string& value, std::vector<T>& out, Read read) {
  std::vector<T> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    T item{};
    if (!read(value.substr(start, comma == std::string::npos ? comma : comma - start), item))
      return false;
    items.push_back(item);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  out = items;
  return true;
}

template <class Int>
bool wholeNumber(const std::string& text, Int low, Int high, Int& out) {
  Int v{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
  out = v;
  return true;
}

bool wallTemperatures(const std::string& value, lab::WallSetup& walls) {
  const std::vector<std::string> parts = commaParts(value);
  if (parts.size() != 4) return false;
  for (std::size_t w = 0; w < 4; ++w) {
    double kT = 0;
    if (parts[w] == "-")
      walls.kT[w].reset();
    else if (numberIn(parts[w], kT) && kT > 0)
      walls.kT[w] = kT;
    else
      return false;
  }
  return true;
}

bool movingWall(const std::string& value, lab::WallSetup& walls) {
  const std::vector<std::string> parts = commaParts(value);
  double target = 0, speed = 0;
  long start = 0;
  if (parts.size() < 2 || parts.size() > 3 || !numberIn(parts[0], target) || target > 1000 ||
      !numberIn(parts[1], speed) || !(speed > 0))
    return false;
  if (parts.size() == 3 && !wholeNumber(parts[2], 0L, 1000000000L, start)) return false;
  walls.target = target;
  walls.speed = speed;
  walls.start = start;
  return true;
}

bool pistonWall(const std::string& value, lab::WallSetup& walls) {
  const std::vector<std::string> parts = commaParts(value);
  double pressure = 0, mass = 0;
  if (parts.size() != 2 || !numberIn(parts[0], pressure) || pressure < 0 ||
      !numberIn(parts[1], mass) || !(mass > 0))
    return false;
  walls.pressure = pressure;
  walls.mass = mass;
  return true;
}

bool fieldStrength(const std::string& value, lab::WallSetup& walls) {
  double g = 0;
  if (!numberIn(value, g) || g < 0 || g > 50000) return false;
  walls.gravity = g;
  return true;
}

bool dividerWidth(const std::string& value, lab::WallSetup& walls) {
  double width = 0;
  if (!numberIn(value, width) || width < 0) return false;
  walls.divider = width;
  return true;
}

bool startSides(const std::string& value, std::array<StartSide, 4>& sides) {
  std::array<std::string, 4> parts;
  if (!fourTexts(value, parts)) return false;
  std::array<StartSide, 4> read{};
  for (std::size_t k = 0; k < 4; ++k) {
    if (parts[k] == "left")
      read[k] = StartSide::Left;
    else if (parts[k] == "right")
      read[k] = StartSide::Right;
    else if (parts[k] == "both")
      read[k] = StartSide::Both;
    else
      return false;
  }
  sides = read;
  return true;
}

// With --sweep: the radius and proximity follow from each packing fraction and the mass is 1,
// so those options have no place; the counts give the number of discs, one species.
void sweepOptions(const std::vector<std::string>& args, Parsed& p) {
  Options& o = p.options;
  for (const char* fixed : {"--radius", "--proximity", "--masses"})
    for (const std::string& a : args)
      if (a == fixed || a.rfind(std::string(fixed) + "=", 0) == 0)
        p.problems.push_back(std::string(fixed) +
                             " has no place with --sweep: each packing fraction sets the radius, "
                             "the proximity is the diameter and the mass 1");
  for (const char* fixed : {"--gravity", "--divider", "--sides"})
    for (const std::string& a : args)
      if (a == fixed || a.rfind(std::string(fixed) + "=", 0) == 0)
        p.problems.push_back(std::string(fixed) +
                             " has no place with --sweep: its runs are the box without a field "
                             "or a divider, every disc placed anywhere");
  if (!o.ruleGiven) o.rule = "exact";
  if (o.seeds.empty()) o.seeds = {o.seed};
  if (o.countsGiven) {
    const auto& c = o.input.rows.counts;
    int n = 0;
    if (!wholeNumber(c[0], 1, 500, n) || c[1] != "0" || c[2] != "0" || c[3] != "0")
      p.problems.push_back(
          "--counts with --sweep takes one species: a whole number of discs from 1 to 500 and "
          "three zeros, e.g. 250,0,0,0");
    o.discs = n;
  }
  const RunInput input{SpeciesTexts{{std::to_string(o.discs), "0", "0", "0"}, {"1", "1", "1", "1"}},
                       std::string(1, '0'), o.input.velocityRange};
  for (const InputProblem& ip : checkRunInput(input))
    p.problems.push_back(ip.message);
}

}  // namespace

RunNumbers runNumbers(const Options& o) {
  return lab::runNumbers(o.input, o.proximity);
}

Parsed parseOptions(const std::vector<std::string>& args) {
  Parsed p;
  Options& o = p.options;
  auto problem = [&](std::string s) { p.problems.push_back(std::move(s)); };
  for (std::size_t k = 0; k < args.size(); ++k) {
    std::string name = args[k], value;
    bool hasValue = false;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      o.help = true;
      continue;
    }
    if (name == "--sweep" && !hasValue) {
      o.sweep = true;
      continue;
    }
    static const char* const withValue[] = {
        "--counts",    "--masses", "--radius",  "--proximity", "--vel-range",
        "--rule",      "--warmup", "--ticks",   "--seed",      "--draws",
        "--format",    "--etas",   "--seeds",   "--jobs",      "--wall-temperature",
        "--move-wall", "--piston", "--gravity", "--divider",   "--sides",
        "--gas-law"};
    bool known = false;
    for (const char* w : withValue)
      known = known || name == w;
    if (name.empty() || name[0] != '-' || name == "-") {
      problem("unexpected argument \"" + args[k] + "\"");
      continue;
    }
    if (!known) {
      problem("unknown option \"" + args[k] + "\"");
      continue;
    }
    if (!hasValue) {
      if (k + 1 >= args.size()) {
        problem(name + " needs a value");
        continue;
      }
      value = args[++k];
    }
    if (name == "--counts") {
      o.countsGiven = true;
      if (!fourTexts(value, o.input.rows.counts))
        problem("--counts takes four values separated by commas, one per species, e.g. 200,0,0,0");
    }
    if (name == "--etas" && !listOf(value, o.etas, [](const std::string& t, double& eta) {
          const NumericText n = readNumericText(t);
          eta = n.value;
          return n.status == NumericText::Ok && eta > 0 && eta <= 0.8;
        }))
      problem(
          "--etas takes packing fractions above 0 and at most 0.8, separated by commas, not \"" +
          value + "\"");
    if (name == "--seeds" && !listOf(value, o.seeds, [](const std::string& t, std::uint32_t& s) {
          return wholeNumber(t, std::uint32_t{0}, UINT32_MAX, s);
        }))
      problem("--seeds takes whole numbers from 0 to 4294967295 separated by commas, not \"" +
              value + "\"");
    if (name == "--jobs" && !wholeNumber(value, 1, 256, o.jobs))
      problem("--jobs must be a whole number from 1 to 256, not \"" + value + "\"");
    if (name == "--masses" && !fourTexts(value, o.input.rows.masses))
      problem("--masses takes four values separated by commas, one per species, e.g. 1,4,16,64");
    if (name == "--radius") o.input.radius = value;
    if (name == "--vel-range") o.input.velocityRange = value;
    if (name == "--proximity") {
      o.proximity = value;
      if (!isUsableProximity(value))
        problem("--proximity must be a number from -1,000,000,000 to 1,000,000,000, not \"" +
                value + "\"");
    }
    if (name == "--rule") {
      o.ruleGiven = true;
      o.rule = value;
      if (value != "specified" && value != "exact")
        problem("--rule must be \"specified\" or \"exact\", not \"" + value + "\"");
    }
    if (name == "--warmup" && !wholeNumber(value, 0L, lab::maxWarmupTicks, o.warmup))
      problem("--warmup must be a whole number of ticks from 0 to " +
              groupedThousands(lab::maxWarmupTicks) + ", not \"" + value + "\"");
    if (name == "--ticks" && !wholeNumber(value, 1L, 1000000000L, o.ticks))
      problem("--ticks must be a whole number of ticks from 1 to 1,000,000,000, not \"" + value +
              "\"");
    if (name == "--seed" && !wholeNumber(value, std::uint32_t{0}, UINT32_MAX, o.seed))
      problem("--seed must be a whole number from 0 to 4294967295, not \"" + value + "\"");
    if (name == "--draws" &&
        !wholeNumber(value, std::uint64_t{0}, std::uint64_t{1000000000}, o.draws))
      problem("--draws must be a whole number from 0 to 1,000,000,000, not \"" + value + "\"");
    if (name == "--wall-temperature" && !wallTemperatures(value, o.walls))
      problem(
          "--wall-temperature takes four values separated by commas, the left, right, "
          "bottom and top walls: each a kT above 0, or - for a wall that reflects; not \"" +
          value + "\"");
    if (name == "--move-wall" && !movingWall(value, o.walls))
      problem(
          "--move-wall takes X,U or X,U,START: the right wall's target x (at most 1000), "
          "its speed above 0 units per tick, and the tick it starts (0 or more); not \"" +
          value + "\"");
    if (name == "--piston" && !pistonWall(value, o.walls))
      problem(
          "--piston takes P,M: the outside pressure (0 or more) and the piston's mass "
          "(above 0 amu); not \"" +
          value + "\"");
    if (name == "--gravity" && !fieldStrength(value, o.walls))
      problem("--gravity must be a number from 0 to 50,000 units per tick^2, not \"" + value +
              "\"");
    if (name == "--divider" && !dividerWidth(value, o.walls))
      problem(
          "--divider must be the opening's width, 0 (closed) or more units (1000 or more: no "
          "divider), not \"" +
          value + "\"");
    if (name == "--sides" && !startSides(value, o.sides))
      problem(
          "--sides takes four values separated by commas, one per species, each left, right "
          "or both; not \"" +
          value + "\"");
    if (name == "--gas-law") {
      const auto at = std::find(lab::gasLawNames.begin(), lab::gasLawNames.end(), value);
      if (at == lab::gasLawNames.end()) {
        std::string names;
        for (std::size_t k = 0; k < lab::gasLawNames.size(); ++k)
          names.append(k ? ", \"" : "\"").append(lab::gasLawNames[k]).append("\"");
        problem("--gas-law must be one of " + names + ", not \"" + value + "\"");
      } else {
        o.gasLaw = static_cast<int>(at - lab::gasLawNames.begin());
      }
    }
    if (name == "--format") {
      if (value == "table")
        o.format = Format::Table;
      else if (value == "json")
        o.format = Format::Json;
      else if (value == "csv")
        o.format = Format::Csv;
      else
        problem("--format must be table, json or csv, not \"" + value + "\"");
    }
  }
  if (o.help) return p;
  auto given = [&](const std::string& option) {
    return std::any_of(args.begin(), args.end(), [&](const std::string& a) {
      return a == option || a.rfind(option + "=", 0) == 0;
    });
  };
  if (o.sweep) {
    if (given("--gas-law")) problem("--gas-law has no place with --sweep");
    sweepOptions(args, p);
    return p;
  }
  if (given("--gas-law") && given("--ticks"))
    problem(
        "--ticks has no place with --gas-law: the run goes on until the process leaves its row");
  if (o.walls.target && o.walls.pressure)
    problem("--move-wall and --piston both move the right wall: give one of them");
  for (const char* alone : {"--etas", "--seeds", "--jobs"})
    for (const std::string& a : args)
      if (a == alone || a.rfind(std::string(alone) + "=", 0) == 0)
        problem(std::string(alone) + " goes with --sweep");
  for (const InputProblem& ip : checkRunInput(o.input))
    problem(ip.message);
  return p;
}

}  // namespace km::measure
