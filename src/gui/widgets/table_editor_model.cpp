#include "gui/widgets/table_editor_model.h"

#include <QLocale>

#include "core/db/numbers.h"

namespace trb::gui {

TableEditorModel::TableEditorModel(QObject* parent) : QAbstractTableModel(parent) {}

TableEditorModel::~TableEditorModel() = default;

void TableEditorModel::setEditor(std::unique_ptr<trb::db::TableEditor> editor, QList<Shown> shown) {
  beginResetModel();
  editor_ = std::move(editor);
  rows_.clear();
  shown_.clear();
  columns_.clear();
  if (editor_) {
    if (shown.isEmpty())
      for (const auto& c : editor_->columns()) shown.append({c.name, c.name});
    for (const Shown& s : shown) {
      const int c = s.column.isEmpty() ? -1 : editor_->columnIndex(s.column);
      // a column the table lacks is left out
      if (!s.column.isEmpty() && c < 0) continue;
      shown_ << s;
      columns_ << c;
    }
  }
  endResetModel();
  reload();
}

void TableEditorModel::clear() {
  beginResetModel();
  editor_.reset();
  rows_.clear();
  shown_.clear();
  columns_.clear();
  endResetModel();
}

void TableEditorModel::reload() {
  if (!editor_) return;
  beginResetModel();
  rows_.clear();
  try {
    rows_ = editor_->readRows();
  } catch (...) {
    endResetModel();
    throw;
  }
  endResetModel();
}

qlonglong TableEditorModel::rowidAt(int row) const {
  return row >= 0 && row < rows_.size() ? rows_[row].rowid : -1;
}

int TableEditorModel::rowOfRowid(qlonglong rowid) const {
  for (int r = 0; r < rows_.size(); ++r)
    if (rows_[r].rowid == rowid) return r;
  return -1;
}

QVariant TableEditorModel::value(int row, const QString& column) const {
  if (!editor_ || row < 0 || row >= rows_.size()) return {};
  const int c = editor_->columnIndex(column);
  return c < 0 ? QVariant() : rows_[row].values.value(c);
}

QString TableEditorModel::columnName(int column) const {
  return column >= 0 && column < shown_.size() ? shown_[column].column : QString();
}

int TableEditorModel::tableColumn(int column) const {
  return column >= 0 && column < columns_.size() ? columns_[column] : -1;
}

int TableEditorModel::appendRow() {
  const qlonglong rowid = editor_->insertRow();
  const trb::db::TableRow row = editor_->readRow(rowid);
  const int at = int(rows_.size());
  beginInsertRows({}, at, at);
  rows_ << row;
  endInsertRows();
  return at;
}

void TableEditorModel::removeRowAt(int row) {
  if (row < 0 || row >= rows_.size()) return;
  editor_->deleteRow(rows_[row].rowid);
  beginRemoveRows({}, row, row);
  rows_.removeAt(row);
  endRemoveRows();
}

int TableEditorModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int TableEditorModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(shown_.size());
}

QString TableEditorModel::text(int row, int column) const {
  const int c = tableColumn(column);
  if (c < 0) return QString();
  const QVariant& v = rows_[row].values.at(c);
  if (v.isNull()) return QString();
  switch (v.typeId()) {
    case QMetaType::Double:
      return trb::fmt_general(v.toDouble());
    case QMetaType::LongLong:
      return QString::number(v.toLongLong());
    default:
      return v.toString();
  }
}

QVariant TableEditorModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_.size()) return {};
  const int c = tableColumn(index.column());
  if (c < 0) return {};
  const trb::db::TableColumn& col = editor_->columns()[c];
  if (col.kind == 'b') {
    if (role == Qt::CheckStateRole) {
      const QVariant& v = rows_[index.row()].values.at(c);
      return v.toDouble() != 0 ? Qt::Checked : Qt::Unchecked;
    }
    return {};
  }
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(col.isNumber() ? Qt::AlignRight | Qt::AlignVCenter
                                                : Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant TableEditorModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o == Qt::Horizontal && role == Qt::DisplayRole && section < shown_.size())
    return shown_[section].title;
  return QAbstractTableModel::headerData(section, o, role);
}

Qt::ItemFlags TableEditorModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const int c = tableColumn(index.column());
  if (c < 0) return Qt::ItemIsEnabled;
  if (editor_->columns()[c].kind == 'b')
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TableEditorModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.row() >= rows_.size()) return false;
  const int c = tableColumn(index.column());
  if (c < 0) return false;
  const bool yesNo = editor_->columns()[c].kind == 'b';
  if (yesNo ? role != Qt::CheckStateRole : role != Qt::EditRole) return false;
  trb::db::TableRow& row = rows_[index.row()];
  try {
    QVariant stored;
    if (yesNo)
      stored = value.toInt() == Qt::Checked ? -1 : 0;
    else if (value.typeId() == QMetaType::QString)
      stored = editor_->valueFromText(c, value.toString());
    else
      stored = editor_->normalized(c, value);
    editor_->updateRow(row.rowid, {{c, stored}});
    // what the table now holds (an integer column rounds)
    row = editor_->readRow(row.rowid);
  } catch (const trb::Error& e) {
    emit problem(e);
    return false;
  }
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  return true;
}

}  // namespace trb::gui
