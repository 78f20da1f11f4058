// "TRB N balance": the nitrogen balance of all plots ("*") or of one plot, with the year range and
// the range of a plot's mean mineral fertiliser N as filters of an all-plots run. The balance runs
// as a job of the session's runner with a connection of its own; the window shows its steps in
// the progress bar and afterwards the summary tables in the grid, which 'copy to XLS' writes to a
// spreadsheet.
#pragma once

#include <QString>
#include <QWidget>

#include "core/base/error.h"
#include "core/transfer/spreadsheet_export.h"

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace trb::db {
class Database;
}
namespace trb::app {
class Session;
}

namespace trb::gui {

class JobView;

class NBalanceWindow : public QWidget {
  Q_OBJECT
 public:
  // The grid reads the tables through the session's connection.
  explicit NBalanceWindow(trb::app::Session& session, QWidget* parent = nullptr);
  ~NBalanceWindow() override;

  // Shows the window centred on opener and brings it to the front.
  void open(const QWidget* opener);
  bool running() const;

  QLineEdit* firstYearEdit = nullptr;
  QLineEdit* lastYearEdit = nullptr;
  QLineEdit* ndngLowEdit = nullptr;
  QLineEdit* ndngHighEdit = nullptr;
  QLineEdit* plotEdit = nullptr;
  QPushButton* runButton = nullptr;
  QPushButton* exportButton = nullptr;
  QComboBox* tableChooser = nullptr;
  QTableView* grid = nullptr;
  QProgressBar* progress = nullptr;

 signals:
  // A run has ended: finished is false when it failed or was stopped.
  void balanceDone(bool finished);

 public slots:
  // 'run N-Balance': checks the fields, then runs the balance in the background.
  void runBalance();
  // 'copy to XLS': the shown table to a spreadsheet file.
  void exportTable();
  // Shows one of the balance's summary tables in the grid.
  void showTable(const QString& table);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void runFinished(bool finished);
  void setIdle(bool idle);
  bool checkNumber(QLineEdit* edit, const QString& field);

  trb::app::Session& session_;
  trb::db::Database& db_;
  JobView* jobView_ = nullptr;
  QAbstractItemModel* model_ = nullptr;
  trb::transfer::Sheet shown_;
};

}  // namespace trb::gui
