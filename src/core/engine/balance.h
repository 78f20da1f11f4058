// The yearly soil carbon balance: the walk plot by plot and year by year through one input query,
// common to every method, and the yearly update of the TRB method.
//
// A method plugs in its input query, the columns it needs beyond the common ones, its start
// values and its yearly update (BalanceMethod); the walk, the loop-back passes, the comparison
// with the measurements and the per-plot summary are the same for all.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "core/base/feedback.h"
#include "core/engine/assessment.h"
#include "core/engine/bat.h"
#include "core/engine/pools.h"
#include "core/engine/soil_table.h"

namespace trb::db {
class Database;
class Statement;
}  // namespace trb::db

namespace trb::engine {

// TRB turnover constants, per unit of biologically active time.
inline constexpr long double kM = 0.00556L;                  // mineralisation of the active pool
inline constexpr long double kA = 0.0009L;                   // active to stable pool
inline constexpr long double kS = 0.00032L;                  // stable to active pool
inline constexpr long double kActiveShare = kS / (kS + kA);  // 16/61 at equilibrium
inline constexpr long double kCnHumus = 8.5L;
inline constexpr long double kSubStep = 0.1L;
inline constexpr long double kMicrobialShare = 0.324L;

// One row of a method's input query: a plot and year.
struct BalanceRow {
  qlonglong fl_id = 0;
  qlonglong year_0 = 0;
  double corg = -99, norg = -99, cif = -99, bd = -99, skelett = 0, bat = 0, fat = -99;
  QString comment;            // read on the first row of a plot only
  std::vector<double> extra;  // the method's own columns, in the order it names them
};

// What a method reads for one plot beyond the plot's rows of its input query. It is taken on the
// walk's thread, which holds the database, before the plot is computed; the yearly updates read it
// on whichever thread computes the plot.
struct PlotInputs {
  virtual ~PlotInputs() = default;
};

// The state of the plot in balance, carried from year to year and across loop-back passes.
struct PlotState {
  qlonglong fl_id = 0;
  // start values
  double corg = 0, norg = 0, cif = 0, bd = 0, sk = 0;
  long double p_dec = 0, p_in = 0, I = 0, C_dec0 = 0, CN = -99, CN_in = -99;
  // carried state
  long double C_dec = 0, C_tot = 0, A = 0, S = 0;
  bool first = true;
  bool notill = false;
  double non_bal = 0;
  OpsPools pools;
  // counters and means
  int years_done = 0;
  int year_num = 0;
  long double mean_input = 0, mean_bat = 0;
  qlonglong z_jahr = 0;
  // comparison of the plot
  double meas_last = -99, sim_last = -99;
  const PlotInputs* inputs = nullptr;  // the method's inputs of the plot, if it reads any
  bool notill_warned = false;          // told about a clamped no-tillage factor
};

// Outputs of one year of TRB turnover.
struct YearFluxes {
  long double cmin_ops = 0, cmin = 0, nmin = 0, crep = 0;
};

// The TRB turnover of one year: sub-steps of 0.1 and the remainder; A and S are set from C_dec
// in the first year (also when BAT is 0).
YearFluxes year_step(PlotState& st, bool first, double non_bal, long double bat);

// The derived start values (p_dec capped at 2 %, p_in, I, C_dec, CN, CN_in, C_tot) from corg,
// norg, cif, bd and sk.
void derive_start_values(PlotState& st);

// The simulated soil carbon content in %: C_tot / (BD x 30000) / (1 - sk).
long double simulated_content(const PlotState& st);

// One year of the TRB method once the year's inputs are in the pools (D: their nitrogen
// difference): the BAT as used (adjusted on untilled plots), the turnover, the means, C_tot and
// the year's outputs.
struct TrbYear {
  YearFluxes f;
  long double bat = 0, n_org = 0, n_som = 0, c_mic = 0;
  bool clamped = false;  // no-tillage with fat below 5.13
};
TrbYear trb_year(PlotState& st, long double D, double bat, double fat);

// The BAT of an untilled plot: BAT x (e + 1) / (3 (e + 2)) with e = exp(2 sqrt(x)),
// x = (0.2844 fat - 1.4586) / 352; below fat 5.13 x is taken as 0 (clamped set to true).
long double notill_bat(long double bat, double fat, bool* clamped = nullptr);

// Where a run's lines, problems, progress and stop request go (the feedback; its cancel is asked
// between plots and years and stops the walk, what is written stays), the observer of the
// comparison, and the loop-back settings.
struct BalanceContext {
  explicit BalanceContext(trb::Feedback& feedback) : feedback(feedback) {}
  trb::Feedback& feedback;
  std::function<void(const Assessment&)> histogram;  // after every compared pair
  QString method;                                    // the method's key, for the run's log
  int z_anf = -99;
  int z_cnt = 0;
  bool sim_prot = false;  // append the protocol row
  int run_id = -99;
  // Threads computing the plots; 1 computes them on the walk's thread. The results and the lines
  // are the same for every number.
  int workers = 1;
  // Told the number of plots when the walk begins, before the first plot's results are replaced.
  std::function<void(int plots)> walk_started;
};

// Ends the calculation with trb::Canceled when its feedback was asked to stop: the check between
// the steps of a preparation.
void stop_if_canceled(const trb::Feedback& feedback);

// A row of trb_nresult: one plot and year. Values not set stay -99 (missing).
struct NResultRow {
  QVariant FL_ID, year;
  QVariant n_m_om = -99, n_ops = -99, C_ops = -99, c_som = -99, c_inert = -99, n_org = -99,
           n_som = -99, c_mic = -99, c_rep = -99, bat = -99;
};

// A row of trb_zbv: the carbon fluxes of one plot and year.
struct ZbvRow {
  QVariant fl_id, year_, C_min_total, c_min_fom, C_rep_flx, C_fom, c_som, c_inert;
};

// A row of trb_driver: the summary of one plot.
struct DriverRow {
  QVariant fl_id, c_input_mean, c_start, c_inert_pct, bat_mean, meas_last, sim_last, year_num;
};

// The result rows of one plot in the order its years give them; the walk writes them to the
// database when the plot is complete. A value that is not a finite number throws UnusableValue.
class ResultWriter {
 public:
  explicit ResultWriter(bool has_zbv) : zbv_(has_zbv) {}
  bool has_zbv() const { return zbv_; }
  void nresult(const NResultRow& row);
  void zbv(const ZbvRow& row);  // checked, but not kept when the database has no trb_zbv
  void driver(const DriverRow& row);

  std::vector<NResultRow> nresults;
  std::vector<ZbvRow> zbvs;
  std::vector<DriverRow> drivers;

 private:
  bool zbv_ = false;
};

// What the preparation of a method needs from the run's settings.
struct PreparationSettings {
  SoilOptions soil;
  BatOptions bat;
  WmzTable wmz;  // read from the database when the BAT is recalculated
};

class BalanceMethod {
 public:
  virtual ~BalanceMethod() = default;
  // The work tables the walk reads (soil table, inputs, BAT, ...), built in order with their
  // lines; a stop request is honoured between the steps (trb::Canceled).
  virtual void prepare_tables(trb::db::Database& db, const PreparationSettings& settings,
                              trb::Feedback& feedback) = 0;
  virtual QString input_query() const = 0;
  // Columns of the input query beyond FL_ID, year_0, Corg, cif, BD and skelett.
  virtual QStringList extra_columns() const { return {}; }
  virtual bool reads_norg() const { return false; }
  virtual bool uses_notill() const { return false; }
  // Once before the walk, after the tables are built (for example to open a reader of inputs
  // that follows the walk), and once after it, however it ends.
  virtual void read_inputs(trb::db::Database&) {}
  virtual void close_inputs() {}
  // The plot's inputs beyond its rows of the input query, taken in ascending plot order on the
  // walk's thread; null when the method reads none.
  virtual std::unique_ptr<PlotInputs> plot_inputs(qlonglong) { return nullptr; }
  // When a plot's start values are valid, before its first year.
  virtual void start_plot(PlotState&) {}
  // The yearly update of a plot; sets st.C_tot and appends the year's result rows. Plots are
  // updated on several threads at once: the update keeps its state in st and st.inputs only.
  virtual void year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                           BalanceContext& ctx) = 0;
  // Whether the start splits the carbon by the inert fraction cif (which must then lie in 0..1).
  virtual bool splits_by_cif() const { return false; }
  // The table a column of the input query comes from, for the messages about unusable values.
  virtual QString source_table(const QString& column) const = 0;
  // The trb_driver values that differ between methods.
  virtual double driver_input_mean(const PlotState& st) const {
    return static_cast<double>(st.mean_input);
  }
  virtual double driver_c_start(const PlotState& st) const { return st.corg; }
  virtual double driver_inert_pct(const PlotState& st) const {
    return static_cast<double>(st.p_in);
  }
  virtual double driver_bat_mean(const PlotState& st) const {
    return static_cast<double>(st.mean_bat);
  }
};

class TrbMethod : public BalanceMethod {
 public:
  // sim quantities, crep_year, opstab, the soil table, tmp_bat
  void prepare_tables(trb::db::Database& db, const PreparationSettings& settings,
                      trb::Feedback& feedback) override;
  QString input_query() const override;
  QStringList extra_columns() const override;
  bool reads_norg() const override { return true; }
  bool uses_notill() const override { return true; }
  bool splits_by_cif() const override { return true; }
  QString source_table(const QString& column) const override;
  void read_inputs(trb::db::Database& db) override;
  void close_inputs() override;
  std::unique_ptr<PlotInputs> plot_inputs(qlonglong fl_id) override;
  void year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                   BalanceContext& ctx) override;
  double driver_c_start(const PlotState& st) const override {
    return static_cast<double>(st.C_dec0);
  }

 private:
  OpsInputTable inputs_;
};

struct BalanceOutcome {
  bool finished = false;  // false when a loop-back could not be made or a stop was requested
  bool stopped = false;   // a stop was requested
  int selected = 0;       // plots selected for the run
  int calculated = 0;     // plots that got a summary row
  int written = 0;        // plots whose results the walk replaced (calculated or cleared)
  Assessment assessment;
  qlonglong last_plot = -99;
  // a plot was left out for a value that is not a finite number or beyond any physical value
  bool non_finite = false;
};

// A value the balance cannot use: an input outside its range or a result that is not a finite
// number. The plot it belongs to counts as missing data.
struct UnusableValue {
  QString table, column;
  double value = 0;
  QString why;
  qlonglong year = -1;  // -1: the plot's start values
};

// The number of comparison rows a run gives the selected plots (their soil carbon samples).
int fresh_comparison_row_count(trb::db::Database& db);

// The whole walk for the selected plots (the method's tables must be built). Each plot's results
// (its rows of rs_table, trb_nresult and trb_zbv and its trb_driver row) are replaced together,
// and the walk is one transaction with its record in the run log (run_log.h) and the protocol
// row: a walk that fails (or a program killed during it) leaves every result table as it was; one
// stopped on request keeps the plots it completed whole, the others their earlier results. A
// completed walk leaves the tables as a refill of rs_table and an emptied trb_driver at its start
// would have. Database errors throw DbError.
//
// With ctx.workers above 1 the plots are computed on that many threads; this thread alone reads
// the inputs, writes the results in plot order and passes on each plot's lines together, in plot
// order, so that tables and lines are those of a run on one thread.
BalanceOutcome run_balance(trb::db::Database& db, BalanceMethod& method, BalanceContext& ctx);

// The rows of a method's input query plot by plot, read as the walk reads them (missing numbers,
// the comment of a plot's first row): for work that runs a plot's years in memory.
class BalanceInputReader {
 public:
  BalanceInputReader(trb::db::Database& db, const BalanceMethod& method);
  ~BalanceInputReader();
  // The rows of the next plot in the order of the query; false after the last plot.
  bool take_plot(std::vector<BalanceRow>& plot);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The method of a key ("TRB", "LUFA", "KOLBE", "NULL"); null for another key.
std::unique_ptr<BalanceMethod> make_balance_method(const QString& key);

// The site list of the simulator: the selected plots with station and soil.
QString site_list_query();

}  // namespace trb::engine
