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

#include "lab_window.h"

namespace km {

double SystemClock::secondsSinceMidnight() const {
  return QTime(0, 0).msecsTo(QTime::currentTime()) / 1000.0;
}

void paintButtonFace(QPushButton* button, const QString& face, const QString& captionColor) {
  // A border of its own makes the style sheet draw the whole face in exactly this colour.
  button->setStyleSheet(
      QString("QPushButton { background-color: %1; color: %2; border: 1px solid #606060; }"
              "QPushButton:pressed { border: 2px solid #303030; }")
          .arg(face, captionColor));
  // A style sheet set on a shown button puts the application's font on it: give it back the
  // font of the window.
  if (QWidget* window = button->parentWidget()) button->setFont(window->font());
}

QColor toQColor(Color c) {
  return QColor(c & 255, (c >> 8) & 255, (c >> 16) & 255);
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
  rules_ = std::make_unique<MainRules>(rnd_, clock_, *Picture1);
  rules_->setListener(&hearing_);
  wireEvents();
  Form_Load();
}

KineticModel::~KineticModel() {
  delete lab_;
  rules_->setListener(nullptr);
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

// The rules have started up; the window shows their captions, texts and colours.
void KineticModel::Form_Load() {
  const MainRules& r = *rules_;
  setWindowTitle(QString::fromStdString(r.caption("KineticModel")));
  Picture1->setToolTip(QString::fromStdString(r.caption("Picture1.tip")));
  for (QWidget* c : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const QString caption = QString::fromStdString(r.caption(c->objectName().toStdString()));
    if (caption.isEmpty()) continue;
    if (auto* label = qobject_cast<QLabel*>(c)) label->setText(caption);
    if (auto* button = qobject_cast<QPushButton*>(c)) button->setText(caption);
  }
  for (MarkedField* f : fields()) {
    // The rules took these texts as typed: shown, they are not typed again.
    const QSignalBlocker quiet(f);
    f->setText(QString::fromStdString(r.fieldText(f->objectName().toStdString())));
  }
  const int rowLeft = 8800;
  const int rowTop = 1100;
  for (int i = 0; i <= 3; ++i) {
    const int top = rowTop + 450 * i;
    placeInTwips(lbl_mass_id[i], rowLeft, top, 400, 375);
    placeInTwips(txt_masses[i], rowLeft + 400, top, 400, 375);
    placeInTwips(lbl_how_many_m[i], rowLeft + 800, top, 400, 375);
    placeInTwips(txt_how_many[i], rowLeft + 1200, top, 400, 375);
    placeInTwips(cmd_color[i], rowLeft + 1600, top, 600, 375);
    paintFace(i);
  }
  markFields();
  // A start-up that failed says so.
  if (const std::string m = rules_->takeMessage(); !m.empty())
    showMessage_(QString::fromStdString(r.caption("message")), QString::fromStdString(m));
}

void KineticModel::runSImulation_Click() {
  rules_->runSimulation();
}

void KineticModel::cmd_stop_simulation_Click() {
  rules_->pause();
}

void KineticModel::Command2_Click() {
  rules_->restart();
}

void KineticModel::cmd_exit_program_Click() {
  rules_->pause();
  close();
  QApplication::quit();
}

void KineticModel::cmd_color_Click(int k) {
  const QString title = QString::fromStdString(rules_->colorTitle(k));
  const QColor initial(QString::fromStdString(rules_->speciesColor(k)));
  std::optional<QColor> chosen = pickColor_(this, title, initial);
  // Cancelling leaves the species as it was.
  if (!chosen) return;
  rules_->pickColor(k, chosen->name().toStdString());
  paintFace(k);
}

void KineticModel::txt_how_many_Change(int k) {
  typed(txt_how_many[k]);
}

void KineticModel::txt_masses_Change(int k) {
  typed(txt_masses[k]);
}

void KineticModel::txtParticleRad_Change() {
  typed(txtParticleRad);
}

void KineticModel::txtProximity_Change() {
  typed(txtProximity);
}

void KineticModel::txtVelRange_Change() {
  typed(txtVelRange);
}

void KineticModel::Timer1_Timer() {
  if (rules_->running())
    rules_->tick(1);
  else
    rules_->stepOnce();
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
      this, QString::fromStdString(rules_->caption("aboutTitle")),
      QString::fromStdString(rules_->caption("aboutText")).arg(QApplication::applicationVersion()));
}

void KineticModel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(QString::fromStdString(rules_->caption("menuLaboratory")), QKeySequence("Ctrl+L"),
                 this, &KineticModel::openLaboratory);
  menu.addAction(QString::fromStdString(rules_->caption("menuAbout")), this,
                 &KineticModel::showAbout);
  menu.exec(event->globalPos());
}

void KineticModel::closeEvent(QCloseEvent* event) {
  rules_->pause();
  if (lab_) lab_->close();
  QWidget::closeEvent(event);
}

// The QTimer runs exactly while the rules' clock does; stopped, the labels show the last tick
// at once.
void KineticModel::Hearing::clockChanged() {
  if (w.rules_->running()) {
    w.Timer1->start(w.rules_->timerInterval());
  } else {
    w.Timer1->stop();
    w.showReadouts();
  }
}

// Readouts are shown at most once a display frame, so the labels are not laid out and
// repainted again on every tick.
void KineticModel::Hearing::ticked() {
  if (!w.readoutFrame_.isActive()) w.readoutFrame_.start();
  emit w.ticked();
}

void KineticModel::Hearing::messageLeft() {
  w.showMessage_(QString::fromStdString(w.rules_->caption("message")),
                 QString::fromStdString(w.rules_->takeMessage()));
}

void KineticModel::showReadouts() {
  readoutFrame_.stop();
  if (rules_->readoutVersion() == readoutsShown_) return;
  readoutsShown_ = rules_->readoutVersion();
  for (QLabel* label : {Label1, Label2, Label3, Label7}) {
    const QString text = QString::fromStdString(rules_->readout(label->objectName().toStdString()));
    if (label->text() != text) label->setText(text);
  }
}

void KineticModel::typed(MarkedField* field) {
  rules_->typeInto(field->objectName().toStdString(), field->text().toStdString());
  markFields();
}

void KineticModel::markFields() {
  for (MarkedField* f : fields())
    f->mark(QString::fromStdString(rules_->fieldProblem(f->objectName().toStdString())));
  // An empty proximity field shows the value still in force.
  txtProximity->setPlaceholderText(
      QString::fromStdString(rules_->fieldPlaceholder(txtProximity->objectName().toStdString())));
}

std::array<MarkedField*, 11> KineticModel::fields() const {
  return {txt_how_many[0], txt_how_many[1], txt_how_many[2], txt_how_many[3],
          txt_masses[0],   txt_masses[1],   txt_masses[2],   txt_masses[3],
          txtParticleRad,  txtProximity,    txtVelRange};
}

void KineticModel::paintFace(int k) {
  paintButtonFace(cmd_color[k], QString::fromStdString(rules_->speciesColor(k)),
                  QString::fromStdString(rules_->captionColor(k)));
}

}  // namespace km
