// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "eos_panel.h"
#include "lab_rules.h"
#include "lab_tab_view.h"
#include "laboratory.h"
#include "marked_field.h"

namespace km {

class KineticModel;

// The laboratory: charts of the running gas against kinetic theory, experiments, the pace of
// the clock, the collision rule and export. It measures the main window's gas while the main
// window's timer runs, and starts afresh with each "Run Simulation". Its controls report to
// the laboratory's rules (LabRules) and show what they say.
class LabWindow : public QWidget {
  Q_OBJECT

 public:
  using FolderPicker = std::function<QString(QWidget* parent, const QString& title)>;
  using MessageSink = std::function<void(const QString& title, const QString& text)>;

  explicit LabWindow(KineticModel& main);
  // Closed, the main window runs at full speed under the specified rule, in the box's own
  // walls, again (LabRules).
  ~LabWindow() override = default;

  void setFolderPicker(FolderPicker picker) { pickFolder_ = std::move(picker); }
  void setMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }
  lab::Laboratory& laboratory() { return lab_; }
  int refreshes() const { return refreshes_; }

  // Event procedures.
  void main_Ticked();
  void main_RunStarted();
  // A count or the proximity is being typed in the main window: its changes make one event
  // once typing pauses or the field is left.
  void main_FieldEdited();
  void settleTimer_Timeout();
  void refreshTimer_Timeout();
  void pace_Change(int index);
  void step_Click();
  void rule_Toggled();
  void heatFactor_Change();
  void heat_Click();
  void equalEnergies_Click();
  void warmup_Change(int ticks);
  void wallField_Change();
  void setWalls_Click();
  void holdTemperature_Click();
  void moveWall_Click();
  void piston_Click();
  void gasLaw_Click(int process);
  void setField_Click();
  void openDivider_Click();
  void closeDivider_Click();
  void side_Change();
  void exportData_Click();
  void saveCharts_Click();

  // Redraws the visible tab now (every tab when `every`).
  void refresh(bool every = false);
  // Redraws tab `index` (labTabNames) from the laboratory's description of it.
  void drawTab(int index);
  void drawTab(int index, const lab::Results& r);
  // The tab `index` (labTabNames), and the chart named `id` on any tab (nullptr when none).
  LabTabView* tab(int index) const;
  ChartView* chart(const QString& id) const;
  // Writes the CSV tables, or the PNG charts, into a folder: "" when done, else why not.
  QString exportData(const QString& folder);
  QString saveCharts(const QString& folder);

  QScrollArea* scroll;      // the tabs, scrolling below minimumContent
  QScrollArea* sideScroll;  // the controls
  QTabWidget* tabs;
  QComboBox* speedQuantity;  // the Speeds tab's: speed, vx, vy
  EquationOfStatePanel* equationOfState;
  QComboBox* pace;
  QPushButton* step;
  QRadioButton* ruleSpecified;
  QRadioButton* ruleExact;
  QComboBox* heatSpecies;
  MarkedField* heatFactor;
  QPushButton* heat;
  QPushButton* equalEnergies;
  QSpinBox* warmup;
  // The walls: each wall's kT, empty for one that reflects (left, right, bottom, top).
  std::array<MarkedField*, 4> wallKT;
  QPushButton* setWallsButton;
  MarkedField* holdKT;  // empty: the gas's kT now
  QPushButton* holdTemperature;
  QLineEdit* moveTarget;  // x in box units
  QLineEdit* moveSpeed;   // units per tick
  QPushButton* moveWall;
  QLineEdit* pistonPressure;  // amu/tick²
  QLineEdit* pistonMass;      // amu
  QPushButton* piston;
  // The gas laws' processes, in the order of LabRules::gasLawNames.
  std::array<QPushButton*, 5> gasLaw;
  QLineEdit* gravity;  // units per tick², toward the floor
  QPushButton* setField;
  QLineEdit* opening;  // the divider's opening, units
  QPushButton* openDivider;
  QPushButton* closeDivider;
  // Where species 1..4 start: LabRules::sideNames.
  std::array<QComboBox*, 4> side;
  QPushButton* exportButton;
  QPushButton* saveChartsButton;
  QLabel* note;  // what the last experiment or refusal said
  QTimer* refreshTimer;
  QTimer* settleTimer;  // single shot: typing in the main window has paused

  // The smallest size at which every chart, legend and control reads whole; below it the
  // window scrolls.
  static constexpr QSize minimumContent{1040, 720};
  // The controls' column at the right, always in view.
  static constexpr int sideWidth = 300;

 private:
  void createControls();
  void createTabs();
  void wireEvents();
  QWidget* createWalls();
  QWidget* createGasLaws();
  QWidget* createField();
  void fillSpecies(const lab::Results& r);
  // The wall fields as the walls are now.
  void showWalls();
  // What a wall's action said, and the walls as they are after it.
  void wallsActed();
  bool factorTaken() const;

  KineticModel& main_;
  LabRules rules_;
  lab::Laboratory& lab_ = rules_.laboratory();
  FolderPicker pickFolder_;
  MessageSink showMessage_;
  long shownTick_ = -1;
  QString speciesShown_;  // the species list as last offered
  int refreshes_ = 0;
};

}  // namespace km
