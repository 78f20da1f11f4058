// The nitrogen balance per plot and year (kg N/ha): mineralisation from the simulation against
// the terms derived from the management records, the crop and organic-substance parameters and
// the deposition of the plot's climate station, with summaries per plot or, for one plot, per
// year.
#pragma once

#include <QString>
#include <functional>

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

// pos of max: the stations of the deposition table, then the steps of the balance (1 to 17).
using NBalanceProgress = std::function<void(int pos, int max)>;
inline constexpr int kBalanceSteps = 17;

// Fills tmp_ndeposit: one row per climate station and year from the first initial measurement to
// the last harvest of its plots, with the station's deposition values.
void prepare_ndeposit(trb::db::Database& db, const NBalanceProgress& progress = nullptr);

// Runs the whole balance for all plots (id "*") or one plot (its key): trb_n_bilanz, the summaries
// trb_nsaldo and nmin_saldo, and for all plots NT_saldo. The filter applies to an all-plots run;
// one plot always takes years 0 to 3000 and fertiliser 0 to 3000. Throws std::invalid_argument
// for an id that is neither "*" nor a whole number, trb::db::DbError when a statement fails (the
// database is then left as it was).
void do_balance(trb::db::Database& db, const QString& id, const NBalanceFilter& filter = {},
                const NBalanceProgress& progress = nullptr);

}  // namespace trb::evaluation
