// The simulator window: one calculation of the selected plots at a time, with its message list,
// the live error histogram, the site list and the compared pairs of the plot chosen in it.
//
// The calculation runs in a worker thread on a connection of its own; its log lines, progress and
// histogram reach the window as queued calls, so the window stays responsive and can be closed.
#pragma once

#include <QStringList>
#include <QWidget>
#include <atomic>
#include <memory>

#include "core/db/database.h"
#include "core/engine/calculation.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QThread;

namespace trb::gui {

class AssessmentPage;
class HistogramBars;
class MessagesPage;
class RRunner;
class SiteListPage;
class WindowFeedback;

class SimulatorWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SimulatorWindow(QWidget* parent = nullptr);
  ~SimulatorWindow() override;

  // Fields other windows set and observe.
  QString database = QStringLiteral("?");  // "?": the stored database is used
  bool autoclick = false;                  // start the calculation on activation
  bool running = false;                    // cleared when a calculation has ended
  bool nowait = false;                     // end the program once the calculation has ended
  bool assessment = false;                 // rs_table holds the results of the last run
  int z_anf = -99;
  int z_cnt = 0;
  // The program's arguments, read as the simulator's switches on every activation.
  QStringList arguments;

  bool calculating() const { return thread_ != nullptr; }
  // True when the last calculation finished ("job finished").
  bool lastFinished() const { return lastFinished_; }
  // Asks a running calculation to stop at its next check and waits for it.
  void stopAndWait();
  // Asks a running calculation to stop at its next check, as the user's stop does.
  void requestStop();
  // Shows the window as the only one taking input and returns when it is hidden again.
  void showModalAndWait();

  const trb::engine::RunSettings& runSettings() const { return settings_; }
  QStringList messageLines() const;

  // Controls, named as the user sees them.
  QPushButton* databaseButton = nullptr;
  QLineEdit* pathEdit = nullptr;
  QPushButton* runButton = nullptr;  // "calculate" / "close"
  QCheckBox* recalcBox = nullptr;
  QPushButton* rButton = nullptr;
  QProgressBar* progress = nullptr;
  QTabWidget* tabs = nullptr;
  QListWidget* messageList = nullptr;  // tab "messages"
  HistogramBars* histogram = nullptr;
  QTableView* siteGrid = nullptr;        // tab "database"
  QTableView* assessSiteGrid = nullptr;  // tab "assessment", left
  QTableView* pairsGrid = nullptr;       // tab "assessment", right
  QLineEdit* dirEdit = nullptr;          // hidden

 public slots:
  void onActivated();
  void runButtonClicked();
  void chooseDatabase();
  // "run r-script": R runs the script of the settings (r_script) on this window's database; the
  // window does not wait for it.
  void runRScript();

 signals:
  void hidden();
  void calculationEnded(bool finished);

 protected:
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void addMessage(const QString& line);
  // A later activation while the window stays shown: settings and database are read again.
  void reactivate();
  // A line naming the database when it is not the one the list named last.
  void announceDatabase();
  void openConnection();
  // Rereads the plots of the run; the first becomes the current row when firstRow is set.
  void refreshSiteList(bool firstRow = false);
  void refreshPairs();
  void calculationDone();
  void showProblem(const trb::Error& error);

  trb::engine::RunSettings settings_;
  trb::engine::SimSwitches switches_;
  WindowFeedback* feedback_ = nullptr;  // the calculation's lines, progress and stop
  std::unique_ptr<trb::engine::Calculation> calc_;
  trb::db::Database db_;
  QThread* thread_ = nullptr;
  bool finished_ = false;  // written by the worker, read after it ended
  std::atomic<bool> stopAsked_{false};
  bool lastFinished_ = false;
  bool problemShown_ = false;  // the run's problem has reached the user
  QStringList reported_;       // the settings report the list shows
  QString announced_;          // the database the message list named last
  bool closeMode_ = false;     // the command reads "close"
  bool activatedSinceShow_ = false;
  bool batch_ = false;  // started with "go": close when the calculation has ended
  MessagesPage* messagesPage_ = nullptr;
  SiteListPage* siteListPage_ = nullptr;
  RRunner* rRunner_ = nullptr;
  AssessmentPage* assessmentPage_ = nullptr;
};

}  // namespace trb::gui
