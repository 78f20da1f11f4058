#include "core/evaluation/nbalance.h"

#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "core/base/error.h"
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

const QString kBalanceCaption = QStringLiteral("TRB N balance");

// Refuses a run that would select nothing, before any table is touched: a plot that is not there
// or has no simulated years, a reversed range, years that meet no simulated year.
void check_selection(trb::db::Database& db, bool all, qlonglong plot, const NBalanceFilter& f) {
  const auto refuse = [](const QString& why) {
    throw trb::Error(why + QStringLiteral(" The balance was not run; its tables are unchanged."),
                     kBalanceCaption);
  };
  if (f.first_year > f.last_year)
    refuse(QStringLiteral("The first year %1 is after the last year %2.")
               .arg(fmt_general(f.first_year), fmt_general(f.last_year)));
  if (f.ndng_low > f.ndng_high)
    refuse(QStringLiteral("The lowest mineral N input %1 is above the highest %2.")
               .arg(fmt_general(f.ndng_low), fmt_general(f.ndng_high)));
  if (!all) {
    if (db.scalar(QStringLiteral("SELECT count(*) FROM field_description WHERE FL_ID=?"), {plot})
            .toLongLong() == 0)
      refuse(QStringLiteral("There is no plot with the key %1.").arg(plot));
    if (db.scalar(QStringLiteral("SELECT count(*) FROM trb_nresult WHERE FL_ID=?"), {plot})
            .toLongLong() == 0)
      refuse(QStringLiteral("Plot %1 has no simulated years; run the simulation for it first.")
                 .arg(plot));
    return;
  }
  if (db.scalar(QStringLiteral("SELECT count(*) FROM trb_nresult")).toLongLong() == 0)
    refuse(QStringLiteral("No plot has simulated years; run the simulation first."));
  if (db.scalar(QStringLiteral("SELECT count(*) FROM trb_nresult WHERE year>=? AND year<=?"),
                {f.first_year, f.last_year})
          .toLongLong() == 0)
    refuse(QStringLiteral("No simulated year lies between %1 and %2.")
               .arg(fmt_general(f.first_year), fmt_general(f.last_year)));
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

  // Reads the (FL_ID, year, value) rows of a query and keeps the sum of each plot-year, as
  // "Sum(value) ... GROUP BY FL_ID, year" would give it: the values added in the order of the
  // rows, empty values left out, empty when there is none. A row with an empty key joins none.
  void readSums(trb::db::Database& db, const QString& sql) {
    read(db, sql);
    size_t out = 0;
    for (size_t i = 0; i < rows_.size();) {
      Row sum{rows_[i].key, Term{true, 0.0}};
      for (; i < rows_.size() && rows_[i].key == sum.key; ++i) {
        const Term& t = rows_[i].term;
        if (t.empty) continue;
        sum.term.value += t.value;
        sum.term.empty = false;
      }
      rows_[out++] = sum;
    }
    rows_.resize(out);
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

class SideTables;

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
  // the work tables a second thread makes beside this run, when there is one
  SideTables* side = nullptr;
  // the legume table is made (with a side, while waiting for it)
  bool legumesMade = false;
  // a new scratch file: there are no old work tables to drop (the name of one would reach the
  // database the scratch file reads from)
  bool scratch = false;

  void exec(const QString& sql, const QVariantList& binds = {}) { db.execute(sql, binds); }
  void dropOld(const QString& table) {
    if (!scratch) db.dropTable(table);
  }
  // With a side: copies its work table in (the first waits for the side) and returns true.
  bool fromSide(const QString& table);
};

// One value of a row of trb_n_bilanz, held until its batch of rows is written.
struct Cell {
  enum Kind { Null, Int, Double, Other } kind = Null;
  qlonglong i = 0;
  double d = 0;
  QVariant other = {};  // a value that is neither a whole nor a real number, as read

  static Cell of(qlonglong v) { return {Int, v}; }
  static Cell of(double v) { return {Double, 0, v}; }
  // A column of trb_nresult, as the reader gives it.
  static Cell read(const trb::db::Reader& q, int column) {
    if (q.isNull(column)) return {};
    QVariant v = q.value(column);
    if (v.typeId() == QMetaType::LongLong) return of(v.toLongLong());
    if (v.typeId() == QMetaType::Double) return of(v.toDouble());
    return {Other, 0, 0, std::move(v)};
  }
  // The value a term writes: 0 without a row, else the work table's value (the write rounds it).
  static Cell term(const Term* t) {
    if (!t) return of(qlonglong(0));
    if (t->empty) return {};
    return of(t->value);
  }

  void bind(trb::db::Statement& st, int pos) const {
    switch (kind) {
      case Null:
        return st.bindNull(pos);
      case Int:
        return st.bindInt(pos, i);
      case Double:
        return st.bindDouble(pos, d);
      case Other:
        return st.bindVariant(pos, other);
    }
  }
};

// The deposition per station and year (tmp_ndeposit).
void deposition(BalanceRun& r) {
  prepare_ndeposit(r.db, r.feedback);
}

// The balance table (trb_n_bilanz), made empty here with the columns of its make-table query;
// its rows, one per plot and simulated year, are written once every term is known.
void balance_table(BalanceRun& r) {
  r.dropOld(QStringLiteral("trb_n_bilanz"));
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
  r.dropOld(QStringLiteral("nbil_n_dng"));
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
  r.dropOld(QStringLiteral("nbil_n_entzug"));
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
  if (r.fromSide(QStringLiteral("nbil_n_saat"))) return;
  r.dropOld(QStringLiteral("nbil_n_saat"));
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
  if (r.fromSide(QStringLiteral("nbil_ewr"))) return;
  r.dropOld(QStringLiteral("nbil_ewr"));
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
  if (r.fromSide(QStringLiteral("nbil_orgd"))) return;
  // nbil_orgd and nbil_kopp keep one row per record; the balance takes the sum of a plot-year,
  // so that a second application in the same year is not lost
  r.dropOld(QStringLiteral("nbil_orgd"));
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
  r.orgd.readSums(r.db, QStringLiteral("SELECT FL_ID, year, n_orgd FROM nbil_orgd"));
}

// N of by-products left on the field (nbil_kopp), gathered for the balance.
void by_products(BalanceRun& r) {
  if (r.fromSide(QStringLiteral("nbil_kopp"))) return;
  r.dropOld(QStringLiteral("nbil_kopp"));
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
  r.kopp.readSums(r.db, QStringLiteral("SELECT FL_ID, year, n_kopp FROM nbil_kopp"));
}

// Seed N for the balance, rounded.
void seed_into_balance(BalanceRun& r) {
  if (r.side) return;  // read by the side
  r.saat.read(r.db,
              QStringLiteral("SELECT FL_ID, year, int(n_saat+0.5) AS n_saat FROM nbil_n_saat"));
}

// Harvest N for the balance.
void uptake_into_balance(BalanceRun& r) {
  r.entz.read(r.db, QStringLiteral("SELECT FL_ID, year, n_entz FROM nbil_n_entzug"));
}

// Residue N for the balance: the sum of a plot-year's harvests.
void residues_into_balance(BalanceRun& r) {
  if (r.side) return;  // read by the side
  r.ewr.readSums(r.db, QStringLiteral("SELECT FL_ID, year, n_ewr FROM nbil_ewr"));
}

// Symbiotic fixation of legumes (nbil_nleg), gathered for the balance.
void legume_fixation(BalanceRun& r) {
  if (r.legumesMade) return;
  r.legumesMade = true;
  r.dropOld(QStringLiteral("nbil_nleg"));
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
  std::vector<Cell> values;
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
    Cell org = Cell::term(orgd);
    if (kopp && (kopp->empty || (orgd && orgd->empty)))
      org = Cell();
    else if (kopp)
      org = Cell::of((orgd ? trb::round_half_even(orgd->value) : 0.0) + kopp->value);

    // the asymbiotic fixation follows the rounded mineral fertiliser N; an empty one gets none
    qlonglong asym = 10;
    if (dng && dng->empty) {
      asym = 0;
    } else if (dng) {
      const double rounded = trb::round_half_even(dng->value);
      asym = rounded > 0 ? 5 : rounded == 0 ? 10 : 0;
    }

    Cell dep = Cell::of(qlonglong(0));
    if (keyed) {
      if (!(key.plot == stationsFor)) {
        stationsFor = key.plot;
        stations = r.stationsOfPlot.value(key.plot);
      }
      for (double station : std::as_const(stations)) {
        const auto d = r.deposition.constFind({station, key.year});
        if (d == r.deposition.cend()) continue;
        dep = Cell::of(*d);
        break;
      }
    }

    const Cell plot = Cell::read(q, 0), year = Cell::read(q, 1);
    values.push_back(plot);
    values.push_back(year);
    values.push_back(Cell::read(q, 2));
    values.push_back(org);
    values.push_back(Cell::term(kopp));
    values.push_back(Cell::term(keyed ? r.ewr.find(key) : none));
    values.push_back(Cell::term(keyed ? r.saat.find(key) : none));
    values.push_back(Cell::term(dng));
    values.push_back(Cell::term(keyed ? r.entz.find(key) : none));
    values.push_back(Cell::term(keyed ? r.bindung.find(key) : none));
    values.push_back(dep);
    values.push_back(Cell::of(asym));
    values.push_back(plot);
    values.push_back(year);
    if (values.size() == size_t(kBatch * kValues)) {
      for (int i = 0; i < kBatch * kValues; ++i) values[size_t(i)].bind(*batch, i + 1);
      batch->run();
      values.clear();
    }
  }
  for (size_t row = 0; row < values.size(); row += kValues) {
    for (int i = 0; i < kValues; ++i) values[row + size_t(i)].bind(*single, i + 1);
    single->run();
  }
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
  // a filter that keeps no plot ends the run: the transaction gives every table back
  if (r.db.scalar(QStringLiteral("SELECT count(*) FROM nbil_avg")).toLongLong() == 0)
    throw trb::Error(QStringLiteral("No plot's mean mineral N input over the chosen years lies "
                                    "between %1 and %2 kg N/ha: the balance was not changed.")
                         .arg(fmt_general(r.rangeBinds.value(0).toDouble()),
                              fmt_general(r.rangeBinds.value(1).toDouble())),
                     kBalanceCaption);
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

// The work tables that read only the management records and the parameters (seed, residues,
// organic amendments, by-products) with their terms, made by a second thread on a connection of
// its own into a scratch file, while the run makes the deposition, the balance table, the mineral
// fertiliser, the uptake and the legumes. The run copies each table in at its own step, so that
// the database ends with the same tables and rows as after a run on one thread.
//
// The side starts once the run holds its read lock, so that both read the same committed file;
// the run changes none of the tables the side reads. The run keeps its changed pages in memory
// until the side is done, so that it never waits for the side's read lock, and attaches the
// scratch file only then (a statement of the run that looked into the file while the side wrote
// it would hold the side's commit back).
class SideTables {
 public:
  static constexpr const char* kSchema = "trb_side";

  // Makes the scratch file; throws trb::Error when there is no place for it.
  SideTables(trb::db::Database& db, trb::Feedback& feedback)
      : db_(db), source_(db.path()), feedback_(feedback), dir_(scratchTemplate()) {
    if (!dir_.isValid())
      throw trb::Error(QStringLiteral("No folder for the scratch file of the nitrogen balance: ") +
                       dir_.errorString());
    path_ = dir_.filePath(QStringLiteral("nbalance_side.sqlite"));
    QFile f(path_);
    if (!f.open(QIODevice::WriteOnly))
      throw trb::Error(
          QStringLiteral("Cannot make the scratch file %1: %2").arg(path_, f.errorString()));
  }

  // Stops a side still running and waits for it; detaches the scratch file (after the run's
  // transaction has ended).
  ~SideTables() {
    stop();
    spillAgain();
  }

  SideTables(const SideTables&) = delete;
  SideTables& operator=(const SideTables&) = delete;

  // Starts the side; false when no thread could be started.
  bool start() {
    db_.setCacheSpill(false);
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      spillAgain();
      return false;
    }
    return true;
  }

  // Waits for the side and hands its terms to r; returns false when the side failed, so that the
  // run makes the tables itself. Throws trb::Canceled when a stop was asked meanwhile.
  bool collect(BalanceRun& r) {
    if (collected_) return !failure_;
    if (thread_.joinable()) thread_.join();
    collected_ = true;
    spillAgain();
    feedback_.throwIfCanceled(QStringLiteral("The nitrogen balance was stopped."));
    if (failure_) return false;
    attached_.emplace(db_, path_, QString::fromLatin1(kSchema));
    r.saat = std::move(terms_.saat);
    r.ewr = std::move(terms_.ewr);
    r.orgd = std::move(terms_.orgd);
    r.kopp = std::move(terms_.kopp);
    return true;
  }

  // Stops the side at its next check and waits for it.
  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

 private:
  void spillAgain() {
    try {
      db_.setCacheSpill(true);
    } catch (...) {
      // only a closed connection refuses it
    }
  }

  void run() {
    try {
      trb::db::Database side = trb::db::Database::open(path_);
      side.makeScratch();
      side.attachFile(source_, QStringLiteral("trb_source"));
      side.setProgressHandler([this] { return stop_.load() || feedback_.isCanceled(); });
      trb::Feedback silent;
      BalanceRun w{side, true, {}, {}, {}, {}, {}, {}, {}, silent};
      w.scratch = true;
      trb::db::Transaction tx(side);
      seed(w);
      residues(w);
      organic_amendments(w);
      by_products(w);
      seed_into_balance(w);
      residues_into_balance(w);
      tx.commit();
      terms_.saat = std::move(w.saat);
      terms_.ewr = std::move(w.ewr);
      terms_.orgd = std::move(w.orgd);
      terms_.kopp = std::move(w.kopp);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }

  struct Terms {
    TermColumn saat, ewr, orgd, kopp;
  };

  static QString scratchTemplate();

  trb::db::Database& db_;
  const QString source_;
  trb::Feedback& feedback_;
  QTemporaryDir dir_;
  QString path_;
  std::optional<trb::db::AttachedFile> attached_;
  std::atomic<bool> stop_{false};
  std::exception_ptr failure_;
  Terms terms_;
  bool collected_ = false;
  std::thread thread_;
};

// The scratch folders of balance runs are named with the process that made them, so that the
// folders of a run that was killed can be told from those of a run still going.
const QString kScratchPrefix = QStringLiteral("trb-nbalance-");

QString SideTables::scratchTemplate() {
  return QDir::temp().filePath(kScratchPrefix +
                               QString::number(QCoreApplication::applicationPid()) +
                               QStringLiteral("-XXXXXX"));
}

bool BalanceRun::fromSide(const QString& table) {
  if (!side) return false;
  legume_fixation(*this);  // this run's own work while the side may still be busy
  if (!side->collect(*this)) {
    side = nullptr;  // the side failed: this run makes the remaining tables itself
    return false;
  }
  db.copyTable(QString::fromLatin1(SideTables::kSchema), table);
  return true;
}

}  // namespace

void do_balance(trb::db::Database& db, const QString& id, const NBalanceFilter& filter) {
  trb::Feedback silent;
  do_balance(db, id, filter, silent);
}

void do_balance(trb::db::Database& db, const QString& id, const NBalanceFilter& filter,
                trb::Feedback& feedback, int threads) {
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
  check_selection(db, all, plot, f);
  remove_stale_scratch();
  r.years =
      QStringLiteral(" where trb_n_bilanz.year>=?") + QStringLiteral(" and trb_n_bilanz.year<=?");
  r.having = QStringLiteral(" having avg(trb_n_bilanz.n_dng) >=?") +
             QStringLiteral(" and avg(trb_n_bilanz.n_dng) <=?");
  r.yearBinds = {f.first_year, f.last_year};
  r.rangeBinds = {f.ndng_low, f.ndng_high};

  // A second thread only for all plots of a database file, outside any transaction: it reads
  // the file as it was committed, which then holds everything this run reads.
  std::optional<SideTables> side;
  if (all && threads > 1 && db.transactionDepth() == 0 && QFileInfo(db.path()).isFile()) {
    try {
      side.emplace(db, feedback);
    } catch (const trb::Error&) {
      // no scratch file: the run makes every table itself
    }
  }

  trb::db::Transaction tx(db);
  try {
    if (side) {
      // the run's read lock first: from here on no other program can change the file
      db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
      if (side->start()) r.side = &*side;
    }
    for (int k = 0; k < kBalanceSteps; ++k) {
      // a stop leaves the database as it was
      feedback.throwIfCanceled(QStringLiteral("The nitrogen balance was stopped."));
      steps.setCurrentStep(k);
      kSteps[k].run(r);
    }
  } catch (...) {
    if (side) side->stop();  // before the transaction rolls back
    throw;
  }
  steps.setProgress(1, 1);
  tx.commit();
}

int remove_stale_scratch() {
  int removed = 0;
  const QFileInfoList entries = QDir::temp().entryInfoList(
      {kScratchPrefix + QStringLiteral("*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
  for (const QFileInfo& e : entries) {
    const QString pid = e.fileName().mid(kScratchPrefix.size()).section(u'-', 0, 0);
    bool ok = false;
    const qint64 owner = pid.toLongLong(&ok);
    if (!ok || owner <= 0 || owner == QCoreApplication::applicationPid()) continue;
    // a process that is still there (or that this user may not signal) keeps its folder
    if (::kill(pid_t(owner), 0) == 0 || errno != ESRCH) continue;
    if (QDir(e.filePath()).removeRecursively()) ++removed;
  }
  return removed;
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
