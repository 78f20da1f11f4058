// The syntax tree of an Access statement, as the parser builds it and the writer reads it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace trb::db::dialect::detail {

struct Select;

struct Expr {
  enum K {
    Num,
    Str,
    DateLit,
    Null,
    Bool,
    Col,
    Star,
    Param,
    Unary,
    Binary,
    Func,
    In,
    Between,
    IsNull,
    Like,
    Sub,
    Exists,
    Case
  } k;
  QString text;                       // literal text, operator, function name, parameter
  QStringList parts;                  // column: qualifier(s) and name; star: optional qualifier
  QList<std::shared_ptr<Expr>> args;  // operands, arguments, IN list, CASE when/then pairs
  // A chain of operators of one precedence (a + b - c): the operator before each operand after
  // the first, left to right; empty for a single operator, which is then in text.
  QStringList ops;
  std::shared_ptr<Select> sub;  // subquery
  bool neg = false;             // NOT IN, NOT BETWEEN, IS NOT NULL, NOT LIKE
  bool distinct = false;        // Count(DISTINCT x)
  bool hasElse = false;         // CASE ... ELSE
  bool hasBase = false;         // CASE x WHEN ...
};
using ExprP = std::shared_ptr<Expr>;

struct SelItem {
  ExprP e;
  QString alias;
};

struct TableRef;
using TableRefP = std::shared_ptr<TableRef>;
struct TableRef {
  enum K { Table, SubQ, Join } k = Table;
  QString name;   // table name
  QString owner;  // the qualifier before the name ("owner.table"); kept only for an attached file
  QString alias;
  std::optional<QList<std::shared_ptr<Expr>>> args;  // a table-valued function's arguments
  std::shared_ptr<Select> sub;
  // join
  QString joinType;  // "INNER", "LEFT", "RIGHT", "CROSS", ","
  TableRefP left, right;
  ExprP on;
  bool parens = false;
};

struct OrderItem {
  ExprP e;
  QString dir;
};

struct Select {
  bool distinct = false;
  std::optional<QString> top;
  QList<SelItem> items;
  QString into;
  QString intoFile;
  bool hasIntoFile = false;
  TableRefP from;
  ExprP where, having;
  QList<ExprP> groupBy;
  QList<OrderItem> orderBy;
  // compound: the next select and its operator ("UNION", "UNION ALL")
  std::shared_ptr<Select> next;
  QString compound;
};
using SelectP = std::shared_ptr<Select>;

inline ExprP mk(Expr::K k, const QString& text = QString()) {
  auto e = std::make_shared<Expr>();
  e->k = k;
  e->text = text;
  return e;
}

}  // namespace trb::db::dialect::detail
