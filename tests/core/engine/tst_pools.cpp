// Organic input pools: turnover, pooling of equal substances, the yearly input and the tables the
// inputs come from.
#include <QSqlQuery>
#include <QtTest>
#include <cmath>

#include "core/db/database.h"
#include "core/engine/calc_stop.h"
#include "core/engine/inputs.h"
#include "core/engine/pools.h"
#include "testutil.h"

using trb::engine::OpsInput;
using trb::engine::OpsPools;

namespace {

bool near(long double a, long double b, long double tol = 1e-12L) {
  return std::fabs(static_cast<double>(a - b)) <= tol * std::max(1.0L, std::fabs(b));
}

OpsInput input(long double cops, long double cnr, long double cnr_alt, long double k,
               long double eta, qlonglong item = 1, const QString& name = "x") {
  OpsInput r;
  r.cops = cops;
  r.cnr = cnr;
  r.cnr_alt = cnr_alt;
  r.k = k;
  r.eta = eta;
  r.item_ix = item;
  r.name = name;
  return r;
}

// Plot 10 is selected: a harvest in 2001, a harvest with its straw left on the field and manure
// in 2002, irrigation. Plot 11 is not selected.
void fillFixture(trb::db::Database& db) {
  db.runNative(QStringLiteral(R"(
    DELETE FROM site_state; DELETE FROM cultivation; DELETE FROM slvpflan; DELETE FROM slvopspa;
    INSERT INTO site_state (FL_ID, status) VALUES (10, 1), (11, 0);
    INSERT INTO slvopspa (item_ix, od, NAME, k, eta, cnr, cnr_alt, ts_gehalt, c_geh_ts) VALUES
      (101, 0, 'wheat residues', 0.3, 0.25, 30, 25, 0.86, 0.45),
      (102, 0, 'wheat straw', 0.5, 0.2, 80, 60, 0.86, 0.45),
      (201, -1, 'manure', 0.1, 0.4, 12, 10, 0.25, 0.4);
    INSERT INTO slvpflan (ITEM_IX, NAME, CEWR, FEWR, ewr_ix, kop_ix, HI, N_Gehalt) VALUES
      (1, 'winter wheat', 20, 0.2, 101, 102, 0.8, 1.9);
    INSERT INTO cultivation (FL_ID, year, Macode, Item_IX, Quantity, Sim_Quantity) VALUES
      (10, 2001, 2, 1, 60, -1), (10, 2002, 9, 1, 70, -1), (10, 2002, 3, 201, 30, -1),
      (10, 2002, 7, -99, 25, -1), (11, 2001, 3, 201, 10, -1), (11, 2001, 2, 1, 50, -1);
  )"));
}

QStringList opstabRows(trb::db::Database& db) {
  QStringList out;
  QSqlQuery q = db.query(QStringLiteral(
      "select FL_ID, year_, NAME_, COPS, ctype, K, ETA, CNR, cnr_alt, item_ix from opstab"));
  while (q.next()) {
    QStringList f;
    for (int i = 0; i < 10; ++i) {
      const QVariant v = q.value(i);
      f << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 12)
                                            : v.toString());
    }
    out << f.join(u'|');
  }
  return out;
}

}  // namespace

class TestPools : public QObject {
  Q_OBJECT

 private slots:
  void turnover_data() {
    QTest::addColumn<double>("bat");
    QTest::addColumn<double>("eta");
    QTest::addColumn<double>("a");  // carbon decomposed
    QTest::addColumn<double>("dnmin");
    QTest::addColumn<double>("dcrep");
    QTest::addColumn<double>("cminops");
    // cops 1000, k 0.02, cnr 20, cnrsom 8.5 in every row.
    QTest::newRow("worked example") << 0.1 << 0.3 << 2.0 << 0.1 - 0.6 / 8.5 << 0.6 << 1.4;
    QTest::newRow("bat 0") << 0.0 << 0.3 << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("eta 0: no humus") << 0.1 << 0.0 << 2.0 << 0.1 << 0.0 << 2.0;
    QTest::newRow("humus binds more N than released")
        << 0.1 << 0.9 << 2.0 << 0.1 - 1.8 / 8.5 << 1.8 << 0.2;
  }
  void turnover() {
    QFETCH(double, bat);
    QFETCH(double, eta);
    QFETCH(double, a);
    QFETCH(double, dnmin);
    QFETCH(double, dcrep);
    QFETCH(double, cminops);
    OpsPools pools;
    pools.clear();
    pools.addInput(20, 0.02L, eta, 1000);
    long double n = -1, c = -1, m = -1;
    pools.turnover(bat, 8.5L, n, c, m);
    QVERIFY2(near(n, dnmin), qPrintable(QString::number(double(n), 'g', 17)));
    QVERIFY(near(c, dcrep));
    QVERIFY(near(m, cminops));
    QVERIFY(near(pools.carbon(), 1000 - a));
    QVERIFY(near(pools.nitrogen(), (1000 - a) / 20));
  }

  // Equal cnr, k and eta share the first matching pool whatever the year; others are appended.
  void pooling() {
    OpsPools pools;
    pools.clear();
    pools.addInput(20, 0.02L, 0.3L, 1000);
    long double n, c, m;
    pools.turnover(0.1L, 8.5L, n, c, m);   // year 1 leaves 998
    pools.addInput(20, 0.02L, 0.4L, 100);  // other eta: new pool
    pools.addInput(20, 0.02L, 0.3L, 500);  // year 2, same substance behaviour
    pools.addInput(12, 0.02L, 0.3L, 60);   // other cnr: new pool
    const auto& p = pools.pools();
    QCOMPARE(p.size(), size_t(3));
    QVERIFY(near(p[0].cops, 1498));
    QVERIFY(near(p[1].cops, 100) && p[1].eta == 0.4L);
    QVERIFY(near(p[2].cops, 60) && p[2].cnr == 12);
    QVERIFY(near(pools.carbon(), 1658));
    QVERIFY(near(pools.nitrogen(), 1498.0L / 20 + 100.0L / 20 + 60.0L / 12));

    // Every pool decomposes in the same step, in list order.
    pools.turnover(0.1L, 8.5L, n, c, m);
    QVERIFY(near(c, 0.002L * (1498 * 0.3L + 100 * 0.4L + 60 * 0.3L)));

    pools.clear();
    QVERIFY(pools.pools().empty());
    QCOMPARE(double(pools.carbon()), 0.0);
  }

  void yearInput_data() {
    QTest::addColumn<double>("d");
    QTest::addColumn<double>("carbon");
    QTest::addColumn<int>("pools");
    QTest::addColumn<QList<double>>("rows");  // cops, cnr, cnr_alt, item_ix per input
    QTest::newRow("one input") << 400 * (1.0 / 10 - 1.0 / 12) << 400.0 << 1
                               << QList<double>{400, 12, 10, 201};
    QTest::newRow("item 9998 brings carbon only")
        << 0.0 << 400.0 << 1 << QList<double>{400, 12, 10, 9998};
    QTest::newRow("item 9998 with cnr_alt 0")
        << 0.0 << 400.0 << 1 << QList<double>{400, 12, 0, 9999};
    QTest::newRow("no carbon is skipped") << 0.0 << 0.0 << 0 << QList<double>{0, 12, 10, 201};
    QTest::newRow("two inputs one pool")
        << 400 * (1.0 / 10 - 1.0 / 12) + 100 * (1.0 / 8 - 1.0 / 12) << 500.0 << 1
        << QList<double>{400, 12, 10, 201, 100, 12, 8, 202};
    QTest::newRow("a year without rows") << 0.0 << 0.0 << 0 << QList<double>{};
  }
  void yearInput() {
    QFETCH(double, d);
    QFETCH(double, carbon);
    QFETCH(int, pools);
    QFETCH(QList<double>, rows);
    std::vector<OpsInput> in;
    for (int i = 0; i + 3 < rows.size(); i += 4)
      in.push_back(input(rows[i], rows[i + 1], rows[i + 2], 0.1L, 0.4L, qlonglong(rows[i + 3])));
    OpsPools p;
    p.clear();
    QVERIFY(near(trb::engine::add_year_inputs(p, in), d));
    QVERIFY(near(p.carbon(), carbon));
    QCOMPARE(int(p.pools().size()), pools);
  }

  // A zero ratio would write an infinite nitrogen amount into the results.
  void zeroRatioStops_data() {
    QTest::addColumn<double>("cnr");
    QTest::addColumn<double>("cnr_alt");
    QTest::addColumn<QString>("column");
    QTest::newRow("CNR") << 0.0 << 10.0 << "CNR";
    QTest::newRow("CNR_alt") << 12.0 << 0.0 << "CNR_alt";
  }
  void zeroRatioStops() {
    QFETCH(double, cnr);
    QFETCH(double, cnr_alt);
    QFETCH(QString, column);
    OpsPools p;
    p.clear();
    try {
      trb::engine::add_year_inputs(p, {input(400, cnr, cnr_alt, 0.1L, 0.4L, 201, "manure")});
      QFAIL("no stop");
    } catch (const trb::engine::CalcStop& e) {
      QVERIFY2(e.message().contains("201") && e.message().contains("manure") &&
                   e.message().contains(column),
               qPrintable(e.message()));
    }
  }

  void simulationQuantitiesAndOpstab() {
    trb::test::TempDb t;
    fillFixture(t.db);
    trb::test::RecordingFeedback fb;
    const QStringList& log = fb.lines;
    trb::engine::update_sim_quantities(t.db, fb);
    trb::engine::build_opstab(t.db, fb);
    QCOMPARE(log, QStringList({"sql 2:1", "sql 3:2", "crop_er :2", "crop_ap :1", "crop_oa :1",
                               "cops KPrecs:1", "cops OArecs:1", "cops ERrecs:2"}));

    QStringList sim;
    QSqlQuery q = t.db.query(
        "select FL_ID, year, Macode, Sim_Quantity from cultivation order by cultivation_id");
    while (q.next())
      sim << QStringLiteral("%1/%2/%3=%4")
                 .arg(q.value(0).toInt())
                 .arg(q.value(1).toInt())
                 .arg(q.value(2).toInt())
                 .arg(q.value(3).toDouble());
    // 60 * 1.9, 70 * 1.9, 30 * 100 * 0.25 * 0.4; irrigation and the other plot untouched.
    QCOMPARE(sim, QStringList({"10/2001/2=114", "10/2002/9=133", "10/2002/3=300", "10/2002/7=-1",
                               "11/2001/3=-1", "11/2001/2=-1"}));

    // By-product 70 * 0.8 * 100 * 0.86 * 0.45; residues (20 + 0.2 * N) * 30.
    QCOMPARE(opstabRows(t.db), QStringList({"10|2002|wheat straw|2167.2|KP|0.5|0.2|80|60|102",
                                            "10|2002|manure|300|OA|0.1|0.4|12|10|201",
                                            "10|2001|winter wheat|1284|ER|0.3|0.25|30|25|101",
                                            "10|2002|winter wheat|1398|ER|0.3|0.25|30|25|101"}));

    // The year's rows in the order of the table: straw, manure, residues.
    OpsPools p;
    p.clear();
    const long double d = trb::engine::ops_year_input(t.db, p, 10, 2002);
    QVERIFY(near(d,
                 2167.2L * (1.0L / 60 - 1.0L / 80) + 300 * (1.0L / 10 - 1.0L / 12) +
                     1398 * (1.0L / 25 - 1.0L / 30),
                 1e-9L));
    QCOMPARE(int(p.pools().size()), 3);
    QCOMPARE(double(p.pools()[0].cnr), 80.0);
    QCOMPARE(double(p.pools()[2].cnr), 30.0);
  }

  // Reading opstab once must give every plot and year the rows, in the order, of its own query.
  void bulkReadMatchesYearQuery() {
    trb::test::TempDb t;
    t.db.runNative(QStringLiteral(R"(
      CREATE TABLE opstab (FL_ID INTEGER, year_ INTEGER, NAME_ TEXT, COPS REAL, ctype TEXT,
                           K REAL, ETA REAL, CNR REAL, cnr_alt REAL, item_ix INTEGER);
      INSERT INTO opstab VALUES (7, 2001, 'c', 30, 'KP', 0.1, 0.2, 80, 60, 3),
        (3, 2002, 'b', 20, 'OA', 0.1, 0.4, 12, 10, 2), (7, 2001, 'a', 10, 'OA', 0.1, 0.4, 12, 10, 1),
        (3, 2001, 'd', 40, 'ER', 0.3, 0.25, 30, 25, 4), (7, 2001, 'e', 50, 'ER', 0.3, 0.25, 30, 25, 5),
        (3, 2002, 'f', 60, 'ER', 0.3, 0.25, 30, 25, 6);
    )"));
    trb::engine::OpsInputTable all;
    all.load(t.db);
    for (auto [fl, year] : {std::pair{7, 2001}, {3, 2001}, {3, 2002}, {7, 2002}, {5, 2001}}) {
      QStringList own, bulk;
      for (const OpsInput& r : trb::engine::read_ops_year(t.db, fl, year)) own << r.name;
      for (const OpsInput& r : all.rows(fl, year)) bulk << r.name;
      QCOMPARE(bulk, own);
    }
    QCOMPARE(all.rows(7, 2001).size(), size_t(3));
    QCOMPARE(all.rows(7, 2001)[1].name, QStringLiteral("a"));
  }
};

QTEST_GUILESS_MAIN(TestPools)
#include "tst_pools.moc"
