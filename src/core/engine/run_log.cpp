#include "core/engine/run_log.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include "core/db/database.h"

namespace trb::engine {

namespace {

QString isoTime(const QDateTime& t) {
  return t.toString(Qt::ISODate);
}

}  // namespace

QString RunRecord::describe() const {
  if (status == QLatin1String("finished"))
    return QCoreApplication::translate("trb::engine", "the last run finished: %1 of %2 plots")
        .arg(plotsCalculated)
        .arg(plotsSelected);
  if (status == QLatin1String("stopped"))
    return QCoreApplication::translate("trb::engine",
                                       "the last run was stopped after %1 of %2 plots")
        .arg(plotsWritten)
        .arg(plotsSelected);
  return QCoreApplication::translate("trb::engine",
                                     "the last run ended after %1 of %2 plots (loopback not "
                                     "possible)")
      .arg(plotsWritten)
      .arg(plotsSelected);
}

std::optional<RunRecord> last_run(trb::db::Database& db) {
  if (!db.hasTable(QStringLiteral("trb_run"))) return std::nullopt;
  QSqlQuery q = db.query(QStringLiteral(R"sql(
SELECT TOP 1 run_id, started, ended, method, status, plots_selected, plots_written,
plots_calculated FROM trb_run ORDER BY run_id DESC)sql"));
  if (!q.next()) return std::nullopt;
  RunRecord r;
  r.runId = q.value(0).toLongLong();
  r.started = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
  r.ended = QDateTime::fromString(q.value(2).toString(), Qt::ISODate);
  r.method = q.value(3).toString();
  r.status = q.value(4).toString();
  r.plotsSelected = q.value(5).toInt();
  r.plotsWritten = q.value(6).toInt();
  r.plotsCalculated = q.value(7).toInt();
  q.finish();
  return r;
}

void RunLog::makeTables(trb::db::Database& db) {
  db.runNative(QStringLiteral(R"sql(
CREATE TABLE IF NOT EXISTS trb_run (
  run_id INTEGER PRIMARY KEY, started TEXT, ended TEXT, method TEXT, status TEXT,
  plots_selected INTEGER, plots_written INTEGER, plots_calculated INTEGER);
CREATE TABLE IF NOT EXISTS trb_run_plot (FL_ID INTEGER PRIMARY KEY, run_id INTEGER))sql"));
}

RunLog::RunLog(trb::db::Database& db, const QString& method, int plotsSelected)
    : db_(db),
      started_(QDateTime::currentDateTime()),
      method_(method),
      plotsSelected_(plotsSelected) {
  runId_ = db_.scalar(QStringLiteral("SELECT Max(run_id) FROM trb_run")).toLongLong() + 1;
  movePlot_ = std::make_unique<trb::db::Statement>(
      db_, QStringLiteral("UPDATE trb_run_plot SET run_id=? WHERE FL_ID=?"));
  addPlot_ = std::make_unique<trb::db::Statement>(
      db_, QStringLiteral("INSERT INTO trb_run_plot (FL_ID, run_id) VALUES (?, ?)"));
}

RunLog::~RunLog() = default;

void RunLog::notePlot(qlonglong plot) {
  if (movePlot_->exec({runId_, plot}) == 0) addPlot_->exec({plot, runId_});
}

void RunLog::close(const QString& status, int plotsWritten, int plotsCalculated) {
  db_.execute(QStringLiteral(R"sql(
INSERT INTO trb_run (run_id, started, ended, method, status, plots_selected, plots_written,
plots_calculated) VALUES (?, ?, ?, ?, ?, ?, ?, ?))sql"),
              {runId_, isoTime(started_), isoTime(QDateTime::currentDateTime()), method_, status,
               plotsSelected_, plotsWritten, plotsCalculated});
}

}  // namespace trb::engine
