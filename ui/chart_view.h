// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "chart_kit.h"
#include "lab_tabs.h"

namespace km {

// One chart of the laboratory drawn from its description: its title, axes (linear or
// logarithmic, a right one where a series needs it), series in every style, error bars, event
// marks, the notice of an empty chart and the legend beneath. Drawn again from a new
// description of the same chart it keeps its QChart, axes and series and only sets what
// changed, so that a refresh several times a second stays cheap. It sits in a box with its
// legend beneath it: the box is what a layout holds and what a saved picture shows.
class ChartView : public QChartView {
 public:
  // Named `id` (the chart's, and its picture's file name); its box owns it.
  explicit ChartView(const std::string& id);
  void draw(const Chart& c);

  // The series drawing description series k: a line's first stretch (blanks in the points
  // break a line into stretches, the later ones kept out of the legend) or the markers;
  // nullptr past the series described.
  QAbstractSeries* drawn(std::size_t k) const;
  QLineSeries* line(std::size_t k) const;
  QScatterSeries* markers(std::size_t k) const;
  // Every line drawing description series k, one a stretch.
  std::vector<QLineSeries*> stretches(std::size_t k) const;
  // The axes, made with the first description (nullptr before it).
  QAbstractAxis* axisX() const { return x_; }
  QAbstractAxis* axisY() const { return y_; }
  QValueAxis* axisY2() const { return y2_; }
  const ChartNotice& notice() const { return *notice_; }
  int marks() const { return marks_ ? marks_->count() : 0; }  // the events marked
  // The error bars drawn, one line each.
  std::vector<QLineSeries*> bars() const;
  // Nanoseconds spent painting since the last call.
  qint64 takePaintTime();

  QWidget* box;
  ChartLegend* legend;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Drawn {
    std::vector<QLineSeries*> lines;  // one a stretch; empty for markers
    QScatterSeries* markers = nullptr;
    int axis = 0;
    std::size_t used = 0;  // the stretches in use
  };
  void makeAxes(const Chart& c);
  void showAxes(const Chart& c);
  // Makes the series drawing description series k, of its kind and on its axis.
  void prepare(std::size_t k, const ChartSeries& s);
  void showSeries(std::size_t k, const ChartSeries& s);
  static void styleMarkers(QScatterSeries* m, const ChartSeries& s);
  void showBars(const std::vector<ErrorBar>& bars);
  QAbstractAxis* valueAxisOf(int axis) const { return axis == 1 && y2_ ? y2_ : y_; }
  QLineSeries* addLine(const ChartSeries& s, int axis);
  void attachTo(QAbstractSeries* series, int axis);

  std::string shape_;  // the axes' kinds and sides, which only a new chart changes
  QAbstractAxis *x_ = nullptr, *y_ = nullptr;
  QValueAxis* y2_ = nullptr;
  std::vector<Drawn> series_;
  std::vector<QLineSeries*> bars_;
  std::size_t barsUsed_ = 0;
  std::size_t shown_ = 0;  // the series the last description held
  std::unique_ptr<ChartNotice> notice_;
  std::unique_ptr<EventMarks> marks_;
  qint64 paint_ = 0;
};

}  // namespace km
