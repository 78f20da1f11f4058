// Which plots the next calculation computes: those whose site_state.status is 1. The browser, the
// simulator window and trbsim all choose them through these commands.
#pragma once

#include <QList>

namespace trb::db {
class Database;
}

namespace trb::engine {

// Marks exactly these plots for the next run and every other plot not, in one transaction. Keys
// without a selection row change nothing.
void selectPlotsForRun(trb::db::Database& db, const QList<qlonglong>& plots);
// Marks every plot that has a selection row.
void selectAllPlotsForRun(trb::db::Database& db);
// The plots marked for the next run, in key order.
QList<qlonglong> plotsSelectedForRun(trb::db::Database& db);

}  // namespace trb::engine
