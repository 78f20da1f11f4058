// The parameter editor's commands without a window: soil profiles found or created, the soil value
// check, the order of rs_table, the reference panel and the export of a table.
#include <QtTest>

#include "core/db/database.h"
#include "core/db/table_editor.h"
#include "core/parameters/parameter_tables.h"
#include "testutil.h"
#include "xlsx_read.h"

using namespace trb::parameters;

class TestParameterTables : public QObject {
  Q_OBJECT

 private slots:
  void findOrCreateProfile() {
    trb::test::TempDb t;
    t.db.execute(QStringLiteral("delete from soilproperties"));
    int asked = 0;
    auto yes = [&asked] { return ++asked, true; };
    auto no = [&asked] { return ++asked, false; };
    QVERIFY(!find_or_create_profile(t.db, QStringLiteral("Löss"), no));
    QCOMPARE(asked, 1);
    const auto made = find_or_create_profile(t.db, QStringLiteral("Löss"), yes);
    QVERIFY(made && made->created);
    QCOMPARE(made->soilId, 0);  // first key of an empty table
    // an existing name only finds it: no question
    const auto found = find_or_create_profile(t.db, QStringLiteral("löss"), yes);
    QVERIFY(found && !found->created);
    QCOMPARE(found->soilId, 0);
    QCOMPARE(asked, 2);
    QVERIFY(!find_or_create_profile(t.db, QStringLiteral("  "), yes));
    QCOMPARE(asked, 2);
    const auto quoted = find_or_create_profile(t.db, QStringLiteral("it's"), yes);
    QCOMPARE(quoted->soilId, 1);
    QCOMPARE(findProfile(t.db, QStringLiteral("it's")), std::optional<int>(1));
  }

  void soilValueCheck_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<double>("stored");
    QTest::addColumn<int>("org");
    QTest::newRow("zero is missing") << QVariant(0.0) << -99.0 << 0;
    QTest::newRow("negative is missing") << QVariant(-3.0) << -99.0 << 0;
    QTest::newRow("empty is missing") << QVariant() << -99.0 << 0;
    QTest::newRow("a value is supplied") << QVariant(12.5) << 12.5 << -1;
  }
  void soilValueCheck() {
    QFETCH(QVariant, value);
    QFETCH(double, stored);
    QFETCH(int, org);
    trb::test::TempDb t;
    t.db.execute(
        QStringLiteral(
            "insert into soilproperties (soil_id, profile, silt, FAT, BD, PV, FC, PWP, FAT_org, "
            "BD_org) values (90, 'p', 20, ?, 1.4, 0, 30, 12, -1, 0)"),
        {value});
    check_soil_values(t.db, 90);
    QSqlQuery q = t.db.query(QStringLiteral(
        "select FAT, FAT_org, BD, BD_org, PV, PV_org, silt_org from soilproperties where "
        "soil_id=90"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), stored);
    QCOMPARE(q.value(1).toInt(), org);
    // the other columns by the same rule
    QCOMPARE(q.value(2).toDouble(), 1.4);
    QCOMPARE(q.value(3).toInt(), -1);
    QCOMPARE(q.value(4).toDouble(), -99.0);
    QCOMPARE(q.value(5).toInt(), 0);
    QCOMPARE(q.value(6).toInt(), -1);
  }

  void rsTableOrder() {
    trb::test::TempDb t;
    t.db.runNative(QStringLiteral(
        "insert into rs_table (FL_ID, M_IX, YEAR_NUM) values (2, 7, 1), (1, -7, 2), (1, 7, 1), "
        "(1, 0, 3)"));
    const auto editor = openTable(t.db, QStringLiteral("RS_TABLE"));
    QStringList seen;
    const int fl = editor->columnIndex(QStringLiteral("fl_id"));
    const int m = editor->columnIndex(QStringLiteral("m_ix"));
    const int y = editor->columnIndex(QStringLiteral("year_num"));
    for (const auto& r : editor->readRows())
      seen << QStringLiteral("%1/%2/%3")
                  .arg(r.values[m].toInt())
                  .arg(r.values[fl].toInt())
                  .arg(r.values[y].toInt());
    QCOMPARE(seen, QStringList({"0/1/3", "7/1/1", "-7/1/2", "7/2/1"}));
    QVERIFY(resultTables().contains(QStringLiteral("trb_nsaldo")));
    QVERIFY(databaseTables(t.db).contains(QStringLiteral("slvpflan"), Qt::CaseInsensitive));
  }

  void referencePanel() {
    ReferenceRow r;
    r.litId = 12;
    r.autor = QStringLiteral("Körschens, M.");
    r.jahr = QStringLiteral("1990");
    r.titel = QStringLiteral("Dauerversuche");
    r.seite = QStringLiteral("   ");
    QCOMPARE(referenceText(r), QStringLiteral("lit_id    :  12\n"
                                              "Autor     :  Körschens, M.\n"
                                              "Jahr      :  1990\n"
                                              "Titel     :  Dauerversuche"));
    trb::test::TempDb t;
    t.db.execute(
        QStringLiteral("insert into referenzen (lit_id, autor, jahr, titel) values (?, ?, ?, ?)"),
        {5, QStringLiteral("A"), QStringLiteral("2001 and later"), QString(300, u'x')});
    const auto refs = readReferences(t.db);
    QCOMPARE(refs.size(), 1);
    QCOMPARE(refs[0].jahrShort, QStringLiteral("2001 and l"));
    QCOMPARE(refs[0].listTitle.size(), 150);
  }

  // Numbers with at most 4 decimals, text unchanged, also text that looks like a number.
  void exportedTable() {
    trb::test::TempDb t;
    t.db.execute(QStringLiteral("delete from slvmindg"));
    t.db.execute(QStringLiteral(
        "insert into slvmindg (item_ix, NAME, kurzbez, N_GEHALT) values (1, 'KAS 27 %', "
        "'0.123456789', 27.123456789)"));
    const auto sheet = tableSheet(t.db, QStringLiteral("slvmindg"));
    QCOMPARE(sheet.decimals, 4);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.xlsx"));
    trb::transfer::write_spreadsheet(file, sheet);
    const auto x = trb::test::readXlsx(file);
    QVERIFY(x.ok);
    QCOMPARE(x.at("A1").text, QStringLiteral("item_ix"));
    QCOMPARE(x.at("B2").text, QStringLiteral("KAS 27 %"));
    QCOMPARE(x.at("C2").text, QStringLiteral("0.123456789"));
    QVERIFY(!x.at("C2").numeric);
    QVERIFY(x.at("D2").numeric);
    QCOMPARE(x.at("D2").text.toDouble(), 27.1235);
  }
};

QTEST_GUILESS_MAIN(TestParameterTables)
#include "tst_parameter_tables.moc"
