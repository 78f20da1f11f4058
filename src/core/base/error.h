// The one error type of the program: what went wrong (message), the title a window shows it under
// (caption) and, where a database statement failed, that statement as its caller wrote it.
//
// Core throws it (or a type derived from it) and never returns error texts through parameters; the
// window shows it through its one reporter, the command-line programs print it through their one
// printer. Message and caption are translated where they are made (QCoreApplication::translate).
#pragma once

#include <QString>
#include <stdexcept>

namespace trb {

class Error : public std::runtime_error {
 public:
  explicit Error(const QString& message, const QString& caption = QString(),
                 const QString& statement = QString());

  QString message() const { return message_; }
  QString caption() const { return caption_; }
  QString statement() const { return statement_; }  // empty when no statement failed

  // The message, then "in statement:" and the failing statement on the lines below it: what a
  // console or a log shows. what() reads the same, so that a handler of std::exception shows the
  // statement too.
  QString text() const;

 private:
  QString message_;
  QString caption_;
  QString statement_;
};

// Long work that was asked to stop (the feedback's cancel) ends with this error. The caption is
// optional: the calculation shows its stop under the program's name.
class Canceled : public Error {
 public:
  explicit Canceled(const QString& message, const QString& caption = QString());
};

}  // namespace trb
