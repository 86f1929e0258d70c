// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QWidget>
#include <array>
#include <memory>

#include "chart_kit.h"

namespace km {

// What every panel of the laboratory is shown: the results, the history, the colours.
struct LabView {
  const lab::Results& results;
  const lab::History& history;
  const SpeciesColors& colors;
  QString rule;  // "specified" or "exact"
};

// One tab of the laboratory: charts of one kind of measurement.
class LabPanel : public QWidget {
 public:
  using QWidget::QWidget;
  virtual void refresh(const LabView& v) = 0;
  virtual QList<LabChartView*> views() const = 0;
};

// Per species, each in a chart of its own, the histogram of speeds (or of one velocity
// component) with its law at the species' kT.
class SpeedPanel : public LabPanel {
 public:
  explicit SpeedPanel(QWidget* parent = nullptr);
  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override;
  QComboBox* quantity;                               // speed, vx, vy
  std::array<QLineSeries*, 5> measured{}, theory{};  // species 1..4

 private:
  std::array<LabChartView*, 5> views_{};
  std::array<QValueAxis*, 5> x_{}, y_{};
  std::array<std::unique_ptr<ChartNotice>, 5> notices_;
};

// Each species' kT with its error beside the gas's, and each species' kT over time.
class EquipartitionPanel : public LabPanel {
 public:
  explicit EquipartitionPanel(QWidget* parent = nullptr);
  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override { return {bars_, time.view}; }
  std::array<QScatterSeries*, 5> kT{};
  std::array<QLineSeries*, 5> errorBar{}, overTime{};  // overTime[0]: the gas
  QLineSeries* gasKT;
  TimeChart time{"kT over time", "kT [amu·units²/tick²]", "kT-over-time"};

 private:
  LabChartView* bars_;
  QValueAxis* barY_;
  std::unique_ptr<ChartNotice> notice_;
  // A species' line after its first blank stretch, one series a stretch, out of the legend.
  std::array<std::vector<QLineSeries*>, 5> later_;
};

// Z over time beside the ideal gas, the bulk hard-disc fluid and the walled box's first-order
// value, and Z over the interior's density; the density against the distance from the nearest
// wall, which tells the two apart.
class PressurePanel : public LabPanel {
 public:
  explicit PressurePanel(QWidget* parent = nullptr);
  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override { return {time.view, profileView_}; }
  TimeChart time{"Compressibility Z = P·L² / (N·kT)", "Z", "pressure"};
  QLineSeries *z, *interior, *ideal, *henderson, *bulk, *walled;
  std::array<QLineSeries*, 5> profile{};  // species 1..4
  QLineSeries *even, *interiorEdge;
  QLabel* figures;
  QString profileNotice() const { return profileNotice_->text(); }

 private:
  LabChartView* profileView_;
  QValueAxis *profileX_, *profileY_;
  std::unique_ptr<ChartNotice> profileNotice_;
};

// Mean-squared displacement against lag on log–log axes, with the fitted lines.
class DiffusionPanel : public LabPanel {
 public:
  explicit DiffusionPanel(QWidget* parent = nullptr);
  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override { return {view_}; }
  std::array<QLineSeries*, 5> msd{}, fit{};  // 0: particle 1
  QLineSeries* enskog;

 private:
  LabChartView* view_;
  QLogValueAxis *x_, *y_;
  std::unique_ptr<ChartNotice> notice_;
};

// Exchanges and new contacts per tick against Enskog's rate, and the bound-pair share.
class CollisionPanel : public LabPanel {
 public:
  explicit CollisionPanel(QWidget* parent = nullptr);
  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override { return {time.view}; }
  TimeChart time{"Collisions per tick", "per tick", "collisions"};
  QLineSeries *exchanges, *newContacts, *enskog, *boundShare;

 private:
  QValueAxis* shareAxis_;
};

// Boltzmann's H over time against the Maxwellian's: the H theorem after an experiment.
class HPanel : public LabPanel {
 public:
  explicit HPanel(QWidget* parent = nullptr);
  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override { return {time.view}; }
  TimeChart time{"Boltzmann's H of the reduced velocities √(m/kT)·v", "H", "boltzmann-h"};
  QLineSeries *h, *maxwellian, *averaged;
};

// Total energy over time, and the figures that tell whether the gas is sound.
class IntegrityPanel : public LabPanel {
 public:
  explicit IntegrityPanel(QWidget* parent = nullptr);
  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override { return {time.view}; }
  TimeChart time{"Total energy Σ½mv²", "energy [amu·units²/tick²]", "energy"};
  QLineSeries* energy;
  QLabel* figures;
};

}  // namespace km
