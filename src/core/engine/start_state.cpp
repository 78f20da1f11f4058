#include "core/engine/start_state.h"

#include <QHash>
#include <QSqlQuery>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <map>

#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/calc_stop.h"
#include "core/engine/run_selection.h"
#include "core/settings/run_settings.h"

namespace trb::engine {

using trb::db::Database;

namespace {

QString plot_prefix(qlonglong plot) {
  return QStringLiteral("FL_ID %1: ").arg(plot);
}

// The first pass over a plot's rows: from the row of the carbon initial value up to the last row
// or the first gap in the management years (rows first .. end - 1).
struct PassRange {
  size_t first = 0, end = 0;
};

bool unusable_number(double v) {
  return !std::isfinite(v) || std::abs(v) > 1e6;
}

// Where the plot's pass lies; refuses a plot the calculation would report as missing data.
PassRange pass_range(const StartStateInputs& in) {
  const std::vector<BalanceRow>& rows = in.rows;
  if (!in.exists) throw StartStateRefused(plot_prefix(in.plot) + QStringLiteral("no such plot"));
  size_t i = 0;
  while (i < rows.size() && rows[i].corg < 0) ++i;
  if (i == rows.size() && !in.hasCarbonStart)
    throw StartStateRefused(plot_prefix(in.plot) + QStringLiteral("no carbon initial value"));
  if (rows.empty())
    throw StartStateRefused(plot_prefix(in.plot) +
                            QStringLiteral("no management years with soil and weather data"));
  if (i == rows.size())
    throw StartStateRefused(plot_prefix(in.plot) +
                            QStringLiteral("no carbon initial value in a management year"));
  const BalanceRow& r = rows[i];
  if (unusable_number(r.corg) || unusable_number(r.norg) || unusable_number(r.cif) ||
      unusable_number(r.bd) || r.cif > 1 || !(r.skelett >= 0 && r.skelett < 1))
    throw StartStateRefused(plot_prefix(in.plot) +
                            QStringLiteral("start values the balance cannot use"));
  if (!(r.corg > 0 && r.cif > 0 && r.bd > 0))
    throw StartStateRefused(
        plot_prefix(in.plot) +
        QStringLiteral(
            "missing start data (carbon initial value, inert fraction or bulk density)"));
  size_t end = i + 1;
  while (end < rows.size() && rows[end].year_0 - rows[end - 1].year_0 == 1) ++end;
  return {i, end};
}

// The plot in balance, year after year, as the calculation's walk carries it: the start values
// of the row `first`, then the method's yearly update of every row asked for.
class PassRunner {
 public:
  PassRunner(const StartStateInputs& in, size_t first, double nonBal)
      : in_(in), ctx_(silent_), out_(false) {
    const BalanceRow& r = in.rows[first];
    st_.fl_id = in.plot;
    st_.norg = r.norg;
    st_.corg = r.corg;
    st_.cif = r.cif;
    st_.bd = r.bd;
    st_.sk = r.skelett;
    derive_start_values(st_);
    st_.first = true;
    st_.notill = in.notill;
    st_.non_bal = nonBal;
    st_.pools.clear();
    st_.inputs = in.organic.get();
    startStock_ = static_cast<double>(st_.C_tot);
  }

  double start_stock() const { return startStock_; }

  // Row i as the next year: of the first pass (its own calendar year) or of a later one (the
  // calendar runs on).
  SimulatedCarbon year(size_t i, bool firstPass) {
    const BalanceRow& r = in_.rows[i];
    st_.z_jahr = firstPass ? r.year_0 : st_.z_jahr + 1;
    st_.year_num += 1;
    try {
      method_.year_update(st_, r, out_, ctx_);
    } catch (const UnusableValue& bad) {
      QString line = plot_prefix(in_.plot) + bad.table + u'.' + bad.column + u' ';
      if (bad.year >= 0) line += QStringLiteral("of %1 ").arg(bad.year);
      throw StartStateRefused(line + QStringLiteral("= ") + QString::number(bad.value) + u' ' +
                              bad.why);
    } catch (const CalcStop& stop) {
      throw StartStateRefused(plot_prefix(in_.plot) + stop.message());
    }
    // the yearly rows are not kept: a long series of cycles would fill the memory
    out_.nresults.clear();
    out_.zbvs.clear();
    st_.years_done += 1;
    const double content = static_cast<double>(simulated_content(st_));
    if (!std::isfinite(content))
      throw StartStateRefused(
          plot_prefix(in_.plot) +
          QStringLiteral("the simulated carbon of %1 is not a finite number").arg(st_.z_jahr));
    return {st_.z_jahr, st_.year_num, content, static_cast<double>(st_.C_tot)};
  }

 private:
  const StartStateInputs& in_;
  trb::Feedback silent_;  // the method's remarks (a clamped no-tillage factor) are not wanted here
  BalanceContext ctx_;
  ResultWriter out_;
  TrbMethod method_;
  PlotState st_;
  double startStock_ = 0;
};

void stop_if_asked(const trb::Feedback& feedback) {
  feedback.throwIfCanceled(QStringLiteral("the start state was stopped"));
}

// The plots one after the other on up to `workers` threads; the first error of a plot other than
// a refusal is passed on after all are done, a stop request ends it with trb::Canceled.
void for_each_plot(size_t count, int workers, trb::Feedback& progress,
                   const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0}, done{0};
  std::vector<std::exception_ptr> errors(count);
  auto run = [&] {
    for (size_t k; (k = next++) < count;) {
      if (progress.isCanceled()) break;
      try {
        work(k);
      } catch (...) {
        errors[k] = std::current_exception();
      }
      progress.setProgress(static_cast<qint64>(++done), static_cast<qint64>(count));
    }
  };
  const int threads = std::clamp(workers, 1, static_cast<int>(std::max<size_t>(count, 1)));
  if (threads == 1) {
    run();
  } else {
    QThreadPool pool;
    pool.setMaxThreadCount(threads);
    for (int t = 0; t < threads; ++t) pool.start(run);
    pool.waitForDone();
  }
  stop_if_asked(progress);
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

// Lines of the preparation stay out of the caller's output; its progress, problems and the stop
// request pass.
class PreparationFeedback : public trb::Feedback {
 public:
  explicit PreparationFeedback(trb::Feedback& outer) : outer_(outer) {}
  void setProgress(qint64 pos, qint64 count) override { outer_.setProgress(pos, count); }
  void report(const trb::Error& error) override { outer_.report(error); }
  bool isCanceled() const override { return outer_.isCanceled(); }

 private:
  trb::Feedback& outer_;
};

}  // namespace

std::vector<SimulatedCarbon> simulate_pass(const StartStateInputs& in, double nonBal) {
  const PassRange range = pass_range(in);
  PassRunner run(in, range.first, nonBal);
  std::vector<SimulatedCarbon> years;
  years.reserve(range.end - range.first);
  for (size_t i = range.first; i < range.end; ++i) years.push_back(run.year(i, true));
  return years;
}

NonBalFit fit_non_bal(const StartStateInputs& in, const trb::Feedback& feedback) {
  NonBalFit fit;
  fit.plot = in.plot;
  fit.storedNonBal = in.storedNonBal;
  // the pairs: every sample of a year the pass simulates (year and year number as the
  // calculation matches them); which years these are does not depend on non_bal
  std::vector<std::pair<size_t, double>> pairs;
  {
    const std::vector<SimulatedCarbon> pass = simulate_pass(in, in.storedNonBal);
    std::map<std::pair<qlonglong, qlonglong>, size_t> at;
    for (size_t k = 0; k < pass.size(); ++k)
      at.emplace(std::pair{pass[k].year, pass[k].yearNum}, k);
    for (const CarbonSample& s : in.samples) {
      const auto it = at.find({s.year, s.yearNumber});
      if (it != at.end()) pairs.emplace_back(it->second, s.value);
    }
  }
  fit.pairs = static_cast<int>(pairs.size());
  if (pairs.size() < 2)
    throw StartStateRefused(plot_prefix(in.plot) +
                            QStringLiteral("%1 measured soil carbon contents in simulated years; "
                                           "the fit needs at least two")
                                .arg(pairs.size()));

  auto rmse = [&](double nonBal) {
    stop_if_asked(feedback);
    const std::vector<SimulatedCarbon> pass = simulate_pass(in, nonBal);
    long double sum = 0;
    for (const auto& [k, measured] : pairs) {
      const long double d = measured - pass[k].content;
      sum += d * d;
    }
    return static_cast<double>(std::sqrt(sum / pairs.size()));
  };
  fit.rmseBefore = rmse(in.storedNonBal);

  // the coarse scan, so that a second minimum is not missed
  const double step = (kNonBalHighest - kNonBalLowest) / (kNonBalScanPoints - 1);
  size_t best = 0;
  for (int i = 0; i < kNonBalScanPoints; ++i) {
    const double x = i == kNonBalScanPoints - 1 ? kNonBalHighest : kNonBalLowest + i * step;
    fit.curve.push_back({x, rmse(x)});
    if (fit.curve.back().rmse < fit.curve[best].rmse) best = fit.curve.size() - 1;
  }
  const auto [lowest, highest] =
      std::minmax_element(fit.curve.begin(), fit.curve.end(),
                          [](const CurvePoint& a, const CurvePoint& b) { return a.rmse < b.rmse; });
  if (highest->rmse - lowest->rmse <= 1e-12 * std::max(1.0, highest->rmse))
    throw StartStateRefused(plot_prefix(in.plot) +
                            QStringLiteral("the simulated soil carbon does not depend on the start "
                                           "deviation (no decomposable carbon)"));

  // golden section search between the neighbours of the best point of the scan
  double a = fit.curve[best > 0 ? best - 1 : 0].nonBal;
  double b = fit.curve[std::min(best + 1, fit.curve.size() - 1)].nonBal;
  const double g = (std::sqrt(5.0) - 1) / 2;
  double c = b - g * (b - a), d = a + g * (b - a);
  double fc = rmse(c), fd = rmse(d);
  while (b - a > kNonBalTolerance) {
    if (fc <= fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - g * (b - a);
      fc = rmse(c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + g * (b - a);
      fd = rmse(d);
    }
  }
  double x = fc <= fd ? c : d, fx = std::min(fc, fd);
  if (fit.curve[best].rmse <= fx) x = fit.curve[best].nonBal;  // an end of the range
  fit.nonBal = std::clamp(trb::round_to(x, 6), kNonBalLowest, kNonBalHighest);
  fit.rmseAfter = rmse(fit.nonBal);
  fit.onBound = fit.nonBal - kNonBalLowest <= kNonBalTolerance ||
                kNonBalHighest - fit.nonBal <= kNonBalTolerance;
  return fit;
}

SustainedLevel sustained_level(const StartStateInputs& in, const YearSpan& span,
                               const trb::Feedback& feedback) {
  const PassRange range = pass_range(in);
  const qlonglong firstYear = in.rows[range.first].year_0;
  const qlonglong lastYear = in.rows[range.end - 1].year_0;
  SustainedLevel s;
  s.plot = in.plot;
  s.from = span.from.value_or(firstYear);
  s.to = span.to.value_or(lastYear);
  if (s.from < firstYear || s.to > lastYear || s.from > s.to)
    throw StartStateRefused(
        plot_prefix(in.plot) +
        QStringLiteral("the years %1-%2 are not a span of the simulated years %3-%4")
            .arg(s.from)
            .arg(s.to)
            .arg(firstYear)
            .arg(lastYear));
  // the pass holds consecutive years
  const size_t from = range.first + static_cast<size_t>(s.from - firstYear);
  const size_t to = range.first + static_cast<size_t>(s.to - firstYear);

  PassRunner run(in, range.first, in.storedNonBal);
  s.start = in.rows[range.first].corg;
  s.startStock = run.start_stock() / 1000;
  SimulatedCarbon last;
  for (size_t i = range.first; i <= to; ++i) last = run.year(i, true);
  s.levels.push_back(last.content);
  s.cycles = 1;
  while (s.cycles < kMaxCycles) {
    stop_if_asked(feedback);
    for (size_t i = from; i <= to; ++i) last = run.year(i, false);
    ++s.cycles;
    const double before = s.levels.back();
    s.levels.push_back(last.content);
    if (std::abs(last.content - before) <= kSustainedTolerance * std::abs(before)) {
      s.converged = true;
      break;
    }
  }
  s.level = last.content;
  s.levelStock = last.stock / 1000;
  return s;
}

PreparationSettings preparation_settings(Database& db, const trb::settings::RunSettings& settings) {
  PreparationSettings prep;
  if (settings.recalc_bat) prep.wmz.read_prm4wmz(db);
  prep.soil.soil_scheme = settings.soil_scheme;
  prep.soil.hymode = settings.ptfmode;
  prep.soil.pf_fk = settings.pf_fk;
  prep.soil.pf_wp = settings.pf_wp;
  prep.soil.interpol = settings.interpol;
  prep.bat.recalc_bat = settings.recalc_bat;
  prep.bat.simple_version = settings.simple_version;
  return prep;
}

std::vector<StartStateInputs> read_start_state_inputs(Database& db, const QList<qlonglong>& plots,
                                                      const PreparationSettings& prep,
                                                      trb::Feedback& feedback) {
  std::vector<StartStateInputs> inputs(static_cast<size_t>(plots.size()));
  QHash<qlonglong, QList<size_t>> at;  // a plot may be asked for twice
  for (size_t k = 0; k < inputs.size(); ++k) {
    inputs[k].plot = plots[static_cast<qsizetype>(k)];
    at[inputs[k].plot] << k;
  }
  QList<qlonglong> ascending = at.keys();
  std::sort(ascending.begin(), ascending.end());

  // The work tables of exactly these plots, read and then rolled back with every other change:
  // the database stays as it was, the last calculation's work tables and the run's selection too.
  trb::db::Transaction tx(db);
  selectPlotsForRun(db, ascending);
  TrbMethod method;
  PreparationFeedback quiet(feedback);
  method.prepare_tables(db, prep, quiet);
  {
    BalanceInputReader reader(db, method);
    std::vector<BalanceRow> rows;
    while (reader.take_plot(rows)) {
      const qlonglong plot = rows.front().fl_id;
      const bool notill = rows.front().comment.toUpper().contains(QStringLiteral("NOTILL"));
      for (size_t k : at.value(plot)) {
        inputs[k].rows = rows;
        inputs[k].notill = notill;
      }
    }
  }
  method.read_inputs(db);
  for (qlonglong plot : ascending) {
    const std::shared_ptr<const PlotInputs> organic = method.plot_inputs(plot);
    for (size_t k : at.value(plot)) inputs[k].organic = organic;
  }
  method.close_inputs();
  {
    // the first start deviation of a plot counts, as in the calculation
    trb::db::Reader q(db, QStringLiteral("select fl_id, meas_value from measurements where m_ix=-1 "
                                         "order by meas_id"));
    while (q.next())
      for (size_t k : at.value(q.toLongLong(0)))
        if (!inputs[k].hasStoredNonBal) {
          inputs[k].hasStoredNonBal = true;
          inputs[k].storedNonBal = q.toDouble(1);
        }
  }
  {
    trb::db::Reader q(
        db, QStringLiteral("select fl_id, [year], year_number, meas_value from measurements "
                           "where m_ix=7 order by meas_id"));
    while (q.next()) {
      for (size_t k : at.value(q.toLongLong(0))) {
        if (q.toLongLong(2) == 0) inputs[k].hasCarbonStart = true;
        // an empty value is no measurement
        if (!q.isNull(3))
          inputs[k].samples.push_back({q.toLongLong(1), q.toLongLong(2), q.toDouble(3)});
      }
    }
  }
  {
    trb::db::Reader q(db, QStringLiteral("select FL_ID from field_description"));
    while (q.next())
      for (size_t k : at.value(q.toLongLong(0))) inputs[k].exists = true;
  }
  return inputs;  // tx rolls back
}

WrittenStartDeviation write_start_deviation(Database& db, qlonglong plot, double nonBal) {
  if (!std::isfinite(nonBal))
    throw trb::Error(plot_prefix(plot) + QStringLiteral("the start deviation is not a number"),
                     QStringLiteral("start state"));
  trb::db::Transaction tx(db);
  if (db.scalar(QStringLiteral("select count(*) from field_description where FL_ID=?"), {plot})
          .toLongLong() == 0)
    throw StartStateRefused(plot_prefix(plot) + QStringLiteral("no such plot"));
  WrittenStartDeviation written;
  QSqlQuery existing = db.query(
      QStringLiteral(
          "select meas_id, meas_value from measurements where m_ix=-1 and fl_id=? order by meas_id"),
      {plot});
  if (existing.next()) {
    written.measId = existing.value(0).toLongLong();
    if (!existing.value(1).isNull()) written.previous = existing.value(1).toDouble();
    existing.finish();
    db.execute(QStringLiteral("update measurements set meas_value=? where meas_id=?"),
               {nonBal, written.measId});
  } else {
    existing.finish();
    QSqlQuery start = db.query(QStringLiteral(R"sql(
select [year], [month], [day] from measurements
where m_ix=7 and year_number=0 and fl_id=? order by meas_id)sql"),
                               {plot});
    if (!start.next())
      throw StartStateRefused(plot_prefix(plot) + QStringLiteral("no carbon initial value"));
    const QVariantList date{start.value(0), start.value(1), start.value(2)};
    start.finish();
    db.execute(QStringLiteral(R"sql(
insert into measurements (fl_id, m_ix, meas_value, [year], [month], [day], year_number)
values (?, -1, ?, ?, ?, ?, 0))sql"),
               {plot, nonBal, date[0], date[1], date[2]});
    written.measId =
        db.scalar(QStringLiteral("select max(meas_id) from measurements")).toLongLong();
    written.inserted = true;
  }
  // the plot's comparison is void until it is calculated again
  db.execute(QStringLiteral("delete from rs_table where fl_id= ?"), {plot});
  tx.commit();
  return written;
}

namespace {

// Reads the plots, then computes each (a refusal is kept as its outcome).
template <typename T>
std::vector<PlotOutcome<T>> run_plots(
    Database& db, const QList<qlonglong>& plots, const PreparationSettings& prep, int workers,
    trb::Feedback& feedback,
    const std::function<T(const StartStateInputs&, const trb::Feedback&)>& compute) {
  trb::MultiStepFeedback steps(2, feedback);
  steps.setCurrentStep(0);
  const std::vector<StartStateInputs> inputs = read_start_state_inputs(db, plots, prep, steps);
  steps.setCurrentStep(1);
  std::vector<PlotOutcome<T>> outcomes(inputs.size());
  for_each_plot(inputs.size(), workers, steps, [&](size_t k) {
    outcomes[k].plot = inputs[k].plot;
    try {
      outcomes[k].result = compute(inputs[k], feedback);
    } catch (const StartStateRefused& e) {
      outcomes[k].refusal = e.message();
    }
  });
  feedback.setProgress(0, 0);
  return outcomes;
}

}  // namespace

std::vector<PlotOutcome<NonBalFit>> fit_start_plots(Database& db, const QList<qlonglong>& plots,
                                                    const PreparationSettings& prep, int workers,
                                                    bool write, trb::Feedback& feedback) {
  std::vector<PlotOutcome<NonBalFit>> outcomes =
      run_plots<NonBalFit>(db, plots, prep, workers, feedback, fit_non_bal);
  if (write) {
    trb::db::Transaction tx(db);
    for (const PlotOutcome<NonBalFit>& o : outcomes)
      if (o.result) write_start_deviation(db, o.plot, o.result->nonBal);
    tx.commit();
  }
  return outcomes;
}

std::vector<PlotOutcome<SustainedLevel>> sustained_levels(Database& db,
                                                          const QList<qlonglong>& plots,
                                                          const YearSpan& span,
                                                          const PreparationSettings& prep,
                                                          int workers, trb::Feedback& feedback) {
  return run_plots<SustainedLevel>(db, plots, prep, workers, feedback,
                                   [&span](const StartStateInputs& in, const trb::Feedback& f) {
                                     return sustained_level(in, span, f);
                                   });
}

}  // namespace trb::engine
