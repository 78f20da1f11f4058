// A grid that edits one table in place through its TableEditorModel, with the commands of a
// navigator (first, prior, next, last, insert, delete, edit, post, cancel, refresh). Refused
// values and failed writes are shown over the grid's window.
#pragma once

#include <QTableView>

#include "gui/widgets/table_editor_model.h"

namespace trb::gui {

class TableGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TableGrid(QWidget* parent = nullptr);

  TableEditorModel* tableModel() const { return model_; }
  // The grid row of the current cell; -1 without one.
  int currentRow() const;
  // Makes row current (its first column, or the current column when there is one).
  void goToRow(int row);

  // Navigator commands.
  void first();
  void prior();
  void next();
  void last();
  void appendRow();
  // Asks before deleting the current row.
  void deleteCurrentRow();
  // Opens the editor of the current cell (also where the grid does not start editing by itself).
  void editCurrent();
  // Writes the value of an open editor / closes it without writing.
  void post();
  void cancel();
  // Reads the rows again and keeps the current row where it still exists.
  void refresh();

  // Shows a failure over the window (its title as the caption when the error brings none).
  void showProblem(const std::exception& e);

 private:
  QWidget* openEditor() const;
  // Column widths from the contents when another table or other columns are shown.
  void fitColumns();
  TableEditorModel* model_;
  QString fitted_;
};

}  // namespace trb::gui
