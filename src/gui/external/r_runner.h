// What every R run of the windows shares: the R program and result file of the settings, the ODBC
// data source pointed at the database (offering to add it when it is missing), the start, and the
// wait during which the command that started it is disabled.
#pragma once

#include <QObject>
#include <QString>

#include "core/external/launcher.h"
#include "core/external/r_run.h"

class QWidget;

namespace trb::gui {

class RRunner : public QObject {
  Q_OBJECT
 public:
  explicit RRunner(QWidget* window);

  // The settings r_call and r_result as stored now.
  static QString rCall();
  static QString rResult();

  // Points the ODBC data source T_R_B at databasePath. When it is missing, says how to add it
  // and offers to add it to the user's ODBC file; the caller's run goes on either way.
  void pointOdbcSource(const QString& databasePath);

  // Starts R; a start that fails is shown. True when R started.
  bool start(const trb::external::RRun& run);
  // Starts R and waits for its end with command disabled (the windows stay responsive). True
  // when R ran to its end.
  bool runAndWait(const trb::external::RRun& run, QWidget* command);

  trb::external::Launcher* launcher() const { return launcher_; }

 private:
  QWidget* window_;
  trb::external::Launcher* launcher_;
};

}  // namespace trb::gui
