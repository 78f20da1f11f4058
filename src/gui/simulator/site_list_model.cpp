#include "gui/simulator/site_list_model.h"

namespace trb::gui {


void SiteListModel::setRows(const QList<trb::engine::SiteRow>& rows) {
  beginResetModel();
  rows_ = rows;
  endResetModel();
}

int SiteListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int SiteListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 5;
}

QVariant SiteListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return QVariant();
  const trb::engine::SiteRow& r = rows_.at(index.row());
  switch (index.column()) {
    case 0:
      return r.flId;
    case 1:
      return r.siteDescription;
    case 2:
      return r.location;
    case 3:
      return r.station;
    case 4:
      return r.profile;
    default:
      return QVariant();
  }
}

QVariant SiteListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return section + 1;
  switch (section) {
    case 0:
      return tr("plot");
    case 1:
      return tr("site");
    case 2:
      return tr("location");
    case 3:
      return tr("climate station");
    case 4:
      return tr("soil profile");
    default:
      return QVariant();
  }
}

}  // namespace trb::gui
