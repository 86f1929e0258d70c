// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

#include "observer.h"
#include "random_source.h"

namespace km {

// The four walls of the box, in the order the options name them. y grows downward, so the
// bottom wall is the one at y = 1000.
enum class WallSide { Left, Right, Bottom, Top };
constexpr int wallCount = 4;

// What a wall does to a disc that meets it.
struct WallHeat {
  bool thermal = false;  // else it reflects
  double kT = 0;         // amu·u²/tick², held by a thermal wall
};

// How the right wall moves. Fixed at its position; Moving toward `target` at `speed` units per
// tick from tick `start` of the boundaries' own count; Piston: a wall of `mass` amu pushed
// inward by `pressure` (force per unit of the length the discs meet, amu·u/tick²).
struct RightWallMotion {
  enum class Kind { Fixed, Moving, Piston };
  Kind kind = Kind::Fixed;
  double target = 1000, speed = 0;
  long start = 0;
  double pressure = 0, mass = 0;
};

// What crossed the walls since the tally was last cleared: energies in amu·u²/tick², impulses in
// amu·u/tick. Energy is counted as the gas's gain.
struct WallTally {
  std::array<double, wallCount> impulse{};  // normal momentum the discs gave each wall
  std::array<double, wallCount> heat{};     // energy each thermal wall gave the gas
  double work = 0;             // energy the moving wall or piston gave the gas at contacts
  double externalWork = 0;     // P_ext·L·(−ΔX): the work of the piston's outside pressure
  double dividerImpulseY = 0;  // momentum toward +y the discs gave the opening's two ends
  long thermalContacts = 0;
};

// The box's boundaries as both collision rules see them: each wall's position and velocity at a
// time within the tick, and what it does to a disc that meets it. Off by default: four fixed
// reflecting walls at 0 and 1000, for which the engines keep their own unchanged paths
// (active() false). Kept as a list of walls met along an axis, so that further surfaces (a
// divider across the box) join the list, and a field that bends the discs' flight joins the
// motion the engines ask of it, without a change to the walls' rules.
class Boundaries {
 public:
  // Whether anything differs from four fixed reflecting walls at 0 and 1000.
  bool active() const { return active_; }

  const WallHeat& heat(WallSide w) const { return heat_[index(w)]; }
  const RightWallMotion& motion() const { return motion_; }
  // "" when done, else why not, in words for the user.
  std::string setHeat(WallSide w, WallHeat h);
  // The right wall toward `target` at `speed` from tick `start`; refused when the gas of `n`
  // discs of contact distance `sigma` and wall distance `radius` cannot fit at close packing in
  // the box the target leaves.
  std::string moveRightWall(double target, double speed, long start, int n, double sigma,
                            double radius);
  std::string setPiston(double pressure, double mass);
  // A uniform field toward the bottom of the picture (+y), units per tick²; 0 for none.
  std::string setGravity(double g);
  double gravity() const { return g_; }
  // A divider along x = 500 with an opening of `width` centred on y = 500: 0 closed, the box's
  // height (1000) or more no divider at all.
  std::string setDivider(double width);
  bool divider() const { return opening_ < 1000; }
  double opening() const { return opening_; }
  // The ends of the opening, y = 500 ∓ width/2.
  double openingTop() const { return 500 - opening_ / 2; }
  double openingBottom() const { return 500 + opening_ / 2; }
  // Back to four fixed reflecting walls at 0 and 1000, the tally cleared.
  void reset();

  // Where the right wall is (its face) and how fast it moves, at the start of the tick.
  double rightX() const { return x_; }
  double rightVelocity() const { return v_; }
  // Ticks since the boundaries were set; the moving wall's start counts from here.
  long tick() const { return tick_; }
  // The length of wall the centres meet, for discs at `radius` from a wall: the height for the
  // left and right walls, the width up to the right wall for the bottom and top.
  double meetLength(WallSide w, double radius) const;
  // The area the centres reach, (X − 2r)·(1000 − 2r).
  double area(double radius) const;

  const WallTally& tally() const { return tally_; }
  void clearTally() { tally_ = {}; }

  // --- What the engines ask, within a tick of time 0..1 ---

  // Sets the right wall's motion for the tick: the moving wall's speed (shortened so that it
  // stops on its target at a tick's end), the piston's push from its outside pressure over the
  // length that discs of `radius` meet. Under the exact rule (`exact`) the piston moves with
  // constant acceleration between contacts and recoils at each; under the specified rule it
  // keeps its velocity through the tick and takes the tick's impulses at its end.
  void beginTick(double radius, bool exact);
  // Ends the tick: the right wall to its place at time 1 (the piston also takes the impulses
  // gathered under the specified rule), the count of ticks on by one.
  void endTick();
  // The right wall's face at time t of the tick, its velocity and acceleration.
  double rightAt(double t) const;
  double rightVelocityAt(double t) const;
  double rightAcceleration() const { return a_; }
  bool piston() const { return motion_.kind == RightWallMotion::Kind::Piston; }
  // Changes whenever the piston's course changes, so that a contact predicted before is stale.
  unsigned pistonCourse() const { return course_; }

  // A disc of `mass` meets wall `w` at time t: its normal and tangential velocity components
  // (normal along the axis, x or y, as the engines store them) leave as the wall makes them;
  // the energy and impulse are counted. Only a disc approaching the wall in the wall's frame
  // changes. Whether the disc changed.
  bool meet(WallSide w, double mass, double t, double& normal, double& tangential,
            RandomSource& rnd);

  // A disc of `mass` whose centre stands at (dx, dy) from one end of the divider's opening
  // meets that end: the velocity's component along the line from the end to the centre turns
  // if it approaches; the impulse across y is counted. Whether the disc changed.
  bool meetEnd(double mass, double dx, double dy, double& vx, double& vy);

  // Draws for a thermal wall at kT for a disc of mass m: the speed away from the wall from the
  // flux-weighted law m·v/kT·exp(−m·v²/2kT), the tangential component from the Gaussian of
  // variance kT/m. Three numbers of `rnd`, in that order.
  static double fluxSpeed(double kT, double mass, RandomSource& rnd);
  static double gaussian(double kT, double mass, RandomSource& rnd);

 private:
  static std::size_t index(WallSide w) { return static_cast<std::size_t>(w); }
  void refresh();

  std::array<WallHeat, wallCount> heat_{};
  RightWallMotion motion_;
  bool active_ = false;
  long tick_ = 0;
  double x_ = 1000, v_ = 0, a_ = 0;  // the right wall at the tick's start (piston: at tRef_)
  double tRef_ = 0;                  // time within the tick at which x_ and v_ hold
  double tickStartX_ = 1000;         // the right wall where the tick began
  bool exact_ = false;
  double gathered_ = 0;  // impulse waiting for the piston under the specified rule
  double push_ = 0;      // the piston's outside force this tick
  unsigned course_ = 0;
  double g_ = 0;
  double opening_ = 1000;
  WallTally tally_;
};

}  // namespace km
