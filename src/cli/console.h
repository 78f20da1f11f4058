// Standard output and standard error of the command-line programs: the streams, the console's
// feedback of long work and the one printer of errors.
#pragma once

#include <QString>
#include <QTextStream>

#include "core/base/feedback.h"

namespace trb {
class Error;
}

namespace trb::cli {

inline QTextStream& out() {
  static QTextStream s(stdout);
  return s;
}

inline QTextStream& err() {
  static QTextStream s(stderr);
  return s;
}

// The feedback of long work on a console: info lines to standard output, warning and error lines
// to standard error, each as it comes; a reported problem to standard error as "caption: text".
// Progress is shown only when asked for (an import of many rows): on a terminal a count in place,
// otherwise a line at every tenth.
class ConsoleFeedback : public trb::Feedback {
 public:
  // unit: what the progress counts ("rows"); empty shows no progress.
  explicit ConsoleFeedback(const QString& unit = QString());
  void pushLine(Level level, const QString& line) override;
  void setProgress(qint64 pos, qint64 count) override;
  void report(const trb::Error& error) override;
  // Ends a count shown in place on a terminal with its line break.
  void endProgress();

 private:
  QString unit_;
  bool tty_ = false;
  bool counting_ = false;  // a count stands in place on the current line
  int lastTenth_ = -1;
};

// The one printer of errors: "context: message" on standard error, then the failing statement
// under "in the statement:" when there is one.
void printError(const QString& context, const trb::Error& error);

// The end of a program's output: flushes standard output and, when it could not be written (a
// full disk, a closed file), says so on standard error. Returns the exit status: code, or 1 when
// code was 0 and the output failed.
int finishOutput(const QString& program, int code);

}  // namespace trb::cli
