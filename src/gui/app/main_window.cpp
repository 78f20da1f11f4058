#include "gui/app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "core/app/odbc_source.h"
#include "core/app/open_database.h"
#include "core/app/stop_signals.h"
#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/base/version.h"
#include "core/parameters/browser_data.h"
#include "core/settings/settings.h"
#include "gui/app/connection_dialog.h"
#include "gui/app/language.h"
#include "gui/app/settings_dialog.h"
#include "gui/browser/browser_window.h"
#include "gui/climate/climate_window.h"
#include "gui/parameters/parameter_editor.h"
#include "gui/simulator/simulator_window.h"
#include "gui/sqlmodule/sql_window.h"
#include "gui/transfer/transfer_window.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

namespace {

constexpr int kLeft = 16, kRight = 252, kWidth = 220;
// The compact window is wide enough for its title in the title bar.
constexpr int kCompactWidth = 308;

QString databaseFilter() {
  return MainWindow::tr("databases (*.sqlite *.db *.mdb *.accdb);;all files (*)");
}

// Information lines of long work, shown one after the other in the status bar.
class StatusLines : public trb::Feedback {
 public:
  explicit StatusLines(QStatusBar* bar) : bar_(bar) {}
  void pushLine(Level, const QString& line) override {
    lines_ << line;
    bar_->showMessage(lines_.join(QStringLiteral(" ")), 15000);
  }

 private:
  QStatusBar* bar_;
  QStringList lines_;
};

}  // namespace

StartOptions StartOptions::fromApplication() {
  StartOptions o;
  o.args = QCoreApplication::arguments().mid(1);
  o.programFile = QCoreApplication::applicationFilePath();
  o.workingFolder = QDir::currentPath();
  o.defaultDatabase = trb::settings::defaultDatabasePath();
  if (o.defaultDatabase.isEmpty())
    o.defaultDatabase = QDir(o.workingFolder).filePath(QStringLiteral("dummy.mdb"));
  return o;
}

MainWindow::MainWindow(trb::app::Session& session, const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), session_(session), options_(options) {
  setObjectName(QStringLiteral("solvaForm"));
  setWindowTitle(QStringLiteral("SolvaTerraBalance: TRB"));
  currentversion = trb::programVersion();

  // An unattended run has nobody to confirm a message box.
  if (trb::app::hasGoArgument(options.args)) ErrorReporter::setBatchMode(true);
  // The captions follow the start file; the stored language decides the parameter names.
  const QString startLanguage =
      trb::app::startFileLanguage(trb::app::startFilePath(options.programFile));
  setCaptionLanguage(startLanguage);
  buildCommands();
  {
    auto store = trb::settings::openStore();
    start_ = trb::app::decideStartup(*store, startLanguage, options.args, options.defaultDatabase,
                                     options.workingFolder);
  }
  session_.setCaptionLanguage(start_.captionLanguage);
  session_.setDataLanguage(start_.language);
  session_.setPower(start_.power);
  provider = start_.provider;
  programPath = start_.programPath;
  layoutCommands(start_.fullCommands);

  session_.setDatabasePath(start_.databasePath);
  // An unattended run has nobody to answer a dialog.
  if (start_.askForDatabase && !start_.firstStart && !trb::app::hasGoArgument(options.args))
    askForMissingDatabase();
  connectionString = trb::app::connectionString(provider, session_.databasePath());
  versionPanel->setText(QStringLiteral("Version: ") + currentversion);
  showDatabaseLabel();
}

MainWindow::~MainWindow() = default;

void MainWindow::askForMissingDatabase() {
  QMessageBox box(
      QMessageBox::Warning, windowTitle(),
      tr("The database %1 does not exist.").arg(QDir::toNativeSeparators(session_.databasePath())),
      QMessageBox::NoButton, this);
  box.setObjectName(QStringLiteral("missingDatabaseBox"));
  QPushButton* choose = box.addButton(tr("&Choose another file..."), QMessageBox::AcceptRole);
  choose->setObjectName(QStringLiteral("chooseButton"));
  QPushButton* without = box.addButton(tr("Continue &without a database"), QMessageBox::RejectRole);
  without->setObjectName(QStringLiteral("withoutButton"));
  box.setDefaultButton(choose);
  box.exec();
  if (box.clickedButton() == choose) {
    const QString file = QFileDialog::getOpenFileName(this, databaseDialogTitle(),
                                                      QDir::currentPath(), databaseFilter());
    if (!file.isEmpty()) {
      session_.setDatabasePath(file);
      auto store = trb::settings::openStore();
      trb::app::storeDatabase(*store, file);
      return;
    }
  }
  // "Change System Database" chooses one later
  withoutDatabase_ = true;
}

void MainWindow::setWindows(SettingsDialog* settings, SimulatorWindow* simulator) {
  settingsDialog_ = settings;
  simulator_ = simulator;
  settingsButton->setEnabled(settingsDialog_ != nullptr);
}

void MainWindow::setBrowser(BrowserWindow* browser) {
  browser_ = browser;
  selectButton->setEnabled(browser_ != nullptr);
}

void MainWindow::setDataWindows(ClimateWindow* climate, ParameterEditor* parameters) {
  climate_ = climate;
  parameters_ = parameters;
  climateButton->setEnabled(climate_ != nullptr);
  parameterButton->setEnabled(parameters_ != nullptr);
  if (climate_)
    connect(climate_, &ClimateWindow::stationsChanged, this, [this] {
      if (browser_) browser_->refreshStations();
    });
  if (parameters_) {
    connect(parameters_, &ParameterEditor::soilsChanged, this, [this] {
      if (browser_) browser_->refreshSoils();
    });
    // the experiment icons follow the links
    connect(parameters_, &ParameterEditor::relationsChanged, this, [this] {
      if (browser_ && browser_->isVisible()) browser_->rebuildTree();
    });
  }
}

void MainWindow::setDataTools(TransferWindow* transfer, SqlWindow* sql) {
  transferWindow_ = transfer;
  sqlWindow_ = sql;
  transferButton->setEnabled(transferWindow_ != nullptr);
  sqlButton->setEnabled(sqlWindow_ != nullptr);
}

void MainWindow::openBrowser() {
  if (!browser_) return;
  browser_->show();
  browser_->raise();
  browser_->activateWindow();
}

QString MainWindow::databaseDialogTitle() const {
  return tr("Where is the database ?");
}

void MainWindow::buildCommands() {
  auto* central = new QWidget(this);
  setCentralWidget(central);

  auto* title = new QLabel(central);
  title->setObjectName(QStringLiteral("titleLabel"));
  title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  title->setWordWrap(true);

  auto make = [central](const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, central);
    b->setObjectName(name);
    return b;
  };
  selectButton = make(QStringLiteral("selectButton"), tr("Plot &Selection"));
  climateButton = make(QStringLiteral("climateButton"), tr("&Climate Data"));
  parameterButton = make(QStringLiteral("parameterButton"), tr("&Parameters"));
  sqlButton = make(QStringLiteral("sqlButton"), tr("S&QL - module"));
  transferButton = make(QStringLiteral("transferButton"), tr("Data &Transfer"));
  settingsButton = make(QStringLiteral("settingsButton"), tr("Settin&gs"));
  databaseButton = make(QStringLiteral("databaseButton"), tr("Change System &Database"));
  endButton = make(QStringLiteral("endButton"), tr("&End"));
  databaseLabel = new QLabel(central);
  databaseLabel->setObjectName(QStringLiteral("databaseLabel"));

  // until the windows exist
  for (QPushButton* b : {selectButton, climateButton, parameterButton, sqlButton, transferButton})
    b->setEnabled(false);
  settingsButton->setEnabled(false);

  yearPanel = new QLabel(QStringLiteral("2011"), this);
  yearPanel->setObjectName(QStringLiteral("yearPanel"));
  yearPanel->setMinimumWidth(50);
  versionPanel = new QLabel(this);
  versionPanel->setObjectName(QStringLiteral("versionPanel"));
  statusBar()->addWidget(yearPanel);
  statusBar()->addWidget(versionPanel, 1);
  statusBar()->setSizeGripEnabled(false);
  for (QWidget* w : {static_cast<QWidget*>(statusBar()), static_cast<QWidget*>(yearPanel),
                     static_cast<QWidget*>(versionPanel)})
    w->installEventFilter(this);

  connect(databaseButton, &QPushButton::clicked, this, &MainWindow::changeDatabase);
  connect(endButton, &QPushButton::clicked, this, &MainWindow::endProgram);
  connect(selectButton, &QPushButton::clicked, this, &MainWindow::openBrowser);
  connect(climateButton, &QPushButton::clicked, this, [this] {
    if (climate_ && session_.isOpen()) climate_->openAll();
  });
  connect(parameterButton, &QPushButton::clicked, this, [this] {
    if (parameters_ && session_.isOpen()) parameters_->openModal(session_.db().userTables());
  });
  connect(transferButton, &QPushButton::clicked, this, [this] {
    if (!transferWindow_) return;
    if (!transferWindow_->isVisible()) placeWindow(transferWindow_, this);
    transferWindow_->show();
    transferWindow_->raise();
    transferWindow_->activateWindow();
  });
  connect(sqlButton, &QPushButton::clicked, this, [this] {
    if (!sqlWindow_) return;
    if (!sqlWindow_->isVisible()) placeWindow(sqlWindow_, this);
    sqlWindow_->show();
    sqlWindow_->raise();
    sqlWindow_->activateWindow();
  });
  connect(settingsButton, &QPushButton::clicked, this, [this] {
    if (!settingsDialog_) return;
    settingsDialog_->show();
    settingsDialog_->raise();
    settingsDialog_->activateWindow();
  });
}

void MainWindow::layoutCommands(bool full) {
  if (full) {
    selectButton->setGeometry(kLeft, 135, kWidth, 35);
    climateButton->setGeometry(kLeft, 175, kWidth, 35);
    databaseButton->setGeometry(kLeft, 265, kWidth, 35);
    parameterButton->setGeometry(kRight, 135, kWidth, 35);
    sqlButton->setGeometry(kRight, 175, kWidth, 35);
    transferButton->setGeometry(kRight, 215, kWidth, 35);
    settingsButton->setGeometry(kRight, 265, kWidth, 35);
    endButton->setGeometry(kLeft, 340, kWidth, 35);
  } else {
    selectButton->setGeometry(kLeft, 135, kCompactWidth, 45);
    climateButton->setGeometry(kLeft, 175, kCompactWidth, 45);
    databaseButton->setGeometry(kLeft, 265, kCompactWidth, 45);
    endButton->setGeometry(kLeft, 340, kCompactWidth, 40);
  }
  // the compact window is narrower: a smaller title
  auto* title = centralWidget()->findChild<QLabel*>(QStringLiteral("titleLabel"));
  title->setText(QStringLiteral("<div style='font-size:%1pt; font-weight:bold; color:#2e5a1c'>"
                                "SolvaTerraBalance</div><div style='font-size:%2pt; color:#555'>")
                     .arg(full ? 22 : 15)
                     .arg(full ? 11 : 9) +
                 tr("TRB &ndash; soil organic matter balance") + QStringLiteral("</div>"));
  title->setGeometry(kLeft, 14, full ? 456 : kCompactWidth, 100);
  climateButton->setVisible(full);
  for (QPushButton* b : {parameterButton, sqlButton, transferButton, settingsButton})
    b->setVisible(full);
  const QRect db = databaseButton->geometry();
  databaseLabel->setGeometry(kLeft, db.bottom() + 1 + 5, full ? 456 : kCompactWidth, 20);
  const int width = full ? kRight + kWidth + kLeft : kLeft + kCompactWidth + kLeft;
  centralWidget()->setFixedSize(width, 392);
  setFixedSize(width, 392 + statusBar()->sizeHint().height());
}

void MainWindow::showDatabaseLabel() {
  databaseLabel->setText(
      tr("system database=") +
      (session_.isOpen() ? QFileInfo(session_.databasePath()).fileName() : QStringLiteral("-")));
  databaseLabel->setToolTip(session_.databasePath());
}

bool MainWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && shown_) onActivated();
  return QMainWindow::event(e);
}

void MainWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!shown_ && !showQueued_) {
    showQueued_ = true;
    QTimer::singleShot(0, this, &MainWindow::startUp);
  }
}

void MainWindow::startUp() {
  if (shown_) return;
  if (withoutDatabase_) {
    showDatabaseLabel();
  } else if (openConnection()) {
    try {
      trb::parameters::reset_site_state(session_.db());
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  }
  if (settingsDialog_) {
    try {
      settingsDialog_->readStore();
    } catch (const trb::Error& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  }
  shown_ = true;
  // the keyboard starts at the first command
  (selectButton->isEnabled() ? selectButton : databaseButton)->setFocus();
  onActivated();
}

void MainWindow::onActivated() {
  versionPanel->setText(QStringLiteral("Version= ") + currentversion);
  // not while a job writes to the same file
  if (session_.isOpen() && !session_.jobs().runningOn(session_.db().path())) {
    try {
      trb::app::switchParameterLanguage(session_.db(), session_.dataLanguage());
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  }
  // the simulator's next run goes back to the system database, or the one of the command line
  if (simulator_ && !simulator_->calculating())
    simulator_->setDatabase(trb::app::commandLineDatabase(options_.args, QStringLiteral("?")));
  if (simulator_ && trb::app::hasGoArgument(options_.args) && !batchStarted_) {
    batchStarted_ = true;
    QTimer::singleShot(0, this, &MainWindow::runBatch);
  }
}

void MainWindow::runBatch() {
  // SIGTERM, SIGINT and SIGHUP stop the batch run's calculation as its stop command does
  auto* stopSignals = new trb::app::StopSignalNotifier(this);
  connect(stopSignals, &trb::app::StopSignalNotifier::received, simulator_,
          &SimulatorWindow::requestStop);
  // the simulator shows itself modally and runs; the program ends when it is closed
  connect(&session_, &trb::app::Session::runEnded, this, [this](const trb::app::RunReport& r) {
    if (!r.request.batch || batchEnded_) return;
    batchEnded_ = true;
    batchExitCode_ = r.finished ? 0 : 1;
    close();
    QCoreApplication::exit(batchExitCode_);
  });
  session_.runBatch();
}

bool MainWindow::openConnection() {
  const bool interactive = !trb::app::hasGoArgument(options_.args);
  for (;;) {
    QString error;
    try {
      // what opening did (an Access file imported, its copy reused) shows in the status bar
      StatusLines note(statusBar());
      QApplication::setOverrideCursor(Qt::WaitCursor);
      session_.openDatabase(note);
      QApplication::restoreOverrideCursor();
      showDatabaseLabel();
      return true;
    } catch (const trb::Error& e) {
      QApplication::restoreOverrideCursor();
      if (!interactive) {
        // the batch run's calculation reports the same database on standard error
        showDatabaseLabel();
        return false;
      }
      error = e.message();
    }
    // Cancelling leaves the program without a connection: another database can still be chosen.
    if (!recoverConnection(error)) {
      showDatabaseLabel();
      return false;
    }
  }
}

bool MainWindow::recoverConnection(const QString& error) {
  ConnectionDialog editor(connectionString, error, this);
  placeWindow(&editor, this);
  if (editor.exec() != QDialog::Accepted) return false;
  connectionString = editor.connectionText();
  const trb::app::ConnectionItems items = trb::app::parseConnectionString(connectionString);
  if (items.databasePath) session_.setDatabasePath(*items.databasePath);
  if (items.provider) provider = *items.provider;
  auto store = trb::settings::openStore();
  trb::app::storeConnectionItems(*store, items);
  showDatabaseLabel();
  return true;
}

void MainWindow::changeDatabase() {
  const QString file = QFileDialog::getOpenFileName(
      this, databaseDialogTitle(), QFileInfo(session_.databasePath()).absolutePath(),
      databaseFilter());
  if (file.isEmpty()) return;
  if (session_.jobs().isBusy()) {
    ErrorReporter::report(this, trb::Error(tr("The database cannot change while work on it is "
                                              "running; wait for it to end or stop it."),
                                           windowTitle()));
    return;
  }
  session_.setDatabasePath(file);
  connectionString = trb::app::connectionString(provider, file);
  // the browser follows the session's database by itself
  if (!openConnection()) return;
  if (climate_) climate_->reload();
  try {
    // a file without the plot table is no trb database yet: nothing to upgrade
    if (session_.db().hasTable(QStringLiteral("field_description")))
      trb::app::upgrade_area(session_.db());
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
  {
    auto store = trb::settings::openStore();
    trb::app::storeDatabase(*store, file);
  }
  // R reaches the database through the data source: it gets the file that is actually open.
  try {
    trb::app::setOdbcDatabase(session_.db().path());
  } catch (const trb::Error&) {
    // the change stands; only R lacks its way to the database
    const QString text =
        tr("The system database is now %1.")
            .arg(QDir::toNativeSeparators(session_.databasePath())) +
        QStringLiteral("\n\n") +
        tr("R scripts reach the database through the ODBC user data source T_R_B, which is "
           "missing:") +
        u'\n' + trb::app::odbcSourceHint();
    ErrorReporter::report(this, trb::Error(text, QStringLiteral("ODBC error")));
  }
}

void MainWindow::endProgram() {
  if (simulator_) {
    simulator_->stopAndWait();
    simulator_->hide();
  }
  session_.jobs().stopAll();
  session_.closeDatabase();
  close();
}

void MainWindow::closeEvent(QCloseEvent* e) {
  // Closing the main window ends the program: no other window outlives it.
  if (simulator_) {
    simulator_->stopAndWait();
    simulator_->hide();
  }
  if (settingsDialog_) settingsDialog_->hide();
  if (browser_) browser_->hide();
  if (climate_) climate_->hide();
  if (transferWindow_) transferWindow_->close();
  if (sqlWindow_) sqlWindow_->hide();
  e->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonDblClick) emit updateCheckRequested();
  return QMainWindow::eventFilter(watched, e);
}

void MainWindow::askAndStoreSetting(const QString& item) {
  auto store = trb::settings::openStore();
  if (item == trb::settings::keys::pdf_dir) {
    const QString f = QFileDialog::getOpenFileName(this, tr("Where are the PDF-documents ?"),
                                                   QString(), tr("PDF-files (*.pdf)"));
    if (!f.isEmpty())
      trb::settings::writeText(*store, item, QFileInfo(f).absolutePath() + QDir::separator());
  } else if (item == trb::settings::keys::pdf_reader) {
    const QString f = QFileDialog::getOpenFileName(this, tr("Where is the PDF-reader ?"), QString(),
                                                   tr("executables (*)"));
    if (!f.isEmpty()) trb::settings::writeText(*store, item, f);
  }
}

}  // namespace trb::gui
