// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "lab_panels.h"
#include "sweep.h"

namespace km {

// The equation of state: Z against the packing fraction, from a sweep run here (on every
// core, with progress) or loaded from kinetic-measure --sweep's CSV, over the nominal and the
// interior's density, beside the bulk fluid, Henderson's formula within its range and the
// fluid–hexatic region where no fluid equation applies; and the gas running now.
class EquationOfStatePanel : public LabPanel {
 public:
  // Asks for a file to open or to save: its path, or "" when the user cancels.
  using FilePicker = std::function<QString(QWidget* parent, bool save)>;
  // Tells the user something went wrong.
  using MessageSink = std::function<void(const QString& text)>;

  explicit EquationOfStatePanel(QWidget* parent = nullptr);
  // Stops a sweep still running and waits for it.
  ~EquationOfStatePanel() override;

  void refresh(const LabView& v) override;
  QList<LabChartView*> views() const override { return {view_}; }
  void setFilePicker(FilePicker picker) { pickFile_ = std::move(picker); }
  void setMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }

  // Event procedures.
  void run_Click();
  void stop_Click();
  void load_Click();
  void save_Click();
  void pollTimer_Timeout();

  // The rows shown, and whether a sweep is running.
  const std::vector<lab::SweepRow>& rows() const { return rows_; }
  bool sweeping() const { return worker_.joinable(); }
  void showRows(const std::vector<lab::SweepRow>& rows);

  QSpinBox* discs;
  QLineEdit* etas;
  QLineEdit* seeds;
  QSpinBox* warmup;
  QSpinBox* ticks;
  QPushButton* runButton;
  QPushButton* stopButton;
  QPushButton* loadButton;
  QPushButton* saveButton;
  QProgressBar* progress;
  QTableWidget* table;
  QTimer* pollTimer;
  QScatterSeries *nominal, *interior, *nowNominal, *nowInterior;
  QLineSeries *bulk, *henderson, *ideal, *hexatic;

 private:
  // The settings typed, or "" and the settings when they are usable, else why not.
  QString readSettings(lab::SweepSettings& s) const;
  void finish();

  LabChartView* view_;
  QValueAxis *x_, *y_;
  std::vector<QLineSeries*> bars_;  // error bars of the sweep's points
  std::vector<lab::SweepRow> rows_;
  std::optional<lab::SweepSettings> madeBy_;  // of the rows shown, where known
  FilePicker pickFile_;
  MessageSink showMessage_;
  std::thread worker_;
  std::atomic<bool> stop_{false}, finished_{false};
  std::atomic<long> done_{0}, total_{0};
  std::vector<lab::SweepRow> result_;  // the worker's, read once it has finished
};

}  // namespace km
