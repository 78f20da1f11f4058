// "TRB climate data": the climate stations with their yearly weather and nitrogen deposition.
//
// Above, the station overview with its navigator and the station commands; below, the pages of
// the current station (weather, annual N deposition and, in power mode, the historic N
// deposition) with one navigator that acts on the page shown. Every grid edits its table in place;
// creating and deleting a station go to the climate service.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace trb::db {
class Database;
}

namespace trb::gui {

class TableGrid;
class TableNavigator;

class ClimateWindow : public QDialog {
  Q_OBJECT
 public:
  // db is the shared connection. Outside power mode the historic N deposition is not offered.
  ClimateWindow(trb::db::Database& db, bool power, QWidget* parent = nullptr);
  ~ClimateWindow() override;

  // "Climate Data" of the main window: every station, the name field at "-?-", shown.
  void openAll();
  // The browser's double click on "weather": the window shows only the station climateId with
  // its name in the field, modally. Returns the name in the field when the window closes (the
  // station the browser then selects).
  QString editStation(int climateId, const QString& stationName);
  // Reads every grid again (after the shared connection changed).
  void reload();

  // "create new station": creates a station named as the field reads (not "-?-").
  void createStation();
  // "delete current station": asks, then deletes the current station with its rows.
  void deleteStation();

  // Controls
  QLabel* overviewLabel = nullptr;
  TableGrid* overview = nullptr;
  TableNavigator* overviewNavigator = nullptr;
  QLineEdit* stationName = nullptr;
  QPushButton* createButton = nullptr;
  QPushButton* deleteButton = nullptr;
  QPushButton* closeButton = nullptr;
  QTabWidget* pages = nullptr;
  TableGrid* weather = nullptr;
  TableGrid* deposition = nullptr;
  TableGrid* historic = nullptr;  // null outside power mode
  TableNavigator* pageNavigator = nullptr;

 signals:
  // A station was created or deleted: the choosers of stations are out of date.
  void stationsChanged();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void buildControls();
  // Restricts the overview to one station (-1: every station) and reads it again.
  void showStations(int onlyId);
  // The pages follow the current station of the overview.
  void followStation();
  // The field and "create new station" are enabled exactly when the field reads "-?-".
  void enableCreation();
  int currentStation() const;

  trb::db::Database& db_;
  bool power_;
};

}  // namespace trb::gui
