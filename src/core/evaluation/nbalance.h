// The nitrogen balance per plot and year (kg N/ha): mineralisation from the simulation against
// the terms derived from the management records, the crop and organic-substance parameters and
// the deposition of the plot's climate station, with summaries per plot or, for one plot, per
// year.
#pragma once

#include <QString>
#include <QStringList>

#include "core/base/feedback.h"
#include "core/transfer/spreadsheet_export.h"

namespace trb::db {
class Database;
}

namespace trb::evaluation {

// Years and the range of a plot's mean mineral fertiliser nitrogen taken into the summaries.
struct NBalanceFilter {
  double first_year = 0, last_year = 3000;
  double ndng_low = 0, ndng_high = 3000;

  // The filter from the texts a user typed; throws std::invalid_argument naming the field when a
  // text is not a number.
  static NBalanceFilter parse(const QString& first, const QString& last, const QString& low,
                              const QString& high);
};

// The balance runs in this many named steps; its progress is the share of steps done, the first
// (the deposition table) counting its stations.
inline constexpr int kBalanceSteps = 17;

// Fills tmp_ndeposit: one row per climate station and year from the first initial measurement to
// the last harvest of its plots, with the station's deposition values.
// The progress counts the stations.
void prepare_ndeposit(trb::db::Database& db, trb::Feedback& feedback);
void prepare_ndeposit(trb::db::Database& db);

// Runs the whole balance for all plots (id "*") or one plot (its key): trb_n_bilanz, the summaries
// trb_nsaldo and nmin_saldo, and for all plots NT_saldo. The filter applies to an all-plots run;
// one plot always takes years 0 to 3000 and fertiliser 0 to 3000. Throws std::invalid_argument
// for an id that is neither "*" nor a whole number, trb::Error before anything is changed when the
// filter selects nothing (a plot that is not there or has no simulated years, a reversed range,
// years that meet no simulated year, a fertiliser range that keeps no plot: the tables of the
// last run stay), trb::db::DbError when a statement fails and
// trb::Canceled when the feedback was asked to stop (the database is then left as it was).
// With threads above 1 a run over all plots of a database file, outside a transaction, makes the
// work tables of seed, residues, organic amendments and by-products on a second thread
// (through a scratch file in the temporary folder): the same tables, in less time.
void do_balance(trb::db::Database& db, const QString& id, const NBalanceFilter& filter,
                trb::Feedback& feedback, int threads = 1);
void do_balance(trb::db::Database& db, const QString& id, const NBalanceFilter& filter = {});

// Removes the scratch folders of balance runs whose process is gone (a run that was killed
// cannot remove its own); returns how many. Every balance run calls it first.
int remove_stale_scratch();

// The summary tables a balance run leaves for the window's list: the mineral N balance and the
// plot balance of all plots.
QStringList balance_tables();

// The rows of one of balance_tables() with its column names as titles ("  SELECT * from " the
// table). Throws std::invalid_argument for any other name, trb::db::DbError when the table is
// missing (the plot balance before the first all-plots run).
trb::transfer::Sheet read_balance_table(trb::db::Database& db, const QString& table);

}  // namespace trb::evaluation
