#include "core/external/launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace trb::external {

namespace {

constexpr int kPollMs = 100;

#ifdef Q_OS_WIN
WORD showWindowOf(ShowType t) {
  switch (t) {
    case ShowType::Hide:
      return SW_HIDE;
    case ShowType::Minimize:
      return SW_MINIMIZE;
    case ShowType::Restore:
      return SW_RESTORE;
    case ShowType::Show:
      return SW_SHOW;
    case ShowType::ShowMaximized:
      return SW_SHOWMAXIMIZED;
    case ShowType::ShowMinimized:
      return SW_SHOWMINIMIZED;
    case ShowType::ShowMinNoActive:
      return SW_SHOWMINNOACTIVE;
    case ShowType::ShowNA:
      return SW_SHOWNA;
    case ShowType::ShowNoActivate:
      return SW_SHOWNOACTIVATE;
    case ShowType::ShowNormal:
      return SW_SHOWNORMAL;
  }
  return SW_SHOWNORMAL;
}
#endif

// The program to start, or an empty text with the error number of why it cannot be.
QString resolveProgram(const QString& name, int& error) {
  error = 0;
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) {
    error = ENOENT;
    return QString();
  }
  const bool hasFolder = trimmed.contains(u'/') || trimmed.contains(u'\\');
  const QString path = hasFolder ? trimmed : QStandardPaths::findExecutable(trimmed);
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) {
    error = ENOENT;
    return QString();
  }
  if (info.isDir() || !info.isExecutable()) {
    error = EACCES;
    return QString();
  }
  return info.absoluteFilePath();
}

}  // namespace

Launcher::Launcher(QObject* parent) : QObject(parent) {
  timer_ = new QTimer(this);
  timer_->setInterval(kPollMs);
  connect(timer_, &QTimer::timeout, this, &Launcher::poll);
}

Launcher::~Launcher() {
  release();
}

QString Launcher::commandLine() const {
  return applicationName + u' ' + parameters;
}

QStringList Launcher::arguments() const {
  return QProcess::splitCommand(parameters);
}

void Launcher::release() {
  timer_->stop();
  if (!process_) return;
  // The program runs on by itself; its object goes once it has ended.
  QProcess* p = process_;
  process_ = nullptr;
  p->disconnect(this);
  if (p->state() == QProcess::NotRunning) {
    p->deleteLater();
  } else {
    p->setParent(nullptr);
    connect(p, &QProcess::finished, p, &QObject::deleteLater);
  }
}

void Launcher::execute() {
  release();
  working_ = false;
  finished_ = false;

  int error = 0;
  const QString program = resolveProgram(applicationName, error);
  if (error == 0 && !currentDir.isEmpty() && !QFileInfo(currentDir).isDir()) error = ENOENT;
  if (error != 0) {
    resultCode_ = error;
    return;
  }

  auto* p = new QProcess(this);
  p->setProgram(program);
  p->setArguments(arguments());
  if (!currentDir.isEmpty()) p->setWorkingDirectory(currentDir);
  p->setProcessEnvironment(environment);
  // the program writes to the program's own console, never into a pipe nobody reads
  p->setProcessChannelMode(QProcess::ForwardedChannels);
#ifdef Q_OS_WIN
  const WORD show = showWindowOf(showType);
  p->setCreateProcessArgumentsModifier([show](QProcess::CreateProcessArguments* args) {
    args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
    args->startupInfo->wShowWindow = show;
    args->inheritHandles = false;
  });
#endif
  p->start();
  // awaits the start only: the program's own run goes on in parallel
  if (!p->waitForStarted(-1)) {
    const QString why = p->errorString();
    resultCode_ = why.contains(QStringLiteral("ermission"))      ? EACCES
                  : why.contains(QStringLiteral("No such file")) ? ENOENT
                                                                 : ENOEXEC;
    delete p;
    return;
  }
  p->closeWriteChannel();
  process_ = p;
  pid_ = p->processId();
  resultCode_ = -1;
  working_ = true;
  connect(p, &QProcess::finished, this, &Launcher::poll);
  timer_->start();
}

void Launcher::poll() {
  if (!process_ || process_->state() != QProcess::NotRunning) return;
  timer_->stop();
  working_ = false;
  finished_ = true;
  emit ended();
}

bool Launcher::waitForEnd() {
  if (resultCode_ != -1) return false;
  if (finished_) return true;
  if (process_) process_->waitForFinished(-1);
  poll();
  return finished_;
}

}  // namespace trb::external
