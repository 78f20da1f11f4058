// Simulated against measured soil carbon during a run: the error of every pair, its class on the
// histogram, and the summary at the end of the run.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

namespace trb::db {
class Database;
}

namespace trb::engine {

// The error d = measured - simulated, in % carbon, falls into the first class whose upper bound
// is not exceeded.
inline constexpr std::array<double, 7> kClassBounds = {-0.5, -0.25, -0.05, 0.05, 0.25, 0.5, 1e300};
inline const QStringList kClassLabels = {
    QStringLiteral("<-0.5"),       QStringLiteral("-0.5..-0.25"), QStringLiteral("-0.25..-0.05"),
    QStringLiteral("-0.05..0.05"), QStringLiteral("0.05..0.25"),  QStringLiteral("0.25...0.5"),
    QStringLiteral(">+0.5")};

// Class 1..7 of an error.
int error_class(double d);

// The summary's mean error, RMSE, s and smw follow the rule of the browser's statistics: sums of
// the measured and the simulated values (extended precision) over the pairs as rs_table holds
// them, the simulated value rounded to 4 decimals; so a run of one plot prints the numbers its
// statistics show.
class Assessment {
 public:
  void reset();
  // Adds one pair (the simulated value as stored); returns its class (1..7).
  int add(double measured, double simulated);

  int n() const { return n_; }
  double sum() const { return sum_; }
  double sum_sq() const { return sumsq_; }
  const std::array<int, 7>& counts() const { return counts_; }
  // Histogram bars in percent; a bar changes only when its class receives a pair.
  const std::array<int, 7>& bars() const { return bars_; }
  double last_measured() const { return lastMeas_; }
  double last_simulated() const { return lastSim_; }

  // The summary lines of the message list (numbers in the given locale's general format).
  QStringList summary() const;

  struct Protocol {
    double mean_error = -99, rmsd = -99, s = -99, smw = -99;
    int n = 0;
    bool bias = false;
  };
  // The values of the protocol row; those that cannot be computed (N = 0 or 1) are -99.
  Protocol protocol() const;
  // Appends the protocol row of the run to trb_protokoll.
  void store_protocol(trb::db::Database& db, qlonglong lastPlot, int runId,
                      const QDate& date = QDate::currentDate()) const;

 private:
  struct Moments {
    long double me = 0, rmse = 0, s = 0, smw = 0;
  };
  Moments moments() const;  // n_ > 0

  int n_ = 0;
  double sum_ = 0, sumsq_ = 0;
  long double sumO_ = 0, sumS_ = 0, sumO2_ = 0, sumS2_ = 0, sumOS_ = 0;
  std::array<int, 7> counts_{};
  std::array<int, 7> bars_{};
  double lastMeas_ = -99, lastSim_ = -99;
};

}  // namespace trb::engine
