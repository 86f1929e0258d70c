// SPDX-License-Identifier: GPL-3.0-or-later
#include "headless_run.h"

#include <algorithm>
#include <limits>

#include "random_source.h"

namespace km::lab {
namespace {

// The seed given, whatever time of day start-up offers to seed with.
class FixedSeed : public RandomSource {
 public:
  explicit FixedSeed(RunSeed at) { generator_.restart(at); }
  void seed(float) override {}
  float next() override { return generator_.next(); }

 private:
  SeededGenerator generator_;
};

struct Midnight : Clock {
  double secondsSinceMidnight() const override { return 0; }
};

}  // namespace

struct HeadlessGas::Parts {
  explicit Parts(RunSeed seed) : rnd(seed), sim(rnd, clock), lab(sim) {}
  FixedSeed rnd;
  Midnight clock;
  NoDrawing surface;
  NoReadouts readouts;
  Simulation sim;
  Laboratory lab;
};

HeadlessGas::HeadlessGas(const GasSetup& setup)
    : p_(std::make_unique<Parts>(RunSeed{setup.seed, setup.draws})) {
  Simulation& sim = p_->sim;
  sim.startUp(p_->surface);
  sim.setDefaultSpeciesColors();
  sim.takeParticleRadius(setup.radius);
  sim.takeProximity(setup.proximity);
  sim.takeVelocityScale(setup.velocityRange);
  sim.SetUpSpecies(setup.rows);
  // The divider and the sides decide where the discs are placed.
  sim.setStartSides(setup.sides);
  if (setup.walls.divider)
    if (std::string why = sim.boundaries().setDivider(*setup.walls.divider); !why.empty())
      throw Refused(why);
  sim.PlaceParticles(p_->surface);
  if (setup.rule == CollisionRule::Exact) {
    sim.setCollisionRule(CollisionRule::Exact);
    const std::string why = sim.separateOverlaps();
    if (!why.empty()) throw Refused(why);
  }
  lab::setWalls(sim, setup.walls);
  p_->lab.setSettings({setup.warmup, setup.ticks});
  p_->lab.runStarted({setup.seed, setup.draws});
  // As in the windows, a run under the exact rule says so among its events.
  if (setup.rule == CollisionRule::Exact) p_->lab.restartAverages("rule: exact hard discs");
}

HeadlessGas::~HeadlessGas() = default;

void setWalls(Simulation& sim, const WallSetup& walls) {
  Boundaries& b = sim.boundaries();
  for (std::size_t w = 0; w < wallCount; ++w)
    if (walls.kT[w])
      if (std::string why = b.setHeat(static_cast<WallSide>(w), {true, *walls.kT[w]}); !why.empty())
        throw Refused(why);
  if (walls.target)
    if (std::string why = sim.moveRightWall(*walls.target, walls.speed, walls.start); !why.empty())
      throw Refused(why);
  if (walls.pressure)
    if (std::string why = b.setPiston(*walls.pressure, walls.mass); !why.empty())
      throw Refused(why);
  if (walls.gravity) {
    std::string why = fieldLimit(*walls.gravity);
    if (why.empty()) why = b.setGravity(*walls.gravity);
    if (!why.empty()) throw Refused(why);
  }
  if (walls.divider)
    if (std::string why = b.setDivider(*walls.divider); !why.empty()) throw Refused(why);
}

void HeadlessGas::step() {
  p_->sim.Timer1_Timer(p_->surface, p_->readouts);
  p_->lab.afterTick();
}

long HeadlessGas::ticks() const {
  return p_->lab.ticks();
}

int HeadlessGas::particles() const {
  return std::clamp(p_->sim.lastParticle(), 0, p_->sim.state().placedCount);
}

namespace {

double numberIn(const Cell& c) {
  if (c.kind() != Kind::Text) return c.toDouble();
  double v = 0;
  return c.textNumber(v) ? v : std::numeric_limits<double>::quiet_NaN();
}

void pairs(const CellArray<500>& x, const CellArray<500>& y, int n, std::span<double> xy) {
  for (int i = 1; i <= n && 2 * static_cast<std::size_t>(i) <= xy.size(); ++i) {
    xy[2 * static_cast<std::size_t>(i) - 2] = numberIn(x(i));
    xy[2 * static_cast<std::size_t>(i) - 1] = numberIn(y(i));
  }
}

}  // namespace

void HeadlessGas::positions(std::span<double> xy) const {
  pairs(p_->sim.state().posX, p_->sim.state().posY, particles(), xy);
}

void HeadlessGas::velocities(std::span<double> xy) const {
  pairs(p_->sim.state().velX, p_->sim.state().velY, particles(), xy);
}

void HeadlessGas::masses(std::span<double> out) const {
  const int n = std::min<int>(particles(), static_cast<int>(out.size()));
  for (int i = 1; i <= n; ++i)
    out[static_cast<std::size_t>(i) - 1] = numberIn(p_->sim.state().partMass(i));
}

void HeadlessGas::species(std::span<int> out) const {
  const int n = std::min<int>(particles(), static_cast<int>(out.size()));
  for (int i = 1; i <= n; ++i)
    out[static_cast<std::size_t>(i) - 1] = p_->sim.particleSpecies(i);
}

std::string HeadlessGas::setRule(CollisionRule rule) {
  Simulation& sim = p_->sim;
  if (rule == sim.collisionRule()) return "";
  if (rule == CollisionRule::Exact)
    if (std::string why = sim.separateOverlaps(); !why.empty()) return why;
  sim.setCollisionRule(rule);
  p_->lab.restartAverages(rule == CollisionRule::Exact ? "rule: exact hard discs"
                                                       : "rule: specified");
  return "";
}

void HeadlessGas::setWarmup(long ticks) {
  p_->lab.setSettings({ticks, p_->lab.settings().window});
  p_->lab.restartAverages("warm-up " + std::to_string(std::max(0L, ticks)));
}

void HeadlessGas::setWalls(const WallSetup& walls, const std::string& what) {
  WallSetup rest = walls;
  rest.gravity.reset();
  rest.divider.reset();
  if (walls.gravity)
    if (std::string why = p_->lab.setGravity(*walls.gravity); !why.empty()) throw Refused(why);
  if (walls.divider)
    if (std::string why = p_->lab.setDivider(*walls.divider); !why.empty()) throw Refused(why);
  lab::setWalls(p_->sim, rest);
  p_->lab.restartAverages(what);
}

Laboratory& HeadlessGas::laboratory() {
  return p_->lab;
}

const Laboratory& HeadlessGas::laboratory() const {
  return p_->lab;
}

Simulation& HeadlessGas::simulation() {
  return p_->sim;
}

const Simulation& HeadlessGas::simulation() const {
  return p_->sim;
}

Outcome runGas(const GasSetup& setup, const Control& control) {
  HeadlessGas gas(setup);
  Outcome out;
  out.total = setup.warmup + setup.ticks;
  for (long t = 1; t <= out.total; ++t) {
    if (control.stop && control.stop()) {
      out.stopped = true;
      break;
    }
    gas.step();
    if (control.progress) control.progress(t, out.total);
  }
  out.results = gas.laboratory().results();
  return out;
}

}  // namespace km::lab
