// "references": the list of references and the current reference in full in a text panel.
#pragma once

#include <QWidget>

#include "core/parameters/parameter_tables.h"
#include "gui/widgets/row_model.h"

class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace trb::db {
class Database;
}

namespace trb::gui {

class ReferencesPage : public QWidget {
  Q_OBJECT
 public:
  explicit ReferencesPage(trb::db::Database& db, QWidget* parent = nullptr);

  // Reads the list again, keeping the current reference where it can.
  void reload();

  QTableView* list = nullptr;
  QPlainTextEdit* panel = nullptr;
  QPushButton* importButton = nullptr;  // "import from RIS-file"
  QPushButton* printButton = nullptr;   // "print references"

 signals:
  // Double click on a reference: its experiment relations.
  void relationsRequested(qlonglong litId);

 private:
  void showCurrent();

  trb::db::Database& db_;
  RowModel<trb::parameters::ReferenceRow>* model_;
};

}  // namespace trb::gui
