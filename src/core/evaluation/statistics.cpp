#include "core/evaluation/statistics.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/db/database.h"
#include "core/db/numbers.h"

namespace trb::evaluation {

namespace {

using LD = long double;
using Opt = std::optional<LD>;

// Two-sided 5 % quantile of Student's t for n - 2 degrees of freedom, n = 3..61.
constexpr double kT[] = {
    12.71,  4.3027, 3.1824, 2.7765, 2.5706, 2.4469, 2.3646, 2.306,  2.2622, 2.2281, 2.201,  2.1788,
    2.1604, 2.1448, 2.1315, 2.1199, 2.1098, 2.1009, 2.093,  2.086,  2.0796, 2.0739, 2.0687, 2.0639,
    2.0595, 2.0555, 2.0518, 2.0484, 2.0452, 2.0423, 2.0395, 2.0369, 2.0345, 2.0322, 2.0301, 2.0281,
    2.0262, 2.0244, 2.0227, 2.0211, 2.0195, 2.0181, 2.0167, 2.0154, 2.0141, 2.0129, 2.0117, 2.0106,
    2.0096, 2.0086, 2.0076, 2.0066, 2.0057, 2.0049, 2.004,  2.0032, 2.0025, 2.0017, 2.001};

// Division and root that report failure instead of producing an infinity or NaN.
Opt divide(LD a, LD b) {
  if (b == 0 || !std::isfinite(a) || !std::isfinite(b)) return std::nullopt;
  const LD q = a / b;
  return std::isfinite(q) ? Opt(q) : std::nullopt;
}

Opt root(LD x) {
  if (!(x >= 0) || !std::isfinite(x)) return std::nullopt;
  return std::sqrt(x);
}

// Every statistic of a set; those that cannot be computed are empty.
struct Stats {
  LD n = 0, o_mean = 0, s_mean = 0, msd = 0, me = 0, rmse = 0;
  Opt rel_err, e_prz, rmse_prz, ef, s2;
  LD var_o = 0, var_s = 0;  // ΣO² − n·Ō², ΣS² − n·S̄²
  Opt r_obs_sim, r_dif_t;
};

Stats compute(const Tstat_set& st) {
  Stats x;
  x.n = st.n;
  x.o_mean = st.sum_o / x.n;
  x.s_mean = st.sum_s / x.n;
  // a sum of squares: below 0 only by cancellation
  x.msd = std::max<LD>(0, st.sum_o2 + st.sum_s2 - 2 * st.sum_os);
  x.me = (st.sum_o - st.sum_s) / x.n;
  x.rmse = std::sqrt(x.msd / x.n);
  x.rel_err = divide(x.me * 100 * x.n, st.sum_o);
  if (st.zero_obs == 0) x.e_prz = divide(st.sum_rel * 100, x.n);
  x.rmse_prz = divide(x.rmse * 100, x.o_mean);
  x.var_o = st.sum_o2 - x.n * x.o_mean * x.o_mean;
  x.var_s = st.sum_s2 - x.n * x.s_mean * x.s_mean;
  if (const Opt q = divide(x.msd, x.var_o)) x.ef = 1 - *q;
  if (st.n > 1) x.s2 = (x.msd - (st.sum_o - st.sum_s) * x.me) / (x.n - 1);
  const Opt so = root(st.sum_o2 - st.sum_o * st.sum_o / x.n);
  const Opt ss = root(st.sum_s2 - st.sum_s * st.sum_s / x.n);
  if (so && ss) x.r_obs_sim = divide(st.sum_os - st.sum_o * st.sum_s / x.n, *so * *ss);
  const Opt stt = root(st.sum_t2 - st.sum_t * st.sum_t / x.n);
  const Opt sd = root(st.sum_d2 - st.sum_d * st.sum_d / x.n);
  if (stt && sd) x.r_dif_t = divide(st.sum_dt - st.sum_t * st.sum_d / x.n, *stt * *sd);
  return x;
}

struct Decomposition {
  LD sb = 0, nu = 0, lc = 0;
};

// SB, NU and LC; empty where the observed or the simulated values have no variance.
std::optional<Decomposition> decompose(const Tstat_set& st, const Stats& x) {
  if (x.var_o * x.var_s == 0) return std::nullopt;
  Decomposition d;
  d.sb = (x.o_mean - x.s_mean) * (x.o_mean - x.s_mean);
  const LD cov = st.sum_os - x.n * x.o_mean * x.s_mean;
  const Opt b = divide(cov, x.var_o);
  const Opt r2 = divide(cov * cov, x.var_o * x.var_s);
  if (!b || !r2) return std::nullopt;
  d.nu = (1 - *b) * (1 - *b) * (st.sum_o2 / x.n - x.o_mean * x.o_mean);
  d.lc = (st.sum_s2 / x.n - x.s_mean * x.s_mean) * (1 - *r2);
  if (!std::isfinite(d.nu) || !std::isfinite(d.lc)) return std::nullopt;
  return d;
}

qlonglong plotKey(const QString& text) {
  bool ok = false;
  const qlonglong key = text.trimmed().toLongLong(&ok);
  if (!ok)
    throw std::invalid_argument(
        QStringLiteral("\"%1\" is not a plot key (a whole number).").arg(text).toStdString());
  return key;
}

}  // namespace

double r_crit(int n) {
  if (n < 3 || n > 61) return -99;
  const double t = kT[n - 3];
  return std::sqrt(1.0 / ((n - 2) / (t * t) + 1.0));
}

void Tstat_set::reset(const QString& plot_key) {
  fl_id = plot_key;
  n = 0;
  sum_o = sum_o2 = sum_s = sum_s2 = sum_os = sum_rel = 0;
  sum_d = sum_d2 = sum_t = sum_t2 = sum_dt = 0;
  same_year_run = 0;
  zero_obs = 0;
  lines_.clear();
  for (size_t i = 0; i < chart_.series.size(); ++i) {
    chart_.series[i].points.clear();
    chart_.series[i].line = i == 0;
  }
  chart_.suspended = true;
  min_year = 9999;
  max_year = 0;
  min_value = 9999.0;
  max_value = 0;
}

void Tstat_set::add_pair(int year, bool admitted, double observed, double simulated) {
  const LD o = observed, s = simulated;
  if (simulated > 0 && admitted) {
    ++n;
    const LD d = o - s, t = year / 1000.0L;
    sum_o += o;
    sum_o2 += o * o;
    sum_s += s;
    sum_s2 += s * s;
    sum_os += o * s;
    if (observed != 0)
      sum_rel += d / o;
    else
      ++zero_obs;
    sum_d += d;
    sum_d2 += d * d;
    sum_t += t;
    sum_t2 += t * t;
    sum_dt += d * t;
    same_year_run = year == last_year ? same_year_run + 1 : 0;
  }
  if (admitted) {
    const QPointF p(year, observed);
    if (same_year_run == 0)
      for (size_t i = 1; i < chart_.series.size(); ++i) chart_.series[i].points.append(p);
    // beyond eleven observations of a year the last series takes the rest
    const int idx = std::min<int>(1 + same_year_run, int(chart_.series.size()) - 1);
    chart_.series[size_t(idx)].points.append(p);
  }
  if (simulated > 0) chart_.series[0].points.append(QPointF(year, simulated));
  last_year = year;
  min_year = std::min(min_year, year);
  max_year = std::max(max_year, year);
  const double low = observed == 0 ? simulated : std::min(observed, simulated);
  if (low > 0) min_value = std::min(min_value, low);
  max_value = std::max(max_value, std::max(observed, simulated));
}

void Tstat_set::show(const QLocale& locale) {
  chart_.autoscale = false;
  chart_.value_min = std::floor(10 * min_value) / 10;
  chart_.value_max = std::ceil(10 * max_value) / 10;
  chart_.year_min = min_year;
  chart_.year_max = max_year;
  chart_.suspended = false;
  if (n < 2) return;

  const auto num = [&](const Opt& v) {
    return v ? fmt_general(*v, locale) : QStringLiteral("n.a.");
  };
  const Stats x = compute(*this);
  me = x.me;
  rmse = x.rmse;
  const LD s2 = *x.s2;
  const Opt smw = root(s2 / x.n);

  lines_ << QStringLiteral(" N         =") + QString::number(n)
         << QStringLiteral(" mean error=") + num(x.me)
         << QStringLiteral(" rel.err[%]=") + num(x.rel_err)
         << QStringLiteral(" E%        =") + num(x.e_prz)
         << QStringLiteral(" RMSE      =") + num(x.rmse)
         << QStringLiteral(" RMSE%     =") + num(x.rmse_prz)
         << QStringLiteral(" efficiency=") + num(x.ef.value_or(-9999));
  if (s2 >= 0) {
    const LD smw_v = smw.value_or(-9999);
    lines_ << QStringLiteral(" s  =") + num(std::sqrt(s2)) << QStringLiteral(" smw=") + num(smw_v)
           << (smw_v > std::fabs(x.me) ? QStringLiteral("        no significant bias detected")
                                       : QStringLiteral("        bias detected"));
  } else {
    lines_ << QStringLiteral("  not enough data for more statistics");
  }

  const double rc = r_crit(n);
  if (x.r_obs_sim && x.r_dif_t) {
    r_obs_sim = *x.r_obs_sim;
    r_dif_t = *x.r_dif_t;
    if (rc != -99) lines_ << QStringLiteral("critical r value =") + num(LD(rc));
    lines_ << QStringLiteral(" corr.(obs~sim) r=") + num(r_obs_sim)
           << QStringLiteral(" corr.(dif~ t } r=") + num(r_dif_t);
  } else {
    lines_ << QStringLiteral(" error in r calculation ");
  }

  sb = (x.o_mean - x.s_mean) * (x.o_mean - x.s_mean);
  const std::optional<Decomposition> d = decompose(*this, x);
  if (!d) return;
  nu = d->nu;
  lc = d->lc;
  const LD msd_n = x.rmse * x.rmse;
  const auto share = [&](LD v) {
    return QStringLiteral("       (") + num(divide(v * 100, msd_n)) + QStringLiteral("%)");
  };
  lines_ << QStringLiteral("squared bias=") + num(sb) << share(sb)
         << QStringLiteral("nonunity slp=") + num(nu) << share(nu)
         << QStringLiteral("lack of corr=") + num(lc) << share(lc);
}

namespace {

// Whether a statistics table has the decomposition columns SB, NU and LC.
bool hasDecomposition(trb::db::Database& db, const QString& table) {
  try {
    db.query(QStringLiteral(" select NU,SB,LC from ") + table);
  } catch (const trb::db::DbError&) {
    return false;
  }
  return true;
}

// The update of one plot's row with the given columns; the plot key is the last value.
QString updateStatement(const QString& table, const QStringList& columns) {
  QString sql = QStringLiteral("update ") + table;
  for (qsizetype i = 0; i < columns.size(); ++i)
    sql += (i == 0 ? QStringLiteral(" set ") : QStringLiteral(" ,")) + columns.at(i) +
           QStringLiteral("=?");
  return sql + QStringLiteral(" where fl_id=?");
}

}  // namespace

void Tstat_set::store(trb::db::Database& db) {
  if (n == 0) return;
  const qlonglong key = plotKey(fl_id);
  Assignments a = assignments(hasDecomposition(db, table_name));
  a.values << key;
  db.execute(updateStatement(table_name, a.columns), a.values);
}

Tstat_set::Assignments Tstat_set::assignments(bool decomposition) {
  Assignments a;
  const Stats x = compute(*this);
  std::optional<Decomposition> d;
  if (decomposition) d = decompose(*this, x);
  me = x.me;
  rmse = x.rmse;
  const auto put = [&](const char* column, const QVariant& value) {
    a.columns << QLatin1String(column);
    a.values << value;
  };
  const auto f = [](LD v) { return QVariant(sql_float(double(v))); };
  // not available: the sentinel of this database
  const auto fo = [&](const Opt& v) { return f(v.value_or(-99)); };

  put("N", qlonglong(n));
  put("RMS", f(x.rmse));
  put("MED", f(x.me));
  if (n > 1) {
    const LD s2 = *x.s2;
    put("SMW", fo(root(s2 / x.n)));
    put("s", fo(root(s2)));
    put("RELE", fo(x.rel_err));
    put("EF", f(x.ef.value_or(-999)));
    put("rmsprz", fo(x.rmse_prz));
    put("medprz", fo(x.e_prz));
    if (d) {
      sb = d->sb;
      nu = d->nu;
      lc = d->lc;
      put("SB", f(sb));
      put("NU", f(nu));
      put("LC", f(lc));
    }
  }
  const double rc = r_crit(n);
  const Opt so = root(sum_o2 - sum_o * sum_o / x.n);
  const Opt ss = root(sum_s2 - sum_s * sum_s / x.n);
  const LD w = so && ss ? *so * *ss : 0;
  if (w > 0 && x.r_obs_sim && x.r_dif_t) {
    r_obs_sim = *x.r_obs_sim;
    r_dif_t = *x.r_dif_t;
    if (rc != -99) put("R_krit", QVariant(sql_float(rc)));
    put("R_sim", f(r_obs_sim));
    put("R_dif", f(r_dif_t));
  }
  return a;
}

namespace {

struct PairRow {
  int year = 0, year_num = 0;
  bool admitted = true;
  double obs = 0, sim = 0;
  QVariant sim_raw;
};

QString measurementPairs(bool nitrogen) {
  const QString second = nitrogen ? QStringLiteral(
                                        " cdbl(measurements.year_number) as year_num, "
                                        "measurements.year_number,measurements.meas_value, "
                                        "trb_nresult.n_SOM  as SIM_value")
                                  : QStringLiteral(
                                        " cdbl(measurements.year_number) as year_num,"
                                        "measurements.year_number, measurements.meas_value, "
                                        "trb_nresult.c_mic  as SIM_value");
  return QStringLiteral(R"sql(
 SELECT measurements.M_IX, cdbl(measurements.FL_ID) as fl_id,
cdbl(measurements.year) as year_, 2*5*measurements.month/10 as month_, )sql") +
         second +
         QStringLiteral(
             " FROM measurements INNER JOIN trb_nresult ON (measurements.year = "
             "trb_nresult.year)") +
         QStringLiteral(
             " AND (measurements.FL_ID = trb_nresult.FL_ID) WHERE "
             "(((measurements.M_IX)=") +
         (nitrogen ? QStringLiteral("0") : QStringLiteral("5")) + QStringLiteral(") AND ") +
         QStringLiteral("  ((measurements.FL_ID)=?)) order by [measurements.year_number]");
}

// The pairs of one source, read plot after plot by the one prepared query.
class PairQuery {
 public:
  PairQuery(trb::db::Database& db, const QString& sql, const char* yearNum, bool carbon)
      : reader_(db, sql, {qlonglong(0)}), carbon_(carbon) {
    year_ = reader_.indexOf(QStringLiteral("year_"));
    yearNum_ = reader_.indexOf(QLatin1String(yearNum));
    obs_ = reader_.indexOf(QStringLiteral("meas_value"));
    sim_ = reader_.indexOf(QStringLiteral("sim_value"));
    mix_ = reader_.indexOf(QStringLiteral("m_ix"));
  }

  const std::vector<PairRow>& read(qlonglong key) {
    rows_.clear();
    reader_.rebind({key});
    while (reader_.next()) {
      PairRow r;
      r.year = reader_.value(year_).toInt();
      r.year_num = reader_.value(yearNum_).toInt();
      r.obs = reader_.value(obs_).toDouble();
      r.sim_raw = reader_.value(sim_);
      r.sim = r.sim_raw.toDouble();
      r.admitted = !carbon_ || reader_.value(mix_).toInt() > 0;
      rows_.push_back(r);
    }
    return rows_;
  }

 private:
  trb::db::Reader reader_;
  bool carbon_;
  int year_ = -1, yearNum_ = -1, obs_ = -1, sim_ = -1, mix_ = -1;
  std::vector<PairRow> rows_;
};

// Writes the statistics of one plot after the other into a statistics table: the table is probed
// once, and the update of each set of columns is prepared once.
class StatsTableWriter {
 public:
  explicit StatsTableWriter(trb::db::Database& db) : db_(db) {}

  void store(Tstat_set& set) {
    if (set.n == 0) return;
    const qlonglong key = plotKey(set.fl_id);
    if (!probed_) {
      decomposition_ = hasDecomposition(db_, set.table_name);
      probed_ = true;
    }
    Tstat_set::Assignments a = set.assignments(decomposition_);
    a.values << key;
    const QString shape = a.columns.join(u',');
    auto it = updates_.find(shape);
    if (it == updates_.end())
      it = updates_
               .emplace(shape, std::make_unique<trb::db::Statement>(
                                   db_, updateStatement(set.table_name, a.columns)))
               .first;
    it->second->exec(a.values);
  }

 private:
  trb::db::Database& db_;
  bool probed_ = false, decomposition_ = false;
  std::map<QString, std::unique_ptr<trb::db::Statement>> updates_;
};

// The evaluation of one plot after the other with the same prepared queries and updates.
class PlotEvaluation {
 public:
  explicit PlotEvaluation(trb::db::Database& db)
      : db_(db),
        carbon_(db,
                QStringLiteral(" select * from rs_table where abs(m_ix)=7 and  fl_id=?") +
                    QStringLiteral(" order by year_num"),
                "year_num", true),
        microbial_(db, measurementPairs(false), "year_number", false),
        nitrogen_(db, measurementPairs(true), "year_number", false),
        carbonTable_(db),
        nitrogenTable_(db) {}

  EvaluationPages evaluate(StatSets& sets, const QString& asnr, bool dbs, int phase,
                           trb::Feedback& feedback);

 private:
  trb::db::Database& db_;
  PairQuery carbon_, microbial_, nitrogen_;
  StatsTableWriter carbonTable_, nitrogenTable_;
};

EvaluationPages PlotEvaluation::evaluate(StatSets& sets, const QString& asnr, bool dbs, int phase,
                                         trb::Feedback& feedback) {
  const qlonglong key = plotKey(asnr);
  EvaluationPages pages;
  int done = 0;
  const auto step = [&] {
    feedback.setProgress(++done, 3);
    feedback.throwIfCanceled(QStringLiteral("The statistics were stopped."));
  };

  const std::vector<PairRow>& c = carbon_.read(key);
  const double half = c.empty() ? 0.0 : c.back().year_num / 2.0;
  for (auto it = c.rbegin(); it != c.rend(); ++it) {
    const QString text = it->sim_raw.isNull() ? QString() : fmt_general(it->sim_raw.toDouble());
    if (text != u"-99") {
      pages.final_sim_carbon = text;
      break;
    }
  }
  const auto inPhase = [&](int yn) {
    switch (phase) {
      case 0:
        return true;
      case 1:
        return yn <= half;
      case 2:
        return yn > half;
      default:
        return false;
    }
  };
  const auto offer = [&](Tstat_set& set, const std::vector<PairRow>& rows) {
    for (const PairRow& r : rows)
      if (r.year_num > 0 && inPhase(r.year_num)) set.add_pair(r.year, r.admitted, r.obs, r.sim);
  };

  sets.corg.reset(asnr);
  if (!c.empty()) {
    pages.c_dynamics_enable = true;
    offer(sets.corg, c);
  }
  dbs ? carbonTable_.store(sets.corg) : sets.corg.show();
  step();

  const std::vector<PairRow>& m = microbial_.read(key);
  sets.mic.reset(asnr);
  pages.micr_bm_visible = !m.empty();
  if (!m.empty()) {
    offer(sets.mic, m);
    sets.mic.show();
  }
  step();

  const std::vector<PairRow>& nt = nitrogen_.read(key);
  sets.nt.reset(asnr);
  pages.n_dynamics_visible = !nt.empty();
  if (!nt.empty()) {
    offer(sets.nt, nt);
    dbs ? nitrogenTable_.store(sets.nt) : sets.nt.show();
  }
  step();
  return pages;
}

}  // namespace

EvaluationPages result_auswertung(trb::db::Database& db, StatSets& sets, const QString& asnr,
                                  bool dbs, int phase) {
  trb::Feedback silent;
  return result_auswertung(db, sets, asnr, dbs, phase, silent);
}

EvaluationPages result_auswertung(trb::db::Database& db, StatSets& sets, const QString& asnr,
                                  bool dbs, int phase, trb::Feedback& feedback) {
  plotKey(asnr);  // a key that is no number is refused before any statement runs
  PlotEvaluation evaluation(db);
  return evaluation.evaluate(sets, asnr, dbs, phase, feedback);
}

int update_statistics(trb::db::Database& db, int phase) {
  trb::Feedback silent;
  return update_statistics(db, phase, silent);
}

int update_statistics(trb::db::Database& db, int phase, trb::Feedback& feedback) {
  trb::db::Transaction tx(db);
  db.dropTable(QStringLiteral("trb_stat_corg"));
  db.execute(QStringLiteral(R"sql(
SELECT field_description.FL_ID, 0.00001 AS med, 0.00001 AS rms, 0 AS n, 0.0000001 AS smw,
 0.000001 AS s, 0.001 AS rele,0.00001 AS r_krit, 0.00001 AS r_sim, 0.00001 AS r_dif,
0.00001 AS ef, 0.001 AS rmsprz, 0.001 AS medprz,
 0.000001 as SB, 0.000001 as NU,0.000001 as LC INTO trb_stat_corg FROM field_description)sql"));
  db.dropTable(QStringLiteral("trb_stat_nt"));
  db.execute(QStringLiteral(R"sql(
SELECT field_description.FL_ID, 0.00001 AS med, 0.00001 AS rms, 0 AS n, 0.0000001 AS smw,
 0.000001 AS s, 0.001 AS rele, 0.00001 AS r_krit, 0.00001 AS r_sim, 0.00001 AS r_dif,
0.00001 AS ef, 0.001 AS rmsprz, 0.001 AS medprz
  INTO trb_stat_nt FROM field_description)sql"));
  // A statistic a plot does not get (no pairs, one pair, no variance) reads -99, the database's
  // "not available", rather than a starting value that looks like a result.
  db.execute(QStringLiteral(R"sql(
UPDATE trb_stat_corg SET med=-99, rms=-99, smw=-99, s=-99, rele=-99, r_krit=-99, r_sim=-99,
r_dif=-99, ef=-99, rmsprz=-99, medprz=-99, SB=-99, NU=-99, LC=-99)sql"));
  db.execute(QStringLiteral(R"sql(
UPDATE trb_stat_nt SET med=-99, rms=-99, smw=-99, s=-99, rele=-99, r_krit=-99, r_sim=-99,
r_dif=-99, ef=-99, rmsprz=-99, medprz=-99)sql"));
  // every plot's row is updated by its key
  db.execute(QStringLiteral("CREATE INDEX trb_stat_corg_plot ON trb_stat_corg (FL_ID)"));
  db.execute(QStringLiteral("CREATE INDEX trb_stat_nt_plot ON trb_stat_nt (FL_ID)"));

  // the plots of the tree with their count of result rows
  trb::db::Reader q(db, QStringLiteral(R"sql(
SELECT field_description.site_description, field_description.Location
,field_description.versuch_code, field_description.FL_ID, Count(rs_table.M_IX) AS nres
 FROM field_description LEFT JOIN rs_table ON field_description.FL_ID = rs_table.FL_ID
 GROUP BY field_description.site_description,
field_description.Location,field_description.versuch_code, field_description.FL_ID)sql"));
  QStringList plots;
  const int nres = q.indexOf(QStringLiteral("nres")), key = q.indexOf(QStringLiteral("FL_ID"));
  while (q.next())
    if (q.value(nres).toInt() > 0) plots << q.value(key).toString();

  StatSets sets;
  PlotEvaluation evaluation(db);
  // every plot is a step, its three variables the progress within it
  trb::MultiStepFeedback perPlot(int(plots.size()), feedback);
  for (int i = 0; i < int(plots.size()); ++i) {
    perPlot.setCurrentStep(i);
    evaluation.evaluate(sets, plots[i], true, phase, perPlot);
  }
  tx.commit();
  return int(plots.size());
}

}  // namespace trb::evaluation
