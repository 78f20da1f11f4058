#include "gui/simulator/assessment_pairs_model.h"

#include "core/db/numbers.h"

namespace trb::gui {

namespace {

enum Column { kYear, kMeasured, kSimulated, kDifference, kMeasId, kColumns };

// Soil carbon in % to four decimals, in the general format of the user's locale.
QString carbon(double value) {
  return trb::fmt_general(trb::round_to(value, 4));
}

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
  return parent.isValid() ? 0 : kColumns;
}

QVariant AssessmentPairsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return QVariant();
  const trb::engine::AssessmentPair& p = pairs_.at(index.row());
  switch (index.column()) {
    case kYear:
      return p.year;
    case kMeasured:
      return carbon(p.measured);
    case kSimulated:
      return carbon(p.simulated);
    case kDifference:
      return carbon(p.measured - p.simulated);
    case kMeasId:
      return p.measId;
    default:
      return QVariant();
  }
}

QVariant AssessmentPairsModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return section + 1;
  switch (section) {
    case kYear:
      return tr("year");
    case kMeasured:
      return tr("measured C (%)");
    case kSimulated:
      return tr("simulated C (%)");
    case kDifference:
      return tr("measured - simulated");
    case kMeasId:
      return tr("measurement");
    default:
      return QVariant();
  }
}

}  // namespace trb::gui
