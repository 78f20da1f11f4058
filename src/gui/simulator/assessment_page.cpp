#include "gui/simulator/assessment_page.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QTableView>

#include "gui/simulator/site_list_page.h"

namespace trb::gui {

AssessmentPage::AssessmentPage(SiteListPage* sites, QWidget* parent) : QWidget(parent) {
  auto* split = new QSplitter(this);
  siteGrid_ = makeRowGrid(split, QStringLiteral("assessSiteGrid"));
  siteGrid_->setModel(sites->model());
  siteGrid_->setSelectionModel(sites->grid()->selectionModel());
  pairsGrid_ = makeRowGrid(split, QStringLiteral("pairsGrid"));
  pairsGrid_->setModel(&pairs_);
  split->addWidget(siteGrid_);
  split->addWidget(pairsGrid_);
  split->setSizes({320, 440});  // the pairs grid shows all five columns
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(split);
  connect(sites->model(), &QAbstractItemModel::modelReset, siteGrid_,
          [this] { siteGrid_->resizeColumnsToContents(); });
}

void AssessmentPage::refresh(const QList<trb::engine::AssessmentPair>& pairs) {
  pairs_.setPairs(pairs);
  pairsGrid_->resizeColumnsToContents();
  if (pairs_.rowCount() > 0) {
    const QModelIndex last = pairs_.index(pairs_.rowCount() - 1, 0);
    pairsGrid_->setCurrentIndex(last);
    pairsGrid_->scrollTo(last);
  }
}

void AssessmentPage::clear() {
  pairs_.setPairs({});
}

}  // namespace trb::gui
