#include "core/engine/balance.h"

#include <QHash>
#include <QSqlRecord>
#include <cmath>
#include <deque>
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
// Checks of the values the balance reads

namespace {

enum class Range {
  Finite,    // any finite number
  Amount,    // finite, not below 0
  Fraction,  // 0..1
  Share,     // 0 up to but not including 1 (a share the balance divides by 1 minus)
};

// Throws UnusableValue naming the table, column and value when value lies outside range.
void check_range(const QString& table, const QString& column, double value, Range range,
                 qlonglong year = -1) {
  QString why;
  if (!std::isfinite(value))
    why = QStringLiteral("is not a finite number");
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

// The values go in the order of the tables' columns (the inserts name no columns, so that a
// database whose result tables carry other names for them is written as before).
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
  nresult_->exec({r.FL_ID, r.year, r.n_m_om, r.n_ops, r.C_ops, r.c_som, r.c_inert, r.n_org, r.n_som,
                  r.c_mic, r.c_rep, r.bat});
}

void ResultWriter::zbv(const ZbvRow& r) {
  check_finite(QStringLiteral("trb_zbv"), r.year_,
               {{"C_min_total", &r.C_min_total},
                {"c_min_fom", &r.c_min_fom},
                {"C_rep_flx", &r.C_rep_flx},
                {"C_fom", &r.C_fom},
                {"c_som", &r.c_som},
                {"c_inert", &r.c_inert}});
  if (zbv_)
    zbv_ins_->exec(
        {r.fl_id, r.year_, r.C_min_total, r.c_min_fom, r.C_rep_flx, r.C_fom, r.c_som, r.c_inert});
}

void ResultWriter::driver(const DriverRow& r) {
  check_finite(QStringLiteral("trb_driver"), QVariant(),
               {{"c_input_mean", &r.c_input_mean},
                {"c_start", &r.c_start},
                {"c_inert_pct", &r.c_inert_pct},
                {"bat_mean", &r.bat_mean},
                {"meas_last", &r.meas_last},
                {"sim_last", &r.sim_last}});
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

void TrbMethod::year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                            BalanceContext& ctx) {
  // the organic inputs of the year: amounts, rates and shares as the pools need them
  const QString ops = QStringLiteral("opstab");
  const std::vector<OpsInput>& inputs = inputs_.rows(st.fl_id, row.year_0);
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
  if (y.clamped && !st_notill_warned_.contains(st.fl_id)) {
    st_notill_warned_.insert(st.fl_id);
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

// The rows of a method's input query, read as the walk reaches them: the rows before the plot in
// balance are forgotten, so the memory held does not grow with the number of plots. Rows keep
// their position in the query (row i is the query's i-th row).
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

  // Whether the query has a row i (reading on up to it).
  bool has(size_t i) {
    while (i >= base_ + rows_.size() && !end_) read_row();
    return i < base_ + rows_.size();
  }
  // Row i, which has(i) confirmed and forget_before left.
  const BalanceRow& operator[](size_t i) const { return rows_[i - base_]; }
  // The position of the first row still held.
  size_t begin() const { return base_; }

  // The rows before row i that do not belong to plot go.
  void forget_before(size_t i, qlonglong plot) {
    while (!rows_.empty() && base_ < i && rows_.front().fl_id != plot) {
      rows_.pop_front();
      ++base_;
    }
  }

 private:
  void read_row() {
    if (!q_.next()) {
      end_ = true;
      return;
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
    if (iComment_ >= 0) r.comment = q_.toString(iComment_);
    for (int i : extra_) r.extra.push_back(i >= 0 ? num(i, 0) : 0);
    rows_.push_back(std::move(r));
  }

  trb::db::Reader q_;
  int iFl_, iYear_, iCorg_, iNorg_, iCif_, iBd_, iSk_, iBat_, iFat_, iComment_;
  std::vector<int> extra_;
  std::deque<BalanceRow> rows_;
  size_t base_ = 0;  // position of rows_.front() in the query
  bool end_ = false;
};

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

// The soil carbon samples of the selected plots: the comparison rows a run gives them.
const QString kFreshComparisonFrom = QStringLiteral(
    " FROM site_state LEFT JOIN measurements ON site_state.FL_ID = measurements.FL_ID "
    " WHERE (((site_state.status)=1) AND ((measurements.M_IX)=7)) ");

// A comparison row of the run with the rowid it gets in rs_table.
struct FreshRow {
  qlonglong rowid;
  QVariantList values;  // meas_id, FL_ID, M_IX, DAY_, MONTH_, YEAR_, YEAR_NUM, MEAS_VALUE
};

// The new comparison rows of the run. Their rowids are those a refill of rs_table at the start
// would give them: after the rows of the plots not selected, in the order of the query; the rows
// of simulated values alone follow in the order of the walk. Replacing the plots one by one with
// these rowids leaves the table of such a refill.
struct ComparisonPlan {
  QHash<qlonglong, std::vector<FreshRow>> fresh;  // by plot
  std::map<RsKey, std::vector<RsRow>> rows;       // by plot, year and year number
  QList<qlonglong> selected;                      // in the order of FL_ID
  QHash<qlonglong, UnusableValue> unusable;       // plots with a sample that is no number
  qlonglong nextSimulatedOnly = 1;

  void read(Database& db) {
    const qlonglong kept = db.scalar(QStringLiteral(R"sql(
SELECT Max(rs_table.rowid) FROM rs_table WHERE NOT EXISTS
(SELECT site_state.FL_ID FROM site_state WHERE
site_state.FL_ID = rs_table.FL_ID AND site_state.status=1))sql"))
                               .toLongLong();
    qlonglong rowid = kept;
    trb::db::Reader q(db, QStringLiteral(R"sql(
SELECT measurements.meas_id, measurements.FL_ID, measurements.M_IX,
measurements.day, measurements.month, measurements.year,
measurements.year_number, measurements.meas_value)sql") +
                              kFreshComparisonFrom);
    while (q.next()) {
      FreshRow r{++rowid, {}};
      for (int i = 0; i < 8; ++i) r.values << q.value(i);
      const qlonglong plot = q.toLongLong(1);
      // a sample that is not a finite number is kept empty, and its plot is not calculated
      if (!q.isNull(7) && !std::isfinite(q.toDouble(7))) {
        if (!unusable.contains(plot))
          unusable.insert(
              plot, UnusableValue{QStringLiteral("measurements"), QStringLiteral("meas_value"),
                                  q.toDouble(7), QStringLiteral("is not a finite number"),
                                  q.toLongLong(5)});
        r.values[7] = QVariant();
      }
      rows[{plot, q.toLongLong(5), q.toLongLong(6)}].push_back(
          {r.rowid, q.isNull(7) ? 0.0 : q.toDouble(7)});
      fresh[plot].push_back(std::move(r));
    }
    nextSimulatedOnly = rowid + 1;
    QSqlQuery s =
        db.query(QStringLiteral("select FL_ID from site_state where status=1 order by FL_ID"));
    while (s.next()) selected << s.value(0).toLongLong();
  }
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

// The statements of the walk.
struct WalkStatements {
  explicit WalkStatements(Database& db)
      : out(db),
        deleteNresult(db, QStringLiteral("delete * from trb_nresult where fl_id=?")),
        deleteComparison(db, QStringLiteral("delete * from rs_table where FL_ID=?")),
        moveComparison(db, QStringLiteral("update rs_table set rowid=? where rowid=?")),
        addComparison(db, QStringLiteral(R"sql(
INSERT INTO rs_table (rowid, meas_id, FL_ID, M_IX,
DAY_, MONTH_, YEAR_, YEAR_NUM, MEAS_VALUE)
VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?))sql")),
        resetComparison(db, QStringLiteral("update rs_table set sim_value=-99 where fl_id=?")),
        setSimulated(db, QStringLiteral("update rs_table set SIM_value=? where rowid=?")),
        addSimulatedOnly(db, QStringLiteral(R"sql(
INSERT INTO rs_table (rowid, FL_ID, YEAR_, YEAR_NUM, M_IX,
SIM_value) VALUES (?, ?, ?, ?, -7, ?))sql")),
        deleteDriver(db, QStringLiteral("delete * from trb_driver where fl_id=?")),
        moveDriver(db, QStringLiteral("update trb_driver set rowid=? where rowid=?")),
        lastDriver(db, QStringLiteral(R"sql(
update trb_driver set rowid=? where rowid=(select
Max(rowid) from trb_driver))sql")),
        spareComparisonRowid(free_rowid_below(db, QStringLiteral("rs_table"))),
        spareDriverRowid(free_rowid_below(db, QStringLiteral("trb_driver"))) {
    if (out.has_zbv())
      deleteZbv =
          std::make_unique<Statement>(db, QStringLiteral("delete * from trb_zbv where fl_id=?"));
  }

  // A row of another plot that holds rowid moves below every other row.
  void free_comparison_rowid(qlonglong rowid) {
    if (moveComparison.exec({spareComparisonRowid, rowid}) > 0) --spareComparisonRowid;
  }
  void free_driver_rowid(qlonglong rowid) {
    if (moveDriver.exec({spareDriverRowid, rowid}) > 0) --spareDriverRowid;
  }

  ResultWriter out;
  Statement deleteNresult;
  std::unique_ptr<Statement> deleteZbv;
  Statement deleteComparison;
  Statement moveComparison;
  Statement addComparison;
  Statement resetComparison;
  Statement setSimulated;
  Statement addSimulatedOnly;
  Statement deleteDriver;
  Statement moveDriver;
  Statement lastDriver;
  qlonglong spareComparisonRowid;
  qlonglong spareDriverRowid;
};

// Plots whose results are replaced in one transaction.
constexpr int kPlotsPerTransaction = 50;

QString value_text(double v) {
  return std::isfinite(v) ? trb::fmt_general(v) : QString::number(v);
}

// The walk through the input rows, plot by plot and year by year.
class BalanceWalk {
 public:
  BalanceWalk(Database& db, BalanceMethod& method, BalanceContext& ctx, BalanceOutcome& outcome)
      : db_(db), method_(method), ctx_(ctx), outcome_(outcome) {}

  // The rows of the method's input query and what the comparison needs.
  void read_tables() {
    rows_ = std::make_unique<InputRows>(db_, method_);
    plan_.read(db_);
    nonBalance_ = read_non_balance_shares(db_);
    sitePlots_ = read_site_list_plots(db_);
    extraColumns_ = method_.extra_columns();
    outcome_.selected = static_cast<int>(plan_.selected.size());
  }

  // The walk's progress counts plots.
  size_t plot_count() const { return plan_.selected.size(); }

  // Every plot in turn, each replacing its results whole; false when the walk was aborted (a
  // stop request, a loop-back that cannot be made). A failing statement rolls back the plots of
  // its transaction.
  bool walk_plots(WalkStatements& sql) {
    sql_ = &sql;
    i_ = 0;
    int inTransaction = 0;
    trb::db::Transaction tx(db_);
    while (rows().has(i_) && !stop_requested()) {
      const qlonglong plot = rows()[i_].fl_id;
      rows().forget_before(i_, plot);
      outcome_.last_plot = plot;
      walk_plot(plot);
      if (aborted_) break;
      if (++inTransaction == kPlotsPerTransaction) {
        db_.commit();
        db_.begin();
        inTransaction = 0;
      }
    }
    if (!aborted_) finish_replacement();
    tx.commit();
    return !aborted_;
  }

 private:
  bool stop_requested() {
    if (ctx_.feedback.isCanceled()) outcome_.stopped = aborted_ = true;
    return aborted_;
  }

  void skip_plot(qlonglong plot) {
    while (rows().has(i_) && rows()[i_].fl_id == plot) ++i_;
  }

  // One plot: its new results replace the old ones whole, or (stopped part way) not at all.
  void walk_plot(qlonglong plot) {
    const Assessment before = outcome_.assessment;
    const qlonglong nextSimulatedOnly = plan_.nextSimulatedOnly;
    const size_t first = i_;
    db_.begin();
    try {
      clear_plot_results(plot);
      if (plan_.unusable.contains(plot)) throw plan_.unusable.value(plot);
      if (!start_plot(plot)) {
        skip_plot(plot);
        db_.commit();
        return;
      }
      for (int pass = 0; pass <= ctx_.z_cnt && !aborted_; ++pass) {
        if (pass > 0 && !loop_back(plot)) break;
        walk_years(plot, pass);
      }
      if (!aborted_) write_driver(plot);
    } catch (const UnusableValue& bad) {
      // the plot's results so far go; it stays with the results of a plot without data
      db_.rollback();
      outcome_.assessment = before;
      plan_.nextSimulatedOnly = nextSimulatedOnly;
      i_ = first;
      db_.begin();
      clear_plot_results(plot);
      skip_plot(plot);
      db_.commit();
      report_unusable(plot, bad);
      return;
    } catch (...) {
      db_.rollback();
      throw;
    }
    if (aborted_) {
      db_.rollback();
      outcome_.assessment = before;
      return;
    }
    db_.commit();
    ++outcome_.calculated;
  }

  void report_unusable(qlonglong plot, const UnusableValue& bad) {
    QString line = QStringLiteral("FL_ID %1: %2.%3 ").arg(plot).arg(bad.table, bad.column);
    if (bad.year >= 0) line += QStringLiteral("of %1 ").arg(bad.year);
    line += QStringLiteral("= %1 %2").arg(value_text(bad.value), bad.why);
    ctx_.feedback.info(line);
    report_missing(plot);
  }

  void report_missing(qlonglong plot) {
    const QString msg = QStringLiteral("missing data for FL_ID") + QString::number(plot);
    ctx_.feedback.info(msg);
    ctx_.feedback.report(trb::Error(msg, QStringLiteral("ERROR")));
  }

  // The plot's comparison rows: its earlier ones go, its samples of this run come in.
  void replace_comparison_rows(qlonglong plot) {
    sql_->deleteComparison.exec({plot});
    const auto fresh = plan_.fresh.constFind(plot);
    if (fresh != plan_.fresh.cend())
      for (const FreshRow& r : *fresh) {
        sql_->free_comparison_rowid(r.rowid);
        sql_->addComparison.exec(QVariantList{r.rowid} + r.values);
      }
    replaced_.insert(plot);
  }

  // The plot's earlier results go, its comparison rows wait for new simulated values.
  void clear_plot_results(qlonglong plot) {
    replace_comparison_rows(plot);
    sql_->deleteNresult.exec({plot});
    if (sql_->deleteZbv) sql_->deleteZbv->exec({plot});
    sql_->deleteDriver.exec({plot});
    nonBal_ = nonBalance_.value(plot, 0.0);
    notill_ =
        method_.uses_notill() && rows()[i_].comment.toUpper().contains(QStringLiteral("NOTILL"));
    sql_->resetComparison.exec({plot});
    ctx_.feedback.setProgress(static_cast<qint64>(replaced_.size() - 1),
                              static_cast<qint64>(plot_count()));
  }

  // The start values of a plot: usable numbers, and an inert fraction of at most 1 where the
  // method splits the carbon by it.
  void check_start_values(const BalanceRow& r) {
    auto table = [&](const char* c) { return method_.source_table(QString::fromLatin1(c)); };
    check_range(table("corg"), QStringLiteral("corg"), r.corg, Range::Finite);
    if (method_.reads_norg())
      check_range(table("norg"), QStringLiteral("norg"), r.norg, Range::Finite);
    check_range(table("BD"), QStringLiteral("BD"), r.bd,
                r.bd == kMissing ? Range::Finite : Range::Amount);
    check_range(table("skelett"), QStringLiteral("skelett"), r.skelett, Range::Share);
    if (method_.splits_by_cif() && r.cif > 1)
      throw UnusableValue{table("cif"), QStringLiteral("cif"), r.cif, QStringLiteral("is above 1"),
                          -1};
    check_range(table("cif"), QStringLiteral("cif"), r.cif, Range::Finite);
  }

  // The start values from the plot's first row with a carbon content; false (and reported) when
  // they are missing.
  bool start_plot(qlonglong plot) {
    while (rows().has(i_) && rows()[i_].corg < 0) ++i_;
    bool valid = rows().has(i_) && rows()[i_].fl_id == plot;
    st_ = PlotState();
    st_.fl_id = plot;
    if (valid) {
      const BalanceRow& r = rows()[i_];
      check_start_values(r);
      if (method_.reads_norg()) st_.norg = r.norg;
      st_.corg = r.corg;
      st_.cif = r.cif;
      st_.bd = r.bd;
      st_.sk = r.skelett;
      valid = r.corg > 0 && r.cif > 0 && r.bd > 0;
    }
    prevYear_ = valid ? rows()[i_].year_0 - 1 : 0;
    if (!sitePlots_.contains(plot))
      ctx_.feedback.info(QStringLiteral("FL_ID not found =>") + QString::number(plot));
    if (!valid) {
      report_missing(plot);
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
    // the rows forgotten belong to other plots
    size_t k = rows().begin();
    while (rows().has(k) && !(rows()[k].year_0 == ctx_.z_anf && rows()[k].fl_id == plot)) ++k;
    if (!rows().has(k)) {
      ctx_.feedback.report(
          trb::Error(QStringLiteral("loopback not possible"), QStringLiteral("cycling error")));
      ctx_.feedback.info(QStringLiteral("loopback not possible"));
      aborted_ = true;
      return false;
    }
    i_ = k;
    prevYear_ = rows()[i_].year_0 - 1;
    return true;
  }

  // The plot's years in order; a gap in the management years ends the plot.
  void walk_years(qlonglong plot, int pass) {
    while (rows().has(i_) && rows()[i_].fl_id == plot && !stop_requested()) {
      const BalanceRow& r = rows()[i_];
      const qlonglong year = r.year_0;
      st_.z_jahr = pass == 0 ? year : st_.z_jahr + 1;
      if (year - prevYear_ != 1) {
        ctx_.feedback.info(QStringLiteral("fl_id") + QString::number(plot) + QStringLiteral(": ") +
                           QStringLiteral("missed year in management:") +
                           QString::number(prevYear_ + 1));
        skip_plot(plot);
        break;
      }
      for (size_t k = 0; k < r.extra.size(); ++k) {
        const QString& column = extraColumns_.at(static_cast<qsizetype>(k));
        check_range(method_.source_table(column), column, r.extra[k], Range::Finite, year);
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
    if (!std::isfinite(sim))
      throw UnusableValue{QStringLiteral("rs_table"), QStringLiteral("SIM_value"), sim,
                          QStringLiteral("is not a finite number"), st_.z_jahr};
    auto it = plan_.rows.find({plot, st_.z_jahr, st_.year_num});
    if (it == plan_.rows.end() || it->second.empty()) {
      const qlonglong rowid = plan_.nextSimulatedOnly++;
      sql_->free_comparison_rowid(rowid);
      sql_->addSimulatedOnly.exec({rowid, plot, st_.z_jahr, st_.year_num, round_to(sim, 4)});
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

  // The summary row takes the next rowid of a table emptied at the start of the run.
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
    const qlonglong rowid = ++driverRows_;
    sql_->free_driver_rowid(rowid);
    sql_->out.driver(d);  // the newest row has the largest rowid
    sql_->lastDriver.exec({rowid});
  }

  // After the last plot: the selected plots the walk did not reach get their samples of this
  // run, and the summary rows of plots not calculated in it go.
  void finish_replacement() {
    for (qlonglong plot : plan_.selected)
      if (!replaced_.contains(plot)) replace_comparison_rows(plot);
    db_.execute(QStringLiteral("delete * from trb_driver where rowid<1 or rowid>?"), {driverRows_});
  }

  Database& db_;
  BalanceMethod& method_;
  BalanceContext& ctx_;
  BalanceOutcome& outcome_;
  InputRows& rows() { return *rows_; }

  std::unique_ptr<InputRows> rows_;
  ComparisonPlan plan_;
  QHash<qlonglong, double> nonBalance_;
  QSet<qlonglong> sitePlots_;
  QStringList extraColumns_;  // the method's own columns of the input query
  QSet<qlonglong> replaced_;
  WalkStatements* sql_ = nullptr;
  size_t i_ = 0;
  PlotState st_;
  qlonglong prevYear_ = 0;
  qlonglong driverRows_ = 0;
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

int fresh_comparison_row_count(Database& db) {
  return db.scalar(QStringLiteral("SELECT Count(*)") + kFreshComparisonFrom).toInt();
}

BalanceOutcome run_balance(Database& db, BalanceMethod& method, BalanceContext& ctx) {
  BalanceOutcome outcome;
  method.read_inputs(db);
  // The walk's sorted readers hold up to the page cache each in memory, and its writes are small
  // transactions: a smaller cache for the walk keeps its memory low. The method's readers end
  // with the walk, however it ends, and the cache returns to its size.
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

  bool walked = false;
  try {
    WalkStatements sql(db);
    walked = walk.walk_plots(sql);
  } catch (...) {
    ctx.feedback.setProgress(0, 0);
    throw;
  }
  ctx.feedback.setProgress(0, 0);
  if (!walked) return outcome;
  finish_run(db, outcome, ctx);
  return outcome;
}

}  // namespace trb::engine
