// Editing a table row by row: values typed by a user kept in the form of their column, refused
// when they do not fit, and written by rowid with bound values.
#include <QtTest>

#include "core/db/database.h"
#include "core/db/table_editor.h"
#include "testutil.h"

using trb::db::TableEditor;

class TestTableEditor : public QObject {
  Q_OBJECT

 private slots:
  void typedText_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("expected");  // invalid: refused
    const QVariant refused;
    QTest::newRow("real, decimal comma") << "FAT"
                                         << "de_DE"
                                         << "12,5" << QVariant(12.5);
    QTest::newRow("real, decimal point in C") << "FAT"
                                              << "C"
                                              << "12.5" << QVariant(12.5);
    QTest::newRow("grouping is no number") << "FAT"
                                           << "de_DE"
                                           << "12.500" << refused;
    QTest::newRow("letters") << "FAT"
                             << "C"
                             << "12a" << refused;
    QTest::newRow("empty number is empty") << "FAT"
                                           << "C"
                                           << "" << QVariant(QVariant::fromValue(nullptr));
    QTest::newRow("yes/no true") << "FAT_org"
                                 << "C"
                                 << "1" << QVariant(-1);
    QTest::newRow("yes/no false") << "FAT_org"
                                  << "C"
                                  << "0" << QVariant(0);
    QTest::newRow("yes/no word") << "FAT_org"
                                 << "C"
                                 << "maybe" << refused;
    QTest::newRow("text as typed") << "profile"
                                   << "de_DE"
                                   << " O'Brien 12,5 " << QVariant(" O'Brien 12,5 ");
  }
  void typedText() {
    QFETCH(QString, column);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QVariant, expected);
    trb::test::TempDb t;
    TableEditor e(t.db, QStringLiteral("soilproperties"));
    const int c = e.columnIndex(column);
    QVERIFY(c >= 0);
    if (!expected.isValid()) {
      try {
        e.valueFromText(c, text, QLocale(locale));
        QFAIL("accepted");
      } catch (const trb::Error& err) {
        QVERIFY2(err.message().contains(e.columns()[c].name), qPrintable(err.message()));
      }
      return;
    }
    const QVariant v = e.valueFromText(c, text, QLocale(locale));
    if (expected.typeId() == QMetaType::Nullptr) {
      QVERIFY(v.isNull());
    } else {
      QCOMPARE(v.toString(), expected.toString());
    }
  }

  // Written values arrive as the column keeps them; a row added under a filter belongs to it.
  void writesByRowid() {
    trb::test::TempDb t;
    t.db.execute(
        QStringLiteral("insert into climate_station (climate_id, station) values (7, 'a')"));
    TableEditor e(t.db, QStringLiteral("climate_data"));
    e.setFilter(QStringLiteral("climate_id"), 7);
    const qlonglong id = e.insertRow();
    const qlonglong other = TableEditor(t.db, QStringLiteral("climate_data")).insertRow();
    QCOMPARE(e.readRows().size(), 1);
    const int year = e.columnIndex(QStringLiteral("year"));
    const int temp = e.columnIndex(QStringLiteral("temperature"));
    e.updateRow(id, {{year, 2.5}, {temp, 8.25}});
    const auto row = e.readRow(id);
    QCOMPARE(row.values[e.columnIndex(QStringLiteral("climate_id"))].toInt(), 7);
    QCOMPARE(row.values[year].toLongLong(), 2LL);  // rounded half to even, as the dialect writes
    QCOMPARE(row.values[temp].toDouble(), 8.25);
    e.deleteRow(id);
    QVERIFY(e.readRows().isEmpty());
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from climate_data")).toInt(), 1);
    (void)other;

    // a name with a quote is bound, not pasted
    TableEditor s(t.db, QStringLiteral("climate_station"));
    s.updateRow(s.readRows().first().rowid, {{s.columnIndex(QStringLiteral("station")),
                                              QStringLiteral("x'); drop table climate_data; --")}});
    QVERIFY(t.db.hasTable(QStringLiteral("climate_data")));
    QCOMPARE(s.readRows().first().values[1].toString(),
             QStringLiteral("x'); drop table climate_data; --"));
  }

  // A table whose key is the rowid gets a new key for a row added without values; a missing table
  // is an error.
  void newRowAndMissingTable() {
    trb::test::TempDb t;
    TableEditor e(t.db, QStringLiteral("slvmindg"));
    const int before = e.readRows().size();
    const qlonglong id = e.insertRow();
    QCOMPARE(e.readRows().size(), before + 1);
    QVERIFY(!e.readRow(id).values[0].isNull());
    QVERIFY_THROWS_EXCEPTION(trb::Error, TableEditor(t.db, QStringLiteral("no_such_table")));
  }
};

QTEST_GUILESS_MAIN(TestTableEditor)
#include "tst_table_editor.moc"
