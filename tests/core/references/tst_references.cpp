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
  void recordsNotStored_data();
  void recordsNotStored();
  void duplicatesAreNotStoredTwice();
  void importIsAllOrNothing();
  void fileEncodings_data();
  void fileEncodings();
  void filesThatAreNotRis();
  void experimentRelations();
  void plotKeywords();
};

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
      "SP  - 10",
      "EP  - 20",
      // no end tag: the next type begins a record of its own
      "TY  - CHAP",
      "AU  - Second, B.",
      "TI  - Second title",
      "ER  - ",
  };
  test::RecordingFeedback fb;
  const auto result = references::import_ris(t.db, lines, fb);
  QCOMPARE(result.stored, 3);
  QCOMPARE(result.records, 3);
  QVERIFY(result.notStored.isEmpty());
  QCOMPARE(result.notes.size(), 1);
  QVERIFY2(result.notes[0].contains(QStringLiteral("record 2 (line 9)")) &&
               result.notes[0].contains(QStringLiteral("line 14")),
           qPrintable(result.notes[0]));
  QCOMPARE(result.lines.size(), 3 * 15 + 2);
  QCOMPARE(result.lines.last(), QStringLiteral("3 of 3 records stored"));
  db::Reader r(t.db, QStringLiteral("SELECT Autor, Jahr, Titel, produkt, seite FROM referenzen "
                                    "ORDER BY lit_id"));
  QVERIFY(r.next());
  QCOMPARE(r.toString(0), QStringLiteral("Müller-Lüdenscheidt, K.; Schmidt, A."));
  QCOMPARE(r.toString(1), QStringLiteral("2003"));
  QCOMPARE(r.toString(2), QStringLiteral("Long-term effects of manure"));
  QVERIFY(r.next());
  QCOMPARE(r.toString(0), QStringLiteral("First, A."));
  QCOMPARE(r.toString(1), QStringLiteral("1999"));
  QCOMPARE(r.toString(3), QStringLiteral("BOOK"));
  QCOMPARE(r.toString(4), QStringLiteral("10- 20"));
  QVERIFY(r.next());
  QCOMPARE(r.toString(0), QStringLiteral("Second, B."));
  QCOMPARE(r.toString(3), QStringLiteral("CHAP"));
  QVERIFY(!r.next());
}

// Records that are not stored, each named by its position; the rest of the file is stored.
void TestReferences::recordsNotStored_data() {
  QTest::addColumn<QStringList>("lines");
  QTest::addColumn<int>("stored");
  QTest::addColumn<QString>("why");
  QTest::newRow("last record without end tag: stored, with a note")
      << QStringList{"TY  - JOUR", "AU  - A, A.", "ER  -", "TY  - JOUR", "AU  - Last, L."} << 2
      << "record 2 (line 4) has no end tag: taken as ended by the end of the file";
  QTest::newRow("type and DOI only")
      << QStringList{"TY  - JOUR", "DO  - 10.1/x", "ER  -", "TY  - JOUR", "TI  - T", "ER  -"} << 1
      << "record 1 (line 1) not stored: it has no author, title or year";
  QTest::newRow("empty record") << QStringList{"TY  - JOUR", "TI  - T", "ER  -", "ER  -"} << 1
                                << "record 2 (line 4) not stored: it is empty";
  QTest::newRow("twice in one file")
      << QStringList{"TY  - JOUR", "AU  - A, A.", "TI  - T", "PY  - 2001", "ER  -",
                     "TY  - BOOK", "AU  - a, a.", "TI  - t", "PY  - 2001", "ER  -"}
      << 1 << "record 2 (line 6) (a, a., 2001, t) is already there as reference 1";
  QTest::newRow("a key that cannot be stored")
      << QStringList{"ID  - abc", "AU  - Broken, B.", "ER  -",
                     "ID  - 77",  "AU  - Fine, F.",   "ER  -"}
      << 1 << "record 1 (line 1) (Broken, B.) not stored: ";
}

void TestReferences::recordsNotStored() {
  QFETCH(QStringList, lines);
  QFETCH(int, stored);
  QFETCH(QString, why);
  test::TempDb t;
  // a tag that writes the key: a text there cannot be stored
  t.db.execute(
      QStringLiteral("INSERT INTO RiS_import VALUES ('ID', 'lit_id', 'referenzen', '', '')"));
  test::RecordingFeedback fb;
  const auto result = references::import_ris(t.db, lines, fb);
  QCOMPARE(result.stored, stored);
  QCOMPARE(result.records, 2);
  QCOMPARE(t.db.scalar(QStringLiteral("SELECT count(*) FROM referenzen")).toInt(), stored);
  const QString said = (result.notes + result.notStored).join(u'\n');
  QVERIFY2(said.startsWith(why), qPrintable(said));
  QVERIFY(fb.lines.join(u'\n').contains(why));
  QCOMPARE(result.lines.last(), QStringLiteral("%1 of 2 records stored").arg(stored));
}

// A record equal to a stored reference, by authors, year and title or by its DOI, is not stored
// again: importing a file twice stores it once.
void TestReferences::duplicatesAreNotStoredTwice() {
  test::TempDb t;
  t.db.runNative(
      QStringLiteral("ALTER TABLE referenzen ADD COLUMN DOI TEXT;"
                     "INSERT INTO RiS_import VALUES ('DO', 'DOI', 'referenzen', '', '')"));
  const QStringList lines = {"TY  - JOUR", "AU  - Roth, P.", "TI  - Humus",   "PY  - 1990", "ER  -",
                             "TY  - JOUR", "AU  - Other",    "DO  - 10.5/ab", "ER  -"};
  test::RecordingFeedback fb;
  QCOMPARE(references::import_ris(t.db, lines, fb).stored, 2);
  // the same DOI under another author is the same work
  const QStringList again =
      lines + QStringList{"TY  - JOUR", "AU  - Else", "DO  - 10.5/AB", "ER  -"};
  const auto second = references::import_ris(t.db, again, fb);
  QCOMPARE(second.stored, 0);
  QCOMPARE(second.notStored.size(), 3);
  QVERIFY2(second.notStored[2].contains(QStringLiteral("same DOI")),
           qPrintable(second.notStored[2]));
  QCOMPARE(t.db.scalar(QStringLiteral("SELECT count(*) FROM referenzen")).toInt(), 2);
}

// The whole file or nothing: a stop or a file without any record leaves referenzen as it was.
void TestReferences::importIsAllOrNothing() {
  test::TempDb t;
  QStringList lines;
  for (int i = 0; i < 5000; ++i)
    lines << "TY  - JOUR" << QStringLiteral("TI  - T%1").arg(i) << "ER  -";
  struct StopLate : test::RecordingFeedback {
    void setProgress(qint64 pos, qint64 count) override {
      if (pos > 10000) cancel();
      RecordingFeedback::setProgress(pos, count);
    }
  } stop;
  QVERIFY_THROWS_EXCEPTION(Canceled, references::import_ris(t.db, lines, stop));
  QCOMPARE(t.db.scalar(QStringLiteral("SELECT count(*) FROM referenzen")).toInt(), 0);
  test::RecordingFeedback fb;
  for (const QStringList& none : {QStringList{}, QStringList{"no tags here", "AB - unknown"}})
    QVERIFY_THROWS_EXCEPTION(Error, references::import_ris(t.db, none, fb));
}

void TestReferences::fileEncodings_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("autor");
  const QString text = QStringLiteral("TY  - JOUR\r\nAU  - Größe, Ä.\r\nER  - \r\n");
  const QString name = QStringLiteral("Größe, Ä.");
  QTest::newRow("utf-8") << text.toUtf8() << name;
  QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << name;
  QTest::newRow("latin-1") << text.toLatin1() << name;
  QByteArray le("\xFF\xFE"), be("\xFE\xFF");
  for (QChar c : text) {
    le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
  }
  QTest::newRow("utf-16le with mark") << le << name;
  QTest::newRow("utf-16be with mark") << be << name;
  // one line from a UTF-8 editor, one from a Windows one with its quotes and dash
  QTest::newRow("mixed lines") << QByteArray(
                                      "TY  - JOUR\nTI  - Gr\xC3\xB6\xC3\x9F"
                                      "e\n"
                                      "AU  - M\xFCller \x93"
                                      "A\x94 \x96 B\nER  -\n")
                               << QStringLiteral("Müller “A” – B");
}

void TestReferences::fileEncodings() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, autor);
  test::TempDb t;
  const QString path = t.dir->filePath(QStringLiteral("refs.ris"));
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  f.close();
  const QStringList lines = references::read_ris_file(path);
  test::RecordingFeedback fb;
  QCOMPARE(references::import_ris(t.db, lines, fb).stored, 1);
  QCOMPARE(t.db.scalar(QStringLiteral("SELECT Autor FROM referenzen")).toString(), autor);
  if (QByteArray(QTest::currentDataTag()) == "mixed lines")
    QCOMPARE(t.db.scalar(QStringLiteral("SELECT Titel FROM referenzen")).toString(),
             QStringLiteral("Größe"));
}

// Files that hold no text are refused with the reason.
void TestReferences::filesThatAreNotRis() {
  test::TempDb t;
  const QString path = t.dir->filePath(QStringLiteral("x.ris"));
  for (const QByteArray& bytes :
       {QByteArray(), QByteArray("\r\n \n"), QByteArray("PK\x03\x04\0\0\x14\0binary", 14)}) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    try {
      references::read_ris_file(path);
      QFAIL("read");
    } catch (const Error& e) {
      QVERIFY2(e.message().contains(QStringLiteral("empty")) ||
                   e.message().contains(QStringLiteral("binary")),
               qPrintable(e.message()));
    }
  }
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
