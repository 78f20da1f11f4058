// A page of the parameter editor that edits one parameter table in a grid with a navigator.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "gui/widgets/table_editor_model.h"

class QVBoxLayout;

namespace trb::db {
class Database;
}

namespace trb::gui {

class TableGrid;
class TableNavigator;

class ParameterTablePage : public QWidget {
  Q_OBJECT
 public:
  // shown: the columns with their titles; empty for every column of the table.
  ParameterTablePage(trb::db::Database& db, const QString& table,
                     QList<TableEditorModel::Shown> shown = {}, QWidget* parent = nullptr);

  QString table() const { return table_; }
  // Opens the table again (with the page's filter), keeping the current row where it can.
  void reload();

  TableGrid* grid = nullptr;
  TableNavigator* navigator = nullptr;

 protected:
  // The rows shown: those whose column holds value; an empty column shows every row.
  void setFilter(const QString& column, const QVariant& value);
  QVBoxLayout* layout_ = nullptr;

 private:
  trb::db::Database& db_;
  QString table_;
  QList<TableEditorModel::Shown> shown_;
  QString filterColumn_;
  QVariant filterValue_;
};

}  // namespace trb::gui
