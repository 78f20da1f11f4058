#include <QFile>
#include <QtTest>

#include "core/base/error.h"
#include "core/references/reference_list.h"
#include "core/references/ris_import.h"
#include "testutil.h"

using namespace trb;

class TestReferences : public QObject {
  Q_OBJECT
 private slots:
  void risRecords();
  void failedRecordIsReportedAndImportGoesOn();
  void fileEncodings_data();
  void fileEncodings();
  void experimentRelations();
  void plotKeywords();
};

namespace {

QString autor(db::Database& db, qlonglong id) {
  return db.scalar(QStringLiteral("SELECT Autor FROM referenzen WHERE lit_id = ?"), {id})
      .toString();
}

}  // namespace

void TestReferences::risRecords() {
  test::TempDb t;
  // a cut_at for the year and the default connectors of the bundled control table
  const QStringList lines = {
      "TY  - JOUR",
      "AU  - Müller-Lüdenscheidt, K.",  // only the first "-" separates tag and value
      "AU  - Schmidt, A.",
      "PY  - 2003/05/01",
      "TI  - Long-term effects of manure",
      "no tag on this line",
      "XX  - an unknown tag",
      "ER  - ",
      "TY  - BOOK",
      "AU  - First, A.",
      "PY  - 1999",  // no cut_at text in the value: kept whole
      // no end tag: the next record's values join this one
      "TY  - CHAP",
      "AU  - Second, B.",
      "ER  - ",
  };
  test::RecordingFeedback fb;
  const auto result = references::import_ris(t.db, lines, fb);
  QCOMPARE(result.stored, 2);
  QVERIFY(result.notStored.isEmpty());
  QCOMPARE(result.lines.size(), 2 * 15 + 1);
  QCOMPARE(result.lines.last(), QStringLiteral("2 records stored"));
  db::Reader r(t.db, QStringLiteral("SELECT Autor, Jahr, Titel, produkt FROM referenzen ORDER BY "
                                    "lit_id"));
  QVERIFY(r.next());
  QCOMPARE(r.toString(0), QStringLiteral("Müller-Lüdenscheidt, K.; Schmidt, A."));
  QCOMPARE(r.toString(1), QStringLiteral("2003"));
  QCOMPARE(r.toString(2), QStringLiteral("Long-term effects of manure"));
  QVERIFY(r.next());
  QCOMPARE(r.toString(0), QStringLiteral("First, A.; Second, B."));
  QCOMPARE(r.toString(1), QStringLiteral("1999"));
  QCOMPARE(r.toString(3), QStringLiteral("BOOK CHAP"));  // no connector: a blank only
}

void TestReferences::failedRecordIsReportedAndImportGoesOn() {
  test::TempDb t;
  // a tag that writes the key: a text there cannot be stored
  t.db.execute(
      QStringLiteral("INSERT INTO RiS_import VALUES ('ID', 'lit_id', 'referenzen', '', '')"));
  const QStringList lines = {"ID  - abc", "AU  - Broken, B.", "ER  -",
                             "ID  - 77",  "AU  - Fine, F.",   "ER  -"};
  test::RecordingFeedback fb;
  const auto result = references::import_ris(t.db, lines, fb);
  QCOMPARE(result.stored, 1);
  QCOMPARE(result.notStored.size(), 1);
  QVERIFY2(result.notStored[0].contains(QStringLiteral("Broken, B.")),
           qPrintable(result.notStored[0]));
  QCOMPARE(result.lines.last(), result.notStored[0]);
  QCOMPARE(autor(t.db, 77), QStringLiteral("Fine, F."));
}

void TestReferences::fileEncodings_data() {
  QTest::addColumn<QByteArray>("bytes");
  const QString text = QStringLiteral("TY  - JOUR\r\nAU  - Größe, Ä.\r\nER  - \r\n");
  QTest::newRow("utf-8") << text.toUtf8();
  QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
  QTest::newRow("latin-1") << text.toLatin1();
}

void TestReferences::fileEncodings() {
  QFETCH(QByteArray, bytes);
  test::TempDb t;
  const QString path = t.dir->filePath(QStringLiteral("refs.ris"));
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  f.close();
  const QStringList lines = references::read_ris_file(path);
  QCOMPARE(lines.size(), 3);
  test::RecordingFeedback fb;
  QCOMPARE(references::import_ris(t.db, lines, fb).stored, 1);
  QCOMPARE(t.db.scalar(QStringLiteral("SELECT Autor FROM referenzen")).toString(),
           QStringLiteral("Größe, Ä."));
}

void TestReferences::experimentRelations() {
  test::TempDb t(QStringLiteral("demo"));
  const QString location =
      t.db.scalar(QStringLiteral("SELECT location FROM field_description WHERE versuch_code = '1'"))
          .toString();
  QCOMPARE(references::experiment_references(t.db, location).size(), 2);
  const QString code = references::experiment_code_of_location(t.db, location);
  QCOMPARE(code, QStringLiteral("1"));
  // "a lit_id" that is no number or no reference changes nothing
  for (const char* text : {"abc", "99", "", "1.5"})
    QVERIFY(!references::add_experiment_reference(t.db, code, QString::fromLatin1(text)));
  QVERIFY(
      references::add_experiment_reference(t.db, code, QStringLiteral(" 1 ")));  // linked already
  QCOMPARE(references::experiment_references(t.db, location).size(), 2);
  references::delete_experiment_reference(t.db, 2, code);
  const auto rows = references::experiment_references(t.db, location);
  QCOMPARE(rows.size(), 1);
  QCOMPARE(rows[0].litId, 1);
  QCOMPARE(references::experiment_relations(t.db, 2).size(), 1);  // still linked to experiment 2
  const QStringList compact = references::compact_lines(rows[0]);
  QCOMPARE(compact.first(), QStringLiteral("Archiv für Demo-Ackerbau"));
  QCOMPARE(compact.last(), QStringLiteral("113-128"));
}

void TestReferences::plotKeywords() {
  test::TempDb t(QStringLiteral("demo"));
  QCOMPARE(references::plot_references(t.db, 3).size(), 1);
  // the chooser's 'all' is keyword 0: none here
  QCOMPARE(references::plot_references(t.db, 3, 0).size(), 0);
  references::add_keyword_relation(t.db, 0, 1, 3);
  QCOMPARE(references::plot_references(t.db, 3, 0).size(), 1);
  QCOMPARE(references::plot_references(t.db, 3).size(), 2);
  QStringList lines = references::keyword_relations(t.db, 3, 1);
  QCOMPARE(lines.size(), 2);
  QVERIFY2(lines[0].startsWith(QStringLiteral("0 :  allgemein  [")), qPrintable(lines[0]));
  references::delete_keyword_relation(t.db, 4, 1, 3);
  QCOMPARE(references::keyword_relations(t.db, 3, 1).size(), 1);
}

QTEST_GUILESS_MAIN(TestReferences)
#include "tst_references.moc"
