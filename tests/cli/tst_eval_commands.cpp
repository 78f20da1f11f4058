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
};

QTEST_GUILESS_MAIN(TstEvalCommands)
#include "tst_eval_commands.moc"
