#include "core/app/job_runner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>

namespace trb::app {

Job::Job(const QString& title, const QString& resource, Work work, QObject* parent)
    : QObject(parent), title_(title), resource_(resource), work_(std::move(work)) {}

Job::~Job() {
  if (thread_) {
    cancel();
    thread_->wait();
    delete thread_;
  }
}

void Job::pushLine(Level level, const QString& line) {
  // queued on this object's thread: the lines arrive in the order they were made, before the end
  QMetaObject::invokeMethod(
      this, [this, level, line] { emit lineAdded(level, line); }, Qt::QueuedConnection);
}

void Job::setProgress(qint64 pos, qint64 count) {
  const int permille = count <= 0 ? -1 : int(std::clamp<qint64>(pos * 1000 / count, 0, 1000));
  if (shownPermille_.exchange(permille) == permille) return;
  QMetaObject::invokeMethod(
      this, [this, permille] { emit progressChanged(permille); }, Qt::QueuedConnection);
}

void Job::report(const trb::Error& error) {
  // copied into the call: the error itself lives on the reporting thread
  QMetaObject::invokeMethod(
      this, [this, error] { emit problemReported(error); }, Qt::QueuedConnection);
}

void Job::start() {
  thread_ = QThread::create([this] {
    try {
      const End e = work_(*this);
      workOutcome_ = e.outcome == Outcome::Running ? Outcome::Succeeded : e.outcome;
      workSummary_ = e.summary;
    } catch (const trb::Canceled& c) {
      workOutcome_ = Outcome::Stopped;
      workSummary_ = c.message();
    } catch (const trb::Error& err) {
      workOutcome_ = Outcome::Failed;
      workError_ = err;
    } catch (const std::exception& err) {
      workOutcome_ = Outcome::Failed;
      workError_ = trb::Error(QString::fromUtf8(err.what()));
    }
  });
  thread_->setObjectName(title_);
  // the end is queued behind every line and progress the work posted
  connect(thread_, &QThread::finished, this, &Job::end, Qt::QueuedConnection);
  thread_->start();
}

void Job::end() {
  if (!thread_) return;
  thread_->wait();
  thread_->deleteLater();
  thread_ = nullptr;
  // what the work posted before it ended comes before the end
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  outcome_ = workOutcome_;
  summary_ = workSummary_;
  error_ = workError_;
  auto* runner = qobject_cast<JobRunner*>(parent());
  if (runner) runner->running_.removeAll(this);
  emit finished(outcome_);
  if (runner) emit runner->jobFinished(this);
  deleteLater();
}

void Job::waitForEnd() {
  if (!thread_) return;
  thread_->wait();
  end();
}

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() {
  stopAll();
}

QString JobRunner::key(const QString& resource) {
  if (resource.isEmpty()) return resource;
  const QFileInfo f(resource);
  const QString canonical = f.canonicalFilePath();
  return canonical.isEmpty() ? f.absoluteFilePath() : canonical;
}

Job* JobRunner::runningOn(const QString& resource) const {
  const QString k = key(resource);
  if (k.isEmpty()) return nullptr;
  for (Job* job : running_)
    if (key(job->resource()) == k) return job;
  return nullptr;
}

Job* JobRunner::start(const QString& title, const QString& resource, Job::Work work) {
  if (Job* other = runningOn(resource))
    throw trb::Error(tr("\"%1\" cannot start while \"%2\" is working on the same database; "
                        "wait for it to end or stop it.")
                         .arg(title, other->title()),
                     title);
  auto* job = new Job(title, resource, std::move(work), this);
  running_ << job;
  job->start();
  emit jobStarted(job);
  return job;
}

void JobRunner::stopAll() {
  const QList<Job*> jobs = running_;
  for (Job* job : jobs) job->cancel();
  for (Job* job : jobs) job->waitForEnd();
}

}  // namespace trb::app
