// The biologically active time (BAT): the yearly amount of decomposition time a plot's weather
// and soil allow, per plot and year in the work table tmp_bat.
#pragma once

#include <QString>
#include <array>

#include "core/base/feedback.h"

namespace trb::db {
class Database;
}

namespace trb::engine {

// One row of the interpolation table: the fine fraction it holds for and the coefficients of
// BAT = xa * temperature + xb * precipitation + xc.
struct WmzRow {
  double xfat = 0;
  double xa = 0;
  double xb = 0;
  double xc = 0;
};

// The interpolation table, ascending in xfat. Starts with the built-in values; read_prm4wmz
// overrides them from the table wmzprm.
class WmzTable {
 public:
  static constexpr int kRows = 7;
  WmzTable();

  // Rows of wmzprm replace positions 1, 2, ... in the order the query returns them; positions
  // without a row keep their values, rows beyond the seventh are ignored. When the table cannot
  // be read, everything stays as it was. Returns whether it was read.
  bool read_prm4wmz(trb::db::Database& db);

  // BAT for the yearly mean temperature ltem, the effective precipitation nied and the fine
  // fraction fat: coefficients interpolated linearly in fat between the rows, held constant
  // beyond the first and the last row.
  double wmz_pas(double ltem, double nied, double fat) const;

  const std::array<WmzRow, kRows>& rows() const { return rows_; }
  static const std::array<WmzRow, kRows>& builtin();

 private:
  std::array<WmzRow, kRows> rows_;
};

// BAT of a year with rain (precipitation + irrigation, > 0): rain limited to 450..700 mm, the
// interpolated value rounded to 3 decimals.
double interpolated_bat(const WmzTable& table, double ltem, double rain, double fat);

struct BatOptions {
  bool recalc_bat = true;      // from weather; false: the plots' stored means
  bool simple_version = true;  // interpolation table; false (switch "new_bat"): regression
};

// Irrigation per plot and year, all plots: beregnung_jsum.
void build_beregnung_jsum(trb::db::Database& db);
// Weather per selected plot and management year (long-term mean, then the year's own weather,
// then irrigation): eff_climate, and from it clim4sim with rain = irrigation + precipitation.
void build_clim4sim(trb::db::Database& db);

// Builds tmp_bat for the selected plots (needs tmp_soil_prop when recalc_bat is set), with its
// lines and the progress over the rows. A negative yearly mean temperature throws CalcStop;
// failing statements throw DbError.
void build_tmp_bat(trb::db::Database& db, const WmzTable& table, const BatOptions& options,
                   trb::Feedback& feedback);

}  // namespace trb::engine
