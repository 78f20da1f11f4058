// Translation of the Access dialect into SQLite.
//
// A statement is tokenized and parsed into a small syntax tree, then written out again as SQLite
// text. Where SQLite would silently compute something else (integer division, "+" on text, true
// as 1, typeless make-table columns, writes into integer columns that keep their fraction), the
// writer emits the construct that gives the Access result.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <string>

#include "core/base/error.h"

namespace trb::db::dialect {

struct ColumnInfo {
  QString name;
  QString declType;  // declared type as stored in SQLite ("INTEGER", "REAL", "TEXT", "YESNO", ...)
  bool primaryKey = false;  // part of the table's primary key
  bool hasDefault = false;  // declared with a default value
};

// What the translator needs to know about the database it translates for.
class Schema {
 public:
  virtual ~Schema() = default;
  // Columns of a table in order; empty when the table does not exist.
  virtual QList<ColumnInfo> tableColumns(const QString& table) = 0;
  // Result columns of a native SQLite SELECT: their names and declared types (empty type for an
  // expression). Throws std::runtime_error with the engine's message when it does not prepare.
  virtual QList<ColumnInfo> resultColumns(const QString& nativeSelect) = 0;
  // The names of the database files attached besides the main one.
  virtual QStringList attachedDatabases() { return {}; }
};

// A statement the translator cannot carry over.
class DialectError : public trb::Error {
 public:
  explicit DialectError(const QString& message) : trb::Error(message) {}
  explicit DialectError(const std::string& message) : trb::Error(QString::fromStdString(message)) {}
};

// The native statements that carry out one Access statement, in order.
struct Translation {
  QStringList statements;
  bool makeTable = false;  // the rows created are the changes of the last statement
  bool changesSchema = false;
  // A make-table into another file: attach before, detach after (outside any transaction).
  QString attachFile;
};

Translation translate(const QString& accessSql, Schema& schema);

// The file a make-table query writes into ("SELECT ... INTO t IN \"file\" ..."), read without a
// schema; empty for any other statement or one that does not parse.
QString makeTableFile(const QString& accessSql);

// Column type names of this database: the declared types the translator and schema use.
inline constexpr const char* kInteger = "INTEGER";
inline constexpr const char* kReal = "REAL";
inline constexpr const char* kText = "TEXT";
inline constexpr const char* kYesNo = "YESNO";
inline constexpr const char* kDate = "DATETIME";

// The kind of a declared type: 'i' integer, 'r' real, 't' text, 'b' yes/no, 'd' date, '?' other.
char typeKind(const QString& declType);

}  // namespace trb::db::dialect
