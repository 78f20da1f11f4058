// R runs: the command line, the picture names a script gives, the stored scripts written out, the
// statements of the per-plot SQL script, and one real run of R reading a trb database through
// the ODBC data source T_R_B with an unchanged RODBC script, which sees the columns spelled as its
// query spells them.
#include <QStandardPaths>
#include <QtTest>

#include "core/db/database.h"
#include "core/external/launcher.h"
#include "core/external/r_run.h"
#include "core/external/r_scripts.h"
#include "testutil.h"

using namespace trb::external;

namespace {

void writeFile(const QString& path, const QString& text) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(text.toUtf8());
}

QString readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<none>");
}

int count(trb::db::Database& db, const QString& sql) {
  return db.scalar(sql).toInt();
}

}  // namespace

class TestRRun : public QObject {
  Q_OBJECT
  QTemporaryDir home_;

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    qputenv("HOME", home_.path().toLocal8Bit());
    qunsetenv("R_PROFILE_USER");
  }

  void commandLineKeepsPathsWhole() {
    Launcher l;
    l.parameters = rBatchParameters(QStringLiteral("/home/u/R work/a.r"),
                                    QStringLiteral("/home/u/R work/out.txt"));
    QCOMPARE(l.parameters,
             QStringLiteral(R"(CMD BATCH --slave "/home/u/R work/a.r" "/home/u/R work/out.txt")"));
    QCOMPARE(l.arguments(), QStringList({"CMD", "BATCH", "--slave", "/home/u/R work/a.r",
                                         "/home/u/R work/out.txt"}));
    QCOMPARE(rBatchParameters(QStringLiteral("/w/a.r"), QStringLiteral("/w/o.txt")),
             QStringLiteral("CMD BATCH --slave /w/a.r /w/o.txt"));
  }

  void pictures_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one metafile") << "win.metafile(\"fig1.wmf\")" << QStringList{"fig1.wmf"};
    QTest::newRow("two pictures: both, in order")
        << "png(\"fig1.png\")\nplot(x)\nsvg(filename = \"b/fig 2.SVG\", width = 4)\n"
        << QStringList{"fig1.png", "b/fig 2.SVG"};
    QTest::newRow("without the closing quote: none")
        << "png(\"fig1.png)\npdf(fig2.pdf\")" << QStringList{};
    QTest::newRow("the quote before the name opens it")
        << "png(paste0(\"a\", \"fig3.jpg\"))" << QStringList{"fig3.jpg"};
    QTest::newRow("first in a line only") << "x <- c(\"a.png\", \"b.png\")" << QStringList{"a.png"};
    QTest::newRow("other files are no pictures") << "write.csv(d, \"d.csv\")" << QStringList{};
  }
  void pictures() {
    QFETCH(QString, script);
    QFETCH(QStringList, names);
    QCOMPARE(pictureNames(script), names);
  }

  void storedScriptsWrittenOutUnlessThere() {
    QTemporaryDir w;
    trb::test::TempDb t;
    t.db.execute(QStringLiteral("insert into r_stat_res (r_script, source) values (?, ?)"),
                 {QStringLiteral("first"), QStringLiteral("cat('first stored')\n")});
    t.db.execute(QStringLiteral("insert into r_stat_res (r_script, source) values (?, ?)"),
                 {QStringLiteral("second"), QStringLiteral("cat('second stored')\n")});
    writeFile(w.filePath(QStringLiteral("second.r")), QStringLiteral("cat('edited file')\n"));
    const QStringList names = writeOutStoredScripts(readStoredScripts(t.db), w.path());
    // from the last row to the first: the chooser selects the last entry, the first row
    QCOMPARE(names, QStringList({"second.r", "first.r"}));
    QCOMPARE(readFile(w.filePath(QStringLiteral("first.r"))),
             QStringLiteral("cat('first stored')\n"));
    QCOMPARE(readFile(w.filePath(QStringLiteral("second.r"))),
             QStringLiteral("cat('edited file')\n"));

    // a table of an older file, with the text only
    trb::test::TempDb old(QStringLiteral("empty"));
    old.db.execute(QStringLiteral("create table r_stat_res (source text)"));
    old.db.execute(QStringLiteral("insert into r_stat_res (source) values ('cat(1)')"));
    QCOMPARE(readStoredScripts(old.db).value(0).name, QStringLiteral("r_stat_res1"));
  }

  void spezScriptNamesTheDatabase() {
    const QStringList lines =
        spezRScriptText(QStringLiteral("D:\\exp\\trial.mdb"), QStringLiteral("x <- 1\ny <- 2\n"))
            .split(u'\n');
    QCOMPARE(lines.value(0), QStringLiteral("library(RODBC)"));
    QCOMPARE(
        lines.value(1),
        QStringLiteral(
            R"( ch<-odbcDriverConnect("Driver=SQLite3;Database=D:/exp/trial.mdb;StepAPI=1"))"));
    QCOMPARE(lines.mid(2), QStringList({"x <- 1", "y <- 2", ""}));
  }

  void plotStatements_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("drops");
    QTest::newRow("first #fl_id of a line only")
        << "select * from t where a=#fl_id or b=#fl_id\nand c=#FL_ID\ngo\n"
        << QStringList{"select * from t where a=7 or b=#fl_id\nand c=7\n"} << QList<bool>{false};
    QTest::newRow("drop marks its statement; text after the last go is not run")
        << "drop table data4r\ngo\n\nselect 1 into data4r\n  GO  \nselect 2\n"
        << QStringList{"drop table data4r\n", "select 1 into data4r\n"} << QList<bool>{true, false};
    QTest::newRow("DROP in capitals is no drop mark")
        << "DROP TABLE x\ngo" << QStringList{"DROP TABLE x\n"} << QList<bool>{false};
  }
  void plotStatements() {
    QFETCH(QString, script);
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, drops);
    QStringList gotTexts;
    QList<bool> gotDrops;
    for (const PlotStatement& s : trb::external::plotStatements(script, 7)) {
      gotTexts << s.text;
      gotDrops << s.drop;
    }
    QCOMPARE(gotTexts, texts);
    QCOMPARE(gotDrops, drops);
  }

  void plotScriptRecreatesData4r() {
    trb::test::TempDb t;
    for (int k : {1, 1, 2})
      t.db.execute(QStringLiteral("insert into rs_table (FL_ID, M_IX, YEAR_NUM) values (?, 7, 1)"),
                   {k});
    const QString script = QStringLiteral(
        "drop table data4r\ngo\nselect * into data4r from rs_table where FL_ID=#fl_id\ngo\n");
    runPlotStatements(t.db, script, 1);  // the drop fails: no data4r yet
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from data4r")), 2);
    runPlotStatements(t.db, script, 2);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from data4r")), 1);
    QCOMPARE(count(t.db, QStringLiteral("select max(FL_ID) from data4r")), 2);

    // a failing statement that is no drop ends the run with the database's message
    QVERIFY_THROWS_EXCEPTION(
        trb::db::DbError, runPlotStatements(t.db, QStringLiteral("delete from no_table\ngo\n"), 1));

    trb::test::TempDb fresh;
    ensureData4r(fresh.db);
    QCOMPARE(count(fresh.db, QStringLiteral("select count(*) from data4r")),
             count(fresh.db, QStringLiteral("select count(*) from slvpflan")));
    ensureData4r(fresh.db);  // there already: left as it is
  }

  // One real R run: an unchanged RODBC script (odbcConnect, sqlQuery, odbcClose) reads the rows
  // of a trb database through T_R_B, after the user's own profile ran.
  void rodbcScriptReadsTheDatabase() {
    const QString r = QStandardPaths::findExecutable(QStringLiteral("R"));
    QVERIFY2(!r.isEmpty(), "R is not installed (scripts/deps.sh installs it)");
    QTemporaryDir tmp;
    const QString w = tmp.filePath(QStringLiteral("R work"));
    QVERIFY(QDir().mkpath(w));
    trb::test::TempDb t;
    for (int k : {1, 2, 3})
      t.db.execute(QStringLiteral("insert into trb_stat_corg (FL_ID, rms) values (?, 0.5)"), {k});
    // rs_table declares SIM_value; the script asks for SIM_VALUE
    t.db.execute(QStringLiteral(
        "insert into rs_table (FL_ID, M_IX, YEAR_, MEAS_VALUE, SIM_value) values (7, 7, 1990, "
        "0.9, 0.8125), (7, 7, 1995, 1.0, 0.9375)"));
    t.db.close();
    writeFile(tmp.filePath(QStringLiteral("odbc.ini")),
              QStringLiteral("[T_R_B]\nDriver=SQLite3\nDatabase=%1\nStepAPI=1\n").arg(t.path));
    qputenv("ODBCINI", tmp.filePath(QStringLiteral("odbc.ini")).toLocal8Bit());
    writeFile(tmp.filePath(QStringLiteral("own.R")), QStringLiteral("ownProfileRan <- TRUE\n"));
    qputenv("R_PROFILE_USER", tmp.filePath(QStringLiteral("own.R")).toLocal8Bit());
    writeFile(QDir(w).filePath(QStringLiteral("count.r")), QStringLiteral(R"r(library(RODBC)
ch <- odbcConnect("T_R_B")
d <- sqlQuery(ch, "select * from trb_stat_corg")
cat("rows:", nrow(d), "\n")
cat("own profile:", exists("ownProfileRan"), "\n")
sim <- sqlQuery(ch, "select YEAR_, MEAS_VALUE, rs_table.SIM_VALUE from rs_table where FL_ID=7")
cat("columns:", names(sim), "\n")
cat("simulated:", sim$SIM_VALUE, "\n")
odbcClose(ch)
cat("closed\n")
)r"));
    Launcher l;
    RRun run{r, w, QStringLiteral("count.r"), QStringLiteral("out.txt"), ShowType::Minimize};
    startR(l, run);
    qunsetenv("R_PROFILE_USER");
    QCOMPARE(l.resultCode(), -1);
    QVERIFY(l.waitForEnd());
    const QString out = readFile(QDir(w).filePath(QStringLiteral("out.txt")));
    QVERIFY2(out.contains(QStringLiteral("rows: 3")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("own profile: TRUE")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("columns: YEAR_ MEAS_VALUE SIM_VALUE")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("simulated: 0.8125 0.9375")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("closed")), qPrintable(out));
  }
};

QTEST_GUILESS_MAIN(TestRRun)
#include "tst_r_run.moc"
