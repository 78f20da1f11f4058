// The plots of the next run, one row each, under readable titles.
#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "core/engine/simulator_service.h"

namespace trb::gui {

class SiteListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void setRows(const QList<trb::engine::SiteRow>& rows);
  const trb::engine::SiteRow& row(int r) const { return rows_.at(r); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QList<trb::engine::SiteRow> rows_;
};

}  // namespace trb::gui
