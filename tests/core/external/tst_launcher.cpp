// The launcher: a start that fails says why at once, a started program is tracked to its end,
// and only the last started one is tracked.
#include <QElapsedTimer>
#include <QtTest>
#include <cerrno>

#include "core/external/launcher.h"

using trb::external::Launcher;

class TestLauncher : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

 private slots:
  void failedStart_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("code");
    QTest::newRow("no such program") << "/no/such/program" << QString() << ENOENT;
    QTest::newRow("no such program on the PATH") << "trb-no-such-program" << QString() << ENOENT;
    QTest::newRow("no such folder") << "/bin/sh"
                                    << "/no/such/folder" << ENOENT;
    QTest::newRow("not executable") << "<plain file>" << QString() << EACCES;
  }
  void failedStart() {
    QFETCH(QString, program);
    QFETCH(QString, folder);
    QFETCH(int, code);
    if (program == u"<plain file>") {
      program = dir_.filePath(QStringLiteral("plain.txt"));
      QFile f(program);
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    Launcher l;
    QCOMPARE(l.resultCode(), 0);
    l.applicationName = program;
    l.currentDir = folder;
    QElapsedTimer clock;
    clock.start();
    l.execute();
    QCOMPARE(l.resultCode(), code);
    QVERIFY(!l.finished());
    QVERIFY(!l.working());
    QVERIFY(!l.waitForEnd());  // a waiting caller returns instead of hanging
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
  }

  void runsInFolderToItsEnd() {
    Launcher l;
    l.applicationName = QStringLiteral("sh");
    l.currentDir = dir_.path();
    l.parameters = QStringLiteral(R"(-c "echo $0 > out.txt" "one arg")");
    QCOMPARE(l.commandLine(), QStringLiteral("sh ") + l.parameters);
    l.execute();
    QCOMPARE(l.resultCode(), -1);
    QVERIFY(l.working());
    QVERIFY(l.waitForEnd());
    QVERIFY(l.finished());
    QVERIFY(!l.working());
    QFile out(dir_.filePath(QStringLiteral("out.txt")));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), QByteArray("one arg\n"));
  }

  void onlyTheLastProcessIsTracked() {
    Launcher l;
    l.applicationName = QStringLiteral("sleep");
    l.parameters = QStringLiteral("3");
    l.execute();
    QCOMPARE(l.resultCode(), -1);
    l.parameters = QStringLiteral("0");
    l.execute();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(l.waitForEnd());
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(l.finished());
  }

  void emptyParameters() {
    Launcher l;
    l.applicationName = QStringLiteral("true");
    QCOMPARE(l.commandLine(), QStringLiteral("true "));
    QVERIFY(l.arguments().isEmpty());
    l.execute();
    QVERIFY(l.waitForEnd());
  }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
