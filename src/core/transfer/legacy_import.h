// Legacy Access databases (.mdb, .accdb): read with libmdb into a SQLite file of this program.
//
// Every user table comes over with its rows, names kept exactly, types mapped to the column types
// of this database: whole numbers INTEGER, Single/Double/Currency/Numeric REAL, yes/no YESNO
// (-1/0), text and memo TEXT COLLATE NOCASE, date/time DATETIME (ISO text), OLE and binary BLOB.
// The file is written under a temporary name in the target folder and renamed at the end, so a
// failed import leaves nothing behind.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/base/error.h"
#include "core/base/feedback.h"

namespace trb::db {
class Database;
}

namespace trb::transfer {

// The file as a whole cannot be imported (not an Access database, damaged, output in the way).
class ImportError : public trb::Error {
 public:
  explicit ImportError(const QString& message) : trb::Error(message) {}
};

// What the database lacks against the trb schema (names compared without regard to case).
struct SchemaGaps {
  bool schemaKnown = false;    // false: no bundled schema to compare with
  QStringList missingTables;   // trb tables the database does not have
  QStringList missingColumns;  // "table.column" of tables it has
  // field_description without area: added (filled with -99) when the database is opened.
  bool areaMissing = false;

  bool empty() const { return missingTables.isEmpty() && missingColumns.isEmpty() && !areaMissing; }
  // Readable lines for a report.
  QStringList lines() const;
};

struct TableImport {
  QString name;
  qint64 rows = 0;
  QString error;  // empty when the table came over
};

struct ImportResult {
  QString source;
  QString target;
  QString format;  // "Jet 3", "Jet 4", "ACE 12", ...
  QList<TableImport> tables;
  QStringList notes;  // what came over differently (an index left out, ...)
  SchemaGaps gaps;

  qint64 rows() const;
  QStringList failedTables() const;
  bool complete() const { return failedTables().isEmpty(); }
};

// True for a file name ending in .mdb or .accdb (any case).
bool isLegacyDatabase(const QString& path);
// The SQLite file beside a legacy file: its path with ".sqlite" in place of the extension.
QString defaultImportTarget(const QString& source);

// Imports source into target. An existing target is replaced only with overwrite, and only when
// the import succeeded. Tables that cannot be read are reported in the result and the others
// come over; when no table at all can be read, or the file is not an Access database, throws
// ImportError and writes nothing. The feedback's progress counts rows done of the rows of all
// tables; a stop request ends the import between tables and rows with trb::Canceled, writing
// nothing.
ImportResult importLegacy(const QString& source, const QString& target, bool overwrite,
                          trb::Feedback& feedback);
ImportResult importLegacy(const QString& source, const QString& target, bool overwrite = false);

// Compares a database with the bundled trb schema.
SchemaGaps checkSchema(trb::db::Database& db);

// The SQLite file to open for a database path: the path itself for a SQLite file; for .mdb and
// .accdb the SQLite file beside it, imported on the first opening and reused while it is newer
// than the legacy file. A stale SQLite file is kept as a backup before it is replaced. note
// receives what happened, for the user. Throws ImportError when the import fails.
QString sqlitePathFor(const QString& path, trb::Feedback& feedback, QString* note = nullptr);
QString sqlitePathFor(const QString& path, QString* note = nullptr);

// An Access date (days since 1899-12-30; for dates before it the fraction still counts forward
// into the day) as ISO text "yyyy-MM-dd HH:mm:ss", to the nearest second. Empty for values outside
// the years 100 to 9999.
QString accessDateText(double days);
// A Single as the double with the same shortest decimal digits (1.45f -> 1.45).
double singleAsDouble(float value);

}  // namespace trb::transfer
