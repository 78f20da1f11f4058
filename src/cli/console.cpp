#include "cli/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/base/error.h"

namespace trb::cli {

ConsoleFeedback::ConsoleFeedback(const QString& unit)
    : unit_(unit), tty_(isatty(fileno(stderr)) != 0) {}

void ConsoleFeedback::pushLine(Level level, const QString& line) {
  endProgress();
  if (level == Level::Info) {
    out() << line << '\n';
    out().flush();
    return;
  }
  out().flush();
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
  out().flush();
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
  out().flush();
  err() << context << ": " << error.message() << '\n';
  if (!error.statement().trimmed().isEmpty())
    err() << "in the statement:\n" << error.statement().trimmed() << '\n';
  err().flush();
}

int finishOutput(const QString& program, int code) {
  errno = 0;
  out().flush();
  bool failed = out().status() != QTextStream::Ok;
  int cause = errno;
  if (std::fflush(stdout) != 0) {
    failed = true;
    cause = errno;
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
