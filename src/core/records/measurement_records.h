// The measurements of a plot (table measurements): the initial value and the experiment years
// counted from it, and the commands that save, delete and copy measurements.
//
// year_number is 0 for the initial value of a property, year - first year + 1 for the later
// measurements and -99 for an initial value that has been replaced. Values are bound as
// parameters; every command either completes or leaves the database as it was.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include "core/parameters/browser_data.h"
#include "core/records/typed_entry.h"

namespace trb::db {
class Database;
}

namespace trb::records {

// Property codes with an initial value that the simulation starts from.
inline constexpr int kCarbon = 7;
inline constexpr int kNitrogen = 0;

// What selecting a list row does to the editor: "initial value" is ticked exactly for the carbon
// initial value, and rows with a property code of 0 or less switch the editor to inserting.
bool isCarbonInitialValue(const trb::parameters::MeasurementRow& row);
SaveMode saveModeForRow(const trb::parameters::MeasurementRow& row);

// One measurement as the editor holds it; value is the text typed in the user's locale.
struct MeasurementInput {
  SaveMode mode = SaveMode::Insert;
  qlonglong measId = -1;  // the row overwritten (Overwrite)
  int mIx = kCarbon;
  QDate date;
  QString value;
  bool initialValue = false;
};

struct SavedMeasurement {
  qlonglong measId = 0;
  int yearNumber = 0;
  int firstYear = -99;  // the plot's first year after the save
};

// Saves a measurement of plot flId whose first year (the year of its initial value, -99 without
// one) is firstYear. A carbon measurement of a plot without initial value is refused unless it is
// the initial value ("please edit first the initial value"). An initial value of carbon or
// nitrogen sets the property's old initial value aside (-99) and becomes year 0 of the experiment;
// every other measurement gets year - first year + 1. With "initial value" the later measurements
// of the property are counted again from the first year. Every save deletes the plot's rows in
// rs_table (its comparison is void until the next run). An empty value stores 0; a value that is
// no number, an invalid date or a failing statement leave the database as it was.
SavedMeasurement save_measurement(trb::db::Database& db, qlonglong flId, int firstYear,
                                  const MeasurementInput& input, const QLocale& locale = QLocale());

// Deletes the measurement; returns the rows deleted (0 when it no longer exists).
int delete_measurement(trb::db::Database& db, qlonglong measId);

// Appends a copy of every measurement of sourceFlId to targetFlId, with its year_number; the
// target's rows stay. Returns the measurements copied.
int copy_measurements(trb::db::Database& db, qlonglong sourceFlId, qlonglong targetFlId);

}  // namespace trb::records
