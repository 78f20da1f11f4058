// A whole calculation as the simulator runs it: switches, settings, the steps and their log, the
// assessment summary and the query files.
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QSettings>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QtTest>
#include <csignal>

#include "core/engine/calculation.h"
#include "core/engine/run_log.h"
#include "testutil.h"

using trb::engine::Assessment;
using trb::engine::Calculation;
using trb::engine::RunSettings;
using trb::engine::SimSwitches;
using trb::test::dump;
using trb::test::synthetic;
using trb::test::TempDb;

namespace {

// Stops the calculation once the walk has begun its plot number stopAfter + 1.
struct StoppingFeedback : trb::test::RecordingFeedback {
  explicit StoppingFeedback(int stopAfter) : stopAfter(stopAfter) {}
  int stopAfter;
  bool walking = false;
  int plots = 0;
  void pushLine(Level level, const QString& line) override {
    RecordingFeedback::pushLine(level, line);
    if (line == u"trb running") walking = true;
  }
  void setProgress(qint64 pos, qint64 count) override {
    RecordingFeedback::setProgress(pos, count);
    if (walking && count > 0 && ++plots > stopAfter) cancel();
  }
};

// Kills its own process (SIGKILL) at a point of the run: at the first line that begins with
// `line`, or when the walk begins its plot number `plots` + 1.
struct KillingFeedback : StoppingFeedback {
  KillingFeedback(const QString& line, int plots) : StoppingFeedback(plots), line(line) {}
  QString line;
  void pushLine(Level level, const QString& text) override {
    if (!line.isEmpty() && text.startsWith(line)) raise(SIGKILL);
    StoppingFeedback::pushLine(level, text);
  }
  void cancel() override { raise(SIGKILL); }
};

// The rows of the result and summary tables and of the run log, from the dump of every table.
QStringList resultRows(const QString& path) {
  static const QStringList tables = {"rs_table",      "trb_nresult", "trb_zbv",     "trb_driver",
                                     "trb_protokoll", "trb_run",     "trb_run_plot"};
  QStringList rows = dump(path);
  rows.removeIf([](const QString& row) {
    return !tables.contains(row.section(u'|', 0, 0), Qt::CaseInsensitive);
  });
  return rows;
}

// Every result row of a plot as text, in a fixed order (rowids aside).
QStringList plotResults(const QString& path, qlonglong plot) {
  trb::db::Database db = trb::db::Database::open(path);
  QStringList rows;
  for (const char* table : {"rs_table", "trb_nresult", "trb_zbv", "trb_driver"}) {
    QSqlQuery q = db.query(QStringLiteral("select * from %1 where fl_id=?").arg(table), {plot});
    QStringList part;
    while (q.next()) {
      QStringList cells{QString::fromLatin1(table)};
      for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
      part << cells.join(u'|');
    }
    part.sort();
    rows << part;
  }
  return rows;
}

// The number of values in the result and soil tables that are numbers but not finite ones.
// Infinities in any table but the one the test put an infinity into.
int nonFiniteValues(trb::db::Database& db, const QString& input = QStringLiteral("measurements")) {
  int n = 0;
  for (const QString& table : db.userTables())
    if (table.compare(input, Qt::CaseInsensitive) != 0)
      for (const QString& c : db.columns(table))
        n += db.scalar(QStringLiteral(
                           "select count(*) from [%1] where Abs([%2]) > 1.7976931348623157E+308")
                           .arg(table, c))
                 .toInt();
  return n;
}

// Every table of the database, row by row in rowid order with the rowid, each value with its
// type: equal dumps are equal tables to the last bit.
QList<qlonglong> plotsOf(trb::db::Database& db) {
  QList<qlonglong> plots;
  QSqlQuery q = db.query(QStringLiteral("select FL_ID from field_description order by FL_ID"));
  while (q.next()) plots << q.value(0).toLongLong();
  return plots;
}

}  // namespace

class TstCalculation : public QObject {
  Q_OBJECT

  QTemporaryDir cwd_;

  std::unique_ptr<Calculation> demoCalculation(TempDb& t, trb::test::RecordingFeedback& fb,
                                               const QStringList& args = {}) {
    auto c = std::make_unique<Calculation>(fb);
    c->switches = SimSwitches::parse(args);
    QSettings none(cwd_.filePath(QStringLiteral("none.ini")), QSettings::IniFormat);
    c->settings = RunSettings::read(none, c->switches);
    c->settings.database = t.path;
    return c;
  }

 private slots:
  void initTestCase() { QDir::setCurrent(cwd_.path()); }

  void errorClasses_data() {
    QTest::addColumn<double>("d");
    QTest::addColumn<int>("cls");
    QTest::newRow("-0.5") << -0.5 << 1;
    QTest::newRow("-0.49") << -0.49 << 2;
    QTest::newRow("0.05") << 0.05 << 4;
    QTest::newRow("0.5") << 0.5 << 6;
    QTest::newRow("0.51") << 0.51 << 7;
  }
  void errorClasses() {
    QFETCH(double, d);
    QFETCH(int, cls);
    QCOMPARE(trb::engine::error_class(d), cls);
  }

  // The threads of a run: stored setting, switch over it, values out of range ignored; 0 follows
  // the machine.
  void workerSetting_data() {
    QTest::addColumn<QString>("stored");  // "" : not in the store
    QTest::addColumn<QString>("switchArg");
    QTest::addColumn<int>("workers");
    QTest::newRow("default") << ""
                             << "" << 0;
    QTest::newRow("stored") << "3"
                            << "" << 3;
    QTest::newRow("switch over stored") << "3"
                                        << "WORKERS=1" << 1;
    QTest::newRow("switch 0 over stored") << "3"
                                          << "WORKERS=0" << 0;
    QTest::newRow("bad switch") << "3"
                                << "WORKERS=two" << 3;
    QTest::newRow("negative switch") << "3"
                                     << "WORKERS=-2" << 3;
    QTest::newRow("bad stored") << "x"
                                << "" << 0;
    QTest::newRow("stored out of range") << "100000"
                                         << "" << 0;
  }
  void workerSetting() {
    QFETCH(QString, stored);
    QFETCH(QString, switchArg);
    QFETCH(int, workers);
    const QString ini = cwd_.filePath(QStringLiteral("workers.ini"));
    QFile::remove(ini);
    QSettings store(ini, QSettings::IniFormat);
    store.setValue(QStringLiteral("methode"), QStringLiteral("TRB"));
    if (!stored.isEmpty()) store.setValue(QStringLiteral("workers"), stored);
    store.sync();
    const QStringList args = switchArg.isEmpty() ? QStringList() : QStringList{switchArg};
    const RunSettings r = RunSettings::read(store, SimSwitches::parse(args));
    QCOMPARE(r.workers, workers);
    QCOMPARE(r.workerThreads(), workers > 0 ? workers : std::max(1, QThread::idealThreadCount()));
  }

  // A run on several threads gives every table of a run on one, row for row and bit for bit,
  // and the same lines in the same order: the four methods with and without recalculated BAT on
  // the demo (a plot without data and a no-tillage plot among them), and TRB and LUFA on a
  // synthetic database of many plots.
  void threadsGiveTheSameRun_data() {
    QTest::addColumn<QString>("database");  // "demo" or "synthetic"
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("loopBackYear");  // -99: none
    QTest::addColumn<QString>("change");    // native SQL on the copy before the runs
    QTest::addColumn<bool>("finishes");
    for (const char* m : {"TRB", "LUFA", "KOLBE", "NULL"})
      for (const char* bat : {"BAT0", "BAT1"})
        QTest::addRow("demo %s %s", m, bat)
            << "demo" << QStringList{QStringLiteral("M=") + QLatin1String(m), QLatin1String(bat)}
            << -99 << "" << true;
    QTest::newRow("synthetic TRB")
        << "synthetic" << QStringList{"M=TRB", "BAT1"} << -99 << "" << true;
    QTest::newRow("synthetic LUFA")
        << "synthetic" << QStringList{"M=LUFA", "BAT0"} << -99 << "" << true;
    // the synthetic plots start from 1960 to 1969 and all have 1970
    QTest::newRow("synthetic TRB loop-back")
        << "synthetic" << QStringList{"M=TRB", "BAT0", "ERR_P 3"} << 1970 << "" << true;
    // plot 1 has 1962, plot 2 starts in 1963: the walk ends there
    QTest::newRow("synthetic loop-back not possible")
        << "synthetic" << QStringList{"M=TRB", "BAT1"} << 1962 << "" << false;
    // the amendments of plot 101 become a substance without C/N ratio: the run stops there, the
    // first two transactions of 50 plots stay
    QTest::newRow("synthetic substance without C/N ratio")
        << "synthetic" << QStringList{"M=TRB", "BAT1"} << -99
        << "create temporary table x as select * from slvopspa where item_ix=301;"
           "update x set item_ix=399, CNR=0; insert into slvopspa select * from x;"
           "update cultivation set item_ix=399 where fl_id=101 and macode=3"
        << false;
  }
  void threadsGiveTheSameRun() {
    QFETCH(QString, database);
    QFETCH(QStringList, args);
    QFETCH(int, loopBackYear);
    QFETCH(QString, change);
    QFETCH(bool, finishes);
    QString source;
    TempDb demo(QStringLiteral("demo"));
    if (database == u"demo") {
      demo.db.runNative(QStringLiteral(
          "update site_state set status=1; update field_description set comment='NOTILL' "
          "where FL_ID=3; update soilproperties set skelett=100 where soil_ID=(select soil_ID "
          "from field_description where FL_ID=7)"));
      demo.db.close();
      source = demo.path;
    } else {
      source = synthetic(cwd_, 150, 14);
      QVERIFY(!source.isEmpty());
    }
    QStringList lines[2], problems[2], tables[2];
    for (int run = 0; run < 2; ++run) {
      TempDb t(QStringLiteral("empty"));
      t.db.close();
      QFile::remove(t.path);
      QVERIFY(QFile::copy(source, t.path));
      if (!change.isEmpty()) {
        trb::db::Database db = trb::db::Database::open(t.path);
        db.runNative(change);
      }
      trb::test::RecordingFeedback fb;
      auto c = demoCalculation(t, fb, args + QStringList{run == 0 ? "WORKERS=1" : "WORKERS=3"});
      if (loopBackYear != -99) {
        c->z_anf = loopBackYear;
        c->z_cnt = 2;
      }
      QCOMPARE(c->calculate(), finishes);
      lines[run] = fb.lines;
      problems[run] = fb.problems;
      tables[run] = dump(t.path);
    }
    QVERIFY(lines[0].contains(QStringLiteral("trb running")));
    QCOMPARE(lines[1], lines[0]);
    QCOMPARE(problems[1], problems[0]);
    QCOMPARE(tables[1].size(), tables[0].size());
    for (qsizetype i = 0; i < tables[0].size(); ++i) QCOMPARE(tables[1].at(i), tables[0].at(i));
  }

  void summaryLines() {
    Assessment one;
    one.add(1.0, 1.2);
    const QStringList s1 = one.summary();
    QCOMPARE(s1.size(), 10);  // seven classes, N, mean error, RMSE; no s, smw or bias
    QCOMPARE(s1.at(2), QStringLiteral(" CL3<-0.05=>1 / 100%"));
    QCOMPARE(s1.at(6), QStringLiteral(" CL7>0.5=>0 / 0%"));
    QCOMPARE(s1.at(7), QStringLiteral(" N=1"));
    QCOMPARE(s1.at(9).left(12), QStringLiteral(" RMSE      ="));
    QCOMPARE(one.protocol().s, -99.0);

    Assessment biased;  // mean error -0.3, tiny spread
    biased.add(1.0, 1.29);
    biased.add(1.0, 1.31);
    biased.add(1.0, 1.30);
    QCOMPARE(biased.summary().last(), QStringLiteral("        bias detected"));
    Assessment unbiased;
    unbiased.add(1.0, 1.3);
    unbiased.add(1.0, 0.7);
    QCOMPARE(unbiased.summary().last(), QStringLiteral("        no significant bias detected"));
    QCOMPARE(unbiased.bars()[5], 50);
  }

  void switches() {
    const SimSwitches s = SimSwitches::parse(
        {QStringLiteral("ERR_P_000042"), QStringLiteral("go"), QStringLiteral("BAT0"),
         QStringLiteral("new_bat"), QStringLiteral("M=KOLBE"), QStringLiteral("SC=KA4x"),
         QStringLiteral("I=-1"), QStringLiteral("nw"), QStringLiteral("PPQ1=a.sql"),
         QStringLiteral("PPQ2=b.sql"), QStringLiteral("POQ3=c.sql"), QStringLiteral("DB=/x/a.db"),
         QStringLiteral("DB=/x/b.db"), QStringLiteral("GO")});
    QVERIFY(s.sim_prot);
    QCOMPARE(s.run_id, 42);
    QVERIFY(s.auto_mode);
    QVERIFY(!s.recalc_bat);
    QVERIFY(!s.simple_version);
    QCOMPARE(s.methode, QStringLiteral("KOLBE"));
    QCOMPARE(s.soil_scheme, QStringLiteral("KA4"));
    QCOMPARE(s.interpol, -1);
    QVERIFY(s.nowait);
    QCOMPARE(s.pre_n, 2);
    QCOMPARE(s.pre_proc_arr[2], QStringLiteral("b.sql"));
    QCOMPARE(s.pst_n, 3);
    QCOMPARE(s.database, QStringLiteral("/x/b.db"));
    QCOMPARE(SimSwitches::parse({QStringLiteral("ERR_P")}).run_id, -99);
    QVERIFY(!SimSwitches::parse({QStringLiteral("GO")}).auto_mode);

    // without any settings: the simulator's own defaults, then the switches
    QSettings none(cwd_.filePath(QStringLiteral("none.ini")), QSettings::IniFormat);
    const RunSettings r = RunSettings::read(none, SimSwitches::parse({QStringLiteral("M=LUFA")}));
    QCOMPARE(r.methode, QStringLiteral("LUFA"));
    QCOMPARE(r.ptfmode, 3);
    QCOMPARE(r.report(),
             (QStringList{"ptf_mode=3 / Lieberoth", "pf_wp=4.2", "pf_fk=1.8", "soil classes : RBS",
                          "method : LUFA", "silt from soil class : 0==>mean"}));
  }

  // The demo database, every plot selected: the whole calculation with its log and results.
  void demoRun() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update site_state set status=1"));
    // a query file after the calculation sees its results: it drops the summary of plot 1
    QFile post(QStringLiteral("post.sql"));
    QVERIFY(post.open(QIODevice::WriteOnly));
    post.write("delete * from trb_driver where fl_id=1");
    post.close();
    trb::test::RecordingFeedback fb;
    const QStringList& lines = fb.lines;
    auto cp = demoCalculation(t, fb, {QStringLiteral("ERR_P 7"), QStringLiteral("POQ1=post.sql")});
    Calculation& c = *cp;
    QVERIFY2(c.calculate(), qPrintable(c.stopReason));
    QVERIFY(!c.running);
    QVERIFY(c.assessment);
    QCOMPARE(lines.last(), QStringLiteral("job finished"));
    for (const char* step : {"new recs in RS_TABLE :", "sql 2:", "CREP_ewr:", "crep_year:",
                             "cops ERrecs:", "tmp soil :", "tmp bat :", "trb running", " N="})
      QVERIFY2(std::any_of(lines.begin(), lines.end(),
                           [&](const QString& l) { return l.startsWith(QLatin1String(step)); }),
               step);
    const int plots = t.db.scalar(QStringLiteral("select count(*) from field_description")).toInt();
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from trb_driver")).toInt(), plots - 1);
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from trb_driver where fl_id=1")).toInt(),
             0);
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("postprocessing :post.sql=>1"));
    // every sample gets its simulated value, but the start values (YEAR_NUM 0: the walk counts
    // its years from 1)
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from rs_table where sim_value<0 and "
                                        "year_num<>0"))
                 .toInt(),
             0);
    QCOMPARE(
        t.db.scalar(QStringLiteral("select count(*) from trb_protokoll where run_id=7")).toInt(),
        1);
    QFile report(QStringLiteral("trb_report.txt"));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(report.readAll()).trimmed().split(u'\n'), lines);
  }

  void emptySelectionAndQueryFiles() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update site_state set status=0"));
    QFile pre(QStringLiteral("pre.sql"));
    QVERIFY(pre.open(QIODevice::WriteOnly));
    pre.write("update field_description set area=7");
    pre.close();
    trb::test::RecordingFeedback fb;
    const QStringList& lines = fb.lines;
    auto cp = demoCalculation(t, fb,
                              {QStringLiteral("PPQ1=pre.sql"), QStringLiteral("PPQ2=missing.sql")});
    Calculation& c = *cp;
    QVERIFY(c.calculate());
    QVERIFY(lines.contains(QStringLiteral("preprocessing :pre.sql=>10")));
    QVERIFY(lines.contains(QStringLiteral("new recs in RS_TABLE :0")));
    QVERIFY(!lines.join(u'\n').contains(QStringLiteral("missing.sql")));
    const qsizetype running = lines.indexOf(QStringLiteral("trb running"));
    QCOMPARE(lines.mid(running), (QStringList{"trb running", "job finished"}));

    // a query file that fails stops the calculation
    QVERIFY(pre.open(QIODevice::WriteOnly | QIODevice::Truncate));
    pre.write("update no_such_table set a=1");
    pre.close();
    QVERIFY(!c.calculate());
    QVERIFY(c.stopReason.contains(QStringLiteral("no_such_table")));
    QVERIFY(!c.running);
  }

  // A run that fails before the walk (a parameter table is gone) leaves every result table as
  // the run before left it.
  void failedRunChangesNoResults() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update site_state set status=1"));
    trb::test::RecordingFeedback fb;
    QVERIFY(demoCalculation(t, fb)->calculate());
    const QList<qlonglong> plots = plotsOf(t.db);
    QMap<qlonglong, QStringList> before;
    for (qlonglong p : plots) before[p] = plotResults(t.path, p);
    t.db.execute(QStringLiteral("update site_state set status=0 where FL_ID=?"), {plots.first()});
    t.db.dropTable(QStringLiteral("slvpflan"));
    auto c = demoCalculation(t, fb);
    QVERIFY(!c->calculate());
    QVERIFY(c->stopReason.contains(QStringLiteral("slvpflan")));
    for (qlonglong p : plots) QCOMPARE(plotResults(t.path, p), before[p]);
  }

  // A run stopped part way leaves each plot with all of its old results or all of its new
  // ones: old from a LUFA run, new from a TRB run of a copy; on one thread and on several. The
  // old summary rows may be there twice, and beside a row whose plot key is text.
  void stoppedRunLeavesPlotsWhole_data() {
    QTest::addColumn<QString>("workers");
    QTest::addColumn<QString>("earlier");  // native SQL on the results of the LUFA run
    const QString twice = QStringLiteral("insert into trb_driver select * from trb_driver");
    QTest::newRow("one thread") << "WORKERS=1" << QString();
    QTest::newRow("four threads") << "WORKERS=4" << QString();
    QTest::newRow("summary rows twice") << "WORKERS=1" << twice;
    QTest::newRow("summary rows twice, a key of text")
        << "WORKERS=4" << twice + QStringLiteral(";insert into trb_driver (fl_id) values ('x')");
  }
  void stoppedRunLeavesPlotsWhole() {
    QFETCH(QString, workers);
    QFETCH(QString, earlier);
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update site_state set status=1"));
    trb::test::RecordingFeedback fb;
    QVERIFY(demoCalculation(t, fb, {QStringLiteral("M=LUFA")})->calculate());
    if (!earlier.isEmpty()) t.db.runNative(earlier);
    const QList<qlonglong> plots = plotsOf(t.db);
    QMap<qlonglong, QStringList> before, after;
    for (qlonglong p : plots) before[p] = plotResults(t.path, p);
    TempDb whole(QStringLiteral("empty"));
    whole.db.close();
    QFile::remove(whole.path);
    QVERIFY(QFile::copy(t.path, whole.path));
    QVERIFY(demoCalculation(whole, fb, {QStringLiteral("M=TRB"), workers})->calculate());
    for (qlonglong p : plots) after[p] = plotResults(whole.path, p);
    {
      // a finished run leaves the summary rows of its plots only, one each
      trb::db::Database db = trb::db::Database::open(whole.path);
      QCOMPARE(
          db.scalar(QStringLiteral("select count(*) from trb_driver")).toInt(),
          db.scalar(QStringLiteral("select count(*) from (select distinct fl_id from "
                                   "trb_driver where fl_id in (select fl_id from site_state))"))
              .toInt());
    }

    StoppingFeedback stopping(3);
    auto c = demoCalculation(t, stopping, {QStringLiteral("M=TRB"), workers});
    QVERIFY(!c->calculate());
    QCOMPARE(c->stopReason, QStringLiteral("the calculation was stopped"));
    int fresh = 0, old = 0;
    for (qlonglong p : plots) {
      const QStringList now = plotResults(t.path, p);
      QVERIFY2(now == before[p] || now == after[p], qPrintable(QString::number(p)));
      fresh += now == after[p] && now != before[p];
      old += now == before[p] && now != after[p];
    }
    QCOMPARE(fresh, 3);
    QVERIFY(old > 0);
    // the run log says how far the run came and which plots it wrote
    const auto record = trb::engine::last_run(t.db);
    QVERIFY(record);
    QCOMPARE(record->status, QStringLiteral("stopped"));
    QCOMPARE(record->method, QStringLiteral("TRB"));
    QCOMPARE(record->describe(),
             QStringLiteral("the last run was stopped after 3 of %1 plots").arg(plots.size()));
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from trb_run_plot where run_id=?"),
                         {record->runId})
                 .toInt(),
             3);
  }

  // A run killed at any point before its end leaves every result table and the run log as the
  // run before left them: the killed process's journal is rolled back when the file is opened.
  void killedRunLeavesResultsAsBefore_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("plots");
    QTest::newRow("in the preparation") << "tmp soil :" << -1;
    QTest::newRow("at the first plot") << "" << 0;
    QTest::newRow("after 3 plots") << "" << 3;
    QTest::newRow("at the summary after the last plot") << " N=" << -1;
  }
  void killedRunLeavesResultsAsBefore() {
    QFETCH(QString, line);
    QFETCH(int, plots);
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update site_state set status=1"));
    trb::test::RecordingFeedback fb;
    QVERIFY(demoCalculation(t, fb, {QStringLiteral("M=LUFA")})->calculate());
    t.db.close();
    const QStringList before = resultRows(t.path);
    QVERIFY(before.size() > 100);

    const pid_t child = fork();
    if (child == 0) {
      KillingFeedback killing(line, plots < 0 ? 1000000 : plots);
      demoCalculation(t, killing, {QStringLiteral("M=TRB"), QStringLiteral("WORKERS=1")})
          ->calculate();
      _exit(0);  // not reached: the point was passed unnoticed
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the child was not killed");
    QCOMPARE(resultRows(t.path), before);
    trb::db::Database db = trb::db::Database::open(t.path);
    QSqlQuery check(db.qt());
    QVERIFY(check.exec(QStringLiteral("pragma integrity_check")) && check.next());
    QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
  }

  // Plot 10 gets a soil of its own (a copy of its soil 3, soil_ID 9) and then one absurd value:
  // it is missing data with a line naming the table, the column and the value; the other plots
  // are calculated, and no table holds a number that is not finite.
  void absurdInputs_data() {
    QTest::addColumn<QString>("change");   // native SQL
    QTest::addColumn<QString>("message");  // "" : plot 10 is calculated
    QTest::newRow("stones 100 %") << "update soilproperties set skelett=100 where soil_ID=9"
                                  << "FL_ID 10: tmp_soil_prop.skelett = 1 is not a fraction from 0 "
                                     "to below 1";
    QTest::newRow("negative stones") << "update soilproperties set skelett=-10 where soil_ID=9"
                                     << "FL_ID 10: tmp_soil_prop.skelett = -0.1 is not a fraction";
    QTest::newRow("infinite start carbon")
        << "update measurements set meas_value=9e999 where FL_ID=10 and M_IX=7 and year_number=0"
        << "FL_ID 10: measurements.meas_value of 1985 = inf is not a finite number";
    QTest::newRow("quantity 1e308")
        << "update cultivation set Quantity=1e308 where FL_ID=10 and year=1990 and Macode=2"
        << "FL_ID 10: opstab.COPS of 1990 = inf is not a finite number";
    // a product that stays finite but is far beyond anything physical, and a sample as large
    QTest::newRow("quantity 1e308, finite product")
        << "update cultivation set Quantity=1e308 where FL_ID=10 and year=1987 and Macode=2"
        << "FL_ID 10: opstab.COPS of 1987 = 8.75E307 is beyond any physical value";
    // an amount never entered is not taken for 0
    QTest::newRow("empty quantity")
        << "update cultivation set Quantity=NULL where FL_ID=10 and year=1987 and Macode=2"
        << "FL_ID 10: opstab.COPS of 1987 is empty";
    QTest::newRow("sample 1e300")
        << "update measurements set meas_value=1e300 where FL_ID=10 and M_IX=7 and year=1991"
        << "FL_ID 10: measurements.meas_value of 1991 = 1E300 is beyond any physical value";
    QTest::newRow("inert fraction above 1")
        << "update soilproperties set cif=1.0078, cif_org=1 where soil_ID=9"
        << "FL_ID 10: tmp_soil_prop.cif = 1.0078 is above 1";
    QTest::newRow("inert fraction 1 is valid")
        << "update soilproperties set cif=1, cif_org=1 where soil_ID=9"
        << "";
  }
  void absurdInputs() {
    QFETCH(QString, change);
    QFETCH(QString, message);
    TempDb t(QStringLiteral("demo"));
    t.db.runNative(
        QStringLiteral("update site_state set status=1;"
                       "create temporary table s9 as select * from soilproperties where soil_ID=3;"
                       "update s9 set soil_ID=9; insert into soilproperties select * from s9;"
                       "update field_description set soil_ID=9 where FL_ID=10;"));
    t.db.runNative(change);
    trb::test::RecordingFeedback fb;
    QVERIFY2(demoCalculation(t, fb)->calculate(), qPrintable(fb.lines.join(u'\n')));
    const int drivers = t.db.scalar(QStringLiteral("select count(*) from trb_driver")).toInt();
    if (message.isEmpty()) {
      QCOMPARE(drivers, 10);
    } else {
      QVERIFY2(std::any_of(fb.lines.begin(), fb.lines.end(),
                           [&](const QString& l) { return l.startsWith(message); }),
               qPrintable(fb.lines.join(u'\n')));
      QVERIFY(fb.lines.contains(QStringLiteral("missing data for FL_ID10")));
      QCOMPARE(drivers, 9);
      QCOMPARE(
          t.db.scalar(QStringLiteral("select count(*) from trb_nresult where fl_id=10")).toInt(),
          0);
    }
    QCOMPARE(nonFiniteValues(t.db), 0);
  }

  // A plot whose soil_ID names no soil profile is named; the others are calculated.
  void plotWithoutSoilProfile() {
    TempDb t(QStringLiteral("demo"));
    t.db.runNative(
        QStringLiteral("update site_state set status=1; update field_description set "
                       "soil_ID=77 where FL_ID=4"));
    trb::test::RecordingFeedback fb;
    QVERIFY(demoCalculation(t, fb)->calculate());
    QVERIFY(fb.lines.contains(
        QStringLiteral("missing data for FL_ID4: soil_ID 77 names no soil profile")));
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from trb_driver")).toInt(), 9);
  }

  // When no selected plot can be calculated the run fails, saying so.
  void noPlotCalculated() {
    TempDb t(QStringLiteral("demo"));
    t.db.runNative(
        QStringLiteral("update site_state set status=1; update soilproperties set "
                       "skelett=100"));
    trb::test::RecordingFeedback fb;
    auto c = demoCalculation(t, fb);
    QVERIFY(!c->calculate());
    QCOMPARE(c->stopReason, QStringLiteral("no plot could be calculated"));
    QCOMPARE(fb.lines.last(), QStringLiteral("calculation stopped: no plot could be calculated"));
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from trb_driver")).toInt(), 0);
  }

  void unknownMethodChangesNothing() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update site_state set status=1"));
    const int before = t.db.scalar(QStringLiteral("select count(*) from rs_table")).toInt();
    trb::test::RecordingFeedback fb;
    auto cp = demoCalculation(t, fb, {QStringLiteral("M=KOLB")});
    Calculation& c = *cp;
    QVERIFY(!c.calculate());
    QVERIFY(c.stopReason.contains(QStringLiteral("\"KOLB\"")));
    // shown at once, and the last line of the list
    QCOMPARE(fb.problems.size(), 1);
    QVERIFY(fb.problems.first().startsWith(QStringLiteral("ERROR:unknown balance method")));
    QVERIFY(fb.lines.last().startsWith(QStringLiteral("calculation stopped: unknown")));
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from rs_table")).toInt(), before);
  }
};

QTEST_GUILESS_MAIN(TstCalculation)
#include "tst_calculation.moc"
