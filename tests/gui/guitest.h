// Helpers of the window tests: a private settings store and home folder, answering the modal
// dialogs a window opens, and optional screenshots.
#pragma once

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace trb::test {

// Points the settings store, HOME and the ODBC configuration at a temporary folder. Create it
// before any settings are read.
struct PrivateUser {
  QTemporaryDir dir;
  PrivateUser() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    qputenv("HOME", dir.path().toLocal8Bit());
    qputenv("ODBCINI", dir.filePath(QStringLiteral("odbc.ini")).toLocal8Bit());
  }
  QString path(const QString& name) const { return dir.filePath(name); }
};

// Runs answer on the next modal window of type T as soon as it shows (within timeoutMs).
template <class T>
void answerModal(std::function<void(T*)> answer, int timeoutMs = 10000) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, timeoutMs] {
    if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      delete clock;
      answer(w);
    } else if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      delete clock;
    }
  });
  timer->start();
}

// With TRB_SHOTS set to a folder, saves a picture of the window there.
inline void screenshot(QWidget* w, const QString& name) {
  const QString dir = qEnvironmentVariable("TRB_SHOTS");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

// A copy of the demo database in folder, with every plot selected for a run.
inline QString demoCopy(const QString& folder,
                        const QString& name = QStringLiteral("demo.sqlite")) {
  const QString target = QDir(folder).filePath(name);
  QFile::remove(target);
  if (!QFile::copy(QStringLiteral(TRB_DEMO_DB), target)) return QString();
  QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
  return target;
}

}  // namespace trb::test
