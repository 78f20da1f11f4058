// The database path in the user's ODBC data source T_R_B: set where the data source exists (with
// the driver's StepAPI=1), the rest of the file kept as it was, nothing written where it does not;
// added on request.
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
           "Database=/old\nStepAPI=0\n"
        << true
        << "; mine\n[other]\nDatabase=/x\n[T_R_B]\nDriver=SQLite3\nDBQ=/new.sqlite\n; note\n"
           "Database=/new.sqlite\nStepAPI=1\n";
    QTest::newRow("values added before the blank line ending the section")
        << "[T_R_B]\nDriver=SQLite3\n\n[other]\nDatabase=/x\n"
        << true
        << "[T_R_B]\nDriver=SQLite3\nDBQ=/new.sqlite\nDatabase=/new.sqlite\nStepAPI=1\n\n"
           "[other]\nDatabase=/x\n";
    QTest::newRow("section name in another case, last line without newline")
        << "[t_r_b]\nDriver=SQLite3" << true
        << "[t_r_b]\nDriver=SQLite3\nDBQ=/new.sqlite\nDatabase=/new.sqlite\nStepAPI=1\n";
    QTest::newRow("no data source: nothing written") << "[other]\nDBQ=/x\n"
                                                     << false << "[other]\nDBQ=/x\n";
    QTest::newRow("no configuration file") << "<none>" << false << "<none>";
  }
  void setDatabase() {
    QFETCH(QString, before);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    const QString path = prepare(before);
    QString error;
    try {
      trb::app::setOdbcDatabase(QStringLiteral("/new.sqlite"));
    } catch (const trb::Error& e) {
      error = e.message();
    }
    QCOMPARE(error.isEmpty(), ok);
    QCOMPARE(contents(path), after);
  }

  void addSource_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("no file: created") << "<none>"
                                      << "[T_R_B]\nDescription=trb database for R\nDriver=SQLite3\n"
                                         "DBQ=/new.sqlite\nDatabase=/new.sqlite\nStepAPI=1\n";
    QTest::newRow("appended after the other sources")
        << "[other]\nDBQ=/x"
        << "[other]\nDBQ=/x\n\n[T_R_B]\nDescription=trb database for R\nDriver=SQLite3\n"
           "DBQ=/new.sqlite\nDatabase=/new.sqlite\nStepAPI=1\n";
    QTest::newRow("an existing source only gets the path")
        << "[T_R_B]\nDriver=SQLite3\nDatabase=/old\n"
        << "[T_R_B]\nDriver=SQLite3\nDatabase=/new.sqlite\nDBQ=/new.sqlite\nStepAPI=1\n";
  }
  void addSource() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    const QString path = prepare(before);
    trb::app::addOdbcSource(QStringLiteral("/new.sqlite"));
    QCOMPARE(contents(path), after);
    trb::app::setOdbcDatabase(QStringLiteral("/new.sqlite"));  // found now, nothing changes
    QCOMPARE(contents(path), after);
  }

 private:
  QString prepare(const QString& before) {
    const QString path = dir_.filePath(QStringLiteral("odbc.ini"));
    QFile::remove(path);
    if (before != u"<none>") {
      QFile f(path);
      if (f.open(QIODevice::WriteOnly)) f.write(before.toUtf8());
    }
    qputenv("ODBCINI", path.toLocal8Bit());
    return path;
  }
  static QString contents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("<none>");
    return QString::fromUtf8(f.readAll());
  }
};

QTEST_GUILESS_MAIN(TestOdbcSource)
#include "tst_odbc_source.moc"
