// The program's session: what every window works on and the work that spans windows.
//
// It owns the open database (one connection on the window thread, shared by the windows) and its
// path, the caption and data language, power mode, typed access to the settings store with a
// signal on every change, and the job runner. The windows get it passed in; none of them reads or
// writes another window's state. The workflows that involve several windows are verbs here, and
// their results are signals: the browser asks for a run, the simulator shows it, the browser
// shows the plot that was run.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

#include "core/app/job_runner.h"
#include "core/base/error.h"
#include "core/db/database.h"

namespace trb {
class Feedback;
}

namespace trb::app {

// A calculation asked for: the plots are already marked for the run.
struct RunRequest {
  qlonglong plot = -99;  // "model run (plot)": the plot to show afterwards; -99 a group run
  int firstYear = -99;   // loop-back start year and passes
  int repeat = 0;
  bool untilClosed = false;  // the caller goes on when the simulator window is closed
  bool batch = false;        // the unattended run of the command line
};

// How far a calculation got, as data: the simulator fills it, the session completes it.
struct RunReport {
  RunRequest request;
  bool finished = false;     // "job finished"
  bool stopped = false;      // the user stopped it
  bool walkStarted = false;  // the balance began: plots not reached keep their earlier results
  int plotsTotal = 0;        // plots of the walk
  int plotsCalculated = 0;   // plots the walk wrote results for
  QString meanBat = QStringLiteral("?");  // a plot run: the plot's stored mean BAT
  bool nBalance = false;                  // a plot run: its nitrogen balance was computed
  QList<trb::Error> problems;             // what went wrong after the calculation
};

class Session : public QObject {
  Q_OBJECT
 public:
  explicit Session(QObject* parent = nullptr);
  ~Session() override;

  // --- Database ---
  trb::db::Database& db() { return db_; }
  bool isOpen() const { return db_.isOpen(); }
  // The file the user named (an Access file stays named as such); db().path() is the file open.
  QString databasePath() const { return databasePath_; }
  void setDatabasePath(const QString& path) { databasePath_ = path; }
  // Opens the database at databasePath() (what opening did goes to feedback). Throws trb::Error;
  // the session is then without a database. Emits databaseAboutToChange before the old
  // connection closes and databaseChanged afterwards, either way.
  void openDatabase(trb::Feedback& feedback);
  // "Change System Database": the named file becomes the database.
  void changeDatabase(const QString& path, trb::Feedback& feedback);
  void closeDatabase();

  // --- Languages and mode ---
  QString captionLanguage() const { return captionLanguage_; }
  void setCaptionLanguage(const QString& letter) { captionLanguage_ = letter; }
  QString dataLanguage() const { return dataLanguage_; }
  void setDataLanguage(const QString& letter) { dataLanguage_ = letter; }
  bool power() const { return power_; }
  void setPower(bool on) { power_ = on; }

  // --- Settings (the store of settings.h; names of the settings table) ---
  QString text(const QString& name) const;
  std::optional<int> integer(const QString& name) const;
  bool contains(const QString& name) const;
  void setText(const QString& name, const QString& value);
  void setInteger(const QString& name, int value);

  // --- Jobs ---
  JobRunner& jobs() { return jobs_; }

  // --- Workflows ---
  // "model run for selection": marks exactly these plots (none: no plot) and asks for a run.
  void runSelectedPlots(const QList<qlonglong>& plots, int firstYear, int repeat);
  // "model run (plot)": marks the plot and asks for a run; when it has ended the plot's mean
  // BAT is stored and, for a run without repetition, its nitrogen balance computed.
  void runPlot(qlonglong flId, int firstYear, int repeat, bool untilClosed);
  // The unattended run of the command line, on the plots already marked.
  void runBatch();
  bool runPending() const { return pending_.has_value(); }
  // Called by whoever carried out the request (the simulator window) once the caller may go on.
  void endRun(RunReport report);

  // The tree's commands on experiments and plots; each emits what changed.
  qlonglong addPlot(const QString& location, const QString& code, const QString& herkunft);
  void deletePlot(qlonglong flId);
  void createExperiment(const QString& shortName);
  void deleteExperiment(const QString& location, const QString& code);
  // After the shift dialogs changed keys or codes.
  void notifyKeysShifted();

 signals:
  // Windows holding statements on the connection let them go here.
  void databaseAboutToChange();
  void databaseChanged();
  void settingChanged(const QString& name);
  void runRequested(const trb::app::RunRequest& request);
  void runEnded(const trb::app::RunReport& report);
  void plotDeleted(qlonglong flId);
  // experiments or plots were added, removed or renumbered
  void structureChanged();

 private:
  void requestRun(const RunRequest& request);

  trb::db::Database db_;
  QString databasePath_;
  QString captionLanguage_ = QStringLiteral("E");
  QString dataLanguage_ = QStringLiteral("E");
  bool power_ = true;
  JobRunner jobs_;
  std::optional<RunRequest> pending_;
};

}  // namespace trb::app
