#include "core/engine/balance.h"

#include <QHash>
#include <QSqlRecord>
#include <cmath>
#include <map>
#include <tuple>

#include "core/db/database.h"
#include "core/db/numbers.h"

namespace trb::engine {

using trb::db::Database;
using trb::db::Statement;

// ---------------------------------------------------------------------------------------------
// TRB turnover

YearFluxes year_step(PlotState& st, bool first, double non_bal, long double bat) {
  YearFluxes f;
  if (first) {
    st.A = std::clamp((1.0L + non_bal) * st.C_dec * kActiveShare, 0.0L, std::max(st.C_dec, 0.0L));
    st.S = st.C_dec - st.A;
  }
  if (bat == 0) return f;
  const long double n = std::floor(bat / kSubStep);
  const long double r = bat - n * kSubStep;
  auto sub = [&](long double h) {
    long double dnmin = 0, dcrep = 0, cminops = 0;
    st.pools.turnover(h, kCnHumus, dnmin, dcrep, cminops);
    f.crep += dcrep;
    const long double dA = dcrep / h - (kM + kA) * st.A + kS * st.S;
    const long double dS = kA * st.A - kS * st.S;
    f.cmin_ops += cminops;
    f.cmin += kM * st.A * h + cminops;
    f.nmin += h * kM * st.A / kCnHumus + dnmin;
    st.A += dA * h;
    st.S += dS * h;
  };
  for (long long i = 0; i < static_cast<long long>(n); ++i) sub(kSubStep);
  if (r > 0) sub(r);
  st.C_dec = st.A + st.S;
  return f;
}

long double notill_bat(long double bat, double fat, bool* clamped) {
  long double x = (0.2844L * fat - 1.4586L) / 352.0L;
  if (clamped) *clamped = x < 0;
  if (x < 0) x = 0;
  const long double e = std::exp(2.0L * std::sqrt(x));
  return (e + 1.0L) * bat / (3.0L * (e + 2.0L));
}

void derive_start_values(PlotState& st) {
  const long double sk1 = 1.0L - st.sk;
  st.p_dec = std::min<long double>((1.0L - st.cif) * st.corg, 2.0L);
  st.p_in = st.corg - st.p_dec;
  st.I = st.p_in * st.bd * 30.0L * 1000.0L * sk1;
  st.C_dec = 1000.0L * st.corg * st.bd * 30.0L * sk1 - st.I;
  st.C_dec0 = st.C_dec;
  if (st.norg > 0) {
    st.CN = st.corg / st.norg;
    st.CN_in = st.p_in * st.CN * kCnHumus / (kCnHumus * st.corg - st.CN * st.p_dec);
  }
  st.C_tot = st.corg * st.bd * 30000.0L * sk1;
}

long double simulated_content(const PlotState& st) {
  return st.C_tot / (st.bd * 30000.0L) / (1.0L - st.sk);
}

TrbYear trb_year(PlotState& st, long double D, double bat, double fat) {
  TrbYear y;
  y.bat = st.notill ? notill_bat(bat, fat, &y.clamped) : bat;
  y.f = year_step(st, st.first, st.non_bal, y.bat);
  y.f.nmin += D;
  const long double n = st.years_done;
  st.mean_input = (n * st.mean_input + y.f.crep) / (n + 1);
  st.mean_bat = (n * st.mean_bat + y.bat) / (n + 1);
  st.first = false;
  st.C_tot = st.C_dec + st.I;
  y.n_org = st.I / st.CN_in + st.C_dec / kCnHumus;
  y.n_som = y.n_org / (st.bd * 30000.0L) / (1.0L - st.sk);
  y.c_mic = kMicrobialShare * st.A / ((1.0L - st.sk) * st.bd * 3.0L);
  return y;
}

// ---------------------------------------------------------------------------------------------
// Result tables

ResultWriter::ResultWriter(Database& db) : db_(db) {
  nresult_ = std::make_unique<Statement>(
      db, QStringLiteral("INSERT INTO trb_nresult VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
  driver_ = std::make_unique<Statement>(
      db, QStringLiteral("INSERT INTO trb_driver VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
  zbv_ = db.hasTable(QStringLiteral("trb_zbv"));
  if (zbv_)
    zbv_ins_ = std::make_unique<Statement>(
        db, QStringLiteral("INSERT INTO trb_zbv VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
}

ResultWriter::~ResultWriter() = default;

namespace {
QVariantList toList(const std::vector<QVariant>& v) { return QVariantList(v.begin(), v.end()); }
}  // namespace

void ResultWriter::nresult(const std::vector<QVariant>& values) { nresult_->exec(toList(values)); }
void ResultWriter::zbv(const std::vector<QVariant>& values) {
  if (zbv_) zbv_ins_->exec(toList(values));
}
void ResultWriter::driver(const std::vector<QVariant>& values) { driver_->exec(toList(values)); }

// ---------------------------------------------------------------------------------------------
// The TRB method

QString TrbMethod::input_query() const {
  return QStringLiteral(
      " SELECT field_description.FL_ID, tmp_soil_prop.cif, Crep_year.corg,crep_year.norg, tmp_bat.BAT, "
      "        tmp_soil_prop.BD, Crep_year.year_0, Crep_year.Crep, tmp_soil_prop.skelett "
      "  ,field_description.comment, tmp_soil_prop.fat "
      "  FROM (Crep_year INNER JOIN ((site_state INNER JOIN field_description ON  "
      "  site_state.FL_ID = field_description.FL_ID) INNER JOIN tmp_soil_prop ON "
      "  (field_description.FL_ID = tmp_soil_prop.FL_ID) AND (field_description.soil_ID = tmp_soil_prop.soil_ID)) ON  "
      "  Crep_year.FL_ID = field_description.FL_ID) INNER JOIN tmp_bat ON (field_description.FL_ID = tmp_bat.FL_ID) AND (Crep_year.year_0 = tmp_bat.year_0) "
      "  WHERE (((site_state.status)=1)) ORDER BY field_description.FL_ID, Crep_year.year_0  ");
}

QStringList TrbMethod::extra_columns() const { return {}; }

void TrbMethod::prepare_run(Database& db) { inputs_.load(db); }

void TrbMethod::year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                            BalanceContext& ctx) {
  const long double D = inputs_.year_input(st.pools, st.fl_id, row.year_0);
  const TrbYear y = trb_year(st, D, row.bat, row.fat);
  if (y.clamped && !st_notill_warned_.contains(st.fl_id)) {
    st_notill_warned_.insert(st.fl_id);
    if (ctx.log)
      ctx.log(QStringLiteral("fl_id") + QString::number(st.fl_id) +
              QStringLiteral(": no-tillage with fat below 5.13 (") + fmt_general(row.fat) +
              QStringLiteral("), BAT factor 2/9 used"));
  }
  const YearFluxes& f = y.f;
  auto d = [](long double x) { return QVariant(static_cast<double>(x)); };
  out.nresult({st.fl_id, st.z_jahr, d(f.nmin), d(st.pools.nitrogen()), d(st.pools.carbon()),
               d(st.C_tot), d(st.I), d(y.n_org), d(y.n_som), d(y.c_mic), d(f.crep), d(y.bat)});
  out.zbv({st.fl_id, row.year_0, d(f.cmin), d(f.cmin_ops), d(f.crep), d(st.pools.carbon()),
           d(st.C_tot), d(st.I)});
}

QString site_list_query() {
  return QStringLiteral(
      "SELECT field_description.FL_ID, field_description.site_description, "
      "field_description.Location, climate_station.station, soilproperties.profile\n"
      "FROM ((field_description INNER JOIN climate_station ON field_description.climate_ID = "
      "climate_station.climate_ID) INNER JOIN soilproperties ON field_description.soil_ID = "
      "soilproperties.soil_ID) INNER JOIN site_state ON field_description.FL_ID = "
      "site_state.FL_ID\n"
      "WHERE (((site_state.status)=1))");
}

// ---------------------------------------------------------------------------------------------
// The walk

namespace {

std::vector<BalanceRow> read_input(Database& db, const BalanceMethod& method) {
  std::vector<BalanceRow> rows;
  trb::db::Reader q(db, method.input_query());
  const int iFl = q.indexOf(QStringLiteral("FL_ID")), iYear = q.indexOf(QStringLiteral("year_0")),
            iCorg = q.indexOf(QStringLiteral("corg")), iNorg = q.indexOf(QStringLiteral("norg")),
            iCif = q.indexOf(QStringLiteral("cif")), iBd = q.indexOf(QStringLiteral("BD")),
            iSk = q.indexOf(QStringLiteral("skelett")), iBat = q.indexOf(QStringLiteral("BAT")),
            iFat = q.indexOf(QStringLiteral("fat")),
            iComment = q.indexOf(QStringLiteral("comment"));
  std::vector<int> extra;
  for (const QString& c : method.extra_columns()) extra.push_back(q.indexOf(c));
  auto num = [&](int i, double missing) { return q.isNull(i) ? missing : q.toDouble(i); };
  while (q.next()) {
    BalanceRow r;
    r.fl_id = q.toLongLong(iFl);
    r.year_0 = q.toLongLong(iYear);
    r.corg = num(iCorg, -99);
    if (iNorg >= 0) r.norg = num(iNorg, -99);
    r.cif = num(iCif, -99);
    r.bd = num(iBd, -99);
    r.skelett = iSk >= 0 ? num(iSk, 0) : 0;
    if (iBat >= 0) r.bat = num(iBat, 0);
    if (iFat >= 0) r.fat = num(iFat, -99);
    if (iComment >= 0) r.comment = q.toString(iComment);
    for (int i : extra) r.extra.push_back(i >= 0 ? num(i, 0) : 0);
    rows.push_back(std::move(r));
  }
  return rows;
}

struct RsKey {
  qlonglong fl, year, num;
  bool operator<(const RsKey& o) const {
    return std::tie(fl, year, num) < std::tie(o.fl, o.year, o.num);
  }
};

struct RsRow {
  qlonglong rowid;
  double meas;
};

}  // namespace

BalanceOutcome run_balance(Database& db, BalanceMethod& method, BalanceContext& ctx) {
  auto log = [&](const QString& s) {
    if (ctx.log) ctx.log(s);
  };
  BalanceOutcome outcome;
  db.execute(QStringLiteral("delete * from trb_driver"));
  method.prepare_run(db);
  std::vector<BalanceRow> rows = read_input(db, method);

  // the comparison rows of the selected plots, in the order of the index "sort"
  std::map<RsKey, std::vector<RsRow>> rs;
  {
    QSqlQuery q = db.query(QStringLiteral(
        "SELECT rs_table.rowid, rs_table.FL_ID, rs_table.YEAR_, rs_table.YEAR_NUM, "
        "rs_table.MEAS_VALUE FROM rs_table INNER JOIN site_state ON rs_table.FL_ID = "
        "site_state.FL_ID WHERE site_state.status=1 "
        "ORDER BY rs_table.FL_ID, rs_table.YEAR_, rs_table.YEAR_NUM, rs_table.rowid"));
    while (q.next())
      rs[{q.value(1).toLongLong(), q.value(2).toLongLong(), q.value(3).toLongLong()}].push_back(
          {q.value(0).toLongLong(), q.value(4).isNull() ? 0.0 : q.value(4).toDouble()});
  }
  QHash<qlonglong, double> nonBal;
  {
    QSqlQuery q = db.query(QStringLiteral(
        "select fl_id, meas_value from measurements where m_ix=-1 order by meas_id"));
    while (q.next())
      if (!nonBal.contains(q.value(0).toLongLong()))
        nonBal.insert(q.value(0).toLongLong(), q.value(1).toDouble());
  }
  QSet<qlonglong> siteList;
  {
    QSqlQuery q = db.query(site_list_query());
    while (q.next()) siteList.insert(q.value(0).toLongLong());
  }

  if (ctx.histogram) ctx.histogram(outcome.assessment);
  if (ctx.progress) ctx.progress(0, static_cast<int>(rows.size()));
  log(QStringLiteral("trb running"));

  db.begin();
  try {
    ResultWriter out(db);
    Statement delNresult(db, QStringLiteral("delete * from trb_nresult where fl_id=?"));
    std::unique_ptr<Statement> delZbv;
    if (out.has_zbv())
      delZbv = std::make_unique<Statement>(db, QStringLiteral("delete * from trb_zbv where fl_id=?"));
    Statement resetRs(db, QStringLiteral("update rs_table set sim_value=-99 where fl_id=?"));
    Statement setSim(db, QStringLiteral("update rs_table set SIM_value=? where rowid=?"));
    Statement addRs(db, QStringLiteral(
                            "INSERT INTO rs_table (FL_ID, YEAR_, YEAR_NUM, M_IX, SIM_value) "
                            "VALUES (?, ?, ?, -7, ?)"));

    const size_t count = rows.size();
    size_t i = 0;
    PlotState st;
    auto skip_plot = [&](qlonglong p) {
      while (i < count && rows[i].fl_id == p) ++i;
    };
    bool aborted = false;
    auto stopNow = [&] {
      if (ctx.stop_requested && ctx.stop_requested()) outcome.stopped = aborted = true;
      return aborted;
    };
    while (i < count && !stopNow()) {
      const qlonglong P = rows[i].fl_id;
      outcome.last_plot = P;
      delNresult.exec({P});
      if (delZbv) delZbv->exec({P});
      const double non_bal = nonBal.value(P, 0.0);
      const bool notill = method.uses_notill() &&
                          rows[i].comment.toUpper().contains(QStringLiteral("NOTILL"));
      resetRs.exec({P});
      if (ctx.progress) ctx.progress(static_cast<int>(i), static_cast<int>(count));
      while (i < count && rows[i].corg < 0) ++i;

      // read_plot_start
      bool valid = i < count && rows[i].fl_id == P;
      st = PlotState();
      st.fl_id = P;
      if (valid) {
        const BalanceRow& r = rows[i];
        if (method.reads_norg()) st.norg = r.norg;
        st.corg = r.corg;
        st.cif = r.cif;
        st.bd = r.bd;
        st.sk = r.skelett;
        valid = r.corg > 0 && r.cif > 0 && r.bd > 0;
      }
      qlonglong prevYear = valid ? rows[i].year_0 - 1 : 0;
      if (!siteList.contains(P)) log(QStringLiteral("FL_ID not found =>") + QString::number(P));
      if (!valid) {
        const QString msg = QStringLiteral("missing data for FL_ID") + QString::number(P);
        log(msg);
        if (ctx.message) ctx.message(msg, QStringLiteral("ERROR"));
        skip_plot(P);
        continue;
      }
      derive_start_values(st);
      st.first = true;
      st.notill = notill;
      st.non_bal = non_bal;
      st.pools.clear();
      method.start_plot(st);

      for (int a_zkl = 0; a_zkl <= ctx.z_cnt && !aborted; ++a_zkl) {
        if (ctx.z_cnt > 0 && a_zkl > 0) {
          size_t k = 0;
          while (k < count && !(rows[k].year_0 == ctx.z_anf && rows[k].fl_id == P)) ++k;
          if (k == count) {
            if (ctx.message)
              ctx.message(QStringLiteral("loopback not possible"), QStringLiteral("cycling error"));
            log(QStringLiteral("loopback not possible"));
            aborted = true;
            break;
          }
          i = k;
          prevYear = rows[i].year_0 - 1;
        }
        while (i < count && rows[i].fl_id == P && !stopNow()) {
          const BalanceRow& r = rows[i];
          const qlonglong Y = r.year_0;
          st.z_jahr = a_zkl == 0 ? Y : st.z_jahr + 1;
          if (Y - prevYear != 1) {
            log(QStringLiteral("fl_id") + QString::number(P) + QStringLiteral(": ") +
                QStringLiteral("missed year in management:") + QString::number(prevYear + 1));
            skip_plot(P);
            break;
          }
          st.year_num += 1;
          method.year_update(st, r, out, ctx);
          st.years_done += 1;

          // comparison rows of the year
          const double sim = static_cast<double>(simulated_content(st));
          auto it = rs.find({P, st.z_jahr, st.year_num});
          if (it == rs.end() || it->second.empty()) {
            addRs.exec({P, st.z_jahr, st.year_num, round_to(sim, 4)});
          } else {
            for (const RsRow& m : it->second) {
              setSim.exec({round_to(sim, 4), m.rowid});
              outcome.assessment.add(m.meas, sim);
              st.meas_last = m.meas;
              if (ctx.histogram) ctx.histogram(outcome.assessment);
            }
          }
          st.sim_last = sim;
          ++i;
          prevYear = Y;
        }
      }
      if (aborted) break;
      out.driver({P, method.driver_input_mean(st), method.driver_c_start(st),
                  method.driver_inert_pct(st), method.driver_bat_mean(st), st.meas_last,
                  st.sim_last, st.year_num});
    }
    db.commit();
    if (ctx.progress) ctx.progress(0, -1);
    if (aborted) return outcome;
  } catch (...) {
    db.commit();  // what was written before the failure stays
    if (ctx.progress) ctx.progress(0, -1);
    throw;
  }

  for (const QString& line : outcome.assessment.summary()) log(line);
  if (ctx.sim_prot) outcome.assessment.store_protocol(db, outcome.last_plot, ctx.run_id);
  outcome.finished = true;
  return outcome;
}

}  // namespace trb::engine
