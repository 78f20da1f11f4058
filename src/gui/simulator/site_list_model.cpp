#include "gui/simulator/site_list_model.h"

namespace trb::gui {

namespace {

QVariant header(const char* const* names, int count, int section, Qt::Orientation orientation,
                int role) {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= count) return QVariant();
  return QString::fromLatin1(names[section]);
}

constexpr const char* kSiteColumns[] = {"FL_ID", "site_description", "Location", "station",
                                        "profile"};

}  // namespace

void SiteListModel::setRows(const QList<trb::engine::SiteRow>& rows) {
  beginResetModel();
  rows_ = rows;
  endResetModel();
}

int SiteListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int SiteListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(std::size(kSiteColumns));
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
  return header(kSiteColumns, int(std::size(kSiteColumns)), section, orientation, role);
}

}  // namespace trb::gui
