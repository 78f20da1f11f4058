// "OM-Parm": the organic matter parameters, filtered to all, the residues (od false) or the
// substrates (od true, the organic fertilisers).
#pragma once

#include "gui/parameters/parameter_table_page.h"

class QRadioButton;

namespace trb::gui {

class OrganicMatterPage : public ParameterTablePage {
  Q_OBJECT
 public:
  explicit OrganicMatterPage(trb::db::Database& db, QWidget* parent = nullptr);

  // Shows every row again ("all").
  void clearFilter();

  QRadioButton* allChoice = nullptr;
  QRadioButton* residuesChoice = nullptr;
  QRadioButton* substratesChoice = nullptr;
};

}  // namespace trb::gui
