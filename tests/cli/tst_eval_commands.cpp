// trbdb stats and trbdb nbalance on a calculated demo database, as a script runs them.
#include <QProcess>
#include <QtTest>

#include "cli/cli_run.h"
#include "testutil.h"

using trb::test::Run;
using trb::test::run;

class TstEvalCommands : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString db_;

  Run trbdb(const QStringList& args) { return run(QStringLiteral(TRB_TRBDB), args, dir_.path()); }

 private slots:
  void initTestCase() {
    db_ = dir_.filePath(QStringLiteral("demo.sqlite"));
    QCOMPARE(trbdb({QStringLiteral("create"), db_, QStringLiteral("--demo")}).code, 0);
    const Run r =
        run(QStringLiteral(TRB_TRBSIM),
            {QStringLiteral("DB=") + db_, QStringLiteral("go"), QStringLiteral("--select-all")},
            dir_.path());
    QCOMPARE(r.code, 0);
    // a plot without simulated years
    trb::db::Database db = trb::db::Database::open(db_);
    db.execute(QStringLiteral("insert into field_description (FL_ID) values (98)"));
  }

  void stats() {
    Run r = trbdb({QStringLiteral("stats"), db_, QStringLiteral("--phase"), QStringLiteral("2")});
    QCOMPARE(r.code, 0);
    trb::db::Database db = trb::db::Database::open(db_);
    // every simulated plot has pairs in the late years
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from trb_stat_corg where n > 1")).toInt(),
             db.scalar(QStringLiteral("select count(*) from (select distinct fl_id from "
                                      "rs_table where sim_value > 0)"))
                 .toInt());
    QVERIFY(db.scalar(QStringLiteral("select count(*) from trb_stat_nt where n > 1")).toInt() > 0);
    db.close();
    QCOMPARE(
        trbdb({QStringLiteral("stats"), db_, QStringLiteral("--phase"), QStringLiteral("x")}).code,
        2);
  }

  void nbalance() {
    Run r = trbdb({QStringLiteral("nbalance"), db_, QStringLiteral("--plot"), QStringLiteral("1")});
    QCOMPARE(r.code, 0);
    QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("nmin_saldo:"));
    QVERIFY(lines.value(1).split(u'\t').contains(QStringLiteral("year")));
    trb::db::Database db = trb::db::Database::open(db_);
    QCOMPARE(lines.size() - 2,
             db.scalar(QStringLiteral("select count(*) from trb_nresult where fl_id=1")).toInt());
    db.close();

    // a filter that is not a number is refused and changes nothing
    r = trbdb({QStringLiteral("nbalance"), db_, QStringLiteral("--years"), QStringLiteral("1990"),
               QStringLiteral("2000 or 1=1")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("2000 or 1=1")));
    db = trb::db::Database::open(db_);
    QVERIFY(!db.hasTable(QStringLiteral("NT_saldo")));
    db.close();

    r = trbdb({QStringLiteral("nbalance"), db_, QStringLiteral("--ndng"), QStringLiteral("50"),
               QStringLiteral("100")});
    QCOMPARE(r.code, 0);
    db = trb::db::Database::open(db_);
    QVERIFY(db.scalar(QStringLiteral("select count(*) from NT_saldo")).toInt() > 0);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from NT_saldo where n_mindg_inp < 50 or "
                                      "n_mindg_inp > 100.1"))
                 .toInt(),
             0);
  }

  // The exit codes of trbdb nbalance; a filter that selects nothing is refused with a message
  // and leaves every table as the last run left it.
  void nbalanceExitCodes_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const QStringList& args, int code, const char* message) {
      QTest::newRow(name) << args << code << QString::fromUtf8(message);
    };
    row("all plots", {}, 0, "");
    row("one plot", {"--plot", "1"}, 0, "");
    row("plot not there", {"--plot", "99"}, 1, "no plot with the key 99");
    row("plot not simulated", {"--plot", "98"}, 1, "Plot 98 has no simulated years");
    row("plot not a key", {"--plot", "1 or 1=1"}, 1, "neither");
    row("reversed years", {"--years", "2000", "1990"}, 1, "after the last year");
    row("years without results", {"--years", "2500", "2600"}, 1, "No simulated year");
    row("reversed N range", {"--ndng", "100", "50"}, 1, "above the highest");
    row("N range keeps no plot", {"--ndng", "5000", "6000"}, 1, "No plot's mean mineral N");
    row("year not a number", {"--years", "1990", "x"}, 1, "not a number");
    row("no file", {"--plot"}, 2, "usage");
    row("workers out of range", {"--workers", "999"}, 2, "usage");
  }
  void nbalanceExitCodes() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    QCOMPARE(trbdb({QStringLiteral("nbalance"), db_}).code, 0);
    const QStringList before = trb::test::dump(db_);
    const Run r = trbdb(QStringList{QStringLiteral("nbalance"), db_} + args);
    QVERIFY2(r.code == code, qPrintable(r.err));
    if (code == 0) {
      QVERIFY(r.out.startsWith(QStringLiteral("nmin_saldo:\n")));
      return;
    }
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(trb::test::dump(db_) == before);
  }

  // A run leaves no scratch folder, and removes those of runs that were killed; a folder of a
  // process still running stays.
  void scratchFoldersRemoved() {
    QTemporaryDir tmp;
    QProcess gone;  // a process id that no process owns any more
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    const QString dead = QStringLiteral("trb-nbalance-%1-AbCdEf").arg(pid);
    const QString alive = QStringLiteral("trb-nbalance-1-AbCdEf");
    for (const QString& d : {dead, alive}) {
      QVERIFY(QDir(tmp.path()).mkpath(d));
      QFile f(QDir(tmp.filePath(d)).filePath(QStringLiteral("nbalance_side.sqlite")));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QProcess p;
    p.setWorkingDirectory(dir_.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path());
    env.insert(QStringLiteral("TMPDIR"), tmp.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRB_TRBDB),
            {QStringLiteral("nbalance"), db_, QStringLiteral("--workers"), QStringLiteral("2")});
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{alive});
  }
};

QTEST_GUILESS_MAIN(TstEvalCommands)
#include "tst_eval_commands.moc"
