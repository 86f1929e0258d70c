// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QGraphicsSimpleTextItem>
#include <QLogValueAxis>
#include <QTextDocument>
#include <QtTest>
#include <cmath>
#include <memory>

#include "chart_view.h"
#include "lab_tabs.h"

using km::Chart;
using km::ChartSeries;
using km::ChartView;
using Style = km::ChartSeries::Style;

namespace {

ChartSeries series(const std::string& name, Style style, std::vector<double> x,
                   std::vector<double> y, double width = 2, const std::string& color = "#ffc83c") {
  ChartSeries s;
  s.name = name;
  s.color = color;
  s.style = style;
  s.width = width;
  s.x = std::move(x);
  s.y = std::move(y);
  return s;
}

// A time chart with a series in every style, an error bar and two events.
Chart everyStyle() {
  Chart c;
  c.id = "every-style";
  c.title = "Every style";
  c.xTitle = "tick";
  c.yTitle = "value";
  c.xMin = 0;
  c.xMax = 100;
  c.xStep = 20;
  c.yMin = 0;
  c.yMax = 10;
  c.series = {series("line", Style::Line, {0, 50, 100}, {1, 2, 3}),
              series("dashed", Style::Dashed, {0, 100}, {4, 4}, 1, "#78c8ff"),
              series("dotted", Style::Dotted, {0, 100}, {5, 5}, 3),
              series("steps", Style::Steps, {10, 20, 30, 40}, {1, 3, 2, 2}),
              series("dots", Style::Dots, {10, 20}, {6, 7}, 9),
              series("squares", Style::Squares, {30}, {8}, 9),
              series("stars", Style::Stars, {40}, {9}, 12, "#ffffff"),
              series("", Style::Line, {0, 100}, {0.5, 0.5})};
  c.bars = {{10, 5.5, 6.5, "#ff0000", 2}};
  c.marks = {{30, "equal energies"}, {70, "heat species 2 x3"}};
  return c;
}

QString legendWords(const QString& richText) {
  QTextDocument doc;
  doc.setHtml(richText);
  return doc.toPlainText().replace(QChar(0x00A0), ' ').replace(QChar(0x2011), '-');
}

// A chart view and the box that holds it, and owns it.
struct Owned {
  explicit Owned(const std::string& id) : view(new ChartView(id)), box(view->box) {}
  ChartView* view;
  std::unique_ptr<QWidget> box;
};

QList<QPointF> pointsOf(const ChartSeries& s) {
  QList<QPointF> out;
  for (std::size_t k = 0; k < s.x.size(); ++k)
    out.append(QPointF(s.x[k], s.y[k]));
  return out;
}

}  // namespace

class ChartViewTest : public QObject {
  Q_OBJECT

 private slots:
  // Each style is drawn as its kind of series, pen and marker, with the description's points.
  void everyStyleIsDrawnAsDescribed() {
    Owned owned("every-style");
    ChartView& view = *owned.view;
    const Chart c = everyStyle();
    view.draw(c);
    QCOMPARE(view.objectName(), QString("every-style"));
    QCOMPARE(view.chart()->title(), QString("Every style"));
    const struct {
      Qt::PenStyle pen;
    } lines[] = {{Qt::SolidLine}, {Qt::DashLine}, {Qt::DotLine}, {Qt::SolidLine}};
    for (std::size_t k = 0; k < 4; ++k) {
      QLineSeries* line = view.line(k);
      QVERIFY2(line, c.series[k].name.c_str());
      QCOMPARE(line->pen().style(), lines[k].pen);
      QCOMPARE(line->pen().widthF(), c.series[k].width);
      QCOMPARE(line->pen().color(), QColor(QString::fromStdString(c.series[k].color)));
      QCOMPARE(line->name(), QString::fromStdString(c.series[k].name));
      if (k < 3) QCOMPARE(line->points(), pointsOf(c.series[k]));
    }
    // A step line holds each value to the next point, the last point ending the last step.
    QCOMPARE(view.line(3)->points(),
             (QList<QPointF>{{10, 1}, {20, 1}, {20, 3}, {30, 3}, {30, 2}, {40, 2}}));
    const QScatterSeries::MarkerShape shapes[] = {QScatterSeries::MarkerShapeCircle,
                                                  QScatterSeries::MarkerShapeRectangle,
                                                  QScatterSeries::MarkerShapeStar};
    for (std::size_t k = 4; k < 7; ++k) {
      QScatterSeries* m = view.markers(k);
      QVERIFY2(m, c.series[k].name.c_str());
      QVERIFY(!view.line(k));
      QCOMPARE(m->markerShape(), shapes[k - 4]);
      QCOMPARE(m->markerSize(), c.series[k].width);
      QCOMPARE(m->color(), QColor(QString::fromStdString(c.series[k].color)));
      QCOMPARE(m->points(), pointsOf(c.series[k]));
    }
    QVERIFY(!view.drawn(c.series.size()));

    // The legend names every named series, in order, and nothing else.
    const QString words = legendWords(view.legend->text());
    qsizetype at = 0;
    for (const ChartSeries& s : c.series) {
      if (s.name.empty()) continue;
      const qsizetype found = words.indexOf(QString::fromStdString(s.name), at);
      QVERIFY2(found >= at, qPrintable(QString::fromStdString(s.name) + " in " + words));
      at = found;
    }
    QVERIFY(!words.contains("event"));
    QVERIFY(!km::inLegend(view.line(7)));

    // The error bar: a vertical line out of the legend.
    QCOMPARE(view.bars().size(), std::size_t{1});
    QLineSeries* bar = view.bars()[0];
    QCOMPARE(bar->points(), (QList<QPointF>{{10, 5.5}, {10, 6.5}}));
    QCOMPARE(bar->pen().widthF(), 2.0);
    QCOMPARE(bar->pen().color(), QColor("#ff0000"));
    QVERIFY(!km::inLegend(bar));
  }

  // The axes: the time axis exactly as given with its ticks at the step, events marked on it
  // with their words; an exact value axis as given.
  void timeAxisAndMarks() {
    Owned owned("every-style");
    ChartView& view = *owned.view;
    view.box->resize(700, 440);
    view.box->show();
    view.draw(everyStyle());
    QApplication::processEvents();
    view.draw(everyStyle());
    auto* x = qobject_cast<QValueAxis*>(view.axisX());
    auto* y = qobject_cast<QValueAxis*>(view.axisY());
    QVERIFY(x && y);
    QCOMPARE(x->min(), 0.0);
    QCOMPARE(x->max(), 100.0);
    QCOMPARE(x->tickCount(), 6);
    QCOMPARE(x->labelFormat(), QString("%.0f"));
    QCOMPARE(x->titleText(), QString("tick"));
    QCOMPARE(y->min(), 0.0);
    QCOMPARE(y->max(), 10.0);
    QVERIFY(!view.axisY2());
    QCOMPARE(view.marks(), 2);
    QStringList marks, words;
    for (QAbstractSeries* s : view.chart()->series())
      if (s->isVisible() && s->name().startsWith("event: ")) {
        marks << s->name();
        const QList<QPointF> p = static_cast<QLineSeries*>(s)->points();
        QCOMPARE(p.size(), 2);
        QCOMPARE(p[0].x(), p[1].x());
        QCOMPARE(p[0].y(), 0.0);
        QCOMPARE(p[1].y(), 10.0);
      }
    QCOMPARE(marks, (QStringList{"event: equal energies", "event: heat species 2 x3"}));
    for (QGraphicsItem* item : view.chart()->childItems())
      if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item); text && text->isVisible())
        words << text->text();
    QVERIFY2(words.contains("equal energies"), qPrintable(words.join("; ")));
    QVERIFY(words.contains("heat species 2 x3"));
  }

  // Log axes as given, with the points on them; nothing at or below zero is drawn on one.
  void logAxes() {
    Chart c;
    c.id = "log";
    c.xTitle = "lag [ticks]";
    c.yTitle = "MSD [units²]";
    c.logX = c.logY = true;
    c.xMin = 1;
    c.xMax = 2000;
    c.yMin = 0.1;
    c.yMax = 1e4;
    c.series = {series("msd", Style::Line, {1, 10, 100, 1000}, {0.5, 5, 0, 5000})};
    Owned owned("log");
    ChartView& view = *owned.view;
    view.draw(c);
    auto* x = qobject_cast<QLogValueAxis*>(view.axisX());
    auto* y = qobject_cast<QLogValueAxis*>(view.axisY());
    QVERIFY(x && y);
    QCOMPARE(x->min(), 1.0);
    QCOMPARE(x->max(), 2000.0);
    QCOMPARE(y->min(), 0.1);
    QCOMPARE(y->max(), 1e4);
    QCOMPARE(x->titleText(), QString("lag [ticks]"));
    // The zero breaks the line: two stretches, the second kept out of the legend.
    const std::vector<QLineSeries*> parts = view.stretches(0);
    QCOMPARE(parts.size(), std::size_t{2});
    QCOMPARE(parts[0]->points(), (QList<QPointF>{{1, 0.5}, {10, 5}}));
    QCOMPARE(parts[1]->points(), (QList<QPointF>{{1000, 5000}}));
    QVERIFY(km::inLegend(parts[0]));
    QVERIFY(!km::inLegend(parts[1]));
    // Values a thousandfold smaller leave the decades shown: the axis follows them.
    c.yMin = 1e-4;
    c.yMax = 10;
    c.series[0].y = {1e-4, 1e-3, 1e-2, 5};
    view.draw(c);
    QCOMPARE(y->min(), 1e-4);
    QCOMPARE(y->max(), 10.0);
  }

  // A series on the right axis is drawn against it, over the range given.
  void rightAxis() {
    Chart c;
    c.id = "collisions";
    c.xTitle = "tick";
    c.yTitle = "per tick";
    c.y2Title = "bound-pair share";
    c.xMin = 0;
    c.xMax = 10;
    c.yMin = 0;
    c.yMax = 50;
    c.y2Min = 0;
    c.y2Max = 1;
    ChartSeries share = series("share (right)", Style::Line, {0, 10}, {0.2, 0.4}, 1);
    share.axis = 1;
    c.series = {series("exchanges", Style::Line, {0, 10}, {20, 30}), share};
    Owned owned("collisions");
    ChartView& view = *owned.view;
    view.draw(c);
    QValueAxis* right = view.axisY2();
    QVERIFY(right);
    QCOMPARE(right->alignment(), Qt::AlignRight);
    QCOMPARE(right->titleText(), QString("bound-pair share"));
    QCOMPARE(right->min(), 0.0);
    QCOMPARE(right->max(), 1.0);
    QVERIFY(view.line(1)->attachedAxes().contains(right));
    QVERIFY(!view.line(0)->attachedAxes().contains(right));
    QVERIFY(view.line(0)->attachedAxes().contains(view.axisY()));
  }

  // An empty chart says why; a fitted range is widened to round ticks that hold it, and a line
  // spanning the value axis spans it as shown.
  void noticeFittedRangesAndSpans() {
    Chart c;
    c.id = "wall-profile";
    c.xTitle = "distance";
    c.yTitle = "n / nominal";
    c.xMin = 0;
    c.xMax = 2.1;
    c.xFitted = true;
    c.yMin = 0;
    c.yMax = 1.37;
    c.yFitted = true;
    c.notice = "Warming up: the averages begin in 120 ticks.";
    ChartSeries edge = series("the interior begins", Style::Dashed, {1.2, 1.2}, {0, 1.37}, 1);
    edge.spanY = true;
    c.series = {edge};
    Owned owned("wall-profile");
    ChartView& view = *owned.view;
    view.box->resize(600, 440);
    view.box->show();
    view.draw(c);
    QApplication::processEvents();
    QCOMPARE(view.notice().text(), QString::fromStdString(c.notice));
    QVERIFY(!view.notice().shownRect().isEmpty());
    auto* x = static_cast<QValueAxis*>(view.axisX());
    auto* y = static_cast<QValueAxis*>(view.axisY());
    QVERIFY(x->min() <= 0 && x->max() >= 2.1 && x->max() < 4.2);
    QVERIFY(y->min() <= 0 && y->max() >= 1.37 && y->max() < 2.74);
    // Round ticks: each step a whole multiple of 1, 2 or 5 times a power of ten.
    for (QValueAxis* axis : {x, y}) {
      const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
      const double mantissa = step / std::pow(10, std::floor(std::log10(step)));
      QVERIFY2(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                   std::fabs(mantissa - 5) < 1e-9,
               qPrintable(QString::number(step)));
    }
    QCOMPARE(view.line(0)->points(), (QList<QPointF>{{1.2, y->min()}, {1.2, y->max()}}));
    c.notice.clear();
    view.draw(c);
    QCOMPARE(view.notice().text(), QString());
  }

  // Drawn again, a chart keeps its QChart and series and takes the new points, names and
  // colours; series the description no longer holds are hidden, and one of another kind takes
  // the place of the old.
  void redrawingKeepsTheChart() {
    Owned owned("every-style");
    ChartView& view = *owned.view;
    Chart c = everyStyle();
    view.draw(c);
    QChart* chart = view.chart();
    QLineSeries* line = view.line(0);
    const qsizetype count = chart->series().size();
    c.series[0].name = "line: 2.5";
    c.series[0].color = "#00ff00";
    c.series[0].x = {0, 25, 50, 75};
    c.series[0].y = {3, 2, 1, 0};
    c.series.resize(3);
    c.series.push_back(series("now markers", Style::Dots, {60}, {6}, 9));
    view.draw(c);
    QCOMPARE(view.chart(), chart);
    QCOMPARE(view.line(0), line);
    QCOMPARE(line->name(), QString("line: 2.5"));
    QCOMPARE(line->pen().color(), QColor("#00ff00"));
    QCOMPARE(line->points(), pointsOf(c.series[0]));
    QVERIFY(view.markers(3));
    QCOMPARE(view.markers(3)->points(), (QList<QPointF>{{60, 6}}));
    QVERIFY(!view.drawn(4));
    int shown = 0;
    for (QAbstractSeries* s : chart->series())
      shown += s->isVisible() && km::inLegend(s);
    QCOMPARE(shown, 4);
    const QString words = legendWords(view.legend->text());
    QVERIFY(!words.contains("squares"));
    QVERIFY(words.contains("now markers"));
    // The same description again adds nothing.
    const qsizetype now = chart->series().size();
    QCOMPARE(now, count);
    view.draw(c);
    QCOMPARE(chart->series().size(), now);
    // A change in the last digits is drawn too (a drift of the energy in its 13th digit).
    c.series[0].y[0] = 9607.8336099397511;
    view.draw(c);
    c.series[0].y[0] = 9607.8336099397511 + 4e-12;
    view.draw(c);
    QCOMPARE(line->points().value(0).y(), 9607.8336099397511 + 4e-12);
    QVERIFY(line->points().value(0).y() != 9607.8336099397511);
    c.series[0].y[0] = 3;
    // Another kind of axes under the same name: drawn afresh, the legend with it.
    c.logY = true;
    c.yMin = 0.1;
    c.yMax = 10;
    view.draw(c);
    QVERIFY(qobject_cast<QLogValueAxis*>(view.axisY()));
    QCOMPARE(view.line(0)->points(), (QList<QPointF>{{0, 3}, {25, 2}, {50, 1}}));
    QVERIFY(legendWords(view.legend->text()).contains("line: 2.5"));
  }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
