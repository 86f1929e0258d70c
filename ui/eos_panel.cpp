// SPDX-License-Identifier: GPL-3.0-or-later
#include "eos_panel.h"

#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <cmath>

#include "lab_rules.h"
#include "summary.h"
#include "sweep_table.h"
#include "whole_file.h"

namespace km {

EquationOfStatePanel::EquationOfStatePanel(QWidget* parent) : QWidget(parent) {
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
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form);
  layout->addLayout(buttons);

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
  const std::string why = LabRules::readSweepSettings(
      {QString::number(discs->value()).toStdString(), etas->text().toStdString(),
       seeds->text().toStdString(), QString::number(warmup->value()).toStdString(),
       QString::number(ticks->value()).toStdString()},
      s);
  // One core is left to the window and its gas.
  s.jobs = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
  return QString::fromStdString(why);
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
      refused << QString("η = %1: %2")
                     .arg(QString::fromStdString(lab::numberText(r.eta)),
                          QString::fromStdString(r.problem));
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
  saveButton->setEnabled(!rows.empty());
  if (rowsShown_) rowsShown_();
}

}  // namespace km
