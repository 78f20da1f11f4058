#include "core/engine/humus.h"

#include <QMap>
#include <QSqlQuery>

#include "core/db/database.h"
#include "core/engine/soil_table.h"

namespace trb::engine {

using trb::db::Database;

// ---------------------------------------------------------------------------------------------
// "LUFA" and "NULL"

void build_hubi_tables(Database& db, trb::Feedback& feedback) {
  auto say = [&](const QString& label, int n) { feedback.info(label + QString::number(n)); };
  trb::db::Transaction tx(db);
  // crop reproduction, lower and upper value of the crop's class
  db.dropTable(QStringLiteral("hubi_c_from_crop_"));
  say(QStringLiteral("hubi_c_from_crop_ :"), db.execute(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year, "CROP" AS source, slvpflan.ITEM_IX,
slvpflan.NAME, cultivation.Macode, cultivation.Quantity, ros_pflan.ros_og,
ros_pflan.ros_ug INTO hubi_c_from_crop_
FROM (cultivation INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX)
INNER JOIN ros_pflan ON slvpflan.ros_ix = ros_pflan.ros_ix
WHERE (((cultivation.Macode)=2 Or (cultivation.Macode)=9))
ORDER BY cultivation.FL_ID, cultivation.year)sql")));
  // amendment reproduction, scaled from the class's dry matter to the substance's
  db.dropTable(QStringLiteral("hubi_c_from_oram_"));
  say(QStringLiteral("hubi_c_from_oram_ :"), db.execute(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year, "OD" AS source, slvopspa.item_ix,
slvopspa.NAME, cultivation.Macode,
 cultivation.Quantity, [cultivation].[Quantity]*[ros_od].[c_hum]*10*slvopspa.TS_GEHALT/ros_od.TS_proz AS ros_oram INTO HUBI_C_from_oram_
FROM (cultivation INNER JOIN slvopspa ON cultivation.Item_IX = slvopspa.item_ix)
INNER JOIN ros_od ON slvopspa.ros_ix = ros_od.ros_ix
WHERE (((cultivation.Macode)=3))
ORDER BY cultivation.FL_ID, cultivation.year)sql")));
  // by-products left on the field count as amendments
  say(QStringLiteral("hubi_c_from_by_prod :"), db.execute(QStringLiteral(R"sql(
 INSERT INTO HUBI_C_from_oram_ ( FL_ID, [year], Quantity, Macode, NAME, ros_oram, source )
SELECT cultivation.FL_ID, cultivation.year, cultivation.Quantity, 3 AS Macode_,
ros_od.Name,
 [cultivation].[Quantity]*[slvpflan].[HI]*[ros_od].[C_HUM]/10 AS ros_oram,
"OD" AS source
FROM ((cultivation INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX)
INNER JOIN slvopspa ON slvpflan.kop_ix = slvopspa.item_ix)
INNER JOIN ros_od ON slvopspa.ros_ix = ros_od.ros_ix
WHERE (((cultivation.Macode)=9)))sql")));
  db.dropTable(QStringLiteral("hubi_c_from_crop"));
  say(QStringLiteral("hubi_c_from_crop :"), db.execute(QStringLiteral(R"sql(
SELECT hubi_c_from_crop_.FL_ID, hubi_c_from_crop_.year, Sum(hubi_c_from_crop_.ros_og) AS ros_og, Sum(hubi_c_from_crop_.ros_ug) AS ros_ug
 INTO hubi_c_from_crop FROM hubi_c_from_crop_ 
 GROUP BY hubi_c_from_crop_.FL_ID, hubi_c_from_crop_.year 
 ORDER BY hubi_c_from_crop_.FL_ID, hubi_c_from_crop_.year  )sql")));
  db.dropTable(QStringLiteral("hubi_c_from_oram"));
  say(QStringLiteral("hubi_c_from_oram :"), db.execute(QStringLiteral(R"sql(
 SELECT HUBI_C_from_oram_.FL_ID, HUBI_C_from_oram_.year, Sum(HUBI_C_from_oram_.ros_oram) AS ros_oram  
 INTO HUBI_C_from_oram FROM HUBI_C_from_oram_ GROUP BY HUBI_C_from_oram_.FL_ID, HUBI_C_from_oram_.year
 ORDER BY HUBI_C_from_oram_.FL_ID, HUBI_C_from_oram_.year)sql")));
  // one row per plot and year with any action but mineral fertilisation
  db.execute(QStringLiteral("delete * from   hubi_c_bilanz "));
  db.execute(QStringLiteral(R"sql(
 INSERT INTO hubi_c_bilanz ( FL_ID, year_, Corg ) SELECT cultivation.FL_ID, cultivation.year, -99 AS corg
 FROM cultivation where macode<>4 GROUP BY cultivation.FL_ID, cultivation.year, -99)sql"));
  say(QStringLiteral("crop 2 hubi :"), db.execute(QStringLiteral(R"sql(
 UPDATE hubi_c_bilanz INNER JOIN HUBI_C_from_crop ON (hubi_c_bilanz.year_ = HUBI_C_from_crop.year) 
 AND (hubi_c_bilanz.FL_ID = HUBI_C_from_crop.FL_ID)
 SET hubi_c_bilanz.ros_og = [hubi_c_from_crop].[ros_og], hubi_c_bilanz.ros_ug = [hubi_c_from_crop].[ros_ug])sql")));
  say(QStringLiteral("oram 2 hubi :"), db.execute(QStringLiteral(R"sql(
UPDATE hubi_c_bilanz INNER JOIN HUBI_C_from_oram ON (hubi_c_bilanz.year_ = HUBI_C_from_oram.year) AND 
(hubi_c_bilanz.FL_ID = HUBI_C_from_oram.FL_ID) SET hubi_c_bilanz.ROS_ORAM = [hubi_c_from_oram].[ros_oram] )sql")));
  // the start carbon content marks the year the walk begins
  say(QStringLiteral("corg 2 hubi :"), db.execute(QStringLiteral(R"sql(
 UPDATE hubi_c_bilanz INNER JOIN measurements ON (hubi_c_bilanz.year_ = measurements.year) AND (hubi_c_bilanz.FL_ID = measurements.FL_ID)
 SET hubi_c_bilanz.Corg = [measurements].[meas_value] WHERE (((measurements.M_IX)=7) AND ((measurements.year_number)=0)) )sql")));
  tx.commit();
}

void LufaMethod::prepare_tables(Database& db, const PreparationSettings& settings,
                                trb::Feedback& feedback) {
  stop_if_canceled(feedback);
  build_hubi_tables(db, feedback);
  stop_if_canceled(feedback);
  build_soil_table(db, settings.soil, feedback);
}

QString LufaMethod::input_query() const {
  return QStringLiteral(R"sql(
 SELECT site_state.FL_ID, hubi_c_bilanz.year_ AS year_0, hubi_c_bilanz.Corg, hubi_c_bilanz.ros_ug, hubi_c_bilanz.ROS_ORAM,
 hubi_c_bilanz.ros_og, tmp_soil_prop.BD,tmp_soil_prop.skelett, 999 AS cif
 FROM (tmp_soil_prop INNER JOIN site_state ON tmp_soil_prop.FL_ID = site_state.FL_ID) INNER JOIN hubi_c_bilanz ON site_state.FL_ID = hubi_c_bilanz.FL_ID
 WHERE (((site_state.status)=1)) ORDER BY site_state.FL_ID, hubi_c_bilanz.year_; )sql");
}

QStringList LufaMethod::extra_columns() const {
  return {QStringLiteral("ros_ug"), QStringLiteral("ROS_ORAM")};
}

QString LufaMethod::source_table(const QString& column) const {
  const QString c = column.toLower();
  return c == u"bd" || c == u"skelett" ? QStringLiteral("tmp_soil_prop")
                                       : QStringLiteral("hubi_c_bilanz");
}

void LufaMethod::year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                             BalanceContext&) {
  // the lower reproduction value of the crops; an empty value counts as 0
  const long double R = static_cast<long double>(row.extra.at(0)) + row.extra.at(1);
  const long double n = st.years_done;
  st.mean_input = (n * st.mean_input + R) / (n + 1);
  st.C_tot += R;
  NResultRow r;  // the nitrogen and pool columns stay missing
  r.FL_ID = st.fl_id;
  r.year = st.z_jahr;
  r.c_som = static_cast<double>(st.C_tot);
  r.c_rep = static_cast<double>(R);
  out.nresult(r);
}

// ---------------------------------------------------------------------------------------------
// "KOLBE"

const std::vector<SiteGroupRule>& site_group_rules() {
  static const std::vector<SiteGroupRule> rules = {
      {6, QStringLiteral("fat>22 and fat<=27 and cnr<=9")},
      {5, QStringLiteral("fat>22 and fat<=27 and cnr>9")},
      {5, QStringLiteral("fat>13 and fat<=22 and ltem>8.5")},
      {4, QStringLiteral("fat>13 and fat<=22 and ltem<=8.5")},
      {3, QStringLiteral("fat<=13 and ltem>8.5 and not (fat<=8 and cnr>=14)")},
      {2, QStringLiteral("fat<=13 and ltem<=8.5 and not (fat<=8 and cnr>=14)")},
      {2, QStringLiteral("fat>=28 and BA_RBS in (\"LT\",\"T\",\"SL\")")},
      {2, QStringLiteral("fat>29 and trim(BA_RBS)=\"L\"")},
      {1, QStringLiteral("fat<=8 and cnr>=14")},
      {1, QStringLiteral("fat>=38 and NIED>700 and BA_RBS=\"T\"")},
      {1, QStringLiteral("fat>17 and fat<30 and NIED<500")},
  };
  return rules;
}

void build_site_groups(Database& db, trb::Feedback& feedback) {
  trb::db::Transaction tx(db);
  // start C/N ratio, soil and long-term climate of every selected plot
  db.dropTable(QStringLiteral("vb_st_gr"));
  db.execute(QStringLiteral(R"sql(
SELECT CInt(10*measurements.meas_value/measurements_1.meas_value)/10 AS CNR, tmp_soil_prop.clay, tmp_soil_prop.BA_RBS, CInt(Avg(climate_data.precipitation)) AS nied,
 Int(10*Avg(climate_data.temperature))/10 AS ltem, field_description.FL_ID, tmp_soil_prop.FAT INTO vb_st_gr FROM measurements AS measurements_1 INNER JOIN
 ((tmp_soil_prop INNER JOIN ((climate_station INNER JOIN climate_data ON climate_station.climate_ID = climate_data.climate_ID) INNER JOIN field_description ON
 climate_station.climate_ID = field_description.climate_ID) ON tmp_soil_prop.FL_ID = field_description.FL_ID) INNER JOIN measurements ON field_description.FL_ID = measurements.FL_ID) ON
 measurements_1.FL_ID = field_description.FL_ID GROUP BY tmp_soil_prop.clay, tmp_soil_prop.BA_RBS, field_description.FL_ID, tmp_soil_prop.FAT, measurements.year_number,
 measurements.M_IX, measurements.meas_value, measurements_1.year_number, measurements_1.M_IX, measurements_1.meas_value, measurements_1.meas_value
 HAVING measurements.year_number=0 AND measurements.M_IX=7 AND measurements_1.year_number=0 AND measurements_1.M_IX=0 AND  measurements_1.meas_value Is Not Null)sql"));
  db.dropTable(QStringLiteral("bodengruppen_2"));
  db.execute(QStringLiteral(
      "SELECT CNR,clay, fat,BA_RBS, nied, ltem into bodengruppen_2 FROM vb_st_gr GROUP BY CNR,clay, BA_RBS,nied,ltem,FAT"));
  db.dropTable(QStringLiteral("st_gruppe"));
  bool first = true;
  for (const SiteGroupRule& rule : site_group_rules()) {
    const QString columns =
        QStringLiteral(
            "bodengruppen_2.CNR, bodengruppen_2.clay, bodengruppen_2.fat, bodengruppen_2.BA_RBS, "
            "bodengruppen_2.nied, bodengruppen_2.ltem, %1 AS standortgr")
            .arg(rule.group);
    const QString where = QStringLiteral(" FROM bodengruppen_2 WHERE ") + rule.condition;
    if (first)
      db.execute(QStringLiteral("SELECT ") + columns + QStringLiteral(" INTO st_gruppe") + where);
    else
      db.execute(QStringLiteral(R"sql(
INSERT INTO st_gruppe ( CNR, clay, fat, BA_RBS, nied, ltem,
standortgr ) SELECT )sql") +
                 columns + where);
    first = false;
  }
  // Distinct: two plots that differ only in clay share their rule rows, and without it each
  // would get every group twice.
  db.dropTable(QStringLiteral("flid2stgr"));
  db.execute(QStringLiteral(R"sql(
SELECT DISTINCT vb_st_gr.FL_ID, st_gruppe.standortgr INTO flid2stgr FROM vb_st_gr INNER JOIN st_gruppe ON (vb_st_gr.ltem = st_gruppe.ltem)
 AND (vb_st_gr.nied = st_gruppe.nied) AND (vb_st_gr.BA_RBS = st_gruppe.BA_RBS) AND (vb_st_gr.FAT = st_gruppe.fat) AND (vb_st_gr.CNR = st_gruppe.CNR) )sql"));
  tx.commit();

  // Tell the user about plots whose crops count once per group or not at all.
  QMap<qlonglong, QStringList> groups;
  QSqlQuery q = db.query(QStringLiteral(R"sql(
SELECT tmp_soil_prop.FL_ID, flid2stgr.standortgr FROM tmp_soil_prop LEFT JOIN flid2stgr
ON tmp_soil_prop.FL_ID = flid2stgr.FL_ID ORDER BY tmp_soil_prop.FL_ID,
flid2stgr.standortgr)sql"));
  while (q.next()) {
    QStringList& g = groups[q.value(0).toLongLong()];
    if (!q.value(1).isNull()) g << q.value(1).toString();
  }
  for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
    const QString plot = QStringLiteral("fl_id") + QString::number(it.key()) + QStringLiteral(": ");
    if (it->isEmpty())
      feedback.info(plot + QStringLiteral("no site group, its crops change no humus"));
    else if (it->size() > 1)
      feedback.info(plot + QStringLiteral("site groups ") + it->join(QStringLiteral(", ")) +
                    QStringLiteral(", the humus change of its crops counts once for each"));
  }
}

void build_hum_manda(Database& db) {
  trb::db::Transaction tx(db);
  db.dropTable(QStringLiteral("hum_manda"));
  // crops of plots with a site group: the group's humus change of the crop class
  db.execute(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year, "YLD" AS item, slvpflan.NAME AS name,
st_ros_pfl.ros AS dC_hum_kg INTO hum_manda
FROM ((cultivation INNER JOIN flid2stgr ON cultivation.FL_ID = flid2stgr.FL_ID)
INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX)
INNER JOIN st_ros_pfl ON (slvpflan.ros_ix = st_ros_pfl.ros_ix) AND
(flid2stgr.standortgr = st_ros_pfl.st_gr)
WHERE (((cultivation.Macode)=2 Or (cultivation.Macode)=9)))sql"));
  // amendments, by the row of their class whose amount range holds the quantity
  db.execute(QStringLiteral(R"sql(
INSERT INTO hum_manda ( FL_ID, [year], item, name, dC_hum_kg )
SELECT cultivation.FL_ID, cultivation.year, "OD" AS item, slvopspa.NAME,
st_ros_od.c_hum*cultivation.Quantity/10 AS dC_hum_kg
FROM (cultivation INNER JOIN slvopspa ON cultivation.Item_IX = slvopspa.item_ix)
INNER JOIN st_ros_od ON slvopspa.ros_ix = st_ros_od.ros_ix
WHERE (((cultivation.Macode)=3) AND (cultivation.Quantity>10*st_ros_od.m_ug) AND
(cultivation.Quantity<=10*st_ros_od.m_og)))sql"));
  // by-products left on the field (harvest code 9): quantity times the crop's ratio
  db.execute(QStringLiteral(R"sql(
INSERT INTO hum_manda ( FL_ID, [year], item, name, dC_hum_kg )
SELECT cultivation.FL_ID, cultivation.year, "KP" AS item, slvopspa.NAME,
st_ros_od.c_hum*cultivation.Quantity*slvpflan.HI/10 AS dC_hum_kg
FROM ((cultivation INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX)
INNER JOIN slvopspa ON slvpflan.kop_ix = slvopspa.item_ix)
INNER JOIN st_ros_od ON slvopspa.ros_ix = st_ros_od.ros_ix
WHERE (((cultivation.Macode)=9) AND (cultivation.Quantity*slvpflan.HI>10*st_ros_od.m_ug)
AND (cultivation.Quantity*slvpflan.HI<=10*st_ros_od.m_og)))sql"));
  tx.commit();
}

void KolbeMethod::prepare_tables(Database& db, const PreparationSettings& settings,
                                 trb::Feedback& feedback) {
  stop_if_canceled(feedback);
  build_soil_table(db, settings.soil, feedback);
  stop_if_canceled(feedback);
  build_site_groups(db, feedback);
  build_hum_manda(db);
}

QString KolbeMethod::input_query() const {
  return QStringLiteral(R"sql(
SELECT hum_manda.FL_ID, hum_manda.year AS year_0, Sum(hum_manda.dC_hum_kg) AS delta_c, tmp_soil_prop.corg, tmp_soil_prop.BD, tmp_soil_prop.skelett, tmp_soil_prop.cif
 FROM (hum_manda INNER JOIN tmp_soil_prop ON hum_manda.FL_ID = tmp_soil_prop.FL_ID) INNER JOIN site_state ON hum_manda.FL_ID = site_state.FL_ID WHERE site_state.status=1
 GROUP BY hum_manda.FL_ID, hum_manda.year, tmp_soil_prop.corg, tmp_soil_prop.BD, tmp_soil_prop.skelett, tmp_soil_prop.cif
  ORDER BY hum_manda.FL_ID, hum_manda.year )sql");
}

QStringList KolbeMethod::extra_columns() const {
  return {QStringLiteral("delta_c")};
}

QString KolbeMethod::source_table(const QString& column) const {
  return column.toLower() == u"delta_c" ? QStringLiteral("hum_manda")
                                        : QStringLiteral("tmp_soil_prop");
}

void KolbeMethod::year_update(PlotState& st, const BalanceRow& row, ResultWriter&,
                              BalanceContext&) {
  const long double delta = row.extra.at(0);
  const long double n = st.years_done;
  st.mean_input = (n * st.mean_input + delta) / (n + 1);
  st.C_tot += delta / 25;
}

}  // namespace trb::engine
