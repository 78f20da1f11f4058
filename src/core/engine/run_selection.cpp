#include "core/engine/run_selection.h"

#include "core/db/database.h"

namespace trb::engine {

void selectPlotsForRun(trb::db::Database& db, const QList<qlonglong>& plots) {
  trb::db::Transaction tx(db);
  db.execute(QStringLiteral("update site_state set status=0"));
  for (qlonglong fl : plots)
    db.execute(QStringLiteral("update site_state set status=1 where FL_id=?"), {fl});
  tx.commit();
}

void selectAllPlotsForRun(trb::db::Database& db) {
  db.execute(QStringLiteral("update site_state set status=1"));
}

QList<qlonglong> plotsSelectedForRun(trb::db::Database& db) {
  QList<qlonglong> plots;
  QSqlQuery q =
      db.query(QStringLiteral("select FL_ID from site_state where status=1 order by FL_ID"));
  while (q.next()) plots << q.value(0).toLongLong();
  return plots;
}

}  // namespace trb::engine
