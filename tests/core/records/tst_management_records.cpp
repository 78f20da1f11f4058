// Management records without a window: the action table, numbers typed in a decimal-comma locale,
// saving, deleting and copying.
#include <QtTest>

#include "core/db/database.h"
#include "core/records/management_records.h"
#include "testutil.h"

using trb::records::ManagementInput;
using trb::records::SaveMode;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

// Plot 1: a harvest and a fertilisation; plot 2: one harvest.
void addRecords(trb::db::Database& db) {
  db.runNative(QStringLiteral(
      "INSERT INTO cultivation (cultivation_id, FL_ID, FL_ID_alt, day, month, year, Macode, "
      "Item_IX, Quantity, Sim_Quantity) VALUES"
      " (10, 1, 100, 1, 8, 1990, 2, 1, 55.5, 80),"
      " (11, 1, 50, 15, 4, 1990, 4, 2, 120, 100),"
      " (12, 2, 100, 3, 8, 1991, 9, 3, 60, 90)"));
}

QStringList rows(trb::db::Database& db, qlonglong fl) {
  QStringList out;
  QSqlQuery q =
      db.query(QStringLiteral("select day, month, year, Macode, Item_IX, Quantity, Sim_Quantity, "
                              "FL_ID_alt from cultivation where FL_ID=? order by cultivation_id"),
               {fl});
  while (q.next()) {
    QStringList cells;
    for (int i = 0; i < 8; ++i)
      cells << (q.value(i).isNull() ? QStringLiteral("null") : q.value(i).toString());
    out << cells.join(u' ');
  }
  return out;
}

}  // namespace

class TstManagementRecords : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(kGerman); }

  void actionTable_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("objekt");  // -1000: every object
    QTest::addColumn<int>("rowObjekt");
    QTest::addColumn<bool>("keepsCrop");
    QTest::addColumn<QString>("label");  // "=": stays as it is
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("amountMinus99");
    QTest::addColumn<bool>("objectClearsAmount");
    QTest::newRow("0") << 0 << 5 << -99 << false << "lower calc. layer" << false << false << true;
    QTest::newRow("2 harvest") << 2 << 1 << 1 << true << "N-uptake (kg/ha)=" << true << false
                               << true;
    QTest::newRow("9 harvest") << 9 << 1 << 1 << true << "N-uptake (kg/ha)=" << true << false
                               << true;
    QTest::newRow("3 amendment") << 3 << 3 << 3 << false << "C-input (kg/ha)=" << true << false
                                 << true;
    QTest::newRow("4 mineral N") << 4 << 4 << 4 << false << "NH4-amount (%)=" << false << false
                                 << true;
    QTest::newRow("7 irrigation") << 7 << -1000 << 7 << false << "" << false << false << true;
    QTest::newRow("21") << 21 << 21 << 21 << false << "xxx=" << true << true << false;
    QTest::newRow("23") << 23 << 23 << 23 << false << "xxx=" << true << true << true;
    QTest::newRow("other") << 99 << -99 << -99 << false << "=" << true << false << true;
  }
  void actionTable() {
    QFETCH(int, code);
    QFETCH(int, objekt);
    QFETCH(int, rowObjekt);
    QFETCH(bool, keepsCrop);
    QFETCH(QString, label);
    QFETCH(bool, enabled);
    QFETCH(bool, amountMinus99);
    QFETCH(bool, objectClearsAmount);
    const trb::records::ActionRule r = trb::records::actionRule(code);
    QCOMPARE(r.objekt.value_or(-1000), objekt);
    QCOMPARE(r.rowObjekt, rowObjekt);
    QCOMPARE(r.keepsCrop, keepsCrop);
    QCOMPARE(r.secondLabel.value_or(QStringLiteral("=")), label);
    QCOMPARE(r.secondEnabled, enabled);
    QCOMPARE(r.amountMinus99, amountMinus99);
    QCOMPARE(r.objectClearsAmount, objectClearsAmount);
  }

  // In a decimal-comma locale the comma is the decimal separator and a point is refused.
  void typedAmount_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("stored");  // empty: refused
    QTest::newRow("decimal comma") << "12,5"
                                   << "12.5";
    QTest::newRow("whole") << " 40 "
                           << "40";
    QTest::newRow("negative") << "-2"
                              << "-2";
    QTest::newRow("decimal point") << "12.5"
                                   << "";
    QTest::newRow("grouped") << "1.250"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("text") << "viel"
                          << "";
    QTest::newRow("quote") << "1'); delete from cultivation; --"
                           << "";
  }
  void typedAmount() {
    QFETCH(QString, amount);
    QFETCH(QString, stored);
    trb::test::TempDb t;
    addRecords(t.db);
    ManagementInput in;
    in.date = QDate(1992, 5, 17);
    in.macode = 4;
    in.itemIx = 2;
    in.amount = amount;
    if (stored.isEmpty()) {
      try {
        trb::records::save_management_record(t.db, 1, in);
        QFAIL("the amount was taken");
      } catch (const trb::Error& e) {
        QVERIFY2(e.message().contains(QStringLiteral("amount")), qPrintable(e.message()));
      }
      QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from cultivation")).toInt(), 3);
      return;
    }
    const qlonglong key = trb::records::save_management_record(t.db, 1, in);
    QCOMPARE(t.db.scalar(QStringLiteral("select Quantity from cultivation where cultivation_id=?"),
                         {key})
                 .toDouble(),
             stored.toDouble());
  }

  // A new record in "LOC" mode covers the whole plot; in "REG" mode the second box gives the share.
  void insertTakesAreaShare_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("row");  // empty: refused
    QTest::newRow("LOC") << "LOC"
                         << "?"
                         << "17 5 1992 2 3 12.5 100 100";
    QTest::newRow("REG") << "REG"
                         << "50"
                         << "17 5 1992 2 3 12.5 50 50";
    QTest::newRow("REG, no number") << "REG"
                                    << "?"
                                    << "";
    QTest::newRow("REG, not whole") << "REG"
                                    << "50,5"
                                    << "";
  }
  void insertTakesAreaShare() {
    QFETCH(QString, mode);
    QFETCH(QString, second);
    QFETCH(QString, row);
    trb::test::TempDb t;
    addRecords(t.db);
    ManagementInput in;
    in.date = QDate(1992, 5, 17);
    in.macode = 2;
    in.itemIx = 3;
    in.amount = QStringLiteral("12,5");
    in.areaShare = trb::records::areaShareText(mode, second);
    const QStringList before = rows(t.db, 1);
    if (row.isEmpty()) {
      QVERIFY_THROWS_EXCEPTION(trb::Error,
                               trb::records::save_management_record(t.db, 1, in, kGerman));
      QCOMPARE(rows(t.db, 1), before);
      return;
    }
    trb::records::save_management_record(t.db, 1, in, kGerman);
    QCOMPARE(rows(t.db, 1), before + QStringList{row});
  }

  // Overwriting changes the record of the plot in place and keeps its FL_ID_alt; a record that is
  // gone or not chosen is reported, not silently skipped.
  void overwrite() {
    trb::test::TempDb t;
    addRecords(t.db);
    ManagementInput in;
    in.mode = SaveMode::Overwrite;
    in.cultivationId = 11;
    in.date = QDate(1993, 6, 2);
    in.macode = 3;
    in.itemIx = 7;
    in.amount = QStringLiteral("300");
    QCOMPARE(trb::records::save_management_record(t.db, 1, in), 11);
    QCOMPARE(rows(t.db, 1).last(), QStringLiteral("2 6 1993 3 7 300 100 50"));
    const QStringList before = rows(t.db, 1);
    for (qlonglong key : {-1LL, 12LL, 99LL}) {  // none, another plot's, deleted
      in.cultivationId = key;
      QVERIFY_THROWS_EXCEPTION(trb::Error, trb::records::save_management_record(t.db, 1, in));
    }
    QCOMPARE(rows(t.db, 1), before);
    QCOMPARE(rows(t.db, 2).size(), 1);
    in.cultivationId = 11;
    in.date = QDate();
    QVERIFY_THROWS_EXCEPTION(trb::Error, trb::records::save_management_record(t.db, 1, in));
    QCOMPARE(rows(t.db, 1), before);
  }

  void deleteRecord() {
    trb::test::TempDb t;
    addRecords(t.db);
    QCOMPARE(trb::records::delete_management_record(t.db, 10), 1);
    QCOMPARE(trb::records::delete_management_record(t.db, 10), 0);
    QCOMPARE(rows(t.db, 1), QStringList{"15 4 1990 4 2 120 100 50"});
  }

  // Copies carry date, action, object and quantity, without sim_quantity and FL_ID_alt; the
  // target keeps its records, and a plot copied onto itself has each record twice.
  void copy() {
    trb::test::TempDb t;
    addRecords(t.db);
    QCOMPARE(trb::records::copy_management(t.db, 1, 2), 2);
    QCOMPARE(rows(t.db, 2), (QStringList{"3 8 1991 9 3 60 90 100", "1 8 1990 2 1 55.5 null null",
                                         "15 4 1990 4 2 120 null null"}));
    const QStringList before = rows(t.db, 1);
    QCOMPARE(trb::records::copy_management(t.db, 1, 1), 2);
    const QStringList after = rows(t.db, 1);
    QCOMPARE(after.size(), 4);
    QCOMPARE(after.mid(0, 2), before);
    QCOMPARE(trb::records::copy_management(t.db, 5, 1), 0);
  }
};

QTEST_GUILESS_MAIN(TstManagementRecords)
#include "tst_management_records.moc"
