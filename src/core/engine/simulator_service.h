// What the simulator window reads and does beside a calculation, without SQL crossing into the
// window: the plots chosen for the run, the measured and simulated pairs of one plot, and the
// choice of plots. The calculation itself is Calculation (calculation.h).
#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "core/engine/run_log.h"

namespace trb::db {
class Database;
}

namespace trb::engine {

// A plot chosen for the run (site_state.status = 1) with its site, climate station and soil.
struct SiteRow {
  qlonglong flId = 0;
  QString siteDescription;
  QString location;
  QString station;
  QString profile;
};

// A measured soil carbon value and the value the last calculation simulated for it.
struct AssessmentPair {
  int year = 0;
  double measured = 0;
  double simulated = 0;
  qlonglong measId = 0;
};

class SimulatorService {
 public:
  explicit SimulatorService(trb::db::Database& db) : db_(db) {}

  // The plots of the next run that have a climate station and a soil profile, in key order.
  QList<SiteRow> selectedSites();
  // The pairs of one plot that have a simulated value, in the order of rs_table's sort index
  // (year, then year number).
  QList<AssessmentPair> assessmentPairs(qlonglong flId);

  // How the last run of the balance ended and how far it came; none before the first run.
  std::optional<RunRecord> lastRun();

  // Marks exactly these plots for the next run (one transaction).
  void selectPlots(const QList<qlonglong>& plots);
  void selectAllPlots();

 private:
  trb::db::Database& db_;
};

}  // namespace trb::engine
