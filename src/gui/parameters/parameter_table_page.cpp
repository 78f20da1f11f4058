#include "gui/parameters/parameter_table_page.h"

#include <QVBoxLayout>

#include "core/db/table_editor.h"
#include "gui/widgets/table_grid.h"
#include "gui/widgets/table_navigator.h"

namespace trb::gui {

ParameterTablePage::ParameterTablePage(trb::db::Database& db, const QString& table,
                                       QList<TableEditorModel::Shown> shown, QWidget* parent)
    : QWidget(parent), db_(db), table_(table), shown_(std::move(shown)) {
  layout_ = new QVBoxLayout(this);
  grid = new TableGrid(this);
  grid->setObjectName(QStringLiteral("grid"));
  navigator = new TableNavigator(TableNavigator::allActions(), this);
  navigator->setTarget(grid);
  layout_->addWidget(navigator);
  layout_->addWidget(grid, 1);
}

void ParameterTablePage::setFilter(const QString& column, const QVariant& value) {
  filterColumn_ = column;
  filterValue_ = value;
  reload();
}

void ParameterTablePage::reload() {
  const qlonglong rowid = grid->tableModel()->rowidAt(grid->currentRow());
  try {
    auto editor = std::make_unique<trb::db::TableEditor>(db_, table_);
    editor->setFilter(filterColumn_, filterValue_);
    grid->tableModel()->setEditor(std::move(editor), shown_);
  } catch (const std::exception& e) {
    grid->tableModel()->clear();
    grid->showProblem(e);
    return;
  }
  const int row = grid->tableModel()->rowOfRowid(rowid);
  grid->goToRow(row >= 0 ? row : 0);
}

}  // namespace trb::gui
