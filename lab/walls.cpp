// SPDX-License-Identifier: GPL-3.0-or-later
#include "walls.h"

#include <cmath>

namespace km::lab {
namespace {

constexpr WallSide sides[] = {WallSide::Left, WallSide::Right, WallSide::Bottom, WallSide::Top};

double totalHeat(const WallTally& t) {
  return t.heat[0] + t.heat[1] + t.heat[2] + t.heat[3];
}

}  // namespace

void WallMeter::markEnergy(const Boundaries& b, long tick) {
  marked_ = b.tally();
  // The next tick is read against the tally now, which a new run may have cleared.
  last_ = b.tally();
  restartPath(tick);
}

void WallMeter::restartPath(long tick) {
  for (BinnedSeries* s : {&areaPath_, &pressurePath_, &kTPath_})
    s->clear(tick);
  for (BinnedSeries& s : heatFlowPath_)
    s.clear(tick);
}

void WallMeter::clearAverages() {
  for (std::size_t w = 0; w < wallCount; ++w) {
    pressure_[w].clear();
    heatFlow_[w].clear();
  }
  pressureAll_.clear();
  pa_.clear();
  nkT_.clear();
}

void WallMeter::afterTick(const Boundaries& b, double radius, int n, double kT, bool averaging) {
  const WallTally& now = b.tally();
  if (!b.active()) {
    last_ = now;
    return;
  }
  double impulse = 0, length = 0;
  for (WallSide side : sides) {
    const auto w = static_cast<std::size_t>(side);
    const double dp = now.impulse[w] - last_.impulse[w];
    const double l = b.meetLength(side, radius);
    if (averaging) {
      pressure_[w].add(l > 0 ? dp / l : notKnown);
      heatFlow_[w].add(now.heat[w] - last_.heat[w]);
    }
    heatFlowPath_[w].add(now.heat[w] - last_.heat[w]);
    impulse += dp;
    length += l;
  }
  const double p = length > 0 ? impulse / length : notKnown;
  const double area = b.area(radius);
  zNow_ = n > 0 && kT > 0 && area > 0 ? p * area / (n * kT) : notKnown;
  areaPath_.add(area);
  if (std::isfinite(p))
    pressurePath_.add(p);
  else
    pressurePath_.addBlank();
  kTPath_.add(kT);
  if (averaging) {
    pressureAll_.add(p);
    pa_.add(p * area);
    nkT_.add(n * kT);
  }
  last_ = now;
}

WallResults WallMeter::results(const Boundaries& b, double radius, double energy,
                               double energyAtStart) const {
  WallResults r;
  r.active = b.active();
  if (!r.active) return r;
  r.area = b.area(radius);
  r.rightX = b.rightX();
  r.rightVelocity = b.rightVelocity();
  r.piston = b.piston();
  if (r.piston) r.outsidePressure = b.motion().pressure;
  for (std::size_t w = 0; w < wallCount; ++w) {
    r.pressure[w] = blockEstimate(pressure_[w]);
    r.heatFlow[w] = blockEstimate(heatFlow_[w]);
    r.heat[w] = b.tally().heat[w] - marked_.heat[w];
  }
  r.pressureAll = blockEstimate(pressureAll_);
  if (r.area > 0) r.z = ratioEstimate(pa_, nkT_);
  r.work = b.tally().work - marked_.work;
  r.externalWork = b.tally().externalWork - marked_.externalWork;
  const double given = r.work + totalHeat(b.tally()) - totalHeat(marked_);
  if (energyAtStart > 0) r.unaccounted = (energy - energyAtStart - given) / energyAtStart;
  r.areaPath = binMeans(areaPath_);
  r.pressurePath = binMeans(pressurePath_);
  r.kTPath = binMeans(kTPath_);
  for (std::size_t w = 0; w < wallCount; ++w)
    r.heatFlowPath[w] = binMeans(heatFlowPath_[w]);
  return r;
}

}  // namespace km::lab
