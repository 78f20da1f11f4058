#include "core/evaluation/result_pages.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>

#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/evaluation/statistics.h"

namespace trb::evaluation {

namespace {

QString tr(const char* text, const char* disambiguation = nullptr) {
  return QCoreApplication::translate("trb::evaluation", text, disambiguation);
}

// The grid's rows: the named result columns of every row, in order.
QList<QVariantList> readRows(trb::db::Database& db, const QString& sql, const QStringList& fields,
                             const QVariantList& binds) {
  QList<QVariantList> rows;
  QSqlQuery q = db.query(sql, binds);
  QList<int> at;
  const QSqlRecord rec = q.record();
  for (const QString& f : fields) at << rec.indexOf(f);
  while (q.next()) {
    QVariantList row;
    for (int i : at) row << (i >= 0 ? q.value(i) : QVariant());
    rows << row;
  }
  return rows;
}

// A line of (year, value) of one grid column; rows whose value is empty are left out.
QList<QPointF> curve(const QList<QVariantList>& rows, int yearColumn, int valueColumn) {
  QList<QPointF> points;
  for (const QVariantList& r : rows) {
    const QVariant& v = r.value(valueColumn);
    if (v.isNull() || !v.isValid()) continue;
    points << QPointF(r.value(yearColumn).toDouble(), v.toDouble());
  }
  return points;
}

// The axis ranges around every point: values to the tenth outside, years from first to last.
void fitAxes(ChartData& chart) {
  QList<QPointF> all = chart.simulated;
  for (const auto& s : chart.observed) all += s;
  if (all.isEmpty()) return;
  double lo = all.first().y(), hi = lo, x0 = all.first().x(), x1 = x0;
  for (const QPointF& p : all) {
    lo = std::min(lo, p.y());
    hi = std::max(hi, p.y());
    x0 = std::min(x0, p.x());
    x1 = std::max(x1, p.x());
  }
  chart.yMin = std::floor(10 * lo) / 10;
  chart.yMax = std::ceil(10 * hi) / 10;
  chart.xMin = int(std::floor(x0));
  chart.xMax = int(std::ceil(x1));
}

// The chart of a statistics set as it stands after its evaluation.
ChartData chartOf(const Tstat_set& set) {
  ChartData c;
  const StatChart& s = set.chart();
  c.simulated = s.series[0].points;
  for (size_t i = 1; i < s.series.size(); ++i) c.observed << s.series[i].points;
  if (!s.autoscale) {
    c.yMin = s.value_min;
    c.yMax = s.value_max;
    c.xMin = s.year_min;
    c.xMax = s.year_max;
  }
  return c;
}

QStringList comparisonColumns() {
  return {tr("N"), tr("YEAR_"), tr("MEAS_VALUE"), tr("SIM_VALUE")};
}

// The rows of the microbial biomass (property 5) or soil nitrogen (property 0) comparison.
QString measurementPairs(bool nitrogen) {
  return (nitrogen ? QStringLiteral(R"sql(
 SELECT measurements.M_IX, cdbl(measurements.FL_ID) as fl_id, cdbl(measurements.year) as year_, 2*5*measurements.month/10 as month_,
 cdbl(measurements.year_number) as year_num, measurements.year_number,measurements.meas_value, trb_nresult.n_SOM  as SIM_value
 FROM measurements INNER JOIN trb_nresult ON (measurements.year = trb_nresult.year)
 AND (measurements.FL_ID = trb_nresult.FL_ID) WHERE (((measurements.M_IX)=0) AND
  ((measurements.FL_ID)=?)) order by [measurements.year_number])sql")
                   : QStringLiteral(R"sql(
 SELECT measurements.M_IX, cdbl(measurements.FL_ID) as fl_id, cdbl(measurements.year) as year_, 2*5*measurements.month/10 as month_,
 cdbl(measurements.year_number) as year_num,measurements.year_number, measurements.meas_value, trb_nresult.c_mic  as SIM_value
 FROM measurements INNER JOIN trb_nresult ON (measurements.year = trb_nresult.year)
 AND (measurements.FL_ID = trb_nresult.FL_ID) WHERE (((measurements.M_IX)=5) AND
  ((measurements.FL_ID)=?)) order by [measurements.year_number])sql"));
}

ResultPageData comparisonPage(const QString& title, const QString& yTitle) {
  ResultPageData p;
  p.title = title;
  p.columns = comparisonColumns();
  p.chart.xTitle = tr("Year");
  p.chart.yTitle = yTitle;
  return p;
}

// --- OM-turnover ---------------------------------------------------------------------------------

// The grid's fields in order and the chooser's fields in order.
const QStringList kTurnoverFields = {QStringLiteral("year_"),    QStringLiteral("crepflx"),
                                     QStringLiteral("csomloss"), QStringLiteral("saldo"),
                                     QStringLiteral("c2atm"),    QStringLiteral("soilcarbon")};
const QStringList kTurnoverChoiceFields = {QStringLiteral("crepflx"), QStringLiteral("csomloss"),
                                           QStringLiteral("c2atm"), QStringLiteral("soilcarbon"),
                                           QStringLiteral("saldo")};

ResultPageData turnoverFrame(int choice) {
  ResultPageData p;
  p.title = tr("OM-turnover");
  p.columns = QStringList{tr("year"),
                          tr("SOM gain [kgC/ha/a]"),
                          tr("SOM loss [kgC/ha/a]"),
                          tr("saldo [kgC/ha/a]"),
                          tr("CO2 prod. [kgC/ha/a]"),
                          tr("soil C storage [t/ha]")};
  const QString field = kTurnoverChoiceFields.value(choice);
  p.chart.title = result_choices(ResultKind::Turnover).value(choice);
  p.chart.xTitle = tr("Year");
  p.chart.yTitle =
      field == u"soilcarbon" ? tr("C-storage(top soil) [t/ha]") : tr("annual C-flux [kg/ha]");
  return p;
}

ResultPageData turnoverPage(trb::db::Database& db, qlonglong key, int choice) {
  ResultPageData p = turnoverFrame(choice);
  const QString field = kTurnoverChoiceFields.value(choice);
  if (!db.hasTable(QStringLiteral("trb_zbv"))) return p;
  // Int cuts every sum down to one decimal: 123.46 gives 123.4, -0.06 gives -0.1
  p.rows = readRows(db, QStringLiteral(R"sql(
SELECT year_, Int(10*(Sum(C_rep_flx)))/10 AS crepflx,   Int(10*(Sum(C_min_total)))/10 AS c2atm,
 Int(10*(Sum(C_min_total-c_min_fom)))/10 AS csomloss, Int(10* Sum(C_fom+c_som)/1000  )/10 AS soilcarbon,
 Int(10*(Sum(C_rep_flx-C_min_total+c_min_fom)))/10  as saldo FROM trb_zbv where fl_id=? GROUP BY year_)sql"),
                    kTurnoverFields, {key});
  p.chart.simulated = curve(p.rows, 0, int(kTurnoverFields.indexOf(field)));
  fitAxes(p.chart);
  return p;
}

// --- N-balance -----------------------------------------------------------------------------------

const QStringList kNBalanceFields = {QStringLiteral("year"),
                                     QStringLiteral("n_pflanze_out"),
                                     QStringLiteral("n_mindg_inp"),
                                     QStringLiteral("n_mos_inp"),
                                     QStringLiteral("n_depos_inp"),
                                     QStringLiteral("n_div_inp"),
                                     QStringLiteral("saldo_nmin_soil"),
                                     QStringLiteral("NAME")};
const QStringList kNBalanceChoiceFields = {
    QStringLiteral("saldo_nmin_soil"), QStringLiteral("n_mos_inp"),
    QStringLiteral("n_mindg_inp"),     QStringLiteral("n_depos_inp"),
    QStringLiteral("n_div_inp"),       QStringLiteral("n_pflanze_out")};

ResultPageData nBalanceFrame(int choice) {
  ResultPageData p;
  p.title = tr("N-balance");
  p.columns = QStringList{tr("year"),
                          tr("uptake"),
                          tr("fertilizer", "N-balance column"),
                          tr("mineralisation"),
                          tr("deposition", "N-balance column"),
                          tr("div. sources"),
                          tr("saldo", "N-balance column"),
                          tr("crop")};
  p.chart.title = result_choices(ResultKind::NBalance).value(choice);
  p.chart.xTitle = tr("Year");
  p.chart.yTitle = tr("N [kg/ha]");
  return p;
}

ResultPageData nBalancePage(trb::db::Database& db, qlonglong key, int choice) {
  ResultPageData p = nBalanceFrame(choice);
  // nmin_saldo holds years only after the balance of a single plot
  if (!db.hasColumn(QStringLiteral("nmin_saldo"), QStringLiteral("year"))) return p;
  // one row per harvest, with the crop's name; only the rows of this plot
  p.rows = readRows(db, QStringLiteral(R"sql(
 SELECT nmin_saldo.year, nmin_saldo.n_pflanze_out, nmin_saldo.n_mindg_inp, nmin_saldo.n_mos_inp, nmin_saldo.n_depos_inp,
 (n_leg_inp+N_asym_inp+n_saat_inp) AS n_div_inp, nmin_saldo.saldo_nmin_soil, slvpflan.NAME
 FROM (nmin_saldo INNER JOIN cultivation ON (nmin_saldo.year = cultivation.year) AND (nmin_saldo.FL_ID = cultivation.FL_ID))
 INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX WHERE (((cultivation.Macode) In (2,9)))
 AND nmin_saldo.FL_ID=?
 ORDER BY nmin_saldo.year)sql"),
                    kNBalanceFields, {key});
  p.chart.simulated =
      curve(p.rows, 0, int(kNBalanceFields.indexOf(kNBalanceChoiceFields.value(choice))));
  fitAxes(p.chart);
  return p;
}

// --- misc.results --------------------------------------------------------------------------------

const QStringList kMiscFields = {QStringLiteral("year"),  QStringLiteral("n_m_om"),
                                 QStringLiteral("n_ops"), QStringLiteral("C_ops"),
                                 QStringLiteral("c_som"), QStringLiteral("n_org"),
                                 QStringLiteral("n_som"), QStringLiteral("cnr"),
                                 QStringLiteral("crep"),  QStringLiteral("bat")};
const QStringList kMiscChoiceFields = {
    QStringLiteral("n_m_om"), QStringLiteral("n_ops"), QStringLiteral("C_ops"),
    QStringLiteral("c_som"),  QStringLiteral("cnr"),   QStringLiteral("n_org"),
    QStringLiteral("n_som"),  QStringLiteral("crep"),  QStringLiteral("bat")};

ResultPageData miscFrame(int choice) {
  ResultPageData p;
  p.title = tr("misc.results");
  p.columns = kMiscFields;
  p.chart.title = result_choices(ResultKind::MiscResults).value(choice);
  p.chart.xTitle = tr("Year");
  p.chart.yTitle = p.chart.title;
  return p;
}

ResultPageData miscPage(trb::db::Database& db, qlonglong key, int choice) {
  ResultPageData p = miscFrame(choice);
  const QString field = kMiscChoiceFields.value(choice);
  if (!db.hasTable(QStringLiteral("trb_nresult"))) return p;
  p.rows = readRows(db, QStringLiteral(R"sql(
select [year],int(100*n_m_om)/100 as n_m_om, int(100*n_ops)/100 as n_ops,
int(100*C_ops)/100 as C_ops,int(100*c_som)/100 as c_som, int(n_org*100)/100 as n_org,
int(100*n_som)/100 as n_som,int(100*c_som/n_org)/100 as cnr,
int(100*c_rep)/100 as crep, int(100*bat)/100 as bat from trb_nresult
where  fl_id=? order by [year])sql"),
                    kMiscFields, {key});
  p.chart.simulated = curve(p.rows, 0, int(kMiscFields.indexOf(field)));
  if (!p.chart.simulated.isEmpty()) {
    long double sum = 0;
    double lo = 99999999, hi = -9999999;
    for (const QPointF& pt : p.chart.simulated) {
      sum += pt.y();
      if (pt.y() <= lo) lo = pt.y();
      if (pt.y() >= hi) hi = pt.y();
    }
    p.statistics << QStringLiteral("Mean=") + fmt_general(sum / p.chart.simulated.size())
                 << QStringLiteral("Min=") + fmt_general(lo)
                 << QStringLiteral("Max=") + fmt_general(hi);
  }
  if (field == u"n_som") {
    // the measured soil nitrogen as points beside the line
    QList<QPointF> measured;
    QSqlQuery q = db.query(QStringLiteral(R"sql(
select [year],meas_value from measurements where m_ix=0 and fl_id=? order by [year])sql"),
                           {key});
    while (q.next()) measured << QPointF(q.value(0).toDouble(), q.value(1).toDouble());
    if (!measured.isEmpty()) p.chart.observed << measured;
  }
  fitAxes(p.chart);
  return p;
}

}  // namespace

QStringList result_choices(ResultKind kind) {
  switch (kind) {
    case ResultKind::Turnover:
      return {tr("SOM - reproduction"), tr("SOM - decomposition"), tr("total C loss "),
              tr("total C in soil"), tr("SOM saldo")};
    case ResultKind::NBalance:
      return {tr("saldo", "N-balance choice"),
              tr("SOM- mineralisation"),
              tr("fertilizer", "N-balance choice"),
              tr("deposition", "N-balance choice"),
              tr("other sources"),
              tr("crop uptake")};
    case ResultKind::MiscResults:
      return {QStringLiteral("N-mineralisation kg/ha/a"),
              QStringLiteral("N in OPS kg/ha"),
              QStringLiteral("C in OPS kg/ha"),
              QStringLiteral("C in SOM kg/ha"),
              QStringLiteral("CNR"),
              QStringLiteral("N_org"),
              QStringLiteral("N_som"),
              QStringLiteral("C_rep"),
              QStringLiteral("BAT")};
    default:
      return {};
  }
}

ResultPageData result_page_frame(ResultKind kind, int choice) {
  if (choice < 0 || choice >= result_choices(kind).size()) choice = 0;
  switch (kind) {
    case ResultKind::Carbon:
      return comparisonPage(tr("C-dynamics"), tr("Corg [%]"));
    case ResultKind::Nitrogen:
      return comparisonPage(tr("N-dynamics"), tr("Norg [%]"));
    case ResultKind::MicrobialBiomass: {
      ResultPageData p = comparisonPage(tr("micr.BM"), tr("Cmic [ppm]"));
      p.chart.title = tr("dynamics of microbial Biomass");
      return p;
    }
    case ResultKind::Turnover:
      return turnoverFrame(choice);
    case ResultKind::NBalance:
      return nBalanceFrame(choice);
    case ResultKind::MiscResults:
      return miscFrame(choice);
  }
  return {};
}

ComparisonPages read_comparison_pages(trb::db::Database& db, qlonglong plotKey) {
  ComparisonPages pages;
  pages.carbon = result_page_frame(ResultKind::Carbon);
  pages.nitrogen = result_page_frame(ResultKind::Nitrogen);
  pages.microbial = result_page_frame(ResultKind::MicrobialBiomass);
  if (!db.hasTable(QStringLiteral("rs_table")) || !db.hasTable(QStringLiteral("trb_nresult")))
    return pages;

  StatSets sets;
  result_auswertung(db, sets, QString::number(plotKey), false, 0);
  const auto fill = [](ResultPageData& p, const Tstat_set& set) {
    p.statistics = set.lines();
    p.chart = [&] {
      ChartData c = chartOf(set);
      c.title = p.chart.title;
      c.xTitle = p.chart.xTitle;
      c.yTitle = p.chart.yTitle;
      return c;
    }();
  };
  fill(pages.carbon, sets.corg);
  fill(pages.nitrogen, sets.nt);
  fill(pages.microbial, sets.mic);

  const QStringList fields = {QStringLiteral("year_num"), QStringLiteral("year_"),
                              QStringLiteral("meas_value"), QStringLiteral("sim_value")};
  pages.carbon.rows = readRows(
      db,
      QStringLiteral(" select * from rs_table where abs(m_ix)=7 and  fl_id=? order by year_num"),
      fields, {plotKey});
  const QStringList measured = {QStringLiteral("year_number"), QStringLiteral("year_"),
                                QStringLiteral("meas_value"), QStringLiteral("sim_value")};
  pages.nitrogen.rows = readRows(db, measurementPairs(true), measured, {plotKey});
  pages.microbial.rows = readRows(db, measurementPairs(false), measured, {plotKey});
  return pages;
}

ResultPageData read_result_page(trb::db::Database& db, qlonglong plotKey, ResultKind kind,
                                int choice) {
  if (choice < 0 || choice >= result_choices(kind).size()) choice = 0;
  switch (kind) {
    case ResultKind::Carbon:
      return read_comparison_pages(db, plotKey).carbon;
    case ResultKind::Nitrogen:
      return read_comparison_pages(db, plotKey).nitrogen;
    case ResultKind::MicrobialBiomass:
      return read_comparison_pages(db, plotKey).microbial;
    case ResultKind::Turnover:
      return turnoverPage(db, plotKey, choice);
    case ResultKind::NBalance:
      return nBalancePage(db, plotKey, choice);
    case ResultKind::MiscResults:
      return miscPage(db, plotKey, choice);
  }
  return {};
}

std::optional<double> mean_bat(trb::db::Database& db, qlonglong plotKey) {
  if (!db.hasTable(QStringLiteral("tmp_bat"))) return std::nullopt;
  QSqlQuery q = db.query(QStringLiteral(R"sql(
 SELECT [FL_ID], sum([BAT])/count([BAT]) AS M_BAT
 FROM tmp_bat WHERE [FL_ID]=? GROUP BY [FL_ID] )sql"),
                         {plotKey});
  if (!q.next() || q.value(1).isNull()) return std::nullopt;
  return round_to(q.value(1).toDouble(), 1);
}

QString store_mean_bat(trb::db::Database& db, qlonglong plotKey) {
  const std::optional<double> bat = mean_bat(db, plotKey);
  if (!bat) return QStringLiteral("?");
  db.execute(QStringLiteral("update  field_description   set  mw_bat=? where fl_id=?"),
             {*bat, plotKey});
  return fmt_general(*bat);
}

}  // namespace trb::evaluation
