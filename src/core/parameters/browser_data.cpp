#include "core/parameters/browser_data.h"

#include <QSet>
#include <QSqlQuery>
#include <QStringList>

#include "core/db/database.h"

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
  trb::db::Statement insert(db, QStringLiteral("insert into site_state ([%1], [%2], [%3]) "
                                               "values (?, 0, 0)")
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

}  // namespace trb::parameters
