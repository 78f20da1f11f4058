// The browser's commands on the structure of the experiment database: saving "Basic-Info", the
// simple soil description, and the tree menus that create, add, delete and renumber experiments
// and plots. The browser window owns one; it reads the window's state (the node pressed, the
// experiment of the menus, the loaded plot) and delegates every change to the sites service.
#pragma once

#include <QObject>
#include <QString>

class QTreeWidgetItem;

namespace trb::db {
class Database;
}
namespace trb::app {
class Session;
}

namespace trb::gui {

class BrowserWindow;
class DeleteExperimentDialog;
class ExperimentIdDialog;
class NewExperimentDialog;
class ShiftPlotsDialog;
class SimpleSoilDialog;

class SiteCommands : public QObject {
  Q_OBJECT
 public:
  SiteCommands(BrowserWindow& window, trb::app::Session& session);

  // The dialogs, created once with the window.
  SimpleSoilDialog* soilDialog = nullptr;
  NewExperimentDialog* newExperimentDialog = nullptr;
  DeleteExperimentDialog* deleteExperimentDialog = nullptr;
  ExperimentIdDialog* experimentIdDialog = nullptr;
  ShiftPlotsDialog* shiftPlotsDialog = nullptr;

  // While a calculation runs, the commands that write are off.
  void setEnabled(bool on);

 public slots:
  // "update changes" and a chosen station or soil: saves the loaded plot's description and
  // relabels its nodes. False when nothing was saved.
  bool saveSite();
  // After another window edited a station or a soil: the chooser is refilled, the entry chosen
  // and the description saved.
  void stationEdited(qlonglong station);
  void soilEdited(qlonglong soil);
  // Double click on "soil" outside the parameter editor: "simple soil description".
  void editSimpleSoil(qlonglong soil);

  void createExperiment();
  void addPlot();
  void deletePlot();
  void deleteExperiment();
  void shiftExperimentId();
  void shiftPlotKeys();

 private:
  bool busy() const;
  QTreeWidgetItem* pressedNode(int kind) const;
  // The plot "delete active plot" removes: the plot node pressed, or from a "plots" node the
  // loaded plot when it belongs to that experiment; -99 for none.
  qlonglong plotToDelete() const;
  void report(const std::exception& e, const QString& caption = QString());

  BrowserWindow& w_;
  trb::app::Session& session_;
  trb::db::Database& db_;
  bool enabled_ = true;
};

}  // namespace trb::gui
