// SPDX-License-Identifier: GPL-3.0-or-later
// A reproducible monkey: seeded random actions over every control of the real window, with
// ticks between them. Set MONKEY_SEED to replay one seed, MONKEY_ACTIONS to change the length.
#include <QApplication>
#include <QtTest>
#include <optional>
#include <random>

#include "input_check.h"
#include "kinetic_model.h"

namespace {

struct Snapshot {
  std::vector<std::pair<km::Kind, double>> cells;
  int from = 501;
};

// Particles beyond the placed ones, as they stand.
Snapshot beyondPlaced(const km::State& s) {
  Snapshot snap;
  snap.from = s.placedCount + 1;
  for (int i = snap.from; i <= 500; ++i)
    for (const km::Cell* c : {&s.posX(i), &s.posY(i), &s.velX(i), &s.velY(i)})
      snap.cells.emplace_back(c->kind(), c->kind() == km::Kind::Text ? 0 : c->toDouble());
  return snap;
}

class Monkey {
 public:
  explicit Monkey(std::uint32_t seed) : seed_(seed), gen_(seed) {
    w_.setMessageSink([this](const QString&, const QString& text) { messages_ << text; });
    w_.setColorPicker([this](QWidget*, const QString&, const QColor&) -> std::optional<QColor> {
      if (pick(3) == 0) return std::nullopt;
      return QColor(pick(256), pick(256), pick(256));
    });
    w_.show();
    fields_ = {w_.txtParticleRad, w_.txtProximity, w_.txtVelRange};
    for (int k = 0; k < 4; ++k)
      fields_.insert(fields_.end(), {w_.txt_how_many[k], w_.txt_masses[k]});
  }

  // Runs the actions; returns an empty string or what went wrong, with the seed and action.
  QString run(int actions) {
    for (step_ = 0; step_ < actions; ++step_) {
      const int before = messages_.size();
      const bool typing = act();
      if (QString e = check(before, typing); !e.isEmpty())
        return QString("seed %1, action %2 (%3): %4").arg(seed_).arg(step_).arg(last_, e);
    }
    return {};
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen_); }

  QString randomText() {
    static const char* pieces[] = {"0",   "1",   "7",   "12",  "24",    "-",        "+",
                                   ".",   "e",   "E",   "d",   "1e308", "-0",       "nan",
                                   "inf", " ",   "\t",  "abc", "x",     "\xc3\xa9", "\xe2\x82\xac",
                                   "500", "0.5", "1e9", "-1e9"};
    switch (pick(12)) {
      case 0:
        return {};
      case 1:
        return QString(10000, QChar('0' + pick(10)));
      case 2:
        return QString::number(pick(1000));
      case 3:
        return QString::number(pick(200) / 10.0);
      default:
        break;
    }
    QString t;
    for (int n = pick(4) + 1; n > 0; --n)
      t += QString::fromUtf8(pieces[pick(std::size(pieces))]);
    return t;
  }

  // Inputs the check accepts, at their edges.
  void extremeButAccepted() {
    const char* counts[] = {"500", "0", "0", "0"};
    const char* masses[] = {"0.1", "1e6"};
    for (int k = 0; k < 4; ++k) {
      w_.txt_how_many[k]->setText(pick(2) ? counts[k] : QString::number(pick(120)));
      w_.txt_masses[k]->setText(masses[pick(2)]);
    }
    w_.txtParticleRad->setText(pick(2) ? "0" : "600");
    w_.txtProximity->setText(pick(2) ? "0" : "1e9");
    w_.txtVelRange->setText(pick(2) ? "0" : "1000");
  }

  // One action; true when it typed into a field.
  bool act() {
    const int a = pick(100);
    if (a < 45) {
      QLineEdit* f = fields_[static_cast<std::size_t>(pick(static_cast<int>(fields_.size())))];
      last_ = "type into " + f->objectName();
      if (pick(5) == 0) {
        // Key events can carry printable ASCII only; other characters come by setText.
        QString keys;
        for (QChar c : randomText().left(20))
          if (c.unicode() >= 32 && c.unicode() < 127) keys += c;
        f->setFocus();
        QTest::keyClicks(f, keys);
        if (pick(2)) QTest::keyClick(f, Qt::Key_Backspace);
      } else {
        f->setText(randomText());
      }
      return true;
    }
    if (a < 47) {
      last_ = "extreme accepted inputs";
      extremeButAccepted();
      return true;
    }
    if (a < 57) {
      last_ = "Run Simulation";
      const bool accepted = checkRunInput().empty();
      w_.runSImulation->click();
      if (accepted) {
        hadRun_ = true;
        expectRunning_ = true;
        beyond_ = beyondPlaced(w_.model().state());
      }
      expectRefusal_ = !accepted;
      return false;
    }
    if (a < 64) {
      last_ = "pause";
      w_.cmd_stop_simulation->click();
      expectRunning_ = false;
      return false;
    }
    if (a < 71) {
      last_ = "restart";
      w_.Command2->click();
      expectRunning_ = hadRun_;
      return false;
    }
    if (a < 76) {
      last_ = "color";
      w_.cmd_color[static_cast<std::size_t>(pick(4))]->click();
      return false;
    }
    last_ = "ticks";
    for (int n = pick(4); n > 0 && w_.Timer1->isActive(); --n)
      w_.Timer1_Timer();
    if (pick(10) == 0) QCoreApplication::processEvents();
    return false;
  }

  std::vector<km::InputProblem> checkRunInput() const {
    km::RunInput in;
    for (int k = 0; k < 4; ++k) {
      in.rows.counts[k] = w_.txt_how_many[k]->text().toStdString();
      in.rows.masses[k] = w_.txt_masses[k]->text().toStdString();
    }
    in.radius = w_.txtParticleRad->text().toStdString();
    in.velocityRange = w_.txtVelRange->text().toStdString();
    return km::checkRunInput(in);
  }

  QString check(int before, bool typing) {
    if (!w_.isVisible()) return "the window is gone";
    const bool refusal = std::exchange(expectRefusal_, false);
    const QStringList fresh = messages_.mid(before);
    if (refusal && (fresh.size() != 1 || !fresh[0].startsWith("The simulation cannot start")))
      return "a refused run was not told to the user";
    for (const QString& m : fresh) {
      if (m.startsWith("The simulation cannot start") && !refusal)
        return "unexpected refusal: " + m;
      // Accepted runs never fail, and nothing typed into a field stops the clock.
      if (m.startsWith("The simulation stopped")) return "a run-time error: " + m;
    }
    if (typing) {
      const auto problems = checkRunInput();
      for (int k = 0; k < 4; ++k)
        for (auto [field, kind] : {std::pair{w_.txt_how_many[k], km::Field::Count},
                                   std::pair{w_.txt_masses[k], km::Field::Mass}})
          if (field->marked() != !km::problemsOf(problems, kind, k).empty())
            return field->objectName() + " is marked otherwise than the check says";
      if (w_.txtParticleRad->marked() != !km::problemsOf(problems, km::Field::Radius, -1).empty())
        return "txtParticleRad is marked otherwise than the check says";
    }
    if (w_.Timer1->isActive() != expectRunning_)
      return QString("timer %1, expected %2").arg(w_.Timer1->isActive()).arg(expectRunning_);
    if (step_ % 100 == 0 || step_ + 1 == 0) {
      const Snapshot now = beyondPlaced(w_.model().state());
      if (now.from == beyond_.from && now.cells != beyond_.cells)
        return "a particle beyond the placed ones changed";
    }
    return {};
  }

  std::uint32_t seed_;
  std::mt19937 gen_;
  km::KineticModel w_;
  QStringList messages_;
  std::vector<QLineEdit*> fields_;
  QString last_;
  int step_ = 0;
  bool hadRun_ = false;
  bool expectRunning_ = false;
  bool expectRefusal_ = false;
  Snapshot beyond_ = beyondPlaced(w_.model().state());
};

}  // namespace

class MonkeyTest : public QObject {
  Q_OBJECT

 private slots:
  void randomActionsNeverBreakThePromise() {
    const int actions = qEnvironmentVariableIsSet("MONKEY_ACTIONS")
                            ? qEnvironmentVariableIntValue("MONKEY_ACTIONS")
                            : 10000;
    std::vector<std::uint32_t> seeds = {1, 2};
    if (qEnvironmentVariableIsSet("MONKEY_SEED"))
      seeds = {static_cast<std::uint32_t>(qEnvironmentVariableIntValue("MONKEY_SEED"))};
    for (std::uint32_t seed : seeds) {
      Monkey monkey(seed);
      const QString failure = monkey.run(actions);
      QVERIFY2(failure.isEmpty(), qPrintable(failure + " (replay with MONKEY_SEED)"));
    }
  }
};

QTEST_MAIN(MonkeyTest)
#include "monkey_test.moc"
