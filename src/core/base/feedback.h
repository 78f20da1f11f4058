// The one feedback object of long work (a calculation, the soil table, the nitrogen balance,
// statistics over all plots, an import, a transfer): message lines of three levels, progress, and
// a request to stop.
//
// A command takes a Feedback& and reports through it; it never knows whether a window or a console
// listens. The base class is silent, so a caller that wants nothing passes a plain Feedback. The
// window has one adapter (message list, progress bar, stop) and the command-line programs one
// (standard output and standard error). Every member may be called from a worker thread; an
// adapter that touches widgets must pass the calls on to its own thread.
#pragma once

#include <QString>
#include <atomic>

namespace trb {

class Error;

class Feedback {
 public:
  enum class Level { Info, Warning, Error };

  Feedback() = default;
  Feedback(const Feedback&) = delete;
  Feedback& operator=(const Feedback&) = delete;
  virtual ~Feedback() = default;

  // A line of the message list.
  virtual void pushLine(Level level, const QString& line) { (void)level, (void)line; }
  void info(const QString& line) { pushLine(Level::Info, line); }
  void warning(const QString& line) { pushLine(Level::Warning, line); }
  void error(const QString& line) { pushLine(Level::Error, line); }

  // Progress: pos of count done; a count of 0 or less hides the progress.
  virtual void setProgress(qint64 pos, qint64 count) { (void)pos, (void)count; }

  // A problem the user should see at once, beyond its line (a window shows a message box, a
  // console prints it on standard error). The work may go on after it. The base class makes it an
  // error line of its text.
  virtual void report(const Error& error);

  // Asks the work to stop at its next check; safe from any thread.
  virtual void cancel() { canceled_ = true; }
  virtual bool isCanceled() const { return canceled_; }
  // Withdraws a stop request: a window's feedback serves one run after the other, and a stop
  // asked for one run must not end the next.
  virtual void resetCanceled() { canceled_ = false; }
  // Throws trb::Canceled with the given text when a stop was asked.
  void throwIfCanceled(const QString& message) const;

 private:
  std::atomic<bool> canceled_{false};
};

// Work of several stages (the steps of a calculation, the positions of the nitrogen balance): each
// stage reports its own progress, which the parent sees as a share of the whole. Lines and the stop
// request pass straight through to the parent.
class MultiStepFeedback : public Feedback {
 public:
  MultiStepFeedback(int steps, Feedback& parent);

  // Starts stage step (0 .. steps-1): the parent's progress moves to its beginning.
  void setCurrentStep(int step);
  int currentStep() const { return step_; }

  void pushLine(Level level, const QString& line) override { parent_.pushLine(level, line); }
  void setProgress(qint64 pos, qint64 count) override;
  void report(const Error& error) override { parent_.report(error); }
  void cancel() override { parent_.cancel(); }
  bool isCanceled() const override { return parent_.isCanceled(); }
  void resetCanceled() override { parent_.resetCanceled(); }

  // The parent's scale: every stage is this many units wide.
  static constexpr qint64 kStepUnits = 1000;

 private:
  int steps_;
  int step_ = 0;
  Feedback& parent_;
};

}  // namespace trb
