// Writing a grid of values to a real spreadsheet file (.xlsx): row 1 the titles, then one row per
// record. Numbers become numeric cells, text stays text, empty values leave the cell empty. One
// exporter for every grid of the program.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace trb::db {
class Database;
}

namespace trb::transfer {

struct Sheet {
  QString name = QStringLiteral("Sheet1");
  QStringList titles;
  QList<QVariantList> rows;
  // With 0 or more, numbers are rounded to that many decimals (ties to even) before writing.
  int decimals = -1;
};

// Writes sheet to path (replacing the file). Throws trb::Error naming the path when the file
// cannot be written.
void write_spreadsheet(const QString& path, const Sheet& sheet);

// The rows of a statement of the database's dialect as a sheet, its column names as titles.
Sheet sheet_from_query(db::Database& db, const QString& sql, const QVariantList& binds = {});

// A file name proposal: the parts joined by "_", characters that cannot stand in a file name
// replaced by "_", with ".xlsx" appended.
QString spreadsheet_file_name(const QStringList& parts);

}  // namespace trb::transfer
