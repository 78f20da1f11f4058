// The parameter editor's reads and commands: the model's parameter tables, the soil profiles with
// their value check, the lists of tables to look at, the references and the export of a table.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "core/transfer/spreadsheet_export.h"

namespace trb::db {
class Database;
class TableEditor;
}  // namespace trb::db

namespace trb::parameters {

inline const QString kSoilTable = QStringLiteral("soilproperties");

// --- Soil profiles ----------------------------------------------------------------------------

// The key of the profile named name (compared without regard to case), if there is one.
std::optional<int> findProfile(trb::db::Database& db, const QString& name);

struct ProfileLookup {
  int soilId = -99;
  bool created = false;
};

// "ENTER" on the profile name: the profile of that name, or, when there is none and
// confirmCreate() says yes, a new row with that name and the next soil_id (largest plus one, 0 in
// an empty table). Nothing when the name is blank or the creation is declined.
std::optional<ProfileLookup> find_or_create_profile(trb::db::Database& db, const QString& name,
                                                    const std::function<bool()>& confirmCreate);

// The soil values that are either supplied or derived, in the order they are checked.
const QStringList& checkedSoilColumns();

// The value check of a soil row: for silt, FAT, BD, PV, FC and PWP a value above 0 counts as
// supplied (its "_org" column becomes true), anything else as missing (the value becomes -99 and
// its "_org" column false, to be derived before a calculation). A column the table lacks is
// skipped.
void check_soil_values(trb::db::Database& db, int soilId);

// --- Tables to look at ------------------------------------------------------------------------

// "ACCESS-DATABASE": every user table of the database.
QStringList databaseTables(trb::db::Database& db);
// "Results": the result tables, in their fixed order.
const QStringList& resultTables();
// An editor over a table chosen by name, ordered as it is shown: rs_table by property, plot and
// year, any other table in the order of its rows. Throws trb::Error when there is no such table.
std::unique_ptr<trb::db::TableEditor> openTable(trb::db::Database& db, const QString& table);
// The table as shown, for "export to XLS": its columns as titles, its rows in the order shown,
// numbers rounded to 4 decimals, text unchanged.
trb::transfer::Sheet tableSheet(trb::db::Database& db, const QString& table);

// --- References -------------------------------------------------------------------------------

struct ReferenceRow {
  qlonglong litId = 0;
  QString quelle, autor, jahr, jahrShort, titel, produkt, seite, ausgabe;
  QString listTitle;  // the first 150 characters of the title
};

// The reference list, ordered by lit_id.
QList<ReferenceRow> readReferences(trb::db::Database& db);
// The text panel of a reference: one line per filled value, its name padded to 10 characters.
QString referenceText(const ReferenceRow& r);

}  // namespace trb::parameters
