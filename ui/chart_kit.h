// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChart>
#include <QColor>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>
#include <vector>

#include "laboratory.h"

namespace km {

// A chart's legend as a label beneath it: each visible, named series not kept out of it, as a
// stroke in its colour (dashed for a theory line) and its name, wrapped to the width, so that
// no name is ever cut short however narrow the chart.
class ChartLegend : public QLabel {
 public:
  explicit ChartLegend(QChart* chart);
  // Reads the names and colours again; the text changes only when they did.
  void sync();
  void setChart(QChart* chart) { chart_ = chart; }

 private:
  QChart* chart_;
};

// A chart as the laboratory shows them: dark, large type for a projector, no animation.
QChart* labChart(const QString& title);
QValueAxis* valueAxis(const QString& title);
// The chart's background, also that of the box beneath it.
inline const QColor chartBackground(32, 34, 40);
// Keeps a series out of its chart's legend.
void hideFromLegend(QAbstractSeries* series);
// Whether the legend shows the series: visible, named, and not kept out of it.
bool inLegend(const QAbstractSeries* series);

// A name change relayouts a chart's legend: made only when the name changed.
void rename(QAbstractSeries* series, const QString& name);
// Sets an axis to span the values with a margin; a flat or empty span gets a unit around it.
// Its labels get as many decimals as its ticks need to read apart.
void fitAxis(QValueAxis* axis, double low, double high);
// The same for a range already fitted (from..to): it stays while it holds the range and the
// range fills at least half of it, else it is widened to round ticks.
void roundAxis(QValueAxis* axis, double from, double to);
// The printf form of an axis's labels from min to max in `ticks` ticks: "%.2f" for steps of
// 0.05, "%.0f" for steps of 50.
QString labelFormat(double min, double max, int ticks);

// The shown range of a linear or logarithmic value axis.
double axisMin(const QAbstractAxis* axis);
double axisMax(const QAbstractAxis* axis);

// Text centred on a chart's plot area, saying why the chart shows nothing: broken into lines,
// and in a smaller type where need be, so that it stays within the plot area.
class ChartNotice {
 public:
  explicit ChartNotice(QChart* chart);
  ~ChartNotice();
  ChartNotice(const ChartNotice&) = delete;
  ChartNotice& operator=(const ChartNotice&) = delete;
  // Shows the text; "" hides the notice.
  void show(const QString& text);
  // The text shown, without the breaks made to fit it.
  QString text() const;
  // Where it is drawn, in the chart's coordinates.
  QRectF shownRect() const;

 private:
  void place();
  QChart* chart_;
  QGraphicsSimpleTextItem* item_;
  QString text_;
  QMetaObject::Connection moved_;
};

// Vertical marks on a time chart for the events of the history that fall in its x range, each
// a dashed grey line series named "event: …" with its words written beside it.
class EventMarks {
 public:
  EventMarks(QChart* chart, QAbstractAxis* x, QAbstractAxis* y);
  void show(const std::vector<lab::Event>& events);
  int count() const { return shown_; }

 private:
  QChart* chart_;
  QAbstractAxis *x_, *y_;
  std::vector<QLineSeries*> lines_;
  std::vector<QGraphicsSimpleTextItem*> labels_;
  int shown_ = 0;
};

}  // namespace km
