// The main window: decides the language and the range of commands at creation, opens the
// session's database, opens the other windows and ends the program.
#pragma once

#include <QMainWindow>
#include <QStringList>

#include "core/app/session.h"
#include "core/app/startup.h"

class QLabel;
class QPushButton;

namespace trb::gui {

class BrowserWindow;
class ClimateWindow;
class ParameterEditor;
class SimulatorWindow;
class SqlWindow;
class TransferWindow;
class SettingsDialog;

// What the main window starts from: the program's arguments (without the program itself), the
// program file (its start file is that name with ".ini"), the database of a first start and the
// working folder.
struct StartOptions {
  QStringList args;
  QString programFile;
  QString defaultDatabase;
  QString workingFolder;

  // The options of the running program.
  static StartOptions fromApplication();
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // The session gets the start's database path, languages and power mode.
  MainWindow(trb::app::Session& session, const StartOptions& options, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The windows created after this one; the commands that open them are enabled here.
  void setWindows(SettingsDialog* settings, SimulatorWindow* simulator);
  // The experiment browser, opened by "Plot Selection".
  void setBrowser(BrowserWindow* browser);
  // The climate window ("Climate Data") and the parameter editor ("Parameters"); a change of
  // stations or soil profiles refreshes the browser's choosers.
  void setDataWindows(ClimateWindow* climate, ParameterEditor* parameters);
  // The data transfer and the SQL module, opened by "Data Transfer" and "SQL - module".
  void setDataTools(TransferWindow* transfer, SqlWindow* sql);

  QString connectionString;
  QString provider;
  QString programPath;
  QString currentversion;
  const trb::app::MainStart& start() const { return start_; }
  // Asks for a value other modules need ("pdf_dir", "pdf_reader") and stores it.
  void askAndStoreSetting(const QString& item);
  // Exit code of a batch run: 0 when the calculation finished.
  int batchExitCode() const { return batchExitCode_; }

  // Commands
  QPushButton* selectButton = nullptr;     // Plot &Selection
  QPushButton* climateButton = nullptr;    // &Climate Data
  QPushButton* parameterButton = nullptr;  // &Parameters
  QPushButton* sqlButton = nullptr;        // S&QL - module
  QPushButton* transferButton = nullptr;   // Data &Transfer
  QPushButton* settingsButton = nullptr;   // Settin&gs
  QPushButton* databaseButton = nullptr;   // Change System &Database
  QPushButton* endButton = nullptr;        // &End
  QLabel* databaseLabel = nullptr;
  QLabel* yearPanel = nullptr;
  QLabel* versionPanel = nullptr;

 public slots:
  void startUp();
  void onActivated();
  void changeDatabase();
  void endProgram();

 signals:
  // A double click on the status bar: the update check.
  void updateCheckRequested();

 protected:
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  // The database named at start does not exist: choose another file or go on without one.
  void askForMissingDatabase();
  void buildCommands();
  void layoutCommands(bool full);
  // Opens databasePath; offers the connection editor while it fails. False when the user gave up.
  bool openConnection();
  bool recoverConnection(const QString& error);
  void showDatabaseLabel();
  void runBatch();
  void openBrowser();
  QString databaseDialogTitle() const;

  trb::app::Session& session_;
  StartOptions options_;
  trb::app::MainStart start_;
  SettingsDialog* settingsDialog_ = nullptr;
  SimulatorWindow* simulator_ = nullptr;
  BrowserWindow* browser_ = nullptr;
  ClimateWindow* climate_ = nullptr;
  ParameterEditor* parameters_ = nullptr;
  TransferWindow* transferWindow_ = nullptr;
  SqlWindow* sqlWindow_ = nullptr;
  bool shown_ = false;
  bool withoutDatabase_ = false;  // the user chose to start without a database
  bool showQueued_ = false;
  bool batchStarted_ = false;
  bool batchEnded_ = false;
  int batchExitCode_ = 0;
};

}  // namespace trb::gui
