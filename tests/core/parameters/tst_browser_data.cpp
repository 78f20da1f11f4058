#include <QtTest>

#include "core/db/database.h"
#include "core/parameters/browser_data.h"
#include "testutil.h"

namespace {

// Plots: 1 and 2 share station 10 with three weather rows, 2 already has a selection row that
// says "selected"; 3's station has no weather; 4's soil and 5's station do not exist.
void createSites(trb::db::Database& db) {
  db.runNative(QStringLiteral(
      "CREATE TABLE field_description (FL_ID INTEGER, versuch_code TEXT, Location TEXT, "
      " site_description TEXT, Herkunft TEXT, classification TEXT, comment TEXT, soil_ID INTEGER, "
      " climate_ID INTEGER, mw_bat REAL, area REAL);"
      "CREATE TABLE site_state (FL_ID INTEGER, status INTEGER, flag INTEGER);"
      "CREATE TABLE soilproperties (soil_ID INTEGER, profile TEXT, BA_RBS_CODE TEXT, BA_RBS TEXT,"
      " BA_KA4 TEXT, BA_LfL TEXT, clay REAL, silt REAL, sand REAL, FAT REAL, PWP REAL, FC REAL,"
      " PV REAL, PD REAL, BD REAL);"
      "CREATE TABLE climate_station (climate_ID INTEGER, station TEXT);"
      "CREATE TABLE climate_data (climate_ID INTEGER, day INTEGER, month INTEGER, year INTEGER,"
      " temperature REAL, precipitation REAL);"
      "INSERT INTO field_description VALUES"
      " (1, 'V1', 'Halle', 'control', '1', '-', '-', 100, 10, 150.5, 1.2),"
      " (2, 'V1', 'Halle', 'manure', '2', '-', '-', 100, 10, 160.0, -99),"
      " (3, 'V2', 'Bad Lauchstaedt', 'NPK', '1', '-', '-', 101, 11, -99, -99),"
      " (4, 'V2', 'Bad Lauchstaedt', 'PK', '2', '-', '-', 999, 10, -99, -99),"
      " (5, 'V3', 'Dikopshof', 'NP', '1', '-', '-', 101, 99, -99, -99);"
      "INSERT INTO site_state VALUES (2, 1, 0);"
      "INSERT INTO soilproperties VALUES"
      " (100, 'Halle lS', 'lS', 'Sl4', 'Sl4', 'x', 8, 30, 62, 12, 10, 28, 40, 2.65, 1.5),"
      " (101, 'BL Lo', 'L', 'Ut4', 'Ut4', 'y', 21, 68, 11, 30, 15, 35, 45, 2.6, 1.45);"
      "INSERT INTO climate_station VALUES (10, 'Halle'), (11, 'Bad Lauchstaedt');"
      "INSERT INTO climate_data VALUES (10, 1, 1, 0, 9.0, 500), (10, 1, 1, 1990, 10.0, 450),"
      " (10, 1, 1, 1991, 8.0, 520);"));
}

}  // namespace

class TstBrowserData : public QObject {
  Q_OBJECT

 private slots:
  void resetSiteState() {
    trb::test::TempDb t(QStringLiteral("empty"));
    createSites(t.db);
    QCOMPARE(trb::parameters::reset_site_state(t.db), 1);
    auto state = [&] {
      QStringList out;
      QSqlQuery q = t.db.query(QStringLiteral("select * from site_state order by FL_ID"));
      while (q.next())
        out << QStringLiteral("%1:%2:%3")
                   .arg(q.value(0).toInt())
                   .arg(q.value(1).toInt())
                   .arg(q.value(2).toInt());
      return out;
    };
    // Plot 1 gains its row, plot 2 keeps its selection, 3 to 5 get none.
    QCOMPARE(state(), (QStringList{"1:0:0", "2:1:0"}));
    QCOMPARE(trb::parameters::reset_site_state(t.db), 0);
    QCOMPARE(state(), (QStringList{"1:0:0", "2:1:0"}));
  }

  void siteOverview() {
    trb::test::TempDb t(QStringLiteral("empty"));
    createSites(t.db);
    QSqlQuery q = t.db.query(trb::parameters::siteOverviewSql() +
                             QStringLiteral(" ORDER BY field_description.FL_ID"));
    QStringList got;
    while (q.next()) {
      got << QStringLiteral("%1 %2 %3 %4 %5 %6")
                 .arg(q.value(QStringLiteral("FL_ID")).toString(),
                      q.value(QStringLiteral("station")).toString(),
                      q.value(QStringLiteral("profile")).toString(),
                      q.value(QStringLiteral("mwtemp")).toString(),
                      q.value(QStringLiteral("mwprec")).toString(),
                      q.value(QStringLiteral("ycnt")).toString());
    }
    QCOMPARE(got, (QStringList{"1 Halle Halle lS 9 490 3", "2 Halle Halle lS 9 490 3"}));

    QSqlQuery one = t.db.query(trb::parameters::siteDescriptionSql(), {2});
    QVERIFY(one.next());
    QCOMPARE(one.value(QStringLiteral("site_description")).toString(), QStringLiteral("manure"));
    QVERIFY(!one.next());
  }

  void everyDemoPlotHasOneSelectionRow() {
    trb::test::TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("delete * from site_state where FL_ID > 5"));
    const int kept = t.db.scalar(QStringLiteral("select count(*) from site_state")).toInt();
    const int appended = trb::parameters::reset_site_state(t.db);
    QSet<int> overview;
    QSqlQuery q = t.db.query(trb::parameters::siteOverviewSql());
    while (q.next()) overview.insert(q.value(0).toInt());
    QVERIFY(!overview.isEmpty());
    QSqlQuery s = t.db.query(QStringLiteral("select FL_ID from site_state"));
    QList<int> rows;
    while (s.next()) rows << s.value(0).toInt();
    const QSet<int> state(rows.begin(), rows.end());
    QCOMPARE(state.size(), rows.size());  // one row per plot
    QCOMPARE(rows.size(), kept + appended);
    QVERIFY(appended > 0);
    QVERIFY(state.contains(overview));
  }
};

QTEST_GUILESS_MAIN(TstBrowserData)
#include "tst_browser_data.moc"
