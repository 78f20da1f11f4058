// trbdb transfer and trbdb sql with make-table queries into another file, as a script runs them.
#include <QProcess>
#include <QtTest>

#include "testutil.h"

namespace {

struct Run {
  int code = -1;
  QString out, err;
};

Run trbdb(const QStringList& args, const QString& cwd) {
  QProcess p;
  p.setWorkingDirectory(cwd);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), cwd);
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(TRB_TRBDB), args);
  p.waitForFinished(120000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

int count(const QString& file, const QString& sql) {
  trb::db::Database db = trb::db::Database::open(file);
  return db.scalar(sql).toInt();
}

}  // namespace

class TstTransferCommands : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString path(const QString& name) { return dir_.filePath(name); }

 private slots:
  void initTestCase() {
    QCOMPARE(trbdb({"create", path("src.sqlite"), "--demo"}, dir_.path()).code, 0);
  }

  void transfer_data() {
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("plots");
    QTest::newRow("missing items: skipped") << QStringList{} << 1 << 0;
    QTest::newRow("carried over") << QStringList{"--copy-missing-parameters"} << 0 << 1;
    QTest::newRow("no key check") << QStringList{"--no-key-check"} << 0 << 1;
  }
  void transfer() {
    QFETCH(QStringList, switches);
    QFETCH(int, code);
    QFETCH(int, plots);
    const QString dst = path(QStringLiteral("dst_%1.sqlite").arg(QTest::currentDataTag()));
    QCOMPARE(trbdb({"create", dst}, dir_.path()).code, 0);
    {
      // the manure of plot 3 is unknown there
      trb::db::Database db = trb::db::Database::open(dst);
      trb::db::Database src = trb::db::Database::open(path("src.sqlite"));
      const QVariant manure = src.scalar(
          QStringLiteral("select min(item_ix) from cultivation where fl_id = 3 and macode = 3"));
      db.execute(QStringLiteral("delete from slvopspa where item_ix = ?"), {manure});
    }
    const Run r = trbdb(QStringList{"transfer", path("src.sqlite"), dst, "--plots", "3"} + switches,
                        dir_.path());
    QVERIFY2(r.code == code, qPrintable(r.out + r.err));
    QCOMPARE(count(dst, QStringLiteral("select count(*) from field_description")), plots);
    QVERIFY(QFile::exists(dst + QStringLiteral(".bak")));
    if (switches.isEmpty()) {
      QVERIFY(r.out.contains(QStringLiteral("Fehlerliste Ops:")));
      QVERIFY(r.err.contains(QStringLiteral("plot 3 is skipped")));
    }
    if (switches == QStringList{"--no-key-check"})
      QVERIFY(!r.out.contains(QStringLiteral("Trefferliste")));
  }

  void wrongArguments() {
    QCOMPARE(trbdb({"transfer", path("src.sqlite")}, dir_.path()).code, 2);
    QCOMPARE(
        trbdb({"transfer", path("src.sqlite"), path("x.sqlite"), "--plots", "a"}, dir_.path()).code,
        2);
    // the destination must be a trb database that exists
    QCOMPARE(
        trbdb({"transfer", path("src.sqlite"), path("none.sqlite"), "--plots", "1"}, dir_.path())
            .code,
        1);
  }

  // A make-table query into another file inside a script: the script commits or changes nothing
  // as a whole, that file included.
  void sqlIntoAnotherFile() {
    QFile ok(path("into.sql"));
    QVERIFY(ok.open(QIODevice::WriteOnly));
    ok.write(
        "select * into t in \"other.sqlite\" from experiments\ngo\n"
        "update experiments set herkunft = 'changed'\n");
    ok.close();
    Run r = trbdb({"sql", path("src.sqlite"), path("into.sql")}, dir_.path());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(count(path("other.sqlite"), QStringLiteral("select count(*) from t")), 2);
    QCOMPARE(count(path("src.sqlite"),
                   QStringLiteral("select count(*) from experiments where herkunft = 'changed'")),
             2);

    QFile bad(path("bad.sql"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(
        "select * into t2 in \"other.sqlite\" from experiments\ngo\n"
        "update experiments set herkunft = 'again'\ngo\nselect nosuch from experiments\n");
    bad.close();
    r = trbdb({"sql", path("src.sqlite"), path("bad.sql")}, dir_.path());
    QCOMPARE(r.code, 1);
    trb::db::Database other = trb::db::Database::open(path("other.sqlite"));
    QVERIFY(!other.hasTable(QStringLiteral("t2")));
    QCOMPARE(count(path("src.sqlite"),
                   QStringLiteral("select count(*) from experiments where herkunft = 'again'")),
             0);
  }
};

QTEST_GUILESS_MAIN(TstTransferCommands)
#include "tst_transfer_commands.moc"
