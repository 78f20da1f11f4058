#include "gui/simulator/assessment_pairs_model.h"

namespace trb::gui {

namespace {

QVariant header(const char* const* names, int count, int section, Qt::Orientation orientation,
                int role) {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= count) return QVariant();
  return QString::fromLatin1(names[section]);
}

constexpr const char* kPairColumns[] = {"YEAR_", "MEAS_VALUE", "SIM_VALUE", "MEAS_ID"};

}  // namespace

void AssessmentPairsModel::setPairs(const QList<trb::engine::AssessmentPair>& pairs) {
  beginResetModel();
  pairs_ = pairs;
  endResetModel();
}

int AssessmentPairsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(pairs_.size());
}

int AssessmentPairsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(std::size(kPairColumns));
}

QVariant AssessmentPairsModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return QVariant();
  const trb::engine::AssessmentPair& p = pairs_.at(index.row());
  switch (index.column()) {
    case 0:
      return p.year;
    case 1:
      return p.measured;
    case 2:
      return p.simulated;
    case 3:
      return p.measId;
    default:
      return QVariant();
  }
}

QVariant AssessmentPairsModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
  return header(kPairColumns, int(std::size(kPairColumns)), section, orientation, role);
}

}  // namespace trb::gui
