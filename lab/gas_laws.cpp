// SPDX-License-Identifier: GPL-3.0-or-later
#include "gas_laws.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "laboratory.h"
#include "simulation.h"
#include "theory.h"

namespace km::lab {
namespace {

enum Process { Boyle, Charles, GayLussac, Adiabat, FreeExpansion };

constexpr WallSide sides[] = {WallSide::Left, WallSide::Right, WallSide::Bottom, WallSide::Top};
// Where the free expansion starts from, and where it ends.
constexpr double expansionFrom = 500, expansionTo = 1000;
// Charles's gas must have room for its larger area: the ideal gas's, and this much more for the
// piston's swing.
constexpr double pistonRoom = 1.05;

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", v);
  return text;
}

double etaAt(double area, int n, double sigma) {
  return area > 0 ? n * std::numbers::pi * sigma * sigma / (4 * area) : notKnown;
}

double totalImpulse(const WallTally& t) {
  return t.impulse[0] + t.impulse[1] + t.impulse[2] + t.impulse[3];
}

double totalHeat(const WallTally& t) {
  return t.heat[0] + t.heat[1] + t.heat[2] + t.heat[3];
}

}  // namespace

double measuredError(const GasLawRow& r) {
  if (r.quantity == "P") return r.end.pressure.error;
  if (r.quantity == "A") return r.end.area.error;
  if (r.quantity == "kT" && r.process != FreeExpansion) return r.end.kT.error;
  return notKnown;
}

double hendersonAdiabatKT(double kT0, double eta0, double eta1) {
  if (!(eta0 > 0 && eta1 > 0 && eta0 < theory::closePacking && eta1 < theory::closePacking))
    return notKnown;
  auto f = [](double eta) { return 9 / (8 * (1 - eta)) - 7.0 / 8 * std::log1p(-eta); };
  return kT0 * eta1 / eta0 * std::exp(f(eta1) - f(eta0));
}

double hardDiscAreaFor(double c, int n, double sigma) {
  if (!(c > 0) || !std::isfinite(c)) return notKnown;
  const double cover = n * std::numbers::pi * sigma * sigma / 4;  // the discs' own area
  if (!(cover > 0)) return c;
  auto f = [&](double a) { return a / theory::hendersonZ(cover / a) - c; };
  // A / Z falls to 0 at close packing and grows without bound with A.
  double lo = cover / theory::closePacking * (1 + 1e-12), hi = std::max(2 * c, 2 * lo);
  while (!(f(hi) > 0))
    hi *= 2;
  for (int k = 0; k < 200 && hi - lo > 1e-12 * hi; ++k) {
    const double mid = (lo + hi) / 2;
    const double v = f(mid);
    (std::isfinite(v) && v > 0 ? hi : lo) = mid;
  }
  return (lo + hi) / 2;
}

void GasLaws::Window::clear(long tick) {
  for (BinnedSeries* s : {&pressure, &area, &kT, &invariant})
    s->clear(tick);
  from = tick;
}

void GasLaws::clear() {
  phase_ = Phase::Idle;
  rows_.clear();
  plan_.clear();
  tick_ = 0;
}

std::string GasLaws::act(const std::function<std::string()>& f) {
  acting_ = true;
  std::string why = f();
  acting_ = false;
  return why;
}

std::string GasLaws::wallsAt(Laboratory& lab, double kT) {
  std::array<std::optional<double>, wallCount> walls;
  if (kT > 0) walls.fill(kT);
  return act([&] { return lab.setWallHeat(walls); });
}

void GasLaws::heard(const std::string& what) {
  if (acting_ || !running()) return;
  stop("stopped early: " + what);
}

void GasLaws::stop(const std::string& why) {
  row_.ending = why;
  row_.complete = false;
  rows_.push_back(row_);
  phase_ = Phase::Idle;
}

std::string GasLaws::start(int process, Laboratory& lab, Simulation& sim, const GasNow& gas) {
  if (!lab.running()) return "No gas is running.";
  if (process < 0 || process >= static_cast<int>(gasLawNames.size()))
    return "There is no such process.";
  const std::string name(gasLawNames[static_cast<std::size_t>(process)]);
  if (running())
    return "The " + std::string(gasLawNames[static_cast<std::size_t>(process_)]) +
           " process is still running; it ends by itself, or when anything else changes the gas "
           "or its walls.";
  if (gas.n < 1) return "The gas has no discs.";
  const double kT0 = gas.kTAverage;
  if (!(kT0 > 0 && std::isfinite(kT0)))
    return "The gas is at rest: it has no temperature to hold or to raise.";

  // Everything is tried on a copy of the walls before anything changes.
  const Boundaries& b = sim.boundaries();
  const double r = gas.radius, x = b.rightX();
  const long now = b.tick();
  Boundaries trial = b;
  double target = x;
  if (process == Boyle || process == Adiabat) target = (x + 2 * r) / 2;  // half the area
  if (process == FreeExpansion) target = expansionFrom;
  if (std::string why = trial.moveRightWall(target, timing_.slowSpeed, now, gas.n, gas.sigma, r);
      !why.empty())
    return why;
  if (process == Charles) {
    const double most = 2 * r + (1000 - 2 * r) / (timing_.heating * pistonRoom);
    if (x > most)
      return "At " + number(timing_.heating) +
             " times its kT the gas would push the piston beyond the box: bring the right wall "
             "in first, to x = " +
             number(std::floor(most)) + " or less.";
  }
  for (WallSide w : sides)
    if (std::string why = trial.setHeat(w, {true, timing_.heating * kT0}); !why.empty()) return why;

  process_ = process;
  tick_ = lab.ticks();
  row_ = GasLawRow{};
  row_.process = process;
  row_.name = name;
  static const char* const invariants[] = {"P·A/(N·Z)", "A/(kT·Z)", "P/(kT·Z)", "kT·(A − N·B₂)",
                                           "kT"};
  static const char* const quantities[] = {"P", "A", "P", "kT", "kT"};
  row_.invariant = invariants[process];
  row_.quantity = quantities[process];
  target_ = target;
  wallKT_ = kT0;
  prepStep_ = 0;
  prepTarget_ = notKnown;
  act([&] {
    lab.restartAverages("process: " + name);
    return std::string();
  });
  const std::string slow = number(timing_.slowSpeed) + " u/tick";
  switch (process) {
    case Boyle:
      // The wall waits at its place through the start's window.
      wallsAt(lab, kT0);
      act([&] { return lab.moveRightWall(target, timing_.slowSpeed, now + timing_.window); });
      plan_ = "Boyle: the walls hold kT " + number(kT0) +
              "; the right wall then moves to x = " + number(target) + " at " + slow +
              ", halving the area.";
      beginBefore();
      break;
    case Charles:
      wallsAt(lab, kT0);
      act([&] { return lab.moveRightWall(x, timing_.slowSpeed, now); });
      plan_ = "Charles: the walls hold kT " + number(kT0) +
              "; the right wall becomes a piston of " + number(timing_.pistonMass) +
              " amu at the pressure measured, then the walls heat the gas to kT " +
              number(timing_.heating * kT0) + ".";
      phase_ = Phase::Prepare;
      break;
    case GayLussac:
      wallsAt(lab, kT0);
      act([&] { return lab.moveRightWall(x, timing_.slowSpeed, now); });
      plan_ = "Gay-Lussac: the right wall stays at x = " + number(x) + "; the walls hold kT " +
              number(kT0) + ", then heat the gas to kT " + number(timing_.heating * kT0) + ".";
      beginBefore();
      break;
    case Adiabat:
      wallsAt(lab, 0);
      act([&] { return lab.moveRightWall(target, timing_.slowSpeed, now + timing_.window); });
      plan_ = "Adiabat: the walls reflect; the right wall moves to x = " + number(target) + " at " +
              slow + ", halving the area.";
      beginBefore();
      break;
    case FreeExpansion:
      wallsAt(lab, 0);
      act([&] { return lab.moveRightWall(expansionFrom, timing_.slowSpeed, now); });
      plan_ = std::string("Free expansion: the walls reflect; ") +
              (x == expansionFrom ? "" : "the right wall moves to x = 500 at " + slow + "; ") +
              "then it is withdrawn to x = 1000 faster than any disc.";
      prepTarget_ = expansionFrom;
      phase_ = Phase::Prepare;
      break;
  }
  phaseFrom_ = tick_;
  last_ = sim.boundaries().tally();
  return "";
}

void GasLaws::beginBefore() {
  phase_ = Phase::Before;
  phaseFrom_ = tick_;
  window_.clear(tick_);
}

double GasLaws::invariantOf(double p, double a, double kT, const GasNow& gas) const {
  const double z = theory::hendersonZ(etaAt(a, gas.n, gas.sigma));
  switch (process_) {
    case Boyle:
      return p * a / (gas.n * z);
    case Charles:
      return a / (kT * z);
    case GayLussac:
      return p / (kT * z);
    case Adiabat:
      return kT * (a - gas.n * std::numbers::pi * gas.sigma * gas.sigma / 2);
    default:
      return kT;
  }
}

void GasLaws::afterTick(Laboratory& lab, Simulation& sim, const GasNow& gas) {
  if (!running()) return;
  tick_ = lab.ticks();
  const Boundaries& b = sim.boundaries();
  // The pressure of this tick: the impulse the walls took over the lengths the discs meet.
  double length = 0;
  for (WallSide w : sides)
    length += b.meetLength(w, gas.radius);
  const double p = length > 0 ? (totalImpulse(b.tally()) - totalImpulse(last_)) / length : notKnown;
  last_ = b.tally();
  const double a = b.area(gas.radius);
  const bool windowed = phase_ == Phase::Before || phase_ == Phase::After ||
                        (phase_ == Phase::Prepare && prepStep_ == 1);
  if (windowed) {
    window_.pressure.add(p);
    window_.area.add(a);
    window_.kT.add(gas.kT);
    window_.invariant.add(invariantOf(p, a, gas.kT, gas));
  }
  const long in = tick_ - phaseFrom_;
  switch (phase_) {
    case Phase::Prepare:
      prepare(lab, b);
      break;
    case Phase::Before:
      if (in >= timing_.window) endBefore(lab, sim, gas);
      break;
    case Phase::Change:
      change(b, gas);
      break;
    case Phase::Settle:
      if (in >= timing_.settle) {
        phase_ = Phase::After;
        phaseFrom_ = tick_;
        window_.clear(tick_);
      }
      break;
    case Phase::After:
      if (in >= timing_.window) finish(b, gas);
      break;
    case Phase::Idle:
      break;
  }
}

void GasLaws::prepare(Laboratory& lab, const Boundaries& b) {
  const long in = tick_ - phaseFrom_;
  if (prepStep_ == 0) {
    // Charles: the gas settles at the walls' kT first; the free expansion: the wall arrives.
    if (std::isnan(prepTarget_) ? in >= timing_.settle : b.rightX() == prepTarget_) {
      prepStep_ = process_ == Charles ? 1 : 2;
      phaseFrom_ = tick_;
      window_.clear(tick_);
    }
  } else if (prepStep_ == 1) {
    if (in < timing_.window) return;
    const double pressure = window_.pressure.mean();
    if (!(pressure > 0)) {
      stop("stopped early: the gas gave the walls no pressure to set the piston at");
      return;
    }
    act([&] { return lab.setPiston(pressure, timing_.pistonMass); });
    prepStep_ = 2;
    phaseFrom_ = tick_;
  } else if (in >= timing_.settle) {
    beginBefore();
  }
}

void GasLaws::endBefore(Laboratory& lab, Simulation& sim, const GasNow& gas) {
  const Boundaries& b = sim.boundaries();
  row_.start = measured(gas);
  atChange_ = b.tally();
  const double kT0 = wallKT_;
  if (process_ == Charles || process_ == GayLussac) {
    wallKT_ = timing_.heating * kT0;
    wallsAt(lab, wallKT_);
  } else if (process_ == FreeExpansion) {
    // The whole way in one tick, unless a disc is faster still: none can meet the wall.
    double fastest = 0;
    const State& s = sim.state();
    for (int i = 1; i <= gas.n; ++i) {
      const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
      if (std::isfinite(vx) && std::isfinite(vy)) fastest = std::max(fastest, std::hypot(vx, vy));
    }
    target_ = expansionTo;
    const double speed = std::max(expansionTo - b.rightX(), 2 * fastest);
    act([&] { return lab.moveRightWall(expansionTo, speed); });
  }
  phase_ = Phase::Change;
  phaseFrom_ = tick_;
  block_.clear(tick_);
  blockArea_.clear(tick_);
  lastBlockArea_ = notKnown;
}

void GasLaws::change(const Boundaries& b, const GasNow& gas) {
  if (process_ == Boyle || process_ == Adiabat || process_ == FreeExpansion) {
    if (b.rightX() == target_) endChange("the wall arrived");
    return;
  }
  // Heating: done once a block's mean kT is within reach of the walls' and, under the piston,
  // its mean area has stopped growing.
  block_.add(gas.kT);
  blockArea_.add(b.area(gas.radius));
  if (block_.ticks() < timing_.heatBlock) return;
  const double kT = block_.mean(), area = blockArea_.mean();
  const bool warm = std::fabs(kT / wallKT_ - 1) <= timing_.heatWithin;
  const bool still =
      process_ != Charles || std::fabs(area / lastBlockArea_ - 1) <= timing_.areaWithin;
  lastBlockArea_ = area;
  block_.clear(tick_);
  blockArea_.clear(tick_);
  if (warm && still)
    endChange("the walls' kT reached");
  else if (tick_ - phaseFrom_ >= timing_.budget)
    endChange("the tick budget ran out");
}

void GasLaws::endChange(const std::string& how) {
  row_.ending = how;
  phase_ = Phase::Settle;
  phaseFrom_ = tick_;
}

GasLawEnd GasLaws::measured(const GasNow& gas) const {
  GasLawEnd e;
  e.fromTick = window_.from;
  e.toTick = tick_;
  e.pressure = blockEstimate(window_.pressure);
  e.area = blockEstimate(window_.area);
  e.kT = blockEstimate(window_.kT);
  e.invariant = blockEstimate(window_.invariant);
  e.eta = etaAt(e.area.value, gas.n, gas.sigma);
  e.z = theory::hendersonZ(e.eta);
  e.kTNow = gas.kT;
  return e;
}

void GasLaws::finish(const Boundaries& b, const GasNow& gas) {
  GasLawRow& r = row_;
  r.end = measured(gas);
  r.complete = true;
  r.work = b.tally().work - atChange_.work;
  r.heat = totalHeat(b.tally()) - totalHeat(atChange_);
  const GasLawEnd &s = r.start, &e = r.end;
  const double p0 = s.pressure.value, a0 = s.area.value, kT0 = s.kT.value;
  const double a1 = e.area.value, kT1 = e.kT.value;
  switch (process_) {
    case Boyle:
      r.expected = wallKT_;
      r.measured = e.pressure.value;
      r.ideal = p0 * a0 / a1;
      r.hardDisc = r.ideal * e.z / s.z;
      break;
    case Charles:
      r.expected = gas.n / b.motion().pressure;
      r.measured = a1;
      r.ideal = a0 * kT1 / kT0;
      r.hardDisc = hardDiscAreaFor(a0 / s.z * kT1 / kT0, gas.n, gas.sigma);
      break;
    case GayLussac:
      r.expected = gas.n / a0;
      r.measured = e.pressure.value;
      r.ideal = p0 * kT1 / kT0;
      r.hardDisc = r.ideal * e.z / s.z;
      break;
    case Adiabat:
      r.expected = s.invariant.value;
      r.measured = kT1;
      r.ideal = kT0 * a0 / a1;
      r.hardDisc = hendersonAdiabatKT(kT0, s.eta, e.eta);
      break;
    default:
      r.expected = s.invariant.value;
      r.measured = e.kTNow;
      r.ideal = r.hardDisc = s.kTNow;
      break;
  }
  rows_.push_back(r);
  phase_ = Phase::Idle;
}

}  // namespace km::lab
