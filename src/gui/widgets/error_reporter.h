// The one way a window shows a failure: a message box under the error's caption, with the failing
// statement in its details. In a batch run (trb DB=... go) nobody is there to confirm a box: the
// error goes to standard error instead, each message once.
#pragma once

#include <QString>
#include <exception>

class QWidget;

namespace trb {
class Error;
}

namespace trb::gui {

class ErrorReporter {
 public:
  // Switched on for an unattended run; off by default.
  static void setBatchMode(bool on);
  static bool batchMode();

  // Shows error over parent (window-modal, without blocking the caller). fallbackCaption is used
  // when the error brings none (usually the window's title).
  static void report(QWidget* parent, const trb::Error& error,
                     const QString& fallbackCaption = QString());
  // The same for an error of another type: its text is the message.
  static void report(QWidget* parent, const std::exception& error,
                     const QString& fallbackCaption = QString());
};

}  // namespace trb::gui
