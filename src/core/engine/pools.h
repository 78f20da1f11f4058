// The pools of organic primary substance of one plot: every organic input (residues,
// by-products, amendments) decomposes at its own rate and turns a share of the decomposed carbon
// into humus.
#pragma once

#include <QString>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace trb::db {
class Database;
class Reader;
}  // namespace trb::db

namespace trb::engine {

// One pool: the carbon of all inputs that share the same C/N ratio, rate and humification
// coefficient.
struct OpsPool {
  long double cops = 0;  // carbon still in the pool, kg/ha
  long double cnr = 0;   // C/N ratio
  long double k = 0;     // turnover rate per unit of biologically active time
  long double eta = 0;   // share of the decomposed carbon that becomes humus
};

// The pool list of the plot in balance, pools in order of first appearance.
class OpsPools {
 public:
  // Empties the list for a new plot.
  void clear() { pools_.clear(); }

  // The first pool whose cnr, k and eta all equal the input's receives its carbon; otherwise a
  // new pool is appended.
  void addInput(long double cnr, long double k, long double eta, long double cops);

  long double carbon() const;    // carbon of all pools, kg C/ha
  long double nitrogen() const;  // nitrogen of all pools, kg N/ha

  // Decomposes every pool over the interval bat (explicit first-order step); the outputs are
  // reset first: dnmin nitrogen mineralised, dcrep carbon turned into humus of C/N cnrsom,
  // cminops carbon mineralised.
  // Inline: the yearly step calls it hundreds of times a year with its sums in registers.
  void turnover(long double bat, long double cnrsom, long double& dnmin, long double& dcrep,
                long double& cminops) {
    // Local sums: the outputs are references the compiler must assume may alias a pool, which
    // would send every partial sum through memory. The order of the operations is unchanged.
    long double dn = 0, dc = 0, cm = 0;
    for (OpsPool& p : pools_) {
      const long double a = bat * p.k * p.cops;
      cm += a * (1 - p.eta);
      p.cops -= a;
      dc += a * p.eta;
      dn += a / p.cnr - a * p.eta / cnrsom;
    }
    dnmin = dn;
    dcrep = dc;
    cminops = cm;
  }

  const std::vector<OpsPool>& pools() const { return pools_; }

 private:
  std::vector<OpsPool> pools_;
};

// One row of opstab: an organic input of a plot and year.
struct OpsInput {
  qlonglong fl_id = 0;
  qlonglong year = 0;
  QString name;
  long double cops = 0;
  QString ctype;
  long double k = 0;
  long double eta = 0;
  long double cnr = 0;
  long double cnr_alt = 0;
  qlonglong item_ix = 0;
};

// Substances from this key on bring carbon but no nitrogen difference at input.
inline constexpr qlonglong kNoNitrogenDiffItem = 9998;

// Adds the year's inputs to the pools in the given order and returns the nitrogen difference D:
// the nitrogen the inputs bring at cnr_alt minus what they hold in their pools at cnr. Rows
// without carbon are skipped. A zero C/N ratio on a row in use throws CalcStop naming the
// substance.
long double add_year_inputs(OpsPools& pools, const std::vector<OpsInput>& rows);

// The inputs of plot fl_id in year, read from opstab in the order the database returns them.
std::vector<OpsInput> read_ops_year(trb::db::Database& db, qlonglong fl_id, qlonglong year);

// The yearly input of plot fl_id and year straight from opstab.
long double ops_year_input(trb::db::Database& db, OpsPools& pools, qlonglong fl_id, qlonglong year);

struct OpsColumns;

// The rows of opstab, each plot and year holding its rows in the order the per-year query returns
// them: all read at once (load), or read plot by plot as a walk in ascending plot order asks for
// them (open), holding only the plot asked for last and those read ahead.
class OpsInputTable {
 public:
  OpsInputTable();
  ~OpsInputTable();
  OpsInputTable(OpsInputTable&&) noexcept;
  OpsInputTable& operator=(OpsInputTable&&) noexcept;
  void load(trb::db::Database& db);
  void open(trb::db::Database& db);
  void close();  // ends the reading of open
  // The rows of a plot and year; empty when there are none.
  const std::vector<OpsInput>& rows(qlonglong fl_id, qlonglong year);
  // The rows of a plot by year, ascending, taken out of the table (a walk in ascending plot
  // order takes each plot once).
  std::vector<std::pair<qlonglong, std::vector<OpsInput>>> take_plot(qlonglong fl_id);
  // The yearly input from the loaded rows.
  long double year_input(OpsPools& pools, qlonglong fl_id, qlonglong year);

 private:
  struct Group {
    qlonglong fl_id, year;
    std::vector<OpsInput> rows;
  };
  bool read_row();  // one row of the reader into groups_; false at the end
  void follow(qlonglong fl_id);

  std::deque<Group> groups_;                 // ascending in (fl_id, year)
  std::unique_ptr<trb::db::Reader> reader_;  // while open
  std::unique_ptr<OpsColumns> columns_;
};

}  // namespace trb::engine
