// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts.h"

#include <algorithm>
#include <utility>

namespace km::lab {
ContactTracker::ContactTracker() : slots_((maxParticle + 1) * partnerSlots) {}

void ContactTracker::reset() {
  std::fill(slots_.begin(), slots_.end(), Slot{});
  tick_ = 1;
  now_ = {};
  longest_ = 0;
}

bool ContactTracker::exchange(int i, int j) {
  if (i > j) std::swap(i, j);
  if (i < 1 || j > maxParticle || i == j) return false;
  Slot* first = &slots_[static_cast<std::size_t>(i) * partnerSlots];
  Slot* found = nullptr;
  Slot* oldest = first;
  for (Slot* s = first; s < first + partnerSlots; ++s) {
    if (s->partner == static_cast<std::uint32_t>(j)) found = s;
    if (s->lastTick < oldest->lastTick) oldest = s;
  }
  ++now_.exchanges;
  // A pair met twice in one tick is one contact; each of its exchanges counts.
  if (found && found->lastTick == tick_) {
    if (found->run > 1) ++now_.repeats;
    return false;
  }
  const bool bound = found && found->lastTick + 1 == tick_;
  // A slot not used since the tick before last is free; with none free the oldest goes.
  Slot& slot = found ? *found : *oldest;
  slot.partner = static_cast<std::uint32_t>(j);
  slot.run = bound ? slot.run + 1 : 1;
  slot.lastTick = tick_;
  longest_ = std::max<long>(longest_, slot.run);
  if (bound) {
    ++now_.repeats;
    return false;
  }
  ++now_.newContacts;
  return true;
}

ContactTracker::Tick ContactTracker::endTick() {
  const Tick t = now_;
  now_ = {};
  ++tick_;
  return t;
}

}  // namespace km::lab
