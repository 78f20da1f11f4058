#include <QTemporaryDir>
#include <QtTest>

#include "core/base/error.h"
#include "core/transfer/spreadsheet_export.h"
#include "testutil.h"
#include "xlsx_read.h"

using namespace trb;

class TestSpreadsheetExport : public QObject {
  Q_OBJECT
 private slots:
  void typedCellsAndTitles();
  void queryRowsRoundedToFourDecimals();
  void unwritablePathIsAnError();
  void fileNames_data();
  void fileNames();
};

void TestSpreadsheetExport::typedCellsAndTitles() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.xlsx"));
  transfer::Sheet s;
  s.titles = {QStringLiteral("year"), QStringLiteral("Corg"), QStringLiteral("name")};
  s.rows << QVariantList{1990, 1.23456789, QStringLiteral("Bad Lauchstädt \"A\"")}
         << QVariantList{qlonglong(1991), QVariant(), QStringLiteral("12.5")};
  transfer::write_spreadsheet(path, s);
  const auto sheet = test::readXlsx(path);
  QVERIFY(sheet.ok);
  QCOMPARE(sheet.rowCount(), 3);
  QCOMPARE(sheet.at("A1").text, QStringLiteral("year"));
  QVERIFY(!sheet.at("A1").numeric);
  QVERIFY(sheet.at("A2").numeric);
  QCOMPARE(sheet.at("A2").text.toDouble(), 1990.0);
  QCOMPARE(sheet.at("B2").text.toDouble(), 1.23456789);  // no rounding asked
  QCOMPARE(sheet.at("C2").text, QStringLiteral("Bad Lauchstädt \"A\""));
  QVERIFY(!sheet.cells.contains("B3"));  // empty stays empty
  QVERIFY(!sheet.at("C3").numeric);      // text that looks like a number stays text
}

void TestSpreadsheetExport::queryRowsRoundedToFourDecimals() {
  test::TempDb t(QStringLiteral("empty"));
  t.db.execute(QStringLiteral("CREATE TABLE v (id INTEGER, x DOUBLE, t TEXT)"));
  t.db.execute(QStringLiteral("INSERT INTO v VALUES (1, 0.123456, 'a'), (2, 2.00005, 'b')"));
  auto s = transfer::sheet_from_query(t.db, QStringLiteral("SELECT id, x, t FROM v ORDER BY id"));
  QCOMPARE(s.titles, (QStringList{"id", "x", "t"}));
  QCOMPARE(s.rows.size(), 2);
  s.decimals = 4;
  const QString path = t.dir->filePath(QStringLiteral("q.xlsx"));
  transfer::write_spreadsheet(path, s);
  const auto sheet = test::readXlsx(path);
  QCOMPARE(sheet.at("B2").text.toDouble(), 0.1235);
  QCOMPARE(sheet.at("B3").text.toDouble(), 2.0);
  QCOMPARE(sheet.at("C3").text, QStringLiteral("b"));
  // an empty result still has its titles
  const auto none =
      transfer::sheet_from_query(t.db, QStringLiteral("SELECT id, x FROM v WHERE id > 5"));
  QCOMPARE(none.titles.size(), 2);
  QVERIFY(none.rows.isEmpty());
}

void TestSpreadsheetExport::unwritablePathIsAnError() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("no/such/folder/a.xlsx"));
  transfer::Sheet s;
  s.titles = {QStringLiteral("a")};
  try {
    transfer::write_spreadsheet(path, s);
    QFAIL("no error");
  } catch (const Error& e) {
    QVERIFY2(e.message().contains(path), qPrintable(e.message()));
  }
}

void TestSpreadsheetExport::fileNames_data() {
  QTest::addColumn<QStringList>("parts");
  QTest::addColumn<QString>("name");
  QTest::newRow("plain") << QStringList{"Halle", "plot 1", "C-dynamics"}
                         << "Halle_plot 1_C-dynamics.xlsx";
  QTest::newRow("separators") << QStringList{"a/b", "c:d"} << "a_b_c_d.xlsx";
}

void TestSpreadsheetExport::fileNames() {
  QFETCH(QStringList, parts);
  QFETCH(QString, name);
  QCOMPARE(transfer::spreadsheet_file_name(parts), name);
}

QTEST_GUILESS_MAIN(TestSpreadsheetExport)
#include "tst_spreadsheet_export.moc"
