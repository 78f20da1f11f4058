// "TRB N balance": the nitrogen balance of all plots ("*") or of one plot, with the year range and
// the range of a plot's mean mineral fertiliser N as filters of an all-plots run. The balance runs
// on a worker thread with a connection of its own; the window shows its steps in the progress bar
// and afterwards the summary tables in the grid, which 'copy to XLS' writes to a spreadsheet.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "core/base/error.h"
#include "core/transfer/spreadsheet_export.h"

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;

namespace trb::db {
class Database;
}

namespace trb::gui {

class NBalanceFeedback;

class NBalanceWindow : public QWidget {
  Q_OBJECT
 public:
  // db is the shared connection: the grid reads the tables through it.
  explicit NBalanceWindow(trb::db::Database& db, QWidget* parent = nullptr);
  ~NBalanceWindow() override;

  // Shows the window centred on opener and brings it to the front.
  void open(const QWidget* opener);
  bool running() const { return thread_ != nullptr; }

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
  void runFinished();
  void setIdle(bool idle);
  bool checkNumber(QLineEdit* edit, const QString& field);

  trb::db::Database& db_;
  NBalanceFeedback* feedback_ = nullptr;
  QAbstractItemModel* model_ = nullptr;
  trb::transfer::Sheet shown_;
  QThread* thread_ = nullptr;
  std::optional<trb::Error> failure_;
};

}  // namespace trb::gui
