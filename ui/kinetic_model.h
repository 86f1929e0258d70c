// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "main_rules.h"
#include "marked_field.h"
#include "picture_box.h"
#include "random_source.h"
#include "simulation.h"

namespace km {

// The time of day from the system clock.
class SystemClock : public Clock {
 public:
  double secondsSinceMidnight() const override;
};

class LabWindow;

// The program's one window: the drawing area, the species rows, the settings fields, the
// readouts and the command buttons. Its rules (MainRules) own the model; each control's event
// procedure reports to them and shows what they say.
class KineticModel : public QWidget {
  Q_OBJECT

 public:
  // Picks a colour: the chosen one, or nothing when the user cancels.
  using ColorPicker = std::function<std::optional<QColor>(QWidget* parent, const QString& title,
                                                          const QColor& initial)>;
  // Tells the user something went wrong.
  using MessageSink = std::function<void(const QString& title, const QString& text)>;

  explicit KineticModel(QWidget* parent = nullptr);
  // Closes the laboratory first: it measures this window's model.
  ~KineticModel() override;

  void setColorPicker(ColorPicker picker) { pickColor_ = std::move(picker); }
  void setMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }
  MainRules& rules() { return *rules_; }
  Simulation& model() { return rules_->model(); }
  bool timerEnabled() const { return rules_->timerEnabled(); }
  int timerInterval() const { return rules_->timerInterval(); }
  // Whether "Run Simulation" has placed a gas.
  bool hasRun() const { return rules_->hasRun(); }
  // Where the last run's random numbers began (the laboratory shows it).
  RunSeed seed() const { return rules_->runSeed(); }

  // The laboratory's controls over the clock: the interval that "Run Simulation" and "restart"
  // use (1 ms unless the laboratory sets another), and one tick while paused.
  void setPace(int intervalMs) { rules_->setPace(intervalMs); }
  void stepOnce() { rules_->stepOnce(); }
  // Opens the laboratory window, or brings it forward; nullptr when it is closed.
  LabWindow* openLaboratory();
  LabWindow* laboratory() const;
  void showAbout();

  // Event procedures.
  void Form_Load();
  void runSImulation_Click();
  void cmd_stop_simulation_Click();
  void Command2_Click();
  void cmd_exit_program_Click();
  void cmd_color_Click(int k);
  void txt_how_many_Change(int k);
  void txt_masses_Change(int k);
  void txtParticleRad_Change();
  void txtProximity_Change();
  // Taken at the next "Run Simulation"; a change only marks the fields.
  void txtVelRange_Change();
  // One tick; called while paused (as the tests do), it steps as the laboratory's Step.
  void Timer1_Timer();

 signals:
  // A tick has run without error.
  void ticked();
  // "Run Simulation" has placed a new gas and started the clock.
  void runStarted();

 public:
  // Controls, under their names; control arrays are indexed 0..3.
  PictureBox* Picture1;
  QWidget* Picture2;
  QWidget* Picture3;
  QPushButton* runSImulation;
  QPushButton* cmd_stop_simulation;
  QPushButton* Command2;
  QPushButton* cmd_exit_program;
  std::array<QPushButton*, 4> cmd_color;
  std::array<MarkedField*, 4> txt_masses;
  std::array<MarkedField*, 4> txt_how_many;
  std::array<QLabel*, 4> lbl_mass_id;
  std::array<QLabel*, 4> lbl_how_many_m;
  MarkedField* txtVelRange;
  MarkedField* txtProximity;
  MarkedField* txtParticleRad;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* Label7;
  QLabel* lblVelRange;
  QLabel* lblProximity;
  QLabel* lbl_particleRadius;
  QLabel* number_of_masses;
  QLabel* mass_in_amu;
  QTimer* Timer1;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void createControls();
  void wireEvents();
  // What the rules tell the window: the clock changed, a tick ran, a run started, a message.
  struct Hearing : MainRules::Listener {
    explicit Hearing(KineticModel& window) : w(window) {}
    void clockChanged() override;
    void ticked() override;
    void runStarted() override { emit w.runStarted(); }
    void messageLeft() override;
    KineticModel& w;
  };
  void showReadouts();
  // The field's text, as typed, to the rules; then every field's mark.
  void typed(MarkedField* field);
  void markFields();
  std::array<MarkedField*, 11> fields() const;
  void paintFace(int k);

  SeededGenerator rnd_;
  SystemClock clock_;
  std::unique_ptr<MainRules> rules_;  // made once the picture exists
  Hearing hearing_{*this};
  QTimer readoutFrame_;  // single shot, one display frame: shows the readouts when it fires
  std::uint64_t readoutsShown_ = 0;
  QPointer<LabWindow> lab_;
  ColorPicker pickColor_;
  MessageSink showMessage_;
};

// Moves a control to a place given in twips, at 15 twips a pixel.
void placeInTwips(QWidget* w, int left, int top, int width, int height);

// A species colour as Qt's colour.
QColor toQColor(Color c);
// Shows a colour ("#rrggbb") on a button's whole face, its caption in `captionColor`.
void paintButtonFace(QPushButton* button, const QString& face, const QString& captionColor);

}  // namespace km
