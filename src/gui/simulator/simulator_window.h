// The simulator window: one calculation of the selected plots at a time, with its message list,
// the live error histogram, the site list and the compared pairs of the plot chosen in it.
//
// The calculation runs as a job of the session's runner, on a connection of its own; its log
// lines, progress and histogram reach the window through the job view, so the window stays
// responsive and can be closed. Another window asks for a run through the session (runRequested);
// the window says how far the run got through the session (endRun).
#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/engine/calculation.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;

namespace trb::gui {

class AssessmentPage;
class HistogramBars;
class MessagesPage;
class RRunner;
class SiteListPage;
class JobView;

class SimulatorWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SimulatorWindow(trb::app::Session& session, QWidget* parent = nullptr);
  ~SimulatorWindow() override;

  // The database of the next run; "?": the stored database is used.
  QString database() const { return database_; }
  void setDatabase(const QString& path) { database_ = path; }
  // The program's arguments, read as the simulator's switches on every activation.
  void setArguments(const QStringList& args) { arguments_ = args; }

  bool calculating() const;
  // True when the last calculation finished ("job finished").
  bool lastFinished() const { return lastFinished_; }
  // rs_table holds the results of the last run.
  bool hasAssessment() const { return assessment_; }
  // Asks a running calculation to stop at its next check and waits for it (end of the program).
  void stopAndWait();
  // Asks a running calculation to stop at its next check, as the user's stop does.
  void requestStop();

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

 private slots:
  // A run asked for through the session: the window shows itself and calculates.
  void takeRequest(const trb::app::RunRequest& request);

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
  // The run asked for through the session has ended for its caller.
  void endRequest();

  // What a calculation leaves behind, read on the window's thread once its job has ended.
  struct Result {
    bool finished = false;
    bool assessment = false;
    bool walkStarted = false;
    int plotsSelected = 0;
    int plotsCalculated = 0;
    QString stopReason;
    QString reportFile;
  };

  trb::app::Session& session_;
  QString database_ = QStringLiteral("?");
  QStringList arguments_;
  bool autoclick_ = false;  // start the calculation on the next activation
  bool nowait_ = false;     // end the program once the calculation has ended
  bool assessment_ = false;
  std::optional<trb::app::RunRequest> request_;  // the run the session asked for
  std::optional<trb::app::RunReport> report_;    // its end, until the caller may go on
  trb::engine::RunSettings settings_;
  trb::engine::SimSwitches switches_;
  JobView* jobView_ = nullptr;  // the calculation's lines, progress and stop
  std::shared_ptr<Result> result_;
  trb::db::Database db_;
  bool stopAsked_ = false;
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
