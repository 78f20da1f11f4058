// Biologically active time: the interpolation, the reading of its table and the building of
// tmp_bat from weather, irrigation and soil.
#include <QSqlQuery>
#include <QtTest>

#include "core/db/database.h"
#include "core/engine/bat.h"
#include "core/engine/calc_stop.h"
#include "testutil.h"

using trb::engine::BatOptions;
using trb::engine::WmzTable;

namespace {

// Three selected plots on stations with a year of their own, only the long-term mean, and no
// precipitation at all; a fourth plot is not selected. Plot 10 is irrigated twice in 2001.
void fillFixture(trb::db::Database& db) {
  db.runNative(QStringLiteral(R"(
    DELETE FROM field_description; DELETE FROM site_state; DELETE FROM climate_data;
    DELETE FROM cultivation; DELETE FROM BAT_FAK;
    INSERT INTO field_description (FL_ID, soil_ID, climate_ID, mw_bat) VALUES
      (10, 1, 1, 30.5), (11, 1, 2, 31), (12, 1, 3, 41.2), (13, 1, 1, 20);
    INSERT INTO site_state (FL_ID, status) VALUES (10, 1), (11, 1), (12, 1), (13, 0);
    INSERT INTO climate_data (climate_ID, year, temperature, precipitation) VALUES
      (1, 0, 8.5, 550.5), (1, 2001, 9, 480.4), (2, 0, 9, 551.5), (3, 0, 7, 0);
    INSERT INTO cultivation (FL_ID, year, Macode, Item_IX, Quantity) VALUES
      (10, 2001, 2, 1, 60), (10, 2001, 7, -99, 10.2), (10, 2001, 7, -99, 10.2),
      (10, 2002, 2, 1, 60), (11, 2001, 2, 1, 60), (12, 2001, 2, 1, 60),
      (13, 2001, 2, 1, 60), (13, 2001, 7, -99, 50);
    INSERT INTO BAT_FAK (soil_cat, A, P1, P2, P3, P4, P5, P6, P7, P8, P9, P10, P11, P12, P13, P14,
                         P15, P16, P17, P18, P19)
      VALUES (1, 1, 0, 0, 2, 0.01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    DROP TABLE IF EXISTS tmp_soil_prop;
    CREATE TABLE tmp_soil_prop (FL_ID INTEGER, FAT REAL, clay REAL, Silt REAL, PV REAL, PWP REAL,
                                FC REAL, soil_cat INTEGER);
    INSERT INTO tmp_soil_prop VALUES (10, 10, 12, 60, 42, 12, 30, 1), (11, 10, 12, 60, 42, 12, 30, 1),
                                     (12, 10, 12, 60, 42, 12, 30, 5);
  )"));
}

// "fl_id/year=value" for every row of a query, in its order.
QStringList rowsOf(trb::db::Database& db, const QString& sql) {
  QStringList out;
  QSqlQuery q = db.query(sql);
  while (q.next())
    out << QStringLiteral("%1/%2=%3")
               .arg(q.value(0).toLongLong())
               .arg(q.value(1).toLongLong())
               .arg(q.value(2).toDouble());
  return out;
}

}  // namespace

class TestBat : public QObject {
  Q_OBJECT

 private slots:
  void interpolation_data() {
    QTest::addColumn<double>("ltem");
    QTest::addColumn<double>("rain");
    QTest::addColumn<double>("fat");
    QTest::addColumn<double>("bat");
    // FAT 10 lies between rows 2 and 3: o = 4/7, L(2) = 45.4909, L(3) = 43.7228.
    QTest::newRow("worked example") << 9.0 << 500.0 << 10.0 << 44.481;
    QTest::newRow("rain 300 counts as 450") << 9.0 << 300.0 << 10.0 << 44.105;
    QTest::newRow("rain 450") << 9.0 << 450.0 << 10.0 << 44.105;
    QTest::newRow("rain 900 counts as 700") << 9.0 << 900.0 << 10.0 << 45.982;
    QTest::newRow("rain 700") << 9.0 << 700.0 << 10.0 << 45.982;
    QTest::newRow("rain 699") << 9.0 << 699.0 << 10.0 << 45.975;
    QTest::newRow("fat below the first row") << 9.0 << 500.0 << 3.0 << 47.123;
    QTest::newRow("fat on the first row") << 9.0 << 500.0 << 6.0 << 47.123;
    QTest::newRow("fat on row 2 gives L(2)") << 9.0 << 500.0 << 8.0 << 45.491;
    QTest::newRow("fat on the last row") << 9.0 << 500.0 << 44.0 << 23.848;
    QTest::newRow("fat above the last row") << 9.0 << 500.0 << 50.0 << 23.848;
    QTest::newRow("between rows 4 and 5") << 12.0 << 600.0 << 22.0 << 33.308;
  }
  void interpolation() {
    QFETCH(double, ltem);
    QFETCH(double, rain);
    QFETCH(double, fat);
    QFETCH(double, bat);
    QCOMPARE(trb::engine::interpolated_bat(WmzTable(), ltem, rain, fat), bat);
  }

  void workedExampleUnrounded() {
    const double expected = (3.0 / 7) * 45.4909 + (4.0 / 7) * 43.7228;
    QVERIFY(qAbs(WmzTable().wmz_pas(9, 500, 10) - expected) < 1e-12);
  }

  void readPrm4wmz() {
    trb::test::TempDb t;
    WmzTable table;
    t.db.runNative(QStringLiteral(
        "DELETE FROM wmzprm; INSERT INTO wmzprm VALUES (5, 1, 0.1, 2), (9, 1.5, 0.2, 3);"));
    QVERIFY(table.read_prm4wmz(t.db));
    QCOMPARE(table.rows()[0].xfat, 5.0);
    QCOMPARE(table.rows()[1].xc, 3.0);
    QCOMPARE(table.rows()[2].xfat, 11.5);  // no third row: built-in value kept
    QCOMPARE(table.rows()[6].xc, 22.93);

    // Rows beyond the seventh are ignored.
    t.db.runNative(QStringLiteral("DELETE FROM wmzprm;"));
    for (int i = 1; i <= 9; ++i)
      t.db.runNative(QStringLiteral("INSERT INTO wmzprm VALUES (%1, 1, 1, %1);").arg(i * 10));
    QVERIFY(table.read_prm4wmz(t.db));
    QCOMPARE(table.rows()[6].xfat, 70.0);
    QCOMPARE(table.wmz_pas(0, 0, 500), 70.0);

    // A failed read keeps the previous load.
    t.db.runNative(QStringLiteral("DROP TABLE wmzprm;"));
    QVERIFY(!table.read_prm4wmz(t.db));
    QCOMPARE(table.rows()[6].xfat, 70.0);
  }

  // Precipitation and irrigation arrive in whole millimetres (half to even), temperature keeps its
  // decimals; the year's weather wins over the long-term mean, which fills the missing years.
  void climateTables() {
    trb::test::TempDb t;
    fillFixture(t.db);
    trb::engine::build_beregnung_jsum(t.db);
    trb::engine::build_clim4sim(t.db);
    QCOMPARE(rowsOf(t.db, "select FL_ID, jahr, SMenge from beregnung_jsum order by FL_ID"),
             QStringList({"10/2001=20.4", "13/2001=50"}));
    QCOMPARE(rowsOf(t.db, "select FL_ID, year_, ltem from eff_climate order by FL_ID, year_"),
             QStringList({"10/2001=9", "10/2002=8.5", "11/2001=9", "12/2001=7"}));
    QCOMPARE(rowsOf(t.db, "select FL_ID, year_, nied from eff_climate order by FL_ID, year_"),
             QStringList({"10/2001=480", "10/2002=550", "11/2001=552", "12/2001=0"}));
    QCOMPARE(rowsOf(t.db, "select FL_ID, year_, irrig from eff_climate order by FL_ID, year_"),
             QStringList({"10/2001=20", "10/2002=0", "11/2001=0", "12/2001=0"}));
    QCOMPARE(rowsOf(t.db, "select FL_ID, year_, rain from clim4sim order by FL_ID, year_"),
             QStringList({"10/2001=500", "10/2002=550", "11/2001=552", "12/2001=0"}));
  }

  void tmpBat_data() {
    QTest::addColumn<bool>("recalc");
    QTest::addColumn<bool>("simple");
    QTest::addColumn<QStringList>("bat");
    QTest::addColumn<QStringList>("log");
    // Rain 0 on plot 12 keeps its stored mean.
    QTest::newRow("interpolation")
        << true << true
        << QStringList({"10/2001=44.481", "10/2002=43.299", "11/2001=44.871", "12/2001=41.2"})
        << QStringList({"simple_bat=yes", "tmp bat :4", "updt tmp bat :4"});
    // BAT = 1 + 2 ltem + 0.01 rain, rain not limited; soil class 5 of plot 12 has no row.
    QTest::newRow("regression") << true << false
                                << QStringList({"10/2001=24", "10/2002=23.5", "11/2001=24.52"})
                                << QStringList({"missing data for FL_ID12: soil_cat 5 has no "
                                                "row in BAT_FAK",
                                                "simple_bat=no", "updt tmp bat :3"});
    QTest::newRow("stored means") << false << true
                                  << QStringList({"10/2001=30.5", "10/2002=30.5", "11/2001=31",
                                                  "12/2001=41.2"})
                                  << QStringList();
  }
  void tmpBat() {
    QFETCH(bool, recalc);
    QFETCH(bool, simple);
    QFETCH(QStringList, bat);
    QFETCH(QStringList, log);
    trb::test::TempDb t;
    fillFixture(t.db);
    trb::test::RecordingFeedback fb;
    const QStringList& lines = fb.lines;
    BatOptions options;
    options.recalc_bat = recalc;
    options.simple_version = simple;
    trb::engine::build_tmp_bat(t.db, WmzTable(), options, fb);
    QCOMPARE(rowsOf(t.db, "select FL_ID, year_0, BAT from tmp_bat order by FL_ID, year_0"), bat);
    QCOMPARE(lines, log);
  }

  void interpolationTableIndex() {
    trb::test::TempDb t;
    fillFixture(t.db);
    trb::Feedback silent;
    trb::engine::build_tmp_bat(t.db, WmzTable(), BatOptions(), silent);
    const QString index =
        t.db.scalar(
                "select sql from sqlite_master where name = 'idx_fl_yr' and tbl_name = 'tmp_bat'")
            .toString();
    QVERIFY2(index.contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive), qPrintable(index));
    QCOMPARE(rowsOf(t.db, "select FL_ID, year_0, FAT from tmp_bat where FL_ID = 10"),
             QStringList({"10/2001=10", "10/2002=10"}));
  }

  // A plot-year without weather and without a long-term row has ltem -99.99: both variants stop,
  // naming the plot, its station and the year.
  void missingWeatherStops_data() {
    QTest::addColumn<bool>("simple");
    QTest::newRow("interpolation") << true;
    QTest::newRow("regression") << false;
  }
  void missingWeatherStops() {
    QFETCH(bool, simple);
    trb::test::TempDb t;
    fillFixture(t.db);
    t.db.runNative(QStringLiteral(
        "INSERT INTO field_description (FL_ID, soil_ID, climate_ID, mw_bat) VALUES (14, 1, 9, 25);"
        "INSERT INTO climate_station (climate_ID, station) VALUES (9, 'Dry Hill');"
        "INSERT INTO site_state (FL_ID, status) VALUES (14, 1);"
        "INSERT INTO cultivation (FL_ID, year, Macode, Item_IX, Quantity) VALUES (14, 2001, 2, 1, "
        "5);"
        "INSERT INTO tmp_soil_prop VALUES (14, 10, 12, 60, 42, 12, 30, 1);"));
    BatOptions options;
    options.simple_version = simple;
    bool stopped = false;
    trb::Feedback silent;
    try {
      trb::engine::build_tmp_bat(t.db, WmzTable(), options, silent);
    } catch (const trb::engine::CalcStop& e) {
      stopped = true;
      QCOMPARE(e.message(),
               QStringLiteral("LTEM<0 aufgetreten ! (FL_ID 14, station Dry Hill, year 2001)"));
      QCOMPARE(e.caption(), QStringLiteral("unvollständige Klimadaten ?"));
    }
    QVERIFY(stopped);
  }

  // Two start measurements of one plot duplicate its years: the unique index refuses them.
  void duplicateSoilRowsFail() {
    trb::test::TempDb t;
    fillFixture(t.db);
    t.db.runNative(
        QStringLiteral("INSERT INTO tmp_soil_prop VALUES (11, 10, 12, 60, 42, 12, 30, 1);"));
    trb::Feedback silent;
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError,
                             trb::engine::build_tmp_bat(t.db, WmzTable(), BatOptions(), silent));
  }
};

QTEST_GUILESS_MAIN(TestBat)
#include "tst_bat.moc"
