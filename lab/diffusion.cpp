// SPDX-License-Identifier: GPL-3.0-or-later
#include "diffusion.h"

#include <algorithm>
#include <cmath>

namespace km::lab {

void Unfolder::reset(int particles) {
  x_.assign(static_cast<std::size_t>(particles) + 1, Mirror{});
  y_.assign(static_cast<std::size_t>(particles) + 1, Mirror{});
}

void Unfolder::turn(int i, Axis axis, double at, double before, double after) {
  if (i < 1 || static_cast<std::size_t>(i) >= x_.size()) return;
  // Only a reversal mirrors; a component merely set inward again does not.
  if (!((before < 0 && after > 0) || (before > 0 && after < 0))) return;
  Mirror& m = axis == Axis::X ? x_[static_cast<std::size_t>(i)] : y_[static_cast<std::size_t>(i)];
  m.offset += 2 * m.sign * at;
  m.sign = -m.sign;
}

MeanSquaredDisplacement::MeanSquaredDisplacement() {
  // round(2^(k/2)), each power worked out afresh: a running product of sqrt(2) drifts above
  // 2^13 by the last step and would lose maxLag.
  for (int k = 0;; ++k) {
    const int lag = static_cast<int>(std::lround(std::ldexp(k % 2 ? std::sqrt(2.0) : 1.0, k / 2)));
    if (lag > maxLag) break;
    if (lags_.empty() || lags_.back() != lag) lags_.push_back(lag);
  }
  ring_.resize(maxLag / originSpacing + 1);
}

void MeanSquaredDisplacement::reset(const std::vector<int>& groupOf) {
  groupOf_ = groupOf;
  members_.fill(0);
  for (std::size_t i = 1; i < groupOf_.size(); ++i)
    ++members_[static_cast<std::size_t>(groupOf_[i])];
  if (groupOf_.size() > 1) members_[0] = 1;
  for (Origin& o : ring_)
    o.tick = -1;
  tick_ = 0;
  blockTicks_ = 256;
  sq_.clear();
  n_.clear();
}

std::size_t MeanSquaredDisplacement::slot(std::size_t block, std::size_t lag, int group) const {
  return (block * lags_.size() + lag) * groups + static_cast<std::size_t>(group);
}

void MeanSquaredDisplacement::mergeBlocks() {
  const std::size_t per = lags_.size() * groups;
  const std::size_t blocks = sq_.size() / per;
  for (std::size_t b = 0; b < blocks; ++b)
    for (std::size_t k = 0; k < per; ++k) {
      const std::size_t to = (b / 2) * per + k;
      const double sq = sq_[b * per + k], n = n_[b * per + k];
      if (b % 2 == 0) {
        sq_[to] = sq;
        n_[to] = n;
      } else {
        sq_[to] += sq;
        n_[to] += n;
      }
    }
  sq_.resize((blocks + 1) / 2 * per);
  n_.resize((blocks + 1) / 2 * per);
  blockTicks_ *= 2;
}

void MeanSquaredDisplacement::add(const std::vector<double>& x, const std::vector<double>& y) {
  const std::size_t particles = std::min({x.size(), y.size(), groupOf_.size()});
  if (tick_ % originSpacing == 0) {
    Origin& o = ring_[static_cast<std::size_t>(tick_ / originSpacing) % ring_.size()];
    o.tick = tick_;
    o.x.assign(x.begin(), x.begin() + static_cast<long>(particles));
    o.y.assign(y.begin(), y.begin() + static_cast<long>(particles));
  }
  for (std::size_t l = 0; l < lags_.size(); ++l) {
    const long origin = tick_ - lags_[l];
    if (origin < 0) break;
    if (origin % originSpacing != 0) continue;
    const Origin& o = ring_[static_cast<std::size_t>(origin / originSpacing) % ring_.size()];
    if (o.tick != origin) continue;
    const auto block = static_cast<std::size_t>(origin / blockTicks_);
    if (slot(block, lags_.size() - 1, groups - 1) >= sq_.size()) {
      sq_.resize(slot(block + 1, 0, 0), 0.0);
      n_.resize(slot(block + 1, 0, 0), 0.0);
    }
    const std::size_t n = std::min(particles, o.x.size());
    double* sq = &sq_[slot(block, l, 0)];
    double* count = &n_[slot(block, l, 0)];
    for (std::size_t i = 1; i < n; ++i) {
      const double dx = x[i] - o.x[i], dy = y[i] - o.y[i];
      sq[groupOf_[i]] += dx * dx + dy * dy;
    }
    if (n > 1) {
      const double dx = x[1] - o.x[1], dy = y[1] - o.y[1];
      sq[0] += dx * dx + dy * dy;
    }
    for (int g = 0; g < groups; ++g)
      count[g] += members_[static_cast<std::size_t>(g)];
  }
  ++tick_;
  // A few hundred origin blocks are plenty for the errors; beyond that they merge.
  if (sq_.size() > slot(512, 0, 0)) mergeBlocks();
}

std::vector<double> MeanSquaredDisplacement::curve(int group) const {
  std::vector<double> out(lags_.size(), notKnown);
  const std::size_t blocks = sq_.size() / (lags_.size() * groups);
  for (std::size_t l = 0; l < lags_.size(); ++l) {
    double sq = 0, n = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
      sq += sq_[slot(b, l, group)];
      n += n_[slot(b, l, group)];
    }
    if (n > 0) out[l] = sq / n;
  }
  return out;
}

namespace {

// Least-squares slope of y on x, and the intercept that goes with it.
double slope(const std::vector<double>& x, const std::vector<double>& y,
             double* intercept = nullptr) {
  double mx = 0, my = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    mx += x[k];
    my += y[k];
  }
  mx /= static_cast<double>(x.size());
  my /= static_cast<double>(y.size());
  double sxy = 0, sxx = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    sxy += (x[k] - mx) * (y[k] - my);
    sxx += (x[k] - mx) * (x[k] - mx);
  }
  if (intercept) *intercept = my - sxy / sxx * mx;
  return sxy / sxx;
}

}  // namespace

MeanSquaredDisplacement::Fit MeanSquaredDisplacement::fit(int group, int fromLag) const {
  Fit f;
  if (members_[static_cast<std::size_t>(group)] == 0) return f;
  const long toLag = std::min<long>(maxLag, tick_ / 10);
  const std::vector<double> msd = curve(group);
  std::vector<std::size_t> use;
  for (std::size_t l = 0; l < lags_.size(); ++l)
    if (lags_[l] >= fromLag && lags_[l] <= toLag && msd[l] > 0) use.push_back(l);
  // Heavy discs keep their velocity for many collisions: the fit starts only where the curve
  // has turned straight, every step from there on rising less steeply than lag^1.2.
  std::size_t start = use.size();
  while (start > 0) {
    const std::size_t a = use[start - 1];
    if (start < use.size()) {
      const std::size_t b = use[start];
      if (std::log(msd[b] / msd[a]) / std::log(double(lags_[b]) / lags_[a]) >= 1.2) break;
    }
    --start;
  }
  if (use.size() - start < 3) return f;
  return fitCurve(group, msd, lags_[use[start]], lags_[use.back()]);
}

MeanSquaredDisplacement::Fit MeanSquaredDisplacement::fitOver(int group, int fromLag,
                                                              int toLag) const {
  return fitCurve(group, curve(group), fromLag, toLag);
}

MeanSquaredDisplacement::Fit MeanSquaredDisplacement::fitCurve(int group,
                                                               const std::vector<double>& msd,
                                                               int fromLag, int toLag) const {
  Fit f;
  if (members_[static_cast<std::size_t>(group)] == 0) return f;
  std::vector<std::size_t> use;
  for (std::size_t l = 0; l < lags_.size(); ++l)
    if (lags_[l] >= fromLag && lags_[l] <= toLag && msd[l] > 0) use.push_back(l);
  if (use.size() < 3) return f;
  f.fromLag = lags_[use.front()];
  f.toLag = lags_[use.back()];
  std::vector<double> x, y;
  for (std::size_t l : use) {
    x.push_back(lags_[l]);
    y.push_back(msd[l]);
  }
  f.D = slope(x, y, &f.a) / 4;
  f.logSlope = std::log(y.back() / y.front()) / std::log(x.back() / x.front());

  // Blocks of origins at least as long as the longest lag fitted, so that their displacement
  // windows barely overlap: their slopes scatter as independent estimates would.
  const std::size_t blocks = sq_.size() / (lags_.size() * groups);
  std::size_t per = 1;
  while (static_cast<long>(per) * blockTicks_ < f.toLag)
    per *= 2;
  std::vector<double> slopes;
  for (std::size_t b0 = 0; b0 + per <= blocks; b0 += per) {
    std::vector<double> yb;
    for (std::size_t l : use) {
      double sq = 0, n = 0;
      for (std::size_t b = b0; b < b0 + per; ++b) {
        sq += sq_[slot(b, l, group)];
        n += n_[slot(b, l, group)];
      }
      if (n == 0) break;
      yb.push_back(sq / n);
    }
    if (yb.size() == use.size()) slopes.push_back(slope(x, yb) / 4);
  }
  if (slopes.size() >= 10) f.error = standardError(slopes);
  return f;
}

}  // namespace km::lab
