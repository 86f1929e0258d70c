// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QtTest>
#include <optional>

#include "bench_gas.h"
#include "conversions.h"
#include "kinetic_model.h"

using km::Cell;
using km::Kind;
using km::KineticModel;
using km::RGB;

namespace {

// The window with a recording colour dialog and message sink in place of the modal ones.
struct Window {
  KineticModel w;
  QStringList messages;
  QStringList dialogTitles;
  QColor dialogInitial;
  std::optional<QColor> nextColor;
  km::State& s = w.model().state();

  Window() {
    w.setMessageSink([this](const QString&, const QString& text) { messages << text; });
    w.setColorPicker([this](QWidget*, const QString& title, const QColor& initial) {
      dialogTitles << title;
      dialogInitial = initial;
      return nextColor;
    });
  }
  int ticksDuring(int ms) {
    int n = 0;
    auto c = QObject::connect(w.Timer1, &QTimer::timeout, [&] { ++n; });
    // A plain event loop: QTest::qWait sleeps between its rounds, which starves a 1 ms timer.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(c);
    return n;
  }
};

QRgb facePixel(QPushButton* b) {
  return b->grab().toImage().pixel(3, 3);
}

QRgb rgbOf(km::Color c) {
  return km::toQColor(c).rgb();
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startUpRows() {
    Window t;
    const char* masses[] = {" 1", " 4", " 16", " 64"};
    const char* counts[] = {" 32", " 8", " 2", "1"};
    const km::Color colors[] = {RGB(0, 255, 0), RGB(0, 0, 255), RGB(0, 255, 255), RGB(255, 0, 0)};
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(t.w.lbl_mass_id[i]->text(), QString("mass # %1").arg(i + 1));
      QCOMPARE(t.w.txt_masses[i]->text(), QString(masses[i]));
      QCOMPARE(t.w.lbl_how_many_m[i]->text(), QString("how many?"));
      QCOMPARE(t.w.txt_how_many[i]->text(), QString(counts[i]));
      QCOMPARE(t.w.cmd_color[i]->text(), QString("color"));
      QCOMPARE(facePixel(t.w.cmd_color[i]), rgbOf(colors[i]));
      QCOMPARE(t.s.speciesColor(i + 1).intValue(), colors[i]);
      // Each row on its line, left to right.
      const int top = t.w.txt_masses[i]->y();
      for (QWidget* c : std::initializer_list<QWidget*>{t.w.lbl_mass_id[i], t.w.lbl_how_many_m[i],
                                                        t.w.txt_how_many[i], t.w.cmd_color[i]})
        QCOMPARE(c->y(), top);
      QVERIFY(t.w.lbl_mass_id[i]->x() < t.w.txt_masses[i]->x());
      QVERIFY(t.w.txt_how_many[i]->x() < t.w.cmd_color[i]->x());
      for (QWidget* c : std::initializer_list<QWidget*>{t.w.lbl_mass_id[i], t.w.txt_masses[i],
                                                        t.w.lbl_how_many_m[i], t.w.txt_how_many[i],
                                                        t.w.cmd_color[i]}) {
        QString shown = c->property("text").toString();
        for (const char* creation : {"Label1", "Label2", "Text1", "Command1", "1st mass"})
          QVERIFY2(shown != creation, qPrintable(c->objectName()));
      }
    }
    QCOMPARE(t.s.speciesCount(0).kind(), Kind::Double);
    QCOMPARE(t.s.speciesCount(0).doubleValue(), 43.0);
    QCOMPARE(t.s.speciesMass(0).doubleValue(), 85.0);
    QCOMPARE(t.s.speciesCount(4).doubleValue(), 1.0);
  }

  void startUpDefaultsAndWindow() {
    Window t;
    QCOMPARE(t.w.windowTitle(), QString("Kinetic Model (monatomic)"));
    QCOMPARE(t.w.size(), QSize(739, 560));
    QCOMPARE(t.w.minimumSize(), t.w.maximumSize());
    QCOMPARE(t.s.velScale.intValue(), 20);
    QCOMPARE(t.s.partRad.kind(), Kind::Integer);
    QCOMPARE(t.s.partRad.intValue(), 12);
    QCOMPARE(t.s.collProx.intValue(), 24);
    // The fields show the values in force.
    QCOMPARE(t.w.txtParticleRad->text(), QString("12"));
    QCOMPARE(t.w.txtProximity->text(), QString("24"));
    QCOMPARE(t.w.txtVelRange->text(), QString("20"));
    QCOMPARE(t.w.Label4->text(), QString("KE_x:"));
    QCOMPARE(t.w.Label5->text(), QString("KE_y:"));
    QCOMPARE(t.w.Label1->text(), QString("Label1"));
    QCOMPARE(t.w.Label2->text(), QString());
    QCOMPARE(t.w.Label7->text(), QString());
    QVERIFY(!t.w.Timer1->isActive());
    QCOMPARE(t.w.timerInterval(), 0);
    const QImage& picture = t.w.Picture1->image();
    QCOMPARE(picture.size(), QSize(567, 500));
    for (int y = 0; y < picture.height(); y += 7)
      for (int x = 0; x < picture.width(); x += 7)
        QCOMPARE(qGray(picture.pixel(x, y)), 0);
    QVERIFY(t.w.Picture2 && t.w.Picture3);
  }

  void labelsStandBesideTheirFieldsAndReadFully() {
    Window t;
    auto leftOf = [](QWidget* label, QWidget* field) {
      return label->y() == field->y() && label->x() + label->width() <= field->x() + 1 &&
             field->x() - label->x() < 40;
    };
    QVERIFY(leftOf(t.w.lbl_particleRadius, t.w.txtParticleRad));
    QVERIFY(leftOf(t.w.lblVelRange, t.w.txtVelRange));
    QVERIFY(leftOf(t.w.lblProximity, t.w.txtProximity));
    const auto labels = t.w.findChildren<QLabel*>();
    QVERIFY(labels.size() >= 19);
    for (QLabel* l : labels) {
      QRect need = QFontMetrics(l->font()).boundingRect(QRect(0, 0, l->width(), 1000),
                                                        Qt::TextWordWrap, l->text());
      QVERIFY2(need.width() <= l->width() && need.height() <= l->height(),
               qPrintable(l->objectName() + ": " + l->text()));
    }
    // "how many?" needs its two lines.
    QFontMetrics fm(t.w.lbl_how_many_m[0]->font());
    const QRect cell(0, 0, t.w.lbl_how_many_m[0]->width(), 1000);
    QVERIFY(fm.boundingRect(cell, Qt::TextWordWrap, "how many?").height() >=
            2 * fm.boundingRect(cell, Qt::TextWordWrap, "how").height());
  }

  void countAndMassFieldsTakeValAtOnce() {
    Window t;
    struct {
      const char* text;
      double value;
    } rows[] = {{"abc", 0}, {"7 abc", 7}, {"", 0}, {"2.5", 2.5}};
    for (auto r : rows) {
      t.w.txt_how_many[1]->setText(r.text);
      QCOMPARE(t.s.speciesCount(2).doubleValue(), r.value);
      QCOMPARE(t.s.speciesCount(0).doubleValue(), 35 + r.value);
    }
    t.w.txt_masses[2]->setText("x");
    QCOMPARE(t.s.speciesMass(0).doubleValue(), 69.0);
  }

  void commandsDriveTheTimer() {
    Window t;
    t.w.Command2->click();  // restart before any run: the interval is still 0
    QCOMPARE(t.ticksDuring(60), 0);
    QCOMPARE(t.w.Label1->text(), QString("Label1"));

    t.w.runSImulation->click();
    QVERIFY(t.w.Timer1->isActive());
    QCOMPARE(t.w.Timer1->interval(), 1);
    QCOMPARE(t.w.Timer1->timerType(), Qt::PreciseTimer);
    QVERIFY(t.ticksDuring(100) > 10);
    QCOMPARE(t.w.Label1->text().size(), 8);
    QVERIFY(!t.w.Label2->text().isEmpty());

    t.w.cmd_stop_simulation->click();
    QVERIFY(!t.w.Timer1->isActive());
    const double pausedX = t.s.posX(2).toDouble();
    QCOMPARE(t.ticksDuring(60), 0);
    QCOMPARE(t.s.posX(2).toDouble(), pausedX);

    // restart goes on with the same particles: the gas ends where the paused state, stepped
    // as many ticks on its own, ends.
    km::SeededGenerator rnd;
    km::bench::FixedClock clock;
    km::bench::NullSurface surface;
    km::bench::NullDisplay display;
    km::Simulation reference(rnd, clock);
    reference.state() = t.s;
    t.w.Command2->click();
    const int ticks = t.ticksDuring(60);
    t.w.cmd_stop_simulation->click();
    QVERIFY(ticks > 0);
    for (int n = 0; n < ticks; ++n)
      reference.Timer1_Timer(surface, display);
    for (int i = 1; i <= 43; ++i) {
      QCOMPARE(t.s.posX(i).toDouble(), reference.state().posX(i).toDouble());
      QCOMPARE(t.s.velY(i).toDouble(), reference.state().velY(i).toDouble());
    }
    QVERIFY(t.s.posX(2).toDouble() != pausedX);

    // A second run starts afresh: particle 1 parked at the centre, new placement.
    t.w.runSImulation->click();
    t.w.cmd_stop_simulation->click();
    QCOMPARE(t.s.posX(1).kind(), Kind::Integer);
    QCOMPARE(t.s.posX(1).intValue(), 500);
    QCOMPARE(t.s.posX(2).kind(), Kind::Single);
  }

  void countTypedDuringARunTakesEffectAtOnce() {
    Window t;
    t.w.runSImulation->click();
    t.w.txt_how_many[0]->setText("10");
    QCOMPARE(t.s.speciesCount(0).doubleValue(), 21.0);
    QCOMPARE(t.w.model().lastParticle(), 21);
    t.w.txt_how_many[0]->setText("300");
    QCOMPARE(t.w.model().lastParticle(), 43);  // never past the placed particles
    QVERIFY(t.ticksDuring(50) > 0);
    QVERIFY(t.messages.isEmpty());
  }

  void radiusEditsWaitForTheNextRun() {
    Window t;
    t.w.runSImulation->click();
    t.w.txtParticleRad->setText("20");
    QCOMPARE(t.s.partRad.textValue(), std::string_view("20"));
    QCOMPARE(t.s.partRadius(5).intValue(), 12);
    QVERIFY(t.ticksDuring(30) > 0);
    QCOMPARE(t.s.partRadius(5).intValue(), 12);
    t.w.runSImulation->click();
    QCOMPARE(t.s.partRadius(5).textValue(), std::string_view("20"));
  }

  void proximityFieldKeepsTheLastNumber() {
    Window t;
    t.w.txtProximity->setText("");
    QCOMPARE(t.s.collProx.intValue(), 24);
    QCOMPARE(t.w.txtProximity->property("inUse").toBool(), false);
    QVERIFY(t.w.txtProximity->toolTip().contains("24"));
    QCOMPARE(t.w.txtProximity->palette().color(QPalette::Text), QColor(Qt::red));
    t.w.txtProximity->setText("-30");
    QCOMPARE(t.s.collProx.textValue(), std::string_view("-30"));
    QCOMPARE(t.w.txtProximity->property("inUse").toBool(), true);
    QVERIFY(t.w.txtProximity->toolTip().isEmpty());
    t.w.txtProximity->setText("-30x");
    QCOMPARE(t.s.collProx.textValue(), std::string_view("-30"));
    t.w.runSImulation->click();
    QVERIFY(t.ticksDuring(50) > 0);
    QVERIFY(t.messages.isEmpty());
    QVERIFY(t.w.Timer1->isActive());
  }

  void runRefusesBadInputAndChangesNothing() {
    Window t;
    t.w.txt_how_many[0]->setText("abc");
    t.w.txtParticleRad->setText("big");
    QCOMPARE(t.w.txtParticleRad->property("inUse").toBool(), false);
    t.w.txtVelRange->setText(" ");
    QCOMPARE(t.w.txtVelRange->property("inUse").toBool(), false);
    t.w.runSImulation->click();
    QCOMPARE(t.messages.size(), 1);
    QVERIFY(t.messages[0].contains("species 1"));
    QVERIFY(t.messages[0].contains("radius"));
    QVERIFY(t.messages[0].contains("velocity range"));
    QVERIFY(!t.w.Timer1->isActive());
    QCOMPARE(t.s.placedCount, 0);
    QCOMPARE(t.s.speciesCount(1).kind(), Kind::Double);  // set-up did not run

    // During a run a refused "Run Simulation" leaves the run going.
    t.w.txt_how_many[0]->setText("32");
    t.w.txtParticleRad->setText("12");
    t.w.txtVelRange->setText("20");
    t.w.runSImulation->click();
    QVERIFY(t.w.Timer1->isActive());
    t.w.txt_masses[1]->setText("0");
    t.w.runSImulation->click();
    QCOMPARE(t.messages.size(), 2);
    QVERIFY(t.messages[1].contains("species 2"));
    QVERIFY(t.w.Timer1->isActive());
    QCOMPARE(t.s.partMass(33).textValue(), std::string_view(" 4"));
  }

  // Every field is marked where "Run Simulation" would refuse it, with the refusal's own
  // words as tooltip, and the refusal names every bad field at once in the window's order.
  void fieldsAreMarkedAsTheRunWouldRefuseThem() {
    Window t;
    auto frameIsRed = [](QLineEdit* f) {
      return f->grab().toImage().pixel(0, f->height() / 2) == qRgb(255, 0, 0);
    };
    for (QLineEdit* f : t.w.findChildren<QLineEdit*>()) {
      QVERIFY2(f->toolTip().isEmpty(), qPrintable(f->objectName()));
      QVERIFY(!frameIsRed(f));
    }
    t.w.txt_how_many[3]->setText("-1");
    t.w.txt_masses[1]->setText("0.05");
    t.w.txtParticleRad->setText("-5");
    t.w.txtVelRange->setText("");
    for (km::MarkedField* f :
         {t.w.txt_how_many[3], t.w.txt_masses[1], t.w.txtParticleRad, t.w.txtVelRange}) {
      QVERIFY2(f->marked() && frameIsRed(f), qPrintable(f->objectName()));
      QVERIFY(!f->toolTip().contains("  "));
    }
    QVERIFY(!t.w.txt_masses[0]->marked() && !t.w.txt_how_many[0]->marked());
    QCOMPARE(t.w.txt_masses[1]->toolTip(),
             QString("The mass of species 2 is \"0.05\"; a species with particles needs a mass "
                     "from 0.1 to 1,000,000."));
    t.w.runSImulation->click();
    QCOMPARE(t.messages.size(), 1);
    const QString& m = t.messages[0];
    int at = 0;
    for (km::MarkedField* f :
         {t.w.txt_how_many[3], t.w.txt_masses[1], t.w.txtParticleRad, t.w.txtVelRange}) {
      const int next = m.indexOf(f->toolTip());
      QVERIFY2(next > at, qPrintable(f->objectName() + " in " + m));
      at = next;
    }
    QVERIFY(!m.contains("  "));
    t.w.txtVelRange->setText("20");
    QVERIFY(!t.w.txtVelRange->marked() && !frameIsRed(t.w.txtVelRange));
    QVERIFY(t.w.txtVelRange->toolTip().isEmpty());

    // An empty proximity field shows its mark and the value still in force.
    t.w.txtProximity->setText("");
    QVERIFY(frameIsRed(t.w.txtProximity));
    QCOMPARE(t.w.txtProximity->placeholderText(), QString("24"));
  }

  // Typing never stops the gas: an overflowing mass waits for "Run Simulation" to refuse it,
  // an overflowing count total leaves the last total that was a number in force.
  void typingNeverStopsTheClock() {
    Window t;
    t.w.runSImulation->click();
    t.w.txt_masses[2]->setText("1e308");
    t.w.txt_masses[3]->setText("1e308");
    t.w.txt_how_many[0]->setText("10");
    t.w.txt_how_many[1]->setText("1e308");
    t.w.txt_how_many[2]->setText("1e308");
    QVERIFY(t.w.Timer1->isActive());
    QVERIFY(t.messages.isEmpty());
    QCOMPARE(t.s.speciesCount(0).doubleValue(), 10 + 1e308 + 1);
    QVERIFY(t.ticksDuring(40) > 0);
    for (km::MarkedField* f :
         {t.w.txt_masses[2], t.w.txt_masses[3], t.w.txt_how_many[1], t.w.txt_how_many[2]})
      QVERIFY2(f->marked(), qPrintable(f->objectName()));
    t.w.runSImulation->click();
    QCOMPARE(t.messages.size(), 1);
    QVERIFY(t.messages[0].startsWith("The simulation cannot start"));
    QVERIFY(t.w.Timer1->isActive());
  }

  // A picked colour keeps the window's font on its button, however often it is picked.
  void colourPickKeepsTheWindowFont() {
    Window t;
    t.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.w));
    for (int pick = 0; pick < 3; ++pick) {
      t.nextColor = QColor(40 * pick, 200, 30);
      t.w.cmd_color[1]->click();
      QCoreApplication::processEvents();
      for (int k : {0, 2})
        QCOMPARE(t.w.cmd_color[1]->fontInfo().pixelSize(),
                 t.w.cmd_color[k]->fontInfo().pixelSize());
      QCOMPARE(t.w.cmd_color[1]->font(), t.w.cmd_color[0]->font());
    }
  }

  void velocityRangeTakesEffectAtTheNextRun() {
    Window t;
    t.w.txtVelRange->setText("0");
    QCOMPARE(t.s.velScale.intValue(), 20);
    t.w.runSImulation->click();
    t.w.cmd_stop_simulation->click();
    for (int i = 2; i <= 43; ++i)
      QCOMPARE(t.s.velX(i).toDouble(), 0.0);
  }

  void runTimeErrorStopsTheTimerAndRestartGoesOn() {
    Window t;
    t.w.runSImulation->click();
    t.w.cmd_stop_simulation->click();
    // Particles 2 and 3 on top of each other, the partner without mass.
    t.s.posX(2) = 300.0;
    t.s.posY(2) = 300.0;
    t.s.posX(3) = 305.0;
    t.s.posY(3) = 300.0;
    t.s.partMass(3) = 0.0;
    t.w.Command2->click();
    QTRY_COMPARE(t.messages.size(), 1);
    QVERIFY(!t.w.Timer1->isActive());
    QVERIFY(t.messages[0].contains("Division by zero"));
    QVERIFY(t.messages[0].contains("particles 2 and 3"));
    t.s.partMass(3) = 4.0;
    t.w.Command2->click();
    QVERIFY(t.ticksDuring(40) > 0);
    QCOMPARE(t.messages.size(), 1);
  }

  void colourDialog() {
    Window t;
    t.nextColor = QColor(10, 200, 30);
    t.w.runSImulation->click();
    t.w.cmd_stop_simulation->click();
    t.w.cmd_color[1]->click();
    QCOMPARE(t.dialogTitles.value(0), QString("Select color for mass #  2"));
    QCOMPARE(t.dialogInitial, QColor(0, 0, 255));
    QCOMPARE(t.s.speciesColor(2).intValue(), RGB(10, 200, 30));
    QCOMPARE(facePixel(t.w.cmd_color[1]), qRgb(10, 200, 30));
    QCOMPARE(t.s.partColor(33).intValue(), RGB(0, 0, 255));  // placed particles keep theirs
    t.w.runSImulation->click();
    QCOMPARE(t.s.partColor(33).intValue(), RGB(10, 200, 30));
    QCOMPARE(t.s.partColor(32).intValue(), RGB(0, 255, 0));

    t.nextColor.reset();  // cancelled
    t.w.cmd_color[0]->click();
    QCOMPARE(t.dialogTitles.value(1), QString("Select color for mass #  1"));
    QCOMPARE(t.s.speciesColor(1).intValue(), RGB(0, 255, 0));
    QCOMPARE(facePixel(t.w.cmd_color[0]), qRgb(0, 255, 0));
  }

  void realTimerDrawsTheGas() {
    Window t;
    t.w.show();
    t.w.runSImulation->click();
    QTRY_VERIFY_WITH_TIMEOUT(t.w.Label1->text() != "Label1", 2000);
    int ticks = t.ticksDuring(400);
    t.w.cmd_stop_simulation->click();
    QVERIFY2(ticks >= 100, qPrintable(QString::number(ticks)));
    // Particle 1's disc is on the picture in its colour.
    const QImage& img = t.w.Picture1->image();
    const double sx = img.width() / 1000.0, sy = img.height() / 1000.0;
    const double cx = t.s.posX(1).toDouble() * sx, cy = t.s.posY(1).toDouble() * sy;
    const double r = 12 * sx;
    int inside = 0, colored = 0;
    for (int y = int(cy - r); y <= int(cy + r); ++y)
      for (int x = int(cx - r); x <= int(cx + r); ++x) {
        if (!img.rect().contains(x, y) || std::hypot(x + 0.5 - cx, y + 0.5 - cy) > r - 1) continue;
        ++inside;
        colored += img.pixel(x, y) == rgbOf(t.s.partColor(1).toIndex());
      }
    QVERIFY(inside > 50);
    QVERIFY2(colored * 2 > inside, qPrintable(QString("%1 of %2").arg(colored).arg(inside)));
    QVERIFY(t.messages.isEmpty());
  }

  // The QTimer runs exactly while the rules' clock does, whoever changes it; stopped, the
  // labels show the last tick at once.
  void theTimerFollowsTheRules() {
    Window t;
    km::MainRules& rules = t.w.rules();
    rules.setPace(17);
    QVERIFY(!t.w.Timer1->isActive());  // no run yet
    t.w.runSImulation->click();
    QCOMPARE(t.w.Timer1->interval(), 17);
    rules.setPace(4);
    QVERIFY(t.w.Timer1->isActive());
    QCOMPARE(t.w.Timer1->interval(), 4);
    QVERIFY(t.ticksDuring(60) > 0);
    // Ticks whose readouts wait for the next frame.
    for (int k = 0; k < 5; ++k)
      t.w.Timer1_Timer();
    rules.pause();
    QVERIFY(!t.w.Timer1->isActive());
    for (QLabel* l : {t.w.Label1, t.w.Label2, t.w.Label3, t.w.Label7})
      QCOMPARE(l->text().toStdString(), rules.readout(l->objectName().toStdString()));
    // A step while paused shows its readouts within a frame and leaves the clock stopped.
    const QString before = t.w.Label2->text();
    while (rules.readout("Label2") == before.toStdString())
      t.w.stepOnce();
    QVERIFY(!t.w.Timer1->isActive());
    QTRY_COMPARE(t.w.Label2->text().toStdString(), rules.readout("Label2"));
    rules.restart();
    QVERIFY(t.w.Timer1->isActive());
    QCOMPARE(t.w.Timer1->interval(), 4);
  }

  // The desktop's own words, which the page does not show, come through unchanged.
  void theDesktopsOwnTexts() {
    Window t;
    QCOMPARE(t.w.Picture1->toolTip(), QString("Right-click for the laboratory (Ctrl+L)"));
    QCOMPARE(t.w.cmd_exit_program->text(), QString("Quit "));
    QString title, text;
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
      }
    });
    QApplication::setApplicationVersion("1.2.3");
    t.w.showAbout();
    QCOMPARE(title, QString("About Kinetic Model"));
    QVERIFY2(text.startsWith("<b>Kinetic Model</b> 1.2.3<br><br>A two-dimensional gas"),
             qPrintable(text));
    QVERIFY(text.endsWith("version 3 or later."));
  }

  void quitEndsTheEventLoop() {
    Window t;
    t.w.show();
    t.w.runSImulation->click();
    QTimer::singleShot(20, t.w.cmd_exit_program, &QPushButton::click);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!t.w.isVisible());
    QVERIFY(!t.w.Timer1->isActive());
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
