// The one window adapter of a job: its lines go into the window's message list (warnings and
// errors in red), its progress into the bar, the stop button stops it, and every problem it
// reports, or the failure it ends with, reaches the error reporter exactly once.
//
// A window makes one JobView with its widgets (each may be null) and attaches every job it
// starts; while a job is attached the view disables the controls it was given as "busy" and
// enables the stop button.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "core/app/job_runner.h"

class QAbstractButton;
class QListWidget;
class QProgressBar;
class QWidget;

namespace trb::gui {

class JobView : public QObject {
  Q_OBJECT
 public:
  // window: where problems are shown; messages, progress, stop: may be null.
  JobView(QWidget* window, QListWidget* messages, QProgressBar* progress,
          QAbstractButton* stop = nullptr);

  // Controls that must not be touched while a job runs.
  void setBusyControls(const QList<QWidget*>& controls) { busyControls_ = controls; }
  // Scale of the bar: thousandths by default; the N balance shows its steps.
  void setProgressSteps(int steps) { steps_ = steps; }

  void attach(trb::app::Job* job);
  trb::app::Job* job() const { return job_; }
  bool isRunning() const { return job_ != nullptr; }
  // The window's stop: the job ends at its next check.
  void stop();
  // Appends a line of the window's own to the message list.
  void addLine(const QString& line, bool problem = false);
  // Shows a refusal or failure of the window's own through the error reporter.
  void showProblem(const trb::Error& error);
  // The same list and reporter as a feedback for short work done on the window's thread (opening
  // a database): lines at once, problems through the error reporter.
  trb::Feedback& direct() { return direct_; }

 signals:
  // The attached job has ended; its outcome and summary are passed on (the job is gone after).
  void finished(trb::app::Job::Outcome outcome, const QString& summary);
  // A problem reached the error reporter (the job's report or its failure).
  void problemShown(const trb::Error& error);

 private:
  void setBusy(bool busy);

  class Direct : public trb::Feedback {
   public:
    explicit Direct(JobView& view) : view_(view) {}
    void pushLine(Level level, const QString& line) override {
      view_.addLine(line, level != Level::Info);
    }
    void report(const trb::Error& error) override { view_.showProblem(error); }

   private:
    JobView& view_;
  };
  Direct direct_{*this};

  QPointer<QWidget> window_;
  QPointer<QListWidget> messages_;
  QPointer<QProgressBar> progress_;
  QPointer<QAbstractButton> stop_;
  QList<QWidget*> busyControls_;
  QPointer<trb::app::Job> job_;
  int steps_ = 1000;
};

}  // namespace trb::gui
