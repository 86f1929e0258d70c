// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab_panels.h"

#include <QGridLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "panel_text.h"
#include "summary.h"

namespace km {
using namespace panel;

SpeedPanel::SpeedPanel(QWidget* parent) : LabPanel(parent) {
  quantity = new QComboBox(this);
  quantity->setObjectName("speedQuantity");
  quantity->addItems({"speed", "velocity component x", "velocity component y"});
  auto* grid = new QGridLayout;
  for (int sp = 1; sp <= 4; ++sp) {
    const auto k = static_cast<std::size_t>(sp);
    QChart* chart = labChart(QString("Species %1").arg(sp));
    x_[k] = valueAxis("speed [units/tick]");
    y_[k] = valueAxis("density [ticks/unit]");
    chart->addAxis(x_[k], Qt::AlignBottom);
    chart->addAxis(y_[k], Qt::AlignLeft);
    measured[k] = lineSeries("", Qt::white);
    theory[k] = lineSeries("", Qt::white, true);
    attach(chart, measured[k], x_[k], y_[k]);
    attach(chart, theory[k], x_[k], y_[k]);
    views_[k] = chartView(chart, QString("speeds-species-%1").arg(sp));
    notices_[k] = std::make_unique<ChartNotice>(chart);
    grid->addWidget(views_[k]->box, (sp - 1) / 2, (sp - 1) % 2);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(quantity);
  layout->addLayout(grid, 1);
}

QList<LabChartView*> SpeedPanel::views() const {
  return {views_[1], views_[2], views_[3], views_[4]};
}

void SpeedPanel::refresh(const LabView& v) {
  const int which = quantity->currentIndex();
  const QString axis =
      which == 0 ? "speed [units/tick]" : QString("v%1 [units/tick]").arg(which == 1 ? "x" : "y");
  std::array<bool, 5> present{};
  for (const lab::SpeciesResult& s : v.results.species) {
    const lab::Distribution& d = which == 0 ? s.speed : which == 1 ? s.vx : s.vy;
    const auto k = static_cast<std::size_t>(s.species);
    present[k] = true;
    QList<QPointF> steps, law;
    Span xs, ys;
    for (std::size_t b = 0; b < d.centres.size() && b < d.measured.size(); ++b) {
      const double a = d.centres[b] - d.binWidth / 2, c = d.centres[b] + d.binWidth / 2;
      steps << QPointF(a, d.measured[b]) << QPointF(c, d.measured[b]);
      if (std::isfinite(d.theory[b])) law << QPointF(d.centres[b], d.theory[b]);
      xs.add(a);
      xs.add(c);
    }
    ys.add(steps);
    ys.add(law);
    recolor(measured[k], v.colors[k]);
    recolor(theory[k], v.colors[k]);
    rename(measured[k], "measured (KS " + brief(d.ks) + ")");
    rename(theory[k], which == 0 ? "Maxwell–Boltzmann" : "Gaussian");
    const QString title = QString("Species %1: %2 disc%3, kT %4")
                              .arg(s.species)
                              .arg(s.count)
                              .arg(s.count == 1 ? "" : "s")
                              .arg(number(s.kT.value));
    if (views_[k]->chart()->title() != title) views_[k]->chart()->setTitle(title);
    measured[k]->replace(steps);
    theory[k]->replace(law);
    measured[k]->setVisible(!steps.isEmpty());
    theory[k]->setVisible(!steps.isEmpty());
    const QString why = waiting(v.results);
    notices_[k]->show(!steps.isEmpty() ? QString()
                      : why.isEmpty()  ? QString("No speeds measured yet.")
                                       : why);
    if (x_[k]->titleText() != axis) x_[k]->setTitleText(axis);
    fitAxis(x_[k], xs.low, xs.high);
    fitAxis(y_[k], 0, ys.high);
  }
  // Without a gas, one empty chart says why.
  if (v.results.species.empty()) {
    present[1] = true;
    views_[1]->chart()->setTitle("Speeds");
    measured[1]->setVisible(false);
    theory[1]->setVisible(false);
    notices_[1]->show(waiting(v.results));
  }
  for (std::size_t k = 1; k < 5; ++k)
    views_[k]->box->setVisible(present[k]);
}

EquipartitionPanel::EquipartitionPanel(QWidget* parent) : LabPanel(parent) {
  QChart* bars = labChart("kT of each species over the gas's (averaged; theory: ratio 1)");
  QValueAxis* barX = valueAxis("species");
  barX->setRange(0.5, 4.5);
  barX->setTickCount(4);
  barX->setLabelFormat("%d");
  barX->setTickType(QValueAxis::TicksDynamic);
  barX->setTickAnchor(1);
  barX->setTickInterval(1);
  barY_ = valueAxis("kT [amu·units²/tick²]");
  bars->addAxis(barX, Qt::AlignBottom);
  bars->addAxis(barY_, Qt::AlignLeft);
  gasKT = lineSeries("the gas", gasColor, true);
  attach(bars, gasKT, barX, barY_);
  for (int sp = 1; sp <= 4; ++sp) {
    kT[sp] = new QScatterSeries;
    kT[sp]->setMarkerSize(14);
    errorBar[sp] = lineSeries("", Qt::white, false, 3);
    attach(bars, kT[sp], barX, barY_);
    attach(bars, errorBar[sp], barX, barY_);
    hideFromLegend(errorBar[sp]);
  }
  bars_ = chartView(bars, "equipartition");
  notice_ = std::make_unique<ChartNotice>(bars);

  overTime[0] = time.add(lineSeries("the gas", gasColor, true));
  for (int sp = 1; sp <= 4; ++sp)
    overTime[sp] = time.add(lineSeries("", Qt::white));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bars_->box, 1);
  layout->addWidget(time.view->box, 1);
}

void EquipartitionPanel::refresh(const LabView& v) {
  Span ys, ts;
  std::array<bool, 5> present{};
  for (const lab::SpeciesResult& s : v.results.species) {
    const auto k = static_cast<std::size_t>(s.species);
    present[k] = true;
    if (kT[k]->color() != v.colors[k]) {
      kT[k]->setColor(v.colors[k]);
      kT[k]->setBorderColor(v.colors[k]);
    }
    recolor(errorBar[k], v.colors[k]);
    rename(kT[k], QString("species %1: ratio %2").arg(s.species).arg(measured(s.kTRatio)));
    const double x = s.species, y = s.kT.value, e = s.kT.error;
    kT[k]->replace(std::isfinite(y) ? QList<QPointF>{{x, y}} : QList<QPointF>{});
    errorBar[k]->replace(std::isfinite(e) ? QList<QPointF>{{x, y - e}, {x, y + e}}
                                          : QList<QPointF>{});
    ys.add(y - (std::isfinite(e) ? e : 0));
    ys.add(y + (std::isfinite(e) ? e : 0));
  }
  // Over time, every species that moved at some time in the run, blank where it did not.
  for (std::size_t k = 1; k < 5; ++k) {
    kT[k]->setVisible(present[k]);
    errorBar[k]->setVisible(present[k]);
    const QList<QList<QPointF>> stretches = toSegments(lab::binMeans(v.history.kT[k]));
    overTime[k]->setVisible(!stretches.isEmpty());
    recolor(overTime[k], v.colors[k]);
    rename(overTime[k], QString("species %1").arg(k));
    overTime[k]->replace(stretches.value(0));
    for (qsizetype j = 1; j < stretches.size(); ++j) {
      const auto at = static_cast<std::size_t>(j - 1);
      if (at == later_[k].size()) {
        later_[k].push_back(time.add(lineSeries("", v.colors[k])));
        hideFromLegend(later_[k].back());
      }
      recolor(later_[k][at], v.colors[k]);
      later_[k][at]->replace(stretches[j]);
      later_[k][at]->setVisible(true);
    }
    const auto used = static_cast<std::size_t>(std::max<qsizetype>(stretches.size() - 1, 0));
    for (std::size_t j = used; j < later_[k].size(); ++j)
      later_[k][j]->setVisible(false);
    for (const QList<QPointF>& points : stretches)
      ts.add(points);
  }
  notice_->show(waiting(v.results));
  time.notice->show(noHistory(v.results));
  rename(gasKT, "the gas: kT " + measured(v.results.kT));
  horizontal(gasKT, 0.5, 4.5, v.results.kT.value);
  ys.add(v.results.kT.value);
  fitAxis(barY_, std::min(0.0, ys.low), ys.high);
  const QList<QPointF> gas = toPoints(lab::binMeans(v.history.kT[0]));
  overTime[0]->replace(gas);
  ts.add(gas);
  time.fit(v.results.ticks, std::min(0.0, ts.low), ts.high, v.history.events);
}

PressurePanel::PressurePanel(QWidget* parent) : LabPanel(parent) {
  z = time.add(lineSeries("Z measured", QColor(255, 200, 60)));
  interior = time.add(lineSeries("Z over the interior's density", QColor(255, 140, 40), false, 3));
  ideal = time.add(lineSeries("ideal gas, Z = 1", gasColor, true));
  henderson = time.add(lineSeries("Henderson", QColor(120, 200, 255), true));
  bulk = time.add(lineSeries("bulk fluid", QColor(150, 255, 150), true));
  walled = time.add(
      lineSeries("bulk fluid less the walls' first-order term", QColor(255, 120, 200), true));

  QChart* chart = labChart("Density against the distance from the nearest wall");
  profileX_ = valueAxis("distance of the centre from the nearest wall [σ]");
  profileY_ = valueAxis("n / nominal");
  chart->addAxis(profileX_, Qt::AlignBottom);
  chart->addAxis(profileY_, Qt::AlignLeft);
  for (int sp = 1; sp <= 4; ++sp) {
    profile[static_cast<std::size_t>(sp)] = lineSeries("", Qt::white);
    attach(chart, profile[static_cast<std::size_t>(sp)], profileX_, profileY_);
  }
  even = lineSeries("even, as without walls", gasColor, true, 1);
  attach(chart, even, profileX_, profileY_);
  interiorEdge = lineSeries("the interior begins", QColor(190, 190, 190), true, 1);
  attach(chart, interiorEdge, profileX_, profileY_);
  profileView_ = chartView(chart, "wall-profile");
  profileNotice_ = std::make_unique<ChartNotice>(chart);

  figures = new QLabel(this);
  figures->setObjectName("pressureFigures");
  figures->setWordWrap(true);
  figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(time.view->box, 3);
  layout->addWidget(profileView_->box, 2);
  layout->addWidget(figures);
}

void PressurePanel::refresh(const LabView& v) {
  const lab::Results& r = v.results;
  const QList<QPointF> points = toPoints(lab::binMeans(v.history.z));
  const QString noRoom = QString::fromStdString(lab::noRoomNotice(r));
  time.notice->show(noHistory(r).isEmpty() ? noRoom : noHistory(r));
  z->replace(points);
  rename(z, "Z measured: " + measured(r.Z));
  rename(interior, "Z over the interior's density: " + measured(r.zInterior));
  rename(henderson, "Henderson (within 0.5 % of the bulk to η = 0.5): " + number(r.zHenderson));
  rename(bulk, "bulk fluid: " + number(r.zBulk));
  rename(walled, "bulk fluid less the walls' first-order term: " + number(r.zWalled));
  // The per-tick Z is noisy; the axis follows the bins and the theory values.
  Span ys;
  ys.add(points);
  for (double y : {1.0, r.zHenderson, r.zBulk, r.zWalled, r.zInterior.value, 0.0})
    ys.add(y);
  time.fit(r.ticks, ys.low, ys.high, v.history.events);
  horizontal(ideal, time.x->min(), time.x->max(), 1);
  horizontal(henderson, time.x->min(), time.x->max(), r.zHenderson);
  horizontal(bulk, time.x->min(), time.x->max(), r.zBulk);
  horizontal(walled, time.x->min(), time.x->max(), r.zWalled);
  horizontal(interior, time.x->min(), time.x->max(), r.zInterior.value);

  // The profile up to a little past where the interior begins.
  const double unit = r.sigma > 0 ? r.sigma : 2 * r.radius;
  const double inner = unit > 0 ? r.interiorFrom / unit : lab::notKnown;
  const double shown = std::isfinite(inner) ? std::max(2.0, 2 * inner) : 10;
  std::array<bool, 5> present{};
  Span dens;
  dens.add(1);
  dens.add(0);
  for (const lab::SpeciesResult& s : r.species) {
    const auto k = static_cast<std::size_t>(s.species);
    present[k] = !s.profile.empty();
    QList<QPointF> line;
    for (std::size_t b = 0; b < s.profile.size() && b < r.profileDistance.size(); ++b)
      if (r.profileDistance[b] <= shown) line << QPointF(r.profileDistance[b], s.profile[b]);
    dens.add(line);
    profile[k]->replace(line);
    recolor(profile[k], v.colors[k]);
    rename(profile[k], QString("species %1").arg(s.species));
  }
  for (std::size_t k = 1; k < 5; ++k)
    profile[k]->setVisible(present[k]);
  fitAxis(profileX_, 0, shown);
  fitAxis(profileY_, 0, dens.high);
  horizontal(even, 0, shown, 1);
  if (std::isfinite(inner) && inner < shown)
    interiorEdge->replace(QList<QPointF>{{inner, profileY_->min()}, {inner, profileY_->max()}});
  else
    interiorEdge->clear();
  profileNotice_->show(r.measuredTicks > 0 ? noRoom : waiting(r));

  if (!r.running || !noRoom.isEmpty()) {
    figures->setText(r.running ? QString::fromStdString(lab::noRoomText(r)) : waiting(r));
    return;
  }
  figures->setText(
      QString("Over the nominal density: η = N·π·σ²/(4·L²) = %1 (L = %2, the side the centres "
              "reach); Z = %3 against %4 for the bulk fluid less the walls' first-order term and "
              "%5 for the bulk fluid.\n"
              "Over the interior's density (centres %6 or more from every wall, where the layers "
              "at the walls have faded): η = %7; Z = %8 against %9 for the bulk fluid there.\n"
              "The bulk fluid: the virial series to B₁₀ (Clisby and McCoy 2006), Padé-resummed. "
              "Henderson's formula lies within 0.5 % of it up to η = 0.5, 1.1 % above at 0.6. "
              "From η = 0.70 the fluid meets the hexatic phase and no fluid equation applies.")
          .arg(number(r.eta), number(r.side), measured(r.Z), number(r.zWalled), number(r.zBulk),
               std::isfinite(r.interiorFrom) ? number(r.interiorFrom) + " u" : QString("—"),
               measured(r.etaInterior), measured(r.zInterior), number(r.zBulkInterior)));
}

DiffusionPanel::DiffusionPanel(QWidget* parent) : LabPanel(parent) {
  QChart* chart = labChart("Mean-squared displacement, walls unfolded");
  x_ = new QLogValueAxis;
  x_->setTitleText("lag [ticks]");
  x_->setBase(10);
  x_->setLabelFormat("%g");
  y_ = new QLogValueAxis;
  y_->setTitleText("MSD [units²]");
  y_->setBase(10);
  y_->setLabelFormat("%.0e");
  chart->addAxis(x_, Qt::AlignBottom);
  chart->addAxis(y_, Qt::AlignLeft);
  for (int g = 0; g <= 4; ++g) {
    msd[g] = lineSeries("", g == 0 ? gasColor : Qt::white, false, g == 0 ? 1.5 : 2);
    fit[g] = lineSeries("", g == 0 ? gasColor : Qt::white, true, 3);
    attach(chart, msd[g], x_, y_);
    attach(chart, fit[g], x_, y_);
  }
  enskog = lineSeries("Enskog", QColor(120, 200, 255), true, 2);
  QPen pen = enskog->pen();
  pen.setStyle(Qt::DotLine);
  enskog->setPen(pen);
  attach(chart, enskog, x_, y_);
  view_ = chartView(chart, "diffusion");
  notice_ = std::make_unique<ChartNotice>(chart);
  auto* caveat = new QLabel(
      "In two dimensions D grows with the box: a disc's velocity stays correlated with its past "
      "for long times (the autocorrelation's long-time tail), so no finite box holds the bulk's D. "
      "Enskog's D is taken at the interior's density, where the layers at the walls have faded.",
      this);
  caveat->setObjectName("diffusionCaveat");
  caveat->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_->box, 1);
  layout->addWidget(caveat);
}

void DiffusionPanel::refresh(const LabView& v) {
  const lab::Results& r = v.results;
  Span ys;
  double lagMax = 10;
  auto curve = [&](QLineSeries* s, const std::vector<double>& values) {
    QList<QPointF> points;
    for (std::size_t l = 0; l < values.size() && l < r.lags.size(); ++l)
      if (values[l] > 0) {
        points << QPointF(r.lags[l], values[l]);
        lagMax = std::max<double>(lagMax, r.lags[l]);
        ys.add(values[l]);
      }
    s->replace(points);
  };
  auto line = [&](QLineSeries* s, const lab::MeanSquaredDisplacement::Fit& f, double D) {
    QList<QPointF> points;
    if (f.fromLag > 0 && std::isfinite(D))
      for (double lag : {double(f.fromLag), double(f.toLag)})
        if (f.a + 4 * D * lag > 0) points << QPointF(lag, f.a + 4 * D * lag);
    s->replace(points);
  };
  auto fitName = [](const QString& who, const lab::MeanSquaredDisplacement::Fit& f) {
    return QString("%1: D = %2, lags %3–%4")
        .arg(who, measured({f.D, f.error}))
        .arg(f.fromLag)
        .arg(f.toLag);
  };
  notice_->show(r.measuredTicks > 1 ? QString() : waiting(r));
  curve(msd[0], r.tracerMsd);
  rename(msd[0], "particle 1");
  line(fit[0], r.tracer, r.tracer.D);
  rename(fit[0], fitName("particle 1", r.tracer));
  std::array<bool, 5> present{};
  present[0] = r.particles > 0;
  enskog->clear();
  enskog->setVisible(false);
  for (const lab::SpeciesResult& s : r.species) {
    const auto k = static_cast<std::size_t>(s.species);
    present[k] = true;
    recolor(msd[k], v.colors[k]);
    recolor(fit[k], v.colors[k]);
    curve(msd[k], s.msd);
    rename(msd[k], QString("species %1").arg(s.species));
    line(fit[k], s.diffusion, s.diffusion.D);
    rename(fit[k], fitName(QString("species %1").arg(s.species), s.diffusion));
    if (std::isfinite(s.enskogD) && s.diffusion.fromLag > 0) {
      line(enskog, s.diffusion, s.enskogD);
      rename(enskog, "Enskog at the interior's density: D = " + number(s.enskogD));
      enskog->setVisible(true);
    }
  }
  for (std::size_t k = 0; k < 5; ++k) {
    msd[k]->setVisible(present[k]);
    // A group without a straight range yet has no line, and no legend entry for one.
    fit[k]->setVisible(present[k] && fit[k]->count() > 0);
  }
  if (x_->max() < lagMax || x_->min() != 1) x_->setRange(1, std::max(10.0, 2 * lagMax));
  // Decades, changed only when the values leave them.
  if (std::isfinite(ys.low) && ys.low > 0) {
    if (ys.low < y_->min() || ys.high > y_->max() || ys.high < y_->max() / 1000)
      y_->setRange(std::pow(10, std::floor(std::log10(ys.low))),
                   std::pow(10, std::ceil(std::log10(ys.high))));
  } else if (y_->min() != 1 || y_->max() != 10) {
    y_->setRange(1, 10);
  }
}

CollisionPanel::CollisionPanel(QWidget* parent) : LabPanel(parent) {
  shareAxis_ = valueAxis("bound-pair share");
  shareAxis_->setRange(0, 1);
  time.chart->addAxis(shareAxis_, Qt::AlignRight);
  exchanges = time.add(lineSeries("exchanges", QColor(255, 200, 60)));
  newContacts = time.add(lineSeries("new contacts", QColor(120, 255, 120)));
  enskog = time.add(lineSeries("Enskog", QColor(120, 200, 255), true));
  boundShare = lineSeries("bound-pair share (right)", QColor(255, 120, 200), false, 1);
  attach(time.chart, boundShare, time.x, shareAxis_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(time.view->box);
}

void CollisionPanel::refresh(const LabView& v) {
  const lab::Results& r = v.results;
  time.notice->show(noHistory(r));
  const QList<QPointF> e = toPoints(lab::binMeans(v.history.exchanges));
  const QList<QPointF> n = toPoints(lab::binMeans(v.history.newContacts));
  exchanges->replace(e);
  newContacts->replace(n);
  boundShare->replace(toPoints(lab::binRatios(v.history.repeats, v.history.exchanges)));
  rename(exchanges, "exchanges: " + measured(r.exchanges));
  rename(newContacts, "new contacts: " + measured(r.newContacts));
  // Under the exact rule a repeat binds nothing: a tick outlasts the mean free time, and a
  // disc meets the same neighbour again within one.
  const QString share = r.exactRule ? "repeated partners, not binding" : "bound-pair share";
  rename(boundShare, share + " (right): " + measured(r.boundShare));
  if (shareAxis_->titleText() != share) shareAxis_->setTitleText(share);
  rename(enskog, "Enskog at the interior's density: " + number(r.enskogCollisions));
  Span ys;
  ys.add(e);
  ys.add(n);
  ys.add(0);
  ys.add(r.enskogCollisions);
  time.fit(r.ticks, ys.low, ys.high, v.history.events);
  horizontal(enskog, time.x->min(), time.x->max(), r.enskogCollisions);
}

HPanel::HPanel(QWidget* parent) : LabPanel(parent) {
  h = time.add(lineSeries("H measured", QColor(255, 200, 60)));
  maxwellian = time.add(lineSeries("Maxwellian", gasColor, true));
  averaged = time.add(lineSeries("H of every speed averaged", QColor(255, 140, 40), true));
  averaged->setPen(QPen(QColor(255, 140, 40), 2, Qt::DotLine));
  auto* caveat = new QLabel(
      "H over the last ticks counts each disc's reduced speed once a tick; a few discs' speeds "
      "change slowly, so it holds far fewer independent speeds than it counts, and H from so "
      "small a sample lies above its distribution's (about 0.04 above for the 43 discs at the "
      "start). Every speed of the averages, pooled, gives the gas's own distribution: it meets "
      "the Maxwellian in the same rings.",
      this);
  caveat->setObjectName("hCaveat");
  caveat->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(time.view->box, 1);
  layout->addWidget(caveat);
}

void HPanel::refresh(const LabView& v) {
  const lab::Results& r = v.results;
  const QList<QPointF> points = toPoints(lab::binMeans(v.history.h));
  time.notice->show(noHistory(r));
  h->replace(points);
  rename(h, QString::fromStdString(lab::hWindowText(r)));
  rename(maxwellian, "Maxwellian: " + number(r.hMaxwellian));
  rename(averaged, "H of every speed averaged: " + number(r.hAveraged));
  Span ys;
  ys.add(points);
  ys.add(r.hMaxwellian);
  ys.add(r.hAveraged);
  time.fit(r.ticks, ys.low, ys.high, v.history.events);
  horizontal(maxwellian, time.x->min(), time.x->max(), r.hMaxwellian);
  horizontal(averaged, time.x->min(), time.x->max(), r.hAveraged);
}

IntegrityPanel::IntegrityPanel(QWidget* parent) : LabPanel(parent) {
  energy = time.add(lineSeries("total energy", QColor(255, 200, 60)));
  figures = new QLabel(this);
  figures->setObjectName("integrityFigures");
  figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
  figures->setWordWrap(true);
  QFont f = figures->font();
  f.setPointSize(11);
  figures->setFont(f);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(time.view->box, 1);
  layout->addWidget(figures);
}

void IntegrityPanel::refresh(const LabView& v) {
  const lab::Results& r = v.results;
  const QList<QPointF> points = toPoints(lab::binMeans(v.history.energy));
  time.notice->show(noHistory(r));
  energy->replace(points);
  Span ys;
  ys.add(points);
  ys.add(r.energyAtStart);
  time.fit(r.ticks, ys.low, ys.high, v.history.events);
  if (!r.running) {
    figures->setText(waiting(r));
    return;
  }
  figures->setText(QString("Energy now %1, at the start %2; drift %3 per 10,000 ticks.\n"
                           "Momentum (%4, %5).\n%6\n"
                           "Rule: %7.   Ticks averaged %8 of %9.\n%10")
                       .arg(number(r.energy), number(r.energyAtStart), number(r.driftPer10k),
                            number(r.momentumX), number(r.momentumY))
                       .arg(QString::fromStdString(lab::escapeText(r)))
                       .arg(v.rule)
                       .arg(r.measuredTicks)
                       .arg(r.ticks)
                       .arg(QString::fromStdString(lab::runSeedText(r.seed))));
}

}  // namespace km
