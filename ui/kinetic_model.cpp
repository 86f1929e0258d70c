// SPDX-License-Identifier: GPL-3.0-or-later
#include "kinetic_model.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QTime>

#include "conversions.h"
#include "lab_window.h"
#include "messages.h"
#include "run_error.h"

namespace km {

double SystemClock::secondsSinceMidnight() const {
  return QTime(0, 0).msecsTo(QTime::currentTime()) / 1000.0;
}

void PendingReadouts::show(Readout which, std::string_view text) {
  auto k = static_cast<std::size_t>(which);
  text_[k].assign(text);
  changed_[k] = true;
}

void PendingReadouts::flush(const std::array<QLabel*, 4>& labels) {
  for (std::size_t k = 0; k < labels.size(); ++k) {
    if (!changed_[k]) continue;
    labels[k]->setText(QString::fromStdString(text_[k]));
    changed_[k] = false;
  }
}

void paintButtonFace(QPushButton* button, const QColor& c) {
  // A border of its own makes the style sheet draw the whole face in exactly this colour.
  // The caption in black or white, whichever reads better on the face.
  const QString caption = qGray(c.rgb()) < 110 ? "white" : "black";
  button->setStyleSheet(
      QString("QPushButton { background-color: %1; color: %2; border: 1px solid #606060; }"
              "QPushButton:pressed { border: 2px solid #303030; }")
          .arg(c.name(), caption));
  // A style sheet set on a shown button puts the application's font on it: give it back the
  // font of the window.
  if (QWidget* window = button->parentWidget()) button->setFont(window->font());
}

QColor toQColor(Color c) {
  return QColor(c & 255, (c >> 8) & 255, (c >> 16) & 255);
}
Color fromQColor(const QColor& c) {
  return RGB(c.red(), c.green(), c.blue());
}

KineticModel::KineticModel(QWidget* parent) : QWidget(parent) {
  setObjectName("KineticModel");
  pickColor_ = [](QWidget* parent, const QString& title,
                  const QColor& initial) -> std::optional<QColor> {
    QColor c = QColorDialog::getColor(initial, parent, title);
    if (!c.isValid()) return std::nullopt;
    return c;
  };
  showMessage_ = [this](const QString& title, const QString& text) {
    QMessageBox::warning(this, title, text);
  };
  readoutFrame_.setSingleShot(true);
  readoutFrame_.setInterval(16);
  createControls();
  Picture1->setToolTip("Right-click for the laboratory (Ctrl+L)");
  wireEvents();
  Form_Load();
}

KineticModel::~KineticModel() {
  delete lab_;
}

void KineticModel::wireEvents() {
  connect(runSImulation, &QPushButton::clicked, this, &KineticModel::runSImulation_Click);
  connect(cmd_stop_simulation, &QPushButton::clicked, this,
          &KineticModel::cmd_stop_simulation_Click);
  connect(Command2, &QPushButton::clicked, this, &KineticModel::Command2_Click);
  connect(cmd_exit_program, &QPushButton::clicked, this, &KineticModel::cmd_exit_program_Click);
  for (int k = 0; k < 4; ++k) {
    connect(cmd_color[k], &QPushButton::clicked, this, [this, k] { cmd_color_Click(k); });
    connect(txt_masses[k], &QLineEdit::textChanged, this, [this, k] { txt_masses_Change(k); });
    connect(txt_how_many[k], &QLineEdit::textChanged, this, [this, k] { txt_how_many_Change(k); });
  }
  connect(txtParticleRad, &QLineEdit::textChanged, this, &KineticModel::txtParticleRad_Change);
  connect(txtProximity, &QLineEdit::textChanged, this, &KineticModel::txtProximity_Change);
  connect(txtVelRange, &QLineEdit::textChanged, this, &KineticModel::txtVelRange_Change);
  connect(Timer1, &QTimer::timeout, this, &KineticModel::Timer1_Timer);
  connect(&readoutFrame_, &QTimer::timeout, this, &KineticModel::showReadouts);
  connect(new QShortcut(QKeySequence("Ctrl+L"), this), &QShortcut::activated, this,
          &KineticModel::openLaboratory);
}

void KineticModel::Form_Load() {
  guarded("starting up", [this] {
    model_.startUp(*Picture1);
    const int rowLeft = 8800;
    const int rowTop = 1100;
    for (int i = 0; i <= 3; ++i) {
      const int top = rowTop + 450 * i;
      lbl_mass_id[i]->setText(QString::fromStdString("mass #" + Str(Cell(i + 1))));
      placeInTwips(lbl_mass_id[i], rowLeft, top, 400, 375);
      txt_masses[i]->setText(QString::fromStdString(Str(pow(Cell(4), Cell(i)))));
      placeInTwips(txt_masses[i], rowLeft + 400, top, 400, 375);
      lbl_how_many_m[i]->setText("how many?");
      placeInTwips(lbl_how_many_m[i], rowLeft + 800, top, 400, 375);
      txt_how_many[i]->setText(QString::fromStdString(Str(Cell(2) * pow(Cell(4), Cell(2 - i)))));
      txt_how_many[3]->setText("1");
      placeInTwips(txt_how_many[i], rowLeft + 1200, top, 400, 375);
      model_.setDefaultSpeciesColors();
      cmd_color[i]->setText("color");
      placeInTwips(cmd_color[i], rowLeft + 1600, top, 600, 375);
      paintButtonFace(cmd_color[i], toQColor(model_.state().speciesColor(i + 1).toIndex()));
    }
    Label4->setText("KE_x:");
    Label5->setText("KE_y:");
  });
  markFields();
}

RunInput KineticModel::runInput() const {
  RunInput input;
  for (int k = 0; k < 4; ++k) {
    input.rows.counts[k] = txt_how_many[k]->text().toStdString();
    input.rows.masses[k] = txt_masses[k]->text().toStdString();
  }
  input.radius = txtParticleRad->text().toStdString();
  input.velocityRange = txtVelRange->text().toStdString();
  return input;
}

void KineticModel::runSImulation_Click() {
  const RunInput input = runInput();
  auto problems = checkRunInput(input);
  if (!problems.empty()) {
    std::vector<std::string> reasons;
    for (const auto& p : problems)
      reasons.push_back(p.message);
    showMessage_("Kinetic Model", QString::fromStdString(cannotStartMessage(reasons)));
    return;
  }
  std::string doesNotFit;
  const bool placed = guarded("starting the run", [&] {
    Picture1->setBackColor(0);
    model_.takeVelocityScale(input.velocityRange);
    model_.SetUpSpecies(input.rows);
    runSeed_ = rnd_.position();
    model_.PlaceParticles(*Picture1);
    // Exact hard discs must start apart; a gas too dense for that does not start.
    if (model_.collisionRule() == CollisionRule::Exact) doesNotFit = model_.separateOverlaps();
  });
  if (!placed) return;
  if (!doesNotFit.empty()) {
    // As before any run: "restart" must not set a gas going that could not start.
    setTimer(false, 0);
    showMessage_("Kinetic Model", QString::fromStdString(cannotStartMessage({doesNotFit})));
    return;
  }
  setTimer(true, paceInterval_);
  emit runStarted();
}

void KineticModel::cmd_stop_simulation_Click() {
  setTimer(false, timerInterval_);
}

void KineticModel::Command2_Click() {
  setTimer(true, timerInterval_);
}

void KineticModel::cmd_exit_program_Click() {
  setTimer(false, timerInterval_);
  close();
  QApplication::quit();
}

void KineticModel::cmd_color_Click(int k) {
  const QString title = QString::fromStdString("Select color for mass # " + Str(Cell(k + 1)));
  const QColor initial = toQColor(model_.state().speciesColor(k + 1).toIndex());
  std::optional<QColor> chosen = pickColor_(this, title, initial);
  // Cancelling leaves the species as it was.
  if (!chosen) return;
  model_.takeSpeciesColor(k, fromQColor(*chosen));
  paintButtonFace(cmd_color[k], *chosen);
}

// Nothing typed into a field stops the clock. A count total or mass total that overflows is
// not taken: the gas runs on the last total that was a number, and the check that marks the
// fields names what overflows, as "Run Simulation" would.
void KineticModel::txt_how_many_Change(int k) {
  try {
    model_.takeSpeciesCount(k, txt_how_many[k]->text().toStdString());
  } catch (const RunError&) {
  }
  markFields();
}

void KineticModel::txt_masses_Change(int k) {
  try {
    model_.takeSpeciesMass(k, txt_masses[k]->text().toStdString());
  } catch (const RunError&) {
  }
  markFields();
}

void KineticModel::txtParticleRad_Change() {
  model_.takeParticleRadius(txtParticleRad->text().toStdString());
  markFields();
}

void KineticModel::txtProximity_Change() {
  const std::string text = txtProximity->text().toStdString();
  // A text that is no number (say, while it is being retyped) or is out of range is not
  // taken: the last one stays in force.
  if (isUsableProximity(text)) model_.takeProximity(text);
  markFields();
}

void KineticModel::txtVelRange_Change() {
  markFields();
}

void KineticModel::Timer1_Timer() {
  const bool ran =
      guarded("running the simulation", [this] { model_.Timer1_Timer(*Picture1, readouts_); });
  if (!readoutFrame_.isActive()) readoutFrame_.start();
  if (ran) emit ticked();
}

void KineticModel::setPace(int intervalMs) {
  paceInterval_ = intervalMs;
  // Before the first run the interval stays 0, so that "restart" still starts nothing.
  if (timerInterval_ > 0) setTimer(timerEnabled_, intervalMs);
}

void KineticModel::stepOnce() {
  if (hasRun() && !timerEnabled_) Timer1_Timer();
}

LabWindow* KineticModel::openLaboratory() {
  if (!lab_) lab_ = new LabWindow(*this);
  lab_->show();
  lab_->raise();
  lab_->activateWindow();
  return lab_;
}

LabWindow* KineticModel::laboratory() const {
  return lab_;
}

void KineticModel::showAbout() {
  QMessageBox::about(
      this, "About Kinetic Model",
      QString("<b>Kinetic Model</b> %1<br><br>A two-dimensional gas of hard discs in a box, to "
              "see and measure kinetic theory: equal energy per species whatever the mass, the "
              "Maxwell–Boltzmann speeds, the pressure and the random walk of one particle."
              "<br><br>Free software under the GNU General Public License, version 3 or later.")
          .arg(QApplication::applicationVersion()));
}

void KineticModel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction("Laboratory…", QKeySequence("Ctrl+L"), this, &KineticModel::openLaboratory);
  menu.addAction("About Kinetic Model…", this, &KineticModel::showAbout);
  menu.exec(event->globalPos());
}

void KineticModel::closeEvent(QCloseEvent* event) {
  setTimer(false, timerInterval_);
  if (lab_) lab_->close();
  QWidget::closeEvent(event);
}

void KineticModel::setTimer(bool enabled, int interval) {
  timerEnabled_ = enabled;
  timerInterval_ = interval;
  // Stopped, the labels show the last tick at once.
  if (!enabled) showReadouts();
  // An interval of 0 means the timer never fires, enabled or not.
  if (enabled && interval > 0)
    Timer1->start(interval);
  else
    Timer1->stop();
}

void KineticModel::showReadouts() {
  readoutFrame_.stop();
  readouts_.flush({Label1, Label2, Label3, Label7});
}

bool KineticModel::guarded(const QString& doing, const std::function<void()>& procedure) {
  try {
    procedure();
    return true;
  } catch (const RunError& e) {
    setTimer(false, timerInterval_);
    showMessage_("Kinetic Model", QString::fromStdString(stoppedMessage(doing.toStdString(), e)));
    return false;
  }
}

void KineticModel::markFields() {
  const auto problems = checkRunInput(runInput());
  auto mark = [&](MarkedField* field, Field kind, int row) {
    field->mark(QString::fromStdString(problemsOf(problems, kind, row)));
  };
  for (int k = 0; k < 4; ++k) {
    mark(txt_how_many[k], Field::Count, k);
    mark(txt_masses[k], Field::Mass, k);
  }
  mark(txtParticleRad, Field::Radius, -1);
  mark(txtVelRange, Field::VelocityRange, -1);
  const Cell& inForce = model_.state().collProx;
  txtProximity->mark(
      QString::fromStdString(proximityProblem(txtProximity->text().toStdString(), inForce)));
  // An empty proximity field shows the value still in force.
  txtProximity->setPlaceholderText(QString::fromStdString(readerText(inForce)));
}

}  // namespace km
