#include "core/engine/balance.h"

#include <QHash>
#include <QSqlRecord>
#include <cmath>
#include <map>
#include <tuple>

#include "core/base/error.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/crep.h"
#include "core/engine/humus.h"
#include "core/engine/inputs.h"

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

// The values go in the order of the tables' columns (the inserts name no columns, so that a
// database whose result tables carry other names for them is written as before).
void ResultWriter::nresult(const NResultRow& r) {
  nresult_->exec({r.FL_ID, r.year, r.n_m_om, r.n_ops, r.C_ops, r.c_som, r.c_inert, r.n_org,
                  r.n_som, r.c_mic, r.c_rep, r.bat});
}

void ResultWriter::zbv(const ZbvRow& r) {
  if (zbv_)
    zbv_ins_->exec(
        {r.fl_id, r.year_, r.C_min_total, r.c_min_fom, r.C_rep_flx, r.C_fom, r.c_som, r.c_inert});
}

void ResultWriter::driver(const DriverRow& r) {
  driver_->exec({r.fl_id, r.c_input_mean, r.c_start, r.c_inert_pct, r.bat_mean, r.meas_last,
                 r.sim_last, r.year_num});
}

void stop_if_canceled(const trb::Feedback& feedback) {
  if (feedback.isCanceled())
    throw trb::Canceled(QStringLiteral("the calculation was stopped"), QStringLiteral("trb"));
}

std::unique_ptr<BalanceMethod> make_balance_method(const QString& key) {
  if (key == u"TRB") return std::make_unique<TrbMethod>();
  if (key == u"LUFA") return std::make_unique<LufaMethod>();
  if (key == u"KOLBE") return std::make_unique<KolbeMethod>();
  if (key == u"NULL") return std::make_unique<NullMethod>();
  return nullptr;
}

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

void TrbMethod::prepare_tables(Database& db, const PreparationSettings& settings,
                               trb::Feedback& feedback) {
  stop_if_canceled(feedback);
  update_sim_quantities(db, feedback);
  stop_if_canceled(feedback);
  build_crep_year(db, feedback);
  stop_if_canceled(feedback);
  build_opstab(db, feedback);
  stop_if_canceled(feedback);
  build_soil_table(db, settings.soil, feedback);
  stop_if_canceled(feedback);
  build_tmp_bat(db, settings.wmz, settings.bat, feedback);
}

void TrbMethod::read_inputs(Database& db) { inputs_.load(db); }

void TrbMethod::year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                            BalanceContext& ctx) {
  const long double D = inputs_.year_input(st.pools, st.fl_id, row.year_0);
  const TrbYear y = trb_year(st, D, row.bat, row.fat);
  if (y.clamped && !st_notill_warned_.contains(st.fl_id)) {
    st_notill_warned_.insert(st.fl_id);
    ctx.feedback.info(QStringLiteral("fl_id") + QString::number(st.fl_id) +
                      QStringLiteral(": no-tillage with fat below 5.13 (") + fmt_general(row.fat) +
                      QStringLiteral("), BAT factor 2/9 used"));
  }
  const YearFluxes& f = y.f;
  auto d = [](long double x) { return QVariant(static_cast<double>(x)); };
  NResultRow n;
  n.FL_ID = st.fl_id;
  n.year = st.z_jahr;
  n.n_m_om = d(f.nmin);
  n.n_ops = d(st.pools.nitrogen());
  n.C_ops = d(st.pools.carbon());
  n.c_som = d(st.C_tot);
  n.c_inert = d(st.I);
  n.n_org = d(y.n_org);
  n.n_som = d(y.n_som);
  n.c_mic = d(y.c_mic);
  n.c_rep = d(f.crep);
  n.bat = d(y.bat);
  out.nresult(n);
  ZbvRow z;
  z.fl_id = st.fl_id;
  z.year_ = row.year_0;
  z.C_min_total = d(f.cmin);
  z.c_min_fom = d(f.cmin_ops);
  z.C_rep_flx = d(f.crep);
  z.C_fom = d(st.pools.carbon());
  z.c_som = d(st.C_tot);
  z.c_inert = d(st.I);
  out.zbv(z);
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

// The comparison rows of the selected plots, in the order of the index "sort".
std::map<RsKey, std::vector<RsRow>> read_comparison_rows(Database& db) {
  std::map<RsKey, std::vector<RsRow>> rs;
  QSqlQuery q = db.query(QStringLiteral(
      "SELECT rs_table.rowid, rs_table.FL_ID, rs_table.YEAR_, rs_table.YEAR_NUM, "
      "rs_table.MEAS_VALUE FROM rs_table INNER JOIN site_state ON rs_table.FL_ID = "
      "site_state.FL_ID WHERE site_state.status=1 "
      "ORDER BY rs_table.FL_ID, rs_table.YEAR_, rs_table.YEAR_NUM, rs_table.rowid"));
  while (q.next())
    rs[{q.value(1).toLongLong(), q.value(2).toLongLong(), q.value(3).toLongLong()}].push_back(
        {q.value(0).toLongLong(), q.value(4).isNull() ? 0.0 : q.value(4).toDouble()});
  return rs;
}

// The first "non-balance" share (measurement m_ix -1) of every plot.
QHash<qlonglong, double> read_non_balance_shares(Database& db) {
  QHash<qlonglong, double> shares;
  QSqlQuery q = db.query(
      QStringLiteral("select fl_id, meas_value from measurements where m_ix=-1 order by meas_id"));
  while (q.next())
    if (!shares.contains(q.value(0).toLongLong()))
      shares.insert(q.value(0).toLongLong(), q.value(1).toDouble());
  return shares;
}

// The plots of the site list (a plot missing there lacks its station or soil).
QSet<qlonglong> read_site_list_plots(Database& db) {
  QSet<qlonglong> plots;
  QSqlQuery q = db.query(site_list_query());
  while (q.next()) plots.insert(q.value(0).toLongLong());
  return plots;
}

// The statements of the walk, prepared once inside its transaction.
struct WalkStatements {
  explicit WalkStatements(Database& db)
      : out(db),
        deleteNresult(db, QStringLiteral("delete * from trb_nresult where fl_id=?")),
        resetComparison(db, QStringLiteral("update rs_table set sim_value=-99 where fl_id=?")),
        setSimulated(db, QStringLiteral("update rs_table set SIM_value=? where rowid=?")),
        addSimulatedOnly(db, QStringLiteral(
                                 "INSERT INTO rs_table (FL_ID, YEAR_, YEAR_NUM, M_IX, SIM_value) "
                                 "VALUES (?, ?, ?, -7, ?)")) {
    if (out.has_zbv())
      deleteZbv =
          std::make_unique<Statement>(db, QStringLiteral("delete * from trb_zbv where fl_id=?"));
  }
  ResultWriter out;
  Statement deleteNresult;
  std::unique_ptr<Statement> deleteZbv;
  Statement resetComparison;
  Statement setSimulated;
  Statement addSimulatedOnly;
};

// The walk through the input rows, plot by plot and year by year.
class BalanceWalk {
 public:
  BalanceWalk(Database& db, BalanceMethod& method, BalanceContext& ctx, BalanceOutcome& outcome)
      : db_(db), method_(method), ctx_(ctx), outcome_(outcome) {}

  // The rows of the method's input query and what the comparison needs.
  void read_tables() {
    rows_ = read_input(db_, method_);
    comparison_ = read_comparison_rows(db_);
    nonBalance_ = read_non_balance_shares(db_);
    sitePlots_ = read_site_list_plots(db_);
  }

  size_t row_count() const { return rows_.size(); }

  // Every plot in turn; false when the walk was aborted (a stop request, a loop-back that cannot
  // be made).
  bool walk_plots(WalkStatements& sql) {
    sql_ = &sql;
    i_ = 0;
    while (i_ < rows_.size() && !stop_requested()) {
      const qlonglong plot = rows_[i_].fl_id;
      outcome_.last_plot = plot;
      clear_plot_results(plot);
      if (!start_plot(plot)) {
        skip_plot(plot);
        continue;
      }
      for (int pass = 0; pass <= ctx_.z_cnt && !aborted_; ++pass) {
        if (pass > 0 && !loop_back(plot)) break;
        walk_years(plot, pass);
      }
      if (aborted_) break;
      write_driver(plot);
    }
    return !aborted_;
  }

 private:
  bool stop_requested() {
    if (ctx_.feedback.isCanceled()) outcome_.stopped = aborted_ = true;
    return aborted_;
  }

  void skip_plot(qlonglong plot) {
    while (i_ < rows_.size() && rows_[i_].fl_id == plot) ++i_;
  }

  // The plot's earlier results go, its comparison rows wait for new simulated values.
  void clear_plot_results(qlonglong plot) {
    sql_->deleteNresult.exec({plot});
    if (sql_->deleteZbv) sql_->deleteZbv->exec({plot});
    nonBal_ = nonBalance_.value(plot, 0.0);
    notill_ = method_.uses_notill() &&
              rows_[i_].comment.toUpper().contains(QStringLiteral("NOTILL"));
    sql_->resetComparison.exec({plot});
    ctx_.feedback.setProgress(static_cast<qint64>(i_), static_cast<qint64>(rows_.size()));
  }

  // The start values from the plot's first row with a carbon content; false (and reported) when
  // they are missing.
  bool start_plot(qlonglong plot) {
    while (i_ < rows_.size() && rows_[i_].corg < 0) ++i_;
    bool valid = i_ < rows_.size() && rows_[i_].fl_id == plot;
    st_ = PlotState();
    st_.fl_id = plot;
    if (valid) {
      const BalanceRow& r = rows_[i_];
      if (method_.reads_norg()) st_.norg = r.norg;
      st_.corg = r.corg;
      st_.cif = r.cif;
      st_.bd = r.bd;
      st_.sk = r.skelett;
      valid = r.corg > 0 && r.cif > 0 && r.bd > 0;
    }
    prevYear_ = valid ? rows_[i_].year_0 - 1 : 0;
    if (!sitePlots_.contains(plot))
      ctx_.feedback.info(QStringLiteral("FL_ID not found =>") + QString::number(plot));
    if (!valid) {
      const QString msg = QStringLiteral("missing data for FL_ID") + QString::number(plot);
      ctx_.feedback.info(msg);
      ctx_.feedback.report(trb::Error(msg, QStringLiteral("ERROR")));
      return false;
    }
    derive_start_values(st_);
    st_.first = true;
    st_.notill = notill_;
    st_.non_bal = nonBal_;
    st_.pools.clear();
    method_.start_plot(st_);
    return true;
  }

  // A further pass starts again at the plot's year z_anf; false (and the walk aborted) when the
  // plot has no such year.
  bool loop_back(qlonglong plot) {
    if (ctx_.z_cnt <= 0) return true;
    size_t k = 0;
    while (k < rows_.size() && !(rows_[k].year_0 == ctx_.z_anf && rows_[k].fl_id == plot)) ++k;
    if (k == rows_.size()) {
      ctx_.feedback.report(
          trb::Error(QStringLiteral("loopback not possible"), QStringLiteral("cycling error")));
      ctx_.feedback.info(QStringLiteral("loopback not possible"));
      aborted_ = true;
      return false;
    }
    i_ = k;
    prevYear_ = rows_[i_].year_0 - 1;
    return true;
  }

  // The plot's years in order; a gap in the management years ends the plot.
  void walk_years(qlonglong plot, int pass) {
    while (i_ < rows_.size() && rows_[i_].fl_id == plot && !stop_requested()) {
      const BalanceRow& r = rows_[i_];
      const qlonglong year = r.year_0;
      st_.z_jahr = pass == 0 ? year : st_.z_jahr + 1;
      if (year - prevYear_ != 1) {
        ctx_.feedback.info(QStringLiteral("fl_id") + QString::number(plot) + QStringLiteral(": ") +
                           QStringLiteral("missed year in management:") +
                           QString::number(prevYear_ + 1));
        skip_plot(plot);
        break;
      }
      st_.year_num += 1;
      method_.year_update(st_, r, sql_->out, ctx_);
      st_.years_done += 1;
      compare_year(plot);
      ++i_;
      prevYear_ = year;
    }
  }

  // The simulated content goes beside the year's measurements, or into a row of its own.
  void compare_year(qlonglong plot) {
    const double sim = static_cast<double>(simulated_content(st_));
    auto it = comparison_.find({plot, st_.z_jahr, st_.year_num});
    if (it == comparison_.end() || it->second.empty()) {
      sql_->addSimulatedOnly.exec({plot, st_.z_jahr, st_.year_num, round_to(sim, 4)});
    } else {
      for (const RsRow& m : it->second) {
        sql_->setSimulated.exec({round_to(sim, 4), m.rowid});
        outcome_.assessment.add(m.meas, sim);
        st_.meas_last = m.meas;
        if (ctx_.histogram) ctx_.histogram(outcome_.assessment);
      }
    }
    st_.sim_last = sim;
  }

  void write_driver(qlonglong plot) {
    DriverRow d;
    d.fl_id = plot;
    d.c_input_mean = method_.driver_input_mean(st_);
    d.c_start = method_.driver_c_start(st_);
    d.c_inert_pct = method_.driver_inert_pct(st_);
    d.bat_mean = method_.driver_bat_mean(st_);
    d.meas_last = st_.meas_last;
    d.sim_last = st_.sim_last;
    d.year_num = st_.year_num;
    sql_->out.driver(d);
  }

  Database& db_;
  BalanceMethod& method_;
  BalanceContext& ctx_;
  BalanceOutcome& outcome_;
  std::vector<BalanceRow> rows_;
  std::map<RsKey, std::vector<RsRow>> comparison_;
  QHash<qlonglong, double> nonBalance_;
  QSet<qlonglong> sitePlots_;
  WalkStatements* sql_ = nullptr;
  size_t i_ = 0;
  PlotState st_;
  qlonglong prevYear_ = 0;
  double nonBal_ = 0;
  bool notill_ = false;
  bool aborted_ = false;
};

// The summary lines of the comparison and, when asked, the protocol row.
void finish_run(Database& db, BalanceOutcome& outcome, BalanceContext& ctx) {
  for (const QString& line : outcome.assessment.summary()) ctx.feedback.info(line);
  if (ctx.sim_prot) outcome.assessment.store_protocol(db, outcome.last_plot, ctx.run_id);
  outcome.finished = true;
}

}  // namespace

BalanceOutcome run_balance(Database& db, BalanceMethod& method, BalanceContext& ctx) {
  BalanceOutcome outcome;
  db.execute(QStringLiteral("delete * from trb_driver"));
  method.read_inputs(db);
  BalanceWalk walk(db, method, ctx, outcome);
  walk.read_tables();

  if (ctx.histogram) ctx.histogram(outcome.assessment);
  ctx.feedback.setProgress(0, static_cast<qint64>(walk.row_count()));
  ctx.feedback.info(QStringLiteral("trb running"));

  bool walked = false;
  db.begin();
  try {
    WalkStatements sql(db);
    walked = walk.walk_plots(sql);
  } catch (...) {
    db.commit();  // what was written before the failure stays
    ctx.feedback.setProgress(0, 0);
    throw;
  }
  db.commit();
  ctx.feedback.setProgress(0, 0);
  if (!walked) return outcome;
  finish_run(db, outcome, ctx);
  return outcome;
}

}  // namespace trb::engine
