// The database path in the user's ODBC data source T_R_B: set where the data source exists, the
// rest of the file kept as it was, nothing written where it does not.
#include <QtTest>

#include "core/app/odbc_source.h"
#include "core/base/error.h"

class TestOdbcSource : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

 private slots:
  void setDatabase_data() {
    QTest::addColumn<QString>("before");  // "<none>": no file
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");
    QTest::newRow("values replaced, comments and other sources kept")
        << "; mine\n[other]\nDatabase=/x\n[T_R_B]\nDriver=SQLite3\nDBQ=/old\n; note\n"
           "Database=/old\n"
        << true
        << "; mine\n[other]\nDatabase=/x\n[T_R_B]\nDriver=SQLite3\nDBQ=/new.sqlite\n; note\n"
           "Database=/new.sqlite\n";
    QTest::newRow("values added before the blank line ending the section")
        << "[T_R_B]\nDriver=SQLite3\n\n[other]\nDatabase=/x\n"
        << true
        << "[T_R_B]\nDriver=SQLite3\nDBQ=/new.sqlite\nDatabase=/new.sqlite\n\n[other]\n"
           "Database=/x\n";
    QTest::newRow("section name in another case, last line without newline")
        << "[t_r_b]\nDriver=SQLite3" << true
        << "[t_r_b]\nDriver=SQLite3\nDBQ=/new.sqlite\nDatabase=/new.sqlite\n";
    QTest::newRow("no data source: nothing written") << "[other]\nDBQ=/x\n"
                                                     << false << "[other]\nDBQ=/x\n";
    QTest::newRow("no configuration file") << "<none>" << false << "<none>";
  }
  void setDatabase() {
    QFETCH(QString, before);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    const QString path = dir_.filePath(QStringLiteral("odbc.ini"));
    QFile::remove(path);
    if (before != u"<none>") {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(before.toUtf8());
    }
    qputenv("ODBCINI", path.toLocal8Bit());
    QCOMPARE(trb::app::odbcIniPath(), path);
    QString error;
    try {
      trb::app::setOdbcDatabase(QStringLiteral("/new.sqlite"));
    } catch (const trb::Error& e) {
      error = e.message();
    }
    QCOMPARE(error.isEmpty(), ok);
    QFile f(path);
    if (after == u"<none>") {
      QVERIFY(!f.exists());
      return;
    }
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), after);
  }
};

QTEST_GUILESS_MAIN(TestOdbcSource)
#include "tst_odbc_source.moc"
