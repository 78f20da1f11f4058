#include "gui/widgets/job_view.h"

#include <QAbstractButton>
#include <QBrush>
#include <QListWidget>
#include <QProgressBar>
#include <QWidget>

#include "gui/widgets/error_reporter.h"

namespace trb::gui {

using trb::app::Job;

JobView::JobView(QWidget* window, QListWidget* messages, QProgressBar* progress,
                 QAbstractButton* stop)
    : QObject(window), window_(window), messages_(messages), progress_(progress), stop_(stop) {
  if (stop_) {
    stop_->setEnabled(false);
    connect(stop_, &QAbstractButton::clicked, this, &JobView::stop);
  }
}

void JobView::attach(Job* job) {
  job_ = job;
  connect(job, &Job::lineAdded, this, [this](trb::Feedback::Level level, const QString& line) {
    addLine(line, level != trb::Feedback::Level::Info);
  });
  connect(job, &Job::progressChanged, this, [this](int permille) {
    if (!progress_) return;
    if (permille < 0) {
      progress_->setVisible(false);
      return;
    }
    progress_->setRange(0, steps_);
    progress_->setValue(int(qint64(permille) * steps_ / 1000));
    progress_->setVisible(true);
  });
  connect(job, &Job::problemReported, this, &JobView::showProblem);
  connect(job, &Job::finished, this, [this, job](Job::Outcome outcome) {
    if (job != job_) return;
    job_ = nullptr;
    if (progress_) progress_->setVisible(false);
    setBusy(false);
    // a failure the work threw has not been shown yet; one it reported has
    if (outcome == Job::Outcome::Failed && job->error()) showProblem(*job->error());
    emit finished(outcome, job->summary());
  });
  setBusy(true);
}

void JobView::stop() {
  if (job_) job_->cancel();
}

void JobView::addLine(const QString& line, bool problem) {
  if (!messages_) return;
  auto* item = new QListWidgetItem(line, messages_);
  if (problem) item->setForeground(QBrush(Qt::darkRed));
  messages_->scrollToBottom();
}

void JobView::showProblem(const trb::Error& error) {
  ErrorReporter::report(window_, error);
  emit problemShown(error);
}

void JobView::setBusy(bool busy) {
  for (QWidget* w : busyControls_)
    if (w) w->setEnabled(!busy);
  if (stop_) stop_->setEnabled(busy);
}

}  // namespace trb::gui
