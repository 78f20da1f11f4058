#include "core/engine/pools.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <algorithm>
#include <limits>

#include "core/db/database.h"
#include "core/engine/calc_stop.h"

namespace trb::engine {

void OpsPools::addInput(long double cnr, long double k, long double eta, long double cops) {
  for (OpsPool& p : pools_) {
    if (p.cnr == cnr && p.k == k && p.eta == eta) {
      p.cops += cops;
      return;
    }
  }
  pools_.push_back({cops, cnr, k, eta});
}

long double OpsPools::carbon() const {
  long double c = 0;
  for (const OpsPool& p : pools_) c += p.cops;
  return c;
}

long double OpsPools::nitrogen() const {
  long double n = 0;
  for (const OpsPool& p : pools_) n += p.cops / p.cnr;
  return n;
}

// Positions of the opstab columns in a query, looked up once per query rather than per row.
struct OpsColumns {
  int fl_id, year, name, cops, ctype, k, eta, cnr, cnr_alt, item_ix;
  explicit OpsColumns(const QSqlQuery& q) {
    const QSqlRecord rec = q.record();
    set([&](const char* name) { return rec.indexOf(QLatin1String(name)); });
  }
  explicit OpsColumns(const trb::db::Reader& q) {
    set([&](const char* name) { return q.indexOf(QLatin1String(name)); });
  }
  template <typename At>
  void set(At at) {
    fl_id = at("FL_ID");
    year = at("year_");
    name = at("NAME_");
    cops = at("COPS");
    ctype = at("ctype");
    k = at("K");
    eta = at("ETA");
    cnr = at("CNR");
    cnr_alt = at("cnr_alt");
    item_ix = at("item_ix");
  }
};

namespace {

// A ratio of 0 would put an infinite nitrogen amount into the balance: stop and name the
// substance so that its parameter row can be corrected.
void check_ratios(const OpsInput& r) {
  QString column;
  if (r.cnr == 0)
    column = QStringLiteral("CNR");
  else if (r.cnr_alt == 0 && r.item_ix < kNoNitrogenDiffItem)
    column = QStringLiteral("CNR_alt");
  if (column.isEmpty()) return;
  throw CalcStop(
      QCoreApplication::translate("trb::engine",
                                  "The organic substance %1 \"%2\" has %3 = 0 in slvopspa; the "
                                  "calculation cannot go on.")
          .arg(r.item_ix)
          .arg(r.name, column),
      QCoreApplication::translate("trb::engine", "parameter error"));
}

// An empty amount, rate or ratio is not a 0: it is read as NaN, which the balance reports as an
// empty value of the plot (a parameter without its value, a quantity never entered).
constexpr long double kEmpty = std::numeric_limits<long double>::quiet_NaN();

OpsInput input_from(const trb::db::Reader& q, const OpsColumns& c) {
  auto number = [&](int i) -> long double { return q.isNull(i) ? kEmpty : q.toDouble(i); };
  OpsInput r;
  r.fl_id = q.toLongLong(c.fl_id);
  r.year = q.toLongLong(c.year);
  r.name = q.toString(c.name);
  r.cops = number(c.cops);
  r.ctype = q.toString(c.ctype);
  r.k = number(c.k);
  r.eta = number(c.eta);
  r.cnr = number(c.cnr);
  r.cnr_alt = number(c.cnr_alt);
  r.item_ix = q.toLongLong(c.item_ix);
  return r;
}

OpsInput input_from(const QSqlQuery& q, const OpsColumns& c) {
  auto number = [&](int i) -> long double {
    const QVariant v = q.value(i);
    return v.isNull() ? kEmpty : v.toDouble();
  };
  OpsInput r;
  r.fl_id = q.value(c.fl_id).toLongLong();
  r.year = q.value(c.year).toLongLong();
  r.name = q.value(c.name).toString();
  r.cops = number(c.cops);
  r.ctype = q.value(c.ctype).toString();
  r.k = number(c.k);
  r.eta = number(c.eta);
  r.cnr = number(c.cnr);
  r.cnr_alt = number(c.cnr_alt);
  r.item_ix = q.value(c.item_ix).toLongLong();
  return r;
}

}  // namespace

long double add_year_inputs(OpsPools& pools, const std::vector<OpsInput>& rows) {
  long double d = 0;
  for (const OpsInput& r : rows) {
    if (!(r.cops > 0)) continue;
    check_ratios(r);
    if (r.item_ix < kNoNitrogenDiffItem) d += r.cops * (1 / r.cnr_alt - 1 / r.cnr);
    pools.addInput(r.cnr, r.k, r.eta, r.cops);
  }
  return d;
}

std::vector<OpsInput> read_ops_year(trb::db::Database& db, qlonglong fl_id, qlonglong year) {
  QSqlQuery q =
      db.query(QStringLiteral(" select * from opstab where fl_id=? and year_=?"), {fl_id, year});
  const OpsColumns columns(q);
  std::vector<OpsInput> rows;
  while (q.next()) rows.push_back(input_from(q, columns));
  return rows;
}

long double ops_year_input(trb::db::Database& db, OpsPools& pools, qlonglong fl_id,
                           qlonglong year) {
  return add_year_inputs(pools, read_ops_year(db, fl_id, year));
}

OpsInputTable::OpsInputTable() = default;
OpsInputTable::~OpsInputTable() = default;
OpsInputTable::OpsInputTable(OpsInputTable&&) noexcept = default;
OpsInputTable& OpsInputTable::operator=(OpsInputTable&&) noexcept = default;

namespace {
// opstab has no index: the per-year query scans it in storage order, which rowid keeps here.
const QString kOpsInOrder = QStringLiteral("select * from opstab order by fl_id, year_, rowid");
}  // namespace

void OpsInputTable::load(trb::db::Database& db) {
  open(db);
  while (read_row()) {
  }
  close();
}

void OpsInputTable::open(trb::db::Database& db) {
  groups_.clear();
  reader_ = std::make_unique<trb::db::Reader>(db, kOpsInOrder);
  columns_ = std::make_unique<OpsColumns>(*reader_);
}

void OpsInputTable::close() {
  reader_.reset();
  columns_.reset();
}

bool OpsInputTable::read_row() {
  if (!reader_ || !reader_->next()) return false;
  OpsInput r = input_from(*reader_, *columns_);
  if (groups_.empty() || groups_.back().fl_id != r.fl_id || groups_.back().year != r.year)
    groups_.push_back({r.fl_id, r.year, {}});
  groups_.back().rows.push_back(std::move(r));
  return true;
}

// While reading: the plots before fl_id go, and the rows are read until a later plot begins (or
// the table ends), so that every row of fl_id is held.
void OpsInputTable::follow(qlonglong fl_id) {
  if (!reader_) return;
  while (!groups_.empty() && groups_.front().fl_id < fl_id) groups_.pop_front();
  while ((groups_.empty() || groups_.back().fl_id <= fl_id) && read_row()) {
  }
}

const std::vector<OpsInput>& OpsInputTable::rows(qlonglong fl_id, qlonglong year) {
  static const std::vector<OpsInput> none;
  follow(fl_id);
  auto it = std::lower_bound(groups_.begin(), groups_.end(), std::pair{fl_id, year},
                             [](const Group& g, const std::pair<qlonglong, qlonglong>& key) {
                               return std::pair{g.fl_id, g.year} < key;
                             });
  if (it == groups_.end() || it->fl_id != fl_id || it->year != year) return none;
  return it->rows;
}

std::vector<std::pair<qlonglong, std::vector<OpsInput>>> OpsInputTable::take_plot(qlonglong fl_id) {
  follow(fl_id);
  std::vector<std::pair<qlonglong, std::vector<OpsInput>>> years;
  auto it = std::lower_bound(groups_.begin(), groups_.end(), fl_id,
                             [](const Group& g, qlonglong fl) { return g.fl_id < fl; });
  const auto first = it;
  for (; it != groups_.end() && it->fl_id == fl_id; ++it)
    years.emplace_back(it->year, std::move(it->rows));
  groups_.erase(first, it);
  return years;
}

long double OpsInputTable::year_input(OpsPools& pools, qlonglong fl_id, qlonglong year) {
  return add_year_inputs(pools, rows(fl_id, year));
}

}  // namespace trb::engine
