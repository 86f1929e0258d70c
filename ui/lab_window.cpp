// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab_window.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

#include "conversions.h"
#include "kinetic_model.h"
#include "summary.h"
#include "tables.h"
#include "whole_file.h"

namespace km {
namespace {

constexpr double lowestFactor = 0.01, highestFactor = 100;
const char* const factorRefusal = "The factor must be a number from 0.01 to 100.";

}  // namespace

LabWindow::LabWindow(KineticModel& main)
    : QWidget(&main, Qt::Window), main_(main), lab_(main.model()) {
  setObjectName("LabWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Kinetic Model — Laboratory");
  pickFolder_ = [](QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
  };
  showMessage_ = [this](const QString& title, const QString& text) {
    QMessageBox::warning(this, title, text);
  };
  createControls();
  wireEvents();
  lab_.setSettings({warmup->value(), 0});
  // Opened during a run, it measures from now on.
  if (main_.hasRun()) main_RunStarted();
  fillSpecies(lab_.results());
  // The tab shown is drawn as soon as the window is, not only at the first refresh.
  QTimer::singleShot(0, this, [this] { refresh(); });
  refreshTimer->start();
}

LabWindow::~LabWindow() {
  // Without the laboratory the main window is as it always is: full speed, the model's rule.
  main_.setPace(1);
  main_.model().setCollisionRule(CollisionRule::Specified);
}

void LabWindow::createControls() {
  resize(1180, 760);
  createTabs();

  auto* paceBox = new QGroupBox("Pace");
  pace = new QComboBox;
  pace->setObjectName("pace");
  pace->addItems({"full speed (1 ms)", "250 ticks/s", "60 ticks/s", "10 ticks/s"});
  step = new QPushButton("Step");
  step->setObjectName("step");
  step->setToolTip("Runs exactly one tick while the gas is paused.");
  auto* paceLayout = new QHBoxLayout(paceBox);
  paceLayout->addWidget(pace, 1);
  paceLayout->addWidget(step);

  auto* ruleBox = new QGroupBox("Collision rule");
  ruleSpecified = new QRadioButton("specified");
  ruleSpecified->setObjectName("ruleSpecified");
  ruleExact = new QRadioButton("exact hard discs");
  ruleExact->setObjectName("ruleExact");
  ruleSpecified->setChecked(main_.model().collisionRule() == CollisionRule::Specified);
  ruleExact->setChecked(main_.model().collisionRule() == CollisionRule::Exact);
  auto* group = new QButtonGroup(ruleBox);
  group->addButton(ruleSpecified);
  group->addButton(ruleExact);
  auto* ruleNote = new QLabel(
      "Specified: every pair closer than the proximity at a tick exchanges momentum, even "
      "while separating. Exact: discs meet at exactly the proximity, in time order, and "
      "bounce.");
  ruleNote->setWordWrap(true);
  auto* ruleLayout = new QVBoxLayout(ruleBox);
  ruleLayout->addWidget(ruleSpecified);
  ruleLayout->addWidget(ruleExact);
  ruleLayout->addWidget(ruleNote);

  auto* experimentBox = new QGroupBox("Experiments");
  heatSpecies = new QComboBox;
  heatSpecies->setObjectName("heatSpecies");
  heatFactor = new MarkedField("2");
  heatFactor->setObjectName("heatFactor");
  heatFactor->setToolTip("Energy factor from 0.01 to 100: above 1 heats, below 1 cools.");
  heat = new QPushButton("Heat / cool");
  heat->setObjectName("heat");
  equalEnergies = new QPushButton("Equal energies");
  equalEnergies->setObjectName("equalEnergies");
  equalEnergies->setToolTip(
      "Gives every disc the gas's mean energy, directions kept: watch Maxwell–Boltzmann return.");
  auto* experimentLayout = new QFormLayout(experimentBox);
  // Labels above their fields leave the species list the box's whole width.
  experimentLayout->setRowWrapPolicy(QFormLayout::WrapAllRows);
  experimentLayout->addRow("species", heatSpecies);
  experimentLayout->addRow("factor in energy", heatFactor);
  experimentLayout->addRow(heat);
  experimentLayout->addRow(equalEnergies);

  auto* averageBox = new QGroupBox("Averages");
  warmup = new QSpinBox;
  warmup->setObjectName("warmup");
  warmup->setRange(0, 1000000);
  warmup->setValue(500);
  warmup->setSuffix(" ticks");
  auto* averageLayout = new QFormLayout(averageBox);
  averageLayout->addRow("warm-up", warmup);

  exportButton = new QPushButton("Export data…");
  exportButton->setObjectName("exportData");
  saveChartsButton = new QPushButton("Save charts…");
  saveChartsButton->setObjectName("saveCharts");
  note = new QLabel;
  note->setObjectName("note");
  note->setWordWrap(true);

  auto* side = new QVBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{paceBox, ruleBox, experimentBox, averageBox,
                                                    exportButton, saveChartsButton, note})
    side->addWidget(w);
  side->addStretch(1);
  // Below the size at which every chart and control reads whole, the window scrolls rather
  // than squeezing them.
  // The controls stay in view at any size, scrolling on their own when the window is short.
  auto* content = new QWidget;
  content->setObjectName("labContent");
  content->setMinimumSize(minimumContent - QSize(sideWidth, 0));
  auto* contentLayout = new QHBoxLayout(content);
  contentLayout->setContentsMargins(9, 9, 0, 9);
  contentLayout->addWidget(tabs, 1);
  auto* sideWidget = new QWidget;
  sideWidget->setObjectName("labSide");
  sideWidget->setLayout(side);
  scroll = new QScrollArea;
  scroll->setObjectName("labScroll");
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  sideScroll = new QScrollArea;
  sideScroll->setObjectName("labSideScroll");
  sideScroll->setWidgetResizable(true);
  sideScroll->setFrameShape(QFrame::NoFrame);
  sideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sideScroll->setWidget(sideWidget);
  sideScroll->setFixedWidth(sideWidth);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(scroll, 1);
  layout->addWidget(sideScroll);
  setMinimumSize(360, 280);

  refreshTimer = new QTimer(this);
  refreshTimer->setInterval(100);
  settleTimer = new QTimer(this);
  settleTimer->setSingleShot(true);
  settleTimer->setInterval(700);
}

void LabWindow::createTabs() {
  tabs = new QTabWidget(this);
  tabs->setObjectName("labTabs");
  speedQuantity = new QComboBox;
  speedQuantity->setObjectName("speedQuantity");
  speedQuantity->addItems({"speed", "velocity component x", "velocity component y"});
  equationOfState = new EquationOfStatePanel;
  equationOfState->setRowsShown([this] { drawTab(7); });
  for (int k = 0; k < static_cast<int>(labTabNames.size()); ++k) {
    QWidget* header = k == 0   ? static_cast<QWidget*>(speedQuantity)
                      : k == 7 ? static_cast<QWidget*>(equationOfState)
                               : nullptr;
    const std::string_view name = labTabNames[static_cast<std::size_t>(k)];
    tabs->addTab(new LabTabView(k, header),
                 QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
}

void LabWindow::wireEvents() {
  connect(&main_, &KineticModel::ticked, this, &LabWindow::main_Ticked);
  connect(&main_, &KineticModel::runStarted, this, &LabWindow::main_RunStarted);
  for (QLineEdit* field :
       {static_cast<QLineEdit*>(main_.txtProximity), static_cast<QLineEdit*>(main_.txt_how_many[0]),
        static_cast<QLineEdit*>(main_.txt_how_many[1]),
        static_cast<QLineEdit*>(main_.txt_how_many[2]),
        static_cast<QLineEdit*>(main_.txt_how_many[3])}) {
    connect(field, &QLineEdit::textEdited, this, &LabWindow::main_FieldEdited);
    connect(field, &QLineEdit::editingFinished, this, &LabWindow::settleTimer_Timeout);
  }
  connect(settleTimer, &QTimer::timeout, this, &LabWindow::settleTimer_Timeout);
  connect(refreshTimer, &QTimer::timeout, this, &LabWindow::refreshTimer_Timeout);
  connect(pace, &QComboBox::currentIndexChanged, this, &LabWindow::pace_Change);
  connect(step, &QPushButton::clicked, this, &LabWindow::step_Click);
  connect(ruleExact, &QRadioButton::toggled, this, &LabWindow::rule_Toggled);
  connect(heatFactor, &QLineEdit::textChanged, this, &LabWindow::heatFactor_Change);
  connect(heat, &QPushButton::clicked, this, &LabWindow::heat_Click);
  connect(equalEnergies, &QPushButton::clicked, this, &LabWindow::equalEnergies_Click);
  connect(warmup, &QSpinBox::valueChanged, this, &LabWindow::warmup_Change);
  connect(exportButton, &QPushButton::clicked, this, &LabWindow::exportData_Click);
  connect(saveChartsButton, &QPushButton::clicked, this, &LabWindow::saveCharts_Click);
  connect(speedQuantity, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
  connect(tabs, &QTabWidget::currentChanged, this, [this] { refresh(); });
}

void LabWindow::main_Ticked() {
  lab_.afterTick();
}

void LabWindow::main_RunStarted() {
  lab_.runStarted(main_.seed());
  if (main_.model().collisionRule() == CollisionRule::Exact)
    lab_.restartAverages("rule: exact hard discs");
  // What the last run's experiments said is not about this one.
  note->clear();
  fillSpecies(lab_.results());
  refresh();
}

void LabWindow::main_FieldEdited() {
  lab_.holdChangeEvents(true);
  settleTimer->start();
}

void LabWindow::settleTimer_Timeout() {
  settleTimer->stop();
  lab_.holdChangeEvents(false);
}

void LabWindow::refreshTimer_Timeout() {
  step->setEnabled(main_.hasRun() && !main_.timerEnabled());
  if (lab_.ticks() == shownTick_) return;
  QElapsedTimer clock;
  clock.start();
  refresh();
  // What the charts took since the last refresh, painting included, sets the next interval
  // to 50 times that: 2 % of the time measured here, about as much again in the chart scenes'
  // own updates, so that the main window keeps 95 % of its ticks. At most 10 refreshes a
  // second, at least one.
  qint64 cost = clock.nsecsElapsed();
  for (int k = 0; k < tabs->count(); ++k)
    for (ChartView* v : tab(k)->views())
      cost += v->takePaintTime();
  refreshTimer->setInterval(std::clamp(static_cast<int>(cost * 50 / 1000000), 100, 1000));
}

void LabWindow::pace_Change(int index) {
  if (index >= 0 && index < 4) main_.setPace(paceIntervals[index]);
}

void LabWindow::step_Click() {
  main_.stepOnce();
  refresh();
}

void LabWindow::rule_Toggled() {
  Simulation& sim = main_.model();
  const CollisionRule wanted =
      ruleExact->isChecked() ? CollisionRule::Exact : CollisionRule::Specified;
  if (wanted == sim.collisionRule()) return;
  if (wanted == CollisionRule::Exact && main_.hasRun()) {
    // Discs that overlap now are pushed apart before the exact rule takes them; a gas too
    // dense for that stays under the specified rule.
    const std::string why = sim.separateOverlaps();
    if (!why.empty()) {
      note->setText(QString::fromStdString(why));
      const QSignalBlocker block(ruleSpecified);
      const QSignalBlocker blockExact(ruleExact);
      ruleSpecified->setChecked(true);
      return;
    }
  }
  sim.setCollisionRule(wanted);
  lab_.restartAverages(wanted == CollisionRule::Exact ? "rule: exact hard discs"
                                                      : "rule: specified");
  note->setText(wanted == CollisionRule::Exact ? "Exact hard discs from the next tick."
                                               : "The specified rule from the next tick.");
  refresh();
}

bool LabWindow::factorTaken() const {
  const NumericText f = readNumericText(heatFactor->text().toStdString());
  return f.status == NumericText::Ok && f.value >= lowestFactor && f.value <= highestFactor;
}

void LabWindow::heatFactor_Change() {
  const bool ok = factorTaken();
  heatFactor->mark(ok ? QString() : factorRefusal);
  if (ok) heatFactor->setToolTip("Energy factor from 0.01 to 100: above 1 heats, below 1 cools.");
  heat->setEnabled(ok && heatSpecies->count() > 0);
  note->setText(ok ? QString() : factorRefusal);
}

void LabWindow::heat_Click() {
  if (!factorTaken()) {
    note->setText(factorRefusal);
    return;
  }
  const double factor = readNumericText(heatFactor->text().toStdString()).value;
  const int species = heatSpecies->currentData().toInt();
  const std::string why = lab_.heat(species, factor);
  note->setText(
      why.empty()
          ? QString("Species %1: energy times %2.").arg(species).arg(heatFactor->text().trimmed())
          : QString::fromStdString(why));
  refresh();
}

void LabWindow::equalEnergies_Click() {
  if (!lab_.running()) {
    note->setText("No gas is running.");
    return;
  }
  lab_.equalEnergies();
  note->setText("Every disc now has the gas's mean energy.");
  refresh();
}

void LabWindow::warmup_Change(int ticks) {
  lab_.setSettings({ticks, 0});
  lab_.restartAverages("warm-up " + std::to_string(ticks));
  refresh();
}

void LabWindow::exportData_Click() {
  const QString folder = pickFolder_(this, "Export the laboratory's data into");
  if (folder.isEmpty()) return;
  const QString why = exportData(folder);
  if (!why.isEmpty()) showMessage_("Kinetic Model", "The data could not be written:\n\n" + why);
  note->setText(
      why.isEmpty()
          ? "Data written to " + folder
          : QString("Export failed: %1 of 5 files not written.").arg(why.count('\n') + 1));
}

void LabWindow::saveCharts_Click() {
  const QString folder = pickFolder_(this, "Save the charts into");
  if (folder.isEmpty()) return;
  const QString why = saveCharts(folder);
  if (!why.isEmpty()) showMessage_("Kinetic Model", "The charts could not be saved:\n\n" + why);
  note->setText(why.isEmpty() ? "Charts saved to " + folder : "Saving failed.");
}

QString LabWindow::exportData(const QString& folder) {
  // Each file whole or not at all; every one that failed is named with the system's reason.
  QStringList failed;
  for (const auto& [name, text] : lab::exportedFiles(lab_.results(), lab_.history())) {
    const std::string why = lab::writeWholeFile(
        QDir(folder).filePath(QString::fromStdString(name)).toStdString(), text);
    if (!why.empty())
      failed << QString("%1: %2").arg(QString::fromStdString(name), QString::fromStdString(why));
  }
  return failed.join("\n");
}

QString LabWindow::saveCharts(const QString& folder) {
  refresh(true);
  QStringList failed;
  for (int k = 0; k < tabs->count(); ++k)
    for (ChartView* view : tab(k)->views()) {
      if (view->box->size().isEmpty() || !view->box->isVisible()) {
        view->box->resize(880, 640);
        view->box->layout()->activate();
      }
      const QString name = view->objectName() + ".png";
      QByteArray png;
      QBuffer buffer(&png);
      buffer.open(QIODevice::WriteOnly);
      view->box->grab().save(&buffer, "PNG");
      const std::string why = lab::writeWholeFile(QDir(folder).filePath(name).toStdString(),
                                                  std::string_view(png.constData(), png.size()));
      if (!why.empty()) failed << QString("%1: %2").arg(name, QString::fromStdString(why));
    }
  return failed.join("\n");
}

void LabWindow::fillSpecies(const lab::Results& r) {
  QStringList names;
  QList<int> species;
  for (const lab::SpeciesResult& s : r.species) {
    names << QString("species %1 (%2 disc%3)")
                 .arg(s.species)
                 .arg(s.count)
                 .arg(s.count == 1 ? "" : "s");
    species << s.species;
  }
  const QString shown = names.join('\n');
  if (shown != speciesShown_) {
    speciesShown_ = shown;
    const int chosen = heatSpecies->currentData().toInt();
    heatSpecies->clear();
    for (int k = 0; k < names.size(); ++k)
      heatSpecies->addItem(names[k], species[k]);
    const int at = heatSpecies->findData(chosen);
    if (at >= 0) heatSpecies->setCurrentIndex(at);
  }
  heat->setEnabled(heatSpecies->count() > 0 && factorTaken());
  equalEnergies->setEnabled(heatSpecies->count() > 0);
}

LabTabView* LabWindow::tab(int index) const {
  return static_cast<LabTabView*>(tabs->widget(index));
}

ChartView* LabWindow::chart(const QString& id) const {
  for (int k = 0; k < tabs->count(); ++k)
    if (ChartView* view = tab(k)->chart(id)) return view;
  return nullptr;
}

void LabWindow::drawTab(int index) {
  drawTab(index, lab_.results());
}

void LabWindow::drawTab(int index, const lab::Results& r) {
  tab(index)->draw(labTab(index, speedQuantity->currentIndex(), r, lab_, main_.model(),
                          equationOfState->rows()));
}

void LabWindow::refresh(bool every) {
  if (!every && !isVisible()) return;
  const lab::Results r = lab_.results();
  // Counts typed during the run change the species on offer.
  fillSpecies(r);
  if (every) {
    for (int k = 0; k < tabs->count(); ++k)
      drawTab(k, r);
  } else {
    drawTab(tabs->currentIndex(), r);
  }
  shownTick_ = lab_.ticks();
  ++refreshes_;
}

}  // namespace km
