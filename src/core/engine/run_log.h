// The log of the calculations kept in the database: how each run of the balance ended and which
// run wrote the results each plot holds now, so that a reader of the results can tell a complete
// run from one that was stopped part way.
//
// trb_run: one row per run of the balance that kept results (run_id counts up; started and ended
// as local ISO times; method; status "finished", "stopped" (by the user) or "ended" (a loop-back
// could not be made); the plots selected, those whose results the run replaced, and those it
// calculated). trb_run_plot: per plot, the run that last replaced its results. Both are written in
// the run's transaction: a run that was killed or failed leaves no trace, as it leaves no results.
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

namespace trb::db {
class Database;
class Statement;
}  // namespace trb::db

namespace trb::engine {

struct RunRecord {
  qlonglong runId = 0;
  QDateTime started, ended;
  QString method;
  QString status;  // "finished", "stopped", "ended"
  int plotsSelected = 0;
  int plotsWritten = 0;
  int plotsCalculated = 0;

  bool finished() const { return status == QLatin1String("finished"); }
  // One line for the user: "the last run was stopped after 3 of 20 plots", "the last run
  // finished: 20 plots".
  QString describe() const;
};

// The last run recorded; none when the database holds no record (no run yet, or an older file).
std::optional<RunRecord> last_run(trb::db::Database& db);

// The run being written: opens the record inside the caller's transaction, notes every plot whose
// results it replaces, and closes the record with the outcome.
class RunLog {
 public:
  // Creates the two tables where they are missing; before any reader of the run is open, since
  // it changes the schema.
  static void makeTables(trb::db::Database& db);
  RunLog(trb::db::Database& db, const QString& method, int plotsSelected);
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  void notePlot(qlonglong plot);
  void close(const QString& status, int plotsWritten, int plotsCalculated);

 private:
  trb::db::Database& db_;
  qlonglong runId_ = 0;
  QDateTime started_;
  QString method_;
  int plotsSelected_ = 0;
  std::unique_ptr<trb::db::Statement> movePlot_, addPlot_;
};

}  // namespace trb::engine
