// The plots of the next run, one row each, under readable titles.
#pragma once

#include "core/engine/simulator_service.h"
#include "gui/widgets/row_model.h"

namespace trb::gui {

class SiteListModel : public RowModel<trb::engine::SiteRow> {
  Q_OBJECT
 public:
  explicit SiteListModel(QObject* parent = nullptr);
  const trb::engine::SiteRow& row(int r) const { return rows().at(r); }
};

}  // namespace trb::gui
