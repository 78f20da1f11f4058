// "ACCESS-DATABASE" and "Results": a list of table names; a double click shows the table in the
// grid (edited in place) with its name above it, and "export to XLS" writes the table shown to a
// spreadsheet.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class TableGrid;
class TableNavigator;

class TableBrowserPage : public QWidget {
  Q_OBJECT
 public:
  explicit TableBrowserPage(trb::db::Database& db, QWidget* parent = nullptr);

  void setTables(const QStringList& tables);
  // Shows a table in the grid (what a double click on its name does).
  void showTable(const QString& table);
  // The table shown; empty before the first double click.
  QString shownTable() const { return shown_; }
  // "export to XLS": asks where to save the table shown and writes it.
  void exportShown();

  QListWidget* tableList = nullptr;
  QLabel* tableLabel = nullptr;
  TableGrid* grid = nullptr;
  TableNavigator* navigator = nullptr;
  QPushButton* exportButton = nullptr;

 private:
  trb::db::Database& db_;
  QString shown_;
};

}  // namespace trb::gui
