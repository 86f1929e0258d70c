// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QString>
#include <algorithm>
#include <cmath>

#include "axis_range.h"
#include "summary.h"

// Figures as the laboratory's panels write them, and the ranges their axes span.
namespace km::panel {

inline const QColor gasColor(235, 235, 235);

inline QString measured(const lab::Estimate& e) {
  return QString::fromStdString(lab::measuredText(e.value, e.error));
}
inline QString number(double v) {
  return QString::fromStdString(lab::numberText(v));
}
// Three significant digits, for figures in titles and legends that would otherwise change at
// every refresh.
inline QString brief(double v) {
  return std::isfinite(v) ? QString::number(v, 'g', 3) : QString("—");
}
// Why the averages hold nothing, or "".
inline QString waiting(const lab::Results& r) {
  return QString::fromStdString(lab::waitingText(r));
}
// Why a chart of the run's history shows nothing: before a run, or with no discs.
inline QString noHistory(const lab::Results& r) {
  return r.running && r.particles > 0 ? QString() : waiting(r);
}

// The low and high of the finite values added, also from a series.
struct Span : lab::ValueSpan {
  using ValueSpan::add;
  void add(const QList<QPointF>& points) {
    for (const QPointF& p : points)
      add(p.y());
  }
};

// A horizontal line from x0 to x1 at y, or none where y is not known.
inline QLineSeries* horizontal(QLineSeries* s, double x0, double x1, double y) {
  if (std::isfinite(y))
    s->replace(QList<QPointF>{{x0, y}, {x1, y}});
  else
    s->clear();
  return s;
}

}  // namespace km::panel
