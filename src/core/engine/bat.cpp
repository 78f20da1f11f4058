#include "core/engine/bat.h"

#include <QSqlQuery>
#include <QVariant>

#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/calc_stop.h"

namespace trb::engine {

namespace {

// Effective precipitation of the interpolation: rain limited to 450..700 mm.
constexpr double kRainMin = 450;
constexpr double kRainMax = 700;

// The stop for a year without weather (or with a mean temperature below 0), naming the plot, its
// station and the year.
[[noreturn]] void stop_for_weather(trb::db::Database& db, const QVariant& plot,
                                   const QVariant& year) {
  const QVariant station = db.scalar(QStringLiteral(R"sql(
SELECT climate_station.station FROM field_description INNER JOIN
climate_station ON field_description.climate_ID =
climate_station.climate_ID WHERE field_description.FL_ID=?)sql"),
                                     {plot});
  const QString where =
      QStringLiteral(" (FL_ID %1, station %2, year %3)")
          .arg(plot.toString(), station.isNull() ? QStringLiteral("(none)") : station.toString(),
               year.toString());
  throw CalcStop(QStringLiteral("LTEM<0 aufgetreten !") + where,
                 QStringLiteral("unvollständige Klimadaten ?"));
}

}  // namespace

const std::array<WmzRow, WmzTable::kRows>& WmzTable::builtin() {
  static const std::array<WmzRow, kRows> rows{{
      {6, 3.3541, 0.015698, 9.087},
      {8, 3.1825, 0.01325, 10.2234},
      {11.5, 3.0629, 0.003204, 14.5547},
      {15, 2.1824, -0.009797, 23.0218},
      {22, 2.1698, -0.02726, 23.6263},
      {32, 2.0054, -0.03232, 22.9473},
      {44, 1.8676, -0.03178, 22.93},
  }};
  return rows;
}

WmzTable::WmzTable() : rows_(builtin()) {}

bool WmzTable::read_prm4wmz(trb::db::Database& db) {
  // Read everything first: a failure part way leaves the table as it was.
  std::array<WmzRow, kRows> next = rows_;
  try {
    QSqlQuery q = db.query(QStringLiteral("select xfat,xa,xb,xc from wmzprm"));
    int i = 0;
    while (i < kRows && q.next()) {
      next[i] = {q.value(0).toDouble(), q.value(1).toDouble(), q.value(2).toDouble(),
                 q.value(3).toDouble()};
      ++i;
    }
  } catch (const trb::db::DbError&) {
    return false;
  }
  rows_ = next;
  return true;
}

double WmzTable::wmz_pas(double ltem, double nied, double fat) const {
  int i = 0;  // 0-based position of the first row with fat <= xfat; kRows when fat exceeds all
  while (i < kRows && !(fat <= rows_[i].xfat)) ++i;
  auto line = [&](int j) { return rows_[j].xa * ltem + rows_[j].xb * nied + rows_[j].xc; };
  if (i == 0) return line(0);
  if (i == kRows) return line(kRows - 1);
  const double o = (fat - rows_[i - 1].xfat) / (rows_[i].xfat - rows_[i - 1].xfat);
  return (1 - o) * line(i - 1) + o * line(i);
}

double interpolated_bat(const WmzTable& table, double ltem, double rain, double fat) {
  const double nied = rain < kRainMin ? kRainMin : (rain >= kRainMax ? kRainMax : rain);
  return trb::round_to(table.wmz_pas(ltem, nied, fat), 3);
}

void build_beregnung_jsum(trb::db::Database& db) {
  db.dropTable(QStringLiteral("beregnung_jsum"));
  db.execute(QStringLiteral(R"sql(
 SELECT cultivation.FL_ID, cultivation.year AS jahr, Sum(cultivation.Quantity) AS SMenge
 INTO beregnung_jsum  FROM cultivation
 WHERE (((cultivation.Macode)=7)) GROUP BY cultivation.FL_ID, cultivation.year )sql"));
}

void build_clim4sim(trb::db::Database& db) {
  db.dropTable(QStringLiteral("eff_climate"));
  db.execute(QStringLiteral(R"sql(
  SELECT cultivation.FL_ID, cultivation.year AS year_, -99.99 AS ltem, 0 AS nied, 0 AS
irrig INTO eff_climate
  FROM cultivation INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID
  WHERE (((site_state.status)>0)) GROUP BY cultivation.FL_ID, cultivation.year )sql"));
  // The station's long-term mean first, then the year's own weather where there is one.
  db.execute(QStringLiteral(R"sql(
 UPDATE (eff_climate INNER JOIN field_description ON eff_climate.FL_ID =
field_description.FL_ID)
 INNER JOIN climate_data ON field_description.climate_ID = climate_data.climate_ID
 SET eff_climate.nied = precipitation, eff_climate.ltem=temperature WHERE
climate_data.year=0)sql"));
  db.execute(QStringLiteral(R"sql(
 UPDATE (eff_climate INNER JOIN field_description ON eff_climate.FL_ID =
field_description.FL_ID)
 INNER JOIN climate_data ON (climate_data.year = eff_climate.year_)
 AND (field_description.climate_ID = climate_data.climate_ID)
 SET eff_climate.nied = precipitation, eff_climate.ltem = temperature )sql"));
  db.execute(QStringLiteral(R"sql(
 UPDATE beregnung_jsum INNER JOIN eff_climate   
 ON (beregnung_jsum.jahr = eff_climate.year_)   
 AND (beregnung_jsum.FL_ID = eff_climate.FL_ID)
 SET eff_climate.irrig = smenge                 )sql"));
  db.dropTable(QStringLiteral("clim4sim"));
  db.execute(QStringLiteral(R"sql(
 SELECT eff_climate.FL_ID, eff_climate.year_, eff_climate.ltem, eff_climate.nied,
 (eff_climate.irrig+ eff_climate.nied) as rain, field_description.mw_BAT
  into clim4sim FROM eff_climate INNER JOIN field_description ON
 eff_climate.FL_ID = field_description.FL_ID)sql"));
}

namespace {

// Interpolation variant: BAT from the table for every row with rain, in the order of the index.
int build_interpolated(trb::db::Database& db, const WmzTable& table, trb::Feedback& feedback) {
  feedback.info(QStringLiteral("simple_bat=yes"));
  const int rows = db.execute(QStringLiteral(R"sql(
SELECT Clim4sim.FL_ID, clim4sim.year_ as year_0, tmp_soil_prop.FAT, clim4sim.ltem,
 clim4sim.rain, clim4sim.mw_bat AS BAT INTO tmp_bat
 FROM clim4sim INNER JOIN tmp_soil_prop ON clim4sim.fl_id = tmp_soil_prop.FL_ID )sql"));
  feedback.info(QStringLiteral("tmp bat :") + QString::number(rows));
  db.execute(QStringLiteral(" create unique index idx_fl_yr on tmp_bat(fl_id, year_0)  \n\n"));

  // Rows are written back by rowid as they are read (the unique index makes it the row of
  // (fl_id, year_0); the read follows that index, which the update leaves alone): the memory does
  // not grow with the table. A year without weather stops the run with nothing written.
  trb::db::Transaction tx(db);
  trb::db::Statement update(db, QStringLiteral("update tmp_bat set BAT=? where rowid=?"));
  {
    trb::db::Reader q(db, QStringLiteral(R"sql(
select rowid, fl_id, year_0, FAT, ltem, rain from
tmp_bat order by fl_id, year_0)sql"));
    int pos = 0;
    while (q.next()) {
      feedback.setProgress(pos++, rows);
      const double ltem = q.toDouble(4);
      if (ltem < 0) {
        feedback.setProgress(0, 0);
        stop_for_weather(db, q.value(1), q.value(2));
      }
      const double rain = q.toDouble(5);
      if (rain > 0)
        update.exec({interpolated_bat(table, ltem, rain, q.toDouble(3)), q.toLongLong(0)});
    }
  }
  tx.commit();
  feedback.setProgress(0, 0);
  return rows;
}

int build_regression(trb::db::Database& db, trb::Feedback& feedback) {
  // the regression has no answer for a year without weather: it stops as the interpolation does
  {
    QSqlQuery q = db.query(QStringLiteral(R"sql(
SELECT clim4sim.FL_ID, clim4sim.year_ FROM (clim4sim INNER JOIN tmp_soil_prop ON
clim4sim.fl_id = tmp_soil_prop.FL_ID) INNER JOIN BAT_FAK ON tmp_soil_prop.soil_cat =
BAT_FAK.soil_cat WHERE clim4sim.ltem<0 ORDER BY clim4sim.FL_ID, clim4sim.year_)sql"));
    if (q.next()) stop_for_weather(db, q.value(0), q.value(1));
  }
  // a plot whose class of usable field capacity has no coefficients drops out of the balance
  {
    QSqlQuery q = db.query(QStringLiteral(R"sql(
SELECT DISTINCT tmp_soil_prop.FL_ID, tmp_soil_prop.soil_cat FROM tmp_soil_prop LEFT
JOIN BAT_FAK ON tmp_soil_prop.soil_cat = BAT_FAK.soil_cat WHERE BAT_FAK.soil_cat Is
Null ORDER BY tmp_soil_prop.FL_ID)sql"));
    while (q.next())
      feedback.info(QStringLiteral("missing data for FL_ID%1: soil_cat %2 has no row in BAT_FAK")
                        .arg(q.value(0).toString(), q.value(1).toString()));
  }
  const int rows = db.execute(QStringLiteral(R"sql(
 SELECT tmp_soil_prop.FL_ID, [A]+([P1]*[clay])+([P2]*[Silt])+([P3]*[ltem])+  
 ([P4]*[rain])+([P5]*[PV])+([P6]*[PWP])+([P7]*[FC])+[clay]*(([P8]*[FC])+    
 ([P9]*[PWP])+([P10]*[PV]))+[Silt]*(([P11]*[FC])+([P12]*[PWP])+             
 ([P13]*[PV]))+[ltem]*(([P14]*[FC])+([P15]*[PWP])+([P16]*[PV]))+            
 [rain]*(([P17]*[FC])+([P18]*[PWP])+([P19]*[PV])) AS BAT, clim4sim.year_ as year_0 into
tmp_bat
 FROM (tmp_soil_prop INNER JOIN BAT_FAK ON tmp_soil_prop.soil_cat = BAT_FAK.soil_cat)   
 INNER JOIN clim4sim ON tmp_soil_prop.FL_ID = clim4sim.fl_id            
 GROUP BY tmp_soil_prop.FL_ID, [A]+([P1]*[clay])+([P2]*[Silt])+      
 ([P3]*[ltem])+([P4]*[rain])+([P5]*[PV])+([P6]*[PWP])+([P7]*[FC])+   
 [clay]*(([P8]*[FC])+([P9]*[PWP])+([P10]*[PV]))+[Silt]*(([P11]*[FC])+([P12]*[PWP])+([P13]
*[PV]))+    
 [ltem]*(([P14]*[FC])+([P15]*[PWP])+([P16]*[PV]))+[rain]*(([P17]*[FC])+([P18]*[PWP])+([P19]
*[PV])), clim4sim.year_ )sql"));
  feedback.info(QStringLiteral("simple_bat=no"));
  return rows;
}

}  // namespace

void build_tmp_bat(trb::db::Database& db, const WmzTable& table, const BatOptions& options,
                   trb::Feedback& feedback) {
  db.dropTable(QStringLiteral("tmp_bat"));
  if (!options.recalc_bat) {
    db.execute(QStringLiteral(R"sql(
 SELECT field_description.FL_ID, cultivation.year AS year_0,
Avg(field_description.mw_BAT) AS BAT,
 -99 AS FAT, -99 AS ltem into tmp_bat FROM (field_description INNER JOIN cultivation ON
field_description.FL_ID =
 cultivation.FL_ID) INNER JOIN site_state ON field_description.FL_ID = site_state.FL_ID
 WHERE (((site_state.status)=1))  GROUP BY field_description.FL_ID, cultivation.year,
-99, -99 )sql"));
    return;
  }
  build_beregnung_jsum(db);
  build_clim4sim(db);
  const int rows = options.simple_version ? build_interpolated(db, table, feedback)
                                          : build_regression(db, feedback);
  feedback.info(QStringLiteral("updt tmp bat :") + QString::number(rows));
}

}  // namespace trb::engine
