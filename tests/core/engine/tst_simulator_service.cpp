// The simulator's reads beside a calculation: the plots of the run and the compared pairs of one
// plot, as typed rows.
#include <QtTest>

#include "core/engine/simulator_service.h"
#include "testutil.h"

using trb::engine::SimulatorService;
using trb::test::TempDb;

class TstSimulatorService : public QObject {
  Q_OBJECT

 private slots:
  // Only selected plots with a station and a soil come back, in key order, with their names.
  void selectedSites() {
    TempDb t(QStringLiteral("demo"));
    SimulatorService service(t.db);
    const QList<qlonglong> all = [&] {
      QList<qlonglong> ids;
      QSqlQuery q = t.db.query(QStringLiteral("select FL_ID from site_state order by FL_ID"));
      while (q.next()) ids << q.value(0).toLongLong();
      return ids;
    }();
    QVERIFY(all.size() >= 3);
    service.selectPlots({all.at(2), all.at(0)});
    const auto rows = service.selectedSites();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).flId, all.at(0));
    QCOMPARE(rows.at(1).flId, all.at(2));
    const QVariant location = t.db.scalar(
        QStringLiteral("select Location from field_description where FL_ID=?"), {all.at(0)});
    QCOMPARE(rows.at(0).location, location.toString());
    QVERIFY(!rows.at(0).station.isEmpty());

    // a plot whose soil is gone is not listed
    t.db.execute(QStringLiteral("update field_description set soil_ID=-5 where FL_ID=?"),
                 {all.at(0)});
    QCOMPARE(service.selectedSites().size(), 1);
    service.selectPlots({});
    QVERIFY(service.selectedSites().isEmpty());
  }

  // The pairs of one plot with a simulated value, soil carbon only, in year order.
  void assessmentPairs() {
    TempDb t(QStringLiteral("schema"));
    const QString insert = QStringLiteral(
        "insert into rs_table (meas_id, FL_ID, M_IX, YEAR_, YEAR_NUM, MEAS_VALUE, SIM_value) "
        "values (?, ?, ?, ?, ?, ?, ?)");
    t.db.execute(insert, {11, 5, 7, 1999, 1, 1.5, 1.4});
    t.db.execute(insert, {10, 5, 7, 1995, 1, 1.2, 1.25});
    t.db.execute(insert, {12, 5, 7, 2001, 1, 1.3, -99});  // not simulated
    t.db.execute(insert, {13, 5, 8, 1997, 1, 0.1, 0.2});  // not soil carbon
    t.db.execute(insert, {14, 6, 7, 1997, 1, 1.0, 1.1});  // another plot
    SimulatorService service(t.db);
    const auto pairs = service.assessmentPairs(5);
    QCOMPARE(pairs.size(), 2);
    QCOMPARE(pairs.at(0).year, 1995);
    QCOMPARE(pairs.at(0).measured, 1.2);
    QCOMPARE(pairs.at(0).simulated, 1.25);
    QCOMPARE(pairs.at(0).measId, 10);
    QCOMPARE(pairs.at(1).measId, 11);
    QVERIFY(service.assessmentPairs(99).isEmpty());
  }
};

QTEST_GUILESS_MAIN(TstSimulatorService)
#include "tst_simulator_service.moc"
