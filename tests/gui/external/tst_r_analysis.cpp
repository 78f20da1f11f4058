// R analyses as a user runs them on a copy of the demo database, with real R, RODBC and the
// SQLite ODBC driver: the browser's R panel, 'Datenanalyse mit R' walking the plots with results,
// and the simulator's "run r-script". R starts slowly: the tests share few runs.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/settings/settings.h"
#include "gui/app/language.h"
#include "gui/browser/browser_window.h"
#include "gui/external/picture_view.h"
#include "gui/external/r_panel.h"
#include "gui/external/script_statistics_window.h"
#include "gui/guitest.h"
#include "gui/simulator/simulator_window.h"

using trb::gui::BrowserWindow;

namespace {

void writeFile(const QString& path, const QString& text) {
  QFile f(path);
  QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
  f.write(text.toUtf8());
}

QString readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<none>");
}

QStringList items(const QComboBox* c) {
  QStringList out;
  for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
  return out;
}

// Reads the statistics table through T_R_B, draws two pictures, closes its channel: a script as
// users write it, unchanged.
const char* kFigScript = R"r(library(RODBC)
ch <- odbcConnect("T_R_B")
d <- sqlQuery(ch, "select * from trb_stat_corg")
cat("rows:", nrow(d), "\n")
png("fig1.png"); plot(d$rms); dev.off()
svg("fig2.svg"); plot(d$FL_ID); dev.off()
odbcClose(ch)
cat("closed\n")
)r";

}  // namespace

class TestRAnalysis : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QString demo_;
  QString work_;               // the working folder
  trb::app::Session session_;  // the database the windows work on
  trb::db::Database& db_ = session_.db();

  QString odbcIni() const { return user_.path(QStringLiteral("odbc.ini")); }

  std::unique_ptr<BrowserWindow> openBrowser() {
    auto w = std::make_unique<BrowserWindow>(session_, true);
    session_.setDatabasePath(demo_);
    w->show();
    return w;
  }

 private slots:
  void initTestCase() {
    qunsetenv("R_PROFILE_USER");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("R")).isEmpty(),
             "R is not installed (scripts/deps.sh installs it)");
  }

  void init() {
    db_.close();
    const QString data = user_.path(QStringLiteral("data"));
    QVERIFY(QDir(data).removeRecursively());
    QVERIFY(QDir().mkpath(data));
    demo_ = trb::test::demoCopy(data);
    QVERIFY(!demo_.isEmpty());
    work_ = user_.path(QStringLiteral("R work"));
    QVERIFY(QDir(work_).removeRecursively());
    QVERIFY(QDir().mkpath(work_));
    QVERIFY(QDir::setCurrent(work_));
    QFile::remove(odbcIni());
    auto store = trb::settings::openStore();
    store->clear();
    // the first start finds R on the PATH
    trb::settings::writeFirstStartDefaults(*store, demo_, work_);
    store->sync();
    db_ = trb::db::Database::open(demo_);
  }
  void cleanup() { db_.close(); }

  // A stored script whose file exists runs from the file; the missing data source is added on
  // request; the output shows the rows R read, the two pictures are offered, the second shown.
  void panelRunsStoredScript() {
    for (int k : {1, 2, 3, 4})
      db_.execute(QStringLiteral("insert into trb_stat_corg (FL_ID, rms) values (?, ?)"),
                  {k, 0.1 * k});
    db_.execute(QStringLiteral("insert into r_stat_res (r_script, source) values (?, ?)"),
                {QStringLiteral("fig"), QStringLiteral("cat('the stored text')\n")});
    db_.execute(QStringLiteral("insert into r_stat_res (r_script, source) values (?, ?)"),
                {QStringLiteral("other"), QStringLiteral("cat('other')\n")});
    writeFile(QDir(work_).filePath(QStringLiteral("fig.r")), QString::fromUtf8(kFigScript));

    auto w = openBrowser();
    w->tree->menus.rInterface->trigger();
    trb::gui::RPanel* p = w->rInterface;
    QCOMPARE(w->areas->currentWidget(), w->rPanel);
    QVERIFY(p->runButton->isVisible());
    QCOMPARE(p->folderEdit->text(), QDir::toNativeSeparators(work_));
    // from the last row to the first; the first row's script chosen
    QCOMPARE(items(p->scriptChooser), QStringList({"other.r", "fig.r"}));
    QCOMPARE(p->scriptChooser->currentText(), QStringLiteral("fig.r"));
    QCOMPARE(readFile(QDir(work_).filePath(QStringLiteral("other.r"))),
             QStringLiteral("cat('other')\n"));
    QCOMPARE(p->storedText->toPlainText(), QStringLiteral("cat('the stored text')\n"));
    QCOMPARE(p->scriptLines->item(0)->text(), QStringLiteral("library(RODBC)"));

    QString question;
    trb::test::answerModal<QMessageBox>([&question](QMessageBox* box) {
      question = box->windowTitle() + u':' + box->text();
      box->button(QMessageBox::Yes)->click();
    });
    // R runs as a job: the button is off until it has ended
    QTest::mouseClick(p->runButton, Qt::LeftButton);
    QVERIFY2(question.startsWith(QStringLiteral("ODBC error:")), qPrintable(question));
    QVERIFY(!p->runButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(p->runButton->isEnabled(), 60000);
    const QString ini = readFile(odbcIni());
    QVERIFY2(ini.contains(QStringLiteral("[T_R_B]")) && ini.contains(QStringLiteral("StepAPI=1")) &&
                 ini.contains(QStringLiteral("Database=") + db_.path()),
             qPrintable(ini));

    const QString out = p->outputView->toPlainText();
    QVERIFY2(out.contains(QStringLiteral("rows: 4")) && out.contains(QStringLiteral("closed")),
             qPrintable(out));
    QCOMPARE(items(p->pictureChooser), QStringList({"fig1.png", "fig2.svg"}));
    QCOMPARE(p->pictureChooser->currentText(), QStringLiteral("fig2.svg"));
    QVERIFY(p->pictureView->hasPicture());
    w->resize(900, 600);
    p->pages->setCurrentIndex(1);
    trb::test::screenshot(w.get(), QStringLiteral("r_panel_pictures"));

    // a picture chosen by the user; one that is not there says so
    p->pictureChooser->setCurrentIndex(0);
    emit p->pictureChooser->activated(0);
    QVERIFY(p->pictureView->hasPicture());
    QVERIFY(QFile::remove(QDir(work_).filePath(QStringLiteral("fig2.svg"))));
    p->showPicture(QStringLiteral("fig2.svg"));
    QVERIFY(!p->pictureView->hasPicture());
    auto* box = w->findChild<QMessageBox*>(QStringLiteral("errorBox"));
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("file not found"));
    box->close();
  }

  void panelWithoutScriptFile() {
    db_.execute(QStringLiteral("insert into r_stat_res (r_script, source) values ('gone', 'x')"));
    writeFile(odbcIni(), QStringLiteral("[T_R_B]\nDriver=SQLite3\nDatabase=/elsewhere\n"));
    auto w = openBrowser();
    w->tree->menus.rInterface->trigger();
    QVERIFY(QFile::remove(QDir(work_).filePath(QStringLiteral("gone.r"))));
    w->rInterface->runButton->click();
    auto* box = w->findChild<QMessageBox*>(QStringLiteral("errorBox"));
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("file for R script not found"));
    QCOMPARE(box->windowTitle(), QDir::toNativeSeparators(QDir(work_).filePath("gone.r")));
    // the data source was pointed at the database first
    QVERIFY(readFile(odbcIni()).contains(QStringLiteral("Database=") + db_.path()));
  }

  // The four-line SQL script recreates data4r with each plot's rows before R runs; R reads it
  // through the connection written into spez100.r.
  void scriptStatisticsWalksThePlots() {
    QList<qlonglong> keys;
    QSqlQuery q = db_.query(QStringLiteral("select FL_ID from field_description order by FL_ID"));
    while (q.next()) keys << q.value(0).toLongLong();
    QVERIFY(keys.size() >= 2);
    for (qlonglong k : {keys[0], keys[0], keys[1]})
      db_.execute(QStringLiteral("insert into rs_table (FL_ID, M_IX, YEAR_NUM) values (?, 7, 1)"),
                  {k});
    const QString data = QFileInfo(demo_).absolutePath();
    writeFile(QDir(data).filePath(QStringLiteral("plot.txt")),
              QStringLiteral("drop table data4r\ngo\n"
                             "select * into data4r from rs_table where FL_ID=#fl_id\ngo\n"));
    writeFile(QDir(data).filePath(QStringLiteral("plot.r")), QStringLiteral(R"r(
d <- sqlQuery(ch, "select * from data4r")
cat(unique(d$FL_ID), nrow(d), "\n", file = "perplot.txt", append = TRUE)
odbcClose(ch)
)r"));
    {
      auto store = trb::settings::openStore();
      trb::settings::writeText(*store, QStringLiteral("sp_a_sql"), QStringLiteral("plot.txt"));
      trb::settings::writeText(*store, QStringLiteral("sp_a_r"), QStringLiteral("plot.r"));
    }

    auto w = openBrowser();
    w->tree->menus.scriptStatistics->trigger();
    trb::gui::ScriptStatisticsWindow* s = w->scriptStatistics;
    QVERIFY(s->isVisible());
    QCOMPARE(s->folderEdit->text(), QDir::toNativeSeparators(data));
    QCOMPARE(QDir::currentPath(), data);
    QCOMPARE(s->sqlEdit->text(), QStringLiteral("plot.txt"));
    QCOMPARE(s->rEdit->text(), QStringLiteral("plot.r"));
    QVERIFY(s->hintLabel->isVisible());
    QTest::mouseDClick(s->sqlEdit, Qt::LeftButton);
    QCOMPARE(s->linesList->count(), 4);
    QCOMPARE(s->linesList->item(2)->text(),
             QStringLiteral("select * into data4r from rs_table where FL_ID=#fl_id"));
    QVERIFY(!s->hintLabel->isVisible());
    trb::test::screenshot(s, QStringLiteral("script_statistics"));

    QTest::mouseClick(s->goButton, Qt::LeftButton);
    QVERIFY(!s->isVisible());
    // the walk is a job: the tree comes back when it has ended
    QVERIFY(!w->tree->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(w->tree->isEnabled(), 60000);
    QCOMPARE(s->donePlots, QList<qlonglong>({keys[0], keys[1]}));
    QCOMPARE(s->pcnt, 2);
    QCOMPARE(readFile(QDir(data).filePath(QStringLiteral("perplot.txt"))),
             QStringLiteral("%1 2 \n%2 1 \n").arg(keys[0]).arg(keys[1]));
    const QStringList spez =
        readFile(QDir(data).filePath(QStringLiteral("spez100.r"))).split(u'\n');
    QCOMPARE(spez.value(1),
             QStringLiteral(" ch<-odbcDriverConnect(\"Driver=SQLite3;Database=%1;StepAPI=1\")")
                 .arg(db_.path()));
    QCOMPARE(readFile(QDir(data).filePath(QStringLiteral("spez100sql.txt"))),
             readFile(QDir(data).filePath(QStringLiteral("plot.txt"))));
    QCOMPARE(w->areas->currentWidget(), w->pages);
    QVERIFY(w->tree->isEnabled());
  }

  // A statement that fails and is no drop ends the walk with the database's message.
  void scriptStatisticsStopsOnFailure() {
    db_.execute(QStringLiteral("insert into rs_table (FL_ID, M_IX, YEAR_NUM) values (1, 7, 1)"));
    const QString data = QFileInfo(demo_).absolutePath();
    writeFile(QDir(data).filePath(QStringLiteral("bad.txt")),
              QStringLiteral("delete from no_such_table\ngo\n"));
    writeFile(QDir(data).filePath(QStringLiteral("plot.r")), QStringLiteral("cat(1)\n"));
    auto w = openBrowser();
    w->tree->menus.scriptStatistics->trigger();
    trb::gui::ScriptStatisticsWindow* s = w->scriptStatistics;
    s->sqlEdit->setText(QStringLiteral("bad.txt"));
    s->rEdit->setText(QStringLiteral("plot.r"));
    s->goButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(w->tree->isEnabled(), 60000);
    QVERIFY(s->donePlots.isEmpty());
    auto* box = w->findChild<QMessageBox*>(QStringLiteral("errorBox"));
    QVERIFY(box);
    QVERIFY2(box->text().contains(QStringLiteral("No plot was done")) &&
                 box->text().contains(QStringLiteral("no_such_table")),
             qPrintable(box->text()));
    QVERIFY(!QFileInfo::exists(QDir(data).filePath(QStringLiteral("anyname.txt"))));
    auto store = trb::settings::openStore();
    QCOMPARE(trb::settings::readText(*store, QStringLiteral("sp_a_sql")),
             QStringLiteral("bad.txt"));
  }

  void germanCaptionsAtSmallSize() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    auto w = openBrowser();
    w->tree->menus.rInterface->trigger();
    QCOMPARE(w->rInterface->runButton->text(), QStringLiteral("Skript starten"));
    QCOMPARE(w->rInterface->pages->tabText(0), QStringLiteral("Ausgabedatei"));
    w->resize(560, 380);
    trb::test::screenshot(w.get(), QStringLiteral("r_panel_de_small"));
    w->tree->menus.scriptStatistics->trigger();
    trb::gui::ScriptStatisticsWindow* s = w->scriptStatistics;
    QCOMPARE(s->windowTitle(), QStringLiteral("Datenanalyse mit R"));
    QCOMPARE(s->hintLabel->text(),
             QStringLiteral("Doppelklick auf die grünen Felder zeigt den Dateiinhalt"));
    s->resize(360, 260);
    trb::test::screenshot(s, QStringLiteral("script_statistics_de_small"));
    trb::gui::setCaptionLanguage(QStringLiteral("E"));
  }

  // "run r-script" points T_R_B at the simulator's database and starts R without waiting.
  void simulatorRunsScript() {
    writeFile(odbcIni(), QStringLiteral("[T_R_B]\nDriver=SQLite3\nDatabase=/elsewhere\n"));
    {
      auto store = trb::settings::openStore();
      trb::settings::writeText(*store, QStringLiteral("r_script"), QStringLiteral("sim.r"));
      trb::settings::writeText(*store, QStringLiteral("r_result"), QStringLiteral("sim.txt"));
    }
    writeFile(QDir(work_).filePath(QStringLiteral("sim.r")), QStringLiteral(R"r(library(RODBC)
ch <- odbcConnect("T_R_B")
cat("plots:", nrow(sqlQuery(ch, "select * from field_description")), "\n")
odbcClose(ch)
)r"));
    db_.close();
    trb::gui::SimulatorWindow sim(session_);
    sim.show();
    sim.onActivated();
    QVERIFY(sim.rButton->isEnabled());
    sim.rButton->click();
    QVERIFY(readFile(odbcIni()).contains(QStringLiteral("Database=") + demo_));
    const QString out = QDir(work_).filePath(QStringLiteral("sim.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(readFile(out).contains(QStringLiteral("plots: 10")), 20000);
  }
};

QTEST_MAIN(TestRAnalysis)
#include "tst_r_analysis.moc"
