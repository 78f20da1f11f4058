// Climate stations with their yearly weather and nitrogen deposition: the reads and commands of
// the climate window.
#pragma once

#include <QString>

namespace trb::db {
class Database;
}

namespace trb::climate {

// The tables of a station: the station itself, its weather rows and its annual N deposition.
inline const QString kStationTable = QStringLiteral("climate_station");
inline const QString kWeatherTable = QStringLiteral("climate_data");
inline const QString kDepositionTable = QStringLiteral("reg_ndeposit");
// The key column that links the three.
inline const QString kStationKey = QStringLiteral("climate_id");

// True when a station of that name exists (names compare without regard to case).
bool stationNameUsed(trb::db::Database& db, const QString& name);

// How many plots refer to the station.
int plotsUsingStation(trb::db::Database& db, int climateId);

// Creates a station named name with the next key (largest plus one, 0 in an empty table), its
// long-term weather row (year 0) and its deposition row (year 0, N_dep_y 0), in one transaction.
// Returns the new key.
int create_station(trb::db::Database& db, const QString& name);

// Deletes the station and its weather and deposition rows, in one transaction: all or nothing.
// Plots that refer to it keep the reference.
void delete_station(trb::db::Database& db, int climateId);

}  // namespace trb::climate
