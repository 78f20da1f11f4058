// The queries that the experiment browser and the reports share.
#pragma once

#include <QString>

namespace trb::db {
class Database;
}

namespace trb::parameters {

// One row per plot that has a soil, a climate station and weather rows: the plot's description,
// the station name, the soil columns and the station's mean temperature, mean precipitation and
// number of weather rows.
QString siteOverviewSql();
// The site overview of one plot, bound as :fl_id.
QString siteDescriptionSql();

// Appends a selection row (FL_ID, 0, 0) to site_state for every plot of the site overview that
// has none. Plots without soil, station or weather get no row here. Returns the rows appended.
int reset_site_state(trb::db::Database& db);

}  // namespace trb::parameters
