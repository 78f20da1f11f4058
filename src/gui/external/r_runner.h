// What every R run of the windows shares: the R program and result file of the settings, the ODBC
// data source pointed at the database (offering to add it when it is missing), the start, and the
// run as a job of the session's runner during which the command that started it is disabled.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "core/external/launcher.h"
#include "core/external/r_run.h"

class QWidget;

namespace trb::app {
class Session;
}

namespace trb::gui {

class JobView;

class RRunner : public QObject {
  Q_OBJECT
 public:
  // session: whose runner the waited runs go through; null for a window that only starts R.
  explicit RRunner(QWidget* window, trb::app::Session* session = nullptr);

  // The settings r_call and r_result as stored now.
  static QString rCall();
  static QString rResult();

  // Points the ODBC data source T_R_B at databasePath. When it is missing, says how to add it
  // and offers to add it to the user's ODBC file; the caller's run goes on either way.
  void pointOdbcSource(const QString& databasePath);

  // Starts R; a start that fails is shown. True when R started.
  bool start(const trb::external::RRun& run);
  // Runs R as a job with command disabled; then, when R ran to its end, calls done on this
  // window's thread. A start that fails is shown.
  void runThen(const trb::external::RRun& run, QWidget* command, std::function<void()> done);
  bool running() const;

  trb::external::Launcher* launcher() const { return launcher_; }

 private:
  QWidget* window_;
  trb::app::Session* session_;
  trb::external::Launcher* launcher_;
  JobView* jobView_ = nullptr;
  std::function<void()> done_;
};

}  // namespace trb::gui
