// Measurements without a window: the initial value and the experiment years counted from it,
// numbers typed in a decimal-comma locale, the row rules of the editor, deleting and copying.
#include <QtTest>

#include "core/db/database.h"
#include "core/records/measurement_records.h"
#include "testutil.h"

using trb::parameters::MeasurementRow;
using trb::records::MeasurementInput;
using trb::records::SaveMode;

namespace {

// Plot 1: carbon initial value 1990 with a 1995 carbon measurement, nitrogen of 1990 and 1995,
// and comparison rows; plot 2 has comparison rows of its own.
void addMeasurements(trb::db::Database& db) {
  db.runNative(QStringLiteral(
      "INSERT INTO measurements (meas_id, FL_ID, M_IX, day, month, year, year_number, meas_value) "
      "VALUES (1, 1, 7, 15, 3, 1990, 0, 1.2), (2, 1, 7, 20, 3, 1995, 6, 1.1),"
      " (3, 1, 0, 15, 3, 1990, 0, 0.12), (4, 1, 0, 20, 3, 1995, 6, 0.11);"
      "INSERT INTO rs_table (FL_ID, M_IX, YEAR_, YEAR_NUM, MEAS_VALUE) VALUES"
      " (1, 7, 1990, 0, 1.2), (1, -7, 1991, 2, -99), (2, 7, 1990, 0, 1.0)"));
}

// "meas_id m_ix year year_number value" of plot fl, by key.
QStringList rows(trb::db::Database& db, qlonglong fl = 1) {
  QStringList out;
  QSqlQuery q = db.query(QStringLiteral("select meas_id, M_IX, year, year_number, meas_value "
                                        "from measurements where FL_ID=? order by meas_id"),
                         {fl});
  while (q.next())
    out << QStringLiteral("%1 %2 %3 %4 %5")
               .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                    q.value(3).toString(), q.value(4).toString());
  return out;
}

int resultRows(trb::db::Database& db, qlonglong fl) {
  return db.scalar(QStringLiteral("select count(*) from rs_table where fl_id=?"), {fl}).toInt();
}

MeasurementInput input(int mIx, const QDate& date, const QString& value, bool initial = false) {
  MeasurementInput in;
  in.mIx = mIx;
  in.date = date;
  in.value = value;
  in.initialValue = initial;
  return in;
}

}  // namespace

class TstMeasurementRecords : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

  // A new carbon initial value of 1992 over the one of 1990: the old one is set aside, the 1995
  // measurement becomes year 4, nitrogen keeps its years, the plot loses its comparison rows.
  void newInitialValueRenumbers() {
    trb::test::TempDb t;
    addMeasurements(t.db);
    const auto saved = trb::records::save_measurement(
        t.db, 1, 1990, input(7, QDate(1992, 4, 1), QStringLiteral("1,25"), true));
    QCOMPARE(saved.firstYear, 1992);
    QCOMPARE(saved.yearNumber, 0);
    QCOMPARE(rows(t.db), (QStringList{"1 7 1990 -99 1.2", "2 7 1995 4 1.1", "3 0 1990 0 0.12",
                                      "4 0 1995 6 0.11", "5 7 1992 0 1.25"}));
    QCOMPARE(resultRows(t.db, 1), 0);
    QCOMPARE(resultRows(t.db, 2), 1);
    // later measurements count from the new first year; one in that year itself is year 1
    trb::records::save_measurement(t.db, 1, saved.firstYear,
                                   input(7, QDate(1992, 10, 1), QStringLiteral("1,3")));
    trb::records::save_measurement(t.db, 1, saved.firstYear,
                                   input(7, QDate(1997, 10, 1), QStringLiteral("1,0")));
    QCOMPARE(rows(t.db).mid(5), (QStringList{"6 7 1992 1 1.3", "7 7 1997 6 1"}));
  }

  // Overwriting the initial value itself keeps it the initial value.
  void overwriteInitialValue() {
    trb::test::TempDb t;
    addMeasurements(t.db);
    MeasurementInput in = input(7, QDate(1991, 3, 15), QStringLiteral("1,4"), true);
    in.mode = SaveMode::Overwrite;
    in.measId = 1;
    const auto saved = trb::records::save_measurement(t.db, 1, 1990, in);
    QCOMPARE(saved.measId, 1);
    QCOMPARE(rows(t.db).mid(0, 2), (QStringList{"1 7 1991 0 1.4", "2 7 1995 5 1.1"}));
    in.measId = 99;
    QVERIFY_THROWS_EXCEPTION(trb::Error, trb::records::save_measurement(t.db, 1, 1991, in));
  }

  // Without an initial value carbon is refused; another property counts from year -99.
  void plotWithoutInitialValue() {
    trb::test::TempDb t;
    addMeasurements(t.db);
    try {
      trb::records::save_measurement(t.db, 3, -99, input(7, QDate(1995, 1, 1), "1,1"));
      QFAIL("a carbon value was stored without initial value");
    } catch (const trb::Error& e) {
      QCOMPARE(e.message(), QStringLiteral("please edit first the initial value"));
      QCOMPARE(e.caption(), QStringLiteral("OPERATION DENIED"));
    }
    QVERIFY(rows(t.db, 3).isEmpty());
    const auto saved =
        trb::records::save_measurement(t.db, 3, -99, input(5, QDate(1995, 1, 1), "310"));
    QCOMPARE(saved.yearNumber, 1995 + 100);
    QCOMPARE(saved.firstYear, -99);
  }

  void typedValue_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");  // empty: refused
    QTest::newRow("decimal comma") << "0,5"
                                   << "0.5";
    QTest::newRow("negative") << "-2"
                              << "-2";
    QTest::newRow("empty stores 0") << "  "
                                    << "0";
    QTest::newRow("decimal point") << "0.5"
                                   << "";
    QTest::newRow("text") << "n.b."
                          << "";
  }
  void typedValue() {
    QFETCH(QString, value);
    QFETCH(QString, stored);
    trb::test::TempDb t;
    addMeasurements(t.db);
    const QStringList before = rows(t.db);
    const MeasurementInput in = input(5, QDate(1996, 6, 1), value);
    if (stored.isEmpty()) {
      try {
        trb::records::save_measurement(t.db, 1, 1990, in);
        QFAIL("the value was taken");
      } catch (const trb::Error& e) {
        QVERIFY2(e.message().contains(QStringLiteral("value")), qPrintable(e.message()));
      }
      QCOMPARE(rows(t.db), before);
      QCOMPARE(resultRows(t.db, 1), 2);
      return;
    }
    trb::records::save_measurement(t.db, 1, 1990, in);
    QCOMPARE(rows(t.db).last(), QStringLiteral("5 5 1996 7 ") + stored);
  }

  // A failure at the last step of an initial-value save leaves every row as it was.
  void failedSaveChangesNothing() {
    trb::test::TempDb t;
    addMeasurements(t.db);
    t.db.runNative(
        QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON rs_table "
                       "BEGIN SELECT RAISE(ABORT, 'forced failure'); END"));
    const QStringList before = rows(t.db);
    QVERIFY_THROWS_EXCEPTION(
        trb::Error,
        trb::records::save_measurement(t.db, 1, 1990, input(7, QDate(1992, 4, 1), "1,25", true)));
    QCOMPARE(rows(t.db), before);
    QCOMPARE(resultRows(t.db, 1), 2);
    QCOMPARE(t.db.transactionDepth(), 0);
  }

  void rowRules_data() {
    QTest::addColumn<int>("mIx");
    QTest::addColumn<int>("yearNumber");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("overwrite");
    QTest::newRow("carbon initial value") << 7 << 0 << true << true;
    QTest::newRow("carbon, year 4") << 7 << 4 << false << true;
    QTest::newRow("nitrogen initial value") << 0 << 0 << false << false;
    QTest::newRow("active pool deviation") << -1 << 0 << false << false;
    QTest::newRow("microbial carbon") << 5 << 3 << false << true;
  }
  void rowRules() {
    QFETCH(int, mIx);
    QFETCH(int, yearNumber);
    QFETCH(bool, ticked);
    QFETCH(bool, overwrite);
    MeasurementRow row;
    row.mIx = mIx;
    row.yearNumber = yearNumber;
    QCOMPARE(trb::records::isCarbonInitialValue(row), ticked);
    QCOMPARE(trb::records::saveModeForRow(row) == SaveMode::Overwrite, overwrite);
  }

  void recordDate_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<QDate>("date");
    QTest::newRow("full date") << 15 << 3 << QDate(1990, 3, 15);
    QTest::newRow("no day") << 0 << 3 << QDate(1990, 1, 1);
    QTest::newRow("no month") << 15 << -99 << QDate(1990, 1, 1);
    QTest::newRow("no such day") << 31 << 2 << QDate();
  }
  void recordDate() {
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(QDate, date);
    QCOMPARE(trb::records::recordDate(day, month, 1990), date);
  }

  // Copies keep their year numbers; the target's rows stay; a plot onto itself doubles.
  void deleteAndCopy() {
    trb::test::TempDb t;
    addMeasurements(t.db);
    QCOMPARE(trb::records::delete_measurement(t.db, 4), 1);
    QCOMPARE(trb::records::delete_measurement(t.db, 4), 0);
    QCOMPARE(trb::records::copy_measurements(t.db, 1, 2), 3);
    QStringList copied = rows(t.db, 2);
    for (QString& r : copied) r = r.section(u' ', 1);
    copied.sort();
    QCOMPARE(copied, (QStringList{"0 1990 0 0.12", "7 1990 0 1.2", "7 1995 6 1.1"}));
    QCOMPARE(trb::records::copy_measurements(t.db, 1, 1), 3);
    QCOMPARE(rows(t.db).size(), 6);
  }
};

QTEST_GUILESS_MAIN(TstMeasurementRecords)
#include "tst_measurement_records.moc"
