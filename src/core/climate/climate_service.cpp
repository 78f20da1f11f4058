#include "core/climate/climate_service.h"

#include "core/db/database.h"

namespace trb::climate {

using trb::db::Database;

bool stationNameUsed(Database& db, const QString& name) {
  return db.scalar(QStringLiteral("select count(*) from climate_station where station = ?"), {name})
             .toInt() > 0;
}

int plotsUsingStation(Database& db, int climateId) {
  return db
      .scalar(QStringLiteral("select count(*) from field_description where climate_ID = ?"),
              {climateId})
      .toInt();
}

int create_station(Database& db, const QString& name) {
  trb::db::Transaction tx(db);
  const int key = db.getKey(kStationTable, kStationKey);
  db.execute(QStringLiteral("insert into climate_station (climate_id, station) values (?, ?)"),
             {key, name});
  db.execute(QStringLiteral("insert into climate_data (climate_id, year) values (?, 0)"), {key});
  db.execute(
      QStringLiteral("insert into reg_ndeposit (climate_id, year, N_Dep_y) values (?, 0, 0)"),
      {key});
  tx.commit();
  return key;
}

void delete_station(Database& db, int climateId) {
  trb::db::Transaction tx(db);
  db.execute(QStringLiteral("delete from  climate_station where climate_id=?"), {climateId});
  db.execute(QStringLiteral("delete from  climate_data where climate_id=?"), {climateId});
  db.execute(QStringLiteral("delete from  reg_ndeposit where climate_id=?"), {climateId});
  tx.commit();
}

}  // namespace trb::climate
