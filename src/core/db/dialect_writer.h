// The writer of the dialect translator: the syntax tree (dialect_ast.h) as SQLite text, with the
// constructs that give the Access results; and the column types of the statements it writes.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/db/dialect_ast.h"

namespace trb::db::dialect::detail {

QString quoteName(const QString& n);

// Writes expressions and selects; kind() tells the type kind an expression gives.
class Writer {
 public:
  // colType: the declared type kind of a column reference ("t.c" or "c"), or '?' when unknown
  std::function<char(const QStringList&)> colType = [](const QStringList&) { return '?'; };
  // The names of the database files attached to the connection besides the main one: a table
  // qualified with one of them ("dst.measurements") is read from that file.
  QStringList attached;

  // A table name as SQLite reads it, with its database where the owner names an attached one.
  QString tableName(const QString& owner, const QString& name) const;

  QString expr(const ExprP& e, bool boolCtx = false);
  char kind(const ExprP& e);
  bool textual(const ExprP& e) { return kind(e) == 't'; }

  QString binary(const ExprP& e);
  void flattenConcat(const ExprP& e, QStringList& parts);
  // The operator before operand i (1 ..) of a binary node or chain.
  static const QString& opAt(const ExprP& e, qsizetype i);
  QString func(const ExprP& e);
  QString tableRef(const TableRefP& r);

  // The select list; `wrap` gives the wrapping function for item i (empty for none) and
  // `names` the column name to give item i (empty: as written).
  QString select(const Select& s, const QStringList& wraps = {}, const QStringList& names = {});
};

// The SQLite column type for an Access type name; throws DialectError for an unknown one.
QString nativeType(const QString& accessType);
// The declared type for a type kind (see typeKind); empty for an unknown kind.
QString typeForKind(char k);
// The function a value passes through before it is stored in a column of kind k (integer,
// yes/no); empty when none is needed.
QString wrapFor(char k);

}  // namespace trb::db::dialect::detail
