// The feedback of long work shown in a window: lines in a message list, progress in a bar, and the
// window's stop. The work may report from a worker thread: every call reaches the widgets as a
// queued call on this object's thread, in the order it was made.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>

#include "core/base/error.h"
#include "core/base/feedback.h"

class QListWidget;
class QProgressBar;

namespace trb::gui {

class WindowFeedback : public QObject, public trb::Feedback {
  Q_OBJECT

 public:
  // Both widgets may be null (no list, no bar); they are not owned.
  WindowFeedback(QListWidget* messages, QProgressBar* progress, QObject* parent = nullptr);

  // A line at the end of the list, scrolled to; warnings and errors in red.
  void pushLine(Level level, const QString& line) override;
  // The bar shows pos of count; a count of 0 or less hides it. Only changes the bar can show
  // (a thousandth of the whole) are passed on, so a row-by-row count does not flood the window.
  void setProgress(qint64 pos, qint64 count) override;
  // Emits problemReported on this object's thread; the window shows it (a message box).
  void report(const trb::Error& error) override;

  // The window's stop: the work ends at its next check.
  void stop() { cancel(); }

 signals:
  void problemReported(const trb::Error& error);

 private:
  QPointer<QListWidget> messages_;
  QPointer<QProgressBar> progress_;
  std::atomic<qint64> shown_{-1};  // the last thousandth passed on, -1 hidden
};

}  // namespace trb::gui
