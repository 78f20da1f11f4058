#include "core/db/table_editor.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <cmath>

#include "core/db/database.h"
#include "core/db/dialect.h"
#include "core/db/numbers.h"

namespace trb::db {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::db::TableEditor", text);
}

// A name in brackets, as the dialect reads table and column names with blanks or odd characters.
QString bracketed(const QString& name) {
  return u'[' + name + u']';
}

}  // namespace

TableEditor::TableEditor(Database& db, const QString& table) : db_(db), table_(table) {
  for (const dialect::ColumnInfo& c : db.columnInfo(table))
    columns_.append(
        {c.name, c.declType, dialect::typeKind(c.declType), c.primaryKey, c.hasDefault});
  if (columns_.isEmpty())
    throw trb::Error(tr("The table %1 does not exist.").arg(table), tr("table"), table);
  for (const char* alias : {"rowid", "_rowid_", "oid"}) {
    if (columnIndex(QString::fromLatin1(alias)) < 0) {
      rowidName_ = QString::fromLatin1(alias);
      break;
    }
  }
  if (rowidName_.isEmpty())
    throw trb::Error(tr("The rows of table %1 cannot be told apart for editing.").arg(table),
                     tr("table"), table);
}

int TableEditor::columnIndex(const QString& name) const {
  for (int i = 0; i < columns_.size(); ++i)
    if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

void TableEditor::setFilter(const QString& column, const QVariant& value) {
  if (!column.isEmpty() && columnIndex(column) < 0)
    throw trb::Error(tr("The table %1 has no column %2.").arg(table_, column), tr("table"));
  filterColumn_ = column.isEmpty() ? QString() : columns_[columnIndex(column)].name;
  filterValue_ = column.isEmpty() ? QVariant() : value;
}

QString TableEditor::selectText() const {
  QStringList cols{rowidName_};
  for (const TableColumn& c : columns_) cols << bracketed(c.name);
  return QStringLiteral("SELECT ") + cols.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
         bracketed(table_);
}

QList<TableRow> TableEditor::readRows() {
  QString sql = selectText();
  QVariantList binds;
  if (!filterColumn_.isEmpty()) {
    sql += QStringLiteral(" WHERE ") + bracketed(filterColumn_) + QStringLiteral(" = ?");
    binds << filterValue_;
  }
  sql += QStringLiteral(" ORDER BY ") + (orderBy_.isEmpty() ? rowidName_ : orderBy_);
  QList<TableRow> rows;
  Reader r(db_, sql, binds);
  while (r.next()) {
    TableRow row;
    row.rowid = r.toLongLong(0);
    row.values.reserve(columns_.size());
    for (int c = 0; c < columns_.size(); ++c) row.values << r.value(c + 1);
    rows << row;
  }
  return rows;
}

TableRow TableEditor::readRow(qlonglong rowid) {
  Reader r(db_, selectText() + QStringLiteral(" WHERE ") + rowidName_ + QStringLiteral(" = ?"),
           {rowid});
  if (!r.next())
    throw trb::Error(tr("The row no longer exists in table %1.").arg(table_), tr("table"));
  TableRow row;
  row.rowid = rowid;
  for (int c = 0; c < columns_.size(); ++c) row.values << r.value(c + 1);
  return row;
}

void TableEditor::refuse(int column, const QString& text) const {
  const TableColumn& c = columns_[column];
  QString what;
  switch (c.kind) {
    case 'i':
    case 'r':
      what = tr("\"%1\" is not a number: column %2 takes numbers only.");
      break;
    case 'd':
      what = tr("\"%1\" is not a date: column %2 takes dates only.");
      break;
    default:
      what = tr("\"%1\" does not fit column %2.");
  }
  throw trb::Error(what.arg(text, c.name), tr("value refused"));
}

QVariant TableEditor::valueFromText(int column, const QString& text, const QLocale& locale) const {
  const TableColumn& c = columns_.at(column);
  const QString t = text.trimmed();
  // "12.500" must not become twelve thousand five hundred in a locale that groups with points
  QLocale numbers = locale;
  numbers.setNumberOptions(numbers.numberOptions() | QLocale::RejectGroupSeparator);
  bool ok = false;
  switch (c.kind) {
    case 'b': {
      if (t.isEmpty()) return 0;
      const double x = numbers.toDouble(t, &ok);
      if (ok) return x != 0 ? -1 : 0;
      const QString l = t.toLower();
      if (l == u"true" || l == u"yes" || l == tr("yes").toLower()) return -1;
      if (l == u"false" || l == u"no" || l == tr("no").toLower()) return 0;
      refuse(column, text);
    }
    case 'i':
    case 'r': {
      if (t.isEmpty()) return QVariant();
      const double x = numbers.toDouble(t, &ok);
      if (!ok || !std::isfinite(x)) refuse(column, text);
      return normalized(column, x);
    }
    case 'd': {
      if (t.isEmpty()) return QVariant();
      QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
      if (!dt.isValid()) dt = locale.toDateTime(t, QLocale::ShortFormat);
      if (!dt.isValid()) {
        const QDate d = locale.toDate(t, QLocale::ShortFormat);
        if (d.isValid()) dt = d.startOfDay();
      }
      if (!dt.isValid()) refuse(column, text);
      return dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                      : dt.toString(Qt::ISODate).replace(u'T', u' ');
    }
    case 't':
      return text;
    default: {
      // an untyped column keeps numbers as numbers
      if (t.isEmpty()) return text;
      const double x = numbers.toDouble(t, &ok);
      return ok ? QVariant(x) : QVariant(text);
    }
  }
}

QVariant TableEditor::normalized(int column, const QVariant& value) const {
  const TableColumn& c = columns_.at(column);
  if (value.isNull() || !value.isValid()) return c.kind == 'b' ? QVariant(0) : QVariant();
  if (c.kind == 'b') {
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? -1 : 0;
    if (trb::holds_number(value)) return value.toDouble() != 0 ? -1 : 0;
    return valueFromText(column, value.toString());
  }
  if (c.isNumber()) {
    if (!trb::holds_number(value)) {
      // text from a caller: read with a decimal point, as numbers in SQL text are
      bool ok = false;
      const double x = value.toString().trimmed().toDouble(&ok);
      if (!ok || !std::isfinite(x)) refuse(column, value.toString());
      return normalized(column, x);
    }
    // the dialect stores an integer column's value rounded half to even
    if (c.kind == 'i' && value.typeId() == QMetaType::Double) return value.toDouble();
    return value.typeId() == QMetaType::Bool ? QVariant(value.toBool() ? -1 : 0) : value;
  }
  return value;
}

void TableEditor::updateRow(qlonglong rowid, const QList<QPair<int, QVariant>>& values) {
  if (values.isEmpty()) return;
  QStringList sets;
  QVariantList binds;
  for (const auto& [column, value] : values) {
    sets << bracketed(columns_.at(column).name) + QStringLiteral(" = ?");
    binds << normalized(column, value);
  }
  binds << rowid;
  db_.execute(QStringLiteral("UPDATE ") + bracketed(table_) + QStringLiteral(" SET ") +
                  sets.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + rowidName_ +
                  QStringLiteral(" = ?"),
              binds);
}

qlonglong TableEditor::insertRow(const QList<QPair<int, QVariant>>& values) {
  QList<QPair<int, QVariant>> all = values;
  const int filter = filterColumn_.isEmpty() ? -1 : columnIndex(filterColumn_);
  bool hasFilter = false;
  for (const auto& v : all) hasFilter = hasFilter || v.first == filter;
  if (filter >= 0 && !hasFilter) all.append({filter, filterValue_});
  if (all.isEmpty()) {
    // A row of defaults: the key left empty (a new number when it is the rowid) or else the first
    // column without a default, so that no default is overridden.
    int pick = 0;
    for (int i = columns_.size() - 1; i >= 0; --i)
      if (!columns_[i].hasDefault) pick = i;
    for (int i = 0; i < columns_.size(); ++i)
      if (columns_[i].primaryKey) pick = i;
    all.append({pick, QVariant()});
  }
  QStringList names, marks;
  QVariantList binds;
  for (const auto& [column, value] : all) {
    names << bracketed(columns_.at(column).name);
    marks << QStringLiteral("?");
    binds << normalized(column, value);
  }
  db_.execute(QStringLiteral("INSERT INTO ") + bracketed(table_) + QStringLiteral(" (") +
                  names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                  marks.join(QStringLiteral(", ")) + u')',
              binds);
  return db_.lastInsertRowid();
}

void TableEditor::deleteRow(qlonglong rowid) {
  db_.execute(QStringLiteral("DELETE FROM ") + bracketed(table_) + QStringLiteral(" WHERE ") +
                  rowidName_ + QStringLiteral(" = ?"),
              {rowid});
}

}  // namespace trb::db
