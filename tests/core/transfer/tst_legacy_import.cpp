#include <glib.h>  // before mdbtools.h, which would include it inside extern "C"
#include <mdbtools.h>

#include <QDateTime>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QtTest>

#include "core/db/database.h"
#include "core/transfer/legacy_import.h"
#include "testutil.h"

using trb::transfer::ImportError;

namespace {

// Plain SQLite on an imported file, without the dialect layer.
QList<QVariantList> rows(trb::db::Database& db, const QString& sql) {
  QSqlQuery q(db.qt());
  if (!q.exec(sql)) qWarning() << sql << q.lastError().text();
  QList<QVariantList> out;
  while (q.next()) {
    QVariantList r;
    for (int i = 0; i < q.record().count(); ++i) r << q.value(i);
    out << r;
  }
  return out;
}

// "name TYPE" of every column, and the primary key columns, from SQLite's own view.
QStringList columnsOf(trb::db::Database& db, const QString& table, QStringList* key) {
  QStringList out;
  for (const auto& r :
       rows(db, QStringLiteral("SELECT name, type, pk FROM pragma_table_info('%1') ORDER BY cid")
                    .arg(table))) {
    out << r[0].toString() + u' ' + r[1].toString();
    if (r[2].toInt() > 0) *key << r[0].toString();
  }
  return out;
}

// mdb-export's CSV: quoted text with doubled quotes, possibly across lines; NULL as nothing.
QList<QStringList> parseCsv(const QString& text, QList<QList<bool>>* quotedFlags) {
  QList<QStringList> out;
  QStringList row;
  QList<bool> flags;
  QString cell;
  bool inQuotes = false, wasQuoted = false;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (inQuotes) {
      if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
        cell += u'"';
        ++i;
      } else if (c == u'"') {
        inQuotes = false;
      } else {
        cell += c;
      }
    } else if (c == u'"') {
      inQuotes = wasQuoted = true;
    } else if (c == u',' || c == u'\n') {
      row << cell;
      flags << wasQuoted;
      cell.clear();
      wasQuoted = false;
      if (c == u'\n') {
        out << row;
        quotedFlags->append(flags);
        row.clear();
        flags.clear();
      }
    } else {
      cell += c;
    }
  }
  return out;
}

QString fixture(const char* name) {
  return trb::test::sharedFixture(QString::fromLatin1(name));
}

}  // namespace

class TstLegacyImport : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    TRB_REQUIRE_SHARED_FIXTURE("DateTestDatabase.mdb");
    TRB_REQUIRE_SHARED_FIXTURE("ASampleDatabase.accdb");
    TRB_REQUIRE_SHARED_FIXTURE("README.md");
  }

  // Both outside files: tables, names, types, keys and row counts as the file holds them.
  void structure_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("key");
    QTest::addColumn<qint64>("rowCount");
    QTest::addColumn<QString>("format");
    QTest::newRow("Jet 4 .mdb") << fixture("DateTestDatabase.mdb") << "DateTest"
                                << QStringList{"IDCol INTEGER",    "DateTimeCol DATETIME",
                                               "DateCol DATETIME", "TimeCol DATETIME",
                                               "LongTextCol TEXT", "ShortTextCol TEXT"}
                                << QStringList{} << qint64(6) << "Jet 4";
    QTest::newRow("ACE .accdb, blanks in names, primary key")
        << fixture("ASampleDatabase.accdb") << "Asset Items"
        << QStringList{"Asset No TEXT",    "Asset Category TEXT", "Make TEXT",
                       "Model TEXT",       "Description TEXT",    "Owner TEXT",
                       "Serial No TEXT",   "Acquired DATETIME",   "Cost REAL",
                       "Warranty INTEGER", "Tax Scale TEXT",      "Supplier No TEXT",
                       "Comments TEXT"}
        << QStringList{"Asset No"} << qint64(65) << "ACE 12";
  }
  void structure() {
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, key);
    QFETCH(qint64, rowCount);
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.sqlite"));
    const auto r = trb::transfer::importLegacy(file, out);
    QCOMPARE(r.format, format);
    QVERIFY(r.complete());
    QCOMPARE(r.rows(), rowCount);
    auto db = trb::db::Database::open(out);
    QCOMPARE(db.userTables(), QStringList{table});
    QStringList gotKey;
    QCOMPARE(columnsOf(db, table, &gotKey), columns);
    QCOMPARE(gotKey, key);
    QCOMPARE(rows(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table))[0][0].toLongLong(),
             rowCount);
    // Only the finished file is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.sqlite"});
  }

  // Every value that mdb-export writes without a date equals the imported one.
  void valuesAgreeWithMdbExport_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<int>>("patch");  // byte offset, new byte, ...
    QTest::newRow("mdb") << fixture("DateTestDatabase.mdb") << "DateTest" << QList<int>{};
    QTest::newRow("accdb") << fixture("ASampleDatabase.accdb") << "Asset Items" << QList<int>{};
    // The same bytes read as other types: the column types in the table definition (page 18)
    // changed to Integer, Double and Currency.
    const int def = 18 * 4096;
    QTest::newRow("mdb as Integer, Double, Currency")
        << fixture("DateTestDatabase.mdb") << "DateTest"
        << QList<int>{def + 0x3f, MDB_INT, def + 0x58, MDB_DOUBLE, def + 0x71, MDB_MONEY};
    QTest::newRow("mdb with a blank and an umlaut in a column name")
        << fixture("DateTestDatabase.mdb") << "DateTest"
        << QList<int>{def + 0xd9, ' ', def + 0xdb, 0xf6};  // IDCol -> "I öol"
    QTest::newRow("mdb as Byte and OLE") << fixture("DateTestDatabase.mdb") << "DateTest"
                                         << QList<int>{def + 0x3f, MDB_BYTE, def + 0xa3, MDB_OLE};
  }
  void valuesAgreeWithMdbExport() {
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QList<int>, patch);
    QTemporaryDir dir;
    if (!patch.isEmpty()) {
      QFile in(file);
      QVERIFY(in.open(QIODevice::ReadOnly));
      QByteArray bytes = in.readAll();
      for (int i = 0; i + 1 < patch.size(); i += 2) bytes[patch[i]] = char(patch[i + 1]);
      file = dir.filePath(QStringLiteral("patched.mdb"));
      QFile out(file);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(bytes);
    }
    const QString exporter = QStandardPaths::findExecutable(QStringLiteral("mdb-export"));
    if (exporter.isEmpty()) QSKIP("mdb-export is not installed");
    QProcess p;
    p.start(exporter, {QStringLiteral("-b"), QStringLiteral("hex"), file, table});
    QVERIFY(p.waitForFinished(30000));
    QList<QList<bool>> quoted;
    const auto csv = parseCsv(QString::fromUtf8(p.readAllStandardOutput()), &quoted);
    QVERIFY(csv.size() > 1);

    const QString out = dir.filePath(QStringLiteral("out.sqlite"));
    trb::transfer::importLegacy(file, out);
    auto db = trb::db::Database::open(out);
    QStringList key;
    const QStringList cols = columnsOf(db, table, &key);
    QStringList names, select;
    for (const QString& c : cols) names << c.left(c.lastIndexOf(u' '));
    QCOMPARE(names, csv[0]);
    for (const QString& c : csv[0]) select << u'"' + c + u'"';
    const auto got = rows(
        db, QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid").arg(select.join(u','), table));
    QCOMPARE(got.size(), csv.size() - 1);
    for (int r = 0; r < got.size(); ++r) {
      for (int c = 0; c < cols.size(); ++c) {
        const QString type = cols[c].mid(csv[0][c].size() + 1);
        const QString want = csv[r + 1][c];
        const QVariant have = got[r][c];
        const QString where = QStringLiteral("row %1 column %2").arg(r + 1).arg(csv[0][c]);
        if (type == u"DATETIME") continue;  // mdb-export's own date text is not ISO
        if (want.isEmpty() && !quoted[r + 1][c]) {
          QVERIFY2(have.isNull() || have.toString().isEmpty(), qPrintable(where));
        } else if (type == u"BLOB") {
          QCOMPARE(QString::fromLatin1(have.toByteArray().toHex().toUpper()), want);
        } else if (type == u"REAL" || type == u"INTEGER") {
          QVERIFY2(qFuzzyCompare(have.toDouble() + 1.0, want.toDouble() + 1.0), qPrintable(where));
        } else {
          QCOMPARE(have.toString(), want);
        }
      }
    }
  }

  // Values as the file holds them: dates at the edges of the calendar, currency, text and NULL.
  void values_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("expected");
    const QString dates = fixture("DateTestDatabase.mdb");
    const QString sample = fixture("ASampleDatabase.accdb");
    const QString dateSql =
        QStringLiteral("SELECT DateTimeCol, DateCol, TimeCol FROM DateTest WHERE IDCol = %1");
    QTest::newRow("2021") << dates << dateSql.arg(1)
                          << QVariantList{"2021-12-02 00:00:00", "2021-12-02 00:00:00",
                                          "2021-12-02 00:00:00"};
    QTest::newRow("year 9999") << dates << dateSql.arg(2)
                               << QVariantList{"9999-01-01 00:00:00", "9999-01-01 00:00:00",
                                               "9999-01-01 00:00:00"};
    QTest::newRow("before 1900") << dates << dateSql.arg(3)
                                 << QVariantList{"1898-01-01 00:00:00", "1899-01-01 00:00:00",
                                                 "1900-01-01 00:00:00"};
    QTest::newRow("before 1000") << dates << dateSql.arg(4)
                                 << QVariantList{"0632-01-01 00:00:00", "0633-01-01 00:00:00",
                                                 "0634-01-01 00:00:00"};
    QTest::newRow("memo with a line break")
        << dates << "SELECT LongTextCol, ShortTextCol FROM DateTest WHERE IDCol = 6"
        << QVariantList{"New line\r\nin field", "No new line"};
    QTest::newRow("currency, long, date, NULL memo")
        << sample
        << "SELECT Cost, typeof(Cost), Warranty, Acquired, Make, Comments IS NULL "
           "FROM \"Asset Items\" WHERE \"Asset No\" = '30050'"
        << QVariantList{1995.5, "real", 12, "1997-09-02 00:00:00", "GEO Rocket", 1};
    QTest::newRow("text with an ampersand")
        << sample << "SELECT Owner, Cost FROM \"Asset Items\" WHERE \"Asset No\" = '30054'"
        << QVariantList{"Admin & Accounts", 2560.0};
    QTest::newRow("text compares without regard to case")
        << sample << "SELECT count(*) FROM \"Asset Items\" WHERE Make = 'geo ROCKET'"
        << QVariantList{6};
  }
  void values() {
    QFETCH(QString, file);
    QFETCH(QString, sql);
    QFETCH(QVariantList, expected);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.sqlite"));
    trb::transfer::importLegacy(file, out);
    auto db = trb::db::Database::open(out);
    const auto got = rows(db, sql);
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
      QCOMPARE(got[0][i].toString(), expected[i].toString());
  }

  void dates_data() {
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("iso");
    QTest::newRow("day zero") << 0.0 << "1899-12-30 00:00:00";
    QTest::newRow("noon") << 35675.5 << "1997-09-02 12:00:00";
    QTest::newRow("time only") << 0.75 << "1899-12-30 18:00:00";
    QTest::newRow("before day zero, fraction counts forward") << -1.25 << "1899-12-29 06:00:00";
    QTest::newRow("-0.5 is noon of day zero") << -0.5 << "1899-12-30 12:00:00";
    QTest::newRow("1900 has no leap day") << 60.0 << "1900-02-28 00:00:00";
    QTest::newRow("rounds to the second") << 1.0 + 3661.4 / 86400 << "1899-12-31 01:01:01";
    QTest::newRow("rounding carries into the next day") << 1.9999999999 << "1900-01-01 00:00:00";
    QTest::newRow("last second") << 2958465.0 + 86399.0 / 86400 << "9999-12-31 23:59:59";
    QTest::newRow("first day") << -657434.0 << "0100-01-01 00:00:00";
    QTest::newRow("before the first day") << -657435.0 << "";
    QTest::newRow("after the last day") << 2958466.0 << "";
  }
  void dates() {
    QFETCH(double, days);
    QFETCH(QString, iso);
    QCOMPARE(trb::transfer::accessDateText(days), iso);
  }

  void singles_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("1.45") << 1.45f << 1.45;
    QTest::newRow("0.1") << 0.1f << 0.1;
    QTest::newRow("negative") << -273.15f << -273.15;
    QTest::newRow("whole") << 16777216.0f << 16777216.0;
    QTest::newRow("largest") << 3.4028235e38f << 3.4028235e38;
  }
  void singles() {
    QFETCH(float, value);
    QFETCH(double, expected);
    QCOMPARE(trb::transfer::singleAsDouble(value), expected);
  }

  // A file that is not a whole Access database is refused, and nothing is written.
  void refused_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<qint64>("keep");       // bytes of the source kept; -1: all
    QTest::addColumn<QList<int>>("patch");  // byte offset, new byte, ...
    QTest::addColumn<QString>("message");
    const QString dates = fixture("DateTestDatabase.mdb");
    const QString sample = fixture("ASampleDatabase.accdb");
    QTest::newRow("not an Access file")
        << fixture("README.md") << qint64(-1) << QList<int>{} << "not an Access";
    QTest::newRow("empty") << sample << qint64(0) << QList<int>{} << "not an Access";
    QTest::newRow("cut inside a page") << sample << qint64(540000) << QList<int>{} << "truncated";
    QTest::newRow("cut at a page, objects lost")
        << dates << qint64(65536) << QList<int>{} << "truncated";
    QTest::newRow("cut at a page, table of objects lost")
        << sample << qint64(12288) << QList<int>{} << "damaged";
    // The memo "Hello" of row 1 (page 20) made to point at a page far beyond the end.
    const int memo = 20 * 4096 + 0xfdd;
    QTest::newRow("memo beyond the end, named with its table")
        << dates << qint64(-1)
        << QList<int>{memo + 3, 0, memo + 5, 0xff, memo + 6, 0xff, memo + 7, 0x7f}
        << "DateTest: a value of column LongTextCol lies beyond the end of the file";
    // Damage libmdb does not notice itself: one flipped byte sends its catalog reader round and
    // round; the reading in a child process ends it.
    QTest::newRow("flipped byte in the catalog")
        << sample << qint64(-1) << QList<int>{0x68F89, 0x08}
        << "the file is damaged or not an Access database";
    auto zeroed = [](int from, int to) {
      QList<int> p;
      for (int i = from; i < to; ++i) p << i << 0;
      return p;
    };
    QTest::newRow("zeroed page 2") << sample << qint64(-1) << zeroed(2 * 4096, 3 * 4096)
                                   << "cannot be read; the file is damaged";
    QTest::newRow("zeroed page 6")
        << dates << qint64(-1) << zeroed(6 * 4096, 7 * 4096) << "incomplete";
    QTest::newRow("cut at page 5") << dates << qint64(5 * 4096) << QList<int>{} << "damaged";
  }
  void refused() {
#if defined(__SANITIZE_ADDRESS__)
    // the library reads memory it never wrote on this file; the import zeroes fresh memory as a new
    // process has it, which the sanitizer's allocator does not let it do
    if (QByteArray(QTest::currentDataTag()) == "flipped byte in the catalog")
      QSKIP("depends on fresh memory being zero, which AddressSanitizer changes");
#endif
    QFETCH(QString, source);
    QFETCH(qint64, keep);
    QFETCH(QList<int>, patch);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QString input = dir.filePath(QStringLiteral("in.mdb"));
    QFile src(source);
    QVERIFY(src.open(QIODevice::ReadOnly));
    QByteArray bytes = keep < 0 ? src.readAll() : src.read(keep);
    for (int i = 0; i + 1 < patch.size(); i += 2) bytes[patch[i]] = char(patch[i + 1]);
    QFile dst(input);
    QVERIFY(dst.open(QIODevice::WriteOnly));
    dst.write(bytes);
    dst.close();
    const QString out = dir.filePath(QStringLiteral("in.sqlite"));
    QElapsedTimer clock;
    clock.start();
    try {
      trb::transfer::importLegacy(input, out);
      QFAIL("the import did not fail");
    } catch (const ImportError& e) {
      QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
    QVERIFY2(clock.elapsed() < 60000, "the refusal took more than a minute");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"in.mdb"});
  }

  // trbdb import: default output beside the input, no overwrite without --force.
  void command() {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("Versuche Müller.accdb"));
    QVERIFY(QFile::copy(fixture("ASampleDatabase.accdb"), input));
    const QString out = dir.filePath(QStringLiteral("Versuche Müller.sqlite"));
    auto run = [&](const QStringList& args, QString* stdOut) {
      QProcess p;
      p.start(QStringLiteral(TRB_TRBDB), QStringList{QStringLiteral("import")} + args);
      p.waitForFinished(60000);
      *stdOut = QString::fromUtf8(p.readAllStandardOutput());
      return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString text;
    QCOMPARE(run({input}, &text), 0);
    QVERIFY2(text.contains(QStringLiteral("Asset Items: 65 rows")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("schema check:")), qPrintable(text));
    QVERIFY(QFileInfo::exists(out));

    // An existing output stays as it is without --force.
    {
      auto db = trb::db::Database::open(out);
      db.runNative(QStringLiteral("CREATE TABLE marker (x INTEGER)"));
    }
    QVERIFY(run({input}, &text) != 0);
    QVERIFY(trb::db::Database::open(out).hasTable(QStringLiteral("marker")));
    QVERIFY(run({input, out}, &text) != 0);
    QVERIFY(trb::db::Database::open(out).hasTable(QStringLiteral("marker")));
    QCOMPARE(run({input, out, QStringLiteral("--force")}, &text), 0);
    QVERIFY(!trb::db::Database::open(out).hasTable(QStringLiteral("marker")));

    // A failed import with --force leaves the existing output alone.
    const QString broken = dir.filePath(QStringLiteral("broken.mdb"));
    {
      QFile f(broken);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("not a database");
    }
    QVERIFY(run({broken, out, QStringLiteral("--force")}, &text) != 0);
    QVERIFY(trb::db::Database::open(out).hasTable(QStringLiteral("Asset Items")));
  }

  // A primary key that the rows break (asset 30051 made a second 30050): every row comes over,
  // the key is left out and said so.
  void keyThatDoesNotHold() {
    QTemporaryDir dir;
    QFile src(fixture("ASampleDatabase.accdb"));
    QVERIFY(src.open(QIODevice::ReadOnly));
    QByteArray bytes = src.readAll();
    const int assetNo = 44 * 4096 + 0xf12;  // compressed text "30051" of row 2
    QCOMPARE(bytes.mid(assetNo + 2, 5), QByteArray("30051"));
    bytes[assetNo + 6] = '0';
    const QString input = dir.filePath(QStringLiteral("dup.accdb"));
    QFile dst(input);
    QVERIFY(dst.open(QIODevice::WriteOnly));
    dst.write(bytes);
    dst.close();
    const QString out = dir.filePath(QStringLiteral("dup.sqlite"));
    const auto r = trb::transfer::importLegacy(input, out);
    QVERIFY(r.complete());
    QCOMPARE(r.rows(), qint64(65));
    QVERIFY2(r.notes.join(u'\n').contains(QStringLiteral("Asset Items: primary key left out")),
             qPrintable(r.notes.join(u'\n')));
    auto db = trb::db::Database::open(out);
    QStringList key;
    columnsOf(db, QStringLiteral("Asset Items"), &key);
    QVERIFY(key.isEmpty());
    QCOMPARE(
        rows(db, "SELECT count(*) FROM \"Asset Items\" WHERE \"Asset No\" = '30050'")[0][0].toInt(),
        2);
  }

  // Rows done of rows in all, rising to the end.
  void progress() {
    QTemporaryDir dir;
    trb::test::RecordingFeedback fb;
    trb::transfer::importLegacy(fixture("ASampleDatabase.accdb"),
                                dir.filePath(QStringLiteral("out.sqlite")), false, fb);
    const QList<QPair<qint64, qint64>>& calls = fb.progress;
    QVERIFY(!calls.isEmpty());
    QCOMPARE(calls.last(), qMakePair(qint64(65), qint64(65)));
    for (int i = 1; i < calls.size(); ++i) QVERIFY(calls[i].first >= calls[i - 1].first);
  }

  // A stop asked for ends the reading process: nothing is written.
  void stopped() {
    QTemporaryDir dir;
    trb::Feedback fb;
    fb.cancel();
    QVERIFY_THROWS_EXCEPTION(
        trb::Canceled,
        trb::transfer::importLegacy(fixture("ASampleDatabase.accdb"),
                                    dir.filePath(QStringLiteral("out.sqlite")), false, fb));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
  }

  // A killed import leaves its hidden temporary file: the next import into the same file removes
  // it (and its journal) once its process is gone, and leaves a running import's file alone.
  void abandonedPartsRemoved() {
    QTemporaryDir dir;
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    QVERIFY(ended.waitForFinished());
    const qint64 gone = ended.processId() > 0 ? ended.processId() : 999999;
    const QString dead = QStringLiteral(".out.sqlite.%1.AbCdEf.part").arg(gone);
    const QString live =
        QStringLiteral(".out.sqlite.%1.XyZabc.part").arg(QCoreApplication::applicationPid());
    for (const QString& name : {dead, dead + QStringLiteral("-journal"), live}) {
      QFile f(dir.filePath(name));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    trb::Feedback fb;
    trb::transfer::importLegacy(fixture("DateTestDatabase.mdb"),
                                dir.filePath(QStringLiteral("out.sqlite")), false, fb);
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList({live, QStringLiteral("out.sqlite")}));
  }

  // Opening a legacy file: imported once, reused while newer, re-imported with a backup when not.
  void openingPath() {
    QTemporaryDir dir;
    const QString mdb = dir.filePath(QStringLiteral("trial.MDB"));
    QVERIFY(QFile::copy(fixture("DateTestDatabase.mdb"), mdb));
    QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
    const QString sqlite = dir.filePath(QStringLiteral("trial.sqlite"));
    QString note;

    QCOMPARE(trb::transfer::sqlitePathFor(sqlite, &note), sqlite);  // not legacy: itself
    QCOMPARE(trb::transfer::sqlitePathFor(mdb, &note), sqlite);
    QVERIFY2(note.contains(QStringLiteral("Imported")), qPrintable(note));
    {
      auto db = trb::db::Database::open(sqlite);
      db.runNative(QStringLiteral("CREATE TABLE work_done (x INTEGER)"));
    }
    QCOMPARE(trb::transfer::sqlitePathFor(mdb, &note), sqlite);
    QVERIFY2(note.contains(QStringLiteral("newer")), qPrintable(note));
    QVERIFY(trb::db::Database::open(sqlite).hasTable(QStringLiteral("work_done")));

    // The Access file changed after the import: a fresh import, the old file kept aside.
    QFile f(mdb);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(
        f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    f.close();
    QCOMPARE(trb::transfer::sqlitePathFor(mdb, &note), sqlite);
    QVERIFY2(note.contains(QStringLiteral("Imported")), qPrintable(note));
    QVERIFY(!trb::db::Database::open(sqlite).hasTable(QStringLiteral("work_done")));
    const QStringList backups =
        QDir(dir.path()).entryList({QStringLiteral("trial.sqlite.*.bak")}, QDir::Files);
    QCOMPARE(backups.size(), 1);
    QVERIFY2(note.contains(backups.first()), qPrintable(note));
    QVERIFY(trb::db::Database::open(dir.filePath(backups.first()))
                .hasTable(QStringLiteral("work_done")));

    // Without the Access file the imported one is still found; without both, an error.
    QVERIFY(QFile::remove(mdb));
    QCOMPARE(trb::transfer::sqlitePathFor(mdb, &note), sqlite);
    QVERIFY2(note.contains(QStringLiteral("no longer exists")), qPrintable(note));
    QVERIFY(QFile::remove(sqlite));
    QVERIFY_THROWS_EXCEPTION(ImportError, trb::transfer::sqlitePathFor(mdb, &note));
  }

  void defaultTarget_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::newRow("mdb") << "/d/Versuche.mdb"
                         << "/d/Versuche.sqlite";
    QTest::newRow("accdb, upper case") << "/d/a.b/X.ACCDB"
                                       << "/d/a.b/X.sqlite";
    QTest::newRow("no extension") << "/d/plain"
                                  << "/d/plain.sqlite";
  }
  void defaultTarget() {
    QFETCH(QString, source);
    QFETCH(QString, target);
    QCOMPARE(trb::transfer::defaultImportTarget(source), target);
  }

  // Gaps against the bundled schema, names without regard to case; a missing area is singled out.
  void schemaCheck() {
    trb::test::TempDb full(QStringLiteral("schema"));
    const auto none = trb::transfer::checkSchema(full.db);
    if (!none.schemaKnown) QSKIP("no bundled schema");
    QVERIFY2(none.empty(), qPrintable(none.lines().join(u'\n')));

    trb::test::TempDb db(QStringLiteral("empty"));
    db.db.runNative(QStringLiteral(
        "CREATE TABLE FIELD_DESCRIPTION (fl_id INTEGER, Versuch_Code TEXT); "
        "CREATE TABLE Experiments (EXP_ID INTEGER, vcode TEXT, location TEXT, herkunft TEXT)"));
    const auto g = trb::transfer::checkSchema(db.db);
    QVERIFY(g.areaMissing);
    QVERIFY(
        !g.missingColumns.contains(QStringLiteral("field_description.area"), Qt::CaseInsensitive));
    QVERIFY(g.missingColumns.contains(QStringLiteral("field_description.Location"),
                                      Qt::CaseInsensitive));
    QVERIFY(!g.missingTables.contains(QStringLiteral("experiments"), Qt::CaseInsensitive));
    QVERIFY(!g.missingTables.contains(QStringLiteral("field_description"), Qt::CaseInsensitive));
    QVERIFY(g.missingTables.contains(QStringLiteral("soilproperties"), Qt::CaseInsensitive));
    for (const QString& c : g.missingColumns)
      QVERIFY2(!c.startsWith(QStringLiteral("experiments."), Qt::CaseInsensitive), qPrintable(c));
  }
};

QTEST_GUILESS_MAIN(TstLegacyImport)
#include "tst_legacy_import.moc"
