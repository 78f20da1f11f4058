// The SQL module as a user works it: scripts, the result grid, history, parameters, stop, export.
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include "core/db/database.h"
#include "gui/app/language.h"
#include "gui/guitest.h"
#include "gui/sqlmodule/result_model.h"
#include "gui/sqlmodule/sql_window.h"
#include "xlsx_read.h"

using trb::gui::SqlWindow;

namespace {

void run(SqlWindow& w, const QString& script) {
  w.editor->setPlainText(script);
  QTest::mouseClick(w.executeButton, Qt::LeftButton);
}

void answerFile(const QString& file) {
  trb::test::answerModal<QFileDialog>([file](QFileDialog* d) {
    d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
    static_cast<QDialog*>(d)->accept();
  });
}

}  // namespace

class TstSqlWindow : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  trb::db::Database db_;

 private slots:
  void init() { db_ = trb::db::Database::open(trb::test::demoCopy(user_.dir.path())); }
  void cleanup() {
    // boxes the error reporter left open
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<QMessageBox*>(w)) w->close();
    db_.close();
  }

  void scripts() {
    SqlWindow w(db_);
    w.show();
    // a drop whose error is ignored, then a make-table: nothing to show
    run(w, QStringLiteral("drop table x\ngo\nselect * into x from field_description"));
    QVERIFY(w.dataChangeBox->isChecked());
    QCOMPARE(w.resultModel->rowCount(), 0);
    QCOMPARE(db_.scalar(QStringLiteral("select count(*) from x")).toInt(), 10);
    // one query without "go"
    run(w, QStringLiteral("select * from field_description"));
    QVERIFY(!w.dataChangeBox->isChecked());
    QCOMPARE(w.resultModel->rowCount(), 10);
    QCOMPARE(w.resultModel->headerData(0, Qt::Horizontal).toString().toLower(),
             QStringLiteral("fl_id"));
    trb::test::screenshot(&w, QStringLiteral("sql_window"));
    w.resize(400, 300);
    trb::test::screenshot(&w, QStringLiteral("sql_window_small"));

    // a failing batch names itself and stops the script
    run(w, QStringLiteral("select * into y from experiments\ngo\nselect nosuch from x\ngo\nselect "
                          "* into z from experiments"));
    QTRY_VERIFY(w.statusLabel->text().contains(QStringLiteral("batch 2")));
    QVERIFY(db_.hasTable(QStringLiteral("y")));
    QVERIFY(!db_.hasTable(QStringLiteral("z")));
  }

  // A large result shows its first rows at once and the rest as the view scrolls.
  void largeResultIsReadAsScrolled() {
    SqlWindow w(db_);
    w.show();
    QElapsedTimer clock;
    clock.start();
    run(w, QStringLiteral("select a.year, b.year as y2, c.year as y3 from climate_data a, "
                          "climate_data b, climate_data c"));
    QVERIFY(clock.elapsed() < 5000);
    const int first = w.resultModel->rowCount();
    QVERIFY(first > 0 && first <= 2 * trb::gui::ResultModel::kBlock);
    QVERIFY(w.resultModel->canFetchMore(QModelIndex()));
    w.resultView->scrollToBottom();
    QTRY_VERIFY(w.resultModel->rowCount() > first);
  }

  void history() {
    SqlWindow w(db_);
    w.show();
    QCOMPARE(w.slotLabel->text(), QStringLiteral("0 of 10"));
    for (int i = 1; i <= 11; ++i) run(w, QStringLiteral("select %1 as n").arg(i));
    QCOMPARE(w.slotLabel->text(), QStringLiteral("10 of 10"));
    QVERIFY(!w.nextButton->isEnabled());
    for (int i = 0; i < 9; ++i) QTest::mouseClick(w.previousButton, Qt::LeftButton);
    QCOMPARE(w.slotLabel->text(), QStringLiteral("1 of 10"));
    QCOMPARE(w.editor->toPlainText(), QStringLiteral("select 2 as n"));  // the first one went
    QVERIFY(!w.previousButton->isEnabled());
    QTest::mouseClick(w.nextButton, Qt::LeftButton);
    QCOMPARE(w.editor->toPlainText(), QStringLiteral("select 3 as n"));
  }

  void parametersFromFile() {
    const QString file = user_.path(QStringLiteral("years.sql"));
    {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("select count(*) from measurements\nwhere year=$year and m_ix = 7\nor YEAR = $YEAR");
    }
    SqlWindow w(db_);
    w.show();
    answerFile(file);
    QTest::mouseClick(w.loadButton, Qt::LeftButton);
    QCOMPARE(w.parameterCount(), 1);
    QCOMPARE(w.parameterTable->item(0, 0)->text(), QStringLiteral("$year"));
    w.parameterTable->setItem(0, 1, new QTableWidgetItem(QStringLiteral("1990")));
    QTest::mouseClick(w.substituteButton, Qt::LeftButton);
    QCOMPARE(w.editor->toPlainText(), QStringLiteral("select count(*) from measurements\nwhere "
                                                     "year=1990 and m_ix = 7\nor YEAR = 1990"));
    QCOMPARE(w.slotLabel->text(), QStringLiteral("1 of 10"));  // kept in the history first
    QTest::mouseClick(w.clearGridButton, Qt::LeftButton);
    QCOMPARE(w.parameterCount(), 0);
    QVERIFY(!w.parameterTable->item(0, 0));

    // and back to a file
    const QString saved = user_.path(QStringLiteral("saved.sql"));
    answerFile(saved);
    QTest::mouseClick(w.saveButton, Qt::LeftButton);
    QFile back(saved);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(back.readAll()), w.editor->toPlainText());
  }

  // A long batch is stopped from the running dialog; the batch before it stays done.
  void stopKeepsEarlierBatches() {
    SqlWindow w(db_);
    w.show();
    trb::test::answerModal<QProgressDialog>(
        [](QProgressDialog* d) { d->findChild<QPushButton*>()->click(); }, 20000);
    run(w,
        QStringLiteral(
            "select * into kept from experiments\ngo\nselect count(*) as n into big "
            "from climate_data a, climate_data b, climate_data c, climate_data d, climate_data e"));
    QVERIFY(!w.running());
    QVERIFY(db_.hasTable(QStringLiteral("kept")));
    QVERIFY(!db_.hasTable(QStringLiteral("big")));
    QVERIFY2(w.statusLabel->text().contains(QStringLiteral("stopped")),
             qPrintable(w.statusLabel->text()));
  }

  void germanCaptions() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    const auto english = qScopeGuard([] { trb::gui::setCaptionLanguage(QStringLiteral("E")); });
    SqlWindow w(db_);
    w.show();
    run(w, QStringLiteral("select fl_id, mw_bat from field_description"));
    QCOMPARE(w.executeButton->text(), QStringLiteral("ausführen"));
    QCOMPARE(w.slotLabel->text(), QStringLiteral("1 von 10"));
    trb::test::screenshot(&w, QStringLiteral("sql_window_de"));
  }

  void exportKeepsNumbers() {
    SqlWindow w(db_);
    w.show();
    run(w, QStringLiteral("select fl_id, site_description, mw_bat from field_description order by "
                          "fl_id"));
    const QString file = user_.path(QStringLiteral("result.xlsx"));
    answerFile(file);
    QTest::mouseClick(w.exportButton, Qt::LeftButton);
    const trb::test::XlsxSheet sheet = trb::test::readXlsx(file);
    QVERIFY(sheet.ok);
    QCOMPARE(sheet.rowCount(), 11);
    QVERIFY(sheet.at(QStringLiteral("A2")).numeric);
    QVERIFY(!sheet.at(QStringLiteral("B2")).numeric);
    QCOMPARE(sheet.at(QStringLiteral("C2")).text.toDouble(), 28.5);
  }
};

QTEST_MAIN(TstSqlWindow)
#include "tst_sql_window.moc"
