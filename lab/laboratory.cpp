// SPDX-License-Identifier: GPL-3.0-or-later
#include "laboratory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "experiments.h"
#include "run_error.h"
#include "theory.h"

namespace km::lab {
namespace {

constexpr int fineBins = 256;
constexpr int chartBins = 32;

// A cell's number, or 0 where it holds none (never throws: the laboratory must not stop a gas).
double numberOf(const Cell& c) {
  if (c.kind() == Kind::Double) return c.doubleValue();
  double v = 0;
  if (c.kind() == Kind::Text) return c.textNumber(v) ? v : 0;
  return c.toDouble();
}

}  // namespace

void History::clear() {
  for (BinnedSeries& s : kT)
    s.clear();
  for (BinnedSeries* s : {&z, &exchanges, &newContacts, &repeats, &energy, &h})
    s->clear();
  events.clear();
}

Laboratory::Laboratory(Simulation& sim) : sim_(sim) {
  sim_.setObserver(this);
}

Laboratory::~Laboratory() {
  sim_.setObserver(nullptr);
}

void Laboratory::setSettings(const Settings& s) {
  settings_ = s;
  settings_.warmup = std::max(0L, s.warmup);
  settings_.window = std::max(0L, s.window);
}

double Laboratory::proximity() const {
  return std::fabs(numberOf(sim_.state().collProx));
}

std::array<int, 5> Laboratory::speciesFirst() const {
  std::array<int, 5> first{};
  int next = 1;
  for (int s = 1; s <= 4; ++s) {
    first[static_cast<std::size_t>(s)] = next;
    next += count_[static_cast<std::size_t>(s)];
  }
  return first;
}

void Laboratory::runStarted(RunSeed seed) {
  const State& s = sim_.state();
  started_ = true;
  seed_ = seed;
  tick_ = 0;
  placed_ = std::clamp(s.placedCount, 0, 500);
  speciesOf_.assign(static_cast<std::size_t>(placed_) + 1, 0);
  mass_.assign(static_cast<std::size_t>(placed_) + 1, 0.0);
  speciesMass_.fill(0);
  for (int i = 1; i <= placed_; ++i) {
    const auto k = static_cast<std::size_t>(i);
    speciesOf_[k] = std::clamp(sim_.particleSpecies(i), 1, 4);
    mass_[k] = numberOf(s.partMass(i));
    if (speciesMass_[static_cast<std::size_t>(speciesOf_[k])] == 0)
      speciesMass_[static_cast<std::size_t>(speciesOf_[k])] = mass_[k];
  }
  n_ = std::clamp(sim_.lastParticle(), 0, placed_);
  countSpecies();
  radius_ = placed_ > 0 ? numberOf(s.partRadius(1)) : 0;
  sigma_ = proximity();
  markEnergy();
  kTNow_.fill(0);
  hNow_ = notKnown;
  unfolder_.reset(placed_);
  h_.reset(n_);
  for (std::vector<double>* v : {&vxNow_, &vyNow_, &ux_, &uy_, &reduced_, &x_, &y_})
    v->assign(static_cast<std::size_t>(placed_) + 1, 0.0);
  met_.fill(0);
  history_.clear();
  history_.events.push_back({0, "run: " + std::to_string(n_) + " discs"});
  heldKind_ = Change::None;
  restartTick_ = 0;
  ticksBeyondWall_ = 0;
  farthestBeyondWall_ = farthestBeyondEdge_ = 0;
  impulse_ = 0;
  contacts_.reset();
  gasLaws_.clear();
  effusion_.forgetSides();
  effusion_.restartPath(0);
  clearAverages();
}

void Laboratory::countSpecies() {
  count_.fill(0);
  for (int i = 1; i <= n_; ++i)
    ++count_[static_cast<std::size_t>(speciesOf_[static_cast<std::size_t>(i)])];
  count_[0] = n_;
}

double Laboratory::totalEnergy() const {
  const State& s = sim_.state();
  const double g = sim_.boundaries().gravity();
  double e = 0;
  for (int i = 1; i <= n_; ++i) {
    const double vx = numberOf(s.velX(i)), vy = numberOf(s.velY(i));
    e += 0.5 * mass_[static_cast<std::size_t>(i)] * (vx * vx + vy * vy);
    if (g != 0) e += mass_[static_cast<std::size_t>(i)] * g * (1000 - numberOf(s.posY(i)));
  }
  return e;
}

void Laboratory::markEnergy() {
  energyAtStart_ = totalEnergy();
  energyTick_ = tick_;
  walls_.markEnergy(sim_.boundaries(), tick_);
  atmosphere_.markTally(sim_.boundaries().tally());
}

void Laboratory::restartAverages(const std::string& why) {
  logEvent(why, Change::None);
}

void Laboratory::holdChangeEvents(bool hold) {
  holdChanges_ = hold;
  if (!hold) heldKind_ = Change::None;
}

void Laboratory::logEvent(const std::string& why, Change kind) {
  if (!started_) return;
  gasLaws_.heard(why);
  if (holdChanges_ && kind != Change::None && kind == heldKind_ && !history_.events.empty())
    history_.events.back() = {tick_, why};
  else
    history_.events.push_back({tick_, why});
  heldKind_ = holdChanges_ ? kind : Change::None;
  // H from here on sees only the gas as the change left it.
  h_.reset(n_);
  restartTick_ = tick_;
  clearAverages();
}

void Laboratory::clearAverages() {
  averaging_ = false;
  walls_.clearAverages();
  heat_.clear();
  atmosphere_.clearAverages();
  effusion_.clearAverages();
  for (BinnedSeries& k : kT_)
    k.clear(tick_);
  for (BinnedSeries& k : speciesContacts_)
    k.clear(tick_);
  for (BinnedSeries* series : {&impulseSeries_, &exchanges_, &newContacts_, &repeats_, &interior_})
    series->clear(tick_);
  profile_.reset(1000 - 2 * radius_, sigma_ > 0 ? sigma_ : 2 * radius_);
  for (auto* histograms : {&speed_, &vx_, &vy_})
    for (Histogram& h : *histograms)
      h.reset(0, 1, fineBins);
  msd_.reset(std::vector<int>(speciesOf_.begin(), speciesOf_.begin() + n_ + 1));
  contacts_.restartLongest();
  h_.restartAveraged();
}

void Laboratory::beginAverages() {
  clearAverages();
  averaging_ = true;
  // Ranges wide enough for the Maxwellian at the gas's present temperature.
  const double gasKT = kTNow_[0];
  for (int sp = 1; sp <= 4; ++sp) {
    const double m = speciesMass_[static_cast<std::size_t>(sp)];
    const double vmax = gasKT > 0 && m > 0 ? 5 * std::sqrt(gasKT / m) : 1;
    speed_[static_cast<std::size_t>(sp)].reset(0, vmax, fineBins);
    vx_[static_cast<std::size_t>(sp)].reset(-vmax, vmax, fineBins);
    vy_[static_cast<std::size_t>(sp)].reset(-vmax, vmax, fineBins);
  }
}

// Contacts are heard for every placed disc: a count raised during this tick has already set
// discs going that the laboratory takes in only after the tick.
void Laboratory::wallTurn(int i, Axis axis, double at, double before, double after) {
  if (i < 1 || i > placed_) return;
  impulse_ += mass_[static_cast<std::size_t>(i)] * std::fabs(after - before);
  unfolder_.turn(i, axis, at, before, after);
}

void Laboratory::pairExchange(int i, int j) {
  if (i < 1 || j < 1 || i > placed_ || j > placed_) return;
  if (!contacts_.exchange(i, j)) return;
  met_[static_cast<std::size_t>(speciesOf_[static_cast<std::size_t>(i)])] += 1;
  met_[static_cast<std::size_t>(speciesOf_[static_cast<std::size_t>(j)])] += 1;
}

void Laboratory::afterTick() {
  if (!started_) return;
  const State& s = sim_.state();
  ++tick_;
  // A count typed during the run changes at once how many discs the engine moves; a new
  // proximity changes their physics. Either starts the averages and the energy afresh.
  const int last = std::clamp(sim_.lastParticle(), 0, placed_);
  if (last != n_) {
    n_ = last;
    countSpecies();
    markEnergy();
    logEvent("gas now " + std::to_string(n_) + " discs", Change::Count);
  }
  if (proximity() != sigma_) {
    sigma_ = proximity();
    char what[48];
    std::snprintf(what, sizeof what, "proximity %g", sigma_);
    logEvent(what, Change::Proximity);
  }

  std::array<double, 5> energy{};
  const double g = sim_.boundaries().gravity();
  double potential = 0;  // Σ m·g·(1000 − y)
  const Cell* px = s.posX.data();
  const Cell* py = s.posY.data();
  const Cell* vxs = s.velX.data();
  const Cell* vys = s.velY.data();
  double beyondWallNow = 0;  // farthest a centre is past the line its walls turn it at
  const double rightX = sim_.boundaries().rightX();
  for (int i = 1; i <= n_; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const double vx = vxNow_[k] = numberOf(vxs[k]), vy = vyNow_[k] = numberOf(vys[k]);
    const double e = 0.5 * mass_[k] * (vx * vx + vy * vy);
    energy[static_cast<std::size_t>(speciesOf_[k])] += e;
    energy[0] += e;
    const double x = numberOf(px[k]), y = numberOf(py[k]);
    if (g != 0) potential += mass_[k] * g * (1000 - y);
    x_[k] = x - radius_;
    y_[k] = y - radius_;
    const double pastWall =
        std::max({radius_ - x, x - (rightX - radius_), radius_ - y, y - (1000 - radius_)});
    if (pastWall > beyondWallNow) beyondWallNow = pastWall;
    ux_[k] = unfolder_.x(i, x);
    uy_[k] = unfolder_.y(i, y);
  }
  if (beyondWallNow > 0) {
    ++ticksBeyondWall_;
    farthestBeyondWall_ = std::max(farthestBeyondWall_, beyondWallNow);
    farthestBeyondEdge_ = std::max(farthestBeyondEdge_, beyondWallNow - radius_);
  }
  std::array<double, 5> kT{};
  for (std::size_t sp = 0; sp < 5; ++sp)
    kT[sp] = count_[sp] ? energy[sp] / count_[sp] : 0;
  kTNow_ = kT;
  const double perKT = kT[0] > 0 ? 1 / kT[0] : notKnown;
  for (std::size_t k = 1; k <= static_cast<std::size_t>(n_); ++k)
    reduced_[k] = std::sqrt(mass_[k] * (vxNow_[k] * vxNow_[k] + vyNow_[k] * vyNow_[k]) * perKT);
  h_.add(reduced_);
  hNow_ = h_.h();
  const ContactTracker::Tick c = contacts_.endTick();

  // A species that does not move now keeps its place in the history, blank.
  for (std::size_t sp = 0; sp < 5; ++sp)
    if (sp == 0 || count_[sp])
      history_.kT[sp].add(kT[sp]);
    else
      history_.kT[sp].addBlank();
  const long since = tick_ - restartTick_;
  const bool inWindow = since > settings_.warmup &&
                        (settings_.window == 0 || since <= settings_.warmup + settings_.window);
  walls_.afterTick(sim_.boundaries(), radius_, n_, kT[0], inWindow);
  const double side = 1000 - 2 * radius_;
  // Walls that move or hold a temperature: Z over the area the centres reach now. Where the
  // centres have no room between the walls there is no Z to show.
  if (sim_.boundaries().active() && std::isfinite(walls_.zNow()))
    history_.z.add(walls_.zNow());
  else if (sim_.boundaries().active())
    history_.z.addBlank();
  else if (side > 0)
    history_.z.add(kT[0] > 0 && n_ > 0 ? impulse_ * side / (4 * n_ * kT[0]) : 0);
  else
    history_.z.addBlank();
  history_.exchanges.add(static_cast<double>(c.exchanges));
  if (inWindow && sim_.boundaries().active())
    heat_.afterTick(x_, vxNow_, vyNow_, mass_, n_, rightX - 2 * radius_, c.exchanges);
  history_.newContacts.add(static_cast<double>(c.newContacts));
  history_.repeats.add(static_cast<double>(c.repeats));
  history_.energy.add(energy[0] + potential);
  history_.h.add(hNow_);

  if (inWindow) {
    if (!averaging_) beginAverages();
    h_.addAveraged(reduced_);
    for (std::size_t sp = 0; sp < 5; ++sp)
      kT_[sp].add(kT[sp]);
    impulseSeries_.add(impulse_);
    exchanges_.add(static_cast<double>(c.exchanges));
    newContacts_.add(static_cast<double>(c.newContacts));
    repeats_.add(static_cast<double>(c.repeats));
    for (std::size_t sp = 1; sp < 5; ++sp)
      if (count_[sp]) speciesContacts_[sp].add(met_[sp] / count_[sp]);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(n_); ++k) {
      const auto sp = static_cast<std::size_t>(speciesOf_[k]);
      const double vx = vxNow_[k], vy = vyNow_[k];
      speed_[sp].add(std::sqrt(vx * vx + vy * vy));
      vx_[sp].add(vx);
      vy_[sp].add(vy);
    }
    msd_.add(ux_, uy_);
    // Centres move little in a tick: every fourth tick serves the profile as well as all.
    if (kT_[0].ticks() % WallProfile::everyTicks == 1)
      interior_.add(profile_.add(x_, y_, speciesOf_, n_));
  }
  // After the averages began this tick, so that their first tick is kept.
  const Boundaries& bounds = sim_.boundaries();
  if (g > 0)
    atmosphere_.afterTick(y_, vxNow_, vyNow_, mass_, speciesOf_, n_, 1000 - 2 * radius_,
                          bounds.tally(), inWindow);
  else
    atmosphere_.markTally(bounds.tally());
  if (bounds.divider())
    effusion_.afterTick(x_, radius_, speciesOf_, n_, inWindow);
  else
    effusion_.forgetSides();
  impulse_ = 0;
  met_.fill(0);
  gasLaws_.afterTick(*this, sim_, gasNow());
}

GasNow Laboratory::gasNow() const {
  const double averaged = kT_[0].ticks() > 0 ? kT_[0].mean() : kTNow_[0];
  return {n_, radius_, sigma_, kTNow_[0], averaged};
}

std::string Laboratory::startGasLaw(int process) {
  return gasLaws_.start(process, *this, sim_, gasNow());
}

std::string Laboratory::heat(int species, double factor) {
  if (!started_) return "No gas is running.";
  const std::string name = "Species " + std::to_string(species);
  if (species < 1 || species > 4 || count_[static_cast<std::size_t>(species)] == 0)
    return name + " has no particles in this run.";
  if (!(factor >= 0.01 && factor <= 100)) return "The factor must be a number from 0.01 to 100.";
  const int count = count_[static_cast<std::size_t>(species)];
  const int first = speciesFirst()[static_cast<std::size_t>(species)];
  State& s = sim_.state();
  const Heating plan = planHeating(s, first, first + count - 1, factor);
  if (!(plan.energyBefore > 0))
    return count == 1 ? name + "'s one disc is at rest: there is no motion to heat or cool."
                      : name +
                            "'s discs all move alike: there is no motion about their mean "
                            "velocity to heat or cool.";
  // Speeds far beyond the box's size per tick make the gas meaningless and, heated again and
  // again, would overflow.
  if (!(plan.fastest <= 10000)) return "That would make a disc faster than 10,000 units per tick.";
  applyHeating(s, first, plan);
  markEnergy();
  char what[64];
  std::snprintf(what, sizeof what, "%s species %d x%g", factor >= 1 ? "heat" : "cool", species,
                factor);
  restartAverages(what);
  return "";
}

namespace {

std::string shortNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

}  // namespace

std::string Laboratory::setWallHeat(const std::array<std::optional<double>, wallCount>& kT) {
  // Every wall is checked before any changes.
  Boundaries trial = sim_.boundaries();
  std::string what = "walls:";
  static const char* const names[] = {" left ", ", right ", ", bottom ", ", top "};
  for (std::size_t w = 0; w < wallCount; ++w) {
    const WallHeat heat = kT[w] ? WallHeat{true, *kT[w]} : WallHeat{};
    if (std::string why = trial.setHeat(static_cast<WallSide>(w), heat); !why.empty()) return why;
    what += names[w] + (kT[w] ? "kT " + shortNumber(*kT[w]) : std::string("reflecting"));
  }
  sim_.boundaries() = trial;
  walls_.restartPath(tick_);
  restartAverages(what);
  return "";
}

std::string Laboratory::moveRightWall(double target, double speed, std::optional<long> start) {
  const long from = start ? *start : sim_.boundaries().tick();
  if (std::string why = sim_.moveRightWall(target, speed, from); !why.empty()) return why;
  walls_.restartPath(tick_);
  restartAverages("right wall toward x = " + shortNumber(target) + " at " + shortNumber(speed) +
                  " u/tick");
  return "";
}

std::string Laboratory::setPiston(double pressure, double mass) {
  if (std::string why = sim_.boundaries().setPiston(pressure, mass); !why.empty()) return why;
  walls_.restartPath(tick_);
  restartAverages("right wall a piston of mass " + shortNumber(mass) + " under pressure " +
                  shortNumber(pressure));
  return "";
}

std::string fieldLimit(double g) {
  // √(2·g·1000) ≤ 10,000.
  if (std::isfinite(g) && g > 50000)
    return "The field must be at most 50,000 units per tick², not " + shortNumber(g) +
           ": a disc falling the box's height would pass 10,000 units per tick.";
  return "";
}

std::string Laboratory::setGravity(double g) {
  if (std::string why = fieldLimit(g); !why.empty()) return why;
  if (std::string why = sim_.boundaries().setGravity(g); !why.empty()) return why;
  // The energy counted from here on holds the potential energy in the new field.
  markEnergy();
  restartAverages(g > 0 ? "field g = " + shortNumber(g) + " u/tick² toward the floor"
                        : std::string("field off"));
  return "";
}

std::string Laboratory::setDivider(double width) {
  const double before = sim_.boundaries().opening();
  if (std::string why = sim_.boundaries().setDivider(width); !why.empty()) return why;
  // Exact discs that the new divider cuts are set beside it, as a placement's would be; the
  // engine predicts no contact for a disc already overlapping it.
  if (started_ && sim_.collisionRule() == CollisionRule::Exact) {
    if (std::string why = sim_.separateOverlaps(); !why.empty()) {
      sim_.boundaries().setDivider(before);
      return why;
    }
    // A disc moved in the field has another potential energy.
    markEnergy();
  }
  effusion_.forgetSides();
  effusion_.restartPath(tick_);
  const Boundaries& b = sim_.boundaries();
  restartAverages(!b.divider()       ? std::string("no divider")
                  : b.opening() == 0 ? std::string("divider closed")
                                     : "divider, opening " + shortNumber(b.opening()) + " u");
  return "";
}

std::string Laboratory::setStartSides(const std::array<StartSide, 4>& sides) {
  static const char* const names[] = {"both", "left", "right"};
  std::string what = "start sides:";
  for (std::size_t k = 0; k < sides.size(); ++k) {
    const auto side = static_cast<int>(sides[k]);
    if (side < 0 || side > 2)
      return "Each species starts on the left, the right or both sides; species " +
             std::to_string(k + 1) + " has no such side.";
    what += std::string(k ? ", " : " ") + names[side];
  }
  sim_.setStartSides(sides);
  // Nothing moves differently until the next placement: a mark in the history, no restart.
  if (started_) {
    history_.events.push_back({tick_, what});
    heldKind_ = Change::None;
  }
  return "";
}

void Laboratory::equalEnergies() {
  if (!started_) return;
  equalizeEnergies(sim_.state(), n_);
  markEnergy();
  restartAverages("equal energies");
}

Distribution Laboratory::distribution(const Histogram& h, double mass, double kT,
                                      bool speed) const {
  Distribution d;
  d.samples = h.total();
  // Without samples or motion there is no distribution to show: never the last run's.
  if (d.samples == 0 || !(kT > 0) || !(mass > 0)) return d;
  const int per = h.bins() / chartBins;
  d.binWidth = h.binWidth() * per;
  d.measured = h.densities(per);
  auto cdf = [&](double v) {
    return speed ? theory::speedCdf(v, mass, kT) : theory::componentCdf(v, mass, kT);
  };
  for (int k = 0; k < chartBins; ++k) {
    const double a = h.low() + d.binWidth * k, b = a + d.binWidth;
    d.centres.push_back((a + b) / 2);
    d.theory.push_back((cdf(b) - cdf(a)) / d.binWidth);
  }
  d.ks = h.ksDistance(cdf);
  return d;
}

Results Laboratory::results() const {
  Results r;
  r.running = started_;
  r.seed = seed_;
  r.ticks = tick_;
  r.warmup = settings_.warmup;
  r.particles = n_;
  r.events = history_.events;
  r.gasLaws = gasLaws_.rows();
  r.lags = msd_.lags();
  if (!started_) return r;
  r.warmupLeft = averaging_ ? 0 : std::max(0L, settings_.warmup + 1 - (tick_ - restartTick_));
  r.measuredTicks = kT_[0].ticks();
  r.radius = radius_;
  r.sigma = sigma_;
  r.side = 1000 - 2 * radius_;
  if (r.side > 0 && n_ > 0) {
    r.eta = theory::packingFraction(n_, sigma_, r.side);
    r.contactValue = theory::bulkContactValue(r.eta);
    r.zHenderson = theory::hendersonZ(r.eta);
    r.zBulk = theory::bulkZ(r.eta);
    r.zWalled = theory::walledZ(r.eta, sigma_, r.side);
  }
  r.exactRule = sim_.collisionRule() == CollisionRule::Exact;
  r.kTNow = kTNow_[0];
  r.kT = blockEstimate(kT_[0]);
  const double kT = r.kT.value;

  // Pressure: impulse per tick over the four walls of side L, against N·kT / L².
  if (r.side > 0 && n_ > 0) {
    r.pressure = blockEstimate(impulseSeries_);
    const double toP = 1 / (4 * r.side);
    r.pressure.value *= toP;
    r.pressure.error *= toP;
    r.Z = ratioEstimate(impulseSeries_, kT_[0]);
    const double toZ = r.side / (4.0 * n_);
    r.Z.value *= toZ;
    r.Z.error *= toZ;
    r.interiorFrom = profile_.interiorFrom();
    const double area = profile_.interiorArea();
    r.interiorCount = blockEstimate(interior_);
    if (area > 0 && r.interiorCount.value > 0) {
      // Centres per area, as a packing fraction: n·π·σ²/4.
      const double toEta = std::numbers::pi * sigma_ * sigma_ / (4 * area);
      r.etaInterior = {r.interiorCount.value * toEta, r.interiorCount.error * toEta,
                       r.interiorCount.correlationTicks, r.interiorCount.blocks};
      // Z over the interior's density: Z over the nominal density times their ratio, the two
      // relative errors combined.
      const double ratio = (n_ / (r.side * r.side)) / (r.interiorCount.value / area);
      const double relative =
          std::hypot(r.Z.error / r.Z.value, r.interiorCount.error / r.interiorCount.value);
      r.zInterior = {r.Z.value * ratio, r.Z.value * ratio * relative, r.Z.correlationTicks,
                     r.Z.blocks};
      r.zBulkInterior = theory::bulkZ(r.etaInterior.value);
      r.zHendersonInterior = theory::hendersonZ(r.etaInterior.value);
    }
    const double unit = sigma_ > 0 ? sigma_ : 2 * radius_;
    for (int b = 0; b < profile_.bins() && unit > 0; ++b)
      r.profileDistance.push_back((b + 0.5) * profile_.binWidth() / unit);
  }

  r.exchanges = blockEstimate(exchanges_);
  r.newContacts = blockEstimate(newContacts_);
  r.boundShare = ratioEstimate(repeats_, exchanges_);
  r.longestBoundRun = contacts_.longestRun();
  // The diffusive range starts ten free flights in: N / (2 · collisions per tick) ticks each.
  const double flight = r.newContacts.value > 0 ? n_ / (2 * r.newContacts.value) : notKnown;
  r.fitFromLag = std::isfinite(flight) ? static_cast<int>(std::ceil(10 * flight)) : 1 << 30;
  r.tracerMsd = msd_.curve(0);

  int present = 0;
  for (int sp = 1; sp <= 4; ++sp)
    present += count_[static_cast<std::size_t>(sp)] > 0;
  // Enskog's rates are taken at the interior's density, where the layers at the walls have
  // faded, when the box has an interior; each species keeps its share of the discs.
  const bool inner = std::isfinite(r.etaInterior.value) && profile_.interiorArea() > 0;
  const double densityScale =
      inner && n_ > 0 ? r.interiorCount.value / profile_.interiorArea() / (n_ / (r.side * r.side))
                      : 1;
  const double g = inner ? theory::bulkContactValue(r.etaInterior.value) : r.contactValue;
  r.enskogCollisions = 0;
  for (int sp = 1; sp <= 4; ++sp) {
    const auto k = static_cast<std::size_t>(sp);
    if (count_[k] == 0) continue;
    SpeciesResult x;
    x.species = sp;
    x.count = count_[k];
    x.mass = speciesMass_[k];
    x.kTNow = kTNow_[k];
    x.kT = blockEstimate(kT_[k]);
    x.kTRatio = ratioEstimate(kT_[k], kT_[0]);
    x.speed = distribution(speed_[k], x.mass, x.kT.value, true);
    x.vx = distribution(vx_[k], x.mass, x.kT.value, false);
    x.vy = distribution(vy_[k], x.mass, x.kT.value, false);
    x.contactRate = blockEstimate(speciesContacts_[k]);
    x.msd = msd_.curve(sp);
    x.diffusion = msd_.fit(sp, r.fitFromLag);
    if (r.side > 0 && std::isfinite(g) && kT > 0) {
      x.enskogRate = 0;
      for (int b = 1; b <= 4; ++b) {
        const auto kb = static_cast<std::size_t>(b);
        if (count_[kb] == 0) continue;
        const double density = densityScale * count_[kb] / (r.side * r.side);
        x.enskogRate +=
            theory::enskogCollisionRate(density, sigma_, g, kT, x.mass, speciesMass_[kb]);
      }
      r.enskogCollisions += 0.5 * x.count * x.enskogRate;
      if (present == 1)
        x.enskogD =
            theory::enskogDiffusion(densityScale * n_ / (r.side * r.side), sigma_, g, kT, x.mass);
    }
    if (r.side > 0) x.profile = profile_.density(sp, count_[k] / (r.side * r.side));
    // Particle 1 alone is too noisy to find its own straight range: it takes its species'.
    if (n_ > 0 && sp == speciesOf_[1] && x.diffusion.fromLag > 0)
      r.tracer = msd_.fitOver(0, x.diffusion.fromLag, x.diffusion.toLag);
    r.species.push_back(std::move(x));
  }
  if (!(r.side > 0 && kT > 0 && std::isfinite(g))) r.enskogCollisions = notKnown;

  r.hNow = hNow_;
  r.hMaxwellian = h_.maxwellian();
  r.hSpan = h_.held();
  r.hSpeeds = h_.speeds();
  r.hAveraged = h_.averagedH();

  // The state as it stands now.
  const State& s = sim_.state();
  double e = 0, mx = 0, my = 0;
  const double field = sim_.boundaries().gravity();
  r.worstExcursion = 0;
  for (int i = 1; i <= n_; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const double vx = numberOf(s.velX(i)), vy = numberOf(s.velY(i));
    e += 0.5 * mass_[k] * (vx * vx + vy * vy);
    mx += mass_[k] * vx;
    my += mass_[k] * vy;
    const double x = numberOf(s.posX(i)), y = numberOf(s.posY(i));
    if (field != 0) e += mass_[k] * field * (1000 - y);
    const double out = std::max({-x, x - sim_.boundaries().rightX(), -y, y - 1000});
    if (out > 0) {
      ++r.outside;
      r.worstExcursion = std::max(r.worstExcursion, out);
    }
  }
  r.shareBeyondWall = tick_ > 0 ? static_cast<double>(ticksBeyondWall_) / tick_ : notKnown;
  r.farthestBeyondWall = farthestBeyondWall_;
  r.farthestBeyondEdge = farthestBeyondEdge_;
  r.energy = e;
  r.energyAtStart = energyAtStart_;
  r.momentumX = mx;
  r.momentumY = my;
  if (tick_ > energyTick_ && energyAtStart_ > 0)
    r.driftPer10k = (e / energyAtStart_ - 1) * 1e4 / static_cast<double>(tick_ - energyTick_);
  r.walls = walls_.results(sim_.boundaries(), radius_, e, energyAtStart_);
  if (r.walls.active) {
    const Boundaries& b = sim_.boundaries();
    auto wallKT = [&](WallSide w) { return b.heat(w).thermal ? b.heat(w).kT : notKnown; };
    double massSum = 0;
    for (int i = 1; i <= n_; ++i)
      massSum += mass_[static_cast<std::size_t>(i)];
    r.heat = heat_.results(r.walls.heatFlow[0], r.walls.heatFlow[1], wallKT(WallSide::Left),
                           wallKT(WallSide::Right), b.meetLength(WallSide::Left, radius_), sigma_,
                           r.walls.area, n_, r.kT.value, n_ > 0 ? massSum / n_ : notKnown);
  }
  const Boundaries& bounds = sim_.boundaries();
  if (field > 0)
    r.atmosphere = atmosphere_.results(field, r.kT.value, count_, speciesMass_, radius_,
                                       bounds.rightX() - 2 * radius_);
  if (bounds.divider())
    r.effusion = effusion_.results(bounds.opening(), radius_, bounds.rightX(), r.kT.value, count_,
                                   speciesMass_);
  // Walls that move or hold a temperature: the pressure over the lengths the discs meet now,
  // Z over the area they reach.
  if (r.walls.active) {
    r.pressure = r.walls.pressureAll;
    r.Z = r.walls.z;
    // Where the right wall stands elsewhere the box is a rectangle: η and the theories beside Z
    // over the area reached (the walls' first-order term over its perimeter), and no interior,
    // which is measured in the square box.
    const double width = r.walls.rightX - 2 * radius_, height = 1000 - 2 * radius_;
    if (r.walls.rightX != 1000 && width > 0 && height > 0 && n_ > 0) {
      const double a = width * height, perimeter = 2 * (width + height);
      r.eta = n_ * std::numbers::pi * sigma_ * sigma_ / (4 * a);
      r.zBulk = theory::bulkZ(r.eta);
      r.zHenderson = theory::hendersonZ(r.eta);
      r.zWalled = r.zBulk - 8 / (3 * std::numbers::pi) * r.eta * sigma_ * perimeter / a;
      r.interiorFrom = notKnown;
      r.interiorCount = r.etaInterior = r.zInterior = Estimate{};
      r.zBulkInterior = r.zHendersonInterior = notKnown;
      for (SpeciesResult& x : r.species)
        x.profile.clear();
    }
  }
  return r;
}

}  // namespace km::lab
