// SPDX-License-Identifier: GPL-3.0-or-later
#include "pacer.h"

#include <algorithm>
#include <cmath>

namespace km {

void Pacer::setInterval(int ms) {
  const double wanted = 1.0 / std::max(1, ms);
  if (wanted == ticksPerMs_) return;
  ticksPerMs_ = wanted;
  // The pace so far was another's.
  stop();
}

int Pacer::beginFrame(double nowMs) {
  if (!started_ || !(nowMs >= last_)) {
    started_ = true;
    last_ = nowMs;
    deadline_ = nowMs;
    carry_ = 0;
    recent_.clear();
    recent_.push_back({nowMs, 0});
    return 0;
  }
  const double elapsed = nowMs - last_;
  last_ = nowMs;
  deadline_ = nowMs + std::clamp(budgetShare * elapsed, minBudgetMs, maxBudgetMs);
  const double owed = std::min(elapsed, maxOwedMs) * ticksPerMs_ + carry_;
  const int whole = static_cast<int>(std::floor(owed));
  carry_ = owed - whole;
  // A frame more than a second after the last (a hidden page) starts the pace afresh.
  if (elapsed > 1000) recent_.clear();
  recent_.push_back({nowMs, 0});
  while (recent_.size() > 1 && nowMs - recent_.front().at > 1000)
    recent_.pop_front();
  return whole;
}

void Pacer::ran(int ticks) {
  if (!recent_.empty()) recent_.back().ticks += ticks;
}

void Pacer::stop() {
  started_ = false;
  recent_.clear();
}

double Pacer::pace() const {
  if (recent_.size() < 2) return 0;
  const double span = recent_.back().at - recent_.front().at;
  if (!(span > 0)) return 0;
  // The first frame's ticks belong to the time before it.
  int ticks = 0;
  for (std::size_t k = 1; k < recent_.size(); ++k)
    ticks += recent_[k].ticks;
  return ticks * 1000.0 / span;
}

std::string Pacer::paceText() const {
  if (!started_) return {};
  const double p = pace();
  if (recent_.size() < 2) return {};
  const long shown = std::lround(p);
  const long full = std::lround(ticksPerMs_ * 1000);
  std::string text = std::to_string(shown) + " ticks a second";
  // Short by more than rounding and the odd dropped frame: say so.
  if (p < 0.95 * ticksPerMs_ * 1000) text += ", of " + std::to_string(full);
  return text;
}

}  // namespace km
