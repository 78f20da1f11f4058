// trbdb ris-import as a script runs it: the closing count, the records not stored, the exit
// status.
#include <QFile>
#include <QtTest>

#include "cli/cli_run.h"
#include "testutil.h"

class TstRisImportCommand : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString db_;

  trb::test::Run trbdb(const QStringList& args) {
    return trb::test::run(QStringLiteral(TRB_TRBDB), args, dir_.path());
  }
  int references() {
    trb::db::Database d = trb::db::Database::open(db_);
    return d.scalar(QStringLiteral("SELECT count(*) FROM referenzen")).toInt();
  }

 private slots:
  void initTestCase() {
    db_ = dir_.filePath(QStringLiteral("t.sqlite"));
    QCOMPARE(trbdb({QStringLiteral("create"), db_}).code, 0);
  }

  void exitCodes_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QByteArray two =
        "TY  - JOUR\nAU  - Weiß, K.\nPY  - 2001\nER  - \n"
        "TY  - BOOK\nAU  - Roth, P.\nER  - \n";
    QTest::newRow("every record stored") << two << 0 << 2 << "2 of 2 records stored"
                                         << "";
    QTest::newRow("the same file again") << two << 1 << 0 << "0 of 2 records stored"
                                         << "is already there";
    QTest::newRow("last record without end tag")
        << QByteArray("TY  - JOUR\nAU  - Last, L.\nTI  - Unended\n") << 0 << 1
        << "1 of 1 records stored"
        << "taken as ended by the end of the file";
    QTest::newRow("a record without author, title and year")
        << QByteArray("TY  - JOUR\nTI  - Kept\nER  -\nTY  - JOUR\nDO  - 10.1/x\nER  -\n") << 1 << 1
        << "1 of 2 records stored"
        << "record 2 (line 4) not stored";
    QTest::newRow("no record") << QByteArray("just text\n") << 1 << 0 << ""
                               << "no RIS record";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << 1 << 0 << ""
                            << "binary";
  }
  void exitCodes() {
    QFETCH(QByteArray, file);
    QFETCH(int, code);
    QFETCH(int, added);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString ris = dir_.filePath(QStringLiteral("refs.ris"));
    QFile f(ris);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(file);
    f.close();
    const int before = references();
    const auto r = trbdb({QStringLiteral("ris-import"), db_, ris});
    QVERIFY2(r.code == code, qPrintable(r.out + r.err));
    QCOMPARE(references() - before, added);
    QVERIFY2(out.isEmpty() ? !r.out.contains(QStringLiteral("records stored"))
                           : r.out.trimmed().endsWith(out),
             qPrintable(r.out));
    QVERIFY2(r.err.contains(err), qPrintable(r.err));
  }

  void missingFileAndUsage() {
    auto r = trbdb({QStringLiteral("ris-import"), db_, dir_.filePath(QStringLiteral("none.ris"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("none.ris")), qPrintable(r.err));
    QCOMPARE(trbdb({QStringLiteral("ris-import"), db_}).code, 2);
  }
};

QTEST_GUILESS_MAIN(TstRisImportCommand)
#include "tst_ris_import_command.moc"
