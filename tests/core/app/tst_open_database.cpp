// Opening a database by its path: a SQLite file as it is, an Access file through its imported copy,
// with what was done reported through the feedback.
#include <QtTest>

#include "core/app/open_database.h"
#include "core/base/error.h"
#include "core/base/feedback.h"
#include "testutil.h"

namespace {

struct Lines : trb::Feedback {
  QStringList lines;
  void pushLine(Level, const QString& line) override { lines << line; }
};

}  // namespace

class TstOpenDatabase : public QObject {
  Q_OBJECT

 private slots:
  void sqliteFileAsItIs() {
    trb::test::TempDb t(QStringLiteral("schema"));
    t.db.close();
    Lines fb;
    trb::db::Database db = trb::app::open_database(t.path, fb);
    QCOMPARE(db.path(), t.path);
    QVERIFY(db.hasTable(QStringLiteral("field_description")));
    QVERIFY(fb.lines.isEmpty());
  }

  void accessFileImportedFirst() {
    const QString fixture = trb::test::sharedFixture(QStringLiteral("DateTestDatabase.mdb"));
    if (!QFile::exists(fixture)) QFAIL(qPrintable(QStringLiteral("missing fixture ") + fixture));
    QTemporaryDir dir;
    const QString mdb = dir.filePath(QStringLiteral("trial.mdb"));
    QVERIFY(QFile::copy(fixture, mdb));
    QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
    Lines fb;
    {
      trb::db::Database db = trb::app::open_database(mdb, fb);
      QCOMPARE(db.path(), dir.filePath(QStringLiteral("trial.sqlite")));
      QVERIFY(!db.userTables().isEmpty());
    }
    QVERIFY2(fb.lines.join(u'\n').contains(QStringLiteral("Imported")),
             qPrintable(fb.lines.join(u'\n')));
    fb.lines.clear();
    trb::app::open_database(mdb, fb);  // the copy is newer: reused
    QVERIFY2(fb.lines.join(u'\n').contains(QStringLiteral("newer")),
             qPrintable(fb.lines.join(u'\n')));
  }

  // An empty file and another program's SQLite file are no trb database, said as such.
  void notATrbDatabase_data() {
    QTest::addColumn<QString>("sql");  // native SQL making the file; empty: a file of 0 bytes
    QTest::newRow("empty file") << "";
    QTest::newRow("another program's database") << "create table notes (a, b, c)";
  }
  void notATrbDatabase() {
    QFETCH(QString, sql);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.sqlite"));
    if (sql.isEmpty()) {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
    } else {
      trb::db::Database::create(path).runNative(sql);
    }
    trb::Feedback fb;
    try {
      trb::app::open_database(path, fb);
      QFAIL("opened");
    } catch (const trb::db::DbError& e) {
      QCOMPARE(e.cause(), trb::db::FailureCause::NotADatabase);
      QCOMPARE(e.message(), QStringLiteral("The file %1 is not a trb database.").arg(path));
    }
  }

  void failuresAreOneErrorType_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing SQLite file") << "missing.sqlite";
    QTest::newRow("missing Access file") << "missing.mdb";
  }
  void failuresAreOneErrorType() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    trb::Feedback fb;
    QVERIFY_THROWS_EXCEPTION(trb::Error, trb::app::open_database(dir.filePath(name), fb));
  }
};

QTEST_GUILESS_MAIN(TstOpenDatabase)
#include "tst_open_database.moc"
