// The browser's files view: three grids that edit field_description (restricted to an
// experiment), cultivation and measurements in place, with a user's filter condition.
//
// A condition typed by the user is Access dialect. It is translated and accepted only when it is
// one expression; anything else (a second statement, a semicolon) is refused with trb::Error and
// nothing runs.
#pragma once

#include <QSqlTableModel>
#include <QString>

namespace trb::db {
class Database;
}

namespace trb::browser {

// The filter after applying a condition: "(" + base + ") and (" + condition + ")", base being the
// current filter up to, not including, its first "and" (the whole filter without one).
// "fl_id=5", "x" gives "(fl_id=5) and (x)"; applying "y" to that gives "((fl_id=5) ) and (y)".
QString applyFilterCondition(const QString& currentFilter, const QString& condition);

// Translates a user's condition on table into SQLite text. Throws trb::Error (with the condition
// as its statement) when it is empty, not one expression, or does not prepare against the table.
QString translateFilterCondition(trb::db::Database& db, const QString& table,
                                 const QString& condition);

// An SQL text literal: the text in single quotes, inner quotes doubled.
QString sqlTextLiteral(const QString& text);

// One grid of the files view: edits its table in place on the database's connection (a changed
// row is written when the current row changes, or by submitAll()). The filter is only ever set
// from the service's own texts or from translated, validated conditions.
class FilesTableModel : public QSqlTableModel {
  Q_OBJECT

 public:
  // table: "field_description", "cultivation" or "measurements".
  FilesTableModel(trb::db::Database& db, const QString& table, QObject* parent = nullptr);

  // The upper grid: the plots of one experiment ("location='...'").
  void restrictToLocation(const QString& location);
  // The lower grids: the rows of one plot ("fl_id=N").
  void restrictToPlot(qlonglong flId);
  // "apply filter": validates the condition, then reopens with applyFilterCondition(filter(),
  // condition in SQLite text). A refused condition throws trb::Error and leaves the filter as it
  // was; a filter that the database rejects throws trb::Error and restores the previous one.
  void applyCondition(const QString& condition);

 private:
  void reopen(const QString& filter);
  trb::db::Database& db_;
};

}  // namespace trb::browser
