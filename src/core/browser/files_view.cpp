#include "core/browser/files_view.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QSqlError>

#include "core/base/error.h"
#include "core/db/database.h"

using trb::db::Database;

namespace trb::browser {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("FilesView", text);
}

QString filterCaption() {
  return tr("filter condition");
}

// Whether "SELECT 1 FROM table WHERE (expression)" prepares as one statement with nothing after
// it; the engine's message otherwise.
QString checkOneExpression(Database& db, const QString& table, const QString& expression) {
  const QByteArray sql =
      QStringLiteral("SELECT 1 FROM \"%1\" WHERE (%2)").arg(table, expression).toUtf8();
  sqlite3_stmt* st = nullptr;
  const char* tail = nullptr;
  const int rc = sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &st, &tail);
  QString problem;
  if (rc != SQLITE_OK)
    problem = QString::fromUtf8(sqlite3_errmsg(db.handle()));
  else if (!QByteArray(tail).trimmed().isEmpty())
    problem = tr("more than one statement");
  sqlite3_finalize(st);
  return problem;
}

}  // namespace

QString applyFilterCondition(const QString& currentFilter, const QString& condition) {
  const int andAt = currentFilter.indexOf(QStringLiteral("and"));
  const QString base = andAt < 0 ? currentFilter : currentFilter.left(andAt);
  return QStringLiteral("(") + base + QStringLiteral(") and (") + condition + QStringLiteral(")");
}

QString translateFilterCondition(Database& db, const QString& table, const QString& condition) {
  if (condition.trimmed().isEmpty())
    throw trb::Error(tr("The filter condition is empty."), filterCaption(), condition);
  const QString probe =
      QStringLiteral("select * from [%1] where (").arg(table) + condition + QStringLiteral(")");
  QStringList native;
  try {
    native = db.translate(probe);
  } catch (const trb::db::DbError& e) {
    throw trb::Error(tr("The filter condition is not one expression: %1").arg(e.engineMessage()),
                     filterCaption(), condition);
  }
  // One SELECT whose WHERE clause is the condition; anything else was not one expression.
  const int where = native.size() == 1
                        ? native.first().indexOf(QStringLiteral(" WHERE "), 0, Qt::CaseInsensitive)
                        : -1;
  if (where < 0 || !native.first().startsWith(QStringLiteral("SELECT"), Qt::CaseInsensitive))
    throw trb::Error(tr("The filter condition is not one expression."), filterCaption(), condition);
  const QString expression = native.first().mid(where + 7).trimmed();
  const QString problem = checkOneExpression(db, table, expression);
  if (!problem.isEmpty())
    throw trb::Error(tr("The filter condition is not one expression: %1").arg(problem),
                     filterCaption(), condition);
  return expression;
}

QString sqlTextLiteral(const QString& text) {
  QString quoted = text;
  quoted.replace(u'\'', QStringLiteral("''"));
  return u'\'' + quoted + u'\'';
}

FilesTableModel::FilesTableModel(Database& db, const QString& table, QObject* parent)
    : QSqlTableModel(parent, db.qt()), db_(db) {
  setTable(table);
  setEditStrategy(QSqlTableModel::OnRowChange);
}

void FilesTableModel::restrictToLocation(const QString& location) {
  reopen(QStringLiteral("location=") + sqlTextLiteral(location));
}

void FilesTableModel::restrictToPlot(qlonglong flId) {
  reopen(QStringLiteral("fl_id=") + QString::number(flId));
}

void FilesTableModel::applyCondition(const QString& condition) {
  const QString expression = translateFilterCondition(db_, tableName(), condition);
  const QString composed = applyFilterCondition(filter(), expression);
  // The base is cut at the first "and": a cut inside a parenthesis leaves a broken filter.
  const QString problem = checkOneExpression(db_, tableName(), composed);
  if (!problem.isEmpty())
    throw trb::Error(tr("The filter cannot be applied: %1").arg(problem), filterCaption(),
                     composed);
  reopen(composed);
}

void FilesTableModel::reopen(const QString& filter) {
  const QString previous = this->filter();
  setFilter(filter);
  if (select()) return;
  const QString message = lastError().databaseText();
  setFilter(previous);
  select();
  throw trb::Error(tr("The table cannot be opened: %1").arg(message), filterCaption(), filter);
}

}  // namespace trb::browser
