#include "core/app/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace trb::app {

namespace {

std::atomic<int> received{0};
int pipeFds[2] = {-1, -1};  // written by the handler, read by the notifier

void onSignal(int sig) {
  received.store(sig);
  if (pipeFds[1] >= 0) {
    const char c = static_cast<char>(sig);
    [[maybe_unused]] const ssize_t n = write(pipeFds[1], &c, 1);
  }
}

}  // namespace

void catch_stop_signals() {
  static const bool installed = [] {
    if (pipe(pipeFds) == 0) {
      for (int fd : pipeFds) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      for (int fd : pipeFds) fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    // the handler stays for one signal: the next of the same kind has its default effect
    sa.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    return true;
  }();
  (void)installed;
}

int stop_signal() {
  return received.load();
}

QString signal_name(int signal) {
  switch (signal) {
    case SIGTERM:
      return QStringLiteral("SIGTERM");
    case SIGINT:
      return QStringLiteral("SIGINT");
    case SIGHUP:
      return QStringLiteral("SIGHUP");
    default:
      return QStringLiteral("signal %1").arg(signal);
  }
}

StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {
  catch_stop_signals();
  if (pipeFds[0] < 0) return;
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char c = 0;
    while (read(pipeFds[0], &c, 1) == 1) emit received(static_cast<unsigned char>(c));
  });
}

}  // namespace trb::app
