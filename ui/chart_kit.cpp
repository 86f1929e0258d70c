// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart_kit.h"

#include "axis_range.h"

#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QLogValueAxis>
#include <QPainter>
#include <QPen>
#include <QScatterSeries>
#include <algorithm>
#include <array>
#include <cmath>

namespace km {
namespace {
// The property that keeps a series out of its chart's legend.
const char* const unlisted = "kmUnlisted";
}  // namespace

QChart* labChart(const QString& title) {
  auto* chart = new QChart;
  chart->setTheme(QChart::ChartThemeDark);
  chart->setAnimationOptions(QChart::NoAnimation);
  // A plain background paints much faster than the theme's gradient.
  chart->setBackgroundBrush(chartBackground);
  chart->setBackgroundRoundness(0);
  QFont f = chart->titleFont();
  f.setPointSize(11);
  f.setBold(true);
  chart->setTitleFont(f);
  chart->setTitle(title);
  // The legend is drawn beneath the chart by ChartLegend; the chart's own keeps the markers.
  chart->legend()->hide();
  return chart;
}

ChartLegend::ChartLegend(QChart* chart) : chart_(chart) {
  setWordWrap(true);
  setTextFormat(Qt::RichText);
  setContentsMargins(12, 0, 12, 0);
  QFont f = font();
  f.setPointSize(10);
  setFont(f);
}

void ChartLegend::sync() {
  QStringList entries;
  for (QAbstractSeries* series : chart_->series()) {
    if (!inLegend(series)) continue;
    QColor color;
    QString stroke = "━━";
    if (auto* scatter = qobject_cast<QScatterSeries*>(series)) {
      color = scatter->color();
      stroke = scatter->markerShape() == QScatterSeries::MarkerShapeRectangle ? "■"
               : scatter->markerShape() == QScatterSeries::MarkerShapeStar    ? "★"
                                                                              : "●";
    } else if (auto* line = qobject_cast<QLineSeries*>(series)) {
      color = line->pen().color();
      if (line->pen().style() != Qt::SolidLine) stroke = "╺╸╺╸";
    }
    // Each entry kept on one line: its spaces and dashes do not break.
    QString name = series->name().toHtmlEscaped();
    name.replace(' ', QChar(0x00A0)).replace('-', QChar(0x2011)).replace(QChar(0x2013), "–\u2060");
    entries
        << QString("<span style=\"color:%1\">%2</span>&nbsp;%3").arg(color.name(), stroke, name);
  }
  const QString text = entries.join(" &nbsp; &nbsp; ");
  if (text != this->text()) setText(text);
}

QValueAxis* valueAxis(const QString& title) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  QFont f = axis->titleFont();
  f.setPointSize(10);
  axis->setTitleFont(f);
  axis->setLabelFormat("%.4g");
  return axis;
}

void hideFromLegend(QAbstractSeries* series) {
  series->setProperty(unlisted, true);
}

bool inLegend(const QAbstractSeries* series) {
  return series->isVisible() && !series->name().isEmpty() && !series->property(unlisted).toBool();
}

void rename(QAbstractSeries* series, const QString& name) {
  if (series->name() != name) series->setName(name);
}

void fitAxis(QValueAxis* axis, double low, double high) {
  const lab::AxisRange range = lab::valueAxisRange(low, high);
  roundAxis(axis, range.min, range.max);
}

void roundAxis(QValueAxis* axis, double from, double to) {
  // A new range lays the axis out afresh, the dearest part of a refresh: the present one stays
  // while it holds the values and they fill at least half of it.
  const double shown = axis->max() - axis->min();
  if (axis->min() <= from && axis->max() >= to && (to - from) >= 0.5 * shown) return;
  axis->setRange(from, to);
  axis->applyNiceNumbers();
  axis->setLabelFormat(labelFormat(axis->min(), axis->max(), axis->tickCount()));
}

QString labelFormat(double min, double max, int ticks) {
  const double step = ticks > 1 ? (max - min) / (ticks - 1) : max - min;
  if (!(step > 0) || !std::isfinite(step)) return "%.4g";
  // As many decimals as the step needs, so neighbouring labels never read alike.
  int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  while (decimals < 12) {
    const double scaled = step * std::pow(10, decimals);
    if (std::fabs(scaled - std::round(scaled)) < 1e-6 * scaled) break;
    ++decimals;
  }
  if (std::max(std::fabs(min), std::fabs(max)) >= 1e9) return "%.4g";
  return QString("%.%1f").arg(decimals);
}

ChartNotice::ChartNotice(QChart* chart) : chart_(chart), item_(new QGraphicsSimpleTextItem(chart)) {
  QFont f = item_->font();
  f.setPointSize(12);
  item_->setFont(f);
  item_->setBrush(QColor(230, 230, 230));
  item_->setZValue(10);
  item_->hide();
  moved_ = QObject::connect(chart, &QChart::plotAreaChanged, [this] { place(); });
}

ChartNotice::~ChartNotice() {
  QObject::disconnect(moved_);
}

void ChartNotice::show(const QString& text) {
  text_ = text;
  item_->setVisible(!text.isEmpty());
  place();
}

QString ChartNotice::text() const {
  return item_->isVisible() ? text_ : QString();
}

QRectF ChartNotice::shownRect() const {
  return item_->isVisible() ? item_->mapRectToParent(item_->boundingRect()) : QRectF();
}

namespace {

// A line series in the given colour, dashed for a mark.
QLineSeries* lineSeries(const QString& name, const QColor& color, bool dashed, qreal width) {
  auto* s = new QLineSeries;
  s->setName(name);
  QPen pen(color);
  pen.setWidthF(width);
  if (dashed) pen.setStyle(Qt::DashLine);
  s->setPen(pen);
  return s;
}

// Adds a series to a chart on the given axes.
void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
}

// The words broken into lines no wider than `width` in the font; "" when a word is wider.
QString wrapped(const QString& text, const QFont& font, double width) {
  const QFontMetricsF m(font);
  QStringList lines;
  QString line;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    const QString longer = line.isEmpty() ? word : line + ' ' + word;
    if (m.horizontalAdvance(longer) <= width) {
      line = longer;
      continue;
    }
    if (line.isEmpty() || m.horizontalAdvance(word) > width) return QString();
    lines << line;
    line = word;
  }
  lines << line;
  return lines.join('\n');
}

}  // namespace

void ChartNotice::place() {
  if (text_.isEmpty()) return;
  const QRectF area = chart_->plotArea();
  // Twelve points where it fits, down to eight, on as few lines as the width allows.
  QFont f = item_->font();
  QString shown;
  for (int size = 12; size >= 8; --size) {
    f.setPointSize(size);
    shown = wrapped(text_, f, area.width() - 8);
    if (!shown.isEmpty() &&
        QFontMetricsF(f).lineSpacing() * static_cast<double>(shown.count('\n') + 1) <=
            area.height() - 4)
      break;
  }
  if (shown.isEmpty()) shown = text_;
  if (item_->font() != f) item_->setFont(f);
  if (item_->text() != shown) item_->setText(shown);
  const QRectF box = item_->boundingRect();
  item_->setPos(area.center() - QPointF(box.width() / 2, box.height() / 2));
}

double axisMin(const QAbstractAxis* axis) {
  if (auto* log = qobject_cast<const QLogValueAxis*>(axis)) return log->min();
  return static_cast<const QValueAxis*>(axis)->min();
}

double axisMax(const QAbstractAxis* axis) {
  if (auto* log = qobject_cast<const QLogValueAxis*>(axis)) return log->max();
  return static_cast<const QValueAxis*>(axis)->max();
}

EventMarks::EventMarks(QChart* chart, QAbstractAxis* x, QAbstractAxis* y)
    : chart_(chart), x_(x), y_(y) {}

void EventMarks::show(const std::vector<lab::Event>& events) {
  // The last few events inside the chart's ticks; older ones would only crowd it.
  constexpr std::size_t most = 6;
  std::vector<const lab::Event*> inside;
  for (const lab::Event& e : events)
    if (e.tick > axisMin(x_) && e.tick <= axisMax(x_)) inside.push_back(&e);
  if (inside.size() > most) inside.erase(inside.begin(), inside.end() - most);
  while (lines_.size() < inside.size()) {
    QLineSeries* line = lineSeries("", QColor(190, 190, 190), true, 1);
    attach(chart_, line, x_, y_);
    hideFromLegend(line);
    lines_.push_back(line);
    auto* text = new QGraphicsSimpleTextItem(chart_);
    text->setBrush(QColor(220, 220, 220));
    labels_.push_back(text);
  }
  // Each label goes on the first of three rows where it clears the one before it; one that
  // fits on none is left out (its line stays), so that close events never smear together.
  constexpr int rows = 3;
  std::array<double, rows> rowEnd;
  rowEnd.fill(-1e300);
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    const bool used = k < inside.size();
    lines_[k]->setVisible(used);
    labels_[k]->setVisible(false);
    if (!used) continue;
    const double t = static_cast<double>(inside[k]->tick);
    rename(lines_[k], "event: " + QString::fromStdString(inside[k]->what));
    lines_[k]->replace(QList<QPointF>{{t, axisMin(y_)}, {t, axisMax(y_)}});
    // Beside its line where it fits before the plot's right edge, else ending there; shortened
    // with "…" only when it is wider than the plot.
    const QRectF area = chart_->plotArea();
    const QFontMetricsF metrics(labels_[k]->font());
    const QString words = QString::fromStdString(inside[k]->what);
    labels_[k]->setText(metrics.elidedText(words, Qt::ElideRight, area.width() - 6));
    const QPointF top = chart_->mapToPosition(QPointF(t, axisMax(y_)), lines_[k]);
    const double width = labels_[k]->boundingRect().width();
    const double left = std::max(area.left() + 3, std::min(top.x() + 3, area.right() - 3 - width));
    for (int row = 0; row < rows; ++row) {
      if (left <= rowEnd[static_cast<std::size_t>(row)] + 6) continue;
      rowEnd[static_cast<std::size_t>(row)] = left + width;
      labels_[k]->setPos(QPointF(left, top.y() + 2 + 15.0 * row));
      labels_[k]->setVisible(true);
      break;
    }
  }
  shown_ = static_cast<int>(inside.size());
}

}  // namespace km
