// Model performance statistics: simulated against observed soil carbon, soil nitrogen and
// microbial biomass of one plot, shown as lines of text beside a chart, or stored per plot in
// trb_stat_corg and trb_stat_nt.
#pragma once

#include <QList>
#include <QLocale>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>

#include "core/base/feedback.h"

namespace trb::db {
class Database;
}

namespace trb::evaluation {

// What a chart widget needs to draw a statistics set: twelve series and manual axis ranges.
// Series 1 (index 0) is the simulated line; series 2 to 12 (indexes 1 to 11) hold the
// observations, the n-th observation of a year in series n + 1.
struct ChartSeries {
  bool line = false;  // true: solid line without point markers; false: filled red squares only
  QList<QPointF> points;
};

struct StatChart {
  std::array<ChartSeries, 12> series;
  bool autoscale = true;  // false once show() has fixed the ranges below
  double value_min = 0, value_max = 0;
  int year_min = 0, year_max = 0;
  bool suspended = false;  // drawing suspended from reset() until show()
};

// Critical correlation coefficient (5 %, two-sided) for n pairs; -99 outside 3..61.
double r_crit(int n);

// The statistics of one compared variable for one plot.
class Tstat_set {
 public:
  // table_name: the result table written by store(); empty for a set that is only shown.
  explicit Tstat_set(const QString& table_name = QString()) : table_name(table_name) {}

  void reset(const QString& plot_key);
  void add_pair(int year, bool admitted, double observed, double simulated);
  // Fixes the chart's ranges and writes the statistics lines (numbers in the given locale).
  void show(const QLocale& locale = QLocale());
  // Writes the statistics into the plot's row of table_name (nothing when n is 0).
  void store(trb::db::Database& db);

  // What store() writes into the plot's row, in order: whole numbers as such, every other number
  // as its SQL text, which the table's column reads as the number it would read from the
  // statement's text. decomposition: the table has the columns SB, NU and LC.
  struct Assignments {
    QStringList columns;
    QVariantList values;
  };
  Assignments assignments(bool decomposition);

  const QStringList& lines() const { return lines_; }
  const StatChart& chart() const { return chart_; }

  // The state of the set, named as the statistics are named elsewhere.
  QString fl_id;
  QString table_name;
  int n = 0;
  long double sum_o = 0, sum_o2 = 0, sum_s = 0, sum_s2 = 0, sum_os = 0, sum_rel = 0;
  long double sum_d = 0, sum_d2 = 0, sum_t = 0, sum_t2 = 0, sum_dt = 0;
  long double me = 0, rmse = 0, r_obs_sim = 0, r_dif_t = 0, sb = 0, nu = 0, lc = 0;
  int last_year = -99;
  int same_year_run = 0;
  int min_year = 9999, max_year = 0;
  double min_value = 9999.0, max_value = 0;
  // Admitted pairs whose observed value is 0: their relative difference has no value, and the
  // mean relative difference E% is then not available.
  int zero_obs = 0;

 private:
  QStringList lines_;
  StatChart chart_;
};

// The three sets of the browser.
struct StatSets {
  Tstat_set corg{QStringLiteral("trb_stat_corg")};
  Tstat_set mic;
  Tstat_set nt{QStringLiteral("trb_stat_nt")};
};

// What an evaluation does to the result pages of the browser.
struct EvaluationPages {
  bool c_dynamics_enable = false;  // true: enable 'C-dynamics'; false: leave it as it is
  bool micr_bm_visible = false;
  bool n_dynamics_visible = false;
  QString final_sim_carbon;  // last simulated carbon value other than -99, as text
};

// Evaluates one plot: its three sets are reset and filled with the pairs of the phase (0 all,
// 1 early years, 2 late years), then shown (dbs false) or, for soil carbon and soil nitrogen,
// stored (dbs true). The feedback's progress counts the three variables; a stop request ends the
// evaluation between them with trb::Canceled.
EvaluationPages result_auswertung(trb::db::Database& db, StatSets& sets, const QString& asnr,
                                  bool dbs, int phase, trb::Feedback& feedback);
EvaluationPages result_auswertung(trb::db::Database& db, StatSets& sets, const QString& asnr,
                                  bool dbs, int phase);

// 'Update-Statistics': recreates trb_stat_corg and trb_stat_nt and stores the statistics of every
// plot with result rows for the phase. Returns the number of plots evaluated. One transaction; the
// feedback's progress counts the plots, and a stop request ends the work with trb::Canceled,
// leaving the database as it was.
int update_statistics(trb::db::Database& db, int phase, trb::Feedback& feedback);
int update_statistics(trb::db::Database& db, int phase);

}  // namespace trb::evaluation
