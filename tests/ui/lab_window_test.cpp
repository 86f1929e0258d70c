// SPDX-License-Identifier: GPL-3.0-or-later
#include <sched.h>
#include <sys/mount.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QGraphicsSimpleTextItem>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>
#include <cmath>

#include "bench_gas.h"
#include "headless_run.h"
#include "kinetic_model.h"
#include "lab_tabs.h"
#include "lab_window.h"
#include "summary.h"
#include "sweep_table.h"
#include "tables.h"

using km::KineticModel;
using km::LabWindow;

namespace {

// The main window with its message box replaced, and a running start-up gas, paused so that
// the test steps it tick by tick.
struct Rig {
  KineticModel w;
  QStringList messages;
  Rig() {
    w.setMessageSink([this](const QString&, const QString& text) { messages << text; });
    w.show();
  }
  void run() {
    w.runSImulation->click();
    w.cmd_stop_simulation->click();
  }
  void ticks(int n) {
    for (int k = 0; k < n; ++k)
      w.Timer1_Timer();
  }
  LabWindow* lab() {
    LabWindow* l = w.openLaboratory();
    l->setMessageSink([this](const QString&, const QString& text) { messages << text; });
    return l;
  }
};

// The points of a time series as a chart draws them: at most 200, neighbours averaged in equal
// groups, blanks left out.
QList<QPointF> points(const std::vector<km::lab::Point>& p) {
  QList<QPointF> out;
  for (const km::lab::Point& q : km::lab::thinned(p, 200))
    if (std::isfinite(q.value)) out.append(QPointF(q.tick, q.value));
  return out;
}

// The fields of one CSV line: commas inside double quotes do not split.
QStringList fields(const QString& line) {
  QStringList out{QString()};
  bool quoted = false;
  for (QChar c : line) {
    if (c == '"')
      quoted = !quoted;
    else if (c == ',' && !quoted)
      out << QString();
    else
      out.last() += c;
  }
  return out;
}

// A legend's words as a reader sees them: the rich text's plain text with its unbreakable
// spaces and dashes read as ordinary ones.
QString legendWords(const QString& richText) {
  QTextDocument doc;
  doc.setHtml(richText);
  return doc.toPlainText()
      .replace(QChar(0x00A0), ' ')
      .replace(QChar(0x2011), '-')
      .remove(QChar(0x2060));
}

QList<QPointF> pointsOf(QAbstractSeries* s) {
  auto* xy = qobject_cast<QXYSeries*>(s);
  return xy ? xy->points() : QList<QPointF>{};
}

// The visible series of a chart whose name starts with `name`, or nullptr.
QAbstractSeries* seriesOf(km::ChartView* view, const QString& name) {
  if (!view) return nullptr;
  for (QAbstractSeries* s : view->chart()->series())
    if (s->isVisible() && s->name().startsWith(name)) return s;
  return nullptr;
}

}  // namespace

class LabWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void opensByShortcutAndContextMenu() {
    Rig t;
    QVERIFY(!t.w.laboratory());
    QApplication::setActiveWindow(&t.w);
    t.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&t.w));
    QTest::keyClick(&t.w, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(t.w.laboratory());
    QVERIFY(t.w.laboratory()->isVisible());
    t.w.laboratory()->close();
    QTRY_VERIFY(!t.w.laboratory());

    // The context menu offers the laboratory and the about box.
    QStringList offered;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu);
      for (QAction* a : menu->actions())
        offered << a->text();
      menu->actions().first()->trigger();
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(300, 300),
                            t.w.mapToGlobal(QPoint(300, 300)));
    QApplication::sendEvent(t.w.Picture1, &event);
    QCOMPARE(offered, (QStringList{"Laboratory…", "About Kinetic Model…"}));
    QVERIFY(t.w.laboratory());
    // The main window is as it was.
    QCOMPARE(t.w.size(), QSize(739, 560));
    QCOMPARE(t.w.windowTitle(), QString("Kinetic Model (monatomic)"));
  }

  void chartsHoldTheLaboratorysMeasurements() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->warmup->setValue(100);
    t.ticks(1500);
    lab->refresh(true);
    const km::lab::Results r = lab->laboratory().results();
    const km::lab::History& h = lab->laboratory().history();
    QCOMPARE(r.ticks, 1500L);
    QCOMPARE(r.measuredTicks, 1400L);
    QCOMPARE(static_cast<int>(r.species.size()), 4);
    for (const km::lab::SpeciesResult& s : r.species) {
      const QString species = QString("species %1").arg(s.species);
      QCOMPARE(pointsOf(seriesOf(lab->chart("equipartition"), species + ":")).value(0).y(),
               s.kT.value);
      QCOMPARE(pointsOf(seriesOf(lab->chart("kT-over-time"), species)),
               points(km::lab::binMeans(h.kT[static_cast<std::size_t>(s.species)])));
      // The speed histogram's steps are the laboratory's densities, each held over its bin.
      QAbstractSeries* measured =
          seriesOf(lab->chart(QString("speeds-species-%1").arg(s.species)), "measured (KS ");
      QVERIFY(measured);
      const QList<QPointF> steps = pointsOf(measured);
      QCOMPARE(steps.size(), 2 * static_cast<int>(s.speed.measured.size()));
      for (std::size_t b = 0; b < s.speed.measured.size(); ++b) {
        const auto at = static_cast<int>(2 * b);
        QCOMPARE(steps[at].y(), s.speed.measured[b]);
        QCOMPARE(steps[at + 1].y(), s.speed.measured[b]);
        QCOMPARE(steps[at + 1].x() - steps[at].x(), s.speed.binWidth);
      }
    }
    QCOMPARE(pointsOf(seriesOf(lab->chart("pressure"), "Z measured")),
             points(km::lab::binMeans(h.z)));
    QCOMPARE(pointsOf(seriesOf(lab->chart("pressure"), "Henderson")).value(0).y(), r.zHenderson);
    QCOMPARE(pointsOf(seriesOf(lab->chart("collisions"), "exchanges")),
             points(km::lab::binMeans(h.exchanges)));
    QCOMPARE(pointsOf(seriesOf(lab->chart("collisions"), "Enskog")).value(0).y(),
             r.enskogCollisions);
    QCOMPARE(pointsOf(seriesOf(lab->chart("energy"), "total energy")),
             points(km::lab::binMeans(h.energy)));
    int msdPoints = 0;
    QAbstractSeries* msd = nullptr;
    for (QAbstractSeries* s : lab->chart("diffusion")->chart()->series())
      if (s->name() == "species 1") msd = s;
    QVERIFY(msd);
    for (const QPointF& p : pointsOf(msd)) {
      const auto l = std::find(r.lags.begin(), r.lags.end(), static_cast<int>(p.x()));
      QVERIFY(l != r.lags.end());
      QCOMPARE(p.y(), r.species[0].msd[static_cast<std::size_t>(l - r.lags.begin())]);
      ++msdPoints;
    }
    QVERIFY(msdPoints > 5);
    QVERIFY(lab->tab(6)->figures->text().contains(QString::number(t.w.seed().seed)));
  }

  void pauseFreezesAndRunStartsAfresh() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    t.w.Command2->click();
    QTRY_VERIFY(lab->laboratory().ticks() > 20);
    t.w.cmd_stop_simulation->click();
    const long frozen = lab->laboratory().ticks();
    QTest::qWait(50);
    QCOMPARE(lab->laboratory().ticks(), frozen);
    // Step runs exactly one tick, and only while paused.
    QTRY_VERIFY(lab->step->isEnabled());
    lab->step->click();
    QCOMPARE(lab->laboratory().ticks(), frozen + 1);
    QVERIFY(!t.w.Timer1->isActive());
    t.w.runSImulation->click();
    QVERIFY(lab->laboratory().ticks() <= 1);
    QCOMPARE(lab->laboratory().history().events.front().what, std::string("run: 43 discs"));
  }

  // Step that fails says so once, and the clock stays stopped.
  void aRunTimeErrorInAStepIsToldOnce() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    km::State& s = t.w.model().state();
    s.posX(2) = 300.0;
    s.posY(2) = 300.0;
    s.posX(3) = 305.0;
    s.posY(3) = 300.0;
    s.partMass(3) = 0.0;
    QTRY_VERIFY(lab->step->isEnabled());
    lab->step->click();
    QCOMPARE(t.messages.size(), 1);
    QVERIFY(t.messages[0].contains("Division by zero"));
    QVERIFY(!t.w.Timer1->isActive());
    QCOMPARE(lab->laboratory().ticks(), 0L);
  }

  // A gas too dense to push apart stays under the specified rule, and the buttons say so.
  void aRefusedRuleSwitchLeavesTheSpecifiedRuleChecked() {
    Rig t;
    for (int k = 0; k < 4; ++k)
      t.w.txt_how_many[k]->setText(k == 0 ? "500" : "0");
    t.w.txtParticleRad->setText("30");
    t.w.txtProximity->setText("60");
    t.run();
    LabWindow* lab = t.lab();
    lab->ruleExact->click();
    QCOMPARE(t.w.model().collisionRule(), km::CollisionRule::Specified);
    QVERIFY(lab->ruleSpecified->isChecked() && !lab->ruleExact->isChecked());
    QVERIFY2(!lab->note->text().isEmpty() && !lab->note->text().contains("from the next tick"),
             qPrintable(lab->note->text()));
    QVERIFY(t.messages.isEmpty());
  }

  void paceChangesOnlyTheInterval() {
    Rig t;
    LabWindow* lab = t.lab();
    lab->pace->setCurrentIndex(3);
    QCOMPARE(t.w.timerInterval(), 0);  // no run yet: restart must still start nothing
    t.w.runSImulation->click();
    QCOMPARE(t.w.Timer1->interval(), 100);
    t.w.cmd_stop_simulation->click();
    t.w.Command2->click();
    QCOMPARE(t.w.Timer1->interval(), 100);
    lab->pace->setCurrentIndex(1);
    QCOMPARE(t.w.Timer1->interval(), 4);
    lab->close();
    QTRY_VERIFY(!t.w.laboratory());
    QCOMPARE(t.w.Timer1->interval(), 1);
    QVERIFY(t.w.Timer1->isActive());
  }

  void experimentsMarkTheChartsAndBadFactorsAreRefused() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    t.ticks(200);
    lab->equalEnergies->click();
    t.ticks(50);
    lab->heatSpecies->setCurrentIndex(1);
    lab->heatFactor->setText("3");
    QVERIFY(lab->heat->isEnabled());
    lab->heat->click();
    t.ticks(50);
    lab->refresh(true);
    QStringList marks;
    for (QAbstractSeries* s : lab->chart("kT-over-time")->chart()->series())
      if (s->isVisible() && s->name().startsWith("event: ")) marks << s->name();
    QVERIFY2(marks.contains("event: equal energies"), qPrintable(marks.join(", ")));
    QVERIFY2(marks.contains("event: heat species 2 x3"), qPrintable(marks.join(", ")));
    QCOMPARE(lab->chart("pressure")->marks(), lab->chart("kT-over-time")->marks());
    QVERIFY(lab->chart("pressure")->marks() >= 2);

    // Refused where typed: the button goes grey, the field red, and the gas is untouched.
    const double vx = t.w.model().state().velX(40).toDouble();
    for (const char* bad : {"0", "abc", "1000", "", "-2"}) {
      lab->heatFactor->setText(bad);
      QVERIFY2(!lab->heat->isEnabled(), bad);
      QVERIFY(lab->heatFactor->toolTip().contains("0.01 to 100"));
      lab->heat->click();
    }
    QCOMPARE(t.w.model().state().velX(40).toDouble(), vx);
    QVERIFY(t.messages.isEmpty());
  }

  void ruleSwitchReachesTheEngine() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->ruleExact->click();
    QCOMPARE(t.w.model().collisionRule(), km::CollisionRule::Exact);
    t.ticks(20);
    QCOMPARE(lab->laboratory().history().events.back().what, std::string("rule: exact hard discs"));
    lab->ruleSpecified->click();
    QCOMPARE(t.w.model().collisionRule(), km::CollisionRule::Specified);
    // Under the exact rule, a gas that cannot be placed without overlaps does not start.
    lab->ruleExact->click();
    for (int k = 0; k < 4; ++k)
      t.w.txt_how_many[k]->setText(k == 0 ? "500" : "0");
    t.w.txtParticleRad->setText("30");
    t.w.txtProximity->setText("60");
    t.w.runSImulation->click();
    QCOMPARE(t.messages.size(), 1);
    QVERIFY2(t.messages[0].contains("cannot start"), qPrintable(t.messages[0]));
    QVERIFY(!t.w.Timer1->isActive());
    t.w.Command2->click();
    QVERIFY(!t.w.Timer1->isActive());
    lab->close();
    QTRY_VERIFY(!t.w.laboratory());
    QCOMPARE(t.w.model().collisionRule(), km::CollisionRule::Specified);
  }

  void exportWritesDocumentedCsvAndReportsFailure() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->warmup->setValue(100);
    t.ticks(300);
    QTemporaryDir dir;
    lab->setFolderPicker([&](QWidget*, const QString&) { return dir.path(); });
    lab->exportButton->click();
    QVERIFY(t.messages.isEmpty());
    const std::pair<const char*, QString> expected[] = {
        {"timeseries.csv", "tick,kT_gas [amu*u^2/tick^2],"},
        {"events.csv", "tick,event"},
        {"histograms.csv", "species,quantity,bin_centre [u/tick],measured_density"},
        {"msd.csv", "lag [tick],msd_particle1 [u^2],msd_species1 [u^2]"},
        {"summary.csv", "section,key,quantity,unit,value,error,theory,theory_name,theory2"}};
    for (const auto& [name, header] : expected) {
      QFile f(dir.filePath(name));
      QVERIFY2(f.open(QIODevice::ReadOnly), name);
      const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
      QVERIFY2(lines.size() > 1, name);
      QVERIFY2(lines[0].startsWith(header), qPrintable(lines[0]));
      const int columns = static_cast<int>(fields(lines[0]).size());
      for (const QString& line : lines)
        QCOMPARE(static_cast<int>(fields(line).size()), columns);
    }
    // The time series: one row per tick so far (300 ticks fit in bins of one), kT numeric.
    QFile series(dir.filePath("timeseries.csv"));
    QVERIFY(series.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(series.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 301);
    bool ok = false;
    QVERIFY(fields(rows[300])[1].toDouble(&ok) > 0 && ok);

    // A folder that cannot be written: the user is told of every file and why, and the gas
    // goes on.
    lab->setFolderPicker([](QWidget*, const QString&) { return QString("/nonexistent/folder"); });
    lab->exportButton->click();
    QCOMPARE(t.messages.size(), 1);
    QVERIFY(t.messages[0].contains("could not be written"));
    for (const auto& [name, header] : expected)
      QVERIFY2(t.messages[0].contains(QString(name) + ": No such file or directory"),
               qPrintable(t.messages[0]));
    t.ticks(10);
    QCOMPARE(lab->laboratory().ticks(), 310L);
    lab->saveChartsButton->click();
    QCOMPARE(t.messages.size(), 2);
    lab->setFolderPicker([&](QWidget*, const QString&) { return dir.path(); });
    lab->saveChartsButton->click();
    QCOMPARE(t.messages.size(), 2);
    QVERIFY(!QImage(dir.filePath("pressure.png")).isNull());
  }

  // Counts typed into the main window during a run: the laboratory measures the discs the
  // engine moves, the species list follows, and typing "20" makes one event once it pauses.
  void typedCountsAreFollowedAsOneEvent() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    t.ticks(10);
    QLineEdit* count = t.w.txt_how_many[0];
    count->selectAll();
    QTest::keyClick(count, Qt::Key_2);
    t.ticks(5);
    QCOMPARE(lab->laboratory().results().particles, 13);
    QTest::keyClick(count, Qt::Key_0);
    t.ticks(5);
    QCOMPARE(lab->laboratory().results().particles, 31);
    QTRY_VERIFY(!lab->settleTimer->isActive());
    std::vector<std::string> events;
    for (const km::lab::Event& e : lab->laboratory().history().events)
      events.push_back(e.what);
    QCOMPARE(events, (std::vector<std::string>{"run: 43 discs", "gas now 31 discs"}));
    lab->refresh();
    QCOMPARE(lab->heatSpecies->count(), 1);
    QCOMPARE(lab->heatSpecies->itemText(0), QString("species 1 (31 discs)"));
    // Typed again after the pause: a new event.
    count->selectAll();
    QTest::keyClicks(count, "32");
    t.ticks(5);
    QTRY_VERIFY(!lab->settleTimer->isActive());
    QCOMPARE(lab->laboratory().history().events.back().what, std::string("gas now 43 discs"));
    lab->refresh();
    QCOMPARE(lab->heatSpecies->count(), 4);

    // Species 2 stood still from the "2" typed after tick 10 (the first 13 discs are all of
    // species 1) to the "32": its line over time is broken there, on the desktop and the page.
    t.ticks(20);
    lab->refresh(true);
    const double stopped = 10;  // bins of the ticks from 11 on lie past it
    const long moving = lab->laboratory().history().events.back().tick;
    km::ChartView* overTime = lab->chart("kT-over-time");
    auto* species2 = qobject_cast<QLineSeries*>(seriesOf(overTime, "species 2"));
    QVERIFY(species2);
    QList<QPointF> drawn = pointsOf(species2);
    QVERIFY(!drawn.isEmpty() && drawn.back().x() < stopped);
    QList<QPointF> later;
    for (QAbstractSeries* s : overTime->chart()->series())
      if (s != species2 && s->isVisible() && !km::inLegend(s))
        if (auto* line = qobject_cast<QLineSeries*>(s);
            line && line->pen().color() == species2->pen().color())
          later += line->points();
    QVERIFY(!later.isEmpty());
    QVERIFY(later.front().x() > moving - 1);
    QCOMPARE(later.back().x(), lab->laboratory().ticks() - 0.5);
    const std::array<std::string, 5> colors{"#ebebeb", "#00ff00", "#0000ff", "#00ffff", "#ff0000"};
    const km::lab::Results r = lab->laboratory().results();
    const km::LabTab page = km::equipartitionTab({r, lab->laboratory().history(), colors, ""});
    const km::ChartSeries& web = page.charts[1].series[2];
    QCOMPARE(web.name, std::string("species 2"));
    const auto blank =
        std::find_if(web.y.begin(), web.y.end(), [](double y) { return std::isnan(y); });
    QVERIFY(blank != web.y.end());
    QVERIFY(web.x[static_cast<std::size_t>(blank - web.y.begin())] >= stopped);
  }

  // A radius of 1000 is taken as the main window takes it, but the centres have no room between
  // the walls: the Pressure tab plots no Z and no profile and each chart says why, as the page.
  void noRoomBetweenTheWallsShowsNoPressure() {
    Rig t;
    t.w.txtParticleRad->setText("1000");
    t.run();
    LabWindow* lab = t.lab();
    lab->warmup->setValue(10);
    t.ticks(200);
    lab->refresh(true);
    const km::lab::Results r = lab->laboratory().results();
    QCOMPARE(r.side, -1000.0);
    km::ChartView* pressure = lab->chart("pressure");
    km::ChartView* profile = lab->chart("wall-profile");
    QVERIFY(pointsOf(seriesOf(pressure, "Z measured")).isEmpty());
    QVERIFY(pressure->notice().text().contains("No room between the walls"));
    QVERIFY(profile->notice().text().contains("No room between the walls"));
    for (int k = 1; k < 5; ++k)
      QVERIFY(pointsOf(seriesOf(profile, QString("species %1").arg(k))).isEmpty());
    const QString figures = lab->tab(2)->figures->text();
    QVERIFY(figures.contains("no pressure, Z or density profile"));
    QVERIFY(!figures.contains("η ="));
  }

  // A new run shows nothing of the last one: during its warm-up the charts are empty and say
  // why, the export holds no histogram rows, and the last experiment's words are gone.
  void aNewRunShowsNothingOfTheLast() {
    Rig t;
    LabWindow* lab = t.lab();
    lab->refresh(true);
    QVERIFY(lab->tab(6)->figures->text().startsWith("No gas yet"));
    t.run();
    lab->warmup->setValue(10);
    t.ticks(200);
    lab->equalEnergies->click();
    t.ticks(50);
    lab->refresh(true);
    QVERIFY(!pointsOf(seriesOf(lab->chart("speeds-species-1"), "measured")).isEmpty());
    lab->warmup->setValue(999999);
    t.run();
    t.ticks(20);
    lab->refresh(true);
    QCOMPARE(lab->note->text(), QString());
    // Every Speeds chart shown plots nothing, and says why.
    for (km::ChartView* v : lab->tab(0)->views()) {
      for (QAbstractSeries* s : v->chart()->series())
        QVERIFY2(!s->isVisible() || pointsOf(s).isEmpty(), qPrintable(s->name()));
      QVERIFY(v->notice().text().startsWith("Warming up"));
    }
    QCOMPARE(lab->tab(0)->views().size(), 4);
    QTemporaryDir dir;
    lab->setFolderPicker([&](QWidget*, const QString&) { return dir.path(); });
    lab->exportButton->click();
    QFile histograms(dir.filePath("histograms.csv"));
    QVERIFY(histograms.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(histograms.readAll()).count('\n'), 1);
    lab->saveChartsButton->click();
    QVERIFY(t.messages.isEmpty());
    // The saved chart says why it is empty.
    QVERIFY(!QImage(dir.filePath("speeds-species-1.png")).isNull());
  }

  // The Field · Divider group: Set field and Open take what is typed, Close closes, a side
  // chosen places its species at the next run, each saying so in the note.
  void fieldGroupSetsTheFieldAndTheDivider() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    t.ticks(20);
    const km::Boundaries& walls = t.w.model().boundaries();
    QCOMPARE(lab->gravity->text(), QString("0.005"));
    lab->setField->click();
    QCOMPARE(lab->note->text(), QString("A field of 0.005 units per tick² toward the floor."));
    QCOMPARE(walls.gravity(), 0.005);
    lab->gravity->setText("heavy");
    lab->setField->click();
    QCOMPARE(lab->note->text(), QString("The field must be a number of units per tick²."));
    QCOMPARE(walls.gravity(), 0.005);
    lab->opening->setText("100");
    lab->openDivider->click();
    QCOMPARE(lab->note->text(), QString("The divider's opening is 100 units high."));
    QCOMPARE(walls.openingTop(), 450.0);
    lab->closeDivider->click();
    QCOMPARE(lab->note->text(), QString("The divider is closed."));
    QCOMPARE(walls.opening(), 0.0);
    lab->side[1]->setCurrentIndex(2);
    emit lab->side[1]->activated(2);
    QVERIFY(lab->note->text().contains("species 2 on the right"));
    QCOMPARE(t.w.model().startSides()[1], km::StartSide::Right);
    t.w.runSImulation->click();
    t.ticks(2);
    const km::Simulation& sim = t.w.model();
    for (int i = 2; i <= sim.lastParticle(); ++i)
      if (sim.particleSpecies(i) == 2) QVERIFY(sim.state().posX(i).toDouble() >= 500);
  }

  // Every legend shows each name whole at the default size and at the smallest the window
  // lays out; below that the window scrolls instead of squeezing the charts.
  // The Walls group: a kT refused where typed changes nothing, Set walls and Hold temperature
  // make the walls thermal, Move wall moves the right wall tick by tick, the piston takes it,
  // each saying so in the note, and the fields show what the walls do.
  void wallsGroupSetsTheWalls() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    t.ticks(50);
    const km::Boundaries& walls = t.w.model().boundaries();
    for (km::MarkedField* f : lab->wallKT)
      QVERIFY(f->text().isEmpty() && !f->marked());
    QCOMPARE(lab->moveTarget->text(), QString("500"));
    QCOMPARE(lab->pistonMass->text(), QString("1000"));

    const auto events = lab->laboratory().history().events.size();
    const QString refusal =
        "A wall's kT must be a number above 0, or empty for a wall that reflects.";
    lab->wallKT[0]->setText("40");
    for (const char* bad : {"0", "-5", "hot", "1e400"}) {
      lab->wallKT[3]->setText(bad);
      QVERIFY2(lab->wallKT[3]->marked(), bad);
      QCOMPARE(lab->wallKT[3]->toolTip(), refusal);
      QVERIFY(!lab->wallKT[0]->marked());
      lab->setWallsButton->click();
      QCOMPARE(lab->note->text(), refusal);
      QVERIFY2(!walls.active(), bad);
      QCOMPARE(lab->laboratory().history().events.size(), events);
      // What was typed stays, to be put right.
      QCOMPARE(lab->wallKT[3]->text(), QString(bad));
    }
    lab->wallKT[3]->setText(" 160 ");
    QVERIFY(!lab->wallKT[3]->marked());
    QVERIFY(lab->wallKT[3]->toolTip().startsWith("The kT at which the wall holds"));
    lab->setWallsButton->click();
    QCOMPARE(lab->note->text(),
             QString("walls: left kT 40, right reflecting, bottom reflecting, top kT 160."));
    QVERIFY(walls.heat(km::WallSide::Left).thermal && walls.heat(km::WallSide::Top).thermal);
    QCOMPARE(walls.heat(km::WallSide::Left).kT, 40.0);
    QCOMPARE(walls.heat(km::WallSide::Top).kT, 160.0);
    QVERIFY(!walls.heat(km::WallSide::Right).thermal && !walls.heat(km::WallSide::Bottom).thermal);
    QCOMPARE(lab->wallKT[3]->text(), QString("160"));
    QCOMPARE(lab->laboratory().history().events.size(), events + 1);

    // Hold temperature: a refused kT is marked and changes nothing; empty, the gas's kT now.
    lab->holdKT->setText("-1");
    QVERIFY(lab->holdKT->marked());
    lab->holdTemperature->click();
    QCOMPARE(lab->note->text(), refusal);
    QCOMPARE(walls.heat(km::WallSide::Right).thermal, false);
    lab->holdKT->setText("");
    QVERIFY(!lab->holdKT->marked());
    const double gasKT = lab->laboratory().kTNow();
    lab->holdTemperature->click();
    for (std::size_t w = 0; w < 4; ++w) {
      const km::WallHeat& h = walls.heat(static_cast<km::WallSide>(w));
      QVERIFY(h.thermal);
      QVERIFY2(std::fabs(h.kT - gasKT) <= 1e-3 * gasKT, qPrintable(QString::number(h.kT)));
      QCOMPARE(lab->wallKT[w]->text(), lab->wallKT[0]->text());
    }
    // Walls four times as hot warm the gas toward their kT.
    lab->holdKT->setText(QString::number(4 * gasKT));
    lab->holdTemperature->click();
    t.ticks(3000);
    QVERIFY2(lab->laboratory().kTNow() > 2 * gasKT,
             qPrintable(QString("%1 from %2").arg(lab->laboratory().kTNow()).arg(gasKT)));

    // Move wall: the right wall comes in at the speed typed and stops on its target.
    lab->moveSpeed->setText("x");
    lab->moveWall->click();
    QCOMPARE(lab->note->text(), QString("The wall's target and speed must be numbers."));
    QCOMPARE(walls.rightX(), 1000.0);
    lab->moveTarget->setText("900");
    lab->moveSpeed->setText("0.5");
    lab->moveWall->click();
    QCOMPARE(lab->note->text(), QString("right wall toward x = 900 at 0.5 u/tick."));
    t.ticks(1);
    QCOMPARE(walls.rightX(), 999.5);
    t.ticks(99);
    QCOMPARE(walls.rightX(), 950.0);
    t.ticks(150);
    QCOMPARE(walls.rightX(), 900.0);
    lab->moveTarget->setText("10");
    lab->moveWall->click();
    QVERIFY2(lab->note->text().startsWith("The gas cannot fit"), qPrintable(lab->note->text()));
    t.ticks(5);
    QCOMPARE(walls.rightX(), 900.0);

    // The piston takes the right wall from its defaults.
    lab->piston->click();
    QCOMPARE(lab->note->text(), QString("right wall a piston of mass 1000 under pressure 0.01."));
    QVERIFY(walls.piston());
    QCOMPARE(walls.motion().mass, 1000.0);
    QCOMPARE(lab->laboratory().history().events.back().what,
             std::string("right wall a piston of mass 1000 under pressure 0.01"));
    QVERIFY(t.messages.isEmpty());

    // A new run: the fields show what the walls do then.
    t.w.runSImulation->click();
    for (std::size_t w = 0; w < 4; ++w) {
      const km::WallHeat& h = walls.heat(static_cast<km::WallSide>(w));
      QCOMPARE(lab->wallKT[w]->text().isEmpty(), !h.thermal);
      if (h.thermal) QVERIFY(std::fabs(lab->wallKT[w]->text().toDouble() / h.kT - 1) < 1e-6);
    }
  }

  // Each gas law's button starts its process on the gas as it is and the note says what it does;
  // another while it runs is refused and changes nothing.
  void gasLawButtonsStartTheirProcesses() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    t.ticks(200);
    for (std::size_t k = 0; k < 5; ++k) {
      const std::string name = "gasLaw" + std::to_string(k);
      QCOMPARE(lab->gasLaw[k]->text().toStdString(), km::LabRules::caption(name));
      QCOMPARE(lab->gasLaw[k]->toolTip().toStdString(), km::LabRules::caption(name + "Tip"));
    }
    km::lab::Laboratory& laboratory = lab->laboratory();
    const km::Boundaries& walls = t.w.model().boundaries();
    const std::size_t events = laboratory.history().events.size();
    lab->gasLaw[0]->click();
    QVERIFY(laboratory.gasLaws().running());
    QCOMPARE(lab->note->text().toStdString(), laboratory.gasLaws().plan());
    QVERIFY2(lab->note->text().startsWith("Boyle: the walls hold kT "),
             qPrintable(lab->note->text()));
    QVERIFY(laboratory.history().events.size() > events);
    // The walls hold the gas's kT, and the fields show it.
    for (std::size_t w = 0; w < 4; ++w) {
      QVERIFY(walls.heat(static_cast<km::WallSide>(w)).thermal);
      QVERIFY(!lab->wallKT[w]->text().isEmpty());
    }
    const std::size_t started = laboratory.history().events.size();
    lab->gasLaw[2]->click();
    QVERIFY2(lab->note->text().startsWith("The Boyle process is still running"),
             qPrintable(lab->note->text()));
    QCOMPARE(laboratory.history().events.size(), started);
    QVERIFY(laboratory.gasLaws().running());
    // While it runs the Gas laws tab says so.
    lab->tabs->setCurrentIndex(10);
    lab->refresh();
    QCOMPARE(lab->tabs->tabText(10), QString("Gas laws"));
    QVERIFY(t.messages.isEmpty());
  }

  // Tab goes from the warm-up over the exports through every field and button of the Walls,
  // the Gas laws and the Field · Divider groups in order; each fits the column's width at the
  // default and the smallest size.
  void wallsGroupIsReachedByTabAndFitsTheColumn() {
    Rig t;
    LabWindow* lab = t.lab();
    const std::vector<QWidget*> expected = {
        lab->warmup,      lab->exportButton,    lab->saveChartsButton, lab->wallKT[0],
        lab->wallKT[1],   lab->wallKT[2],       lab->wallKT[3],        lab->setWallsButton,
        lab->holdKT,      lab->holdTemperature, lab->moveTarget,       lab->moveSpeed,
        lab->moveWall,    lab->pistonPressure,  lab->pistonMass,       lab->piston,
        lab->gasLaw[0],   lab->gasLaw[1],       lab->gasLaw[2],        lab->gasLaw[3],
        lab->gasLaw[4],   lab->gravity,         lab->setField,         lab->opening,
        lab->openDivider, lab->closeDivider,    lab->side[0],          lab->side[1],
        lab->side[2],     lab->side[3]};
    std::vector<QWidget*> order{lab->warmup};
    for (QWidget* w = lab->warmup->nextInFocusChain(); order.size() < expected.size();
         w = w->nextInFocusChain()) {
      QVERIFY(w != lab->warmup);
      if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(lab) && !w->focusProxy() &&
          w->parentWidget() != lab->warmup)
        order.push_back(w);
    }
    QCOMPARE(order, expected);
    for (const QSize size : {QSize(1280, 900), lab->minimumSize()}) {
      lab->resize(size);
      QApplication::processEvents();
      for (QWidget* w : expected) {
        lab->sideScroll->ensureWidgetVisible(w);
        QApplication::processEvents();
        const QRect at(w->mapTo(lab->sideScroll->viewport(), QPoint(0, 0)), w->size());
        QVERIFY2(lab->sideScroll->viewport()->rect().contains(at),
                 qPrintable(w->objectName() + QString(" at %1").arg(size.width())));
      }
      QCOMPARE(lab->sideScroll->horizontalScrollBar()->maximum(), 0);
    }
  }

  // At the default size every tab's name is whole in the tab bar, with no scroll arrows, and
  // the whole column of controls is in view without scrolling; the column still scrolls in a
  // shorter window.
  void everyTabAndControlIsInViewAtTheDefaultSize() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    t.ticks(100);
    QCOMPARE(lab->size(), QSize(1280, 900));
    QApplication::processEvents();
    const QTabBar* bar = lab->tabs->tabBar();
    QCOMPARE(bar->count(), static_cast<int>(km::labTabNames.size()));
    for (int current : {0, bar->count() - 1}) {
      lab->tabs->setCurrentIndex(current);
      QApplication::processEvents();
      for (int k = 0; k < bar->count(); ++k) {
        const QRect r = bar->tabRect(k);
        QVERIFY2(bar->rect().contains(r), qPrintable(bar->tabText(k)));
        // The name's own width fits inside its tab.
        QVERIFY2(r.width() > bar->fontMetrics().horizontalAdvance(bar->tabText(k)),
                 qPrintable(bar->tabText(k)));
      }
      for (QToolButton* arrow : bar->findChildren<QToolButton*>())
        QVERIFY(!arrow->isVisible());
    }
    QCOMPARE(lab->sideScroll->verticalScrollBar()->maximum(), 0);
    for (QWidget* w : {static_cast<QWidget*>(lab->pace), static_cast<QWidget*>(lab->note),
                       static_cast<QWidget*>(lab->gasLaw[4])}) {
      const QRect at(w->mapTo(lab->sideScroll->viewport(), QPoint(0, 0)), w->size());
      QVERIFY2(lab->sideScroll->viewport()->rect().contains(at), qPrintable(w->objectName()));
    }
    lab->resize(1280, 500);
    QApplication::processEvents();
    QVERIFY(lab->sideScroll->verticalScrollBar()->maximum() > 0);
  }

  void legendsReadWholeAndSmallWindowsScroll() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->warmup->setValue(10);
    t.ticks(400);
    for (const QSize size : {QSize(1280, 900), LabWindow::minimumContent}) {
      lab->resize(size);
      for (int tab = 0; tab < lab->tabs->count(); ++tab) {
        lab->tabs->setCurrentIndex(tab);
        lab->refresh();
        QApplication::processEvents();
        for (km::ChartView* v : lab->tab(tab)->views()) {
          if (!v->box->isVisible()) continue;
          km::ChartLegend* legend = v->legend;
          QVERIFY2(legend->height() >= legend->heightForWidth(legend->width()),
                   qPrintable(v->objectName()));
          const QString shown = legendWords(legend->text());
          for (QAbstractSeries* s : v->chart()->series())
            if (s->isVisible() && !s->name().isEmpty() && !s->name().startsWith("event: "))
              QVERIFY2(shown.contains(s->name()), qPrintable(s->name() + " in " + shown));
          QVERIFY(!shown.contains("event"));
        }
      }
    }
    // Below 1040 × 720 the charts scroll; the controls stay in view beside them.
    for (const QSize size : {QSize(800, 600), QSize(600, 400)}) {
      lab->resize(size);
      QApplication::processEvents();
      QVERIFY(lab->scroll->widget()->width() + LabWindow::sideWidth >=
              LabWindow::minimumContent.width());
      QVERIFY(lab->scroll->widget()->height() >= LabWindow::minimumContent.height());
      QVERIFY(lab->scroll->horizontalScrollBar()->maximum() > 0);
      const QRect side(lab->sideScroll->mapTo(lab, QPoint(0, 0)), lab->sideScroll->size());
      QVERIFY(lab->rect().contains(side));
      QVERIFY(lab->equalEnergies->isVisibleTo(lab));
      QCOMPARE(lab->sideScroll->widget()->width(), lab->sideScroll->viewport()->width());
      // A column taller than the window scrolls rather than squeezing its controls.
      QVERIFY(lab->sideScroll->widget()->height() >=
              lab->sideScroll->widget()->minimumSizeHint().height());
    }
  }

  // At the window's default size and at 1040 × 720 no text is cut: the notices of the four
  // Speeds charts during a warm-up, an event near the right edge, every axis title, the sweep
  // table's refusal and the figures beneath the charts.
  void noTextIsCut() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->warmup->setValue(300);
    t.ticks(40);
    t.w.txt_how_many[0]->setText("31");
    t.ticks(1);
    std::vector<km::lab::SweepRow> rows(2);
    rows[0].eta = 0.65;
    rows[0].runs = 1;
    rows[0].seeds = {2};
    rows[0].refused = {1};
    rows[0].problem =
        "seed 1 refused: The gas is too dense for hard discs: 100 discs with a "
        "collision proximity of 83.3869 (packing fraction 0.65) still overlap "
        "after 2000 rounds of pushing them apart.";
    rows[1].eta = 0.1;
    rows[1].runs = 2;
    lab->equationOfState->showRows(rows);
    for (const QSize size : {QSize(1280, 900), LabWindow::minimumContent}) {
      lab->resize(size);
      QCOMPARE(lab->scroll->horizontalScrollBar()->maximum(), 0);
      QCOMPARE(lab->scroll->verticalScrollBar()->maximum(), 0);
      for (int tab = 0; tab < lab->tabs->count(); ++tab) {
        lab->tabs->setCurrentIndex(tab);
        lab->refresh(true);
        QApplication::processEvents();
        km::LabTabView* panel = lab->tab(tab);
        const QString where = lab->tabs->tabText(tab) + QString(" at %1").arg(size.width());
        for (km::ChartView* v : panel->views()) {
          if (!v->box->isVisible()) continue;
          QChart* chart = v->chart();
          const QRectF area = chart->plotArea();
          int notices = 0;
          for (QGraphicsItem* item : chart->childItems()) {
            auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item);
            if (!text || !text->isVisible() || text->text().isEmpty()) continue;
            const QRectF box = text->mapRectToParent(text->boundingRect());
            // Notices and event labels alike lie within the plot, and are not shortened.
            QVERIFY2(area.adjusted(-1, -1, 1, 1).contains(box),
                     qPrintable(where + ": " + text->text()));
            QVERIFY2(!text->text().contains(QChar(0x2026)), qPrintable(text->text()));
            notices += text->text().startsWith("Warming up");
          }
          if (tab == 0) QCOMPARE(notices, 1);
          for (QAbstractAxis* axis : chart->axes()) {
            const QFontMetricsF m(axis->titleFont());
            const double room = axis->orientation() == Qt::Vertical ? area.height() : area.width();
            QVERIFY2(m.horizontalAdvance(axis->titleText()) <= room,
                     qPrintable(where + ": " + axis->titleText()));
          }
        }
        for (QLabel* label : panel->findChildren<QLabel*>())
          if (label->isVisible() && label->wordWrap())
            QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                     qPrintable(where + ": " + label->text()));
      }
      QVERIFY(lab->chart("pressure")->marks() >= 1);
      QTableWidget* table = lab->tab(7)->table;
      QTableWidgetItem* refused = table->item(0, 7);
      QCOMPARE(refused->text().toStdString(), "1 (" + rows[0].problem + ")");
      QCOMPARE(refused->toolTip(), refused->text());
      const QRect cell = table->visualItemRect(refused);
      const QRect needed = QFontMetrics(table->font())
                               .boundingRect(QRect(0, 0, cell.width() - 8, 10000), Qt::TextWordWrap,
                                             refused->text());
      QVERIFY2(needed.height() <= cell.height(),
               qPrintable(QString("%1 of %2").arg(needed.height()).arg(cell.height())));
    }
  }

  // Events close together keep their labels apart: no two shown labels overlap.
  void closeEventsDoNotSmear() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->resize(1280, 900);
    lab->tabs->setCurrentIndex(2);
    t.ticks(500);
    for (int k = 0; k < 6; ++k) {
      lab->laboratory().restartAverages("experiment number " + std::to_string(k));
      t.ticks(3);
    }
    lab->refresh();
    QApplication::processEvents();
    QList<QRectF> shown;
    for (QGraphicsItem* item : lab->chart("pressure")->chart()->childItems())
      if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
        if (text->isVisible() && text->text().startsWith("experiment"))
          shown << text->sceneBoundingRect();
    QVERIFY(shown.size() >= 2);
    for (int a = 0; a < shown.size(); ++a)
      for (int b = a + 1; b < shown.size(); ++b)
        QVERIFY(!shown[a].intersects(shown[b]));
  }

  // Axis labels carry as many decimals as their step needs, so neighbours never read alike.
  void axisLabelsReadApart() {
    const struct {
      double min, max;
      int ticks;
      const char* format;
    } rows[] = {{190.18, 190.26, 5, "%.2f"}, {0, 200, 5, "%.0f"}, {0, 1, 5, "%.2f"},
                {0, 1, 6, "%.1f"},           {-3, 3, 7, "%.0f"},  {1e-7, 5e-7, 5, "%.7f"},
                {0, 2e10, 5, "%.4g"},        {5, 5, 5, "%.4g"}};
    for (const auto& r : rows)
      QCOMPARE(km::labelFormat(r.min, r.max, r.ticks), QString(r.format));
  }

  // Export into a 12 kB file system that fills up part-way: every file is there whole, with
  // exactly what the laboratory holds, or not at all, and the message names each one that is
  // not, with the system's reason.
  void exportIntoAFullDiskLosesNothingSilently() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->warmup->setValue(100);
    t.ticks(300);
    QTemporaryDir dir;
    const QByteArray path = dir.path().toLocal8Bit();
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=12k") != 0)
      QSKIP("no tmpfs can be mounted here");
    lab->setFolderPicker([&](QWidget*, const QString&) { return dir.path(); });
    lab->exportButton->click();
    const km::lab::Results r = lab->laboratory().results();
    const km::lab::History& h = lab->laboratory().history();
    const std::pair<QString, std::string> files[] = {
        {"timeseries.csv", km::lab::timeSeriesCsv(h)},
        {"events.csv", km::lab::eventsCsv(h)},
        {"histograms.csv", km::lab::histogramsCsv(r)},
        {"msd.csv", km::lab::msdCsv(r)},
        {"summary.csv", km::lab::summaryCsv(km::lab::summarize(r))}};
    QCOMPARE(t.messages.size(), 1);
    int missing = 0;
    for (const auto& [name, text] : files) {
      QFile f(dir.filePath(name));
      if (f.open(QIODevice::ReadOnly)) {
        QCOMPARE(f.readAll(), QByteArray::fromStdString(text));
        QVERIFY(!t.messages[0].contains(name));
      } else {
        ++missing;
        QVERIFY2(t.messages[0].contains(name + ": No space left on device"),
                 qPrintable(t.messages[0]));
      }
    }
    QVERIFY(missing > 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 5 - missing);
    ::umount(path.constData());
  }

  // The equation of state: a sweep run here, on the cores, with progress, gives the rows of the
  // same runs headless; a sweep kinetic-measure wrote loads; a file that is none is refused.
  void equationOfStateSweepsAndLoads() {
    Rig t;
    LabWindow* lab = t.lab();
    km::EquationOfStatePanel* eos = lab->equationOfState;
    QStringList messages;
    eos->setMessageSink([&](const QString& text) { messages << text; });
    lab->tabs->setCurrentIndex(7);
    auto drawnAt = [&](const char* name) {
      auto* s = qobject_cast<QScatterSeries*>(seriesOf(lab->chart("equation-of-state"), name));
      return s ? s->count() : 0;
    };
    QTableWidget* table = lab->tab(7)->table;
    eos->discs->setValue(40);
    eos->etas->setText("0.1, 0.4");
    eos->seeds->setText("2");
    eos->warmup->setValue(50);
    eos->ticks->setValue(400);
    eos->runButton->click();
    QVERIFY(eos->sweeping());
    QVERIFY(!eos->runButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!eos->sweeping(), 20000);
    QVERIFY(messages.isEmpty());
    QCOMPARE(eos->rows().size(), std::size_t{2});
    km::lab::SweepSettings s;
    s.discs = 40;
    s.etas = {0.1, 0.4};
    s.seeds = {2};
    s.warmup = 50;
    s.ticks = 400;
    const km::lab::Results alone = km::lab::runGas(km::lab::sweepSetup(s, 0.4, 2)).results;
    QCOMPARE(eos->rows()[1].z.value, alone.Z.value);
    QCOMPARE(drawnAt("sweep, over the nominal"), 2);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(eos->progress->value(), eos->progress->maximum());

    // Refused settings say why and start nothing.
    eos->etas->setText("0.1, 0.95");
    eos->runButton->click();
    QVERIFY(!eos->sweeping());
    QCOMPARE(messages.size(), 1);

    QTemporaryDir dir;
    // The theory columns keep their digits, as the measured ones do.
    for (int k = 0; k < table->rowCount(); ++k)
      for (int c : {2, 3, 6})
        QVERIFY2(QRegularExpression("^\\d+\\.\\d+$").match(table->item(k, c)->text()).hasMatch() &&
                     table->item(k, c)->text().remove('.').size() == 4,
                 qPrintable(table->item(k, c)->text()));
    eos->setFilePicker([&](QWidget*, bool) { return dir.filePath("first.csv"); });
    eos->saveButton->click();

    // A new sweep clears the last one's points and rows at once; stopped, it keeps what ran.
    eos->etas->setText("0.1, 0.4");
    eos->ticks->setValue(10000000);
    eos->runButton->click();
    QVERIFY(eos->sweeping());
    QVERIFY(eos->rows().empty());
    QCOMPARE(drawnAt("sweep, over the nominal"), 0);
    QCOMPARE(table->rowCount(), 0);
    QTRY_VERIFY(eos->progress->value() > 0);
    eos->stopButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!eos->sweeping(), 20000);
    QVERIFY(eos->progress->value() < eos->progress->maximum());

    // Loaded, a sweep shows the file's settings in the fields and no progress of its own.
    eos->setFilePicker([](QWidget*, bool) { return QString(EOS_SWEEP_CSV); });
    eos->loadButton->click();
    QCOMPARE(eos->progress->value(), 0);
    QCOMPARE(eos->discs->value(), 500);
    QCOMPARE(eos->etas->text(), QString("0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.65, 0.7"));
    eos->setFilePicker([&](QWidget*, bool) { return dir.filePath("first.csv"); });
    eos->loadButton->click();
    QCOMPARE(eos->discs->value(), 40);
    QCOMPARE(eos->etas->text(), QString("0.1, 0.4"));
    QCOMPARE(eos->seeds->text(), QString("2"));
    QCOMPARE(eos->warmup->value(), 50);
    QCOMPARE(eos->ticks->value(), 400);
    QCOMPARE(eos->rows()[1].z.value, alone.Z.value);
    QCOMPARE(messages.size(), 1);

    QFile bad(dir.filePath("events.csv"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("tick,event\n0,run\n");
    bad.close();
    eos->setFilePicker([&](QWidget*, bool) { return dir.filePath("events.csv"); });
    eos->loadButton->click();
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[1].contains("no sweep table"));
    QCOMPARE(eos->rows().size(), std::size_t{2});

    eos->setFilePicker([](QWidget*, bool) { return QString(EOS_SWEEP_CSV); });
    eos->loadButton->click();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(eos->rows().size(), std::size_t{9});
    QCOMPARE(drawnAt("sweep, over the nominal"), 9);
    QCOMPARE(drawnAt("sweep, over the interior"), 9);
    lab->resize(1280, 900);
    lab->refresh();
    lab->grab().save(
        QDir(QCoreApplication::applicationDirPath()).filePath("equation-of-state.png"));
    // Saved, the rows read back the same.
    eos->setFilePicker([&](QWidget*, bool) { return dir.filePath("saved.csv"); });
    eos->saveButton->click();
    QFile saved(dir.filePath("saved.csv"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    std::string problem;
    const auto back = km::lab::readSweepCsv(saved.readAll().toStdString(), problem);
    QCOMPARE(back.size(), std::size_t{9});
    QCOMPARE(back[3].zInterior.value, eos->rows()[3].zInterior.value);
  }

  // The seed and draws the Integrity tab shows for a later run of the session place that gas
  // again headless, as kinetic-measure --seed S --draws K does: the same discs at the same
  // places, and the same after 200 ticks.
  void theSeedShownPlacesTheGasAgain() {
    Rig t;
    t.run();
    t.ticks(30);
    t.run();  // a second run draws on from the first
    LabWindow* lab = t.lab();
    lab->refresh(true);
    const QRegularExpressionMatch m =
        QRegularExpression("kinetic-measure --seed (\\d+) --draws (\\d+) places this gas again")
            .match(lab->tab(6)->figures->text());
    QVERIFY2(m.hasMatch(), qPrintable(lab->tab(6)->figures->text()));
    QVERIFY(m.captured(2).toULongLong() > 0);
    km::lab::GasSetup setup;
    setup.seed = m.captured(1).toUInt();
    setup.draws = m.captured(2).toULongLong();
    setup.warmup = 0;
    setup.ticks = 0;
    km::lab::HeadlessGas again(setup);
    const km::State& shown = t.w.model().state();
    auto samePlaces = [&] {
      std::vector<double> xy(2 * static_cast<std::size_t>(again.particles()));
      again.positions(xy);
      for (int i = 1; i <= again.particles(); ++i)
        if (shown.posX(i).toDouble() != xy[2 * static_cast<std::size_t>(i - 1)] ||
            shown.posY(i).toDouble() != xy[2 * static_cast<std::size_t>(i - 1) + 1])
          return false;
      return again.particles() == 43;
    };
    QVERIFY(samePlaces());
    t.ticks(200);
    for (int k = 0; k < 200; ++k)
      again.step();
    QVERIFY(samePlaces());
  }

  // Closing the laboratory during a sweep stops it and waits for it.
  void closingStopsASweep() {
    Rig t;
    LabWindow* lab = t.lab();
    lab->equationOfState->discs->setValue(300);
    lab->equationOfState->ticks->setValue(10000000);
    lab->equationOfState->runButton->click();
    QVERIFY(lab->equationOfState->sweeping());
    QElapsedTimer clock;
    clock.start();
    lab->close();
    QTRY_VERIFY(!t.w.laboratory());
    QVERIFY(clock.elapsed() < 10000);
  }

  // The laboratory only watches: with it open, the gas after 1,000 ticks is bit for bit the
  // gas stepped alone from the same state.
  void measuringLeavesTheGasAsItWouldBe() {
    Rig t;
    t.run();
    LabWindow* lab = t.lab();
    lab->refresh(true);
    km::SeededGenerator rnd;
    km::bench::FixedClock clock;
    km::bench::NullSurface surface;
    km::bench::NullDisplay display;
    km::Simulation alone(rnd, clock);
    alone.state() = t.w.model().state();
    for (int k = 0; k < 1000; ++k) {
      t.w.Timer1_Timer();
      alone.Timer1_Timer(surface, display);
      if (k % 100 == 0) lab->refresh(true);
    }
    QCOMPARE(lab->laboratory().ticks(), 1000L);
    for (int i = 1; i <= 43; ++i) {
      QCOMPARE(t.w.model().state().posX(i).toDouble(), alone.state().posX(i).toDouble());
      QCOMPARE(t.w.model().state().posY(i).toDouble(), alone.state().posY(i).toDouble());
      QCOMPARE(t.w.model().state().velX(i).toDouble(), alone.state().velX(i).toDouble());
    }
  }
};

QTEST_MAIN(LabWindowTest)
#include "lab_window_test.moc"
