// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "axis_range.h"
#include "lab_tabs.h"
#include "laboratory.h"

// The pieces the tabs' chart descriptions are built from.
namespace km::tabs {

inline const std::string gasColor = "#ebebeb";
inline const std::string eventColor = "#bebebe";

// A measurement and its error as the laboratory writes them.
std::string measured(const lab::Estimate& e);
// Three significant digits, for figures in titles and legends that would otherwise change at
// every refresh.
std::string brief(double v);
std::string plural(int n);
// Why a chart waits (no gas, the warm-up), and the same for a time chart, which draws from the
// first tick.
std::string waiting(const lab::Results& r);
std::string noHistory(const lab::Results& r);

// The span of the values a chart shows.
struct Span : lab::ValueSpan {
  using ValueSpan::add;
  void add(const ChartSeries& s) {
    for (double v : s.y)
      add(v);
  }
};

ChartSeries series(std::string name, std::string color,
                   ChartSeries::Style style = ChartSeries::Style::Line, double width = 2);
// kT measured in bins: a dot at each bin's x where its value is known, with its error bar on
// `chart`, every end added to `span`.
ChartSeries kTBins(Chart& chart, const std::vector<double>& x, const std::vector<lab::Estimate>& kT,
                   Span& span);
// A horizontal line from x0 to x1 at y, or none where y is not known.
void horizontal(ChartSeries& s, double x0, double x1, double y);
// At most `most` points of a time series: neighbours averaged in equal groups. A group with no
// value (a species that did not move) is a blank that breaks the line.
void timePoints(ChartSeries& s, const std::vector<lab::Point>& points, std::size_t most = 200);
// The value axis over [low, high] with a margin; a range from 0 keeps 0 as its floor.
void fitY(Chart& c, double low, double high);
// A chart by its picture's name, title and axis titles.
Chart chartOf(std::string id, std::string title, std::string xTitle, std::string yTitle);
// A chart of quantities over the run's ticks: from 0 to just past the run in round steps, with
// the last few events inside it marked.
Chart timeChart(std::string title, std::string valueTitle, std::string id);
void fitTime(Chart& c, long ticks, double low, double high, const std::vector<lab::Event>& events);

}  // namespace km::tabs
