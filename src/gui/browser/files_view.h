// The files view (power mode, "files" node of an experiment): field_description of the experiment
// above, cultivation and measurements below, all three edited in place. Selecting a plot row
// restricts the lower grids to that plot; "filter condition" and "apply filter" narrow the lower
// grid of the visible page further.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

namespace trb::db {
class Database;
}
namespace trb::browser {
class FilesTableModel;
}

class QCheckBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableView;

namespace trb::gui {

class FilesView : public QWidget {
  Q_OBJECT
 public:
  explicit FilesView(QWidget* parent = nullptr);
  ~FilesView() override;

  // Opens the three tables on the database, the upper one restricted to the experiment's location
  // (the design's help_filter); "apply filter" is cleared.
  void open(trb::db::Database& db, const QString& location);
  // Writes pending edits and lets the tables go.
  void close();
  // Whether the grids accept edits (not while a calculation writes to the database).
  void setEditable(bool editable);

  QString plotFilter() const { return helpFilter_; }

  QTableView* plotGrid = nullptr;  // field_description
  QTabWidget* lowerPages = nullptr;
  QTableView* managementGrid = nullptr;   // cultivation
  QTableView* observationGrid = nullptr;  // measurements
  QLineEdit* conditionEdit = nullptr;     // "filter condition"
  QCheckBox* applyBox = nullptr;          // "apply filter"

  trb::browser::FilesTableModel* plots() const { return plots_.get(); }
  trb::browser::FilesTableModel* management() const { return management_.get(); }
  trb::browser::FilesTableModel* observations() const { return observations_.get(); }
  // The lower table of the visible page.
  trb::browser::FilesTableModel* visibleLowerTable() const;

 private:
  void plotRowChanged();
  void applyToggled(bool on);
  void showProblem(const QString& message, const QString& caption);

  std::unique_ptr<trb::browser::FilesTableModel> plots_;
  std::unique_ptr<trb::browser::FilesTableModel> management_;
  std::unique_ptr<trb::browser::FilesTableModel> observations_;
  QString helpFilter_;
  bool editable_ = true;
};

}  // namespace trb::gui
