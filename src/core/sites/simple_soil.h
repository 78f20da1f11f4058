// "simple soil description": a soil profile given by name, soil type, clay, silt and gravel; the
// other properties are left to the pedotransfer functions.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace trb::db {
class Database;
}

namespace trb::sites {

// The soil types the dialog offers ("?" stands for none chosen).
QStringList simple_soil_types();

// What the dialog shows and saves. Numbers are texts in the user's locale.
struct SimpleSoil {
  qlonglong soilId = -99;  // -99: a new soil
  QString name;            // profile
  QString soilType;        // BA_RBS
  QString clay;
  QString silt;
  QString gravel;  // skelett
};

// The dialog's start values: a new soil (gravel "0", clay "?", silt "-99", type "?") when soilId
// is -99 or has no row; otherwise the stored profile, type, clay, silt and gravel.
SimpleSoil read_simple_soil(trb::db::Database& db, qlonglong soilId,
                            const QLocale& locale = QLocale());

// The required fields a soil lacks: "name" and "clay" when they contain "?", "soilType" when it
// is "?" or empty.
QStringList missing_soil_fields(const SimpleSoil& soil);

// "save this soil". Refused, with the German message of the dialog in both languages, when a
// required field is missing, and, naming the field, when clay, silt or gravel is no number. A new
// soil whose name is taken gets "1" appended (once) and the next soil_id. Writes profile, type,
// gravel, clay, silt (silt_org true) and sets every other property to -99 with its "_org" flag
// false, to be derived; a value the user entered as measured ("_org" true) of an existing soil is
// kept. Returns the soil as stored (its key and final name).
SimpleSoil save_simple_soil(trb::db::Database& db, const SimpleSoil& soil,
                            const QLocale& locale = QLocale());

// "delete this soil": the profile row; plots that named it are left without a soil (-99), so that
// the key, once handed out again, does not give them another soil. Returns false without a row.
bool delete_soil(trb::db::Database& db, qlonglong soilId);

}  // namespace trb::sites
