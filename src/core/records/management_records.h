// The management records of a plot (table cultivation): what the editor offers for each action,
// and the commands that save, delete and copy records.
//
// Values are bound as parameters; every command either completes or leaves the table as it was.
// Refusals and database failures throw trb::Error (trb::db::DbError for the database).
#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <optional>

#include "core/parameters/browser_data.h"
#include "core/records/typed_entry.h"

namespace trb::db {
class Database;
}

namespace trb::records {

// What an action code does to the editor: the objects it offers, and the label and state of the
// second value box (the area share, read in record-entry mode "REG").
struct ActionRule {
  // Objects offered when the action is chosen (objekt of the item list); empty: every object.
  std::optional<int> objekt;
  // Objects of a list row with this code when its record is shown.
  int rowObjekt = -99;
  // Crop actions keep the chosen object when the chooser already offers crops.
  bool keepsCrop = false;
  // The label of the second value box; empty: the label stays as it is.
  std::optional<QString> secondLabel;
  bool secondEnabled = true;
  // Choosing the action puts "-99" into the amount box.
  bool amountMinus99 = false;
  // Choosing an object empties the amount box.
  bool objectClearsAmount = true;
};

ActionRule actionRule(int macode);

// Every SLVAKTION row (the editor shows the amount caption and unit of any code a record has).
QList<trb::parameters::ActionRow> readActionTexts(trb::db::Database& db);

// One management event as the editor holds it. amount and areaShare are the texts typed in the
// user's locale.
struct ManagementInput {
  SaveMode mode = SaveMode::Insert;
  qlonglong cultivationId = -1;  // the record overwritten (Overwrite)
  QDate date;
  int macode = 0;
  qlonglong itemIx = -99;
  QString amount;
  QString areaShare = QStringLiteral("100");
};

// The area share the editor saves: "100" unless the record-entry mode is "REG", where the second
// value box gives it.
QString areaShareText(const QString& recordMode, const QString& secondValue);

// Saves a record of plot flId. Insert: date, action, object, the amount as quantity, the area
// share as sim_quantity and FL_ID_alt. Overwrite: date, action, object, sim_quantity and quantity
// of the given record of that plot (FL_ID_alt stays). The amount must be a number, the area share
// a whole number, the date valid; otherwise nothing is written. Returns the record's key.
qlonglong save_management_record(trb::db::Database& db, qlonglong flId,
                                 const ManagementInput& input, const QLocale& locale = QLocale());

// Deletes the record; returns the rows deleted (0 when it no longer exists).
int delete_management_record(trb::db::Database& db, qlonglong cultivationId);

// Appends a copy of every management record of sourceFlId to targetFlId (date, action, object,
// quantity; no sim_quantity, no FL_ID_alt); the target's records stay. Copying a plot onto itself
// doubles its records. Returns the records copied.
int copy_management(trb::db::Database& db, qlonglong sourceFlId, qlonglong targetFlId);

}  // namespace trb::records
