// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <string>

namespace km {

// How many ticks each display frame runs: as many as the desktop's 1 ms clock would have
// fired since the last frame, within a share of the frame's time; what a frame cannot afford
// is dropped, as a timer drops the timeouts it misses. Times are in milliseconds from any
// fixed start (the page's clock).
class Pacer {
 public:
  static constexpr double maxOwedMs = 50;      // a late frame catches up at most this much
  static constexpr double budgetShare = 0.75;  // of the time since the last frame
  static constexpr double minBudgetMs = 2, maxBudgetMs = 12;

  // The clock's interval in ms (1, the desktop's, unless a slower pace is chosen).
  void setInterval(int ms);
  double ticksPerMs() const { return ticksPerMs_; }
  // A frame begins: the ticks owed since the last one (0 for the first frame after a stop).
  int beginFrame(double nowMs);
  // Whether the frame that began may run more ticks at `nowMs`.
  bool mayGoOn(double nowMs) const { return nowMs < deadline_; }
  // The frame ran `ticks` of what it owed.
  void ran(int ticks);
  // The clock stopped: the next frame starts afresh and the pace is forgotten.
  void stop();

  // Ticks per second over the last second of frames, 0 before there is any.
  double pace() const;
  // The pace as shown under the readouts: "" while stopped, "1000 ticks a second", or with
  // the full pace beside it when short of it.
  std::string paceText() const;

 private:
  struct Frame {
    double at;
    int ticks;
  };
  double ticksPerMs_ = 1;
  bool started_ = false;
  double last_ = 0, deadline_ = 0, carry_ = 0;
  std::deque<Frame> recent_;
};

}  // namespace km

namespace km {

// One display frame's ticks: what `pacer` says the frame owes, run `chunk` at a time by
// `tick(n)` (which returns how many ran, fewer when the clock stopped) while `now()` is
// within the frame's budget. Returns the ticks run.
template <class Tick, class Now>
int runFrame(Pacer& pacer, double nowMs, Tick&& tick, Now&& now, int chunk = 8) {
  const int owed = pacer.beginFrame(nowMs);
  int done = 0;
  while (done < owed && pacer.mayGoOn(now())) {
    const int want = owed - done < chunk ? owed - done : chunk;
    const int ran = tick(want);
    done += ran;
    if (ran < want) break;
  }
  pacer.ran(done);
  return done;
}

}  // namespace km
