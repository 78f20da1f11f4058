// trbsim stopped by a signal as a user stops a calculation: the stop line, a failing exit, the
// plots completed kept and the run recorded as stopped, which the next run says.
#include <signal.h>

#include <QProcess>
#include <QtTest>

#include "core/engine/run_log.h"
#include "testutil.h"

class TstTrbsimSignals : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

 private slots:
  void signalStopsTheCalculation_data() {
    QTest::addColumn<int>("sig");
    QTest::addColumn<QString>("name");
    QTest::newRow("SIGTERM") << int(SIGTERM) << "SIGTERM";
    QTest::newRow("SIGINT") << int(SIGINT) << "SIGINT";
    QTest::newRow("SIGHUP") << int(SIGHUP) << "SIGHUP";
  }
  void signalStopsTheCalculation() {
    QFETCH(int, sig);
    QFETCH(QString, name);
    const QString source = trb::test::synthetic(dir_, 600, 30);
    QVERIFY(!source.isEmpty());
    QTemporaryDir work;
    const QString db = work.filePath(QStringLiteral("run.sqlite"));
    QVERIFY(QFile::copy(source, db));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), work.path());

    QProcess p;
    p.setWorkingDirectory(work.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRB_TRBSIM),
            {QStringLiteral("DB=") + db, QStringLiteral("go"), QStringLiteral("--select-all"),
             QStringLiteral("WORKERS=1")});
    QByteArray out;
    // the signal comes as soon as the balance has begun
    while (!out.contains("trb running\n") && p.state() != QProcess::NotRunning) {
      p.waitForReadyRead(1000);
      out += p.readAllStandardOutput();
    }
    QVERIFY2(out.contains("trb running\n"), out.constData());
    QCOMPARE(::kill(static_cast<pid_t>(p.processId()), sig), 0);
    QVERIFY(p.waitForFinished(120000));
    out += p.readAllStandardOutput();
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(out.contains("calculation stopped: the calculation was stopped\n"), out.constData());
    QVERIFY2(err.contains(QStringLiteral("trbsim: the calculation stopped: the calculation was "
                                         "stopped (%1); the last run was stopped after ")
                              .arg(name)),
             qPrintable(err));

    int selected = 0;
    {
      trb::db::Database check = trb::db::Database::open(db);
      const auto record = trb::engine::last_run(check);
      QVERIFY(record);
      QCOMPARE(record->status, QStringLiteral("stopped"));
      selected = record->plotsSelected;
      QCOMPARE(selected, 600);
      QVERIFY(record->plotsWritten < selected);
      // the plots written hold their complete results, the others none (a fresh database)
      QCOMPARE(check.scalar(QStringLiteral("select count(*) from trb_driver")).toInt(),
               record->plotsCalculated);
      QCOMPARE(
          check.scalar(QStringLiteral("select count(distinct fl_id) from trb_nresult")).toInt(),
          record->plotsCalculated);
      QCOMPARE(check.scalar(QStringLiteral("select count(*) from trb_run_plot")).toInt(),
               record->plotsWritten);
    }
    // the next run says how the last one ended, and finishes
    QProcess next;
    next.setWorkingDirectory(work.path());
    next.setProcessEnvironment(env);
    next.start(QStringLiteral(TRB_TRBSIM), {QStringLiteral("DB=") + db, QStringLiteral("go")});
    QVERIFY(next.waitForFinished(120000));
    const QString nextOut = QString::fromUtf8(next.readAllStandardOutput());
    QCOMPARE(next.exitCode(), 0);
    QVERIFY2(nextOut.contains(QStringLiteral("the last run was stopped after ")),
             qPrintable(nextOut));
    trb::db::Database check = trb::db::Database::open(db);
    QCOMPARE(trb::engine::last_run(check)->describe(),
             QStringLiteral("the last run finished: %1 of %1 plots").arg(selected));
  }
};

QTEST_GUILESS_MAIN(TstTrbsimSignals)
#include "tst_trbsim_signals.moc"
