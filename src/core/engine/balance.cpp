#include "core/engine/balance.h"

#include <QHash>
#include <QSqlRecord>
#include <QThreadPool>
#include <atomic>
#include <cmath>
#include <deque>
#include <future>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "core/base/error.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/crep.h"
#include "core/engine/humus.h"
#include "core/engine/inputs.h"
#include "core/engine/run_log.h"

namespace trb::engine {

using trb::db::Database;
using trb::db::Statement;

// ---------------------------------------------------------------------------------------------
// Checks of the values the balance reads

namespace {

// No input of the balance comes near this size (contents in per cent, amounts in kg or dt per
// hectare, rates, ratios); a larger one is a fault of the data, and carried through the years it
// would overflow the sums of the comparison.
constexpr double kLargestInput = 1e6;

enum class Range {
  Finite,    // a finite number of at most kLargestInput in size
  Amount,    // finite, from 0 up to kLargestInput
  Fraction,  // 0..1
  Share,     // 0 up to but not including 1 (a share the balance divides by 1 minus)
};

// Throws UnusableValue naming the table, column and value when value lies outside range.
void check_range(const QString& table, const QString& column, double value, Range range,
                 qlonglong year = -1) {
  QString why;
  if (std::isnan(value))
    why = QStringLiteral("is empty");
  else if (!std::isfinite(value))
    why = QStringLiteral("is not a finite number");
  else if (std::abs(value) > kLargestInput)
    why = QStringLiteral("is beyond any physical value (more than 1e6 in size)");
  else if (range == Range::Amount && value < 0)
    why = QStringLiteral("is negative");
  else if (range == Range::Fraction && !(value >= 0 && value <= 1))
    why = QStringLiteral("is not a fraction between 0 and 1");
  else if (range == Range::Share && !(value >= 0 && value < 1))
    why = QStringLiteral("is not a fraction from 0 to below 1");
  if (!why.isEmpty()) throw UnusableValue{table, column, value, why, year};
}

}  // namespace

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
  // The state and the sums stay in locals (registers) for the year and go back once at its end;
  // every value is computed as before, operation by operation.
  long double A = st.A, S = st.S;
  long double crep = 0, cmin_ops = 0, cmin = 0, nmin = 0;
  OpsPools& pools = st.pools;
  auto sub = [&](long double h) {
    long double dnmin, dcrep, cminops;
    pools.turnover(h, kCnHumus, dnmin, dcrep, cminops);
    crep += dcrep;
    const long double dA = dcrep / h - (kM + kA) * A + kS * S;
    const long double dS = kA * A - kS * S;
    cmin_ops += cminops;
    cmin += kM * A * h + cminops;
    nmin += h * kM * A / kCnHumus + dnmin;
    A += dA * h;
    S += dS * h;
  };
  for (long long i = 0; i < static_cast<long long>(n); ++i) sub(kSubStep);
  if (r > 0) sub(r);
  st.A = A;
  st.S = S;
  st.C_dec = A + S;
  f.crep = crep;
  f.cmin_ops = cmin_ops;
  f.cmin = cmin;
  f.nmin = nmin;
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

namespace {

// Throws UnusableValue for the first value that is a number but not a finite one.
void check_finite(const QString& table, const QVariant& year,
                  std::initializer_list<std::pair<const char*, const QVariant*>> values) {
  for (const auto& [column, v] : values) {
    if (v->typeId() != QMetaType::Double) continue;
    const double x = v->toDouble();
    if (!std::isfinite(x))
      throw UnusableValue{table, QString::fromLatin1(column), x,
                          QStringLiteral("is not a finite number"),
                          year.isValid() ? year.toLongLong() : -1};
  }
}

}  // namespace

void ResultWriter::nresult(const NResultRow& r) {
  check_finite(QStringLiteral("trb_nresult"), r.year,
               {{"n_m_om", &r.n_m_om},
                {"n_ops", &r.n_ops},
                {"C_ops", &r.C_ops},
                {"c_som", &r.c_som},
                {"c_inert", &r.c_inert},
                {"n_org", &r.n_org},
                {"n_som", &r.n_som},
                {"c_mic", &r.c_mic},
                {"c_rep", &r.c_rep},
                {"bat", &r.bat}});
  nresults.push_back(r);
}

void ResultWriter::zbv(const ZbvRow& r) {
  check_finite(QStringLiteral("trb_zbv"), r.year_,
               {{"C_min_total", &r.C_min_total},
                {"c_min_fom", &r.c_min_fom},
                {"C_rep_flx", &r.C_rep_flx},
                {"C_fom", &r.C_fom},
                {"c_som", &r.c_som},
                {"c_inert", &r.c_inert}});
  if (zbv_) zbvs.push_back(r);
}

void ResultWriter::driver(const DriverRow& r) {
  check_finite(QStringLiteral("trb_driver"), QVariant(),
               {{"c_input_mean", &r.c_input_mean},
                {"c_start", &r.c_start},
                {"c_inert_pct", &r.c_inert_pct},
                {"bat_mean", &r.bat_mean},
                {"meas_last", &r.meas_last},
                {"sim_last", &r.sim_last}});
  drivers.push_back(r);
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
  return QStringLiteral(R"sql(
 SELECT field_description.FL_ID, tmp_soil_prop.cif, Crep_year.corg,crep_year.norg, tmp_bat.BAT,
        tmp_soil_prop.BD, Crep_year.year_0, Crep_year.Crep, tmp_soil_prop.skelett
  ,field_description.comment, tmp_soil_prop.fat
  FROM (Crep_year INNER JOIN ((site_state INNER JOIN field_description ON 
  site_state.FL_ID = field_description.FL_ID) INNER JOIN tmp_soil_prop ON
  (field_description.FL_ID = tmp_soil_prop.FL_ID) AND (field_description.soil_ID = tmp_soil_prop.soil_ID)) ON 
  Crep_year.FL_ID = field_description.FL_ID) INNER JOIN tmp_bat ON (field_description.FL_ID = tmp_bat.FL_ID) AND (Crep_year.year_0 = tmp_bat.year_0)
  WHERE (((site_state.status)=1)) ORDER BY field_description.FL_ID, Crep_year.year_0  )sql");
}

QStringList TrbMethod::extra_columns() const {
  return {};
}

QString TrbMethod::source_table(const QString& column) const {
  const QString c = column.toLower();
  if (c == u"corg" || c == u"norg") return QStringLiteral("crep_year");
  if (c == u"bat") return QStringLiteral("tmp_bat");
  return QStringLiteral("tmp_soil_prop");
}

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

void TrbMethod::read_inputs(Database& db) {
  inputs_.open(db);
}

void TrbMethod::close_inputs() {
  inputs_.close();
}

namespace {

// The rows of opstab of one plot, by year.
struct TrbPlotInputs : PlotInputs {
  std::vector<std::pair<qlonglong, std::vector<OpsInput>>> years;  // ascending

  const std::vector<OpsInput>& rows(qlonglong year) const {
    static const std::vector<OpsInput> none;
    auto it = std::lower_bound(years.begin(), years.end(), year,
                               [](const auto& y, qlonglong key) { return y.first < key; });
    return it != years.end() && it->first == year ? it->second : none;
  }
};

}  // namespace

std::unique_ptr<PlotInputs> TrbMethod::plot_inputs(qlonglong fl_id) {
  auto in = std::make_unique<TrbPlotInputs>();
  in->years = inputs_.take_plot(fl_id);
  return in;
}

void TrbMethod::year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                            BalanceContext& ctx) {
  // the organic inputs of the year: amounts, rates and shares as the pools need them
  const QString ops = QStringLiteral("opstab");
  static const TrbPlotInputs noInputs;
  const auto* plotInputs = dynamic_cast<const TrbPlotInputs*>(st.inputs);
  const std::vector<OpsInput>& inputs = (plotInputs ? *plotInputs : noInputs).rows(row.year_0);
  for (const OpsInput& in : inputs) {
    check_range(ops, QStringLiteral("COPS"), static_cast<double>(in.cops), Range::Amount,
                row.year_0);
    check_range(ops, QStringLiteral("K"), static_cast<double>(in.k), Range::Amount, row.year_0);
    check_range(ops, QStringLiteral("ETA"), static_cast<double>(in.eta), Range::Fraction,
                row.year_0);
    check_range(ops, QStringLiteral("CNR"), static_cast<double>(in.cnr), Range::Amount, row.year_0);
    check_range(ops, QStringLiteral("cnr_alt"), static_cast<double>(in.cnr_alt), Range::Amount,
                row.year_0);
  }
  // the tables source_table names for BAT and fat
  check_range(QStringLiteral("tmp_bat"), QStringLiteral("BAT"), row.bat, Range::Amount, row.year_0);
  if (st.notill)
    check_range(QStringLiteral("tmp_soil_prop"), QStringLiteral("fat"), row.fat, Range::Finite,
                row.year_0);
  const long double D = add_year_inputs(st.pools, inputs);
  const TrbYear y = trb_year(st, D, row.bat, row.fat);
  if (y.clamped && !st.notill_warned) {
    st.notill_warned = true;
    ctx.feedback.info(QStringLiteral("fl_id") + QString::number(st.fl_id) +
                      QStringLiteral(": no-tillage with fat below 5.13 (") + fmt_general(row.fat) +
                      QStringLiteral("), BAT factor 2/9 used"));
  }
  const YearFluxes& f = y.f;
  auto d = [](long double x) { return QVariant(static_cast<double>(x)); };
  const QVariant cOps = d(st.pools.carbon());
  NResultRow n;
  n.FL_ID = st.fl_id;
  n.year = st.z_jahr;
  n.n_m_om = d(f.nmin);
  n.n_ops = d(st.pools.nitrogen());
  n.C_ops = cOps;
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
  z.C_fom = cOps;
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

// The rows of a method's input query, read plot by plot as the walk takes them: only the plot
// taken and the first row of the next are held, so the memory does not grow with the number of
// plots.
class InputRows {
 public:
  InputRows(Database& db, const BalanceMethod& method) : q_(db, method.input_query()) {
    iFl_ = q_.indexOf(QStringLiteral("FL_ID"));
    iYear_ = q_.indexOf(QStringLiteral("year_0"));
    iCorg_ = q_.indexOf(QStringLiteral("corg"));
    iNorg_ = q_.indexOf(QStringLiteral("norg"));
    iCif_ = q_.indexOf(QStringLiteral("cif"));
    iBd_ = q_.indexOf(QStringLiteral("BD"));
    iSk_ = q_.indexOf(QStringLiteral("skelett"));
    iBat_ = q_.indexOf(QStringLiteral("BAT"));
    iFat_ = q_.indexOf(QStringLiteral("fat"));
    iComment_ = q_.indexOf(QStringLiteral("comment"));
    for (const QString& c : method.extra_columns()) extra_.push_back(q_.indexOf(c));
  }

  // The rows of the next plot, in the order of the query; false after the last plot.
  bool take_plot(std::vector<BalanceRow>& plot) {
    plot.clear();
    if (!ahead_ && !read_row()) return false;
    const qlonglong fl = ahead_->fl_id;
    do {
      plot.push_back(std::move(*ahead_));
      ahead_.reset();
    } while (read_row() && ahead_->fl_id == fl);
    return true;
  }

 private:
  bool read_row() {
    if (end_ || !q_.next()) {
      end_ = true;
      return false;
    }
    auto num = [&](int i, double missing) { return q_.isNull(i) ? missing : q_.toDouble(i); };
    BalanceRow r;
    r.fl_id = q_.toLongLong(iFl_);
    r.year_0 = q_.toLongLong(iYear_);
    r.corg = num(iCorg_, -99);
    if (iNorg_ >= 0) r.norg = num(iNorg_, -99);
    r.cif = num(iCif_, -99);
    r.bd = num(iBd_, -99);
    r.skelett = iSk_ >= 0 ? num(iSk_, 0) : 0;
    if (iBat_ >= 0) r.bat = num(iBat_, 0);
    if (iFat_ >= 0) r.fat = num(iFat_, -99);
    // the walk reads the comment of a plot's first row only
    if (iComment_ >= 0 && (!read_ || r.fl_id != lastFl_)) r.comment = q_.toString(iComment_);
    read_ = true;
    lastFl_ = r.fl_id;
    for (int i : extra_) r.extra.push_back(i >= 0 ? num(i, 0) : 0);
    ahead_ = std::move(r);
    return true;
  }

  trb::db::Reader q_;
  int iFl_, iYear_, iCorg_, iNorg_, iCif_, iBd_, iSk_, iBat_, iFat_, iComment_;
  std::vector<int> extra_;
  std::optional<BalanceRow> ahead_;  // the first row of the next plot
  bool end_ = false;
  bool read_ = false;  // a row was read, of plot lastFl_
  qlonglong lastFl_ = 0;
};

struct RsRow {
  qlonglong rowid;
  double meas;
};

// The soil carbon samples of the selected plots: the comparison rows a run gives them.
const QString kFreshComparisonFrom = QStringLiteral(
    " FROM site_state LEFT JOIN measurements ON site_state.FL_ID = measurements.FL_ID "
    " WHERE (((site_state.status)=1) AND ((measurements.M_IX)=7)) ");

// The comparison rows of one plot as the walk reads them from the plan: the rowids its samples
// get, in order, and the samples by year and year number.
struct PlotComparison {
  std::vector<qlonglong> rowids;
  std::map<std::pair<qlonglong, qlonglong>, std::vector<RsRow>> byYear;
};

// The new comparison rows of the run. Their rowids are those a refill of rs_table at the start
// would give them: after the rows of the plots not selected, in the order of the query; the rows
// of simulated values alone follow in the order of the walk. Replacing the plots one by one with
// these rowids leaves the table of such a refill.
//
// The rows wait in a temporary table (written to a temporary file when it grows), each with its
// values as the query gave them, so that the memory of a run does not grow with its samples; the
// walk reads them plot by plot.
class ComparisonPlan {
 public:
  QList<qlonglong> selected;                 // in the order of FL_ID
  QHash<qlonglong, UnusableValue> unusable;  // plots with a sample that is no number
  qlonglong nextSimulatedOnly = 1;

  explicit ComparisonPlan(Database& db) : db_(db) {}
  ~ComparisonPlan() {
    if (!made_) return;
    try {
      reader_.reset();
      copy_.reset();
      db_.runNative(QStringLiteral("DROP TABLE IF EXISTS temp.trb_walk_fresh"));
    } catch (...) {
      // the temporary table goes with the connection at the latest
    }
  }

  void read() {
    const qlonglong kept = db_.scalar(QStringLiteral(R"sql(
SELECT Max(rs_table.rowid) FROM rs_table WHERE NOT EXISTS
(SELECT site_state.FL_ID FROM site_state WHERE
site_state.FL_ID = rs_table.FL_ID AND site_state.status=1))sql"))
                               .toLongLong();
    qlonglong rowid = kept;
    db_.runNative(QStringLiteral(R"sql(
DROP TABLE IF EXISTS temp.trb_walk_fresh;
CREATE TEMP TABLE trb_walk_fresh (
  rid INTEGER PRIMARY KEY, plot INTEGER, yr INTEGER, num INTEGER, meas REAL,
  meas_id, FL_ID, M_IX, DAY_, MONTH_, YEAR_, YEAR_NUM, MEAS_VALUE
))sql"));
    made_ = true;
    {
      trb::db::Transaction tx(db_);
      Statement keep(db_, QStringLiteral(R"sql(
INSERT INTO trb_walk_fresh VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))sql"));
      trb::db::Reader q(db_, QStringLiteral(R"sql(
SELECT measurements.meas_id, measurements.FL_ID, measurements.M_IX,
measurements.day, measurements.month, measurements.year,
measurements.year_number, measurements.meas_value)sql") +
                                 kFreshComparisonFrom);
      QVariantList row(13);
      while (q.next()) {
        row[0] = ++rowid;
        for (int i = 0; i < 8; ++i) row[5 + i] = q.value(i);
        const qlonglong plot = q.toLongLong(1);
        // a sample that is not a finite number is kept empty, and its plot is not calculated; nor
        // is the plot of a sample beyond any physical value (its errors would overflow the sums)
        const double sample = q.isNull(7) ? 0.0 : q.toDouble(7);
        if (!std::isfinite(sample) || std::abs(sample) > kLargestInput) {
          if (!unusable.contains(plot))
            unusable.insert(
                plot,
                UnusableValue{
                    QStringLiteral("measurements"), QStringLiteral("meas_value"), sample,
                    std::isfinite(sample)
                        ? QStringLiteral("is beyond any physical value (more than 1e6 in size)")
                        : QStringLiteral("is not a finite number"),
                    q.toLongLong(5)});
          if (!std::isfinite(sample)) row[12] = QVariant();
        }
        row[1] = plot;
        row[2] = q.toLongLong(5);
        row[3] = q.toLongLong(6);
        row[4] = sample;
        keep.exec(row);
      }
      tx.commit();
    }
    db_.runNative(
        QStringLiteral("CREATE INDEX temp.trb_walk_fresh_plot ON trb_walk_fresh (plot, rid)"));
    nextSimulatedOnly = rowid + 1;
    QSqlQuery s =
        db_.query(QStringLiteral("select FL_ID from site_state where status=1 order by FL_ID"));
    while (s.next()) selected << s.value(0).toLongLong();
  }

  // The comparison rows of a plot.
  PlotComparison plot(qlonglong fl) {
    if (!reader_)
      reader_ = std::make_unique<trb::db::Reader>(db_, QStringLiteral(R"sql(
SELECT rid, yr, num, meas FROM trb_walk_fresh WHERE plot = ? ORDER BY rid)sql"),
                                                  QVariantList{fl});
    else
      reader_->rebind({fl});
    PlotComparison c;
    while (reader_->next()) {
      const qlonglong rid = reader_->toLongLong(0);
      c.rowids.push_back(rid);
      c.byYear[{reader_->toLongLong(1), reader_->toLongLong(2)}].push_back(
          {rid, reader_->toDouble(3)});
    }
    return c;
  }

  // Writes the plot's comparison rows (their rowids freed before) into rs_table.
  void insert(qlonglong fl) {
    if (!copy_)
      copy_ = std::make_unique<Statement>(db_, QStringLiteral(R"sql(
INSERT INTO rs_table (rowid, meas_id, FL_ID, M_IX,
DAY_, MONTH_, YEAR_, YEAR_NUM, MEAS_VALUE)
SELECT rid, meas_id, FL_ID, M_IX, DAY_, MONTH_, YEAR_, YEAR_NUM, MEAS_VALUE
FROM trb_walk_fresh
WHERE plot = ?
ORDER BY rid)sql"));
    copy_->exec({fl});
  }

 private:
  Database& db_;
  bool made_ = false;
  std::unique_ptr<trb::db::Reader> reader_;
  std::unique_ptr<Statement> copy_;
};

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

// The smallest rowid of a table less one, and below 0: where a row moves out of the way.
qlonglong free_rowid_below(Database& db, const QString& table) {
  const QVariant low = db.scalar(QStringLiteral("SELECT Min(rowid) FROM ") + table);
  return std::min<qlonglong>(low.isNull() ? 0 : low.toLongLong(), 0) - 1;
}

// The rowid after the largest of a table: no row at or above it was there before the walk.
qlonglong rowid_after_last(Database& db, const QString& table) {
  const QVariant high = db.scalar(QStringLiteral("SELECT Max(rowid) FROM ") + table);
  return std::max<qlonglong>(high.isNull() ? 0 : high.toLongLong(), 0) + 1;
}

// Rows of a result table, several to a statement: the values go in the order of the table's
// columns (the inserts name no columns, so that a database whose result tables carry other names
// for them is written as before); the rows come in the order given.
class RowInserter {
 public:
  static constexpr int kRowsPerStatement = 10;

  RowInserter(Database& db, const QString& table, int columns)
      : columns_(columns),
        one_(db, insert_text(table, columns, 1)),
        many_(db, insert_text(table, columns, kRowsPerStatement)) {}

  // Takes the values of one row; full statements go at once, the rest at flush().
  void add(std::initializer_list<QVariant> row) {
    for (const QVariant& v : row) pending_.push_back(v);
    if (pending_.size() == static_cast<qsizetype>(columns_) * kRowsPerStatement) {
      many_.exec(pending_);
      pending_.clear();
    }
  }
  void flush() {
    for (qsizetype i = 0; i < pending_.size(); i += columns_) one_.exec(pending_.mid(i, columns_));
    pending_.clear();
  }

 private:
  static QString insert_text(const QString& table, int columns, int rows) {
    QStringList marks(columns, QStringLiteral("?"));
    const QString row = QStringLiteral("(") + marks.join(QStringLiteral(", ")) + u')';
    return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES ") +
           QStringList(rows, row).join(QStringLiteral(", "));
  }
  int columns_;
  Statement one_, many_;
  QVariantList pending_;
};

// The statements of the walk.
struct WalkStatements {
  explicit WalkStatements(Database& db)
      : hasZbv(db.hasTable(QStringLiteral("trb_zbv"))),
        addNresult(db, QStringLiteral("trb_nresult"), 12),
        addDriver(db, QStringLiteral("INSERT INTO trb_driver VALUES (?, ?, ?, ?, ?, ?, ?, ?)")),
        deleteNresult(db, QStringLiteral("delete * from trb_nresult where fl_id=?")),
        deleteComparison(db, QStringLiteral("delete * from rs_table where FL_ID=?")),
        moveComparison(db, QStringLiteral("update rs_table set rowid=? where rowid=?")),
        resetComparison(db, QStringLiteral("update rs_table set sim_value=-99 where fl_id=?")),
        setSimulated(db, QStringLiteral("update rs_table set SIM_value=? where rowid=?")),
        addSimulatedOnly(db, QStringLiteral(R"sql(
INSERT INTO rs_table (rowid, FL_ID, YEAR_, YEAR_NUM, M_IX,
SIM_value) VALUES (?, ?, ?, ?, -7, ?))sql")),
        deleteDriver(db, QStringLiteral("delete * from trb_driver where fl_id=?")),
        deleteDriverRow(db, QStringLiteral("delete * from trb_driver where rowid=?")),
        moveDriver(db, QStringLiteral("update trb_driver set rowid=? where rowid=?")),
        lastDriver(db, QStringLiteral(R"sql(
update trb_driver set rowid=? where rowid=(select
Max(rowid) from trb_driver))sql")),
        spareComparisonRowid(free_rowid_below(db, QStringLiteral("rs_table"))),
        spareDriverRowid(free_rowid_below(db, QStringLiteral("trb_driver"))),
        comparisonRowidsFree(rowid_after_last(db, QStringLiteral("rs_table"))),
        driverRowidsFree(rowid_after_last(db, QStringLiteral("trb_driver"))) {
    read_earlier_drivers(db);
    if (hasZbv) {
      deleteZbv =
          std::make_unique<Statement>(db, QStringLiteral("delete * from trb_zbv where fl_id=?"));
      addZbv = std::make_unique<RowInserter>(db, QStringLiteral("trb_zbv"), 8);
    }
  }

  // The yearly rows of a plot, in the order of its years.
  void nresults(const std::vector<NResultRow>& rows) {
    for (const NResultRow& r : rows)
      addNresult.add({r.FL_ID, r.year, r.n_m_om, r.n_ops, r.C_ops, r.c_som, r.c_inert, r.n_org,
                      r.n_som, r.c_mic, r.c_rep, r.bat});
    addNresult.flush();
  }
  void zbvs(const std::vector<ZbvRow>& rows) {
    if (!addZbv) return;
    for (const ZbvRow& r : rows)
      addZbv->add(
          {r.fl_id, r.year_, r.C_min_total, r.c_min_fom, r.C_rep_flx, r.C_fom, r.c_som, r.c_inert});
    addZbv->flush();
  }
  // The values go in the order of the table's columns, as for the yearly rows.
  void driver(const DriverRow& r) {
    addDriver.exec({r.fl_id, r.c_input_mean, r.c_start, r.c_inert_pct, r.bat_mean, r.meas_last,
                    r.sim_last, r.year_num});
  }

  // A row of another plot that holds rowid moves below every other row.
  // Every rowid is given once in a walk, so that a rowid above those the table held at its start
  // is free.
  void free_comparison_rowid(qlonglong rowid) {
    if (rowid >= comparisonRowidsFree) return;
    if (moveComparison.exec({spareComparisonRowid, rowid}) > 0) --spareComparisonRowid;
  }
  void free_driver_rowid(qlonglong rowid) {
    if (rowid >= driverRowidsFree) return;
    if (moveDriver.exec({spareDriverRowid, rowid}) == 0) return;
    if (driversByRowid) {
      const auto moved = driverPlotOfRow.find(rowid);
      if (moved != driverPlotOfRow.end()) {
        const qlonglong plot = moved->second;
        driverPlotOfRow.erase(moved);
        driverPlotOfRow.emplace(spareDriverRowid, plot);
        for (qlonglong& r : driverRowsOfPlot[plot])
          if (r == rowid) r = spareDriverRowid;
      }
    }
    --spareDriverRowid;
  }

  // The plot's earlier summary rows go. trb_driver has no index on the plot, so that a search by
  // the plot reads the whole table: the rows of the plots are taken by their rowids where every
  // plot key in the table is a whole number (only such a row equals the plot's key).
  void delete_driver(qlonglong plot) {
    if (!driversByRowid) {
      deleteDriver.exec({plot});
      return;
    }
    const auto rows = driverRowsOfPlot.find(plot);
    if (rows == driverRowsOfPlot.end()) return;
    for (qlonglong rowid : rows->second) {
      deleteDriverRow.exec({rowid});
      driverPlotOfRow.erase(rowid);
    }
    driverRowsOfPlot.erase(rows);
  }

  bool hasZbv;
  RowInserter addNresult;
  Statement addDriver;
  std::unique_ptr<RowInserter> addZbv;
  Statement deleteNresult;
  std::unique_ptr<Statement> deleteZbv;
  Statement deleteComparison;
  Statement moveComparison;
  Statement resetComparison;
  Statement setSimulated;
  Statement addSimulatedOnly;
  Statement deleteDriver;
  Statement deleteDriverRow;
  Statement moveDriver;
  Statement lastDriver;
  qlonglong spareComparisonRowid;
  qlonglong spareDriverRowid;
  qlonglong comparisonRowidsFree;  // no row at or above these rowids at the start
  qlonglong driverRowidsFree;
  // the rows trb_driver held before the walk, by plot and by rowid (where they are now)
  bool driversByRowid = true;
  std::unordered_map<qlonglong, std::vector<qlonglong>> driverRowsOfPlot;
  std::unordered_map<qlonglong, qlonglong> driverPlotOfRow;

 private:
  void read_earlier_drivers(Database& db) {
    trb::db::Reader q(db, QStringLiteral("select rowid, fl_id from trb_driver"));
    while (q.next()) {
      if (q.isNull(1)) continue;  // equals no plot
      if (q.value(1).typeId() != QMetaType::LongLong) {
        driversByRowid = false;
        driverRowsOfPlot.clear();
        driverPlotOfRow.clear();
        return;
      }
      driverRowsOfPlot[q.toLongLong(1)].push_back(q.toLongLong(0));
      driverPlotOfRow.emplace(q.toLongLong(0), q.toLongLong(1));
    }
  }
};

QString value_text(double v) {
  return std::isfinite(v) ? trb::fmt_general(v) : QString::number(v);
}

// The lines of a plot without usable data.
void report_missing(trb::Feedback& feedback, qlonglong plot) {
  const QString msg = QStringLiteral("missing data for FL_ID") + QString::number(plot);
  feedback.info(msg);
  feedback.report(trb::Error(msg, QStringLiteral("ERROR")));
}

// A plot as the walk hands it to be computed: its rows of the input query and what the method
// reads for it beyond them.
struct PlotJob {
  qlonglong plot = 0;
  std::vector<BalanceRow> rows;
  std::unique_ptr<PlotInputs> inputs;
  double nonBal = 0;
  bool notill = false;
  std::optional<UnusableValue> unusableSample;  // a sample of the plot is no number
  PlotComparison comparison;                    // its samples of this run
};

// Keeps the lines and problems a plot reports, to be passed on when the plot is written; a stop
// request is that of the run.
class LineRecorder : public trb::Feedback {
 public:
  explicit LineRecorder(const trb::Feedback& run) : run_(run) {}
  void pushLine(Level level, const QString& line) override {
    lines_.push_back([level, line](trb::Feedback& f) { f.pushLine(level, line); });
  }
  void report(const trb::Error& error) override {
    lines_.push_back([error](trb::Feedback& f) { f.report(error); });
  }
  void setProgress(qint64, qint64) override {}
  bool isCanceled() const override { return run_.isCanceled(); }
  void replay(trb::Feedback& f) const {
    for (const auto& line : lines_) line(f);
  }

 private:
  const trb::Feedback& run_;
  std::vector<std::function<void(trb::Feedback&)>> lines_;
};

// The simulated content of a year, beside the measurements of the year (matched) or in a row of
// its own.
struct SimulatedYear {
  qlonglong year = 0, yearNum = 0;
  double sim = 0;
  const std::vector<RsRow>* matched = nullptr;
};

// A computed plot: how it ended, its lines and its results.
struct PlotRecord {
  enum class End {
    Calculated,      // results complete
    Missing,         // no usable start values: results cleared
    Unusable,        // a value the balance cannot use: results cleared
    LoopBackFailed,  // the walk ends here
    Stopped,         // a stop was requested while it was computed
    Failed,          // an error to pass on (error)
  };
  explicit PlotRecord(const trb::Feedback& run, bool hasZbv) : lines(run), out(hasZbv) {}
  End end = End::Calculated;
  LineRecorder lines;
  ResultWriter out;
  std::vector<SimulatedYear> simulated;
  std::optional<UnusableValue> bad;
  std::exception_ptr error;
};

// What every plot's computation reads and none changes.
struct WalkShared {
  BalanceMethod& method;
  const BalanceContext& ctx;
  const QSet<qlonglong>& sitePlots;
  const QStringList& extraColumns;
};

// The computation of one plot, year by year through its rows, on any thread: it touches no
// database and keeps what it gives in its record.
class PlotWalk {
 public:
  PlotWalk(const WalkShared& shared, const PlotJob& job, PlotRecord& rec)
      : s_(shared), job_(job), rows_(job.rows), rec_(rec), ctx_(rec.lines) {
    ctx_.z_anf = shared.ctx.z_anf;
    ctx_.z_cnt = shared.ctx.z_cnt;
  }

  void run() {
    try {
      if (job_.unusableSample) throw *job_.unusableSample;
      if (!start_plot()) {
        rec_.end = PlotRecord::End::Missing;
        return;
      }
      for (int pass = 0; pass <= ctx_.z_cnt && !ended(); ++pass) {
        if (pass > 0 && !loop_back()) break;
        walk_years(pass);
      }
      if (!ended()) write_driver();
    } catch (const UnusableValue& bad) {
      rec_.end = PlotRecord::End::Unusable;
      rec_.bad = bad;
    } catch (...) {
      rec_.end = PlotRecord::End::Failed;
      rec_.error = std::current_exception();
    }
  }

 private:
  bool ended() const { return rec_.end != PlotRecord::End::Calculated; }

  bool stop_requested() {
    if (ctx_.feedback.isCanceled()) rec_.end = PlotRecord::End::Stopped;
    return ended();
  }

  bool has(size_t i) const { return i < rows_.size(); }

  // The start values of a plot: usable numbers, and an inert fraction of at most 1 where the
  // method splits the carbon by it.
  void check_start_values(const BalanceRow& r) {
    auto table = [&](const char* c) { return s_.method.source_table(QString::fromLatin1(c)); };
    check_range(table("corg"), QStringLiteral("corg"), r.corg, Range::Finite);
    if (s_.method.reads_norg())
      check_range(table("norg"), QStringLiteral("norg"), r.norg, Range::Finite);
    check_range(table("BD"), QStringLiteral("BD"), r.bd,
                r.bd == kMissing ? Range::Finite : Range::Amount);
    check_range(table("skelett"), QStringLiteral("skelett"), r.skelett, Range::Share);
    if (s_.method.splits_by_cif() && r.cif > 1)
      throw UnusableValue{table("cif"), QStringLiteral("cif"), r.cif, QStringLiteral("is above 1"),
                          -1};
    check_range(table("cif"), QStringLiteral("cif"), r.cif, Range::Finite);
  }

  // The start values from the plot's first row with a carbon content; false (and reported) when
  // they are missing.
  bool start_plot() {
    while (has(i_) && rows_[i_].corg < 0) ++i_;
    bool valid = has(i_);
    st_ = PlotState();
    st_.fl_id = job_.plot;
    if (valid) {
      const BalanceRow& r = rows_[i_];
      check_start_values(r);
      if (s_.method.reads_norg()) st_.norg = r.norg;
      st_.corg = r.corg;
      st_.cif = r.cif;
      st_.bd = r.bd;
      st_.sk = r.skelett;
      valid = r.corg > 0 && r.cif > 0 && r.bd > 0;
    }
    prevYear_ = valid ? rows_[i_].year_0 - 1 : 0;
    if (!s_.sitePlots.contains(job_.plot))
      ctx_.feedback.info(QStringLiteral("FL_ID not found =>") + QString::number(job_.plot));
    if (!valid) {
      report_missing(ctx_.feedback, job_.plot);
      return false;
    }
    derive_start_values(st_);
    st_.first = true;
    st_.notill = job_.notill;
    st_.non_bal = job_.nonBal;
    st_.pools.clear();
    st_.inputs = job_.inputs.get();
    s_.method.start_plot(st_);
    return true;
  }

  // A further pass starts again at the plot's year z_anf; false (and the walk ended) when the
  // plot has no such year.
  bool loop_back() {
    if (ctx_.z_cnt <= 0) return true;
    size_t k = 0;
    while (has(k) && rows_[k].year_0 != ctx_.z_anf) ++k;
    if (!has(k)) {
      ctx_.feedback.report(
          trb::Error(QStringLiteral("loopback not possible"), QStringLiteral("cycling error")));
      ctx_.feedback.info(QStringLiteral("loopback not possible"));
      rec_.end = PlotRecord::End::LoopBackFailed;
      return false;
    }
    i_ = k;
    prevYear_ = rows_[i_].year_0 - 1;
    return true;
  }

  // The plot's years in order; a gap in the management years ends the plot.
  void walk_years(int pass) {
    while (has(i_) && !stop_requested()) {
      const BalanceRow& r = rows_[i_];
      const qlonglong year = r.year_0;
      st_.z_jahr = pass == 0 ? year : st_.z_jahr + 1;
      if (year - prevYear_ != 1) {
        ctx_.feedback.info(QStringLiteral("fl_id") + QString::number(job_.plot) +
                           QStringLiteral(": ") + QStringLiteral("missed year in management:") +
                           QString::number(prevYear_ + 1));
        i_ = rows_.size();
        break;
      }
      for (size_t k = 0; k < r.extra.size(); ++k) {
        const QString& column = s_.extraColumns.at(static_cast<qsizetype>(k));
        check_range(s_.method.source_table(column), column, r.extra[k], Range::Finite, year);
      }
      st_.year_num += 1;
      s_.method.year_update(st_, r, rec_.out, ctx_);
      st_.years_done += 1;
      compare_year();
      ++i_;
      prevYear_ = year;
    }
  }

  // The simulated content goes beside the year's measurements, or into a row of its own.
  void compare_year() {
    const double sim = static_cast<double>(simulated_content(st_));
    if (!std::isfinite(sim))
      throw UnusableValue{QStringLiteral("rs_table"), QStringLiteral("SIM_value"), sim,
                          QStringLiteral("is not a finite number"), st_.z_jahr};
    SimulatedYear y{st_.z_jahr, st_.year_num, sim, nullptr};
    const auto& byYear = job_.comparison.byYear;
    auto it = byYear.find({st_.z_jahr, st_.year_num});
    if (it != byYear.end() && !it->second.empty()) {
      y.matched = &it->second;
      st_.meas_last = it->second.back().meas;
    }
    rec_.simulated.push_back(y);
    st_.sim_last = sim;
  }

  void write_driver() {
    DriverRow d;
    d.fl_id = job_.plot;
    d.c_input_mean = s_.method.driver_input_mean(st_);
    d.c_start = s_.method.driver_c_start(st_);
    d.c_inert_pct = s_.method.driver_inert_pct(st_);
    d.bat_mean = s_.method.driver_bat_mean(st_);
    d.meas_last = st_.meas_last;
    d.sim_last = st_.sim_last;
    d.year_num = st_.year_num;
    rec_.out.driver(d);
  }

  const WalkShared& s_;
  const PlotJob& job_;
  const std::vector<BalanceRow>& rows_;
  PlotRecord& rec_;
  BalanceContext ctx_;  // the run's settings, lines kept in the record
  size_t i_ = 0;
  PlotState st_;
  qlonglong prevYear_ = 0;
};

// A plot handed out: computed on the walk's thread when it is written, or on a worker of the pool
// before.
struct PendingPlot {
  PendingPlot(const trb::Feedback& run, bool hasZbv) : record(run, hasZbv) {}
  PlotJob job;
  PlotRecord record;
  std::promise<void> computed;
  std::future<void> done = computed.get_future();
  bool queued = false;
};

// The walk: reads the plots in order, has them computed, and replaces their results in order.
class BalanceWalk {
 public:
  BalanceWalk(Database& db, BalanceMethod& method, BalanceContext& ctx, BalanceOutcome& outcome)
      : db_(db), method_(method), ctx_(ctx), outcome_(outcome) {}

  // The rows of the method's input query and what the comparison needs.
  void read_tables() {
    rows_ = std::make_unique<InputRows>(db_, method_);
    plan_.read();
    nonBalance_ = read_non_balance_shares(db_);
    sitePlots_ = read_site_list_plots(db_);
    extraColumns_ = method_.extra_columns();
    outcome_.selected = static_cast<int>(plan_.selected.size());
  }

  // The walk's progress counts plots.
  size_t plot_count() const { return plan_.selected.size(); }

  // Every plot in turn, each replacing its results whole and noted in the run's log; false when
  // the walk was aborted (a stop request, a loop-back that cannot be made). Runs inside the
  // caller's transaction; a failing statement ends the walk with its DbError.
  bool walk_plots(WalkStatements& sql, RunLog& runLog) {
    sql_ = &sql;
    log_ = &runLog;
    const WalkShared shared{method_, ctx_, sitePlots_, extraColumns_};
    const int workers = std::max(1, ctx_.workers);
    // Plots read ahead of the one written: enough to keep every worker busy while this thread
    // writes; none on one thread.
    const size_t ahead = workers > 1 ? static_cast<size_t>(workers) * 16 : 1;
    std::deque<std::unique_ptr<PendingPlot>> pending;
    std::atomic<bool> abandon{false};
    QThreadPool pool;  // ends before the plots it computes
    pool.setMaxThreadCount(workers);
    struct Abandon {
      std::atomic<bool>& flag;
      QThreadPool& pool;
      ~Abandon() {
        flag = true;
        pool.waitForDone();
      }
    } abandonOnExit{abandon, pool};

    bool inputsLeft = true;
    while (true) {
      while (inputsLeft && pending.size() < ahead && !ctx_.feedback.isCanceled()) {
        auto p = std::make_unique<PendingPlot>(ctx_.feedback, sql_->hasZbv);
        if (!next_job(p->job)) {
          inputsLeft = false;
          break;
        }
        if (workers > 1) {
          PendingPlot* raw = p.get();
          raw->queued = true;
          pool.start([raw, &shared, &abandon] {
            if (!abandon) PlotWalk(shared, raw->job, raw->record).run();
            raw->computed.set_value();
          });
        }
        pending.push_back(std::move(p));
      }
      if (stop_requested() || pending.empty()) break;  // a stop before the first plot too
      std::unique_ptr<PendingPlot> p = std::move(pending.front());
      pending.pop_front();
      if (p->queued)
        p->done.wait();
      else
        PlotWalk(shared, p->job, p->record).run();
      outcome_.last_plot = p->job.plot;
      write_plot(p->job, p->record);
      if (aborted_) break;
    }
    const int written = static_cast<int>(replaced_.size());
    outcome_.written = written;
    if (!aborted_) finish_replacement();
    runLog.close(outcome_.stopped ? QStringLiteral("stopped")
                 : aborted_       ? QStringLiteral("ended")
                                  : QStringLiteral("finished"),
                 written, outcome_.calculated);
    return !aborted_;
  }

 private:
  bool stop_requested() {
    if (ctx_.feedback.isCanceled()) outcome_.stopped = aborted_ = true;
    return aborted_;
  }

  // The next plot to compute; false after the last.
  bool next_job(PlotJob& job) {
    if (!rows_->take_plot(job.rows)) return false;
    job.plot = job.rows.front().fl_id;
    job.nonBal = nonBalance_.value(job.plot, 0.0);
    job.notill = method_.uses_notill() &&
                 job.rows.front().comment.toUpper().contains(QStringLiteral("NOTILL"));
    const auto bad = plan_.unusable.constFind(job.plot);
    if (bad != plan_.unusable.cend()) job.unusableSample = *bad;
    job.inputs = method_.plot_inputs(job.plot);
    job.comparison = plan_.plot(job.plot);
    return true;
  }

  // One computed plot: its new results replace the old ones whole, or (stopped part way) nothing
  // of it is written.
  void write_plot(const PlotJob& job, PlotRecord& rec) {
    using End = PlotRecord::End;
    const qlonglong plot = job.plot;
    if (rec.end == End::Stopped) {
      outcome_.stopped = aborted_ = true;
      return;
    }
    db_.begin();
    try {
      clear_plot_results(plot, job.comparison.rowids);
      // a stop asked for while a calculated plot is in hand drops it whole, as between its years
      if (rec.end == End::Calculated && stop_requested()) {
        db_.rollback();
        replaced_.remove(plot);
        return;
      }
      rec.lines.replay(ctx_.feedback);
      switch (rec.end) {
        case End::Calculated:
          write_results(plot, rec);
          ++outcome_.calculated;
          break;
        case End::Missing:
          break;
        case End::Unusable:
          // the plot stays with the results of a plot without data
          report_unusable(plot, *rec.bad);
          break;
        case End::LoopBackFailed:
          db_.rollback();
          replaced_.remove(plot);
          aborted_ = true;
          return;
        case End::Failed:
          std::rethrow_exception(rec.error);
        case End::Stopped:
          break;
      }
      log_->notePlot(plot);
    } catch (...) {
      db_.rollback();
      throw;
    }
    db_.commit();
  }

  void write_results(qlonglong plot, const PlotRecord& rec) {
    sql_->nresults(rec.out.nresults);
    sql_->zbvs(rec.out.zbvs);
    for (const SimulatedYear& y : rec.simulated) {
      const double rounded = round_to(y.sim, 4);
      if (!y.matched) {
        const qlonglong rowid = plan_.nextSimulatedOnly++;
        sql_->free_comparison_rowid(rowid);
        sql_->addSimulatedOnly.exec({rowid, plot, y.year, y.yearNum, rounded});
        continue;
      }
      for (const RsRow& m : *y.matched) {
        sql_->setSimulated.exec({rounded, m.rowid});
        // the pair as rs_table keeps it, which the statistics read
        outcome_.assessment.add(m.meas, rounded);
        if (ctx_.histogram) ctx_.histogram(outcome_.assessment);
      }
    }
    // the summary row takes the next rowid of a table emptied at the start of the run
    for (const DriverRow& d : rec.out.drivers) {
      const qlonglong rowid = ++driverRows_;
      sql_->free_driver_rowid(rowid);
      sql_->driver(d);  // the newest row has the largest rowid
      sql_->lastDriver.exec({rowid});
    }
  }

  void report_unusable(qlonglong plot, const UnusableValue& bad) {
    QString line = QStringLiteral("FL_ID %1: %2.%3 ").arg(plot).arg(bad.table, bad.column);
    if (bad.year >= 0) line += QStringLiteral("of %1 ").arg(bad.year);
    line += std::isnan(bad.value) ? bad.why
                                  : QStringLiteral("= %1 %2").arg(value_text(bad.value), bad.why);
    ctx_.feedback.info(line);
    report_missing(ctx_.feedback, plot);
    // an input that large may have overflowed to infinity in the work tables
    if (!std::isfinite(bad.value) || std::abs(bad.value) > kLargestInput)
      outcome_.non_finite = true;
  }

  // The plot's comparison rows: its earlier ones go, its samples of this run come in.
  void replace_comparison_rows(qlonglong plot, const std::vector<qlonglong>& rowids) {
    sql_->deleteComparison.exec({plot});
    if (!rowids.empty()) {
      for (qlonglong rowid : rowids) sql_->free_comparison_rowid(rowid);
      plan_.insert(plot);
    }
    replaced_.insert(plot);
  }

  // The plot's earlier results go, its comparison rows wait for new simulated values.
  void clear_plot_results(qlonglong plot, const std::vector<qlonglong>& rowids) {
    replace_comparison_rows(plot, rowids);
    sql_->deleteNresult.exec({plot});
    if (sql_->deleteZbv) sql_->deleteZbv->exec({plot});
    sql_->delete_driver(plot);
    sql_->resetComparison.exec({plot});
    ctx_.feedback.setProgress(static_cast<qint64>(replaced_.size() - 1),
                              static_cast<qint64>(plot_count()));
  }

  // After the last plot: the selected plots the walk did not reach get their samples of this
  // run, and the summary rows of plots not calculated in it go.
  void finish_replacement() {
    for (qlonglong plot : plan_.selected)
      if (!replaced_.contains(plot)) replace_comparison_rows(plot, plan_.plot(plot).rowids);
    db_.execute(QStringLiteral("delete * from trb_driver where rowid<1 or rowid>?"), {driverRows_});
  }

  Database& db_;
  BalanceMethod& method_;
  BalanceContext& ctx_;
  BalanceOutcome& outcome_;

  std::unique_ptr<InputRows> rows_;
  ComparisonPlan plan_{db_};
  QHash<qlonglong, double> nonBalance_;
  QSet<qlonglong> sitePlots_;
  QStringList extraColumns_;  // the method's own columns of the input query
  QSet<qlonglong> replaced_;
  WalkStatements* sql_ = nullptr;
  RunLog* log_ = nullptr;
  qlonglong driverRows_ = 0;
  bool aborted_ = false;
};

// The summary lines of the comparison and, when asked, the protocol row.
void finish_run(Database& db, BalanceOutcome& outcome, BalanceContext& ctx) {
  for (const QString& line : outcome.assessment.summary()) ctx.feedback.info(line);
  if (ctx.sim_prot) outcome.assessment.store_protocol(db, outcome.last_plot, ctx.run_id);
  outcome.finished = true;
}

}  // namespace

int fresh_comparison_row_count(Database& db) {
  return db.scalar(QStringLiteral("SELECT Count(*)") + kFreshComparisonFrom).toInt();
}

BalanceOutcome run_balance(Database& db, BalanceMethod& method, BalanceContext& ctx) {
  BalanceOutcome outcome;
  // The whole walk, its log and the protocol row are one transaction: a walk that fails, or a
  // program that is killed, leaves every result table as it was; a stopped walk keeps the plots
  // it completed.
  trb::db::Transaction tx(db);
  RunLog::makeTables(db);
  method.read_inputs(db);
  // The walk's sorted readers hold up to the page cache each in memory: a smaller cache for the
  // walk keeps its memory low (changed pages beyond it go to the file before the commit, their
  // earlier content to the journal). The method's readers end with the walk, however it ends,
  // and the cache returns to its size.
  db.runNative(QStringLiteral("PRAGMA cache_size = -8192"));
  struct CloseInputs {
    Database& db;
    BalanceMethod& method;
    ~CloseInputs() {
      method.close_inputs();
      try {
        db.runNative(QStringLiteral("PRAGMA cache_size = -%1").arg(trb::db::kPageCacheKib));
      } catch (...) {
        // the cache size only touches speed
      }
    }
  } closeInputs{db, method};
  BalanceWalk walk(db, method, ctx, outcome);
  walk.read_tables();

  if (ctx.histogram) ctx.histogram(outcome.assessment);
  ctx.feedback.setProgress(0, static_cast<qint64>(walk.plot_count()));
  ctx.feedback.info(QStringLiteral("trb running"));
  if (ctx.walk_started) ctx.walk_started(static_cast<int>(walk.plot_count()));

  bool walked = false;
  try {
    RunLog runLog(db, ctx.method, static_cast<int>(walk.plot_count()));
    WalkStatements sql(db);
    walked = walk.walk_plots(sql, runLog);
  } catch (...) {
    ctx.feedback.setProgress(0, 0);
    throw;
  }
  ctx.feedback.setProgress(0, 0);
  if (walked) finish_run(db, outcome, ctx);
  tx.commit();
  return outcome;
}

// ---------------------------------------------------------------------------------------------
// The walk's reader for others

struct BalanceInputReader::Impl {
  Impl(Database& db, const BalanceMethod& method) : rows(db, method) {}
  InputRows rows;
};

BalanceInputReader::BalanceInputReader(Database& db, const BalanceMethod& method)
    : impl_(std::make_unique<Impl>(db, method)) {}

BalanceInputReader::~BalanceInputReader() = default;

bool BalanceInputReader::take_plot(std::vector<BalanceRow>& plot) {
  return impl_->rows.take_plot(plot);
}

}  // namespace trb::engine
