#include "core/app/caption_language.h"

#include <QMutex>

namespace trb::app {

namespace {

// the report jobs read the letter on their worker threads
QMutex& letterLock() {
  static QMutex lock;
  return lock;
}

QString& currentLetter() {
  static QString letter = QStringLiteral("E");
  return letter;
}

}  // namespace

QString captionLanguage() {
  const QMutexLocker locker(&letterLock());
  return currentLetter();
}

void setCaptionLanguage(const QString& letter) {
  const QMutexLocker locker(&letterLock());
  currentLetter() = letter;
}

}  // namespace trb::app
