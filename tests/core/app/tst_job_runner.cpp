// The job runner: work on a worker thread whose lines arrive in order before its end, a stop that
// ends it as stopped with how far it got, a failure kept for the one reporter, and a second job on
// the same database refused while the first runs.
#include <QSignalSpy>
#include <QtTest>
#include <atomic>

#include "core/app/job_runner.h"

using trb::app::Job;
using trb::app::JobRunner;

namespace {

// Work of n steps that stops at a request: it says how far it came.
Job::Work steps(int n, std::atomic<int>* done, std::atomic<bool>* gate = nullptr) {
  return [n, done, gate](Job& job) {
    for (int i = 0; i < n; ++i) {
      while (gate && !*gate) QThread::msleep(1);
      if (job.isCanceled())
        throw trb::Canceled(QStringLiteral("stopped: %1 of %2 steps").arg(i).arg(n));
      job.info(QStringLiteral("step %1").arg(i));
      job.setProgress(i + 1, n);
      ++*done;
      QThread::msleep(1);
    }
    return Job::End{};
  };
}

}  // namespace

class TestJobRunner : public QObject {
  Q_OBJECT

 private slots:
  void linesArriveInOrderBeforeTheEnd() {
    JobRunner runner;
    std::atomic<int> done{0};
    Job* job = runner.start(QStringLiteral("count"), QString(), steps(50, &done));
    QStringList lines;
    int progress = -2;
    bool endedAfterLines = false;
    connect(job, &Job::lineAdded, this,
            [&](trb::Feedback::Level, const QString& line) { lines << line; });
    connect(job, &Job::progressChanged, this, [&](int permille) { progress = permille; });
    QSignalSpy finished(job, &Job::finished);
    connect(job, &Job::finished, this, [&] { endedAfterLines = lines.size() == 50; });
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().value<Job::Outcome>(), Job::Outcome::Succeeded);
    QVERIFY(endedAfterLines);
    for (int i = 0; i < 50; ++i) QCOMPARE(lines.at(i), QStringLiteral("step %1").arg(i));
    QCOMPARE(progress, 1000);
    QVERIFY(!runner.isBusy());
  }

  void cancelEndsAsStoppedWithItsCount() {
    JobRunner runner;
    std::atomic<int> done{0};
    std::atomic<bool> gate{false};
    Job* job = runner.start(QStringLiteral("count"), QString(), steps(1000, &done, &gate));
    QSignalSpy finished(job, &Job::finished);
    gate = true;
    QTRY_VERIFY(done >= 5);
    job->cancel();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().value<Job::Outcome>(), Job::Outcome::Stopped);
    const int reached = done;
    QVERIFY(reached < 1000);
    QCOMPARE(job->summary(), QStringLiteral("stopped: %1 of 1000 steps").arg(reached));
    QVERIFY(!job->error());
  }

  // A failure thrown by the work is kept for the listener to show, once; one the work reported
  // itself (End with Failed) is not kept again.
  void failureIsKeptNotShownTwice() {
    JobRunner runner;
    Job* thrown = runner.start(QStringLiteral("fails"), QString(), [](Job&) -> Job::End {
      throw trb::Error(QStringLiteral("no such table: x"), QStringLiteral("import"),
                       QStringLiteral("select * from x"));
    });
    QSignalSpy ended(thrown, &Job::finished);
    QVERIFY(ended.wait(10000));
    QCOMPARE(thrown->outcome(), Job::Outcome::Failed);
    QVERIFY(thrown->error());
    QCOMPARE(thrown->error()->statement(), QStringLiteral("select * from x"));

    Job* reported = runner.start(QStringLiteral("reports"), QString(), [](Job& job) {
      job.report(trb::Error(QStringLiteral("a start value is missing")));
      return Job::End{Job::Outcome::Failed, QStringLiteral("no plot could be calculated")};
    });
    QSignalSpy problems(reported, &Job::problemReported);
    QSignalSpy ended2(reported, &Job::finished);
    QVERIFY(ended2.wait(10000));
    QCOMPARE(problems.size(), 1);
    QCOMPARE(reported->outcome(), Job::Outcome::Failed);
    QVERIFY(!reported->error());
  }

  // Two jobs on one database file, named two ways: the second is refused while the first runs;
  // another file is free, and the first file is free again once its job has ended.
  void secondJobOnTheSameDatabaseIsRefused() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.sqlite"));
    QFile(file).open(QIODevice::WriteOnly);
    JobRunner runner;
    std::atomic<int> done{0};
    std::atomic<bool> gate{false};
    Job* first = runner.start(QStringLiteral("calculation"), file, steps(3, &done, &gate));
    QSignalSpy finished(first, &Job::finished);
    try {
      runner.start(QStringLiteral("N balance"), dir.path() + QStringLiteral("/./a.sqlite"),
                   steps(1, &done));
      QFAIL("a second job on the same database started");
    } catch (const trb::Error& e) {
      QVERIFY(e.message().contains(QStringLiteral("calculation")));
      QVERIFY(e.message().contains(QStringLiteral("N balance")));
    }
    Job* other = runner.start(QStringLiteral("other"), dir.filePath(QStringLiteral("b.sqlite")),
                              steps(1, &done));
    QVERIFY(other);
    gate = true;
    QVERIFY(finished.wait(10000));
    Job* again = runner.start(QStringLiteral("N balance"), file, steps(1, &done));
    QVERIFY(again);
    QSignalSpy againEnded(again, &Job::finished);
    QVERIFY(againEnded.wait(10000));
  }

  // The end of the program: every job asked to stop and awaited.
  void stopAllWaitsForEveryJob() {
    auto runner = std::make_unique<JobRunner>();
    std::atomic<int> done{0};
    std::atomic<bool> gate{true};
    runner->start(QStringLiteral("a"), QString(), steps(100000, &done, &gate));
    runner->start(QStringLiteral("b"), QString(), steps(100000, &done, &gate));
    QTRY_VERIFY(done > 2);
    runner->stopAll();
    QVERIFY(!runner->isBusy());
    const int after = done;
    QThread::msleep(20);
    QCOMPARE(int(done), after);
  }
};

QTEST_GUILESS_MAIN(TestJobRunner)
#include "tst_job_runner.moc"
