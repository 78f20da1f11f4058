// Scripts of statements in the Access dialect: batches separated by lines that read "go".
#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/db/database.h"

namespace trb::db {

struct Batch {
  QString text;
  int firstLine = 1;  // line of the script where the batch begins
};

// Splits a script at the lines that read "go" (any case, blanks around allowed); empty batches
// are left out.
QList<Batch> splitBatches(const QString& script);

// True when the batch is a query that returns rows (a SELECT without INTO, or a TRANSFORM).
bool returnsRows(const QString& batch);

struct ScriptSink {
  // Called with each query's open result.
  std::function<void(const Batch&, QSqlQuery&)> rows;
  // Called with the rows affected by a statement that changes the database.
  std::function<void(const Batch&, int)> changes;
};

// Runs the batches in order inside one transaction; the first failing batch throws DbError and
// leaves the database as it was. The files that "SELECT ... INTO t IN file" batches name are
// attached first and written inside the same transaction.
// A file that such a batch creates is removed again when the script fails; a path that is there
// but no regular file (a device) is refused.
void runScript(Database& db, const QString& script, const ScriptSink& sink);

// The column names of an open result as the statement gives them (the driver's record drops
// double quotes from them: [a"b] would read ab).
QStringList columnNames(const QSqlQuery& q);

}  // namespace trb::db
