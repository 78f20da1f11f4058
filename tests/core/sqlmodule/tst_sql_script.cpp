// Free scripts: batches, the data-change rule, drop-marked batches, stops, parameters, history.
#include <QtTest>

#include "core/sqlmodule/sql_script.h"
#include "testutil.h"

using namespace trb::sqlmodule;
using trb::test::RecordingFeedback;
using trb::test::TempDb;

class TstSqlScript : public QObject {
  Q_OBJECT

 private slots:
  void batches_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<bool>>("changes");
    QTest::addColumn<QList<bool>>("ignore");
    QTest::newRow("one query, no go")
        << "select * from field_description" << QList<bool>{false} << QList<bool>{false};
    QTest::newRow("drop, go, into") << "drop table x\ngo\nselect * into x from y"
                                    << QList<bool>{true, true} << QList<bool>{true, false};
    QTest::newRow("empty batches and blank lines")
        << "\n\ngo\nUPDATE t SET a = 1\n\n go \n\nselect 1\n"
        << QList<bool>{true, false} << QList<bool>{false, false};
    // the rule reads substrings: a column named "updated" makes a command
    QTest::newRow("substring") << "select updated from t" << QList<bool>{true}
                               << QList<bool>{false};
  }
  void batches() {
    QFETCH(QString, script);
    QFETCH(QList<bool>, changes);
    QFETCH(QList<bool>, ignore);
    const QList<ScriptBatch> b = script_batches(script);
    QList<bool> c, i;
    for (const ScriptBatch& x : b) {
      c << x.changesData;
      i << x.ignoreErrors;
    }
    QCOMPARE(c, changes);
    QCOMPARE(i, ignore);
  }

  void dropGoInto() {
    TempDb db(QStringLiteral("demo"));
    RecordingFeedback fb;
    const RunOutcome r = run_script(
        db.db, QStringLiteral("drop table x\ngo\nselect * into x from field_description"), fb);
    QCOMPARE(r.batches, 2);
    QVERIFY(r.dataChange);
    QVERIFY(!r.result);
    QCOMPARE(db.db.scalar(QStringLiteral("select count(*) from x")).toInt(), 10);
  }

  void queryFillsResultAsItIsRead() {
    TempDb db(QStringLiteral("demo"));
    RecordingFeedback fb;
    RunOutcome r = run_script(db.db, QStringLiteral("select * from field_description"), fb);
    QVERIFY(!r.dataChange);
    QVERIFY(r.result);
    QVERIFY(r.result->columns().contains(QStringLiteral("site_description"), Qt::CaseInsensitive));
    QCOMPARE(r.result->rowCount(), 1);  // the rest comes when asked for
    r.result->fetchMore(100);
    QCOMPARE(r.result->rowCount(), 10);
    QVERIFY(r.result->atEnd());

    // the whole result as a sheet: numbers stay numbers
    RunOutcome m =
        run_script(db.db, QStringLiteral("select fl_id, meas_value from measurements"), fb);
    const int all = db.db.scalar(QStringLiteral("select count(*) from measurements")).toInt();
    const trb::transfer::Sheet sheet = result_sheet(*m.result);
    QCOMPARE(sheet.rows.size(), all);
    QCOMPARE(sheet.rows.first().at(1).typeId(), QMetaType::Double);
  }

  // A failing batch names itself; what ran before it stays done, what follows does not run.
  void failingBatch() {
    TempDb db(QStringLiteral("demo"));
    RecordingFeedback fb;
    try {
      run_script(db.db,
                 QStringLiteral("select * into a from experiments\ngo\nselect nosuch from "
                                "field_description\ngo\nselect * into b from experiments"),
                 fb);
      QFAIL("the script should have failed");
    } catch (const trb::Error& e) {
      QVERIFY2(e.message().contains(QStringLiteral("batch 2 (line 3)")), qPrintable(e.message()));
      QVERIFY2(e.message().contains(QStringLiteral("nosuch")), qPrintable(e.message()));
      QVERIFY2(e.message().contains(QStringLiteral("stay applied: batch 1 (line 1).")),
               qPrintable(e.message()));
      QVERIFY(e.statement().contains(QStringLiteral("select nosuch")));
    }
    QVERIFY(db.db.hasTable(QStringLiteral("a")));
    QVERIFY(!db.db.hasTable(QStringLiteral("b")));

    // a failing make-table into another file leaves no file of its own behind
    const QString file = db.dir->filePath(QStringLiteral("out.sqlite"));
    try {
      run_script(db.db, QStringLiteral("select nosuch into c in \"%1\" from experiments").arg(file),
                 fb);
      QFAIL("the script should have failed");
    } catch (const trb::Error& e) {
      QVERIFY2(e.message().contains(QStringLiteral("No batch before it changed the database.")),
               qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(file));
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
  }

  // A long batch stopped by the engine's interrupt: the batch before it is kept.
  void interruptKeepsEarlierBatches() {
    TempDb db(QStringLiteral("demo"));
    RecordingFeedback fb;
    int calls = 0;
    db.db.setProgressHandler(
        [&] {
          if (++calls < 3) return false;
          fb.cancel();
          return true;
        },
        1000);
    QVERIFY_THROWS_EXCEPTION(
        trb::Canceled,
        run_script(db.db,
                   QStringLiteral("select * into kept from experiments\ngo\nselect count(*) as n "
                                  "into big from climate_data a, climate_data b, climate_data c"),
                   fb));
    db.db.setProgressHandler({});
    QVERIFY(db.db.hasTable(QStringLiteral("kept")));
    QVERIFY(!db.db.hasTable(QStringLiteral("big")));
  }

  void parameters() {
    const QString script = QStringLiteral(
        "select * from measurements\nwhere year=$year and fl_id = $plot\nor year = $YEAR or "
        "year = $year2");
    const QStringList names = collect_parameters(script, {});
    QCOMPARE(names, (QStringList{"$year", "$plot", "$year2"}));
    const QString done =
        substitute_parameters(script, {{"$year", "1990"}, {"$plot", "3"}, {"$year2", "1991"}});
    QCOMPARE(done, QStringLiteral("select * from measurements\nwhere year=1990 and fl_id = 3\nor "
                                  "year = 1990 or year = 1991"));
    // at most ten names, the ones already there kept
    QString many;
    for (int i = 0; i < 12; ++i) many += QStringLiteral(" $p%1").arg(i);
    const QStringList ten = collect_parameters(many, {QStringLiteral("$first")});
    QCOMPARE(ten.size(), kMaxParameters);
    QCOMPARE(ten.first(), QStringLiteral("$first"));
  }

  void history() {
    ScriptHistory h;
    QCOMPARE(h.current(), 0);
    for (int i = 1; i <= 11; ++i) h.store(QStringLiteral("script %1").arg(i));
    QCOMPARE(h.size(), 10);
    QCOMPARE(h.current(), 10);
    QCOMPARE(h.at(1), QStringLiteral("script 2"));
    QCOMPARE(h.at(10), QStringLiteral("script 11"));
    QCOMPARE(h.previous(), std::optional<QString>(QStringLiteral("script 10")));
    QCOMPARE(h.next(), std::optional<QString>(QStringLiteral("script 11")));
    QVERIFY(!h.next());
  }
};

QTEST_GUILESS_MAIN(TstSqlScript)
#include "tst_sql_script.moc"
