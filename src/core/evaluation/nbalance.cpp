#include "core/evaluation/nbalance.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "core/db/database.h"
#include "core/db/numbers.h"

namespace trb::evaluation {

namespace {

double number(const QString& text, const char* field) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok)
    throw std::invalid_argument(QStringLiteral("The %1 \"%2\" is not a number.")
                                    .arg(QLatin1String(field), text)
                                    .toStdString());
  return v;
}

struct Station {
  qlonglong climate_id = 0;
  int ajahr = 0, ejahr = 0, year0_nd = 0, year1_nd = 0;
  double ndep_0 = 0, ndep_1 = 0;
};

}  // namespace

NBalanceFilter NBalanceFilter::parse(const QString& first, const QString& last, const QString& low,
                                     const QString& high) {
  NBalanceFilter f;
  f.first_year = number(first, "first year");
  f.last_year = number(last, "last year");
  f.ndng_low = number(low, "lower bound of the mineral N input");
  f.ndng_high = number(high, "upper bound of the mineral N input");
  return f;
}

void prepare_ndeposit(trb::db::Database& db) {
  trb::Feedback silent;
  prepare_ndeposit(db, silent);
}

void prepare_ndeposit(trb::db::Database& db, trb::Feedback& feedback) {
  // Each plot's first initial measurement and last harvest are found first, so that the
  // stations' range is taken over the plots rather than over every pair of their records.
  QSqlQuery q = db.query(QStringLiteral(R"sql(
SELECT climate_station.climate_ID, climate_station.station, Min(plot_first.ajahr) AS ajahr,
Max(plot_last.ejahr) AS ejahr, climate_station.year0_nd, climate_station.year1_nd,
climate_station.ndep_0, climate_station.ndep_1
FROM ((field_description INNER JOIN climate_station ON field_description.climate_ID =
climate_station.climate_ID)
INNER JOIN (SELECT measurements.FL_ID, Min(measurements.year) AS ajahr FROM measurements
WHERE measurements.year_number=0 GROUP BY measurements.FL_ID) AS plot_first
ON field_description.FL_ID = plot_first.FL_ID)
INNER JOIN (SELECT cultivation.FL_ID, Max(cultivation.year) AS ejahr FROM cultivation
WHERE cultivation.Macode In (2,9) GROUP BY cultivation.FL_ID) AS plot_last
ON field_description.FL_ID = plot_last.FL_ID
GROUP BY climate_station.climate_ID, climate_station.station, climate_station.year0_nd,
climate_station.year1_nd, climate_station.ndep_0, climate_station.ndep_1
)sql"));
  std::vector<Station> stations;
  while (q.next()) {
    Station s;
    s.climate_id = q.value(QStringLiteral("climate_ID")).toLongLong();
    s.ajahr = q.value(QStringLiteral("ajahr")).toInt();
    s.ejahr = q.value(QStringLiteral("ejahr")).toInt();
    s.year0_nd = q.value(QStringLiteral("year0_nd")).toInt();
    s.year1_nd = q.value(QStringLiteral("year1_nd")).toInt();
    s.ndep_0 = q.value(QStringLiteral("ndep_0")).toDouble();
    s.ndep_1 = q.value(QStringLiteral("ndep_1")).toDouble();
    stations.push_back(s);
  }
  q.finish();

  trb::db::Transaction tx(db);
  db.execute(QStringLiteral(" delete from tmp_ndeposit"));
  trb::db::Statement ins(
      db, QStringLiteral("INSERT INTO tmp_ndeposit (climate_id, year, n_dep_y) VALUES (?, ?, ?)"));
  const int count = int(stations.size());
  for (int i = 0; i < count; ++i) {
    const Station& s = stations[size_t(i)];
    for (int y = s.ajahr; y <= s.ejahr; ++y) ins.exec({s.climate_id, y, -99.9});
    feedback.setProgress(i + 1, count);
  }
  db.execute(QStringLiteral("UPDATE tmp_ndeposit INNER JOIN reg_ndeposit  ") +
             QStringLiteral(" ON (reg_ndeposit.climate_id = tmp_ndeposit.climate_id) ") +
             QStringLiteral(" SET tmp_ndeposit.N_dep_y =  reg_ndeposit.N_dep_y  where "
                            "reg_ndeposit.year=0"));
  db.execute(QStringLiteral(R"sql(
UPDATE tmp_ndeposit INNER JOIN reg_ndeposit  ON (reg_ndeposit.year
= tmp_ndeposit.year) )sql") +
             QStringLiteral(" AND (reg_ndeposit.climate_id = tmp_ndeposit.climate_id) ") +
             QStringLiteral(" SET tmp_ndeposit.N_dep_y =  reg_ndeposit.N_dep_y "));

  // the historic course: constant up to the basic year, then linear up to the final year
  trb::db::Statement upd(
      db, QStringLiteral("UPDATE tmp_ndeposit SET n_dep_y = ? WHERE climate_id = ? AND year = ?"));
  for (const Station& s : stations) {
    if (s.year1_nd - s.year0_nd <= 0) continue;
    const double slope = (s.ndep_1 - s.ndep_0) / (s.year1_nd - s.year0_nd);
    for (int y = s.ajahr; y <= s.year1_nd; ++y) {
      const double v = y <= s.year0_nd ? s.ndep_0 : s.ndep_0 + (y - s.year0_nd) * slope;
      upd.exec({v, s.climate_id, y});
    }
  }
  tx.commit();
}

namespace {

// A plot and year, the key every term of the balance is joined on. Plot keys and years are
// whole numbers; they are compared as numbers, as their text key (Str(FL_ID)+"_"+Str(year))
// compares them.
struct PlotYear {
  double plot = 0, year = 0;
  bool operator==(const PlotYear& o) const { return plot == o.plot && year == o.year; }
  bool operator<(const PlotYear& o) const {
    return plot < o.plot || (plot == o.plot && year < o.year);
  }
};

// One term of a plot-year as its work table holds it: a number or empty (NULL).
struct Term {
  bool empty = false;
  double value = 0;
};

// The terms of one work table by plot-year, looked up for the balance's rows one after the
// other. The rows come, and are looked up, in the order of plot and year, so a lookup mostly
// steps on by one; any other order is searched.
class TermColumn {
 public:
  // Reads the (FL_ID, year, value) rows of a query; a plot-year joins its first row, a row with an
  // empty key joins none.
  void read(trb::db::Database& db, const QString& sql) {
    trb::db::Reader q(db, sql);
    bool sorted = true;
    while (q.next()) {
      if (q.isNull(0) || q.isNull(1)) continue;
      const PlotYear key{q.toDouble(0), q.toDouble(1)};
      sorted = sorted && (rows_.empty() || !(key < rows_.back().key));
      rows_.push_back({key, Term{q.isNull(2), q.toDouble(2)}});
    }
    if (!sorted)
      std::stable_sort(rows_.begin(), rows_.end(),
                       [](const Row& a, const Row& b) { return a.key < b.key; });
  }

  // The term of a plot-year, or nullptr when the work table has no row for it.
  const Term* find(const PlotYear& key) {
    const auto before = [](const Row& r, const PlotYear& k) { return r.key < k; };
    if (key < last_) {
      pos_ = size_t(std::lower_bound(rows_.begin(), rows_.end(), key, before) - rows_.begin());
    } else if (pos_ < rows_.size() && rows_[pos_].key < key) {
      ++pos_;
      if (pos_ < rows_.size() && rows_[pos_].key < key)
        pos_ = size_t(std::lower_bound(rows_.begin() + qsizetype(pos_), rows_.end(), key, before) -
                      rows_.begin());
    }
    last_ = key;
    return pos_ < rows_.size() && rows_[pos_].key == key ? &rows_[pos_].term : nullptr;
  }

 private:
  struct Row {
    PlotYear key;
    Term term;
  };
  std::vector<Row> rows_;
  size_t pos_ = 0;
  PlotYear last_{-std::numeric_limits<double>::infinity(), 0};
};

// What every step of a balance run knows: the database, the plot restriction and the filters,
// and the terms gathered from the work tables until they are written into trb_n_bilanz.
struct BalanceRun {
  trb::db::Database& db;
  bool all = true;
  QString onePlot;        // the plot restriction after a WHERE clause ...
  QVariantList plotBind;  // ... and its value
  QString where;          // the plot restriction as a WHERE clause
  // the filters: typed bounds for all plots, the whole range for one plot
  QString years, having;
  QVariantList yearBinds, rangeBinds;
  trb::Feedback& feedback;
  TermColumn dng = {}, entz = {}, saat = {}, ewr = {}, orgd = {}, kopp = {}, bindung = {};
  // the plots' climate stations and the stations' deposition above 0 by year
  QHash<double, QList<double>> stationsOfPlot = {};
  QHash<QPair<double, double>, double> deposition = {};

  void exec(const QString& sql, const QVariantList& binds = {}) { db.execute(sql, binds); }
};

// The value a term writes: 0 without a row, else the work table's value (the write rounds it).
QVariant written(const Term* t) {
  if (!t) return qlonglong(0);
  if (t->empty) return QVariant();
  return t->value;
}

// The deposition per station and year (tmp_ndeposit).
void deposition(BalanceRun& r) {
  prepare_ndeposit(r.db, r.feedback);
}

// The balance table (trb_n_bilanz), made empty here with the columns of its make-table query;
// its rows, one per plot and simulated year, are written once every term is known.
void balance_table(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("trb_n_bilanz"));
  r.exec(QStringLiteral(R"sql(
SELECT FL_ID, year, N_m_om, 0 as N_Org_inp, 0 as N_kop_inp,  0 as N_EWR, 0 as
N_SAAT, 
 0 AS n_dng, 0 AS n_entz, 0 AS n_bindung, 0 as n_deposition, 0 as asym_nbind,
str(FL_ID)+"_"+str( year) as idx  INTO trb_n_bilanz 
 FROM trb_nresult WHERE 1=0
)sql"));
}

// Mineral fertiliser N per plot and year (nbil_n_dng), gathered for the balance.
void mineral_fertiliser(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nbil_n_dng"));
  r.exec(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year, Sum(cultivation.Quantity) AS
N_dng , 
Str(cultivation.FL_ID)+"_"+Str(cultivation.year) AS idx INTO nbil_n_dng
FROM cultivation 
WHERE (((cultivation.Macode) = 4))   )sql") +
             r.onePlot + QStringLiteral("  GROUP BY cultivation.FL_ID, cultivation.year "),
         r.plotBind);
  r.dng.read(r.db, QStringLiteral("SELECT FL_ID, year, n_dng FROM nbil_n_dng"));
}

// N taken off with the harvest (nbil_n_entzug).
void crop_uptake(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nbil_n_entzug"));
  r.exec(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year, 
Sum([cultivation].[Quantity]*[slvpflan].[N_GEHALT]) AS n_entz, 
Str(cultivation.FL_ID)+"_"+Str(cultivation.year) AS idx INTO
nbil_n_entzug 
FROM cultivation INNER JOIN slvpflan ON cultivation.Item_IX =
slvpflan.ITEM_IX 
WHERE (((cultivation.Macode) In (2,9)))  )sql") +
             r.onePlot + QStringLiteral("GROUP BY cultivation.FL_ID, cultivation.year  "),
         r.plotBind);
}

// N of the seed, spread over its years of use (nbil_n_saat).
void seed(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nbil_n_saat"));
  r.exec(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year, 
sum( n_saat_imp.menge*n_saat_imp.n_gehalt/(100*n_saat_imp.nutzungsjahre))
as N_SAAT,
Str(cultivation.FL_ID)+"_"+Str(cultivation.year) AS idx INTO
nbil_n_saat 
FROM cultivation INNER JOIN n_saat_imp ON cultivation.Item_IX =
n_saat_imp.ITEM_IX 
WHERE (((cultivation.Macode) In (2,9)))  )sql") +
             r.onePlot + QStringLiteral("GROUP BY cultivation.FL_ID, cultivation.year  "),
         r.plotBind);
}

// N of harvest and root residues (nbil_ewr).
void residues(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nbil_ewr"));
  r.exec(QStringLiteral(R"sql(
 SELECT cultivation.FL_ID, cultivation.year, slvpflan.ITEM_IX ,
Str(cultivation.FL_ID)+"_"+Str(cultivation.year) AS idx ,
  ([cultivation].[Sim_Quantity]*[SLVPFLAN].[FEWR]+[SLVPFLAN].[CEWR]) AS
N_ewr INTO nbil_ewr
  FROM cultivation INNER JOIN slvpflan 
   ON cultivation.Item_IX = slvpflan.ITEM_IX 
  WHERE  (((cultivation.Macode)=2 Or (cultivation.Macode)=9)))sql") +
             r.onePlot,
         r.plotBind);
}

// N of organic amendments (nbil_orgd), gathered for the balance.
void organic_amendments(BalanceRun& r) {
  // nbil_orgd and nbil_kopp keep one row per record; the balance takes the sum of a plot-year,
  // so that a second application in the same year is not lost
  r.db.dropTable(QStringLiteral("nbil_orgd"));
  r.exec(QStringLiteral(R"sql(
 SELECT cultivation.FL_ID, cultivation.year  ,
slvopspa.item_ix,Str(cultivation.FL_ID)+"_"+Str(cultivation.year) AS idx
, 
 cultivation.Quantity*100*slvopspa.ts_gehalt*slvopspa.c_geh_ts/
slvopspa.cnr_alt AS N_orgd into nbil_orgd
 FROM (cultivation INNER JOIN slvopspa ON cultivation.Item_IX =
slvopspa.item_ix)
   WHERE (((cultivation.Macode)=3)) )sql") +
             r.onePlot,
         r.plotBind);
  r.orgd.read(r.db, QStringLiteral(R"sql(
SELECT FL_ID, year, Sum(n_orgd) AS n_orgd FROM nbil_orgd
GROUP BY FL_ID, year
)sql"));
}

// N of by-products left on the field (nbil_kopp), gathered for the balance.
void by_products(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nbil_kopp"));
  r.exec(QStringLiteral(R"sql(
 SELECT cultivation.FL_ID, cultivation.year , cultivation.Macode,
Str(cultivation.FL_ID)+"_"+Str(cultivation.year) AS idx,
 slvpflan.ITEM_IX,
cultivation.Quantity*SLVPFLAN.HI*SLVOPSPA.TS_GEHALT*SLVOPSPA.C_GEH_TS*100/
slvopspa.cnr_alt AS N_kopp
into nbil_kopp FROM (cultivation INNER JOIN (slvpflan INNER JOIN slvopspa
ON slvpflan.kop_ix = slvopspa.item_ix)
 ON cultivation.Item_IX = slvpflan.ITEM_IX )   
   WHERE  cultivation.Macode=9 and slvopspa.cnr_alt>0)sql") +
             r.onePlot,
         r.plotBind);
  r.kopp.read(r.db, QStringLiteral(R"sql(
SELECT FL_ID, year, Sum(n_kopp) AS n_kopp FROM nbil_kopp
GROUP BY FL_ID, year
)sql"));
}

// Seed N for the balance, rounded.
void seed_into_balance(BalanceRun& r) {
  r.saat.read(r.db,
              QStringLiteral("SELECT FL_ID, year, int(n_saat+0.5) AS n_saat FROM nbil_n_saat"));
}

// Harvest N for the balance.
void uptake_into_balance(BalanceRun& r) {
  r.entz.read(r.db, QStringLiteral("SELECT FL_ID, year, n_entz FROM nbil_n_entzug"));
}

// Residue N for the balance: the sum of a plot-year's harvests.
void residues_into_balance(BalanceRun& r) {
  r.ewr.read(r.db, QStringLiteral(R"sql(
SELECT FL_ID, year, Sum(n_ewr) AS n_ewr FROM nbil_ewr
GROUP BY FL_ID, year
)sql"));
}

// Symbiotic fixation of legumes (nbil_nleg), gathered for the balance.
void legume_fixation(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nbil_nleg"));
  r.exec(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year, 
Sum([cultivation].[Quantity]*[leg_parm].[faktor]+[leg_parm].[konstante])AS
N_bindung , 
Str(cultivation.FL_ID)+"_"+Str(cultivation.year) AS idx INTO nbil_nleg 
FROM (cultivation INNER JOIN leg_parm ON cultivation.Item_IX =
leg_parm.item_ix) 
INNER JOIN slvpflan ON leg_parm.item_ix = slvpflan.ITEM_IX WHERE
(((cultivation.Macode) In (2,9)))  )sql") +
             r.onePlot + QStringLiteral(" GROUP BY cultivation.FL_ID, cultivation.year  "),
         r.plotBind);
  r.exec(QStringLiteral("UPDATE nbil_nleg set n_bindung=0 where nbil_nleg.n_bindung<0  "));
  r.bindung.read(r.db, QStringLiteral("SELECT FL_ID, year, n_bindung FROM nbil_nleg"));
}

// The deposition of the plots' stations for the balance: values of 0 and the -99.9 of a
// station without data are not taken.
void deposition_into_balance(BalanceRun& r) {
  trb::db::Reader plots(r.db, QStringLiteral("SELECT FL_ID, climate_ID FROM field_description"));
  while (plots.next())
    if (!plots.isNull(0) && !plots.isNull(1))
      r.stationsOfPlot[plots.toDouble(0)].append(plots.toDouble(1));
  trb::db::Reader dep(r.db, QStringLiteral(R"sql(
SELECT climate_id, year, n_dep_y FROM tmp_ndeposit
WHERE n_dep_y>0
)sql"));
  while (dep.next())
    if (!dep.isNull(0) && !dep.isNull(1))
      if (!r.deposition.contains({dep.toDouble(0), dep.toDouble(1)}))
        r.deposition.insert({dep.toDouble(0), dep.toDouble(1)}, dep.toDouble(2));
}

// The rows of trb_n_bilanz, one per row of trb_nresult in the order its make-table query reads
// them, with every gathered term and the asymbiotic fixation: 5 with mineral fertiliser, 10
// without. The terms are written as the join updates of the balance table would write them:
// each rounded into its whole-number column, the by-products added to the rounded organic
// amendments.
void write_balance(BalanceRun& r) {
  trb::db::Reader q(r.db, QStringLiteral("SELECT FL_ID, year, N_m_om FROM trb_nresult") + r.where,
                    r.plotBind);
  // rows go in ten at a time: one statement per row would cost more than the row
  const auto insert = [&r](int rows) {
    QString sql = QStringLiteral(R"sql(
INSERT INTO trb_n_bilanz (FL_ID, year, N_m_om, N_Org_inp, N_kop_inp, N_EWR, N_SAAT, n_dng,
n_entz, n_bindung, n_deposition, asym_nbind, idx)
VALUES )sql");
    for (int i = 0; i < rows; ++i)
      sql += QStringLiteral(R"sql(%1(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, str(?)+"_"+str(?)))sql")
                 .arg(i ? QStringLiteral(", ") : QString());
    return std::make_unique<trb::db::Statement>(r.db, sql);
  };
  constexpr int kBatch = 10, kValues = 14;
  const auto batch = insert(kBatch);
  const auto single = insert(1);
  QVariantList values;
  values.reserve(kBatch * kValues);
  double stationsFor = std::numeric_limits<double>::quiet_NaN();
  QList<double> stations;
  while (q.next()) {
    const bool keyed = !q.isNull(0) && !q.isNull(1);
    const PlotYear key{q.toDouble(0), q.toDouble(1)};
    const Term* none = nullptr;
    const Term* dng = keyed ? r.dng.find(key) : none;
    const Term* orgd = keyed ? r.orgd.find(key) : none;
    const Term* kopp = keyed ? r.kopp.find(key) : none;

    // the by-products add to the organic amendments as they were rounded into their column
    QVariant org = written(orgd);
    if (kopp && (kopp->empty || (orgd && orgd->empty)))
      org = QVariant();
    else if (kopp)
      org = (orgd ? trb::round_half_even(orgd->value) : 0.0) + kopp->value;

    // the asymbiotic fixation follows the rounded mineral fertiliser N; an empty one gets none
    qlonglong asym = 10;
    if (dng && dng->empty) {
      asym = 0;
    } else if (dng) {
      const double rounded = trb::round_half_even(dng->value);
      asym = rounded > 0 ? 5 : rounded == 0 ? 10 : 0;
    }

    QVariant dep = qlonglong(0);
    if (keyed) {
      if (!(key.plot == stationsFor)) {
        stationsFor = key.plot;
        stations = r.stationsOfPlot.value(key.plot);
      }
      for (double station : std::as_const(stations)) {
        const auto d = r.deposition.constFind({station, key.year});
        if (d == r.deposition.cend()) continue;
        dep = *d;
        break;
      }
    }

    const QVariant plot = q.value(0), year = q.value(1);
    values << plot << year << q.value(2) << org << written(kopp)
           << written(keyed ? r.ewr.find(key) : none) << written(keyed ? r.saat.find(key) : none)
           << written(dng) << written(keyed ? r.entz.find(key) : none)
           << written(keyed ? r.bindung.find(key) : none) << dep << asym << plot << year;
    if (values.size() == kBatch * kValues) {
      batch->exec(values);
      values.clear();
    }
  }
  for (qsizetype i = 0; i < values.size(); i += kValues) single->exec(values.mid(i, kValues));
}

// The means per plot over the chosen years (nbil_avg), filtered by the mean mineral fertiliser N:
// every mean the summaries take, each computed once, so that the three summaries read 10,000
// rows instead of half a million. The work table lives for the run only.
void plot_means(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nbil_avg"));
  r.exec(QStringLiteral(R"sql(
SELECT FL_ID, avg(n_dng) AS n_dng, avg(n_org_inp) AS n_org_inp, avg(n_ewr) AS n_ewr,
avg(n_entz) AS n_entz, avg(N_m_om) AS N_m_om, avg(n_bindung) AS n_bindung,
avg(asym_nbind) AS asym_nbind, avg(n_deposition) AS n_deposition, avg(n_saat) AS n_saat,
avg(n_bindung+asym_nbind+n_deposition+n_saat) AS n_gratis,
avg(N_m_om   +n_dng+n_bindung+n_deposition+asym_nbind+n_saat) AS n_soil_in,
avg(n_entz+n_ewr) AS n_entz_ewr, avg(n_ewr + n_entz) AS n_ewr_entz,
avg(n_org_inp+n_dng+n_bindung+n_deposition+asym_nbind+n_saat) AS n_plot_in,
avg(n_entz-n_kop_inp) AS n_abfuhr, count(fl_id) AS anz
INTO nbil_avg FROM trb_n_bilanz )sql") +
             r.years + r.onePlot + QStringLiteral(" GROUP BY trb_n_bilanz.FL_ID ") + r.having,
         r.yearBinds + r.plotBind + r.rangeBinds);
}

// The summary per plot (trb_nsaldo), filtered.
void plot_summary(BalanceRun& r) {
  plot_means(r);
  r.db.dropTable(QStringLiteral("trb_nsaldo"));
  r.exec(QStringLiteral(R"sql(
SELECT FL_ID, n_dng as n_mindg_inp, n_org_inp as n_orgdg_inp, n_ewr as n_ewr_upt,
n_entz as n_HUKP_upt, N_m_om as n_mos_inp, n_bindung as n_leg_inp, asym_nbind as n_asym_inp,
n_deposition as n_depos_inp, n_saat as n_saat_inp, n_gratis as N_gratis,
n_soil_in - n_entz_ewr AS n_saldo_soil, n_plot_in - n_entz AS n_saldo_plot
INTO trb_nsaldo FROM nbil_avg
)sql"));
}

// The mineral N summary (nmin_saldo): per year for one plot, per plot for all.
void mineral_n_summary(BalanceRun& r) {
  r.db.dropTable(QStringLiteral("nmin_saldo"));
  if (!r.all) {
    r.exec(QStringLiteral(R"sql(
 SELECT FL_ID, int(10* sum(n_ewr + n_entz))/10 as n_pflanze_out,int(10*
sum(n_dng))/10 as n_mindg_inp,
 trb_n_bilanz.year,
 int(10*sum(N_m_om))/10 as n_mos_inp, int(10*sum(n_bindung))/10 as n_leg_inp,
int(10*sum(asym_nbind))/10 as n_asym_inp,
 int(10*sum(n_deposition))/10 as n_depos_inp, int(10* sum(n_saat))/10 as
n_saat_inp,
 int(10*(sum(N_m_om  +n_dng+n_bindung+n_deposition+asym_nbind+n_saat) -
sum(n_entz+n_ewr)))/10 AS saldo_nmin_soil, count(fl_id) as anz 
 INTO nmin_saldo FROM trb_n_bilanz  )sql") +
               r.years + r.onePlot +
               QStringLiteral(" group by trb_n_bilanz.year,trb_n_bilanz.FL_ID  "),
           r.yearBinds + r.plotBind);
  } else {
    r.exec(QStringLiteral(R"sql(
SELECT FL_ID, int(10*n_ewr_entz)/10 as n_pflanze_out, int(10*n_dng)/10 as n_mindg_inp,
int(10*N_m_om)/10 as n_mos_inp, int(10*n_bindung)/10 as n_leg_inp,
int(10*asym_nbind)/10 as n_asym_inp, int(10*n_deposition)/10 as n_depos_inp,
int(10*n_saat)/10 as n_saat_inp, int(10*(n_soil_in - n_entz_ewr))/10 AS saldo_nmin_soil, anz
INTO nmin_saldo FROM nbil_avg
)sql"));
  }
}

// The total N summary of all plots (NT_saldo).
void total_n_summary(BalanceRun& r) {
  if (r.all) {
    r.db.dropTable(QStringLiteral("NT_saldo"));
    r.exec(QStringLiteral(R"sql(
SELECT FL_ID, int(10*n_abfuhr)/10 as n_abfuhr, int(10*n_dng)/10 as n_mindg_inp,
int(10*n_org_inp)/10 as n_orgdg_inp, int(10*n_bindung)/10 as n_leg_inp,
int(10*asym_nbind)/10 as n_asym_inp, int(10*n_deposition)/10 as n_depos_inp,
int(10*n_saat)/10 as n_saat_inp, int(10*(n_plot_in - n_entz))/10 AS n_saldo_plot
INTO NT_saldo FROM nbil_avg
)sql"));
  }
  r.db.dropTable(QStringLiteral("nbil_avg"));
}

struct BalanceStep {
  const char* name;
  void (*run)(BalanceRun&);
};

// The steps in the order they run; each is one position of the progress.
const BalanceStep kSteps[] = {
    {"deposition", deposition},
    {"balance_table", balance_table},
    {"mineral_fertiliser", mineral_fertiliser},
    {"crop_uptake", crop_uptake},
    {"seed", seed},
    {"residues", residues},
    {"organic_amendments", organic_amendments},
    {"by_products", by_products},
    {"seed_into_balance", seed_into_balance},
    {"uptake_into_balance", uptake_into_balance},
    {"residues_into_balance", residues_into_balance},
    {"legume_fixation", legume_fixation},
    {"deposition_into_balance", deposition_into_balance},
    {"write_balance", write_balance},
    {"plot_summary", plot_summary},
    {"mineral_n_summary", mineral_n_summary},
    {"total_n_summary", total_n_summary},
};
static_assert(std::size(kSteps) == kBalanceSteps);

}  // namespace

void do_balance(trb::db::Database& db, const QString& id, const NBalanceFilter& filter) {
  trb::Feedback silent;
  do_balance(db, id, filter, silent);
}

void do_balance(trb::db::Database& db, const QString& id, const NBalanceFilter& filter,
                trb::Feedback& feedback) {
  const bool all = id.trimmed() == u"*";
  qlonglong plot = 0;
  if (!all) {
    bool ok = false;
    plot = id.trimmed().toLongLong(&ok);
    if (!ok)
      throw std::invalid_argument(
          QStringLiteral("\"%1\" is neither \"*\" nor a plot key.").arg(id).toStdString());
  }
  trb::MultiStepFeedback steps(kBalanceSteps, feedback);
  BalanceRun r{db, all, {}, {}, {}, {}, {}, {}, {}, steps};
  if (!all) {
    r.onePlot = QStringLiteral(" and FL_ID=?");
    r.plotBind = {plot};
    r.where = QStringLiteral(" where FL_ID=?");
  }
  const NBalanceFilter f = all ? filter : NBalanceFilter{};
  r.years =
      QStringLiteral(" where trb_n_bilanz.year>=?") + QStringLiteral(" and trb_n_bilanz.year<=?");
  r.having = QStringLiteral(" having avg(trb_n_bilanz.n_dng) >=?") +
             QStringLiteral(" and avg(trb_n_bilanz.n_dng) <=?");
  r.yearBinds = {f.first_year, f.last_year};
  r.rangeBinds = {f.ndng_low, f.ndng_high};

  trb::db::Transaction tx(db);
  for (int k = 0; k < kBalanceSteps; ++k) {
    // a stop leaves the database as it was
    feedback.throwIfCanceled(QStringLiteral("The nitrogen balance was stopped."));
    steps.setCurrentStep(k);
    kSteps[k].run(r);
  }
  steps.setProgress(1, 1);
  tx.commit();
}

QStringList balance_tables() {
  return {QStringLiteral("NMIN_SALDO"), QStringLiteral("NT_SALDO")};
}

trb::transfer::Sheet read_balance_table(trb::db::Database& db, const QString& table) {
  if (!balance_tables().contains(table, Qt::CaseInsensitive))
    throw std::invalid_argument(
        QStringLiteral("\"%1\" is not a table of the nitrogen balance.").arg(table).toStdString());
  trb::transfer::Sheet sheet =
      trb::transfer::sheet_from_query(db, QStringLiteral("  SELECT * from ") + table);
  sheet.name = table;
  return sheet;
}

}  // namespace trb::evaluation
