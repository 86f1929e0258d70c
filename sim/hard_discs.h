// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boundaries.h"
#include "observer.h"
#include "random_source.h"

namespace km {

// How discs meet. Specified: at every tick each pair whose centres lie within the proximity
// exchanges momentum, approaching or not (the default). Exact: discs move in straight lines and
// every contact is handled at the moment it happens, in time order.
enum class CollisionRule { Specified, Exact };

// One disc of a gas on plain doubles.
struct Disc {
  double x = 0, y = 0;    // centre, user units
  double vx = 0, vy = 0;  // units per tick
  double mass = 1;
  double radius = 0;  // wall contact distance
};

// A gas on plain doubles for the exact rule. Discs are numbered 1..count() as in the state;
// element 0 is unused.
struct DiscGas {
  std::vector<Disc> discs = std::vector<Disc>(1);
  double sigma = 0;  // pair contact distance; 0 or less: discs never meet one another

  int count() const { return static_cast<int>(discs.size()) - 1; }
  // Keeps the storage, so a gas of the same size or smaller allocates nothing.
  void resize(int n) { discs.resize(static_cast<std::size_t>(n) + 1); }
};

// Particles binned by position on a uniform grid over the box; centres outside the box fall into
// the edge cells. Rebuilt without allocating once it has seen the largest gas.
class DiscGrid {
 public:
  // Bins discs 1..count() of `gas` at their current centres, in cells at least `cell` wide
  // (at most 64 per side).
  void build(const DiscGas& gas, double cell);

  // Calls visit(j) for every disc j binned in a cell that the square of half-width `reach`
  // around (x, y) touches: a superset of the discs whose binned centre lies within reach.
  template <class Visit>
  void visitNear(double x, double y, double reach, Visit visit) const {
    const int x0 = cellOf(x - reach), x1 = cellOf(x + reach);
    const int y0 = cellOf(y - reach), y1 = cellOf(y + reach);
    for (int cy = y0; cy <= y1; ++cy) {
      const int row = cy * side_;
      for (int k = start_[static_cast<std::size_t>(row + x0)],
               end = start_[static_cast<std::size_t>(row + x1 + 1)];
           k < end; ++k)
        visit(items_[static_cast<std::size_t>(k)]);
    }
  }

 private:
  int cellOf(double v) const {
    const double q = v * inverse_;
    if (!(q > 0)) return 0;  // also NaN
    if (q >= side_) return side_ - 1;
    return static_cast<int>(q);
  }

  int side_ = 1;
  double inverse_ = 1.0 / 1000;
  std::vector<int> start_;  // first item of each cell, row by row, and one past the last
  std::vector<int> items_;  // disc numbers ordered by cell
  std::vector<int> cellOfDisc_;
};

// Exact hard-disc motion on a DiscGas: one tick at a time, and the separation of overlapping
// discs before a run. Keeps its working storage between calls.
class HardDiscs {
 public:
  // Contacts handled in one tick before the rest of the tick goes ballistic.
  static long contactCap(int n) { return 200L * n + 10000; }
  // Partner candidates examined in one tick before the same happens: what bounds the work of a
  // tick (to some tens of ms at 500 discs) when discs overlap many others, as after a proximity
  // typed far above the gaps. A gas that fits uses at most about a tenth of it at ordinary
  // speeds.
  static long candidateCap(int n) { return 1000L * n + 200000; }

  // The walls the gas meets and the numbers thermal walls draw; nullptr (the default) or
  // inactive boundaries: four fixed reflecting walls at 0 and 1000.
  void setBoundaries(Boundaries* walls, RandomSource* rnd) {
    bounds_ = walls;
    rnd_ = rnd;
  }

  // Advances the gas from time 0 to 1 (one tick). Reports every wall contact and pair exchange
  // to `observer` when there is one.
  void step(DiscGas& gas, GasObserver* observer) {
    step(gas, observer, contactCap(gas.count()), candidateCap(gas.count()));
  }
  void step(DiscGas& gas, GasObserver* observer, long maxContacts, long maxCandidates);

  // Contacts handled and partner candidates examined in the last tick, and whether it reached
  // a cap.
  long contacts() const { return contacts_; }
  long candidates() const { return candidates_; }
  bool capped() const { return capped_; }

  // Pushes discs that overlap one another (centres closer than sigma) or a wall (centre closer
  // than its radius) apart and into the box, positions only. Returns "" when no overlap is left,
  // else a sentence for the user saying why the gas does not fit.
  std::string separate(DiscGas& gas);

  // Largest share of the square that the discs (diameter sigma) can cover, side L + sigma for
  // centres within a square of side L, that separate tries to reach: 500 discs reach a packing
  // fraction of 0.76 over L².
  static constexpr double fillLimit = 0.7;
  // Sweeps over all pairs that separate makes before it gives up.
  static constexpr int sweepLimit = 2000;

 private:
  struct Event {
    double t;
    int i;
    int j;  // partner disc, or a wall (negative)
    std::uint32_t ci, cj;
  };
  struct Motion {
    double t = 0;             // time of the disc's stored position
    double x0 = 0, y0 = 0;    // position at the start of the stretch, as binned
    std::uint32_t count = 0;  // contacts so far; an event made before a change is stale
    bool pinned = false;      // too wide for the box: held on the centre lines
  };

  void moveTo(Disc& d, Motion& m, double t) const;
  void predict(int i, double t0);
  double pairTime(int i, int j, double t0) const;
  void wallEvent(int i, double t0, Event& best) const;
  void boundedWallEvent(int i, double t0, Event& best) const;
  // The divider's faces and the ends of its opening, for disc i at its position for t0: the
  // earliest contact before `t`, which it lowers.
  void dividerEvent(int i, double t0, double& t, int& wall) const;
  // Time from now until disc d meets the end of the opening at y = endY, or never.
  double endTime(const Disc& d, double endY, double t0) const;
  // Whether a centre at y faces the divider's wall rather than its opening.
  bool againstDivider(double y) const { return y <= top_ || y >= bottom_; }
  // Keeps a disc off the divider, for separation: out of its faces to its own side, and at its
  // radius from the opening's ends. Whether it moved.
  bool offDivider(Disc& d) const;
  double speedBound(const Disc& d) const;
  // The box's walls, then the divider: whether the disc moved.
  bool intoRoom(Disc& d, double right) const;
  // When disc i, at its position for t0, meets the right wall of walls_, or never.
  double rightWallTime(int i, double t0) const;
  void push(const Event& e);
  void meetPair(int i, int j, double t);
  void meetWall(int i, int wall, double t);
  void meetBoundary(int i, int wall, double t);
  void meetDivider(int i, int wall, double t);
  // The right edge of the box the centres of discs keep within, before their radius.
  double rightEdge() const;
  void turn(int i, Axis axis, double& velocity, double at);
  void holdPinned(int i);
  void stretch(long maxContacts, long maxCandidates);
  void finish();

  Boundaries* bounds_ = nullptr;
  RandomSource* rnd_ = nullptr;
  Boundaries* walls_ = nullptr;  // bounds_ while it is active in this tick, else nullptr
  DiscGas* gas_ = nullptr;
  GasObserver* observer_ = nullptr;
  std::vector<Motion> motion_;
  std::vector<Event> events_;  // binary heap, earliest first
  std::vector<Event> best_;
  DiscGrid grid_;
  double sigma_ = 0, sigma2_ = 0;
  double g_ = 0;                     // the field this tick, units per tick², toward +y
  bool divider_ = false;             // a divider at x = 500 this tick
  double top_ = 500, bottom_ = 500;  // its opening's ends
  bool ends_ = false;                // whether the opening is open at all
  bool pairs_ = false;               // whether discs can meet one another at all
  double vmax_ = 0;                  // no disc has been faster in this tick
  double begin_ = 0, end_ = 1;       // the stretch of the tick being run
  long contacts_ = 0;
  long candidates_ = 0;
  bool capped_ = false;
};

}  // namespace km
