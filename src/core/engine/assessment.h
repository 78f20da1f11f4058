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

class Assessment {
 public:
  void reset();
  // Adds one pair; returns its class (1..7).
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
  int n_ = 0;
  double sum_ = 0, sumsq_ = 0;
  std::array<int, 7> counts_{};
  std::array<int, 7> bars_{};
  double lastMeas_ = -99, lastSim_ = -99;
};

}  // namespace trb::engine
