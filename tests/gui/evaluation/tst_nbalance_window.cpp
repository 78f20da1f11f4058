// The window 'TRB N balance' driven as a user would: fields that are no numbers, a run over the
// calculated demo database, the tables it shows and the spreadsheet written from the grid.
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QtTest>
#include <atomic>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/calculation.h"
#include "core/evaluation/nbalance.h"
#include "gui/evaluation/nbalance_window.h"
#include "gui/guitest.h"
#include "testutil.h"
#include "xlsx_read.h"

using trb::gui::NBalanceWindow;

class TstNBalanceWindow : public QObject {
  Q_OBJECT

  trb::test::PrivateUser user_;
  QTemporaryDir dir_;
  QString path_;
  trb::app::Session session_;  // the database the window works on
  trb::db::Database& db_ = session_.db();

 private slots:
  // The demo database with every plot calculated once.
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QDir::setCurrent(dir_.path());
    path_ = trb::test::demoCopy(dir_.path());
    QVERIFY(!path_.isEmpty());
    {
      trb::db::Database db = trb::db::Database::open(path_);
      db.execute(QStringLiteral("update site_state set status=1"));
    }
    trb::Feedback silent;
    trb::engine::Calculation calc(silent);
    QSettings none(dir_.filePath(QStringLiteral("none.ini")), QSettings::IniFormat);
    calc.settings = trb::settings::RunSettings::read(none, calc.switches);
    calc.settings.database = path_;
    QVERIFY2(calc.calculate(), qPrintable(calc.stopReason));
    db_ = trb::db::Database::open(path_);
  }

  // Another job writes the database (a calculation started in another window): the balance is
  // refused with a message naming that job, and nothing runs.
  void refusedWhileAnotherJobWrites() {
    std::atomic<bool> release{false};
    session_.jobs().start(QStringLiteral("calculation"), db_.path(), [&release](trb::app::Job&) {
      while (!release) QThread::msleep(1);
      return trb::app::Job::End{};
    });
    NBalanceWindow w(session_);
    w.open(nullptr);
    QTest::mouseClick(w.runButton, Qt::LeftButton);
    auto* box = w.findChild<QMessageBox*>(QStringLiteral("errorBox"));
    QVERIFY(box);
    QVERIFY2(box->text().contains(QStringLiteral("\"calculation\"")), qPrintable(box->text()));
    QVERIFY(!w.running());
    QVERIFY(w.runButton->isEnabled() && w.progress->isHidden());
    box->close();
    release = true;
    QTRY_VERIFY(!session_.jobs().isBusy());
  }

  // A field that is no number stops the run before anything is written, and says which field.
  void fieldsRefused_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("first year") << "firstYearEdit"
                                << "19x0"
                                << "first year";
    QTest::newRow("last year") << "lastYearEdit"
                               << ""
                               << "last year";
    QTest::newRow("lowest N") << "ndngLowEdit"
                              << "0 or 1=1"
                              << "lowest mineral N input";
    QTest::newRow("highest N") << "ndngHighEdit"
                               << "'3000'"
                               << "highest mineral N input";
    QTest::newRow("plot key") << "plotEdit"
                              << "1; drop table cultivation"
                              << "FL_ID";
  }
  void fieldsRefused() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, named);
    db_.dropTable(QStringLiteral("nmin_saldo"));
    NBalanceWindow w(session_);
    w.open(nullptr);
    auto* edit = w.findChild<QLineEdit*>(field);
    QVERIFY(edit);
    edit->setText(text);
    QString message;
    trb::test::answerModal<QMessageBox>([&](QMessageBox* box) {
      message = box->text();
      box->accept();
    });
    QTest::mouseClick(w.runButton, Qt::LeftButton);
    QTRY_VERIFY(!message.isEmpty());
    QVERIFY2(message.contains(named), qPrintable(message));
    QVERIFY(!w.running());
    QVERIFY(w.grid->isHidden() && w.tableChooser->isHidden());
    QCOMPARE(edit->selectedText(), edit->text());  // marked for retyping
    QVERIFY(!db_.hasTable(QStringLiteral("nmin_saldo")));
    QVERIFY(db_.hasTable(QStringLiteral("cultivation")));
  }

  // A filter that selects nothing is refused with a message, and the tables of the last run stay.
  void emptySelectionRefused_data() {
    QTest::addColumn<QString>("plot");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("named");
    QTest::newRow("no such plot") << "99"
                                  << "0"
                                  << "3000"
                                  << "no plot with the key 99";
    QTest::newRow("reversed years") << "*"
                                    << "2000"
                                    << "1990"
                                    << "after the last year";
    QTest::newRow("no simulated year") << "*"
                                       << "2990"
                                       << "3000"
                                       << "No simulated year";
  }
  void emptySelectionRefused() {
    QFETCH(QString, plot);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, named);
    trb::evaluation::do_balance(db_, QStringLiteral("*"));
    const QStringList tables = {"trb_n_bilanz", "trb_nsaldo", "nmin_saldo", "NT_saldo"};
    QStringList before;
    for (const QString& t : tables)
      before << db_.scalar(QStringLiteral("select count(*) from ") + t).toString();
    QVERIFY(before.first().toInt() > 0);
    NBalanceWindow w(session_);
    w.open(nullptr);
    QSignalSpy done(&w, &NBalanceWindow::balanceDone);
    w.plotEdit->setText(plot);
    w.firstYearEdit->setText(first);
    w.lastYearEdit->setText(last);
    QTest::mouseClick(w.runButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 60000);
    QCOMPARE(done.at(0).at(0).toBool(), false);
    // the refusal reaches the one error reporter, whose box names the cause
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = w.findChild<QMessageBox*>(QStringLiteral("errorBox"))) != nullptr);
    const QString message = box->text();
    box->close();
    QVERIFY2(message.contains(named), qPrintable(message));
    QVERIFY(w.grid->isHidden());
    QStringList after;
    for (const QString& t : tables)
      after << db_.scalar(QStringLiteral("select count(*) from ") + t).toString();
    QCOMPARE(after, before);
  }

  // All plots: the bar runs to 17, NMIN_SALDO is selected and shown, the plot balance can be
  // chosen, and the exported sheet holds the titles and typed numbers rounded to 4 decimals.
  void runAllPlotsAndExport() {
    NBalanceWindow w(session_);
    w.open(nullptr);
    QSignalSpy done(&w, &NBalanceWindow::balanceDone);
    int highest = 0;
    bool barShown = false;
    connect(w.progress, &QProgressBar::valueChanged, [&](int v) {
      highest = std::max(highest, v);
      barShown |= w.progress->isVisible();
    });
    QTest::mouseClick(w.runButton, Qt::LeftButton);
    QVERIFY(w.running() || done.count() == 1);
    QVERIFY(!w.runButton->isEnabled() || done.count() == 1);
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 60000);
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QCOMPARE(w.progress->maximum(), 17);
    QCOMPARE(highest, 17);
    QVERIFY(barShown);
    QVERIFY(w.progress->isHidden());
    QVERIFY(w.runButton->isEnabled());
    QVERIFY(w.tableChooser->isVisible() && w.grid->isVisible());
    QCOMPARE(w.tableChooser->currentText(), QStringLiteral("NMIN_SALDO"));
    const int plots =
        db_.scalar(QStringLiteral("select count(*) from (select distinct fl_id from trb_nresult)"))
            .toInt();
    QVERIFY(plots > 0);
    QCOMPARE(w.grid->model()->rowCount(), plots);
    QCOMPARE(w.grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("FL_ID"));
    trb::test::screenshot(&w, QStringLiteral("nbalance_all"));

    // the plot balance, then back
    w.tableChooser->setCurrentIndex(1);
    emit w.tableChooser->textActivated(w.tableChooser->currentText());
    QCOMPARE(w.grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("n_abfuhr"));
    w.tableChooser->setCurrentIndex(0);
    emit w.tableChooser->textActivated(w.tableChooser->currentText());

    // 'copy to XLS'
    const QString file = dir_.filePath(QStringLiteral("nmin.xlsx"));
    trb::test::answerModal<QFileDialog>([&](QFileDialog* d) {
      d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
      static_cast<QDialog*>(d)->accept();
    });
    trb::test::answerModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
    QTest::mouseClick(w.exportButton, Qt::LeftButton);
    QTRY_VERIFY(QFile::exists(file));
    const trb::test::XlsxSheet sheet = trb::test::readXlsx(file);
    QVERIFY(sheet.ok);
    QCOMPARE(sheet.at(QStringLiteral("A1")).text, QStringLiteral("FL_ID"));
    QCOMPARE(sheet.at(QStringLiteral("B1")).text, QStringLiteral("n_pflanze_out"));
    QCOMPARE(sheet.rowCount(), plots + 1);
    const QVariant first =
        db_.scalar(QStringLiteral("select n_pflanze_out from nmin_saldo order by rowid"));
    QVERIFY(sheet.at(QStringLiteral("B2")).numeric);
    QCOMPARE(sheet.at(QStringLiteral("B2")).text.toDouble(), trb::round_to(first.toDouble(), 4));
  }

  // One plot: a row per simulated year, whatever the filters say.
  void runOnePlot() {
    const qlonglong plot =
        db_.scalar(QStringLiteral("select fl_id from trb_nresult order by fl_id")).toLongLong();
    const int years =
        db_.scalar(QStringLiteral("select count(*) from trb_nresult where fl_id=?"), {plot})
            .toInt();
    NBalanceWindow w(session_);
    w.open(nullptr);
    QSignalSpy done(&w, &NBalanceWindow::balanceDone);
    w.plotEdit->setText(QString::number(plot));
    w.firstYearEdit->setText(QStringLiteral("2999"));
    QTest::mouseClick(w.runButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 60000);
    QCOMPARE(w.tableChooser->currentText(), QStringLiteral("NMIN_SALDO"));
    QCOMPARE(w.grid->model()->rowCount(), years);
    trb::test::screenshot(&w, QStringLiteral("nbalance_plot"));
  }
};

QTEST_MAIN(TstNBalanceWindow)
#include "tst_nbalance_window.moc"
