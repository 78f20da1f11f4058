#include "gui/widgets/table_grid.h"

#include <QHeaderView>
#include <QMessageBox>

#include "gui/widgets/error_reporter.h"

namespace trb::gui {

TableGrid::TableGrid(QWidget* parent) : QTableView(parent), model_(new TableEditorModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setResizeContentsPrecision(50);
  connect(model_, &QAbstractItemModel::modelReset, this, &TableGrid::fitColumns);
  connect(model_, &TableEditorModel::problem, this,
          [this](const trb::Error& e) { ErrorReporter::report(this, e, window()->windowTitle()); });
}

void TableGrid::showProblem(const std::exception& e) {
  ErrorReporter::report(this, e, window()->windowTitle());
}

void TableGrid::fitColumns() {
  // once per table shown: a reload keeps the widths the user set
  QStringList titles;
  for (int c = 0; c < model_->columnCount(); ++c)
    titles << model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  const QString shown =
      (model_->editor() ? model_->editor()->table() : QString()) + u'|' + titles.join(u'|');
  if (shown == fitted_) return;
  fitted_ = shown;
  resizeColumnsToContents();
  for (int c = 0; c < model_->columnCount(); ++c)
    setColumnWidth(c, qBound(40, columnWidth(c), 280));
}

int TableGrid::currentRow() const {
  return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TableGrid::goToRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const int column = currentIndex().isValid() ? currentIndex().column() : 0;
  const QModelIndex i = model_->index(row, column);
  setCurrentIndex(i);
  scrollTo(i);
}

void TableGrid::first() {
  goToRow(0);
}

void TableGrid::prior() {
  goToRow(qMax(0, currentRow() - 1));
}

void TableGrid::next() {
  goToRow(qMin(model_->rowCount() - 1, currentRow() + 1));
}

void TableGrid::last() {
  goToRow(model_->rowCount() - 1);
}

void TableGrid::appendRow() {
  if (!model_->editor()) return;
  try {
    goToRow(model_->appendRow());
  } catch (const std::exception& e) {
    showProblem(e);
  }
}

void TableGrid::deleteCurrentRow() {
  const int row = currentRow();
  if (row < 0) return;
  if (QMessageBox::question(this, window()->windowTitle(), tr("Delete record?"),
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) != QMessageBox::Yes)
    return;
  try {
    model_->removeRowAt(row);
  } catch (const std::exception& e) {
    showProblem(e);
  }
}

void TableGrid::editCurrent() {
  if (!currentIndex().isValid()) goToRow(0);
  if (currentIndex().isValid()) edit(currentIndex());
}

QWidget* TableGrid::openEditor() const {
  // the delegate's editor is a child of the viewport while it is open
  if (state() != QAbstractItemView::EditingState) return nullptr;
  for (QWidget* w : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w->isVisible()) return w;
  return nullptr;
}

void TableGrid::post() {
  if (QWidget* e = openEditor()) {
    commitData(e);
    closeEditor(e, QAbstractItemDelegate::NoHint);
  }
}

void TableGrid::cancel() {
  if (QWidget* e = openEditor()) closeEditor(e, QAbstractItemDelegate::RevertModelCache);
}

void TableGrid::refresh() {
  const qlonglong rowid = model_->rowidAt(currentRow());
  try {
    model_->reload();
  } catch (const std::exception& e) {
    showProblem(e);
  }
  const int row = model_->rowOfRowid(rowid);
  goToRow(row >= 0 ? row : 0);
}

}  // namespace trb::gui
