// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "boundaries.h"
#include "clock.h"
#include "hard_discs.h"
#include "observer.h"
#include "random_source.h"
#include "state.h"
#include "surface.h"
#include "sweep_index.h"

namespace km {

// The texts of the four species rows, row k belonging to species k + 1.
struct SpeciesTexts {
  std::array<std::string, 4> counts;
  std::array<std::string, 4> masses;
};

// Where a species' discs are placed at "Run Simulation": anywhere, or only left or right of
// x = 500.
enum class StartSide { Both, Left, Right };

// The gas: its state and the procedures that set it up and step it. Draws only through a
// DrawingSurface, writes only through a TextDisplay, and takes time and random numbers from
// what it is given. Every procedure raises RunError where the model's rules fail.
class Simulation {
 public:
  Simulation(RandomSource& rnd, const Clock& clock) : rnd_(rnd), clock_(clock) {
    hardDiscs_.setBoundaries(&boundaries_, &rnd_);
  }
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  State& state() { return s_; }
  const State& state() const { return s_; }

  // Hears the wall turns and pair exchanges of every tick from now on; nullptr for none.
  void setObserver(GasObserver* observer) { observer_ = observer; }

  // The walls: four fixed reflecting ones by default. Changes take effect at the next tick;
  // thermal walls draw from the simulation's random source.
  Boundaries& boundaries() { return boundaries_; }
  const Boundaries& boundaries() const { return boundaries_; }
  // Moves the right wall toward x = target at `speed` units per tick from the boundaries' tick
  // `start`, refused (with the reason) when the placed gas cannot fit there.
  std::string moveRightWall(double target, double speed, long start);
  // Where each species (element k for species k + 1) is placed by the next PlaceParticles.
  void setStartSides(const std::array<StartSide, 4>& sides) { sides_ = sides; }
  const std::array<StartSide, 4>& startSides() const { return sides_; }
  // The distance the discs keep from a wall: particle 1's radius, 0 when it holds no number.
  double wallRadius() const;

  // Specified by default. Takes effect at the next tick; a switch to Exact makes that tick
  // separate overlapping discs first, as does a new placement under Exact.
  void setCollisionRule(CollisionRule rule);
  CollisionRule collisionRule() const { return rule_; }
  // Pushes the placed discs (1..lastParticle()) that overlap one another (centres closer than
  // the collision proximity) or a wall (centre closer than its radius to a wall) apart and into
  // the box, positions only, in bounded work. Returns "" when no overlap is left, else a
  // sentence for the user saying why the gas does not fit.
  std::string separateOverlaps();

  // Start-up defaults, in order: seed the generator from the time of day, black background,
  // velScale 20, partRad 12, collProx 24.
  void startUp(DrawingSurface& surface);
  // speciesColor(1..4) = green, blue, cyan, red.
  void setDefaultSpeciesColors();

  // A count or mass field of row k (0..3) changed: Val of its text becomes the species
  // value and element 0 the new total.
  void takeSpeciesCount(int k, std::string_view text);
  void takeSpeciesMass(int k, std::string_view text);
  // The radius, proximity and velocity-range texts are stored as typed.
  void takeParticleRadius(std::string_view text) { s_.partRad = Cell::text(text); }
  void takeProximity(std::string_view text) { s_.collProx = Cell::text(text); }
  void takeVelocityScale(std::string_view text) { s_.velScale = Cell::text(text); }
  void takeSpeciesColor(int k, Color c) { s_.speciesColor(k + 1) = c; }

  void SetUpSpecies(const SpeciesTexts& rows);
  void PlaceParticles(DrawingSurface& surface);
  void CheckCollisions(int i);
  void Collide(int i, int j);
  void Timer1_Timer(DrawingSurface& surface, TextDisplay& readouts);

  // Last particle the tick and the collision test reach: the smaller of speciesCount(0) and
  // the number placed by the latest PlaceParticles.
  int lastParticle() const;
  // The species (1..4) that the latest SetUpSpecies gave particle i, 0 for none. Counts typed
  // during a run change which particles move, never which species a particle belongs to.
  int particleSpecies(int i) const {
    return i >= 1 && i <= 500 ? speciesOfParticle_[static_cast<std::size_t>(i)] : 0;
  }

 private:
  StartSide sideOf(int i) const;
  void moveAndDraw(int i, DrawingSurface& surface);
  void turnAtWall(int i, Axis axis);
  // The wall test with the boundaries active: the walls where they stand at the tick's start,
  // and what each does to a disc beyond it.
  void meetBoundaries(int i);
  // The divider's faces and its opening's ends, for particle i just moved.
  void meetDivider(int i);
  // Whether particles first..last all have tame positions, and the collision test of i given
  // that answer for the particles after i.
  bool tameFrom(int first) const;
  void checkPairs(int i, bool laterTame, const SweepIndex* sweep);
  enum class Shortcut { Exchanged, Unchanged, NotTaken };
  Shortcut collideDoubles(int i, int j);
  // Whether the pair exchanged momentum (not when their x positions are equal).
  bool collideCells(int i, int j);
  void drawTrail(DrawingSurface& surface);
  // The right wall as a line where it stands inside the box, the line of the last tick erased;
  // drawn again every tick, since the discs' erasing circles cross it.
  void drawWall(DrawingSurface& surface);
  void eraseAndDraw(int i, DrawingSurface& surface);
  // The exact rule's share of a tick: the gas advanced as a whole, then every particle drawn
  // and summed. Reads the gas into discGas_ and writes it back as Doubles.
  void exactTick(int last, DrawingSurface& surface, TextDisplay& readouts);
  void readDiscs(int last);

  RandomSource& rnd_;
  const Clock& clock_;
  State s_;
  SweepIndex sweep_;  // rebuilt at the start of every tick
  GasObserver* observer_ = nullptr;
  CollisionRule rule_ = CollisionRule::Specified;
  bool separatePending_ = false;  // the next exact tick separates overlaps first
  double wallDrawnAt_ = -1;       // where the wall's line is drawn, −1 for none
  bool dividerDrawn_ = false;     // the divider's line as drawn last, opening from dividerTop_
  double dividerTop_ = 0;
  Boundaries boundaries_;
  HardDiscs hardDiscs_;
  DiscGas discGas_;
  std::array<Cell, 501> oldX_, oldY_;  // positions before the exact tick's advance
  std::array<int, 501> speciesOfParticle_{};
  std::array<StartSide, 4> sides_{};
};

// The divider's two pieces, either side of its opening, when there is one.
void drawDivider(const Boundaries& walls, DrawingSurface& surface);

// A position that is a Double of at most this magnitude: differences and their squares of
// such positions are plain finite doubles, so the pair test can skip the cell rules.
constexpr double tameLimit = 1e150;
bool isTame(const Cell& position);

// How many passes a loop "for i = 1 to bound" makes (0 for a bound below 1).
int passesUpTo(const Cell& bound);

}  // namespace km
