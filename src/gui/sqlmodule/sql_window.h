// "SQL - module": free SQL scripts on the open database. The script editor, "execute" with its
// batches, the result grid, the "$" parameters, the history of the last ten scripts, script files
// and the export of a result.
#pragma once

#include <QWidget>

#include "core/sqlmodule/sql_script.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTabWidget;
class QToolButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class ResultModel;

class SqlWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SqlWindow(trb::db::Database& db, QWidget* parent = nullptr);
  ~SqlWindow() override;

  QPlainTextEdit* editor = nullptr;  // SQL script
  QPushButton* executeButton = nullptr;
  QPushButton* loadButton = nullptr;
  QPushButton* saveButton = nullptr;
  QPushButton* substituteButton = nullptr;  // update sql code with parameter values
  QPushButton* clearGridButton = nullptr;
  QPushButton* exportButton = nullptr;  // export to XLS
  QToolButton* previousButton = nullptr;
  QToolButton* nextButton = nullptr;
  QLabel* slotLabel = nullptr;  // the history slot, "n of 10"
  QCheckBox* dataChangeBox = nullptr;
  QLabel* statusLabel = nullptr;
  QTabWidget* pages = nullptr;
  QTableView* resultView = nullptr;        // result data set
  QTableWidget* parameterTable = nullptr;  // parameters
  ResultModel* resultModel = nullptr;

  int parameterCount() const { return parameterCount_; }
  bool running() const { return running_; }

 public slots:
  void execute();
  // Stops the running batch (the engine's interrupt); the batches before it stay done.
  void stop();
  void loadFromFile();
  void saveToFile();
  void substituteParameters();
  void clearParameters();
  void exportResult();

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  void storeInHistory();
  void showSlot();
  void collectParameters();
  QList<QPair<QString, QString>> parameters() const;

  trb::db::Database& db_;
  trb::sqlmodule::ScriptHistory history_;
  int parameterCount_ = 0;
  bool running_ = false;
  bool stopAsked_ = false;
};

}  // namespace trb::gui
