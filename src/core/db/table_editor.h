// Editing one table in place, row by row: what the editable grids of the windows work through.
//
// Rows are read with their rowid and written back by it, every value bound as a parameter. A value
// typed by the user is first turned into the form its column keeps (yes/no as -1/0, numbers read
// in the user's locale, text as typed); a value that does not fit is refused with an error naming
// the column, and nothing is written.
#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace trb::db {

class Database;

struct TableColumn {
  QString name;
  QString declType;  // as declared in the table ("INTEGER", "REAL", "TEXT", "YESNO", ...)
  // 'i' integer, 'r' real, 't' text, 'b' yes/no, 'd' date, '?' other (see dialect::typeKind)
  char kind = '?';
  bool primaryKey = false;
  bool hasDefault = false;
  bool isNumber() const { return kind == 'i' || kind == 'r'; }
};

struct TableRow {
  qlonglong rowid = 0;
  QVariantList values;  // in the order of TableEditor::columns()
};

class TableEditor {
 public:
  // Throws trb::Error when the table does not exist.
  TableEditor(Database& db, const QString& table);

  QString table() const { return table_; }
  const QList<TableColumn>& columns() const { return columns_; }
  // Position of a column, without regard to case; -1 when there is none.
  int columnIndex(const QString& name) const;

  // Reads only the rows whose column holds value (bound as a parameter); an empty column name
  // reads every row. A null value matches no row.
  void setFilter(const QString& column, const QVariant& value);
  void clearFilter() { setFilter(QString(), QVariant()); }
  QString filterColumn() const { return filterColumn_; }
  QVariant filterValue() const { return filterValue_; }
  // The order of the rows: an ORDER BY clause in the database's dialect, written by the program
  // itself (never text a user typed). Empty: the order in which rows were added.
  void setOrder(const QString& orderBy) { orderBy_ = orderBy; }

  QList<TableRow> readRows();
  // One row by its rowid; throws trb::Error when it no longer exists.
  TableRow readRow(qlonglong rowid);

  // The value to store for text typed into column (an index of columns()): null for an empty
  // number or date, -1/0 for yes/no, a number read in locale (no digit grouping) for a number
  // column, the text as typed otherwise. Throws trb::Error naming the column when the text does
  // not fit.
  QVariant valueFromText(int column, const QString& text, const QLocale& locale = QLocale()) const;
  // A value as it is kept in column: yes/no becomes -1/0, an integer column keeps an integer.
  // Throws trb::Error naming the column for a value of another kind (text in a number column).
  QVariant normalized(int column, const QVariant& value) const;

  // Writes the given columns (index -> value) of one row.
  void updateRow(qlonglong rowid, const QList<QPair<int, QVariant>>& values);
  // Appends a row with the given columns set (and the filter column set to the filter value, so
  // that the new row belongs to the rows read); returns its rowid.
  qlonglong insertRow(const QList<QPair<int, QVariant>>& values = {});
  void deleteRow(qlonglong rowid);

 private:
  QString selectText() const;
  [[noreturn]] void refuse(int column, const QString& text) const;

  Database& db_;
  QString table_;
  QString rowidName_;  // the rowid under a name that no column of the table shadows
  QList<TableColumn> columns_;
  QString filterColumn_;
  QVariant filterValue_;
  QString orderBy_;
};

}  // namespace trb::db
