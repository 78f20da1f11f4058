// The experiment browser: the tree of experiments and plots on the left with "End", and on the
// right one of five areas: the pages of the clicked plot, the files view, the selection panel, the
// R panel and the progress panel.
//
// The window keeps the state between events (the clicked node, the loaded plot, the experiment the
// menus act on) and delegates every read and command to the browser service.
#pragma once

#include <QMap>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "gui/browser/plot_tree.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTreeWidgetItem;

namespace trb::db {
class Database;
}
namespace trb::app {
class Job;
class Session;
struct RunReport;
}  // namespace trb::app

namespace trb::gui {

class FilesView;
class JobView;
class ManagementPage;
class NBalanceWindow;
class ObservationPage;
class PhaseDialog;
class RPanel;
class RepeatControls;
class ResultPage;
class ScriptStatisticsWindow;
class SelectionPanel;
class SiteCommands;
class SitePage;

class BrowserWindow : public QWidget {
  Q_OBJECT
 public:
  // The window works on the session's database and runs plots through the session. Without power
  // mode it shows no power-mode items ("files", "misc.results", the extra menu commands, "show
  // references").
  BrowserWindow(trb::app::Session& session, bool power, QWidget* parent = nullptr);
  ~BrowserWindow() override;

  // The main window: the browser is centred on it, and "End" outside power mode closes it.
  void setMainWindow(QWidget* main) { mainWindow_ = main; }

  bool power() const { return power_; }

  // Before the session's connection changes: the files view lets its tables go.
  void releaseDatabase();
  // After it changed: a visible browser shows the new database as on showing.
  void reload();
  // Rebuilds the tree. Mode 1 first stores the statistics of every plot with results for the
  // period phaseSelect (trb_stat_corg, trb_stat_nt).
  void rebuildTree(int mode = 0);
  // "Update-Statistics": asks for the period, then rebuilds with mode 1.
  void updateStatistics();
  // "N-balance": the window 'TRB N balance' on the shared connection.
  void showNBalance();
  // A special evaluation: rebuildTree(mode) starts it as a job over every plot with results (each
  // once); a null job starts nothing. Mode 100 shows its progress in the progress panel.
  using PlotEvaluation = std::function<trb::app::Job*(const QList<qlonglong>& plots)>;
  void setSpecialEvaluation(int mode, PlotEvaluation walk);
  // '"R" interface': the R panel in front, opened anew.
  void openRInterface();
  // 'script based statistics': the window 'Datenanalyse mit R'.
  void openScriptStatistics();
  // Loads a node into the pages (the design's item_click); Shift keeps the visible page.
  void loadNode(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  // Finds the node of plot flId (under the experiment at location where the plot is listed twice)
  // and clicks it. False when the tree has no such plot.
  bool clickOnPlot(qlonglong flId, const QString& location);
  // Reads the record-entry mode (REGMODE, "LOC" when not stored).
  void readRecordMode();
  // After the loaded plot is gone: no plot loaded, its pages cleared and hidden, the selection
  // panel as at the start.
  void forgetLoadedPlot();
  // Refill the weather station and soil profile choosers of "Basic-Info".
  void refreshStations();
  void refreshSoils();

  // The selection panel for the experiment of slvDb / for every plot of the database.
  void showExperimentSelection();
  void showDatabaseSelection();
  // "model run for selection": asks the session to run the checked plots; when the run has ended
  // the tree is rebuilt.
  void runSelection();
  // "model run (plot)": asks the session to run the loaded plot with the repeat controls of
  // "Basic-Info"; when the run has ended the plot that was run is reloaded by its key and shows
  // its results, with "repeat" 0 also its nitrogen balance ("OM-turnover", "N-balance").
  void runPlot();
  // True while a calculation started here runs: the commands that write are disabled.
  bool calculationRunning() const { return calculating_; }
  // A plot dropped on the plot node target: with "Management" visible the source's management is
  // copied into it, with "Observation" its measurements; with "Basic-Info" nothing happens.
  void copyDroppedPlot(QTreeWidgetItem* target);

  // State between events (the design's names in brackets).
  QString slvDb;               // location the experiment commands act on (slv_db)
  qlonglong snr = -99;         // key of the loaded plot (snr)
  PlotRecord loadedPlot;       // record of the loaded plot (a_slv_item)
  int phaseSelect = 0;         // statistics period (phase_select)
  int recs = 0;                // largest number of plots seen in a rebuild (recs)
  QString recordMode;          // record-entry mode (r_mode)
  qlonglong dragSource = -99;  // the plot loaded when the last drag started (s_snr)

  // Controls
  PlotTree* tree = nullptr;
  QPushButton* endButton = nullptr;
  QStackedWidget* areas = nullptr;
  QTabWidget* pages = nullptr;
  SitePage* sitePage = nullptr;
  ManagementPage* managementPage = nullptr;
  ObservationPage* observationPage = nullptr;
  ResultPage* carbonPage = nullptr;
  ResultPage* nitrogenPage = nullptr;
  ResultPage* microbialPage = nullptr;
  ResultPage* miscPage = nullptr;
  ResultPage* turnoverPage = nullptr;
  ResultPage* nBalancePage = nullptr;
  FilesView* filesView = nullptr;
  SelectionPanel* selectionPanel = nullptr;
  QWidget* rPanel = nullptr;
  RPanel* rInterface = nullptr;  // inside rPanel
  ScriptStatisticsWindow* scriptStatistics = nullptr;
  QWidget* progressPanel = nullptr;
  QLabel* progressCaption = nullptr;
  QProgressBar* progressBar = nullptr;
  PhaseDialog* phaseDialog = nullptr;
  NBalanceWindow* nBalanceWindow = nullptr;  // made on first use
  // Saving "Basic-Info" and the commands of the tree menus on experiments and plots.
  SiteCommands* siteCommands = nullptr;

 public slots:
  void onActivated();
  void endClicked();

 protected:
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  // "from" of the controls as a whole number; anything else is refused with a message.
  std::optional<int> checkedFirstYear(const RepeatControls* controls);
  void buildPages();
  // The report commands of the tree's menus and of "Basic-Info".
  void connectReports();
  // 'create report' on a comparison page: preview, or with pdf the file without preview.
  void printResultPage(ResultPage* page, bool pdf);
  void placeOnScreen();
  void fill();
  void onRightPressed(QTreeWidgetItem* item);
  void loadPlot(QTreeWidgetItem* item);
  // untilClosed: wait until the user closes the simulator window (power mode of a single-plot
  // run), not only until its calculation ends.
  // The session's run has ended: the tree rebuilt, a plot run's plot shown.
  void runEnded(const trb::app::RunReport& report);
  // Plots or experiments were added, removed or renumbered: the tree rebuilt, a plot that is gone
  // forgotten.
  void structureChanged();
  // Fills the result pages of the loaded plot (the evaluation of its results).
  void showResults(const QString& plotLabel);
  void setCalculating(bool on);
  // The tree from the database, then the special evaluation of the mode.
  void buildTree(int mode);
  // "Update-Statistics" as a job; the tree is built when it has ended.
  void updateStatisticsJob();
  void runSpecialEvaluation(int mode, const QList<trb::browser::ExperimentNode>& experiments);
  void showProblem(const std::exception& e);
  QString databaseFileName() const;

  trb::app::Session& session_;
  trb::db::Database& db_;
  bool power_ = true;
  QWidget* mainWindow_ = nullptr;
  QTreeWidgetItem* loadedNode_ = nullptr;
  bool calculating_ = false;
  QSplitter* splitter_ = nullptr;
  bool placed_ = false;      // the first showing shares the width between tree and pages
  int pageBeforePress_ = 0;  // the page in front before the last press on a plot
  QMap<int, PlotEvaluation> specialEvaluations_;
  JobView* jobView_ = nullptr;      // the statistics' progress in the progress panel
  std::function<void()> afterJob_;  // what follows the job of the window
};

}  // namespace trb::gui
