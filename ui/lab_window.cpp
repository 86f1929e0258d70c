// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab_window.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

#include "kinetic_model.h"
#include "run_limits.h"
#include "whole_file.h"

namespace km {
namespace {

QString captionOf(const char* id) {
  return QString::fromStdString(LabRules::caption(id));
}

// A field or button named by its id, its text and tip the laboratory's captions; a label
// for a field.
template <class Field>
Field* captioned(Field* field, const char* name, const char* tip) {
  field->setObjectName(name);
  field->setText(captionOf(name));
  if (*tip) field->setToolTip(captionOf(tip));
  return field;
}
QPushButton* captionedButton(const char* name, const char* tip) {
  return captioned(new QPushButton, name, tip);
}
QLabel* buddyLabel(const char* caption, QWidget* buddy) {
  auto* l = new QLabel(captionOf(caption));
  l->setBuddy(buddy);
  return l;
}

// The tab bar's style with two thirds of its space beside each tab's name, so that all
// thirteen names fit the bar at the window's default size rather than behind scroll arrows. The
// names are laid out within the same space, so each stays whole.
class CompactTabs : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    return metric == PM_TabBarTabHSpace ? value * 2 / 3 : value;
  }
};

}  // namespace

// Opened during a run, the rules measure from now on.
LabWindow::LabWindow(KineticModel& main)
    : QWidget(&main, Qt::Window), main_(main), rules_(main.rules(), main.seed()) {
  setObjectName("LabWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(captionOf("labTitle"));
  pickFolder_ = [](QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
  };
  showMessage_ = [this](const QString& title, const QString& text) {
    QMessageBox::warning(this, title, text);
  };
  createControls();
  wireEvents();
  fillSpecies(lab_.results());
  // The tab shown is drawn as soon as the window is, not only at the first refresh.
  QTimer::singleShot(0, this, [this] { refresh(); });
  refreshTimer->start();
}

void LabWindow::createControls() {
  resize(1280, 900);
  createTabs();

  auto* paceBox = new QGroupBox(captionOf("paceBox"));
  pace = new QComboBox;
  pace->setObjectName("pace");
  for (const std::string& name : LabRules::paceNames)
    pace->addItem(QString::fromStdString(name));
  pace->setCurrentIndex(rules_.paceIndex());
  step = new QPushButton(captionOf("step"));
  step->setObjectName("step");
  step->setToolTip(captionOf("stepTip"));
  auto* paceLayout = new QHBoxLayout(paceBox);
  paceLayout->addWidget(pace, 1);
  paceLayout->addWidget(step);

  auto* ruleBox = new QGroupBox(captionOf("ruleBox"));
  ruleSpecified = new QRadioButton(captionOf("ruleSpecified"));
  ruleSpecified->setObjectName("ruleSpecified");
  ruleExact = new QRadioButton(captionOf("ruleExact"));
  ruleExact->setObjectName("ruleExact");
  ruleSpecified->setChecked(!rules_.ruleExact());
  ruleExact->setChecked(rules_.ruleExact());
  auto* group = new QButtonGroup(ruleBox);
  group->addButton(ruleSpecified);
  group->addButton(ruleExact);
  auto* ruleNote = new QLabel(captionOf("ruleNote"));
  ruleNote->setWordWrap(true);
  auto* ruleLayout = new QVBoxLayout(ruleBox);
  ruleLayout->addWidget(ruleSpecified);
  ruleLayout->addWidget(ruleExact);
  ruleLayout->addWidget(ruleNote);

  auto* experimentBox = new QGroupBox(captionOf("experimentBox"));
  heatSpecies = new QComboBox;
  heatSpecies->setObjectName("heatSpecies");
  heatFactor = new MarkedField(captionOf("heatFactor"));
  heatFactor->setObjectName("heatFactor");
  heatFactor->setToolTip(captionOf("heatFactorTip"));
  heat = new QPushButton(captionOf("heat"));
  heat->setObjectName("heat");
  equalEnergies = new QPushButton(captionOf("equalEnergies"));
  equalEnergies->setObjectName("equalEnergies");
  equalEnergies->setToolTip(captionOf("equalEnergiesTip"));
  auto* experimentLayout = new QFormLayout(experimentBox);
  // Labels beside their fields and the two buttons side by side: the column's height is what
  // keeps it in view at the window's default size. A label too long for the row goes above.
  experimentLayout->setRowWrapPolicy(QFormLayout::WrapLongRows);
  experimentLayout->addRow(captionOf("heatSpeciesLabel"), heatSpecies);
  experimentLayout->addRow(captionOf("heatFactorLabel"), heatFactor);
  auto* experimentButtons = new QHBoxLayout;
  experimentButtons->addWidget(heat);
  experimentButtons->addWidget(equalEnergies);
  experimentLayout->addRow(experimentButtons);

  auto* averageBox = new QGroupBox(captionOf("averageBox"));
  warmup = new QSpinBox;
  warmup->setObjectName("warmup");
  warmup->setRange(0, static_cast<int>(lab::maxWarmupTicks));
  warmup->setValue(static_cast<int>(rules_.warmup()));
  warmup->setSuffix(" " + captionOf("warmupUnit"));
  auto* averageLayout = new QFormLayout(averageBox);
  averageLayout->addRow(captionOf("warmupLabel"), warmup);
  QWidget* wallsBox = createWalls();
  QWidget* gasLawBox = createGasLaws();
  QWidget* fieldBox = createField();

  exportButton = new QPushButton(captionOf("exportData"));
  exportButton->setObjectName("exportData");
  saveChartsButton = new QPushButton(captionOf("saveCharts"));
  saveChartsButton->setObjectName("saveCharts");
  note = new QLabel;
  note->setObjectName("note");
  note->setWordWrap(true);

  auto* exports = new QWidget;
  auto* exportsLayout = new QHBoxLayout(exports);
  exportsLayout->setContentsMargins(0, 0, 0, 0);
  exportsLayout->addWidget(exportButton);
  exportsLayout->addWidget(saveChartsButton);

  auto* side = new QVBoxLayout;
  // Close together, so that the whole column fits the window's default height; below it the
  // column scrolls, following the keyboard's focus. The walls and the gas laws beneath the
  // exports, so that every earlier control keeps its place.
  side->setSpacing(4);
  side->setContentsMargins(9, 4, 9, 4);
  for (QWidget* w : std::initializer_list<QWidget*>{paceBox, ruleBox, experimentBox, averageBox,
                                                    exports, wallsBox, gasLawBox, fieldBox, note}) {
    side->addWidget(w);
    if (w->layout() && w != exports) w->layout()->setContentsMargins(6, 2, 6, 4);
  }
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
  auto* compact = new CompactTabs;
  compact->setParent(tabs->tabBar());
  tabs->tabBar()->setStyle(compact);
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

QWidget* LabWindow::createWalls() {
  auto* box = new QGroupBox(captionOf("wallsBox"));
  box->setObjectName("wallsBox");
  auto* layout = new QVBoxLayout(box);
  // Rows close together, so that the column grows by as little as it can.
  layout->setSpacing(3);
  auto edit = [](auto* field, const char* name, const char* tip) {
    return captioned(field, name, tip);
  };
  const auto label = buddyLabel;
  const auto button = captionedButton;
  // Each row's two fields share the width its captions leave.
  auto row = [&](std::initializer_list<std::pair<QWidget*, int>> widgets) {
    auto* r = new QHBoxLayout;
    for (const auto& [w, stretch] : widgets)
      r->addWidget(w, stretch);
    layout->addLayout(r);
  };

  // The four walls' kT in a grid, so that their fields line up.
  static const char* const names[] = {"wallLeft", "wallRight", "wallBottom", "wallTop"};
  static const char* const labels[] = {"wallLeftLabel", "wallRightLabel", "wallBottomLabel",
                                       "wallTopLabel"};
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(3);
  for (std::size_t w = 0; w < 4; ++w) {
    wallKT[w] = edit(new MarkedField, names[w], "wallTip");
    const int r = static_cast<int>(w / 2), c = 2 * static_cast<int>(w % 2);
    grid->addWidget(label(labels[w], wallKT[w]), r, c);
    grid->addWidget(wallKT[w], r, c + 1);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  layout->addLayout(grid);
  setWallsButton = button("setWalls", "");
  layout->addWidget(setWallsButton);

  holdKT = edit(new MarkedField, "holdKT", "holdTemperatureTip");
  holdTemperature = button("holdTemperature", "holdTemperatureTip");
  row({{label("holdKTLabel", holdKT), 0}, {holdKT, 1}, {holdTemperature, 0}});

  moveTarget = edit(new QLineEdit, "moveTarget", "moveWallTip");
  moveSpeed = edit(new QLineEdit, "moveSpeed", "moveWallTip");
  row({{label("moveTargetLabel", moveTarget), 0},
       {moveTarget, 1},
       {label("moveSpeedLabel", moveSpeed), 0},
       {moveSpeed, 1}});
  moveWall = button("moveWall", "moveWallTip");
  layout->addWidget(moveWall);

  pistonPressure = edit(new QLineEdit, "pistonPressure", "pistonTip");
  pistonMass = edit(new QLineEdit, "pistonMass", "pistonTip");
  row({{label("pistonPressureLabel", pistonPressure), 0},
       {pistonPressure, 1},
       {label("pistonMassLabel", pistonMass), 0},
       {pistonMass, 1}});
  piston = button("piston", "pistonTip");
  layout->addWidget(piston);
  showWalls();
  return box;
}

QWidget* LabWindow::createGasLaws() {
  auto* box = new QGroupBox(captionOf("gasLawBox"));
  box->setObjectName("gasLawBox");
  // Two buttons a row, the last the row's whole width: three per row would not fit the column.
  auto* grid = new QGridLayout(box);
  grid->setVerticalSpacing(3);
  for (int k = 0; k < 5; ++k) {
    const QString name = QString("gasLaw%1").arg(k);
    auto* b = new QPushButton(captionOf(qPrintable(name)));
    b->setObjectName(name);
    b->setToolTip(captionOf(qPrintable(name + "Tip")));
    gasLaw[static_cast<std::size_t>(k)] = b;
    grid->addWidget(b, k / 2, k % 2, 1, k == 4 ? 2 : 1);
  }
  return box;
}

// The field and the divider in one group, each a row: the column grows by as little as it can.
QWidget* LabWindow::createField() {
  auto* box = new QGroupBox(captionOf("fieldBox") + " · " + captionOf("dividerBox"));
  box->setObjectName("fieldBox");
  auto* grid = new QGridLayout(box);
  grid->setVerticalSpacing(3);
  grid->setHorizontalSpacing(4);
  auto field = [](const char* name, const char* tip) {
    return captioned(new QLineEdit, name, tip);
  };
  const auto label = buddyLabel;
  const auto button = captionedButton;
  gravity = field("gravity", "gravityTip");
  setField = button("setField", "gravityTip");
  grid->addWidget(label("gravityLabel", gravity), 0, 0);
  grid->addWidget(gravity, 0, 1);
  grid->addWidget(setField, 0, 2, 1, 2);
  opening = field("opening", "openingTip");
  openDivider = button("openDivider", "openingTip");
  closeDivider = button("closeDivider", "closeDividerTip");
  // Narrower than the style's least for a button: the two share what the column leaves.
  for (QPushButton* b : {openDivider, closeDivider})
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 20);
  grid->addWidget(label("openingLabel", opening), 1, 0);
  grid->addWidget(opening, 1, 1);
  grid->addWidget(openDivider, 1, 2);
  grid->addWidget(closeDivider, 1, 3);
  // Two a row: four would not fit the column.
  for (std::size_t k = 0; k < 4; ++k) {
    side[k] = new QComboBox;
    side[k]->setObjectName(QString("side%1").arg(k + 1));
    for (const std::string& name : LabRules::sideNames)
      side[k]->addItem(QString::fromStdString(name));
    side[k]->setToolTip(captionOf("sidesTip"));
    side[k]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    side[k]->setMinimumContentsLength(4);
    side[k]->setAccessibleName(QString("species %1 starts").arg(k + 1));
    const int r = 2 + static_cast<int>(k / 2);
    if (k % 2 == 0)
      grid->addWidget(side[k], r, 1);
    else
      grid->addWidget(side[k], r, 2, 1, 2);
  }
  grid->addWidget(label("sidesLabel", side[0]), 2, 0);
  grid->setColumnStretch(1, 1);
  return box;
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
  for (MarkedField* f : wallKT)
    connect(f, &QLineEdit::textChanged, this, &LabWindow::wallField_Change);
  connect(holdKT, &QLineEdit::textChanged, this, &LabWindow::wallField_Change);
  connect(setWallsButton, &QPushButton::clicked, this, &LabWindow::setWalls_Click);
  connect(holdTemperature, &QPushButton::clicked, this, &LabWindow::holdTemperature_Click);
  connect(moveWall, &QPushButton::clicked, this, &LabWindow::moveWall_Click);
  connect(piston, &QPushButton::clicked, this, &LabWindow::piston_Click);
  for (int k = 0; k < 5; ++k)
    connect(gasLaw[static_cast<std::size_t>(k)], &QPushButton::clicked, this,
            [this, k] { gasLaw_Click(k); });
  connect(setField, &QPushButton::clicked, this, &LabWindow::setField_Click);
  connect(openDivider, &QPushButton::clicked, this, &LabWindow::openDivider_Click);
  connect(closeDivider, &QPushButton::clicked, this, &LabWindow::closeDivider_Click);
  for (QComboBox* s : side)
    connect(s, &QComboBox::activated, this, &LabWindow::side_Change);
  connect(exportButton, &QPushButton::clicked, this, &LabWindow::exportData_Click);
  connect(saveChartsButton, &QPushButton::clicked, this, &LabWindow::saveCharts_Click);
  connect(speedQuantity, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
  connect(tabs, &QTabWidget::currentChanged, this, [this] { refresh(); });
}

void LabWindow::main_Ticked() {
  rules_.ticked();
}

void LabWindow::main_RunStarted() {
  rules_.runStarted(main_.seed());
  note->setText(QString::fromStdString(rules_.note()));
  fillSpecies(lab_.results());
  showWalls();
  refresh();
}

void LabWindow::main_FieldEdited() {
  rules_.fieldEdited();
  settleTimer->start();
}

void LabWindow::settleTimer_Timeout() {
  settleTimer->stop();
  rules_.fieldSettled();
}

void LabWindow::refreshTimer_Timeout() {
  step->setEnabled(rules_.stepEnabled());
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
  rules_.setPace(index);
}

void LabWindow::step_Click() {
  rules_.step();
  refresh();
}

void LabWindow::rule_Toggled() {
  rules_.setRule(ruleExact->isChecked());
  // A gas too dense to push apart stays under the specified rule: the buttons say so.
  if (rules_.ruleExact() != ruleExact->isChecked()) {
    const QSignalBlocker block(ruleSpecified);
    const QSignalBlocker blockExact(ruleExact);
    (rules_.ruleExact() ? ruleExact : ruleSpecified)->setChecked(true);
  }
  note->setText(QString::fromStdString(rules_.note()));
  refresh();
}

bool LabWindow::factorTaken() const {
  return LabRules::heatFactorProblem(heatFactor->text().toStdString()).empty();
}

void LabWindow::heatFactor_Change() {
  const std::string problem = LabRules::heatFactorProblem(heatFactor->text().toStdString());
  heatFactor->mark(QString::fromStdString(problem));
  if (problem.empty()) heatFactor->setToolTip(captionOf("heatFactorTip"));
  heat->setEnabled(problem.empty() && heatSpecies->count() > 0);
  rules_.setNote(problem);
  note->setText(QString::fromStdString(rules_.note()));
}

void LabWindow::heat_Click() {
  rules_.heat(heatSpecies->currentData().toInt(), heatFactor->text().toStdString());
  note->setText(QString::fromStdString(rules_.note()));
  refresh();
}

void LabWindow::equalEnergies_Click() {
  rules_.equalEnergies();
  note->setText(QString::fromStdString(rules_.note()));
  refresh();
}

void LabWindow::warmup_Change(int ticks) {
  rules_.setWarmup(std::to_string(ticks));
  refresh();
}

void LabWindow::wallField_Change() {
  // A kT refused is marked where it is typed; the button's rule refuses it again with the note.
  for (MarkedField* f :
       std::initializer_list<MarkedField*>{wallKT[0], wallKT[1], wallKT[2], wallKT[3], holdKT}) {
    const std::string problem = LabRules::wallTemperatureProblem(f->text().toStdString());
    f->mark(QString::fromStdString(problem));
    if (problem.empty()) f->setToolTip(captionOf(f == holdKT ? "holdTemperatureTip" : "wallTip"));
  }
}

void LabWindow::setWalls_Click() {
  std::array<std::string, 4> texts;
  for (std::size_t w = 0; w < 4; ++w)
    texts[w] = wallKT[w]->text().toStdString();
  const std::size_t events = lab_.history().events.size();
  rules_.setWalls(texts);
  // Taken, it is an event; refused, the fields keep what was typed, so that it can be put right.
  if (lab_.history().events.size() == events) {
    note->setText(QString::fromStdString(rules_.note()));
    return;
  }
  wallsActed();
}

void LabWindow::holdTemperature_Click() {
  rules_.holdTemperature(holdKT->text().toStdString());
  wallsActed();
}

void LabWindow::moveWall_Click() {
  rules_.moveWall(moveTarget->text().toStdString(), moveSpeed->text().toStdString());
  wallsActed();
}

void LabWindow::piston_Click() {
  rules_.setPiston(pistonPressure->text().toStdString(), pistonMass->text().toStdString());
  wallsActed();
}

void LabWindow::gasLaw_Click(int process) {
  rules_.startGasLaw(process);
  wallsActed();
}

void LabWindow::showWalls() {
  const std::array<std::string, 4> texts = rules_.wallTexts();
  for (std::size_t w = 0; w < 4; ++w)
    if (wallKT[w]->text().toStdString() != texts[w])
      wallKT[w]->setText(QString::fromStdString(texts[w]));
}

void LabWindow::setField_Click() {
  rules_.setField(gravity->text().toStdString());
  wallsActed();
}

void LabWindow::openDivider_Click() {
  rules_.openDivider(opening->text().toStdString());
  wallsActed();
}

void LabWindow::closeDivider_Click() {
  rules_.closeDivider();
  wallsActed();
}

void LabWindow::side_Change() {
  std::array<int, 4> sides{};
  for (std::size_t k = 0; k < 4; ++k)
    sides[k] = side[k]->currentIndex();
  rules_.setSides(sides);
  wallsActed();
}

void LabWindow::wallsActed() {
  showWalls();
  note->setText(QString::fromStdString(rules_.note()));
  refresh();
}

void LabWindow::exportData_Click() {
  const QString folder = pickFolder_(this, captionOf("exportFolder"));
  if (folder.isEmpty()) return;
  const QString why = exportData(folder);
  if (!why.isEmpty())
    showMessage_(QString::fromStdString(main_.rules().caption("message")),
                 captionOf("exportFailed").arg(why));
  note->setText(why.isEmpty() ? captionOf("exportedTo").arg(folder)
                              : captionOf("exportFailedNote").arg(why.count('\n') + 1));
}

void LabWindow::saveCharts_Click() {
  const QString folder = pickFolder_(this, captionOf("chartsFolder"));
  if (folder.isEmpty()) return;
  const QString why = saveCharts(folder);
  if (!why.isEmpty())
    showMessage_(QString::fromStdString(main_.rules().caption("message")),
                 captionOf("chartsFailed").arg(why));
  note->setText(why.isEmpty() ? captionOf("chartsSavedTo").arg(folder)
                              : captionOf("chartsFailedNote"));
}

QString LabWindow::exportData(const QString& folder) {
  // Each file whole or not at all; every one that failed is named with the system's reason.
  QStringList failed;
  for (const auto& [name, text] : rules_.exportFiles()) {
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
