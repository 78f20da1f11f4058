#include "gui/simulator/site_list_page.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

namespace trb::gui {

QTableView* makeRowGrid(QWidget* parent, const QString& name) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(name);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->setDefaultSectionSize(22);
  grid->horizontalHeader()->setStretchLastSection(true);
  return grid;
}

SiteListPage::SiteListPage(QWidget* parent) : QWidget(parent) {
  grid_ = makeRowGrid(this, QStringLiteral("siteGrid"));
  grid_->setModel(&model_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grid_);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &SiteListPage::currentPlotChanged);
}

void SiteListPage::refresh(const QList<trb::engine::SiteRow>& rows, bool first) {
  model_.setRows(rows);
  grid_->resizeColumnsToContents();
  if (first && model_.rowCount() > 0) grid_->setCurrentIndex(model_.index(0, 0));
}

void SiteListPage::clear() {
  model_.setRows({});
}

std::optional<qlonglong> SiteListPage::currentPlot() const {
  const QModelIndex cur = grid_->selectionModel()->currentIndex();
  if (!cur.isValid()) return std::nullopt;
  return model_.row(cur.row()).flId;
}

}  // namespace trb::gui
