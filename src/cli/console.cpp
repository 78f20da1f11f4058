#include "cli/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/base/error.h"

namespace trb::cli {

namespace {

int outputError = 0;  // the first reason standard output could not be written

// Flushes standard output, keeping the reason of its first failure for finishOutput.
void flushOut() {
  errno = 0;
  out().flush();
  if (outputError == 0 && (out().status() != QTextStream::Ok || std::ferror(stdout) != 0))
    outputError = errno != 0 ? errno : EIO;
}

}  // namespace

ConsoleFeedback::ConsoleFeedback(const QString& unit)
    : unit_(unit), tty_(isatty(fileno(stderr)) != 0) {}

void ConsoleFeedback::pushLine(Level level, const QString& line) {
  endProgress();
  if (level == Level::Info) {
    out() << line << '\n';
    flushOut();
    return;
  }
  flushOut();
  err() << line << '\n';
  err().flush();
}

void ConsoleFeedback::setProgress(qint64 pos, qint64 count) {
  if (unit_.isEmpty() || count <= 0) return;
  if (tty_) {
    err() << '\r' << pos << " of " << count << ' ' << unit_ << Qt::flush;
    counting_ = true;
    return;
  }
  const int tenth = static_cast<int>(pos * 10 / count);
  if (tenth == lastTenth_) return;
  lastTenth_ = tenth;
  err() << pos << " of " << count << ' ' << unit_ << '\n' << Qt::flush;
}

void ConsoleFeedback::report(const trb::Error& error) {
  endProgress();
  flushOut();
  if (!error.caption().isEmpty()) err() << error.caption() << ": ";
  err() << error.text() << '\n';
  err().flush();
}

void ConsoleFeedback::endProgress() {
  if (!counting_) return;
  counting_ = false;
  err() << '\n' << Qt::flush;
}

void printError(const QString& context, const trb::Error& error) {
  flushOut();
  err() << context << ": " << error.message() << '\n';
  if (!error.statement().trimmed().isEmpty())
    err() << "in the statement:\n" << error.statement().trimmed() << '\n';
  err().flush();
}

int finishOutput(const QString& program, int code) {
  flushOut();
  bool failed = out().status() != QTextStream::Ok;
  int cause = outputError;
  if (std::fflush(stdout) != 0) {
    failed = true;
    if (cause == 0) cause = errno;
  }
  failed = failed || std::ferror(stdout) != 0;
  if (failed) {
    err() << program << ": the output cannot be written: "
          << QString::fromLocal8Bit(std::strerror(cause != 0 ? cause : EIO)) << '\n';
    err().flush();
    return code == 0 ? 1 : code;
  }
  err().flush();
  return code;
}

}  // namespace trb::cli
