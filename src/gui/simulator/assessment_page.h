// The simulator's "assessment" tab: the plots of the run on the left (the site list page's model
// and current row), the measured and simulated soil carbon of the chosen plot on the right.
#pragma once

#include <QWidget>

#include "gui/simulator/assessment_pairs_model.h"

class QTableView;

namespace trb::gui {

class SiteListPage;

class AssessmentPage : public QWidget {
  Q_OBJECT
 public:
  AssessmentPage(SiteListPage* sites, QWidget* parent = nullptr);

  // Shows the pairs of the chosen plot; the last pair becomes the current row.
  void refresh(const QList<trb::engine::AssessmentPair>& pairs);
  void clear();

  QTableView* siteGrid() const { return siteGrid_; }
  QTableView* pairsGrid() const { return pairsGrid_; }

 private:
  AssessmentPairsModel pairs_;
  QTableView* siteGrid_ = nullptr;
  QTableView* pairsGrid_ = nullptr;
};

}  // namespace trb::gui
