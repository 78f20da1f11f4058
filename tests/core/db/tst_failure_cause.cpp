// Failures of the file rather than of a statement (locked, read-only, full, not a database) name
// their cause, and a drop that fails for such a cause is not taken for a missing table.
#include <sqlite3.h>

#include <QtTest>

#include "core/db/database.h"
#include "testutil.h"

using trb::db::FailureCause;

Q_DECLARE_METATYPE(FailureCause)

class TstFailureCause : public QObject {
  Q_OBJECT

 private slots:
  void causeOfEngineCode_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<FailureCause>("cause");
    QTest::newRow("busy") << SQLITE_BUSY << FailureCause::Locked;
    QTest::newRow("read-only") << SQLITE_READONLY << FailureCause::ReadOnly;
    QTest::newRow("read-only, extended") << SQLITE_READONLY_DBMOVED << FailureCause::ReadOnly;
    QTest::newRow("full") << SQLITE_FULL << FailureCause::DiskFull;
    QTest::newRow("write error") << SQLITE_IOERR_WRITE << FailureCause::Io;
    QTest::newRow("not a database") << SQLITE_NOTADB << FailureCause::NotADatabase;
    QTest::newRow("damaged") << SQLITE_CORRUPT << FailureCause::Damaged;
    // a table of this connection in use is a fault of the statements, not of the file
    QTest::newRow("table locked here") << SQLITE_LOCKED << FailureCause::Other;
    QTest::newRow("syntax") << SQLITE_ERROR << FailureCause::Other;
    QTest::newRow("constraint") << SQLITE_CONSTRAINT_UNIQUE << FailureCause::Other;
  }
  void causeOfEngineCode() {
    QFETCH(int, code);
    QFETCH(FailureCause, cause);
    QCOMPARE(trb::db::failureCause(code), cause);
  }

  // Another connection holds the file for writing: the drop of a work table says so (after the
  // engine's 5 s wait) instead of passing, so that the make-table after it cannot report that
  // the table "already exists".
  void dropOfALockedFileFails() {
    trb::test::TempDb t(QStringLiteral("schema"));
    t.db.execute(QStringLiteral("select fl_id into work_table from field_description"));
    trb::db::Database other = trb::db::Database::open(t.path);
    other.begin();
    other.execute(QStringLiteral("update site_state set status=status"));
    try {
      t.db.dropTable(QStringLiteral("work_table"));
      QFAIL("the drop passed");
    } catch (const trb::db::DbError& e) {
      QCOMPARE(e.cause(), FailureCause::Locked);
      QVERIFY2(e.message().startsWith(
                   QStringLiteral("The database %1 is locked by another program").arg(t.path)),
               qPrintable(e.message()));
    }
    other.rollback();
    t.db.dropTable(QStringLiteral("work_table"));
    t.db.dropTable(QStringLiteral("work_table"));  // a missing table is still no failure
    QVERIFY(!t.db.hasTable(QStringLiteral("work_table")));
  }
};

QTEST_GUILESS_MAIN(TstFailureCause)
#include "tst_failure_cause.moc"
