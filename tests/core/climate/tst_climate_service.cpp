// Creating and deleting climate stations: the key, the rows that come with a station, and all or
// nothing when a deletion fails.
#include <QtTest>

#include "core/climate/climate_service.h"
#include "core/db/database.h"
#include "testutil.h"

namespace {

int count(trb::db::Database& db, const QString& table, int id) {
  return db
      .scalar(
          QStringLiteral("select count(*) from ") + table + QStringLiteral(" where climate_id=?"),
          {id})
      .toInt();
}

}  // namespace

class TestClimateService : public QObject {
  Q_OBJECT

 private slots:
  void createInEmptyTable() {
    trb::test::TempDb t;
    t.db.execute(QStringLiteral("delete from climate_station"));
    const int key = trb::climate::create_station(t.db, QStringLiteral("Bad Lauchstädt"));
    QCOMPARE(key, 0);
    QCOMPARE(count(t.db, QStringLiteral("climate_station"), 0), 1);
    QSqlQuery w = t.db.query(QStringLiteral("select year from climate_data where climate_id=0"));
    QVERIFY(w.next());
    QCOMPARE(w.value(0).toInt(), 0);
    QVERIFY(!w.next());
    QSqlQuery d =
        t.db.query(QStringLiteral("select year, N_dep_y from reg_ndeposit where climate_id=0"));
    QVERIFY(d.next());
    QCOMPARE(d.value(0).toInt(), 0);
    QCOMPARE(d.value(1).toDouble(), 0.0);
    QVERIFY(!d.next());
    QVERIFY(trb::climate::stationNameUsed(t.db, QStringLiteral("bad lauchstädt")));
    QVERIFY(!trb::climate::stationNameUsed(t.db, QStringLiteral("x' or '1'='1")));
    // the next one follows the largest key
    t.db.execute(
        QStringLiteral("insert into climate_station (climate_id, station) values (41, 'b')"));
    QCOMPARE(trb::climate::create_station(t.db, QStringLiteral("c")), 42);
  }

  void deleteAllOrNothing() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const int id = t.db.scalar(QStringLiteral("select min(climate_id) from climate_data")).toInt();
    QVERIFY(count(t.db, QStringLiteral("climate_data"), id) > 0);
    QVERIFY(trb::climate::plotsUsingStation(t.db, id) > 0);
    t.db.execute(
        QStringLiteral("insert into reg_ndeposit (climate_id, year, N_dep_y) values (?, 0, 20)"),
        {id});

    // a failure of the last deletion leaves all three tables as they were
    t.db.runNative(QStringLiteral(
        "CREATE TRIGGER keep BEFORE DELETE ON reg_ndeposit BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    QVERIFY_THROWS_EXCEPTION(trb::Error, trb::climate::delete_station(t.db, id));
    QCOMPARE(count(t.db, QStringLiteral("climate_station"), id), 1);
    QVERIFY(count(t.db, QStringLiteral("climate_data"), id) > 0);
    QCOMPARE(t.db.transactionDepth(), 0);

    t.db.runNative(QStringLiteral("DROP TRIGGER keep"));
    const int others = t.db.scalar(QStringLiteral("select count(*) from climate_data")).toInt() -
                       count(t.db, QStringLiteral("climate_data"), id);
    trb::climate::delete_station(t.db, id);
    for (const char* table : {"climate_station", "climate_data", "reg_ndeposit"})
      QCOMPARE(count(t.db, QString::fromLatin1(table), id), 0);
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from climate_data")).toInt(), others);
  }
};

QTEST_GUILESS_MAIN(TestClimateService)
#include "tst_climate_service.moc"
