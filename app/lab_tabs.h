// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "laboratory.h"
#include "simulation.h"
#include "sweep.h"

namespace km {

// One series of a chart: its name in the legend ("" keeps it out), colour and points.
struct ChartSeries {
  enum class Style { Line, Dashed, Dotted, Steps, Dots, Squares, Stars };
  std::string name;
  std::string color;  // "#rrggbb"
  Style style = Style::Line;
  double width = 2;  // px of a line, or of a marker
  int axis = 0;      // 0 the left value axis, 1 the right
  // A vertical line at x[0] over the value axis's whole height, as the front end draws it.
  bool spanY = false;
  std::vector<double> x, y;
};

// A vertical error bar at x from low to high.
struct ErrorBar {
  double x, low, high;
  std::string color;
  double width = 3;  // px
};

// A chart as every front end draws it: every text, range and point from the laboratory, the
// front end only draws them. Ranges that are not known are left to the page to fit to the points.
struct Chart {
  std::string id;  // the picture's file name without ".png", as the desktop names it
  std::string title, xTitle, yTitle, y2Title;
  bool logX = false, logY = false;
  bool wholeX = false;  // the x axis counts (species): ticks at whole numbers only
  double xMin = lab::notKnown, xMax = lab::notKnown, yMin = lab::notKnown, yMax = lab::notKnown;
  double y2Min = lab::notKnown, y2Max = lab::notKnown;
  // The x ticks' spacing from xMin where it is kept (a time axis), else notKnown.
  double xStep = lab::notKnown;
  // Ranges fitted to the values rather than fixed: a front end may widen them to round ticks,
  // and keep them while they still hold the values.
  bool xFitted = false, yFitted = false;
  std::string notice;  // why the chart shows nothing, "" when it shows data
  std::vector<ChartSeries> series;
  std::vector<ErrorBar> bars;
  std::vector<lab::Event> marks;  // events on a time chart, within its ticks
};

// One tab of the laboratory: its charts and the words beneath them.
struct LabTab {
  std::vector<Chart> charts;
  std::string figures;
  std::vector<std::string> tableHead;
  std::vector<std::vector<std::string>> table;
};

// What every tab is drawn from: the results, the history, the colours (0: the gas and
// particle 1, 1..4 the species) and the rule's name.
struct TabSources {
  const lab::Results& results;
  const lab::History& history;
  const std::array<std::string, 5>& colors;
  std::string rule;  // "specified" or "exact hard discs"
};

// The tabs as the desktop laboratory shows them. Speeds: `quantity` 0 speed, 1 vx, 2 vy.
LabTab speedsTab(const TabSources& v, int quantity);
LabTab equipartitionTab(const TabSources& v);
LabTab pressureTab(const TabSources& v);
LabTab diffusionTab(const TabSources& v);
LabTab collisionsTab(const TabSources& v);
LabTab hTab(const TabSources& v);
LabTab integrityTab(const TabSources& v);
LabTab equationOfStateTab(const TabSources& v, const std::vector<lab::SweepRow>& rows);

// The words beneath the Diffusion chart.
extern const char* const diffusionCaveat;
// The words beneath the H chart.
extern const char* const hCaveat;

std::string toJson(const LabTab& tab);

// The laboratory's tabs by name, in the order both windows show them.
inline constexpr std::array<std::string_view, 13> labTabNames = {
    "Speeds",    "Equipartition", "Pressure",          "Diffusion", "Collisions",
    "H theorem", "Integrity",     "Equation of state", "P–V",       "Heat flow",
    "Gas laws",  "Atmosphere",    "Effusion"};

// Tab `index` (labTabNames) of a laboratory measuring `sim`, with the species' colours as
// they are drawn and its rule; `quantity` is the Speeds tab's 0 speed, 1 vx, 2 vy; `rows` the
// sweep the Equation of state tab shows.
LabTab labTab(int index, int quantity, const lab::Laboratory& lab, const Simulation& sim,
              const std::vector<lab::SweepRow>& rows);
// The same from the laboratory's results `r` already read.
LabTab labTab(int index, int quantity, const lab::Results& r, const lab::Laboratory& lab,
              const Simulation& sim, const std::vector<lab::SweepRow>& rows);

// A colour as "#rrggbb".
std::string hexColor(Color c);

}  // namespace km
