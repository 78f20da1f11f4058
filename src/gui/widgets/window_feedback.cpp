#include "gui/widgets/window_feedback.h"

#include <QBrush>
#include <QListWidget>
#include <QProgressBar>
#include <algorithm>

#include "core/base/error.h"

namespace trb::gui {

WindowFeedback::WindowFeedback(QListWidget* messages, QProgressBar* progress, QObject* parent)
    : QObject(parent), messages_(messages), progress_(progress) {}

void WindowFeedback::pushLine(Level level, const QString& line) {
  QMetaObject::invokeMethod(
      this,
      [this, level, line] {
        if (!messages_) return;
        auto* item = new QListWidgetItem(line, messages_);
        if (level != Level::Info) item->setForeground(QBrush(Qt::darkRed));
        messages_->scrollToBottom();
      },
      Qt::QueuedConnection);
}

void WindowFeedback::setProgress(qint64 pos, qint64 count) {
  const qint64 permille = count <= 0 ? -1 : std::clamp<qint64>(pos * 1000 / count, 0, 1000);
  if (shown_.exchange(permille) == permille) return;
  QMetaObject::invokeMethod(
      this,
      [this, permille] {
        if (!progress_) return;
        if (permille < 0) {
          progress_->setVisible(false);
          return;
        }
        progress_->setRange(0, 1000);
        progress_->setValue(static_cast<int>(permille));
        progress_->setVisible(true);
      },
      Qt::QueuedConnection);
}

void WindowFeedback::report(const trb::Error& error) {
  // copied into the call: the error itself lives on the reporting thread
  QMetaObject::invokeMethod(
      this, [this, error] { emit problemReported(error); }, Qt::QueuedConnection);
}

}  // namespace trb::gui
