// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart_parts.h"

#include <cmath>
#include <cstdio>

#include "summary.h"

namespace km::tabs {

std::string measured(const lab::Estimate& e) {
  return lab::measuredText(e.value, e.error);
}

// Three significant digits, for figures in titles and legends that would otherwise change at
// every refresh.
std::string brief(double v) {
  if (!std::isfinite(v)) return "—";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3g", v);
  return buf;
}

std::string plural(int n) {
  return n == 1 ? "" : "s";
}

std::string waiting(const lab::Results& r) {
  return lab::waitingText(r);
}

std::string noHistory(const lab::Results& r) {
  return r.running && r.particles > 0 ? std::string() : waiting(r);
}

ChartSeries kTBins(Chart& chart, const std::vector<double>& x, const std::vector<lab::Estimate>& kT,
                   Span& span) {
  const std::string color = "#ffc83c";
  ChartSeries bins = series("kT measured", color, ChartSeries::Style::Dots, 9);
  for (std::size_t b = 0; b < kT.size() && b < x.size(); ++b) {
    const lab::Estimate& e = kT[b];
    if (!std::isfinite(e.value)) continue;
    bins.x.push_back(x[b]);
    bins.y.push_back(e.value);
    span.add(e.value);
    if (std::isfinite(e.error)) {
      chart.bars.push_back({x[b], e.value - e.error, e.value + e.error, color});
      span.add(e.value + e.error);
      span.add(e.value - e.error);
    }
  }
  return bins;
}

ChartSeries series(std::string name, std::string color, ChartSeries::Style style, double width) {
  ChartSeries s;
  s.name = std::move(name);
  s.color = std::move(color);
  s.style = style;
  s.width = width;
  return s;
}

// A horizontal line from x0 to x1 at y, or none where y is not known.
void horizontal(ChartSeries& s, double x0, double x1, double y) {
  s.x.clear();
  s.y.clear();
  if (!std::isfinite(y) || !std::isfinite(x0) || !std::isfinite(x1)) return;
  s.x = {x0, x1};
  s.y = {y, y};
}

// At most `most` points of a time series: neighbours averaged in equal groups. A group with no
// value (a species that did not move) is a blank that breaks the line.
void timePoints(ChartSeries& s, const std::vector<lab::Point>& points, std::size_t most) {
  for (const lab::Point& p : lab::thinned(points, most)) {
    // One blank where a stretch ends is enough to break the line.
    if (!std::isfinite(p.value) && (s.y.empty() || !std::isfinite(s.y.back()))) continue;
    s.x.push_back(p.tick);
    s.y.push_back(p.value);
  }
}

// The value axis over [low, high] with a margin; a range from 0 keeps 0 as its floor.
void fitY(Chart& c, double low, double high) {
  const lab::AxisRange y = lab::valueAxisRange(low, high);
  c.yMin = y.min;
  c.yMax = y.max;
  c.yFitted = true;
}

// A chart of quantities over the run's ticks: from 0 to just past the run in round steps, with
// the last few events inside it marked.
Chart chartOf(std::string id, std::string title, std::string xTitle, std::string yTitle) {
  Chart c;
  c.id = std::move(id);
  c.title = std::move(title);
  c.xTitle = std::move(xTitle);
  c.yTitle = std::move(yTitle);
  return c;
}

Chart timeChart(std::string title, std::string valueTitle, std::string id) {
  return chartOf(std::move(id), std::move(title), "tick", std::move(valueTitle));
}

void fitTime(Chart& c, long ticks, double low, double high, const std::vector<lab::Event>& events) {
  const lab::TickAxis t = lab::tickAxis(ticks);
  c.xMin = 0;
  c.xMax = t.end;
  c.xStep = t.step;
  fitY(c, low, high);
  constexpr std::size_t most = 6;
  c.marks.clear();
  for (const lab::Event& e : events)
    if (e.tick > c.xMin && e.tick <= c.xMax) c.marks.push_back(e);
  if (c.marks.size() > most) c.marks.erase(c.marks.begin(), c.marks.end() - most);
}

}  // namespace km::tabs
