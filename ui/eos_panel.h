// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "sweep.h"

namespace km {

// The Equation of state tab's sweep: run here in the background (on every core but one, with
// progress, stopped on request) or loaded from kinetic-measure --sweep's CSV, and saved. The
// tab draws the rows it holds.
class EquationOfStatePanel : public QWidget {
 public:
  // Asks for a file to open or to save: its path, or "" when the user cancels.
  using FilePicker = std::function<QString(QWidget* parent, bool save)>;
  // Tells the user something went wrong.
  using MessageSink = std::function<void(const QString& text)>;
  // Told when the rows shown change.
  using RowsShown = std::function<void()>;

  explicit EquationOfStatePanel(QWidget* parent = nullptr);
  // Stops a sweep still running and waits for it.
  ~EquationOfStatePanel() override;

  void setFilePicker(FilePicker picker) { pickFile_ = std::move(picker); }
  void setMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }
  void setRowsShown(RowsShown shown) { rowsShown_ = std::move(shown); }

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
  QTimer* pollTimer;

 private:
  // The settings typed, or "" and the settings when they are usable, else why not.
  QString readSettings(lab::SweepSettings& s) const;
  void finish();

  std::vector<lab::SweepRow> rows_;
  std::optional<lab::SweepSettings> madeBy_;  // of the rows shown, where known
  FilePicker pickFile_;
  MessageSink showMessage_;
  RowsShown rowsShown_;
  std::thread worker_;
  std::atomic<bool> stop_{false}, finished_{false};
  std::atomic<long> done_{0}, total_{0};
  std::vector<lab::SweepRow> result_;  // the worker's, read once it has finished
};

}  // namespace km
