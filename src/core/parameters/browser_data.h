// The queries that the experiment browser and the reports share.
#pragma once

#include <QList>
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

// --- The browser's lists (typed rows; the window composes no SQL) ----------------------------

// One row of the management list of a plot, with the computed columns.
struct ManagementRow {
  QString sBez;  // "*"
  qlonglong cultivationId = 0;
  qlonglong snr = 0;  // FL_ID
  qlonglong fla = 0;  // FL_ID_alt
  int utlg = 0;
  int tag = 0;    // day
  int mon = 0;    // month
  int datum = 0;  // year
  int macode = 0;
  qlonglong wert1 = 0;  // Item_IX
  double wert2 = 0;     // Sim_Quantity
  double origwert = 0;  // Quantity
  QString rein;         // "N"
  QString aktion;       // SLVAKTION.ACTION of the code; empty without an action row
  QString unit;         // SLVAKTION.UNIT_INTENSITY of the code; empty without an action row
  QString subjekt;      // the object's name (at most 25 characters, trimmed), "?" when not found
};

// One row of the measurement list of a plot.
struct MeasurementRow {
  QString sBez;  // "*"
  int utlg = 0;
  qlonglong measId = 0;
  qlonglong snr = 0;  // FL_ID
  int tag = 0;
  int mon = 0;
  int datum = 0;       // year
  int yearNumber = 0;  // 0 initial value, n the n-th year, -99 a set-aside initial value
  int mIx = 0;
  double mWert = 0;
  QString property;  // SLN_MWML.BEZEICHNUNG of m_ix; empty when unknown
};

// SLVAKTION rows of the action chooser (codes 2, 3, 4, 7, 9).
struct ActionRow {
  int actionId = 0;
  QString action;
  QString unitIntensity;
  QString defIntensity;
};

// One object of the union of crops (objekt 1), organic amendments with od true (3), mineral
// fertilizers (4) and "-" (item_ix -99, objekt 7).
struct ItemRow {
  QString name;
  QString item;  // trim(left(name, 25))
  qlonglong itemIx = 0;
  int objekt = 0;
};

// SLN_MWML: the measurable properties.
struct PropertyRow {
  int mIx = 0;
  QString bezeichnung;
  QString einheit;
  int klasse = 0;
};

// An entry of a chooser: the text shown and its key.
struct ChooserEntry {
  qlonglong key = -99;
  QString text;
};

// The management list of a plot, ordered by year, MACODE.
QList<ManagementRow> readManagementList(trb::db::Database& db, qlonglong flId);
// The measurement list of a plot, ordered by year_number.
QList<MeasurementRow> readMeasurementList(trb::db::Database& db, qlonglong flId);

QList<ActionRow> readActions(trb::db::Database& db);
// trb_items: ordered by objekt, name.
QList<ItemRow> readItemsByName(trb::db::Database& db);
// trb_items_ix: ordered by objekt, item_ix.
QList<ItemRow> readItemsByKey(trb::db::Database& db);
QList<PropertyRow> readProperties(trb::db::Database& db);
// trb_profiles: the distinct soil profile names.
QStringList readProfiles(trb::db::Database& db);
// Station chooser: "-?-" (key -99), then every climate_station (station, climate_id).
QList<ChooserEntry> readStations(trb::db::Database& db);
// Soil chooser: "-?-" (key -99), then every soil profile (profile, soil_id).
QList<ChooserEntry> readSoils(trb::db::Database& db);

// The objekt whose items name the object of a management row with this action code.
int objektOfActionCode(int macode);
// SUBJEKT of a management row: the item of objektOfActionCode(macode) whose item_ix is wert1, "?"
// when there is none.
QString subjectOf(const QList<ItemRow>& itemsByKey, int macode, qlonglong wert1);

}  // namespace trb::parameters
