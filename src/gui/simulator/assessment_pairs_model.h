// The compared pairs of one plot: year, measured and simulated soil carbon, their difference and
// the measurement's key, under readable titles.
#pragma once

#include "core/engine/simulator_service.h"
#include "gui/widgets/row_model.h"

namespace trb::gui {

class AssessmentPairsModel : public RowModel<trb::engine::AssessmentPair> {
  Q_OBJECT
 public:
  explicit AssessmentPairsModel(QObject* parent = nullptr);
  void setPairs(const QList<trb::engine::AssessmentPair>& pairs) { setRows(pairs); }
};

}  // namespace trb::gui
