// The launcher of external programs (R, a PDF viewer): starts one process without blocking the
// windows and tells when it has ended.
//
// Execute returns at once. After a successful start resultCode() is -1 and working() is true; a
// poll every 100 ms (and the process's own end signal) sets finished() once the process is gone.
// A start that fails leaves resultCode() at the system's error number (ENOENT when the program or
// the folder does not exist, EACCES when the program may not be run). Only the last started
// process is tracked: an earlier one keeps running on its own.
#pragma once

#include <QObject>
#include <QProcessEnvironment>
#include <QString>

class QProcess;
class QTimer;

namespace trb::external {

// The window state a started program is asked for. Windows passes it on to the new process's
// first window; on Linux and macOS a program has no such start state (the programs started here
// are console programs without a window), so the value is kept but has no effect there.
enum class ShowType {
  Hide,
  Minimize,
  Restore,
  Show,
  ShowMaximized,
  ShowMinimized,
  ShowMinNoActive,
  ShowNA,
  ShowNoActivate,
  ShowNormal,
};

class Launcher : public QObject {
  Q_OBJECT
 public:
  explicit Launcher(QObject* parent = nullptr);
  ~Launcher() override;

  QString currentDir;       // working folder of the new process
  QString applicationName;  // the program (a full path, or a name found on the PATH)
  QString parameters;       // the argument text; a part with blanks is put in double quotes
  ShowType showType = ShowType::ShowNormal;
  // The environment of the new process; by default the caller's own.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

  bool finished() const { return finished_; }
  bool working() const { return working_; }
  // 0 before any start, -1 after a successful one, else the system's error number.
  int resultCode() const { return resultCode_; }

  // applicationName, a blank, then parameters: the command line as it is started.
  QString commandLine() const;
  // The arguments the parameters stand for: split at blanks, double quotes keep a part whole.
  QStringList arguments() const;

  // Starts the program and returns at once (the start itself is awaited, never the program).
  void execute();

  // Blocks until the process has ended: call it on a job's worker thread (with a launcher made
  // there), never on the window's. Returns at once when nothing was started or the start failed.
  // True when it ended.
  bool waitForEnd();

 signals:
  // The tracked process has ended (finished() became true).
  void ended();

 private:
  void poll();
  void release();

  bool finished_ = false;
  bool working_ = false;
  int resultCode_ = 0;
  qint64 pid_ = -99;
  QProcess* process_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace trb::external
