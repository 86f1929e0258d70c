// SPDX-License-Identifier: GPL-3.0-or-later
#include "eos_panel.h"

#include <QAreaSeries>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QVBoxLayout>
#include <cmath>

#include "conversions.h"
#include "panel_text.h"
#include "sweep_table.h"
#include "theory.h"
#include "whole_file.h"

namespace km {

using namespace panel;

namespace {

constexpr double etaShown = 0.8;

QScatterSeries* points(const QString& name, const QColor& color, qreal size,
                       QScatterSeries::MarkerShape shape = QScatterSeries::MarkerShapeCircle) {
  auto* s = new QScatterSeries;
  s->setName(name);
  s->setColor(color);
  s->setBorderColor(color);
  s->setMarkerSize(size);
  s->setMarkerShape(shape);
  return s;
}

// The typed list of numbers, or false.
template <class T>
bool numbersOf(const QString& text, std::vector<T>& out, double low, double high) {
  out.clear();
  for (const QString& part : text.split(',')) {
    const NumericText n = readNumericText(part.trimmed().toStdString());
    if (n.status != NumericText::Ok || !(n.value >= low && n.value <= high)) return false;
    if (std::is_integral_v<T> && n.value != std::floor(n.value)) return false;
    out.push_back(static_cast<T>(n.value));
  }
  return !out.empty();
}

}  // namespace

EquationOfStatePanel::EquationOfStatePanel(QWidget* parent) : LabPanel(parent) {
  discs = new QSpinBox;
  discs->setObjectName("sweepDiscs");
  discs->setRange(1, 500);
  discs->setValue(500);
  etas = new QLineEdit("0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.65, 0.7");
  etas->setObjectName("sweepEtas");
  seeds = new QLineEdit("1");
  seeds->setObjectName("sweepSeeds");
  warmup = new QSpinBox;
  warmup->setObjectName("sweepWarmup");
  warmup->setRange(0, 1000000);
  warmup->setValue(5000);
  warmup->setSuffix(" ticks");
  ticks = new QSpinBox;
  ticks->setObjectName("sweepTicks");
  ticks->setRange(1, 10000000);
  ticks->setValue(20000);
  ticks->setSuffix(" ticks");
  runButton = new QPushButton("Run sweep");
  runButton->setObjectName("runSweep");
  runButton->setToolTip(
      "Runs each packing fraction with each seed under the exact rule, on every core but one, "
      "which the gas in the main window keeps.");
  stopButton = new QPushButton("Stop");
  stopButton->setObjectName("stopSweep");
  stopButton->setEnabled(false);
  loadButton = new QPushButton("Load CSV…");
  loadButton->setObjectName("loadSweep");
  loadButton->setToolTip("Loads a sweep that kinetic-measure --sweep --format csv wrote.");
  saveButton = new QPushButton("Save CSV…");
  saveButton->setObjectName("saveSweep");
  progress = new QProgressBar;
  progress->setObjectName("sweepProgress");
  progress->setRange(0, 1000);
  progress->setValue(0);
  progress->setFormat("no sweep yet");
  progress->setTextVisible(true);

  QChart* chart = labChart("Equation of state: Z against the packing fraction");
  x_ = valueAxis("packing fraction η = N·π·σ²/(4·L²)");
  y_ = valueAxis("Z");
  x_->setRange(0, etaShown);
  chart->addAxis(x_, Qt::AlignBottom);
  chart->addAxis(y_, Qt::AlignLeft);
  bulk = lineSeries("bulk fluid: virial series to B₁₀, Padé-resummed", QColor(150, 255, 150));
  henderson =
      lineSeries("Henderson: within 0.5 % of the bulk to η = 0.5", QColor(120, 200, 255), true);
  ideal = lineSeries("ideal gas", gasColor, true, 1);
  hexatic = lineSeries("η ≥ 0.70, the fluid meets the hexatic phase: no fluid equation applies",
                       QColor(200, 120, 255), true, 2);
  for (QLineSeries* s : {bulk, henderson, ideal, hexatic})
    attach(chart, s, x_, y_);
  for (int k = 0; k <= 140; ++k) {
    const double eta = k * 0.005;
    const double b = theory::bulkZ(std::min(eta, 0.6999));
    bulk->append(std::min(eta, 0.6999), b);
    henderson->append(eta, theory::hendersonZ(eta));
  }
  ideal->append(0, 1);
  ideal->append(etaShown, 1);
  nominal = points("sweep, over the nominal density", QColor(255, 200, 60), 9);
  interior = points("sweep, over the interior's density", QColor(255, 120, 40), 9,
                    QScatterSeries::MarkerShapeRectangle);
  nowNominal =
      points("the gas now, nominal", QColor(255, 255, 255), 12, QScatterSeries::MarkerShapeStar);
  nowInterior =
      points("the gas now, interior", QColor(255, 160, 160), 12, QScatterSeries::MarkerShapeStar);
  for (QScatterSeries* s : {nominal, interior, nowNominal, nowInterior})
    attach(chart, s, x_, y_);
  view_ = chartView(chart, "equation-of-state");

  table = new QTableWidget(0, 8);
  table->setObjectName("sweepTable");
  table->setHorizontalHeaderLabels({"η", "Z", "walls, 1st order", "bulk", "η interior",
                                    "Z interior", "bulk at η interior", "runs"});
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  // A refusal's reason is long: its cell wraps and its row grows to hold it.
  table->setWordWrap(true);
  table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setMinimumHeight(120);

  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::DontWrapRows);
  auto* first = new QHBoxLayout;
  first->addWidget(discs);
  first->addWidget(new QLabel("seeds"));
  first->addWidget(seeds);
  first->addWidget(new QLabel("warm-up"));
  first->addWidget(warmup);
  first->addWidget(new QLabel("averaged"));
  first->addWidget(ticks);
  form->addRow("discs", first);
  form->addRow("packing fractions", etas);
  auto* buttons = new QHBoxLayout;
  for (QWidget* w :
       std::initializer_list<QWidget*>{runButton, stopButton, progress, loadButton, saveButton})
    buttons->addWidget(w, w == progress ? 1 : 0);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(view_->box, 3);
  layout->addWidget(table, 1);

  pollTimer = new QTimer(this);
  pollTimer->setInterval(200);
  pickFile_ = [](QWidget* parent, bool save) {
    return save ? QFileDialog::getSaveFileName(parent, "Save the sweep", "sweep.csv",
                                               "CSV tables (*.csv)")
                : QFileDialog::getOpenFileName(parent, "Load a sweep", QString(),
                                               "CSV tables (*.csv);;All files (*)");
  };
  showMessage_ = [this](const QString& text) { QMessageBox::warning(this, "Kinetic Model", text); };
  connect(runButton, &QPushButton::clicked, this, &EquationOfStatePanel::run_Click);
  connect(stopButton, &QPushButton::clicked, this, &EquationOfStatePanel::stop_Click);
  connect(loadButton, &QPushButton::clicked, this, &EquationOfStatePanel::load_Click);
  connect(saveButton, &QPushButton::clicked, this, &EquationOfStatePanel::save_Click);
  connect(pollTimer, &QTimer::timeout, this, &EquationOfStatePanel::pollTimer_Timeout);
  showRows({});
}

EquationOfStatePanel::~EquationOfStatePanel() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

QString EquationOfStatePanel::readSettings(lab::SweepSettings& s) const {
  s.discs = discs->value();
  s.warmup = warmup->value();
  s.ticks = ticks->value();
  s.rule = CollisionRule::Exact;
  // One core is left to the window and its gas.
  s.jobs = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
  if (!numbersOf(etas->text(), s.etas, 0.001, 0.8))
    return "The packing fractions must be numbers above 0 and at most 0.8, separated by commas.";
  if (!numbersOf(seeds->text(), s.seeds, 0, 4294967295.0))
    return "The seeds must be whole numbers from 0 to 4294967295, separated by commas.";
  return "";
}

void EquationOfStatePanel::run_Click() {
  if (sweeping()) return;
  lab::SweepSettings s;
  const QString why = readSettings(s);
  if (!why.isEmpty()) {
    showMessage_(why);
    return;
  }
  // The last sweep's points and rows are not this one's: gone until this one ends.
  showRows({});
  madeBy_ = s;
  progress->setValue(0);
  stop_ = false;
  finished_ = false;
  done_ = 0;
  total_ = (s.warmup + s.ticks) * static_cast<long>(s.etas.size() * s.seeds.size());
  lab::Control control;
  control.stop = [this] { return stop_.load(); };
  control.progress = [this](long done, long) { done_ = done; };
  worker_ = std::thread([this, s, control] {
    result_ = lab::runSweep(s, control);
    finished_ = true;
  });
  runButton->setEnabled(false);
  loadButton->setEnabled(false);
  stopButton->setEnabled(true);
  progress->setFormat("running: %p %");
  pollTimer->start();
}

void EquationOfStatePanel::stop_Click() {
  stop_ = true;
}

void EquationOfStatePanel::pollTimer_Timeout() {
  const long total = std::max(1L, total_.load());
  progress->setValue(static_cast<int>(1000.0 * static_cast<double>(done_) / total));
  if (finished_) finish();
}

void EquationOfStatePanel::finish() {
  pollTimer->stop();
  worker_.join();
  runButton->setEnabled(true);
  loadButton->setEnabled(true);
  stopButton->setEnabled(false);
  progress->setFormat(stop_ ? "stopped: the rows hold the runs that finished" : "done");
  if (!stop_) progress->setValue(progress->maximum());
  showRows(result_);
  QStringList refused;
  for (const lab::SweepRow& r : result_)
    if (!r.problem.empty())
      refused << QString("η = %1: %2").arg(number(r.eta), QString::fromStdString(r.problem));
  if (!refused.isEmpty()) showMessage_("Some runs did not run:\n\n" + refused.join("\n"));
}

void EquationOfStatePanel::load_Click() {
  const QString path = pickFile_(this, false);
  if (path.isEmpty()) return;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    showMessage_("The sweep could not be read:\n\n" + path + ": " + f.errorString());
    return;
  }
  std::string problem;
  lab::SweepTableSettings read;
  const std::vector<lab::SweepRow> rows =
      lab::readSweepCsv(f.readAll().toStdString(), problem, &read);
  if (!problem.empty()) {
    showMessage_("The sweep could not be read:\n\n" + QString::fromStdString(problem));
    return;
  }
  showRows(rows);
  progress->setValue(0);
  progress->setFormat("loaded " + QFileInfo(path).fileName());
  // The fields show the file's settings where it holds them; a sweep run from them again is
  // the file's (the exact rule here, as its own runs).
  if (read.discs > 0) discs->setValue(read.discs);
  QStringList typed;
  for (double eta : read.etas)
    typed << QString::fromStdString(lab::numberText(eta));
  if (!typed.isEmpty()) etas->setText(typed.join(", "));
  typed.clear();
  for (std::uint32_t seed : read.seeds)
    typed << QString::number(seed);
  if (!typed.isEmpty()) seeds->setText(typed.join(", "));
  if (read.warmup >= 0)
    warmup->setValue(static_cast<int>(std::min<long>(read.warmup, warmup->maximum())));
  if (read.ticks > 0)
    ticks->setValue(static_cast<int>(std::min<long>(read.ticks, ticks->maximum())));
  madeBy_.reset();
  if (read.discs > 0 && read.warmup >= 0 && read.ticks > 0 && !read.rule.empty()) {
    lab::SweepSettings s;
    s.discs = read.discs;
    s.etas = read.etas;
    s.seeds = read.seeds;
    s.warmup = read.warmup;
    s.ticks = read.ticks;
    s.rule = read.rule == "exact" ? CollisionRule::Exact : CollisionRule::Specified;
    madeBy_ = s;
  }
}

void EquationOfStatePanel::save_Click() {
  const QString path = pickFile_(this, true);
  if (path.isEmpty()) return;
  const std::string why =
      lab::writeWholeFile(path.toStdString(), lab::sweepCsv(rows_, madeBy_ ? &*madeBy_ : nullptr));
  if (!why.empty())
    showMessage_("The sweep could not be written:\n\n" + path + ": " + QString::fromStdString(why));
}

void EquationOfStatePanel::showRows(const std::vector<lab::SweepRow>& rows) {
  rows_ = rows;
  QList<QPointF> atNominal, atInterior;
  Span ys;
  ys.add(0);
  ys.add(4);
  for (const lab::SweepRow& r : rows) {
    if (std::isfinite(r.z.value)) atNominal << QPointF(r.eta, r.z.value);
    if (std::isfinite(r.zInterior.value))
      atInterior << QPointF(r.etaInterior.value, r.zInterior.value);
    ys.add(r.z.value + (std::isfinite(r.z.error) ? r.z.error : 0));
    ys.add(r.zInterior.value);
  }
  nominal->replace(atNominal);
  interior->replace(atInterior);
  // Error bars, one short vertical line per point with an error.
  std::size_t used = 0;
  auto bar = [&](double x, double y, double e) {
    if (!std::isfinite(x) || !std::isfinite(y) || !(e > 0)) return;
    if (used == bars_.size()) {
      QLineSeries* line = lineSeries("", QColor(255, 200, 60), false, 2);
      attach(view_->chart(), line, x_, y_);
      hideFromLegend(line);
      bars_.push_back(line);
    }
    bars_[used]->replace(QList<QPointF>{{x, y - e}, {x, y + e}});
    bars_[used]->setVisible(true);
    ++used;
  };
  for (const lab::SweepRow& r : rows) {
    bar(r.eta, r.z.value, r.z.error);
    bar(r.etaInterior.value, r.zInterior.value, r.zInterior.error);
  }
  for (std::size_t k = used; k < bars_.size(); ++k)
    bars_[k]->setVisible(false);
  y_->setRange(0, std::ceil(std::max(ys.high, 12.0)));
  hexatic->replace(QList<QPointF>{{theory::fluidEnds, 0}, {theory::fluidEnds, y_->max()}});
  saveButton->setEnabled(!rows.empty());

  table->setRowCount(static_cast<int>(rows.size()));
  for (int k = 0; k < static_cast<int>(rows.size()); ++k) {
    const std::vector<std::string> cells = lab::sweepTableCells(rows[static_cast<std::size_t>(k)]);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      const QString text = QString::fromStdString(cells[static_cast<std::size_t>(c)]);
      auto* item = new QTableWidgetItem(text);
      item->setToolTip(text);
      table->setItem(k, c, item);
    }
  }
}

void EquationOfStatePanel::refresh(const LabView& v) {
  const lab::Results& r = v.results;
  const bool measured = r.running && r.measuredTicks > 0;
  nowNominal->replace(measured && std::isfinite(r.Z.value) ? QList<QPointF>{{r.eta, r.Z.value}}
                                                           : QList<QPointF>{});
  nowInterior->replace(measured && std::isfinite(r.zInterior.value)
                           ? QList<QPointF>{{r.etaInterior.value, r.zInterior.value}}
                           : QList<QPointF>{});
  rename(nowNominal, "the gas now, nominal: Z " + panel::measured(r.Z));
  rename(nowInterior, "the gas now, interior: Z " + panel::measured(r.zInterior));
  nowNominal->setVisible(nowNominal->count() > 0);
  nowInterior->setVisible(nowInterior->count() > 0);
}

}  // namespace km
