#include "core/parameters/browser_data.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>

#include "core/db/database.h"

using trb::db::Database;
using trb::db::Reader;

namespace trb::parameters {

namespace {

const QString& siteOverviewColumns() {
  static const QString cols = QStringLiteral(
      "field_description.FL_ID, field_description.area, field_description.comment, "
      "field_description.Herkunft, field_description.Location, "
      "field_description.classification, field_description.mw_bat, "
      "field_description.site_description, field_description.climate_ID, "
      "field_description.soil_ID, climate_station.station, soilproperties.profile, "
      "soilproperties.BA_RBS, soilproperties.BA_RBS_CODE, soilproperties.BA_KA4, "
      "soilproperties.BA_LfL, soilproperties.clay, soilproperties.silt, soilproperties.sand, "
      "soilproperties.FAT, soilproperties.PWP, soilproperties.PV, soilproperties.FC, "
      "soilproperties.PD, soilproperties.BD");
  return cols;
}

}  // namespace

QString siteOverviewSql() {
  return QStringLiteral("SELECT ") + siteOverviewColumns() +
         QStringLiteral(
             ", Avg(climate_data.temperature) AS mwtemp, Avg(climate_data.precipitation) AS "
             "mwprec, Count(climate_data.year) AS ycnt "
             "FROM ((field_description INNER JOIN soilproperties ON field_description.soil_ID = "
             "soilproperties.soil_ID) INNER JOIN climate_station ON field_description.climate_ID "
             "= climate_station.climate_ID) INNER JOIN climate_data ON climate_station.climate_ID "
             "= climate_data.climate_ID "
             "GROUP BY ") +
         siteOverviewColumns();
}

QString siteDescriptionSql() {
  return siteOverviewSql() + QStringLiteral(" HAVING (((field_description.FL_ID)= :fl_id))");
}

int reset_site_state(trb::db::Database& db) {
  // The third column has no fixed name: address the first three by position.
  const QStringList cols = db.columns(QStringLiteral("site_state"));
  if (cols.size() < 3)
    throw trb::db::DbError(QStringLiteral("site_state"),
                           QStringLiteral("site_state needs a plot key, a status and a third "
                                          "column"));
  QSet<int> present;
  {
    QSqlQuery q = db.query(QStringLiteral("select FL_ID from site_state"));
    while (q.next()) present.insert(q.value(0).toInt());
  }
  QList<int> plots;
  {
    QSqlQuery q = db.query(siteOverviewSql());
    while (q.next()) plots.append(q.value(0).toInt());
  }
  trb::db::Transaction tx(db);
  trb::db::Statement insert(db, QStringLiteral(R"sql(
insert into site_state ([%1], [%2], [%3])
values (?, 0, 0))sql")
                                    .arg(cols.at(0), cols.at(1), cols.at(2)));
  int appended = 0;
  for (int fl : plots) {
    if (present.contains(fl)) continue;
    insert.exec({fl});
    present.insert(fl);
    ++appended;
  }
  tx.commit();
  return appended;
}

// --- The browser's lists ----------------------------------------------------------------------

namespace {

// The objects of the management list: crops, organic amendments that are offered (od), mineral
// fertilizers and "-" for none.
QString itemsSql(const QString& orderBy) {
  return QStringLiteral(R"sql(
select name, trim(left(name,25)) as item, item_ix, 1 as objekt from slvpflan
union select name, trim(left(name,25)) as item, item_ix, 3 as objekt from slvopspa
where od=true
union select name, trim(left(name,25)) as item, item_ix, 4 as objekt from slvmindg
union select "-" as name, "-" as item, -99 as item_ix, 7 as objekt
order by )sql") +
         orderBy;
}

QList<ItemRow> readItems(Database& db, const QString& orderBy) {
  QList<ItemRow> rows;
  Reader r(db, itemsSql(orderBy));
  while (r.next())
    rows.append({r.toString(0), r.toString(1), r.toLongLong(2), int(r.toLongLong(3))});
  return rows;
}

QList<ChooserEntry> readChooser(Database& db, const QString& sql, const QString& keyColumn,
                                const QString& textColumn) {
  QList<ChooserEntry> rows{{-99, QStringLiteral("-?-")}};
  Reader r(db, sql);
  const int key = r.indexOf(keyColumn);
  const int text = r.indexOf(textColumn);
  while (r.next()) rows.append({r.toLongLong(key), r.toString(text)});
  return rows;
}

}  // namespace

QList<ManagementRow> readManagementList(Database& db, qlonglong flId) {
  QHash<int, ActionRow> actions;
  for (const ActionRow& a : readActions(db)) actions.insert(a.actionId, a);
  const QList<ItemRow> items = readItemsByKey(db);

  QList<ManagementRow> rows;
  Reader r(db, QStringLiteral(R"sql(
select "*" as s_bez, cultivation_id, fl_id as SNR, fl_id_alt as FLA, 0 as
UTLG, day as tag, month as mon, year as datum, MACODE,item_ix as WERT1,
sim_quantity as WERT2,quantity as ORIGWERT,  "N" as rein
 from cultivation where fl_id=?  order by year,MACODE)sql"),
           {flId});
  while (r.next()) {
    ManagementRow m;
    m.sBez = r.toString(0);
    m.cultivationId = r.toLongLong(1);
    m.snr = r.toLongLong(2);
    m.fla = r.toLongLong(3);
    m.utlg = int(r.toLongLong(4));
    m.tag = int(r.toLongLong(5));
    m.mon = int(r.toLongLong(6));
    m.datum = int(r.toLongLong(7));
    m.macode = int(r.toLongLong(8));
    m.wert1 = r.toLongLong(9);
    m.wert2 = r.toDouble(10);
    m.origwert = r.toDouble(11);
    m.rein = r.toString(12);
    const auto a = actions.constFind(m.macode);
    if (a != actions.constEnd()) {
      m.aktion = a->action;
      m.unit = a->unitIntensity;
    }
    m.subjekt = subjectOf(items, m.macode, m.wert1);
    rows.append(m);
  }
  return rows;
}

QList<MeasurementRow> readMeasurementList(Database& db, qlonglong flId) {
  QHash<int, QString> names;
  for (const PropertyRow& p : readProperties(db)) names.insert(p.mIx, p.bezeichnung);

  QList<MeasurementRow> rows;
  // meas_id after year_number: rows of one year number keep the order they were entered in.
  Reader r(db, QStringLiteral(R"sql(
select "*" as s_bez,0 as utlg, meas_id,fl_id as snr,[day] as tag, [month]
as mon, year as datum, year_number, m_ix, meas_value as m_wert from
measurements where fl_id=? order by year_number, meas_id)sql"),
           {flId});
  while (r.next()) {
    MeasurementRow m;
    m.sBez = r.toString(0);
    m.utlg = int(r.toLongLong(1));
    m.measId = r.toLongLong(2);
    m.snr = r.toLongLong(3);
    m.tag = int(r.toLongLong(4));
    m.mon = int(r.toLongLong(5));
    m.datum = int(r.toLongLong(6));
    m.yearNumber = int(r.toLongLong(7));
    m.mIx = int(r.toLongLong(8));
    m.mWert = r.toDouble(9);
    m.property = names.value(m.mIx);
    rows.append(m);
  }
  return rows;
}

QList<ActionRow> readActions(Database& db) {
  QList<ActionRow> rows;
  Reader r(db, QStringLiteral("select * from SLVAKTION where action_id in (2,3,4,7,9)"));
  const int id = r.indexOf(QStringLiteral("ACTION_ID"));
  const int action = r.indexOf(QStringLiteral("ACTION"));
  const int unit = r.indexOf(QStringLiteral("UNIT_INTENSITY"));
  const int def = r.indexOf(QStringLiteral("def_intensity"));
  while (r.next())
    rows.append({int(r.toLongLong(id)), r.toString(action), r.toString(unit), r.toString(def)});
  return rows;
}

QList<ItemRow> readItemsByName(Database& db) {
  return readItems(db, QStringLiteral("objekt, name"));
}

QList<ItemRow> readItemsByKey(Database& db) {
  return readItems(db, QStringLiteral("objekt, item_ix"));
}

QList<PropertyRow> readProperties(Database& db) {
  QList<PropertyRow> rows;
  Reader r(db,
           QStringLiteral(
               "select distinct M_IX, BEZEICHNUNG, EINHEIT,KLASSE from SLN_MWML order by m_ix"));
  while (r.next())
    rows.append({int(r.toLongLong(0)), r.toString(1), r.toString(2), int(r.toLongLong(3))});
  return rows;
}

QStringList readProfiles(Database& db) {
  QStringList names;
  Reader r(db, QStringLiteral("select distinct PROFILE as NAME  from soilproperties"));
  while (r.next()) names.append(r.toString(0));
  return names;
}

QList<ChooserEntry> readStations(Database& db) {
  return readChooser(db, QStringLiteral("select * from climate_station"),
                     QStringLiteral("climate_id"), QStringLiteral("station"));
}

QList<ChooserEntry> readSoils(Database& db) {
  return readChooser(db, QStringLiteral("select * from soilproperties"), QStringLiteral("soil_id"),
                     QStringLiteral("profile"));
}

int objektOfActionCode(int macode) {
  switch (macode) {
    case 0:
    case 5:
      return 5;
    case 1:
    case 2:
    case 9:
    case 12:
      return 1;
    case 4:
      return 4;
    default:
      return macode;
  }
}

QString subjectOf(const QList<ItemRow>& itemsByKey, int macode, qlonglong wert1) {
  const int objekt = objektOfActionCode(macode);
  for (const ItemRow& i : itemsByKey)
    if (i.objekt == objekt && i.itemIx == wert1) return i.item;
  return QStringLiteral("?");
}

}  // namespace trb::parameters
