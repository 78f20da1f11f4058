// A read-only grid model over a list of typed rows: each column a title and how to show a row.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <utility>

namespace trb::gui {

template <class Row>
class RowModel : public QAbstractTableModel {
 public:
  struct Column {
    QString title;
    std::function<QVariant(const Row&)> value;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
  };

  explicit RowModel(QList<Column> columns, QObject* parent = nullptr)
      : QAbstractTableModel(parent), columns_(std::move(columns)) {}

  void setRows(QList<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
  }
  const QList<Row>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : int(rows_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : int(columns_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const Column& c = columns_[index.column()];
    if (role == Qt::DisplayRole) return c.value(rows_[index.row()]);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(c.align);
    return {};
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < columns_.size())
      return columns_[section].title;
    return QAbstractTableModel::headerData(section, o, role);
  }

 private:
  QList<Column> columns_;
  QList<Row> rows_;
};

}  // namespace trb::gui
