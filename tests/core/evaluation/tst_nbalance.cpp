#include <QSqlQuery>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "core/db/database.h"
#include "core/evaluation/nbalance.h"
#include "testutil.h"

using trb::evaluation::do_balance;
using trb::evaluation::NBalanceFilter;
using trb::test::dump;

namespace {

// Crops 9001 (by-product 9101 left with code 9, seed 12.5 kg N), 9002 (a legume, fixation
// 0.1·yield − 20), 9003 (seed 12.4 kg N); organic substances 9101 (straw) and 9102 (manure), both
// 0.5 dry matter, 0.4 C in dry matter, C/N 20.
// Plot 1, station 1 (1990: 40 → 2000: 20; default 15; 2002: 30), years 1990 to 1993:
//   1990: harvest 9001 (code 9, 50), manure 10 and 20, mineral N 60 and 40
//   1991: harvests 9003 (40) and 9002 (100)
//   1992: harvest 9002 (500)
//   1993: no records; mineralisation -44.05
// Plot 2, station 1: 1990 and 1991 with 60 kg mineral N each. Plot 3, station 2 (anchors
// without a course, only 1995 has a value): 1995 and 1996 with 120 kg mineral N each.
void buildBalance(trb::db::Database& db) {
  db.runNative(QStringLiteral(
      "INSERT INTO slvpflan (ITEM_IX, NAME, CEWR, FEWR, kop_ix, HI, N_Gehalt) VALUES "
      "(9001,'wheat',5,0.1,9101,0.8,2.0),(9002,'clover',1,0.2,-99,0,3.0),"
      "(9003,'barley',5,0.1,-99,0,1.5);"
      "INSERT INTO slvopspa (item_ix, NAME, cnr_alt, ts_gehalt, c_geh_ts) VALUES "
      "(9101,'straw',20,0.5,0.4),(9102,'manure',20,0.5,0.4);"
      "INSERT INTO n_saat_imp (ITEM_IX, menge, n_gehalt, nutzungsjahre) VALUES "
      "(9001,625,2,1),(9003,620,2,1);"
      "INSERT INTO leg_parm (item_ix, faktor, konstante) VALUES (9002,0.1,-20);"
      "INSERT INTO climate_station (climate_ID, station, year0_nd, ndep_0, year1_nd, ndep_1) "
      "VALUES (1,'one',1990,40,2000,20),(2,'two',2000,40,2000,20);"
      "INSERT INTO reg_ndeposit (climate_id, year, N_dep_y) VALUES (1,0,15),(1,2002,30),"
      "(2,1995,12);"
      "INSERT INTO field_description (FL_ID, versuch_code, site_description, climate_ID) VALUES "
      "(1,'V','p1',1),(2,'V','p2',1),(3,'V','p3',2);"
      "INSERT INTO measurements (FL_ID, M_IX, year, year_number, meas_value) VALUES "
      "(1,7,1985,0,1.2),(2,7,1989,0,1.2),(3,7,1994,0,1.1);"
      "INSERT INTO cultivation (FL_ID, year, Macode, Item_IX, Quantity, Sim_Quantity) VALUES "
      "(1,1990,9,9001,50,50),(1,1990,3,9102,10,10),(1,1990,3,9102,20,20),"
      "(1,1990,4,-99,60,60),(1,1990,4,-99,40,40),"
      "(1,1991,2,9003,40,40),(1,1991,2,9002,100,100),(1,1992,2,9002,500,500),"
      "(1,2003,2,9003,10,10),"
      "(2,1990,4,-99,60,60),(2,1991,4,-99,60,60),(2,1991,2,9003,40,40),"
      "(3,1995,4,-99,120,120),(3,1996,4,-99,120,120),(3,1996,2,9003,40,40);"
      "INSERT INTO trb_nresult (FL_ID, year, n_m_om) VALUES (1,1990,50),(1,1991,60.5),"
      "(1,1992,70),(1,1993,-44.05),(2,1990,40),(2,1991,40),(3,1995,30),(3,1996,30);"));
}

QStringList plotsOf(trb::db::Database& db, const QString& table) {
  QStringList plots;
  QSqlQuery q = db.query(QStringLiteral("select FL_ID from ") + table + " order by FL_ID");
  while (q.next()) plots << q.value(0).toString();
  return plots;
}

// A copy of a database file under a new name in dir.
QString copyOf(const QString& source, const QTemporaryDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  QFile::remove(path);
  return QFile::copy(source, path) ? path : QString();
}

// Asks the run to stop once it has reached the given step (counted from 0).
struct StopAtStep : trb::Feedback {
  explicit StopAtStep(int step) : step(step) {}
  void setProgress(qint64 pos, qint64 count) override {
    if (count > 0 && pos >= step * trb::MultiStepFeedback::kStepUnits) cancel();
  }
  int step;
};

}  // namespace

class TstNbalance : public QObject {
  Q_OBJECT

  QTemporaryDir cwd_;

  // The database after a balance of all plots on the given number of threads (after an earlier
  // one over other years, when asked).
  // A synthetic database with a yearly result for every plot-year of its management, so that its
  // balance has rows (the generator makes no results).
  QString syntheticWithResults(int plots, int years) {
    const QString path = trb::test::synthetic(cwd_, plots, years);
    if (path.isEmpty()) return path;
    trb::db::Database db = trb::db::Database::open(path);
    if (db.scalar(QStringLiteral("select count(*) from trb_nresult")).toInt() == 0)
      db.execute(
          QStringLiteral("INSERT INTO trb_nresult (FL_ID, year, N_m_om) SELECT DISTINCT "
                         "FL_ID, year, 40 + FL_ID - 7 * Int(FL_ID / 7) FROM cultivation"));
    return path;
  }

  // The filters of the runs compared: an earlier run over the second simulated year, and the
  // run over the first ten years with a mineral N of at most 1000.
  static NBalanceFilter earlierFilter(trb::db::Database& db) {
    const double first = db.scalar(QStringLiteral("select min(year) from trb_nresult")).toDouble();
    return {first + 1, first + 1};
  }
  static NBalanceFilter runFilter(trb::db::Database& db) {
    const double first = db.scalar(QStringLiteral("select min(year) from trb_nresult")).toDouble();
    return {first, first + 9, 0, 1000};
  }

  QStringList balanced(const QString& source, int threads, bool earlier) {
    const QString path = copyOf(source, cwd_, QStringLiteral("run.sqlite"));
    if (path.isEmpty()) return {};
    {
      trb::db::Database db = trb::db::Database::open(path);
      trb::Feedback silent;
      if (earlier) do_balance(db, QStringLiteral("*"), earlierFilter(db), silent, threads);
      do_balance(db, QStringLiteral("*"), runFilter(db), silent, threads);
    }
    return dump(path);
  }

 private slots:
  void deposition_data() {
    QTest::addColumn<int>("station");
    QTest::addColumn<int>("year");
    QTest::addColumn<double>("expected");
    QTest::newRow("first year") << 1 << 1985 << 40.0;
    QTest::newRow("basic year") << 1 << 1990 << 40.0;
    QTest::newRow("course") << 1 << 1991 << 38.0;
    QTest::newRow("final year") << 1 << 2000 << 20.0;
    QTest::newRow("default after the course") << 1 << 2001 << 15.0;
    QTest::newRow("yearly value after the course") << 1 << 2002 << 30.0;
    QTest::newRow("last harvest") << 1 << 2003 << 15.0;
    QTest::newRow("anchors without course: no value") << 2 << 1994 << -99.9;
    QTest::newRow("anchors without course: yearly value") << 2 << 1995 << 12.0;
  }
  void deposition() {
    QFETCH(int, station);
    QFETCH(int, year);
    QFETCH(double, expected);
    trb::test::TempDb t;
    buildBalance(t.db);
    t.db.runNative(QStringLiteral("INSERT INTO tmp_ndeposit VALUES (7,1,1)"));
    trb::evaluation::prepare_ndeposit(t.db);
    const QVariant v = t.db.scalar(
        QStringLiteral("select n_dep_y from tmp_ndeposit where climate_id=? and year=?"),
        {station, year});
    QVERIFY(v.isValid());
    QVERIFY2(std::fabs(v.toDouble() - expected) < 1e-9, qPrintable(v.toString()));
    // the rows span the first initial measurement to the last harvest, and nothing else stays
    QCOMPARE(t.db.scalar(QStringLiteral("select min(year) from tmp_ndeposit where climate_id=1"))
                 .toInt(),
             1985);
    QCOMPARE(t.db.scalar(QStringLiteral("select max(year) from tmp_ndeposit where climate_id=1"))
                 .toInt(),
             2003);
    QVERIFY(
        !t.db.scalar(QStringLiteral("select year from tmp_ndeposit where climate_id=7")).isValid());
  }

  // Every term of plot 1 (kg N/ha).
  void terms_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<QList<int>>("expected");  // org, kop, ewr, saat, dng, entz, bindung, dep, asym
    // two manure records (10 + 20) and the straw (40); seed 12.5 → 13; mineral N 60 + 40
    QTest::newRow("1990") << 1990 << QList<int>{70, 40, 10, 13, 100, 100, 0, 40, 5};
    // residues of two harvests (9 + 21); seed 12.4 → 12; negative fixation → 0
    QTest::newRow("1991") << 1991 << QList<int>{0, 0, 30, 12, 0, 360, 0, 38, 10};
    QTest::newRow("1992") << 1992 << QList<int>{0, 0, 101, 0, 0, 1500, 30, 36, 10};
    QTest::newRow("without records") << 1993 << QList<int>{0, 0, 0, 0, 0, 0, 0, 34, 10};
  }
  void terms() {
    QFETCH(int, year);
    QFETCH(QList<int>, expected);
    trb::test::TempDb t;
    buildBalance(t.db);
    do_balance(t.db, QStringLiteral("*"));
    QSqlQuery q = t.db.query(
        QStringLiteral(
            "select n_org_inp, n_kop_inp, n_ewr, n_saat, n_dng, n_entz, n_bindung, n_deposition, "
            "asym_nbind from trb_n_bilanz where fl_id=1 and year=?"),
        {year});
    QVERIFY(q.next());
    QList<int> got;
    for (int i = 0; i < 9; ++i) got << q.value(i).toInt();
    QCOMPARE(got, expected);
    // station 2 has no value in 1996: no deposition
    QCOMPARE(t.db.scalar(QStringLiteral(
                             "select n_deposition from trb_n_bilanz where fl_id=3 and year=1996"))
                 .toInt(),
             0);
  }

  // The balance table follows trb_nresult row by row, whatever the order of plots and years and
  // with a plot-year twice; every row carries the terms of its plot-year.
  void termsInAnyRowOrder() {
    const QString terms = QStringLiteral(
        "select FL_ID, year, N_m_om, n_org_inp, n_kop_inp, n_ewr, n_saat, n_dng, n_entz, "
        "n_bindung, n_deposition, asym_nbind, idx from trb_n_bilanz");
    const auto rowsOf = [&terms](trb::db::Database& db, const QString& order) {
      QStringList rows;
      QSqlQuery q = db.query(terms + order);
      while (q.next()) {
        QStringList v;
        for (int i = 0; i < 13; ++i) v << q.value(i).toString();
        rows << v.join(u'|');
      }
      return rows;
    };
    trb::test::TempDb sorted;
    buildBalance(sorted.db);
    do_balance(sorted.db, QStringLiteral("*"));
    const QStringList expected = rowsOf(sorted.db, QStringLiteral(" order by rowid"));

    trb::test::TempDb shuffled;
    buildBalance(shuffled.db);
    shuffled.db.runNative(
        QStringLiteral("CREATE TABLE keep AS SELECT * FROM trb_nresult; DELETE FROM trb_nresult;"
                       "INSERT INTO trb_nresult SELECT * FROM keep ORDER BY FL_ID DESC, year DESC;"
                       "INSERT INTO trb_nresult (FL_ID, year, n_m_om) VALUES (1,1990,50);"));
    do_balance(shuffled.db, QStringLiteral("*"));
    QStringList got = rowsOf(shuffled.db, QStringLiteral(" order by rowid"));
    QCOMPARE(got.first().section(u'|', 0, 1), QStringLiteral("3|1996"));
    QCOMPARE(got.last(), expected.first());
    got.removeLast();
    std::reverse(got.begin(), got.end());
    QCOMPARE(got, expected);
  }

  // Records without a quantity leave their terms empty, as the joins of the balance carry them:
  // an empty mineral N gets no asymbiotic fixation, an empty amendment empties the organic input
  // that its year's by-products add to; beside another amendment of its year it adds nothing.
  void emptyQuantities() {
    trb::test::TempDb t;
    buildBalance(t.db);
    t.db.runNative(QStringLiteral(
        "INSERT INTO field_description (FL_ID, versuch_code, site_description, climate_ID) "
        "VALUES (4,'V','p4',1);"
        "INSERT INTO cultivation (FL_ID, year, Macode, Item_IX, Quantity, Sim_Quantity) VALUES "
        "(4,1990,4,-99,NULL,NULL),(4,1991,3,9102,NULL,NULL),(4,1991,9,9001,50,50),"
        "(4,1992,3,9102,10,10),(4,1992,3,9102,NULL,NULL);"
        "INSERT INTO trb_nresult (FL_ID, year, n_m_om) VALUES (4,1990,10),(4,1991,10),"
        "(4,1992,10);"));
    do_balance(t.db, QStringLiteral("*"));
    QSqlQuery q = t.db.query(QStringLiteral(
        "select n_dng, asym_nbind, n_org_inp, n_kop_inp from trb_n_bilanz where fl_id=4 "
        "order by year"));
    QVERIFY(q.next());
    QVERIFY(q.value(0).isNull());
    QCOMPARE(q.value(1).toInt(), 0);
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    QCOMPARE(q.value(1).toInt(), 10);
    QVERIFY(q.value(2).isNull());
    QCOMPARE(q.value(3).toInt(), 40);
    QVERIFY(q.next());
    QCOMPARE(q.value(2).toInt(), 10);
    QCOMPARE(q.value(3).toInt(), 0);
  }

  void filters_data() {
    QTest::addColumn<QStringList>("filter");
    QTest::addColumn<QStringList>("plots");
    QTest::newRow("everything") << QStringList{"0", "3000", "0", "3000"}
                                << QStringList{"1", "2", "3"};
    QTest::newRow("fertiliser 50 to 100")
        << QStringList{"0", "3000", "50", "100"} << QStringList{"2"};
    QTest::newRow("year 1990") << QStringList{"1990", "1990", "0", "3000"} << QStringList{"1", "2"};
    QTest::newRow("year 1990, fertiliser 70 to 100")
        << QStringList{"1990", "1990", "70", "100"} << QStringList{"1"};
  }
  void filters() {
    QFETCH(QStringList, filter);
    QFETCH(QStringList, plots);
    trb::test::TempDb t;
    buildBalance(t.db);
    do_balance(t.db, QStringLiteral("*"),
               NBalanceFilter::parse(filter.at(0), filter.at(1), filter.at(2), filter.at(3)));
    for (const char* table : {"trb_nsaldo", "nmin_saldo", "NT_saldo"})
      QCOMPARE(plotsOf(t.db, QLatin1String(table)), plots);
  }

  void plotSummaries() {
    trb::test::TempDb t;
    buildBalance(t.db);
    do_balance(t.db, QStringLiteral("*"));
    // plot 2: mineralisation 40, mineral N 60, asymbiotic 5, deposition 40 and 38, harvest 60 + 9
    QSqlQuery q = t.db.query(QStringLiteral(
        "select n_saldo_soil, n_saldo_plot, N_gratis from trb_nsaldo where fl_id=2"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), (40 + 60 + 5 + 40 + 40 + 60 + 5 + 38 + 12 - 69) / 2.0);
    QCOMPARE(q.value(1).toDouble(), (60 + 5 + 40 + 60 + 5 + 38 + 12 - 60) / 2.0);
    QCOMPARE(q.value(2).toDouble(), (5 + 40 + 5 + 38 + 12) / 2.0);
    q = t.db.query(QStringLiteral("select n_abfuhr, n_saldo_plot from NT_saldo where fl_id=1"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), (100 - 40 + 360 + 1500) / 4.0);
    QCOMPARE(
        q.value(1).toDouble(),
        std::floor(10 * ((70 + 100 + 40 + 5 + 13 + 38 + 10 + 12 + 30 + 36 + 10 + 34 + 10) / 4.0 -
                         (100 + 360 + 1500) / 4.0)) /
            10);
  }

  // One plot: one row per year, each value cut to one decimal downwards.
  void onePlot_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<double>("mos");
    QTest::addColumn<double>("saldo");
    QTest::newRow("1990") << 1990 << 50.0 << 98.0;
    QTest::newRow("1991") << 1991 << 60.5 << -269.5;
    QTest::newRow("1992") << 1992 << 70.0 << -1455.0;
    QTest::newRow("-0.05") << 1993 << -44.1 << -0.1;
  }
  void onePlot() {
    QFETCH(int, year);
    QFETCH(double, mos);
    QFETCH(double, saldo);
    trb::test::TempDb t;
    buildBalance(t.db);
    trb::test::RecordingFeedback fb;
    do_balance(t.db, QStringLiteral("1"), NBalanceFilter::parse("1991", "1991", "500", "600"), fb);
    // the steps in order, each a share of the whole, up to the end
    QList<qint64> positions;
    for (const auto& [pos, count] : fb.progress) {
      QCOMPARE(count, trb::evaluation::kBalanceSteps * trb::MultiStepFeedback::kStepUnits);
      positions << pos;
    }
    QCOMPARE(positions.first(), 0);
    QCOMPARE(positions.last(), trb::evaluation::kBalanceSteps * trb::MultiStepFeedback::kStepUnits);
    QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    QCOMPARE(plotsOf(t.db, QStringLiteral("trb_n_bilanz")), (QStringList{"1", "1", "1", "1"}));
    // the typed filters do not apply to one plot
    QSqlQuery q = t.db.query(
        QStringLiteral("select n_mos_inp, saldo_nmin_soil, anz from nmin_saldo where year=?"),
        {year});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), mos);
    QCOMPARE(q.value(1).toDouble(), saldo);
    QCOMPARE(q.value(2).toInt(), 1);
    QVERIFY(!q.next());
  }

  void refusedInput_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("filter");
    QTest::newRow("plot key with SQL") << "1 or 1=1" << QStringList{"0", "3000", "0", "3000"};
    QTest::newRow("empty plot key") << "" << QStringList{"0", "3000", "0", "3000"};
    QTest::newRow("year") << "*"
                          << QStringList{"1990; drop table cultivation", "3000", "0", "3000"};
    QTest::newRow("fertiliser") << "*" << QStringList{"0", "3000", "0", "viel"};
  }
  void refusedInput() {
    QFETCH(QString, id);
    QFETCH(QStringList, filter);
    trb::test::TempDb t;
    buildBalance(t.db);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, {
      const auto f = NBalanceFilter::parse(filter.at(0), filter.at(1), filter.at(2), filter.at(3));
      do_balance(t.db, id, f);
    });
    QVERIFY(!t.db.hasTable(QStringLiteral("trb_n_bilanz")));
  }

  // With a second thread the run ends with the same tables, definitions, rows and values as on
  // one, where it makes the first balance and where it replaces an earlier one; without a folder
  // for its scratch file it keeps to one thread.
  void secondThread_data() {
    QTest::addColumn<QString>("database");  // "fixture" or "synthetic"
    QTest::addColumn<bool>("earlier");
    QTest::addColumn<bool>("scratchFolder");
    QTest::newRow("fixture, first balance") << "fixture" << false << true;
    QTest::newRow("fixture, earlier balance replaced") << "fixture" << true << true;
    QTest::newRow("synthetic, earlier balance replaced") << "synthetic" << true << true;
    QTest::newRow("no folder for the scratch file") << "fixture" << true << false;
  }
  void secondThread() {
    QFETCH(QString, database);
    QFETCH(bool, earlier);
    QFETCH(bool, scratchFolder);
    QString source = syntheticWithResults(120, 12);
    if (database == u"fixture") {
      trb::test::TempDb t;
      buildBalance(t.db);
      t.db.close();
      source = copyOf(t.path, cwd_, QStringLiteral("fixture.sqlite"));
    }
    QVERIFY(!source.isEmpty());
    const QStringList one = balanced(source, 1, earlier);
    QVERIFY(one.size() > 20);
    const QByteArray tmp = qgetenv("TMPDIR");
    if (!scratchFolder) qputenv("TMPDIR", cwd_.filePath(QStringLiteral("missing/folder")).toUtf8());
    const QStringList two = balanced(source, 2, earlier);
    if (!scratchFolder) tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp);
    QCOMPARE(two.size(), one.size());
    for (qsizetype i = 0; i < one.size(); ++i) QCOMPARE(two.at(i), one.at(i));
  }

  // A stop while the second thread works leaves the earlier balance as it was; the next run
  // finishes as a run on one thread does.
  void stopWithSecondThread() {
    const QString source = syntheticWithResults(300, 20);
    QVERIFY(!source.isEmpty());
    const QStringList one = balanced(source, 1, false);
    const QString path = copyOf(source, cwd_, QStringLiteral("stopped.sqlite"));
    trb::db::Database db = trb::db::Database::open(path);
    trb::Feedback silent;
    do_balance(db, QStringLiteral("*"), earlierFilter(db), silent, 2);
    const QStringList before = dump(path);
    StopAtStep stop(2);
    QVERIFY_THROWS_EXCEPTION(trb::Canceled, do_balance(db, QStringLiteral("*"), {}, stop, 2));
    QCOMPARE(dump(path), before);
    do_balance(db, QStringLiteral("*"), runFilter(db), silent, 2);
    db.close();
    QCOMPARE(dump(path), one);
  }

  // A statement that fails leaves the tables of the previous run as they were.
  void failedRunChangesNothing() {
    trb::test::TempDb t;
    buildBalance(t.db);
    do_balance(t.db, QStringLiteral("*"));
    t.db.runNative(QStringLiteral("DROP TABLE leg_parm"));
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError, do_balance(t.db, QStringLiteral("2")));
    QCOMPARE(plotsOf(t.db, QStringLiteral("nmin_saldo")), (QStringList{"1", "2", "3"}));
    QVERIFY(t.db.hasTable(QStringLiteral("NT_saldo")));
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from trb_n_bilanz")).toInt(), 8);
  }
};

QTEST_GUILESS_MAIN(TstNbalance)
#include "tst_nbalance.moc"
