#include "core/engine/simulator_service.h"

#include <QSqlQuery>

#include "core/db/database.h"
#include "core/engine/balance.h"
#include "core/engine/run_selection.h"

namespace trb::engine {

QList<SiteRow> SimulatorService::selectedSites() {
  QList<SiteRow> rows;
  QSqlQuery q = db_.query(site_list_query());
  while (q.next())
    rows.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                 q.value(3).toString(), q.value(4).toString()});
  q.finish();  // no read lock left behind while a calculation writes
  return rows;
}

QList<AssessmentPair> SimulatorService::assessmentPairs(qlonglong flId) {
  QList<AssessmentPair> pairs;
  QSqlQuery q = db_.query(QStringLiteral(R"sql(
SELECT rs_table.YEAR_, rs_table.MEAS_VALUE, rs_table.SIM_VALUE, rs_table.MEAS_ID
FROM rs_table WHERE SIM_VALUE>0 and M_IX=7 and FL_ID=?
ORDER BY rs_table.FL_ID, rs_table.YEAR_, rs_table.YEAR_NUM)sql"),
                          {flId});
  while (q.next())
    pairs.append({q.value(0).toInt(), q.value(1).toDouble(), q.value(2).toDouble(),
                  q.value(3).toLongLong()});
  q.finish();
  return pairs;
}

std::optional<RunRecord> SimulatorService::lastRun() {
  return last_run(db_);
}

void SimulatorService::selectPlots(const QList<qlonglong>& plots) {
  selectPlotsForRun(db_, plots);
}

void SimulatorService::selectAllPlots() {
  selectAllPlotsForRun(db_);
}

}  // namespace trb::engine
