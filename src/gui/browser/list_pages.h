// The pages "Management" and "Observation": the loaded plot's lists with their computed columns,
// headed by the label of the clicked node, and the editors that insert, overwrite and delete its
// records. Selecting a row shows it in the editor; every write goes through the records service.
#pragma once

#include <QWidget>

#include "core/parameters/browser_data.h"
#include "gui/widgets/row_model.h"

class QAction;
class QLabel;
class QRadioButton;
class QTableView;

namespace trb::db {
class Database;
}

namespace trb::gui {

class ManagementEditor;
class MeasurementEditor;

using ManagementModel = RowModel<trb::parameters::ManagementRow>;
using ObservationModel = RowModel<trb::parameters::MeasurementRow>;

class ManagementPage : public QWidget {
  Q_OBJECT
 public:
  // The list's selection filter.
  enum class Filter { All, Harvest, Amendment, Nitrogen };

  explicit ManagementPage(QWidget* parent = nullptr);
  // The connection the page reads and writes through (the browser's shared one).
  void setDatabase(trb::db::Database* db) { db_ = db; }
  void setHeading(const QString& text);
  // Shows a newly loaded plot: its records under the filter "all", and the editor's choosers.
  void showPlot(qlonglong flId, const QList<trb::parameters::ManagementRow>& rows);
  void showRows(const QList<trb::parameters::ManagementRow>& rows);
  // Record-entry mode: "REG" saves the second value box as the area share.
  void setRecordMode(const QString& mode);
  void setFilter(Filter filter);
  Filter filter() const { return filter_; }
  // The record selected in the list (-1: none).
  qlonglong selectedRecord() const;

  // "save": inserts or overwrites and shows the list again at the same place.
  void saveRecord();
  // "delete record" and the Delete key: deletes the selected record after confirmation.
  void deleteRecord();
  // Asks, then copies every record of plot source into plot target and tells how many. True when
  // records were copied.
  bool copyDroppedPlot(qlonglong source, qlonglong target);
  // Reads the list of the shown plot again and selects the record key (or the row at index).
  void reload(qlonglong key, int index);

  QLabel* heading = nullptr;
  QRadioButton* filterAll = nullptr;
  QRadioButton* filterHarvest = nullptr;
  QRadioButton* filterAmendment = nullptr;
  QRadioButton* filterNitrogen = nullptr;
  QTableView* grid = nullptr;
  ManagementModel* model = nullptr;
  ManagementEditor* editor = nullptr;

 signals:
  // The plot's management changed (saved, deleted or copied into it).
  void managementChanged(qlonglong flId);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void showFiltered(qlonglong key, int index);
  void rowChanged();
  void readLookups();

  trb::db::Database* db_ = nullptr;
  qlonglong flId_ = -99;
  Filter filter_ = Filter::All;
  QList<trb::parameters::ManagementRow> rows_;  // every record of the plot
};

class ObservationPage : public QWidget {
  Q_OBJECT
 public:
  explicit ObservationPage(QWidget* parent = nullptr);
  void setDatabase(trb::db::Database* db) { db_ = db; }
  void setHeading(const QString& text);
  // Shows a newly loaded plot: its measurements (all properties) and its first year (the year of
  // its initial value, -99 without one).
  void showPlot(qlonglong flId, int firstYear, const QList<trb::parameters::MeasurementRow>& rows);
  void showRows(const QList<trb::parameters::MeasurementRow>& rows);
  int firstYear() const { return firstYear_; }
  // The measurement selected in the list (-1: none).
  qlonglong selectedMeasurement() const;
  // The property the list is restricted to ("show this property only"); -99: all.
  int propertyFilter() const { return propertyFilter_; }

  void saveMeasurement();
  // "delete record" and the Delete key: deletes the selected row after confirmation.
  void deleteMeasurement();
  // "show this property only" / "show all properties".
  void toggleProperty();
  bool copyDroppedPlot(qlonglong source, qlonglong target);
  void reload(qlonglong key, int index);

  QLabel* heading = nullptr;
  QTableView* grid = nullptr;
  ObservationModel* model = nullptr;
  MeasurementEditor* editor = nullptr;
  QAction* propertyAction = nullptr;  // the list's context menu

 signals:
  // A new initial value moved the plot's first year.
  void firstYearChanged(int year);
  // The plot's measurements changed; after a save its rows in rs_table are gone.
  void measurementsChanged(qlonglong flId);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void showFiltered(qlonglong key, int index);
  void rowChanged();

  trb::db::Database* db_ = nullptr;
  qlonglong flId_ = -99;
  int firstYear_ = -99;
  int propertyFilter_ = -99;
  QList<trb::parameters::MeasurementRow> rows_;
};

// A read-only grid as the browser's pages show it.
QTableView* makeGrid(QWidget* parent, const QString& name);

}  // namespace trb::gui
