#include "gui/parameters/table_browser_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/db/table_editor.h"
#include "core/parameters/parameter_tables.h"
#include "gui/widgets/sheet_export.h"
#include "gui/widgets/table_grid.h"
#include "gui/widgets/table_navigator.h"

namespace trb::gui {

TableBrowserPage::TableBrowserPage(trb::db::Database& db, QWidget* parent)
    : QWidget(parent), db_(db) {
  auto* layout = new QHBoxLayout(this);
  tableList = new QListWidget(this);
  tableList->setObjectName(QStringLiteral("tableList"));
  tableList->setMaximumWidth(220);
  layout->addWidget(tableList);

  auto* right = new QVBoxLayout;
  auto* top = new QHBoxLayout;
  tableLabel = new QLabel(this);
  tableLabel->setObjectName(QStringLiteral("tableLabel"));
  QFont bold = tableLabel->font();
  bold.setBold(true);
  tableLabel->setFont(bold);
  exportButton = new QPushButton(tr("export to XLS"), this);
  exportButton->setObjectName(QStringLiteral("exportButton"));
  exportButton->setAutoDefault(false);
  exportButton->setEnabled(false);
  top->addWidget(tableLabel, 1);
  top->addWidget(exportButton);
  right->addLayout(top);
  navigator = new TableNavigator(TableNavigator::allActions(), this);
  right->addWidget(navigator);
  grid = new TableGrid(this);
  grid->setObjectName(QStringLiteral("grid"));
  navigator->setTarget(grid);
  right->addWidget(grid, 1);
  layout->addLayout(right, 1);

  connect(tableList, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { showTable(item->text()); });
  connect(exportButton, &QPushButton::clicked, this, &TableBrowserPage::exportShown);
}

void TableBrowserPage::setTables(const QStringList& tables) {
  tableList->clear();
  tableList->addItems(tables);
}

void TableBrowserPage::showTable(const QString& table) {
  try {
    grid->tableModel()->setEditor(trb::parameters::openTable(db_, table));
  } catch (const std::exception& e) {
    grid->tableModel()->clear();
    shown_.clear();
    tableLabel->clear();
    exportButton->setEnabled(false);
    grid->showProblem(e);
    return;
  }
  shown_ = table;
  tableLabel->setText(table);
  exportButton->setEnabled(true);
  grid->first();
}

void TableBrowserPage::exportShown() {
  if (shown_.isEmpty()) return;
  trb::transfer::Sheet sheet;
  try {
    sheet = trb::parameters::tableSheet(db_, shown_);
  } catch (const std::exception& e) {
    grid->showProblem(e);
    return;
  }
  saveSheet(this, sheet, trb::transfer::spreadsheet_file_name({shown_}));
}

}  // namespace trb::gui
