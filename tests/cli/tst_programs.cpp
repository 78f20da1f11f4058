// trbdb and trbsim as a script or a user runs them: exit codes, output, and nothing half-written.
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "core/base/version.h"
#include "testutil.h"

namespace {

struct Run {
  int code = -1;
  QString out, err;
};

Run run(const QString& program, const QStringList& args, const QString& cwd = QString(),
        const QString& stdoutFile = QString()) {
  QProcess p;
  if (!cwd.isEmpty()) p.setWorkingDirectory(cwd);
  if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
  // the programs must not see the user's settings
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), cwd.isEmpty() ? QDir::tempPath() : cwd);
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.waitForFinished(120000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

void write(const QString& path, const QByteArray& text) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(text);
}

// A small file system of its own for the test (a tmpfs), unmounted with the object; mounted()
// is false where the test may not mount one.
struct SmallDisk {
  QTemporaryDir dir;
  bool mounted = false;
  explicit SmallDisk(const QString& size) {
    mounted = QProcess::execute(
                  QStringLiteral("mount"),
                  {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                   QStringLiteral("size=") + size, QStringLiteral("tmpfs"), dir.path()}) == 0;
  }
  ~SmallDisk() {
    if (mounted) QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), dir.path()});
  }
  QString path(const QString& name) const { return dir.filePath(name); }
  bool makeReadOnly() {
    return QProcess::execute(QStringLiteral("mount"),
                             {QStringLiteral("-o"), QStringLiteral("remount,ro"), dir.path()}) == 0;
  }
  // Writes a filler file until the disk is full.
  void fill() {
    QFile f(path(QStringLiteral("filler")));
    if (!f.open(QIODevice::WriteOnly)) return;
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size() && f.flush()) {
    }
  }
};

}  // namespace

class TstPrograms : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString path(const QString& name) { return dir_.filePath(name); }

 private slots:
  void createAndScript() {
    const QString trbdb = QStringLiteral(TRB_TRBDB);
    const QString db = path(QStringLiteral("a.sqlite"));
    Run r = run(trbdb, {QStringLiteral("create"), db, QStringLiteral("--demo")});
    QCOMPARE(r.code, 0);
    QVERIFY(run(trbdb, {QStringLiteral("create"), db}).code != 0);  // never over an existing file

    write(path(QStringLiteral("ok.sql")),
          "select Str(fl_id) + \"_\" + location as k from field_description where fl_id < 2\n"
          "go\n"
          "SELECT fl_id, 0 AS n INTO t FROM field_description\ngo\n"
          "update t set n = 550.5\nGO\n");
    r = run(trbdb, {QStringLiteral("sql"), db, path(QStringLiteral("ok.sql"))});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.split(u'\n').mid(0, 4),
             (QStringList{"k", " 1_Kleinhausen", "10 rows affected", "10 rows affected"}));

    // a broken batch: its text and the engine's message, a failing exit, nothing changed
    write(path(QStringLiteral("bad.sql")), "delete * from t\ngo\nupdate t set nosuch = 1\ngo\n");
    r = run(trbdb, {QStringLiteral("sql"), db, path(QStringLiteral("bad.sql"))});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("update t set nosuch = 1")));
    QVERIFY(r.err.contains(QStringLiteral("nosuch")));
    trb::db::Database check = trb::db::Database::open(db);
    QCOMPARE(check.scalar(QStringLiteral("select count(*) from t where n = 550")).toInt(), 10);

    // not a database, a missing file
    write(path(QStringLiteral("text.sqlite")), "just some text, not a database file at all");
    r = run(trbdb, {QStringLiteral("sql"), path(QStringLiteral("text.sqlite")),
                    path(QStringLiteral("ok.sql"))});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("text.sqlite")));
    QCOMPARE(run(trbdb, {QStringLiteral("sql"), path(QStringLiteral("none.sqlite")),
                         path(QStringLiteral("ok.sql"))})
                 .code,
             1);
  }

  // Hostile scripts and impossible outputs end with a message and exit 1, never with a crash.
  void refusesHostileInput_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");
    QTest::newRow("deep parentheses")
        << "select " + QByteArray(3500, '(') + "1" + QByteArray(3500, ')') + "\n"
        << "expression too deeply nested";
    QByteArray nots = "select 1 from field_description where ";
    for (int i = 0; i < 20000; ++i) nots += "not ";
    QTest::newRow("NOT 20000 times") << nots + "1\n"
                                     << "expression too deeply nested";
    QTest::newRow("tokenizer") << QByteArray("select fts3_tokenizer('simple')\n")
                               << "unknown function fts3_tokenizer";
    QTest::newRow("zeroblob") << QByteArray("select zeroblob(999999999)\n")
                              << "unknown function zeroblob";
    QTest::newRow("empty table name")
        << QByteArray("SELECT * INTO [] FROM field_description\n") << "empty name in brackets";
    QTest::newRow("into a device") << QByteArray(
                                          "SELECT * INTO x IN \"/dev/null\" FROM "
                                          "field_description\n")
                                   << "/dev/null is not a database file";
  }
  void refusesHostileInput() {
    QFETCH(QByteArray, script);
    QFETCH(QString, message);
    const QString trbdb = QStringLiteral(TRB_TRBDB);
    const QString db = path(QStringLiteral("hostile.sqlite"));
    if (!QFileInfo::exists(db)) QCOMPARE(run(trbdb, {QStringLiteral("create"), db}).code, 0);
    write(path(QStringLiteral("hostile.sql")), script);
    const Run r = run(trbdb, {QStringLiteral("sql"), db, path(QStringLiteral("hostile.sql"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err.left(500)));
    QVERIFY2(!r.err.contains(QStringLiteral("in the statement:\n\n")), qPrintable(r.err.left(500)));
  }

  // What a script prints is what its statements did; a failing script leaves no file that its
  // make-table queries created, and no journal beside a device.
  void scriptOutputAndLeftovers() {
    const QString trbdb = QStringLiteral(TRB_TRBDB);
    const QString db = path(QStringLiteral("leftovers.sqlite"));
    QCOMPARE(run(trbdb, {QStringLiteral("create"), db, QStringLiteral("--demo")}).code, 0);
    write(path(QStringLiteral("print.sql")),
          "SELECT fl_id AS [a\"b] FROM field_description WHERE fl_id = 1\ngo\n"
          "SELECT fl_id INTO t FROM field_description\ngo\nDROP TABLE t\n");
    Run r = run(trbdb, {QStringLiteral("sql"), db, path(QStringLiteral("print.sql"))});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.split(u'\n'),
             (QStringList{"a\"b", "1", "10 rows affected", "0 rows affected", ""}));

    const QString made = path(QStringLiteral("made.sqlite"));
    const bool devJournal = QFile::exists(QStringLiteral("/dev/null-journal"));
    write(path(QStringLiteral("fails.sql")),
          "SELECT * INTO x IN \"" + made.toUtf8() +
              "\" FROM field_description\ngo\nupdate field_description set nosuch = 1\n");
    r = run(trbdb, {QStringLiteral("sql"), db, path(QStringLiteral("fails.sql"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("nosuch")), qPrintable(r.err));
    QVERIFY(!QFile::exists(made));
    QVERIFY(!QFile::exists(made + QStringLiteral("-journal")));
    write(path(QStringLiteral("null.sql")),
          "SELECT * INTO x IN \"/dev/null\" FROM field_description\n");
    r = run(trbdb, {QStringLiteral("sql"), db, path(QStringLiteral("null.sql"))});
    QCOMPARE(r.code, 1);
    if (!devJournal) QVERIFY(!QFile::exists(QStringLiteral("/dev/null-journal")));
  }

  // Every program names the version the build set, in the form the update check compares.
  void versions() {
    const QString version = trb::programVersion();
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}\\.\\d+\\.\\d+\\.\\d+$"))
                .match(version)
                .hasMatch());
    for (const auto& [program, name] : {std::pair{QStringLiteral(TRB_TRBDB), "trbdb"},
                                        std::pair{QStringLiteral(TRB_TRBSIM), "trbsim"}}) {
      const Run r = run(program, {QStringLiteral("--version")});
      QCOMPARE(r.code, 0);
      QCOMPARE(r.out, QString::fromLatin1(name) + u' ' + version + u'\n');
    }
  }

  void importToAnImpossibleOutput() {
    const QString trbdb = QStringLiteral(TRB_TRBDB);
    QTemporaryDir out;
    const QString target = out.filePath(QString(300, u'x') + QStringLiteral(".sqlite"));
    const Run r =
        run(trbdb, {QStringLiteral("import"),
                    trb::test::sharedFixture(QStringLiteral("ASampleDatabase.accdb")), target});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(target) && r.err.contains(QStringLiteral("too long")),
             qPrintable(r.err));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
  }

  // The exit status and the line on standard error of the programs' failures: output that cannot
  // be written, files that are no trb database, a report that cannot be written, a database
  // another program holds for writing (each after the 5 s that SQLite waits for the lock).
  void exitCodes_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");  // "{db}": a database with results, "{x}": prepared
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QString db = QStringLiteral("{db}");
    const QStringList sql{QStringLiteral("sql"), db, QStringLiteral("{script}")};
    QTest::newRow("trbdb sql") << "trbdb" << sql << "" << 0 << "";
    QTest::newRow("trbsim go") << "trbsim" << QStringList{"DB={db}", "go"} << "" << 0 << "";
    QTest::newRow("trbdb sql, output on a full device")
        << "trbdb" << sql << "full output" << 1 << "trbdb: the output cannot be written";
    QTest::newRow("trbsim, output on a full device")
        << "trbsim" << QStringList{"DB={db}", "go"} << "full output" << 1
        << "trbsim: the output cannot be written";
    QTest::newRow("trbsim, report file cannot be written")
        << "trbsim" << QStringList{"DB={db}", "go"} << "report is a folder" << 1
        << "the report file";
    QTest::newRow("trbdb sql, an empty file") << "trbdb" << QStringList{"sql", "{x}", "{script}"}
                                              << "empty file" << 1 << "is not a trb database";
    QTest::newRow("trbdb stats, another program's SQLite file")
        << "trbdb" << QStringList{"stats", "{x}"} << "other database" << 1
        << "is not a trb database";
    QTest::newRow("trbdb stats, held by another program")
        << "trbdb" << QStringList{"stats", db} << "locked" << 1 << "is locked by another program";
    QTest::newRow("trbsim, held by another program")
        << "trbsim" << QStringList{"DB={db}", "go"} << "locked" << 1
        << "is locked by another program";
  }
  void exitCodes() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(QString, setup);
    QFETCH(int, code);
    QFETCH(QString, message);
    QTemporaryDir work;
    const QString db = work.filePath(QStringLiteral("results.sqlite"));
    QCOMPARE(
        run(QStringLiteral(TRB_TRBDB), {QStringLiteral("create"), db, QStringLiteral("--demo")})
            .code,
        0);
    QCOMPARE(run(QStringLiteral(TRB_TRBSIM), {QStringLiteral("DB=") + db, QStringLiteral("go")},
                 work.path())
                 .code,
             0);
    const QString x = work.filePath(QStringLiteral("x.sqlite"));
    write(work.filePath(QStringLiteral("q.sql")), "select fl_id from field_description\n");
    if (setup == u"empty file") write(x, QByteArray());
    if (setup == u"other database") {
      trb::db::Database other = trb::db::Database::create(x);
      other.runNative(
          QStringLiteral("create table notes (a, b, c); insert into notes values "
                         "(1, 2, 3)"));
    }
    if (setup == u"report is a folder") {
      QVERIFY(QFile::remove(work.filePath(QStringLiteral("trb_report.txt"))));
      QVERIFY(QDir(work.path()).mkdir(QStringLiteral("trb_report.txt")));
    }
    trb::db::Database holder;
    if (setup == u"locked") {
      holder = trb::db::Database::open(db);
      holder.begin();
      holder.execute(QStringLiteral("update site_state set status=status"));
    }
    for (QString& a : args)
      a.replace(QStringLiteral("{db}"), db)
          .replace(QStringLiteral("{x}"), x)
          .replace(QStringLiteral("{script}"), work.filePath(QStringLiteral("q.sql")));
    const QString exe =
        program == u"trbdb" ? QStringLiteral(TRB_TRBDB) : QStringLiteral(TRB_TRBSIM);
    const Run r = run(exe, args, work.path(),
                      setup == u"full output" ? QStringLiteral("/dev/full") : QString());
    if (holder.isOpen()) holder.rollback();
    QVERIFY2(r.code == code, qPrintable(QStringLiteral("exit %1: %2").arg(r.code).arg(r.err)));
    if (!message.isEmpty()) {
      QVERIFY2(r.err.contains(message), qPrintable(r.err));
      QVERIFY2(!r.err.contains(QStringLiteral("already exists")), qPrintable(r.err));
    }
  }

  // A read-only database and a full disk are named as such, each once; the database stays
  // whole. Needs a small file system of the test's own (skipped where it cannot be mounted).
  void readOnlyAndFullDisk_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("message");
    QTest::newRow("trbdb stats, read-only")
        << "trbdb" << QStringList{"stats", "{db}"} << true << "is read-only";
    QTest::newRow("trbsim, read-only")
        << "trbsim" << QStringList{"DB={db}", "go"} << true << "is read-only";
    QTest::newRow("trbdb stats, disk full")
        << "trbdb" << QStringList{"stats", "{db}"} << false << "The disk of the database";
    QTest::newRow("trbsim, disk full")
        << "trbsim" << QStringList{"DB={db}", "go"} << false << "The disk of the database";
  }
  void readOnlyAndFullDisk() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(bool, readOnly);
    QFETCH(QString, message);
    SmallDisk disk(QStringLiteral("8m"));
    if (!disk.mounted) QSKIP("no small file system can be mounted here");
    const QString db = disk.path(QStringLiteral("trial.sqlite"));
    QCOMPARE(
        run(QStringLiteral(TRB_TRBDB), {QStringLiteral("create"), db, QStringLiteral("--demo")})
            .code,
        0);
    if (readOnly)
      QVERIFY(disk.makeReadOnly());
    else
      disk.fill();
    for (QString& a : args) a.replace(QStringLiteral("{db}"), db);
    const QString exe =
        program == u"trbdb" ? QStringLiteral(TRB_TRBDB) : QStringLiteral(TRB_TRBSIM);
    QTemporaryDir cwd;
    const Run r = run(exe, args, cwd.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY2(r.err.count(message) == 1, qPrintable(r.err));
    QVERIFY2(r.err.contains(db), qPrintable(r.err));
    QVERIFY2(!r.err.contains(QStringLiteral("already exists")), qPrintable(r.err));
    trb::db::Database check = trb::db::Database::open(db);
    QSqlQuery integrity(check.qt());
    QVERIFY(integrity.exec(QStringLiteral("pragma integrity_check")) && integrity.next());
    QCOMPARE(integrity.value(0).toString(), QStringLiteral("ok"));
  }

  void simulatorBatch() {
    const QString db = path(QStringLiteral("sim.sqlite"));
    QCOMPARE(
        run(QStringLiteral(TRB_TRBDB), {QStringLiteral("create"), db, QStringLiteral("--demo")})
            .code,
        0);
    const QString trbsim = QStringLiteral(TRB_TRBSIM);
    // without "go": the settings and the selected plots, no calculation
    Run r =
        run(trbsim, {QStringLiteral("DB=") + db, QStringLiteral("--select"), QStringLiteral("1,3")},
            dir_.path());
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("method : TRB")));
    QVERIFY(!r.out.contains(QStringLiteral("trb running")));

    // a link named like the report is replaced, its target left alone
    write(path(QStringLiteral("precious.txt")), "keep me");
    QVERIFY(
        QFile::link(path(QStringLiteral("precious.txt")), path(QStringLiteral("trb_report.txt"))));
    r = run(trbsim, {QStringLiteral("DB=") + db, QStringLiteral("go")}, dir_.path());
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("\njob finished\n")));
    QVERIFY(QFile::exists(path(QStringLiteral("trb_report.txt"))));
    QVERIFY(!QFileInfo(path(QStringLiteral("trb_report.txt"))).isSymLink());
    {
      QFile precious(path(QStringLiteral("precious.txt")));
      QVERIFY(precious.open(QIODevice::ReadOnly));
      QCOMPARE(precious.readAll(), QByteArray("keep me"));
    }
    trb::db::Database check = trb::db::Database::open(db);
    QCOMPARE(check.scalar(QStringLiteral("select count(*) from trb_driver")).toInt(), 2);

    r = run(trbsim, {QStringLiteral("DB=") + db, QStringLiteral("go"), QStringLiteral("M=XYZ")},
            dir_.path());
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("XYZ")));
  }
};

QTEST_GUILESS_MAIN(TstPrograms)
#include "tst_programs.moc"
