#include "gui/sqlmodule/result_model.h"

#include "core/base/error.h"
#include "core/db/numbers.h"

namespace trb::gui {

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultModel::~ResultModel() = default;

void ResultModel::setCursor(std::unique_ptr<trb::sqlmodule::ResultCursor> cursor) {
  beginResetModel();
  cursor_ = std::move(cursor);
  shown_ = cursor_ ? cursor_->rowCount() : 0;
  endResetModel();
}

void ResultModel::showFetched() {
  const int now = cursor_ ? cursor_->rowCount() : 0;
  if (now <= shown_) return;
  beginInsertRows(QModelIndex(), shown_, now - 1);
  shown_ = now;
  endInsertRows();
}

void ResultModel::fetchAll() {
  if (!cursor_) return;
  while (!cursor_->atEnd()) cursor_->fetchMore(4096);
  showFetched();
}

int ResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !cursor_ ? 0 : int(cursor_->columns().size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!cursor_ || !index.isValid() || index.row() >= shown_) return QVariant();
  const QVariant v = cursor_->row(index.row()).value(index.column());
  const bool number = v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong;
  if (role == Qt::DisplayRole) {
    if (v.typeId() == QMetaType::Double) return trb::fmt_general(v.toDouble());
    return v;
  }
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(number ? Qt::AlignRight | Qt::AlignVCenter
                                      : Qt::AlignLeft | Qt::AlignVCenter);
  return QVariant();
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return section + 1;
  return cursor_ ? cursor_->columns().value(section) : QVariant();
}

bool ResultModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && cursor_ && (!cursor_->atEnd() || cursor_->rowCount() > shown_);
}

void ResultModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid() || !cursor_) return;
  try {
    if (cursor_->rowCount() <= shown_) cursor_->fetchMore(kBlock);
  } catch (const trb::Error&) {
    // a read that fails half-way (the file changed under it) ends the result where it is
  }
  showFetched();
}

}  // namespace trb::gui
