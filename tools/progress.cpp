// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace km::measure {
namespace {

// 1234567 → "1,234,567".
std::string grouped(long long n) {
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) out += ',';
    out += digits[k];
  }
  return (n < 0 ? "-" : "") + out;
}

std::string duration(double seconds) {
  const long long s = std::llround(seconds);
  if (s < 60) return std::to_string(s) + " s";
  if (s < 3600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
  return grouped(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
}

}  // namespace

ProgressPacer::ProgressPacer(std::function<double()> seconds, double interval)
    : seconds_(std::move(seconds)), interval_(interval) {
  start_ = last_ = seconds_();
}

std::string ProgressPacer::update(long done, long total) {
  const double now = seconds_();
  if (now - last_ < interval_) return {};
  last_ = now;
  return progressText(done, total, now - start_);
}

std::string progressText(long done, long total, double elapsed) {
  std::string text = grouped(done) + " ticks";
  if (total > 0) {
    // Rounded down, so that 100.0 % waits for the last tick.
    const double percent = std::floor(1000.0 * static_cast<double>(done) / total) / 10;
    char share[16];
    std::snprintf(share, sizeof share, "%.1f", percent);
    text = grouped(done) + " of " + grouped(total) + " ticks (" + share + " %)";
  }
  if (done <= 0 || !(elapsed > 0)) return text;
  const double rate = static_cast<double>(done) / elapsed;
  if (rate >= 10) {
    text += ", " + grouped(std::llround(rate)) + " ticks/s";
  } else {
    char slow[16];
    std::snprintf(slow, sizeof slow, "%.2g", rate);
    text += std::string(", ") + slow + " ticks/s";
  }
  if (total <= 0) return text;
  return text + ", " + duration(static_cast<double>(total - done) / rate) + " left";
}

}  // namespace km::measure
