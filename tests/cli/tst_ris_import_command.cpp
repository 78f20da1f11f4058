// trbdb ris-import as a script runs it: the count, the records not stored, the exit status.
#include <QFile>
#include <QtTest>

#include "cli/cli_run.h"
#include "testutil.h"

class TstRisImportCommand : public QObject {
  Q_OBJECT
 private slots:
  void importsAndReports() {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.sqlite"));
    auto trbdb = [&](const QStringList& args) {
      return trb::test::run(QStringLiteral(TRB_TRBDB), args, dir.path());
    };
    QCOMPARE(trbdb({QStringLiteral("create"), db}).code, 0);
    const QString ris = dir.filePath(QStringLiteral("refs.ris"));
    QFile f(ris);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "TY  - JOUR\nAU  - Weiß, K.\nPY  - 2001\nER  - \n"
        "ER  - \n"  // an empty record
        "TY  - BOOK\nAU  - Roth, P.\nER  - \n");
    f.close();
    auto r = trbdb({QStringLiteral("ris-import"), db, ris});
    QCOMPARE(r.code, 1);  // one record was not stored
    QVERIFY2(r.out.contains(QStringLiteral("2 records stored")), qPrintable(r.out));
    QVERIFY2(r.err.contains(QStringLiteral("record 2")), qPrintable(r.err));
    trb::db::Database d = trb::db::Database::open(db);
    QCOMPARE(d.scalar(QStringLiteral("SELECT count(*) FROM referenzen")).toInt(), 2);
    d.close();

    r = trbdb({QStringLiteral("ris-import"), db, dir.filePath(QStringLiteral("none.ris"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("none.ris")), qPrintable(r.err));
  }
};

QTEST_GUILESS_MAIN(TstRisImportCommand)
#include "tst_ris_import_command.moc"
