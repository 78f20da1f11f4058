// The window 'Datenanalyse mit R' ('script based statistics'): a pair of an SQL script and an R
// script, run once for every plot with results. For each plot the SQL script prepares the plot's
// data (usually in the table data4r, "#fl_id" standing for the plot key), then R runs the script.
//
// 'go' writes spez100.r (the connection to the database, then the user's R script) and the copy
// spez100sql.txt into the working folder and asks the browser to walk its plots
// (plotsRunRequested); the browser starts the walk over its plots with results (evaluatePlots), a
// job of the session's runner.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace trb::db {
class Database;
}
namespace trb::app {
class Job;
class Session;
}  // namespace trb::app

namespace trb::gui {

class RRunner;

class ScriptStatisticsWindow : public QWidget {
  Q_OBJECT
 public:
  ScriptStatisticsWindow(trb::app::Session& session, QWidget* parent = nullptr);

  // 'script based statistics': no plot done yet; the window shows the folder of the database,
  // which becomes the working folder, and the script names used last.
  void open();
  // 'go'.
  void go();
  // The walk over the plots as a job: for each plot its statements on a connection of the job's
  // own, then R on spez100.r, waiting for its end. A failing statement or R that cannot be
  // started ends the walk with a failure naming the plots done. Null when the job was refused
  // (shown).
  trb::app::Job* evaluatePlots(const QList<qlonglong>& plots);
  // Lists the lines of the SQL script (sql true) or of the R script.
  void viewFile(bool sql);

  // The generated files of the last 'go', set once (spez100sql, spez100r), and the plots done in
  // the current walk (pcnt).
  QString spez100sql;
  QString spez100r;
  int pcnt = 0;
  QList<qlonglong> donePlots;

  // Controls
  QLineEdit* sqlEdit = nullptr;
  QLineEdit* rEdit = nullptr;
  QLineEdit* folderEdit = nullptr;
  QPushButton* sqlChooseButton = nullptr;
  QPushButton* rChooseButton = nullptr;
  QLabel* hintLabel = nullptr;
  QListWidget* linesList = nullptr;
  QPushButton* goButton = nullptr;

 signals:
  // 'go' has written the files: the browser now walks its plots with results.
  void plotsRunRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void choose(bool sql);

  trb::app::Session& session_;
  trb::db::Database& db_;
  RRunner* runner_;
};

}  // namespace trb::gui
