// The simulator window: a calculation of the demo database driven through the window, its live
// message list and histogram, the assessment grids, and the command's calculate/close cycle.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "core/db/database.h"
#include "core/settings/settings.h"
#include "gui/app/language.h"
#include "gui/simulator/simulator_window.h"
#include "gui/guitest.h"
#include "gui/widgets/histogram_bars.h"

using trb::gui::SimulatorWindow;

class TestTrbM1 : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QString demo_;

  // A simulator on the demo copy, shown and activated.
  void showOn(SimulatorWindow& sim, const QString& database, const QStringList& args = {}) {
    sim.arguments = args;
    sim.database = database;
    sim.show();
    QTRY_VERIFY(sim.messageLines().size() >= 6);
  }

  QVariant columnOf(const QTableView* grid, int row, const QString& name) {
    const QAbstractItemModel* m = grid->model();
    for (int c = 0; c < m->columnCount(); ++c)
      if (m->headerData(c, Qt::Horizontal).toString().compare(name, Qt::CaseInsensitive) == 0)
        return m->index(row, c).data();
    return QVariant();
  }

 private slots:
  void initTestCase() {
    QDir::setCurrent(user_.dir.path());  // trb_report.txt goes here
    demo_ = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo_.isEmpty());
  }

  void activationShowsSettingsAndSiteList() {
    {
      auto store = trb::settings::openStore();
      store->clear();
      trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
      trb::settings::writeInt(*store, QStringLiteral("recalc_bat"), 0);
    }
    SimulatorWindow sim;
    showOn(sim, QStringLiteral("?"));  // "?": the stored database
    QCOMPARE(sim.database, demo_);
    QCOMPARE(sim.pathEdit->text(), demo_);
    QCOMPARE(sim.runButton->text(), QStringLiteral("calculate"));
    QVERIFY(!sim.recalcBox->isChecked());
    QCOMPARE(sim.messageLines().first(), QStringLiteral("ptf_mode=3 / Lieberoth"));
    QCOMPARE(sim.messageLines().at(4), QStringLiteral("method : TRB"));
    trb::db::Database db = trb::db::Database::open(demo_);
    const int selected =
        db.scalar(QStringLiteral("select count(*) from site_state where status=1")).toInt();
    QVERIFY(selected > 0);
    QCOMPARE(sim.siteGrid->model()->rowCount(), selected);
    QCOMPARE(sim.siteGrid->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("FL_ID"));
    sim.close();
  }

  void calculationInTheWindow() {
    SimulatorWindow sim;
    showOn(sim, demo_);
    // lines that arrive while the worker still runs show that the window was live
    int liveLines = 0;
    connect(sim.messageList->model(), &QAbstractItemModel::rowsInserted, this,
            [&] { liveLines += sim.calculating() ? 1 : 0; });
    QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
    sim.runButton->click();
    QVERIFY(sim.calculating());
    QVERIFY(sim.running);
    QCOMPARE(sim.runButton->text(), QStringLiteral("close"));
    QVERIFY(!sim.runButton->isEnabled());
    QVERIFY(!sim.databaseButton->isEnabled());
    QVERIFY(!sim.recalcBox->isEnabled());
    QCOMPARE(sim.tabs->currentWidget(), sim.messageList);
    QVERIFY(ended.wait(120000));
    QCOMPARE(ended.first().first().toBool(), true);
    QVERIFY(liveLines > 0);
    QVERIFY(!sim.running);
    QVERIFY(sim.assessment);
    QVERIFY(sim.lastFinished());
    QVERIFY(sim.runButton->isEnabled() && sim.databaseButton->isEnabled());
    QVERIFY(!sim.progress->isVisible());

    const QStringList lines = sim.messageLines();
    QCOMPARE(lines.first(), QStringLiteral("ptf_mode=3 / Lieberoth"));  // the report once
    QCOMPARE(lines.count(QStringLiteral("ptf_mode=3 / Lieberoth")), 1);
    QVERIFY(lines.contains(QStringLiteral("job finished")));
    QVERIFY(std::any_of(lines.begin(), lines.end(),
                        [](const QString& l) { return l.startsWith(QStringLiteral(" N=")); }));
    QFile report(QStringLiteral("trb_report.txt"));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(report.readAll()).trimmed(), lines.join(u'\n'));

    int barsTotal = 0;
    for (int i = 0; i < 7; ++i) {
      QVERIFY(sim.histogram->bar(i) >= 0 && sim.histogram->bar(i) <= 100);
      barsTotal += sim.histogram->bar(i);
    }
    QVERIFY(barsTotal > 0);

    // the pairs of the current plot: first row after the run, then the one the user picks
    trb::db::Database db = trb::db::Database::open(demo_);
    for (int row : {0, sim.siteGrid->model()->rowCount() - 1}) {
      sim.assessSiteGrid->selectRow(row);
      const QVariant fl = columnOf(sim.assessSiteGrid, row, QStringLiteral("FL_ID"));
      const int pairs = db.scalar(QStringLiteral("select count(*) from rs_table where "
                                                 "SIM_VALUE>0 and M_IX=7 and FL_ID=?"),
                                  {fl})
                            .toInt();
      QCOMPARE(sim.pairsGrid->model()->rowCount(), pairs);
      for (int r = 0; r < pairs; ++r)
        QVERIFY(columnOf(sim.pairsGrid, r, QStringLiteral("SIM_VALUE")).toDouble() > 0);
      if (pairs > 0) QCOMPARE(sim.pairsGrid->currentIndex().row(), pairs - 1);
    }
    QVERIFY(sim.pairsGrid->model()->columnCount() == 4);
    QCOMPARE(columnOf(sim.pairsGrid, 0, QStringLiteral("MEAS_ID")).isValid(),
             sim.pairsGrid->model()->rowCount() > 0);

    sim.tabs->setCurrentWidget(sim.histogram);
    trb::test::screenshot(&sim, QStringLiteral("simulator_histogram"));
    sim.tabs->setCurrentIndex(3);
    trb::test::screenshot(&sim, QStringLiteral("simulator_assessment"));
    sim.tabs->setCurrentWidget(sim.messageList);
    trb::test::screenshot(&sim, QStringLiteral("simulator_messages"));

    // "calculate" a second time closes the window instead
    sim.runButton->click();
    QVERIFY(!sim.isVisible());
    QVERIFY(!sim.calculating());
  }

  // The browser's way in: autoclick starts the calculation on activation, with the loop-back
  // fields it set; the settings report is in the list once.
  void autoclickCalculatesOnActivation() {
    SimulatorWindow sim;
    sim.autoclick = true;
    sim.z_anf = -99;
    sim.z_cnt = 0;
    sim.running = true;
    sim.arguments = {};
    sim.database = demo_;
    QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
    sim.show();
    QVERIFY(ended.wait(120000));
    QVERIFY(!sim.running);
    const QStringList lines = sim.messageLines();
    QCOMPARE(lines.count(QStringLiteral("ptf_mode=3 / Lieberoth")), 1);
    QCOMPARE(lines.last(), QStringLiteral("job finished"));
    QCOMPARE(sim.runButton->text(), QStringLiteral("close"));
    sim.close();
  }

  // Closing during a run stops the calculation early: on a database far too large to finish
  // before the close, fewer plots are computed than were selected.
  void closingStopsTheCalculation() {
    const QString big = user_.path(QStringLiteral("synthetic.sqlite"));
    QFile::remove(big);
    QProcess gen;
    gen.start(QStringLiteral(TRB_GEN), {QStringLiteral("1500"), QStringLiteral("40"), big});
    QVERIFY(gen.waitForFinished(60000));
    QCOMPARE(gen.exitCode(), 0);
    int selected = 0;
    {
      trb::db::Database db = trb::db::Database::open(big);
      selected = db.scalar(QStringLiteral("select count(*) from site_state where status=1")).toInt();
    }
    QCOMPARE(selected, 1500);

    SimulatorWindow sim;
    showOn(sim, big, {QStringLiteral("BAT0")});
    QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
    sim.runButton->click();
    // closed once the balance of the plots has begun
    QTRY_VERIFY_WITH_TIMEOUT(sim.messageLines().contains(QStringLiteral("trb running")), 60000);
    sim.close();
    QVERIFY(ended.wait(120000));
    QCOMPARE(ended.first().first().toBool(), false);  // stopped, not finished
    QVERIFY(!sim.lastFinished());
    QVERIFY(!sim.running);
    QVERIFY(!sim.calculating());
    {
      trb::db::Database db = trb::db::Database::open(big);
      const int done =
          db.scalar(QStringLiteral("select count(*) from (select distinct FL_ID from trb_driver)"))
              .toInt();
      QVERIFY2(done < selected, qPrintable(QStringLiteral("%1 of %2 plots").arg(done).arg(selected)));
    }
    // shown again, it is ready for the next run
    sim.show();
    QTRY_COMPARE(sim.runButton->text(), QStringLiteral("calculate"));
    QVERIFY(sim.runButton->isEnabled());
    sim.close();
  }

  void germanCaptions() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    SimulatorWindow sim;
    showOn(sim, demo_);
    QCOMPARE(sim.runButton->text(), QStringLiteral("berechnen"));
    QCOMPARE(sim.tabs->tabText(0), QStringLiteral("Meldungen"));
    QCOMPARE(sim.windowTitle(), QStringLiteral("TRB-simulator"));
    sim.tabs->setCurrentIndex(2);
    trb::test::screenshot(&sim, QStringLiteral("simulator_de"));
    sim.close();
    trb::gui::setCaptionLanguage(QStringLiteral("E"));
  }

  void databaseThatCannotBeOpened() {
    SimulatorWindow sim;
    showOn(sim, user_.path(QStringLiteral("missing.sqlite")));
    QVERIFY(sim.messageLines().first().startsWith(QStringLiteral("database cannot be opened")));
    QCOMPARE(sim.siteGrid->model()->rowCount(), 0);
    QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
    sim.runButton->click();
    QVERIFY(ended.wait(30000));
    QCOMPARE(ended.first().first().toBool(), false);
    QVERIFY(!sim.running);
    QVERIFY2(sim.messageLines().last().startsWith(QStringLiteral("calculation stopped")),
             qPrintable(sim.messageLines().join(u"\n")));
    // dismiss the error box
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->inherits("QMessageBox")) w->close();
  }
};

QTEST_MAIN(TestTrbM1)
#include "tst_simulator_window.moc"
