// The start state of a plot in the TRB balance: the start deviation of the active pool (non_bal,
// the plot's measurement of kind -1) fitted to the measured soil carbon, and the carbon level the
// plot's management sustains when its years are repeated.
//
// Both run the plot's years in memory with the balance's own yearly update: the inputs are read
// once (the method's work tables are built for the plots inside a transaction that is rolled
// back, so that neither the work tables nor the selection of the next run change), then a pass
// over the years costs no database work. A pass with a given non_bal gives the contents an
// ordinary calculation of the plot gives.
//
// A window calls read_start_state_inputs on its worker thread, then fit_non_bal (the RMSE curve of
// the scan comes with the fit) and sustained_level (the level after every cycle comes with it),
// and write_start_deviation for "write as start deviation". trbdb runs the same through
// fit_start_plots and sustained_levels.
#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/engine/balance.h"

namespace trb::settings {
struct RunSettings;
}

namespace trb::engine {

// The admissible start deviations: from -1, where the active pool starts empty, to kA / kS, where
// it starts with all the decomposable carbon (A = (1 + non_bal) x C_dec x kS / (kS + kA)).
inline constexpr double kNonBalLowest = -1.0;
inline constexpr double kNonBalHighest = static_cast<double>(kA / kS);

// Points of the coarse scan over the admissible range, both ends included.
inline constexpr int kNonBalScanPoints = 61;
// The fit stops when the bracket of the minimum is this narrow.
inline constexpr double kNonBalTolerance = 1e-6;
// A sustained level: the carbon at the end of a cycle changes by less than this share of it.
inline constexpr double kSustainedTolerance = 1e-6;
inline constexpr int kMaxCycles = 10000;

// A plot that cannot be fitted or run; the message says why and names the plot.
class StartStateRefused : public trb::Error {
 public:
  explicit StartStateRefused(const QString& message)
      : trb::Error(message, QStringLiteral("start state")) {}
};

// A measured soil carbon content (measurement kind 7) of the plot.
struct CarbonSample {
  qlonglong year = 0;
  qlonglong yearNumber = 0;
  double value = 0;  // %
};

// What the balance of one plot reads, taken once from the database.
struct StartStateInputs {
  qlonglong plot = 0;
  std::vector<BalanceRow> rows;               // the plot's rows of the TRB input query
  std::shared_ptr<const PlotInputs> organic;  // its organic inputs by year
  bool notill = false;
  double storedNonBal = 0;  // the plot's kind -1 value, 0 without one (as the calculation reads it)
  bool hasStoredNonBal = false;
  std::vector<CarbonSample> samples;  // soil carbon measurements with a value
  bool exists = false;                // the plot is in field_description
  bool hasCarbonStart = false;        // it has a carbon initial value (kind 7, year number 0)
};

// A year of a pass: its calendar year and year number as the calculation counts them, the
// simulated soil carbon content and stock.
struct SimulatedCarbon {
  qlonglong year = 0;
  qlonglong yearNum = 0;
  double content = 0;  // %, unrounded
  double stock = 0;    // C_tot, kg C/ha
};

// One pass over the plot's years as a calculation without loop-back makes it: from the year of
// the carbon initial value up to the last management year or the first gap. Throws
// StartStateRefused when the plot has no usable start values or an input the balance cannot use.
std::vector<SimulatedCarbon> simulate_pass(const StartStateInputs& in, double nonBal);

struct CurvePoint {
  double nonBal = 0;
  double rmse = 0;
};

// The start deviation fitted to the measured soil carbon.
struct NonBalFit {
  qlonglong plot = 0;
  double nonBal = 0;              // fitted, rounded to 6 decimals
  double storedNonBal = 0;        // the value the plot has now
  double rmseBefore = 0;          // with the stored value, % carbon
  double rmseAfter = 0;           // with the fitted value
  int pairs = 0;                  // measured contents of simulated years
  bool onBound = false;           // the fitted value is an end of the admissible range
  std::vector<CurvePoint> curve;  // the coarse scan, ascending in non_bal
};

// Fits non_bal in [kNonBalLowest, kNonBalHighest]: the RMSE of simulated against measured soil
// carbon (every measurement of kind 7 whose year and year number a pass simulates) over a coarse
// scan, then a golden section search around its best point to kNonBalTolerance. Refuses
// (StartStateRefused) a plot with fewer than two pairs, without a carbon initial value, or whose
// carbon does not depend on non_bal. A stop request ends it with trb::Canceled.
NonBalFit fit_non_bal(const StartStateInputs& in, const trb::Feedback& feedback);

// Management years repeated: from..to of the first pass; both empty for all of them.
struct YearSpan {
  std::optional<qlonglong> from, to;
};

// The carbon level the management sustains.
struct SustainedLevel {
  qlonglong plot = 0;
  qlonglong from = 0, to = 0;  // the years repeated
  bool converged = false;      // false: kMaxCycles cycles were not enough
  int cycles = 0;              // passes over the span, the first from the start year
  double level = 0;            // content at the end of the last cycle, %
  double levelStock = 0;       // t C/ha
  double start = 0;            // the carbon initial value, %
  double startStock = 0;       // t C/ha
  std::vector<double> levels;  // the content at the end of every cycle, %
};

// Runs the first pass from the start year to `to`, then the years from..to again and again (the
// calculation's loop-back), carrying every state, until the content at the end of a cycle
// changes by less than kSustainedTolerance of it, at most kMaxCycles cycles. With the whole span,
// the level equals the last content of a calculation with loop-back from the first year and
// cycles - 1 further passes. Refuses a span whose years are not years of the first pass.
SustainedLevel sustained_level(const StartStateInputs& in, const YearSpan& span,
                               const trb::Feedback& feedback);

// The preparation of the TRB tables with the run settings (the BAT interpolation table read when
// the BAT is recalculated).
PreparationSettings preparation_settings(trb::db::Database& db,
                                         const trb::settings::RunSettings& settings);

// The inputs of the plots, in the order given. The TRB work tables are built for exactly these
// plots and read, then every change is rolled back. A plot without rows keeps empty rows (the
// fit and the level refuse it).
std::vector<StartStateInputs> read_start_state_inputs(trb::db::Database& db,
                                                      const QList<qlonglong>& plots,
                                                      const PreparationSettings& prep,
                                                      trb::Feedback& feedback);

// What write_start_deviation did: the row written, and the value it held before when it was
// there (for an undo).
struct WrittenStartDeviation {
  qlonglong measId = 0;
  bool inserted = false;
  std::optional<double> previous;
};

// Writes nonBal as the plot's start deviation in one transaction: the first measurement of kind
// -1 (the one the calculation reads) takes the value, or a new one is made on the date of the
// carbon initial value (year number 0); the plot's comparison rows in rs_table go, as on every
// change of its measurements. Refuses a plot that does not exist or has no carbon initial value.
WrittenStartDeviation write_start_deviation(trb::db::Database& db, qlonglong plot, double nonBal);

// The result of one plot of a batch: the value, or why the plot was refused.
template <typename T>
struct PlotOutcome {
  qlonglong plot = 0;
  std::optional<T> result;
  QString refusal;
};

// Fits every plot (read once, then computed on `workers` threads); with write, the fitted values
// are written (write_start_deviation) in one transaction after all plots are done. Progress
// counts plots; a stop request ends with trb::Canceled and writes nothing.
std::vector<PlotOutcome<NonBalFit>> fit_start_plots(trb::db::Database& db,
                                                    const QList<qlonglong>& plots,
                                                    const PreparationSettings& prep, int workers,
                                                    bool write, trb::Feedback& feedback);

// The sustained level of every plot, on `workers` threads.
std::vector<PlotOutcome<SustainedLevel>> sustained_levels(trb::db::Database& db,
                                                          const QList<qlonglong>& plots,
                                                          const YearSpan& span,
                                                          const PreparationSettings& prep,
                                                          int workers, trb::Feedback& feedback);

}  // namespace trb::engine
