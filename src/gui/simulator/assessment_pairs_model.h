// The measured and simulated soil carbon of one plot and their difference (measured - simulated),
// under readable titles.
#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "core/engine/simulator_service.h"

namespace trb::gui {

class AssessmentPairsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void setPairs(const QList<trb::engine::AssessmentPair>& pairs);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QList<trb::engine::AssessmentPair> pairs_;
};

}  // namespace trb::gui
