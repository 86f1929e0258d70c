// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChart>
#include <QChartView>
#include <QColor>
#include <QLabel>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QValueAxis>
#include <array>
#include <memory>
#include <vector>

#include "laboratory.h"

namespace km {

// The colour of each species as picked in the main window; element 0 for the gas as a whole
// and particle 1.
using SpeciesColors = std::array<QColor, 5>;

// A chart's legend as a label beneath it: each visible, named series not kept out of it, as a
// stroke in its colour (dashed for a theory line) and its name, wrapped to the width, so that
// no name is ever cut short however narrow the chart.
class ChartLegend : public QLabel {
 public:
  explicit ChartLegend(QChart* chart);
  // Reads the names and colours again; the text changes only when they did.
  void sync();

 private:
  QChart* chart_;
};

// A chart view that keeps count of the time it spends painting. It sits in a box with its
// legend beneath it: the box is what a layout holds and what a saved picture shows.
class LabChartView : public QChartView {
 public:
  using QChartView::QChartView;
  // Nanoseconds spent painting since the last call.
  qint64 takePaintTime();
  QWidget* box = nullptr;
  ChartLegend* legend = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  qint64 paint_ = 0;
};

// A chart as the laboratory shows them: dark, large type for a projector, no animation.
QChart* labChart(const QString& title);
LabChartView* chartView(QChart* chart, const QString& name);
QValueAxis* valueAxis(const QString& title);
// A line series in the given colour; dashed for a theory line.
QLineSeries* lineSeries(const QString& name, const QColor& color, bool dashed = false,
                        qreal width = 2);
// Adds a series to a chart on the given axes.
void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y);
// Keeps a series out of its chart's legend.
void hideFromLegend(QAbstractSeries* series);
// Whether the legend shows the series: visible, named, and not kept out of it.
bool inLegend(const QAbstractSeries* series);

// The points of a time series, at most `most` of them: neighbours are averaged in equal groups.
QList<QPointF> toPoints(const std::vector<lab::Point>& points, int most = 200);
// The same, broken where a group holds no value (a species that did not move): one list of
// points for each stretch between blanks.
QList<QList<QPointF>> toSegments(const std::vector<lab::Point>& points, int most = 200);
// Name and colour changes relayout a chart's legend: made only when something changed.
void rename(QAbstractSeries* series, const QString& name);
void recolor(QLineSeries* series, const QColor& color);
// Sets an axis to span the values with a margin; a flat or empty span gets a unit around it.
// Its labels get as many decimals as its ticks need to read apart.
void fitAxis(QValueAxis* axis, double low, double high);
// The printf form of an axis's labels from min to max in `ticks` ticks: "%.2f" for steps of
// 0.05, "%.0f" for steps of 50.
QString labelFormat(double min, double max, int ticks);

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
  EventMarks(QChart* chart, QValueAxis* x, QValueAxis* y);
  void show(const std::vector<lab::Event>& events);
  int count() const { return shown_; }

 private:
  QChart* chart_;
  QValueAxis *x_, *y_;
  std::vector<QLineSeries*> lines_;
  std::vector<QGraphicsSimpleTextItem*> labels_;
  int shown_ = 0;
};

}  // namespace km

namespace km {

// A chart of quantities over the run's ticks, with the history's events marked on it.
struct TimeChart {
  TimeChart(const QString& title, const QString& valueTitle, const QString& name);
  // Adds a series on the value axis.
  QLineSeries* add(QLineSeries* series);
  // The tick axis over the run so far, the value axis over [low, high], and the marks.
  void fit(long ticks, double low, double high, const std::vector<lab::Event>& events);

  QChart* chart;
  QValueAxis *x, *y;
  LabChartView* view;
  std::unique_ptr<EventMarks> marks;
  std::unique_ptr<ChartNotice> notice;
};

// The x axis of a time chart: 0 to just past `ticks` in four to eight round steps.
void fitTicks(QValueAxis* axis, long ticks);

}  // namespace km
