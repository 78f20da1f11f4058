// The simulator window: a calculation of the demo database driven through the window, its live
// message list and histogram, the assessment grids, and the command's calculate/close cycle.
#include <unistd.h>

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <cstdio>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/settings/settings.h"
#include "gui/app/language.h"
#include "gui/guitest.h"
#include "gui/simulator/simulator_window.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/histogram_bars.h"

using trb::gui::SimulatorWindow;

class TestSimulatorWindow : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  trb::app::Session session_;
  QString demo_;

  // A simulator on the demo copy, shown and activated.
  void showOn(SimulatorWindow& sim, const QString& database, const QStringList& args = {}) {
    sim.setArguments(args);
    sim.setDatabase(database);
    sim.show();
    QTRY_VERIFY(sim.messageLines().size() >= 6);
  }

  // A synthetic database of 1,500 selected plots, far too large to finish before a close.
  QString bigDatabase() {
    const QString big = user_.path(QStringLiteral("synthetic.sqlite"));
    if (QFile::exists(big)) return big;
    QProcess gen;
    gen.start(QStringLiteral(TRB_GEN), {QStringLiteral("1500"), QStringLiteral("40"), big});
    if (!gen.waitForFinished(60000) || gen.exitCode() != 0) return QString();
    return big;
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
    SimulatorWindow sim(session_);
    showOn(sim, QStringLiteral("?"));  // "?": the stored database
    QCOMPARE(sim.database(), demo_);
    QCOMPARE(sim.pathEdit->text(), demo_);
    QCOMPARE(sim.runButton->text(), QStringLiteral("&calculate"));
    QVERIFY(!sim.recalcBox->isChecked());
    QCOMPARE(sim.messageLines().first(), QStringLiteral("ptf_mode=3 / Lieberoth"));
    QCOMPARE(sim.messageLines().at(4), QStringLiteral("method : TRB"));
    trb::db::Database db = trb::db::Database::open(demo_);
    const int selected =
        db.scalar(QStringLiteral("select count(*) from site_state where status=1")).toInt();
    QVERIFY(selected > 0);
    QCOMPARE(sim.siteGrid->model()->rowCount(), selected);
    QCOMPARE(sim.siteGrid->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("plot"));
    QCOMPARE(sim.messageLines().last(), QStringLiteral("database: ") + demo_);

    // Another database by the window's own button, then the main window's reset on the next
    // activation: each change is named in the list and shown in the path field at once.
    const QString other = trb::test::demoCopy(user_.dir.path(), QStringLiteral("other.sqlite"));
    trb::test::answerModal<QFileDialog>([&](QFileDialog* d) {
      auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(name);
      name->setText(other);
      static_cast<QDialog*>(d)->accept();
    });
    sim.databaseButton->click();
    QCOMPARE(sim.pathEdit->text(), other);
    QCOMPARE(sim.messageLines().last(), QStringLiteral("database: ") + other);
    const int linesBefore = sim.messageLines().size();
    sim.setDatabase(QStringLiteral("?"));
    for (QEvent::Type t : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
      QEvent e(t);
      QApplication::sendEvent(&sim, &e);
    }
    QCOMPARE(sim.pathEdit->text(), demo_);
    QCOMPARE(sim.messageLines().mid(linesBefore),
             QStringList{QStringLiteral("database: ") + demo_});
    sim.close();
  }

  void calculationInTheWindow() {
    SimulatorWindow sim(session_);
    showOn(sim, demo_);
    // lines that arrive while the worker still runs show that the window was live
    int liveLines = 0;
    connect(sim.messageList->model(), &QAbstractItemModel::rowsInserted, this,
            [&] { liveLines += sim.calculating() ? 1 : 0; });
    // the progress shows from the first preparation step on, in room kept for it
    const QRect tabsBefore = sim.tabs->geometry();
    bool barWhilePreparing = false, tabsMoved = false;
    connect(sim.messageList->model(), &QAbstractItemModel::rowsInserted, this,
            [&](const QModelIndex&, int first) {
              const QString line = sim.messageList->item(first)->text();
              if (line.startsWith(QStringLiteral("new recs in RS_TABLE")))
                barWhilePreparing = sim.progress->isVisible();
              if (sim.tabs->geometry() != tabsBefore) tabsMoved = true;
            });
    QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
    sim.runButton->click();
    QVERIFY(sim.calculating());
    QVERIFY(sim.calculating());
    QCOMPARE(sim.runButton->text(), QStringLiteral("&close"));
    QVERIFY(!sim.runButton->isEnabled());
    QVERIFY(!sim.databaseButton->isEnabled());
    QVERIFY(!sim.recalcBox->isEnabled());
    QCOMPARE(sim.tabs->currentWidget(), sim.messageList);
    QVERIFY(ended.wait(120000));
    QCOMPARE(ended.first().first().toBool(), true);
    QVERIFY(liveLines > 0);
    QVERIFY(barWhilePreparing);
    QVERIFY(!tabsMoved);
    QVERIFY(!sim.calculating());
    QVERIFY(sim.hasAssessment());
    QVERIFY(sim.lastFinished());
    QVERIFY(sim.runButton->isEnabled() && sim.databaseButton->isEnabled());
    QVERIFY(!sim.progress->isVisible());

    const QStringList lines = sim.messageLines();
    QCOMPARE(lines.first(), QStringLiteral("ptf_mode=3 / Lieberoth"));  // the report once
    QCOMPARE(lines.count(QStringLiteral("ptf_mode=3 / Lieberoth")), 1);
    QVERIFY(lines.contains(QStringLiteral("job finished")));
    QVERIFY(std::any_of(lines.begin(), lines.end(),
                        [](const QString& l) { return l.startsWith(QStringLiteral(" N=")); }));
    // the last line names the folder of the report, which holds the lines before it
    QCOMPARE(lines.last(), QStringLiteral("trb_report.txt written in ") +
                               QDir::toNativeSeparators(QDir::currentPath()));
    QFile report(QStringLiteral("trb_report.txt"));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(report.readAll()).trimmed(),
             lines.mid(0, lines.size() - 1).join(u'\n'));

    // Ctrl+A, Ctrl+C copies every line; a selection of two copies those two
    sim.messageList->setFocus();
    QTest::keyClick(sim.messageList, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(sim.messageList, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), lines.join(u'\n'));
    sim.messageList->clearSelection();
    sim.messageList->item(1)->setSelected(true);
    sim.messageList->item(3)->setSelected(true);
    QTest::keyClick(sim.messageList, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), lines.at(1) + u'\n' + lines.at(3));

    // the bars show the shares of the summary, and its N
    int classLines = 0;
    for (const QString& l : lines) {
      static const QRegularExpression cls(QStringLiteral("^ CL(\\d)<?>?.*=>\\d+ / (.*%)$"));
      const QRegularExpressionMatch m = cls.match(l);
      if (!m.hasMatch()) continue;
      ++classLines;
      QCOMPARE(sim.histogram->share(m.captured(1).toInt() - 1), m.captured(2));
    }
    QCOMPARE(classLines, 7);
    const QString nLine = *std::find_if(lines.begin(), lines.end(), [](const QString& l) {
      return l.startsWith(QStringLiteral(" N="));
    });
    QVERIFY2(sim.histogram->heading().endsWith(nLine.trimmed()),
             qPrintable(sim.histogram->heading()));

    // the pairs of the current plot: first row after the run, then the one the user picks
    trb::db::Database db = trb::db::Database::open(demo_);
    for (int row : {0, sim.siteGrid->model()->rowCount() - 1}) {
      sim.assessSiteGrid->selectRow(row);
      const QVariant fl = columnOf(sim.assessSiteGrid, row, QStringLiteral("plot"));
      const int pairs = db.scalar(QStringLiteral("select count(*) from rs_table where "
                                                 "SIM_VALUE>0 and M_IX=7 and FL_ID=?"),
                                  {fl})
                            .toInt();
      QCOMPARE(sim.pairsGrid->model()->rowCount(), pairs);
      for (int r = 0; r < pairs; ++r) {
        const double meas = columnOf(sim.pairsGrid, r, QStringLiteral("measured C (%)")).toDouble();
        const double simulated =
            columnOf(sim.pairsGrid, r, QStringLiteral("simulated C (%)")).toDouble();
        QVERIFY(simulated > 0);
        QCOMPARE(columnOf(sim.pairsGrid, r, QStringLiteral("measured - simulated")).toString(),
                 trb::fmt_general(trb::round_to(meas - simulated, 4)));
      }
      if (pairs > 0) QCOMPARE(sim.pairsGrid->currentIndex().row(), pairs - 1);
    }
    QVERIFY(sim.pairsGrid->model()->columnCount() == 5);
    QCOMPARE(columnOf(sim.pairsGrid, 0, QStringLiteral("measurement")).isValid(),
             sim.pairsGrid->model()->rowCount() > 0);
    // every title and value fits its column
    for (int c = 0; c < 4; ++c) {
      const QString title = sim.pairsGrid->model()->headerData(c, Qt::Horizontal).toString();
      QVERIFY2(sim.pairsGrid->columnWidth(c) >=
                   sim.pairsGrid->horizontalHeader()->fontMetrics().horizontalAdvance(title),
               qPrintable(title));
    }

    sim.tabs->setCurrentWidget(sim.histogram);
    trb::test::screenshot(&sim, QStringLiteral("simulator_histogram"));
    sim.tabs->setCurrentIndex(3);
    trb::test::screenshot(&sim, QStringLiteral("simulator_assessment"));
    sim.tabs->setCurrentWidget(sim.messageList);
    trb::test::screenshot(&sim, QStringLiteral("simulator_messages"));

    // The user visits another window and comes back: the command still reads "close" and
    // closes the window; nothing is calculated again.
    const QStringList before = sim.messageLines();
    for (QEvent::Type t : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
      QEvent e(t);
      QApplication::sendEvent(&sim, &e);
    }
    QCOMPARE(sim.runButton->text(), QStringLiteral("&close"));
    QSignalSpy again(&sim, &SimulatorWindow::calculationEnded);
    sim.runButton->click();
    QVERIFY(!sim.isVisible());
    QVERIFY(!sim.calculating());
    QVERIFY(!sim.calculating());
    QTest::qWait(50);
    QCOMPARE(again.count(), 0);
    QCOMPARE(sim.messageLines(), before);
  }

  // The browser's way in: a run asked for through the session starts the calculation on the
  // window's activation, with the loop-back of the request; the settings report is in the list
  // once, and the window closes and tells the session how far the run got.
  void requestedRunCalculatesOnActivation() {
    {
      auto store = trb::settings::openStore();
      store->clear();
      trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
    }
    trb::app::Session session;
    session.setDatabasePath(demo_);
    trb::Feedback quiet;
    session.openDatabase(quiet);
    SimulatorWindow sim(session);
    sim.setArguments({});
    sim.setDatabase(demo_);
    QSignalSpy ended(&session, &trb::app::Session::runEnded);
    session.runSelectedPlots({2, 7}, -99, 0);
    QVERIFY(ended.wait(120000));
    const auto report = ended.first().first().value<trb::app::RunReport>();
    QVERIFY(report.finished && !report.stopped && report.walkStarted);
    QCOMPARE(report.plotsTotal, 2);
    QCOMPARE(report.plotsCalculated, 2);
    QVERIFY(!sim.calculating());
    QVERIFY(!sim.isVisible());
    const QStringList lines = sim.messageLines();
    QCOMPARE(lines.count(QStringLiteral("ptf_mode=3 / Lieberoth")), 1);
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("job finished"));
  }

  // Closing during a run stops the calculation early: on a database far too large to finish
  // before the close, fewer plots are computed than were selected.
  void closingStopsTheCalculation() {
    const QString big = bigDatabase();
    QVERIFY(!big.isEmpty());
    int selected = 0;
    {
      trb::db::Database db = trb::db::Database::open(big);
      selected =
          db.scalar(QStringLiteral("select count(*) from site_state where status=1")).toInt();
    }
    QCOMPARE(selected, 1500);

    SimulatorWindow sim(session_);
    showOn(sim, big, {QStringLiteral("BAT0")});
    QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
    sim.runButton->click();
    // closed once the balance of the plots has begun
    QTRY_VERIFY_WITH_TIMEOUT(sim.messageLines().contains(QStringLiteral("trb running")), 60000);
    sim.close();
    QVERIFY(ended.wait(120000));
    QCOMPARE(ended.first().first().toBool(), false);  // stopped, not finished
    QVERIFY(!sim.lastFinished());
    QVERIFY(!sim.calculating());
    QVERIFY(!sim.calculating());
    {
      trb::db::Database db = trb::db::Database::open(big);
      const int done =
          db.scalar(QStringLiteral("select count(*) from (select distinct FL_ID from trb_driver)"))
              .toInt();
      QVERIFY2(done < selected,
               qPrintable(QStringLiteral("%1 of %2 plots").arg(done).arg(selected)));
      // the list ends saying how far the run came
      QCOMPARE(sim.messageLines().last(),
               QStringLiteral("stopped: %1 of %2 plots calculated; the other plots keep their "
                              "earlier results")
                   .arg(done)
                   .arg(selected));
    }
    // shown again, it is ready for the next run
    sim.show();
    QTRY_COMPARE(sim.runButton->text(), QStringLiteral("&calculate"));
    QVERIFY(sim.runButton->isEnabled());
    sim.close();
  }

  // A batch run stopped by closing its window says why on standard error.
  void stoppedBatchRunSaysWhy() {
    const QString big = bigDatabase();
    QVERIFY(!big.isEmpty());
    QTemporaryFile errFile;
    QVERIFY(errFile.open());
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(errFile.handle(), 2);
    trb::gui::ErrorReporter::setBatchMode(true);
    {
      SimulatorWindow sim(session_);
      QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
      sim.setArguments({QStringLiteral("go"), QStringLiteral("BAT0")});
      sim.setDatabase(big);
      sim.show();
      QTRY_VERIFY_WITH_TIMEOUT(sim.messageLines().contains(QStringLiteral("trb running")), 60000);
      sim.close();
      QVERIFY(ended.wait(120000));
      QCOMPARE(ended.first().first().toBool(), false);
    }
    trb::gui::ErrorReporter::setBatchMode(false);
    std::fflush(stderr);
    dup2(saved, 2);
    ::close(saved);
    errFile.seek(0);
    const QString errors = QString::fromUtf8(errFile.readAll());
    QVERIFY2(errors.contains(QStringLiteral("calculation stopped")), qPrintable(errors));
  }

  // A window larger than the screen (a large scale factor on a small screen) opens within the
  // screen's available area, with its commands on it.
  void fitsTheScreen() {
    SimulatorWindow sim(session_);
    const QRect area = sim.screen()->availableGeometry();
    sim.resize(area.size() * 3 / 2);
    showOn(sim, demo_);
    QVERIFY2(area.contains(sim.geometry()),
             qPrintable(QStringLiteral("%1x%2").arg(sim.width()).arg(sim.height())));
    for (QWidget* w : {static_cast<QWidget*>(sim.runButton), static_cast<QWidget*>(sim.rButton)})
      QVERIFY(area.contains(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())));
    sim.close();
  }

  void germanCaptions() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    const auto english = qScopeGuard([] { trb::gui::setCaptionLanguage(QStringLiteral("E")); });
    SimulatorWindow sim(session_);
    showOn(sim, demo_);
    QCOMPARE(sim.runButton->text(), QStringLiteral("&berechnen"));
    // every command has its own access key, and the keyboard starts at "berechnen"
    QSet<QChar> keys;
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(sim.databaseButton),
                               static_cast<QAbstractButton*>(sim.runButton),
                               static_cast<QAbstractButton*>(sim.recalcBox),
                               static_cast<QAbstractButton*>(sim.rButton)}) {
      const int amp = b->text().indexOf(u'&');
      QVERIFY2(amp >= 0 && amp + 1 < b->text().size(), qPrintable(b->text()));
      keys.insert(b->text().at(amp + 1).toLower());
    }
    QCOMPARE(keys.size(), 4);
    QCOMPARE(sim.focusWidget(), sim.runButton);
    QCOMPARE(sim.tabs->tabText(0), QStringLiteral("Meldungen"));
    QCOMPARE(sim.windowTitle(), QStringLiteral("TRB-simulator"));
    sim.tabs->setCurrentIndex(2);
    trb::test::screenshot(&sim, QStringLiteral("simulator_de"));
    sim.close();

    // one language throughout: the program's messages and Qt's own dialogs
    SimulatorWindow missing(session_);
    const QString path = user_.path(QStringLiteral("missing.sqlite"));
    showOn(missing, path);
    QCOMPARE(missing.messageLines().first(),
             QStringLiteral("Datenbank kann nicht geöffnet werden: Die Datenbankdatei %1 existiert "
                            "nicht.")
                 .arg(path));
    missing.close();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("trb"), QStringLiteral("?"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QFileDialog files(nullptr, QStringLiteral("trb"));
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setFileMode(QFileDialog::ExistingFile);
    auto* buttons = files.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Öffnen"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
  }

  void databaseThatCannotBeOpened() {
    SimulatorWindow sim(session_);
    showOn(sim, user_.path(QStringLiteral("missing.sqlite")));
    QVERIFY(sim.messageLines().first().startsWith(QStringLiteral("database cannot be opened")));
    QCOMPARE(sim.siteGrid->model()->rowCount(), 0);
    QSignalSpy ended(&sim, &SimulatorWindow::calculationEnded);
    sim.runButton->click();
    QVERIFY(ended.wait(30000));
    QCOMPARE(ended.first().first().toBool(), false);
    QVERIFY(!sim.calculating());
    QVERIFY2(sim.messageLines()
                 .at(sim.messageLines().size() - 2)
                 .startsWith(QStringLiteral("calculation stopped")),
             qPrintable(sim.messageLines().join(u"\n")));
    // dismiss the error box
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->inherits("QMessageBox")) w->close();
  }
};

QTEST_MAIN(TestSimulatorWindow)
#include "tst_simulator_window.moc"
