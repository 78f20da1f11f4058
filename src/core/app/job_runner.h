// The one way long work runs in the program: a job on a worker thread of its own, reporting
// through the feedback object (lines, progress, problems), stopped through its cancel, and ending
// with one of three outcomes. The runner refuses a second job on a database that a job is
// writing, so that two windows never run conflicting work on one file at once.
//
// A job's work runs on the worker thread and must open its own database connection there (a
// connection belongs to the thread that opened it). Everything a job tells its listeners reaches
// them as signals on the thread that started it, in the order the work reported it; `finished`
// comes last. No caller ever waits in a loop of its own for a job: it reacts to `finished`.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <optional>

#include "core/base/error.h"
#include "core/base/feedback.h"

namespace trb::app {

class JobRunner;

class Job : public QObject, public trb::Feedback {
  Q_OBJECT
 public:
  enum class Outcome { Running, Succeeded, Failed, Stopped };
  Q_ENUM(Outcome)

  // How the work ended when it did not throw. A failure given this way has already been reported
  // through the feedback (report()): the listeners do not show it a second time.
  struct End {
    Outcome outcome = Outcome::Succeeded;
    QString summary;  // what the window may say about the end (a stop's extent)
  };
  // The work: runs on the worker thread and reports through the job (its Feedback). Throwing
  // trb::Canceled ends it as stopped, any other exception as failed with that error.
  using Work = std::function<End(Job& job)>;

  ~Job() override;

  QString title() const { return title_; }
  // What the job writes (a database file); empty when it conflicts with nothing.
  QString resource() const { return resource_; }
  Outcome outcome() const { return outcome_; }
  bool isRunning() const { return outcome_ == Outcome::Running; }
  QString summary() const { return summary_; }
  // The failure the work threw: nobody has shown it yet.
  const std::optional<trb::Error>& error() const { return error_; }
  // Blocks until the work has ended and delivers `finished`: only for the end of the program,
  // never while windows wait for input.
  void waitForEnd();

  // Feedback, callable from the worker thread.
  void pushLine(Level level, const QString& line) override;
  // Passed on only when the thousandth of the whole changes: a count row by row does not flood
  // the listeners.
  void setProgress(qint64 pos, qint64 count) override;
  void report(const trb::Error& error) override;
  // A job serves one piece of work: a stop asked for it stays asked, also when the work withdraws
  // it at its end (as a calculation does for the next run of a window's feedback).
  void resetCanceled() override {}

 signals:
  void lineAdded(trb::Feedback::Level level, const QString& line);
  // thousandths of the whole done; -1 when the progress is to be hidden
  void progressChanged(int permille);
  void problemReported(const trb::Error& error);
  void finished(trb::app::Job::Outcome outcome);

 private:
  friend class JobRunner;
  Job(const QString& title, const QString& resource, Work work, QObject* parent);
  void start();
  void end();

  QString title_;
  QString resource_;
  Work work_;
  QThread* thread_ = nullptr;
  Outcome outcome_ = Outcome::Running;
  QString summary_;
  std::optional<trb::Error> error_;
  // written by the worker, read after it ended
  Outcome workOutcome_ = Outcome::Running;
  QString workSummary_;
  std::optional<trb::Error> workError_;
  std::atomic<int> shownPermille_{-2};
};

class JobRunner : public QObject {
  Q_OBJECT
 public:
  explicit JobRunner(QObject* parent = nullptr);
  ~JobRunner() override;

  // Starts work on a worker thread and returns its job (owned by the runner, deleted after it has
  // finished). A job with the same non-empty resource that still runs refuses the start: throws
  // trb::Error naming the running job.
  Job* start(const QString& title, const QString& resource, Job::Work work);
  // The running job on a resource, null when none.
  Job* runningOn(const QString& resource) const;
  bool isBusy() const { return !running_.isEmpty(); }
  // Asks every running job to stop and waits for each: the end of the program.
  void stopAll();

 signals:
  void jobStarted(trb::app::Job* job);
  void jobFinished(trb::app::Job* job);

 private:
  friend class Job;
  static QString key(const QString& resource);
  QList<Job*> running_;
};

}  // namespace trb::app
