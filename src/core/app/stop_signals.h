// SIGTERM, SIGINT and SIGHUP as the user's stop of long work: the first such signal asks the work
// to stop at its next check (between steps, plots and years), so that it ends as the stop
// command ends it, with the stop line and what a stop keeps; a second signal of the same kind
// ends the program at once, which leaves every result table as it was before the run.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace trb::app {

// Installs the handlers (once; later calls do nothing).
void catch_stop_signals();
// The signal received since the handlers were installed, 0 when none. Safe from any thread.
int stop_signal();
// The signal's name ("SIGTERM"), for the stop line.
QString signal_name(int signal);

// For a program with an event loop: emits received() on the thread that made it, once per
// signal. Installs the handlers.
class StopSignalNotifier : public QObject {
  Q_OBJECT
 public:
  explicit StopSignalNotifier(QObject* parent = nullptr);

 signals:
  void received(int signal);

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace trb::app
