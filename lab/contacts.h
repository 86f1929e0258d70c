// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace km::lab {

// The pair exchanges of each tick against those of the tick before: how many are new contacts,
// how many repeat a pair exchanged on the previous tick (a bound pair), and the longest run of
// consecutive ticks one pair stayed bound. Constant work per exchange: each particle keeps a
// few slots for the partners it met since the tick before, with the tick and the run so far.
class ContactTracker {
 public:
  static constexpr int maxParticle = 500;

  ContactTracker();
  void reset();
  // Records an exchange of particles i and j (1..maxParticle); true when it is a new contact.
  bool exchange(int i, int j);
  struct Tick {
    long exchanges = 0, newContacts = 0, repeats = 0;
  };
  // Closes the tick: its exchanges, new contacts and repeats.
  Tick endTick();
  long longestRun() const { return longest_; }
  // Forgets the longest run so far.
  void restartLongest() { longest_ = 0; }

 private:
  struct Slot {
    std::uint32_t partner = 0, lastTick = 0, run = 0;
  };
  // Partners of the lower-numbered particle. A disc touches at most six others at once, so
  // eight is plenty unless the proximity is typed far beyond the discs' size; then a pair
  // pushed out of the slots counts as new when it meets again.
  static constexpr int partnerSlots = 8;
  std::vector<Slot> slots_;
  std::uint32_t tick_ = 1;
  Tick now_;
  long longest_ = 0;
};

}  // namespace km::lab
