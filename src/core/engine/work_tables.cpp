#include "core/engine/work_tables.h"

#include <sqlite3.h>

#include <QStringList>

#include "core/db/database.h"

namespace trb::engine {

namespace {

// The tables the preparations of the four methods make or fill; for cultivation only the column
// the preparation writes.
struct WorkTable {
  const char* table;
  const char* column;  // nullptr: every column
};

constexpr WorkTable kWorkTables[] = {
    {"cultivation", "Sim_Quantity"},
    {"_cropping_dt", nullptr},
    {"_koppel_prdkt", nullptr},
    {"_org_dnger", nullptr},
    {"opstab", nullptr},
    {"crep_h1", nullptr},
    {"crep_year", nullptr},
    {"beregnung_jsum", nullptr},
    {"eff_climate", nullptr},
    {"clim4sim", nullptr},
    {"tmp_bat", nullptr},
    {"tmp_soil_prop", nullptr},
    {"hubi_c_from_crop_", nullptr},
    {"hubi_c_from_oram_", nullptr},
    {"hubi_c_from_crop", nullptr},
    {"hubi_c_from_oram", nullptr},
    {"hubi_c_bilanz", nullptr},
    {"vb_st_gr", nullptr},
    {"bodengruppen_2", nullptr},
    {"st_gruppe", nullptr},
    {"flid2stgr", nullptr},
    {"hum_manda", nullptr},
};

QString quoted(const QString& name) {
  return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

}  // namespace

int clear_infinite_work_values(trb::db::Database& db) {
  int changed = 0;
  for (const WorkTable& w : kWorkTables) {
    const QString table = QString::fromLatin1(w.table);
    if (!db.hasTable(table)) continue;
    const QStringList columns =
        w.column ? QStringList{QString::fromLatin1(w.column)} : db.columns(table);
    // one pass over the table: a row is written only when one of its values is infinite
    QStringList sets, infinite;
    for (const QString& c : columns) {
      const QString q = quoted(c);
      const QString test = QStringLiteral("abs(%1) > 1.7976931348623157e308").arg(q);
      sets << QStringLiteral("%1 = CASE WHEN %2 THEN NULL ELSE %1 END").arg(q, test);
      infinite << test;
    }
    if (columns.isEmpty()) continue;
    db.runNative(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                     .arg(quoted(table), sets.join(QStringLiteral(", ")),
                          infinite.join(QStringLiteral(" OR "))));
    changed += sqlite3_changes(db.handle());
  }
  return changed;
}

}  // namespace trb::engine
