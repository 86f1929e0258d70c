// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart_view.h"

#include <QElapsedTimer>
#include <QLogValueAxis>
#include <QVBoxLayout>
#include <cmath>

#include "axis_range.h"

namespace km {
namespace {

using Style = ChartSeries::Style;

bool isMarker(Style s) {
  return s == Style::Dots || s == Style::Squares || s == Style::Stars;
}

QPen penOf(const ChartSeries& s) {
  QPen pen{QColor(QString::fromStdString(s.color))};
  pen.setWidthF(s.width);
  if (s.style == Style::Dashed) pen.setStyle(Qt::DashLine);
  if (s.style == Style::Dotted) pen.setStyle(Qt::DotLine);
  return pen;
}

QScatterSeries::MarkerShape shapeOf(Style s) {
  return s == Style::Squares ? QScatterSeries::MarkerShapeRectangle
         : s == Style::Stars ? QScatterSeries::MarkerShapeStar
                             : QScatterSeries::MarkerShapeCircle;
}

// Whether two lists hold exactly the same points (QPointF's own == is fuzzy, and would keep
// the old points of a quantity that changes in its last digits).
bool samePoints(const QList<QPointF>& a, const QList<QPointF>& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype k = 0; k < a.size(); ++k)
    if (a[k].x() != b[k].x() || a[k].y() != b[k].y()) return false;
  return true;
}

QLogValueAxis* logAxis(const QString& title, const char* format) {
  auto* axis = new QLogValueAxis;
  axis->setTitleText(title);
  axis->setBase(10);
  axis->setLabelFormat(format);
  return axis;
}

void retitle(QAbstractAxis* axis, const std::string& title) {
  const QString text = QString::fromStdString(title);
  if (axis->titleText() != text) axis->setTitleText(text);
}

void setRange(QValueAxis* axis, double from, double to) {
  if (axis->min() != from || axis->max() != to) axis->setRange(from, to);
}

// A logarithmic axis keeps its decades while they hold the values and the values reach at
// least a thousandth of its top; else it shows the range given.
void showLog(QLogValueAxis* axis, double from, double to, const lab::ValueSpan& values) {
  if (!(from > 0) || !(to > from)) {
    from = 1;
    to = 10;
  }
  const bool holds = values.low <= values.high && axis->min() <= from &&
                     axis->min() <= values.low && values.high <= axis->max() &&
                     values.high >= axis->max() / 1000;
  if (holds) return;
  if (axis->min() != from || axis->max() != to) axis->setRange(from, to);
}

// A linear axis over the range given: rounded outwards where it is fitted to the values,
// fitted to the values where it is not known, else exactly.
void showLinear(QValueAxis* axis, double from, double to, bool fitted,
                const lab::ValueSpan& values) {
  if (!std::isfinite(from) || !std::isfinite(to))
    fitAxis(axis, values.low, values.high);
  else if (fitted)
    roundAxis(axis, from, to);
  else
    setRange(axis, from, to);
}

}  // namespace

ChartView::ChartView(const std::string& id) : QChartView(labChart(QString())) {
  setObjectName(QString::fromStdString(id));
  setRenderHint(QPainter::Antialiasing, false);
  setMinimumSize(300, 220);
  box = new QWidget;
  box->setObjectName(objectName() + "-box");
  QPalette dark = box->palette();
  dark.setColor(QPalette::Window, chartBackground);
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  box->setPalette(dark);
  box->setAutoFillBackground(true);
  legend = new ChartLegend(chart());
  legend->setPalette(dark);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 6);
  layout->setSpacing(0);
  layout->addWidget(this, 1);
  layout->addWidget(legend);
  notice_ = std::make_unique<ChartNotice>(chart());
}

qint64 ChartView::takePaintTime() {
  const qint64 t = paint_;
  paint_ = 0;
  return t;
}

void ChartView::paintEvent(QPaintEvent* event) {
  QElapsedTimer clock;
  clock.start();
  QChartView::paintEvent(event);
  paint_ += clock.nsecsElapsed();
}

QAbstractSeries* ChartView::drawn(std::size_t k) const {
  if (k >= shown_) return nullptr;
  if (series_[k].markers) return series_[k].markers;
  return series_[k].lines.empty() ? nullptr : series_[k].lines.front();
}

QLineSeries* ChartView::line(std::size_t k) const {
  return qobject_cast<QLineSeries*>(drawn(k));
}

QScatterSeries* ChartView::markers(std::size_t k) const {
  return qobject_cast<QScatterSeries*>(drawn(k));
}

std::vector<QLineSeries*> ChartView::stretches(std::size_t k) const {
  if (k >= shown_) return {};
  const std::vector<QLineSeries*>& lines = series_[k].lines;
  return {lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(series_[k].used)};
}

std::vector<QLineSeries*> ChartView::bars() const {
  return {bars_.begin(), bars_.begin() + static_cast<std::ptrdiff_t>(barsUsed_)};
}

void ChartView::makeAxes(const Chart& c) {
  bool right = !c.y2Title.empty();
  for (const ChartSeries& s : c.series)
    right = right || s.axis == 1;
  const std::string shape = std::string(c.logX ? "log" : "lin") + (c.logY ? "log" : "lin") +
                            (right ? "right" : "") + (c.wholeX ? "whole" : "");
  if (shape == shape_) return;
  if (!shape_.empty()) {
    // Another kind of chart under the same name: drawn afresh on a new QChart.
    QChart* old = chart();
    marks_.reset();
    notice_.reset();
    series_.clear();
    bars_.clear();
    barsUsed_ = 0;
    y2_ = nullptr;
    setChart(labChart(QString()));
    legend->setChart(chart());
    delete old;
    notice_ = std::make_unique<ChartNotice>(chart());
  }
  shape_ = shape;
  const QString xTitle = QString::fromStdString(c.xTitle),
                yTitle = QString::fromStdString(c.yTitle);
  // A linear axis starts over 0..1, as one attached to a series without points would.
  auto linear = [](const std::string& title) {
    QValueAxis* axis = valueAxis(QString::fromStdString(title));
    axis->setRange(0, 1);
    return axis;
  };
  x_ = c.logX ? static_cast<QAbstractAxis*>(logAxis(xTitle, "%g")) : linear(c.xTitle);
  y_ = c.logY ? static_cast<QAbstractAxis*>(logAxis(yTitle, "%.0e")) : linear(c.yTitle);
  if (c.wholeX && !c.logX) {
    auto* x = static_cast<QValueAxis*>(x_);
    x->setTickCount(4);
    x->setLabelFormat("%d");
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickInterval(1);
  }
  chart()->addAxis(x_, Qt::AlignBottom);
  chart()->addAxis(y_, Qt::AlignLeft);
  if (right) {
    y2_ = linear(c.y2Title);
    chart()->addAxis(y2_, Qt::AlignRight);
  }
  marks_ = std::make_unique<EventMarks>(chart(), x_, y_);
}

void ChartView::showAxes(const Chart& c) {
  lab::ValueSpan xs, ys, y2s;
  for (const ChartSeries& s : c.series)
    for (std::size_t k = 0; k < s.x.size() && k < s.y.size(); ++k) {
      if (!std::isfinite(s.x[k]) || !std::isfinite(s.y[k])) continue;
      if ((c.logX && s.x[k] <= 0) || (s.axis == 0 && c.logY && s.y[k] <= 0)) continue;
      xs.add(s.x[k]);
      (s.axis == 1 && y2_ ? y2s : ys).add(s.y[k]);
    }
  retitle(x_, c.xTitle);
  retitle(y_, c.yTitle);
  if (auto* log = qobject_cast<QLogValueAxis*>(x_)) {
    showLog(log, c.xMin, c.xMax, xs);
  } else {
    auto* x = static_cast<QValueAxis*>(x_);
    if (c.wholeX && std::isfinite(c.xMin) && std::isfinite(c.xMax)) {
      setRange(x, c.xMin, c.xMax);
      const double anchor = std::ceil(c.xMin);
      if (x->tickAnchor() != anchor) x->setTickAnchor(anchor);
    } else if (std::isfinite(c.xStep) && c.xStep > 0 && std::isfinite(c.xMin) &&
               std::isfinite(c.xMax)) {
      // Ticks kept at the spacing given, from its start.
      if (x->min() != c.xMin || x->max() != c.xMax) {
        x->setRange(c.xMin, c.xMax);
        const int ticks = static_cast<int>(std::lround((c.xMax - c.xMin) / c.xStep)) + 1;
        x->setTickCount(ticks);
        x->setLabelFormat(labelFormat(c.xMin, c.xMax, ticks));
      }
    } else {
      showLinear(x, c.xMin, c.xMax, c.xFitted, xs);
    }
  }
  if (auto* log = qobject_cast<QLogValueAxis*>(y_))
    showLog(log, c.yMin, c.yMax, ys);
  else
    showLinear(static_cast<QValueAxis*>(y_), c.yMin, c.yMax, c.yFitted, ys);
  if (y2_) {
    retitle(y2_, c.y2Title);
    showLinear(y2_, c.y2Min, c.y2Max, false, y2s);
  }
}

void ChartView::attachTo(QAbstractSeries* series, int axis) {
  chart()->addSeries(series);
  series->attachAxis(x_);
  series->attachAxis(valueAxisOf(axis));
}

void ChartView::styleMarkers(QScatterSeries* m, const ChartSeries& s) {
  const QColor color(QString::fromStdString(s.color));
  if (m->color() != color) m->setColor(color);
  if (m->borderColor() != color) m->setBorderColor(color);
  if (m->markerSize() != s.width) m->setMarkerSize(s.width);
  if (m->markerShape() != shapeOf(s.style)) m->setMarkerShape(shapeOf(s.style));
}

QLineSeries* ChartView::addLine(const ChartSeries& s, int axis) {
  auto* line = new QLineSeries;
  line->setPen(penOf(s));
  attachTo(line, axis);
  return line;
}

void ChartView::prepare(std::size_t k, const ChartSeries& s) {
  const int axis = s.axis == 1 && y2_ ? 1 : 0;
  const bool marker = isMarker(s.style);
  if (k == series_.size()) series_.emplace_back();
  Drawn& d = series_[k];
  // A series of another kind, or on the other axis, than the one drawn at this place before.
  if ((d.markers != nullptr) != marker || d.axis != axis) {
    for (QLineSeries* line : d.lines)
      chart()->removeSeries(line), delete line;
    if (d.markers) chart()->removeSeries(d.markers), delete d.markers;
    d = Drawn{};
  }
  d.axis = axis;
  if (marker && !d.markers) {
    d.markers = new QScatterSeries;
    // Styled before it joins the chart, so that the theme leaves its one-pixel border alone.
    styleMarkers(d.markers, s);
    attachTo(d.markers, axis);
  }
  if (!marker && d.lines.empty()) d.lines.push_back(addLine(s, axis));
}

void ChartView::showSeries(std::size_t k, const ChartSeries& s) {
  Drawn& d = series_[k];
  const int axis = d.axis;
  const bool marker = d.markers != nullptr;
  const QString name = QString::fromStdString(s.name);
  const bool logY = axis == 0 && qobject_cast<QLogValueAxis*>(y_);
  const bool logX = qobject_cast<QLogValueAxis*>(x_) != nullptr;
  auto usable = [&](double x, double y) {
    return std::isfinite(x) && std::isfinite(y) && (!logX || x > 0) && (!logY || y > 0);
  };
  const std::size_t n = std::min(s.x.size(), s.y.size());

  if (marker) {
    QScatterSeries* m = d.markers;
    styleMarkers(m, s);
    rename(m, name);
    QList<QPointF> points;
    for (std::size_t j = 0; j < n; ++j)
      if (usable(s.x[j], s.y[j])) points.append(QPointF(s.x[j], s.y[j]));
    if (!samePoints(m->points(), points)) m->replace(points);
    if (!m->isVisible()) m->setVisible(true);
    return;
  }

  // The stretches between blanks; a step line holds each value to the next point's x (the
  // last point only ends the last step); a line spanning the value axis runs from its bottom
  // to its top.
  QList<QList<QPointF>> parts;
  if (s.spanY) {
    if (n > 0 && std::isfinite(s.x[0]))
      parts.append(QList<QPointF>{{s.x[0], axisMin(valueAxisOf(axis))},
                                  {s.x[0], axisMax(valueAxisOf(axis))}});
  } else {
    bool open = false;
    for (std::size_t j = 0; j < n; ++j) {
      const double x = s.x[j], y = s.y[j];
      if (!usable(x, y)) {
        open = false;
        continue;
      }
      if (!open) parts.append(QList<QPointF>{});
      QList<QPointF>& part = parts.back();
      if (s.style == Style::Steps && open) {
        const double held = part.back().y();
        part.append(QPointF(x, held));
        if (j + 1 < n || y != held) part.append(QPointF(x, y));
      } else {
        part.append(QPointF(x, y));
      }
      open = true;
    }
  }
  if (parts.isEmpty()) parts.append(QList<QPointF>{});
  const QPen pen = penOf(s);
  for (qsizetype j = 0; j < parts.size(); ++j) {
    const auto at = static_cast<std::size_t>(j);
    if (at == d.lines.size()) {
      d.lines.push_back(addLine(s, axis));
      if (at > 0) hideFromLegend(d.lines.back());
    }
    QLineSeries* line = d.lines[at];
    if (line->pen() != pen) line->setPen(pen);
    if (at == 0) rename(line, name);
    if (!samePoints(line->points(), parts[j])) line->replace(parts[j]);
    if (!line->isVisible()) line->setVisible(true);
  }
  d.used = static_cast<std::size_t>(parts.size());
  for (std::size_t j = d.used; j < d.lines.size(); ++j)
    if (d.lines[j]->isVisible()) d.lines[j]->setVisible(false);
}

void ChartView::showBars(const std::vector<ErrorBar>& bars) {
  std::size_t used = 0;
  for (const ErrorBar& b : bars) {
    if (!std::isfinite(b.x) || !std::isfinite(b.low) || !std::isfinite(b.high)) continue;
    ChartSeries look;
    look.color = b.color;
    look.width = b.width;
    if (used == bars_.size()) {
      bars_.push_back(addLine(look, 0));
      hideFromLegend(bars_.back());
    }
    QLineSeries* line = bars_[used++];
    const QPen pen = penOf(look);
    if (line->pen() != pen) line->setPen(pen);
    const QList<QPointF> points{{b.x, b.low}, {b.x, b.high}};
    if (!samePoints(line->points(), points)) line->replace(points);
    if (!line->isVisible()) line->setVisible(true);
  }
  barsUsed_ = used;
  for (std::size_t k = used; k < bars_.size(); ++k)
    if (bars_[k]->isVisible()) bars_[k]->setVisible(false);
}

void ChartView::draw(const Chart& c) {
  const QString title = QString::fromStdString(c.title);
  if (chart()->title() != title) chart()->setTitle(title);
  makeAxes(c);
  // The series join the chart before its axes take their ranges, as a chart built ahead of
  // its data has them.
  for (std::size_t k = 0; k < c.series.size(); ++k)
    prepare(k, c.series[k]);
  showAxes(c);
  for (std::size_t k = 0; k < c.series.size(); ++k)
    showSeries(k, c.series[k]);
  for (std::size_t k = c.series.size(); k < series_.size(); ++k) {
    for (QLineSeries* line : series_[k].lines)
      if (line->isVisible()) line->setVisible(false);
    if (series_[k].markers && series_[k].markers->isVisible())
      series_[k].markers->setVisible(false);
  }
  shown_ = c.series.size();
  showBars(c.bars);
  marks_->show(c.marks);
  notice_->show(QString::fromStdString(c.notice));
  legend->sync();
}

}  // namespace km
