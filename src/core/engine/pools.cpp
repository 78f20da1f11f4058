#include "core/engine/pools.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <algorithm>

#include "core/db/database.h"
#include "core/engine/calc_stop.h"

namespace trb::engine {

void OpsPools::add_ops_rec(long double cnr, long double k, long double eta, long double cops) {
  for (Ropsprm& p : opsrec_) {
    if (p.cnr == cnr && p.k == k && p.eta == eta) {
      p.cops += cops;
      return;
    }
  }
  opsrec_.push_back({cops, cnr, k, eta});
}

long double OpsPools::get_c_ops() const {
  long double c = 0;
  for (const Ropsprm& p : opsrec_) c += p.cops;
  return c;
}

long double OpsPools::get_n_ops() const {
  long double n = 0;
  for (const Ropsprm& p : opsrec_) n += p.cops / p.cnr;
  return n;
}

void OpsPools::opsturnover(long double bat, long double cnrsom, long double& dnmin,
                           long double& dcrep, long double& cminops) {
  dnmin = 0;
  dcrep = 0;
  cminops = 0;
  for (Ropsprm& p : opsrec_) {
    const long double a = bat * p.k * p.cops;
    cminops += a * (1 - p.eta);
    p.cops -= a;
    dcrep += a * p.eta;
    dnmin += a / p.cnr - a * p.eta / cnrsom;
  }
}

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

OpsInput input_from(const QSqlQuery& q) {
  const QSqlRecord rec = q.record();
  auto v = [&](const char* name) { return q.value(rec.indexOf(QLatin1String(name))); };
  OpsInput r;
  r.fl_id = v("FL_ID").toLongLong();
  r.year = v("year_").toLongLong();
  r.name = v("NAME_").toString();
  r.cops = v("COPS").toDouble();
  r.ctype = v("ctype").toString();
  r.k = v("K").toDouble();
  r.eta = v("ETA").toDouble();
  r.cnr = v("CNR").toDouble();
  r.cnr_alt = v("cnr_alt").toDouble();
  r.item_ix = v("item_ix").toLongLong();
  return r;
}

}  // namespace

long double add_year_inputs(OpsPools& pools, const std::vector<OpsInput>& rows) {
  long double d = 0;
  for (const OpsInput& r : rows) {
    if (!(r.cops > 0)) continue;
    check_ratios(r);
    if (r.item_ix < kNoNitrogenDiffItem) d += r.cops * (1 / r.cnr_alt - 1 / r.cnr);
    pools.add_ops_rec(r.cnr, r.k, r.eta, r.cops);
  }
  return d;
}

std::vector<OpsInput> read_ops_year(trb::db::Database& db, qlonglong fl_id, qlonglong year) {
  QSqlQuery q =
      db.query(QStringLiteral(" select * from opstab where fl_id=? and year_=?"), {fl_id, year});
  std::vector<OpsInput> rows;
  while (q.next()) rows.push_back(input_from(q));
  return rows;
}

long double ops_year_input(trb::db::Database& db, OpsPools& pools, qlonglong fl_id,
                           qlonglong year) {
  return add_year_inputs(pools, read_ops_year(db, fl_id, year));
}

void OpsInputTable::load(trb::db::Database& db) {
  groups_.clear();
  // opstab has no index: the per-year query scans it in storage order, which rowid keeps here.
  QSqlQuery q = db.query(QStringLiteral("select * from opstab order by fl_id, year_, rowid"));
  while (q.next()) {
    OpsInput r = input_from(q);
    if (groups_.empty() || groups_.back().fl_id != r.fl_id || groups_.back().year != r.year)
      groups_.push_back({r.fl_id, r.year, {}});
    groups_.back().rows.push_back(std::move(r));
  }
}

const std::vector<OpsInput>& OpsInputTable::rows(qlonglong fl_id, qlonglong year) const {
  static const std::vector<OpsInput> none;
  auto it = std::lower_bound(groups_.begin(), groups_.end(), std::pair{fl_id, year},
                             [](const Group& g, const std::pair<qlonglong, qlonglong>& key) {
                               return std::pair{g.fl_id, g.year} < key;
                             });
  if (it == groups_.end() || it->fl_id != fl_id || it->year != year) return none;
  return it->rows;
}

long double OpsInputTable::year_input(OpsPools& pools, qlonglong fl_id, qlonglong year) const {
  return add_year_inputs(pools, rows(fl_id, year));
}

}  // namespace trb::engine
