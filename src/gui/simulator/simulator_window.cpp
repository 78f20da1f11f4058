#include "gui/simulator/simulator_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/app/open_database.h"
#include "core/base/feedback.h"
#include "core/engine/simulator_service.h"
#include "core/settings/settings.h"
#include "gui/external/r_runner.h"
#include "gui/simulator/assessment_page.h"
#include "gui/simulator/messages_page.h"
#include "gui/simulator/site_list_page.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/histogram_bars.h"
#include "gui/widgets/job_view.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

SimulatorWindow::SimulatorWindow(trb::app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setObjectName(QStringLiteral("trbadoForm1"));
  setWindowTitle(QStringLiteral("TRB-simulator"));
  setAttribute(Qt::WA_QuitOnClose, false);  // the main window alone ends the program
  arguments_ = QCoreApplication::arguments().mid(1);
  resize(760, 540);

  auto* top = new QHBoxLayout;
  databaseButton = new QPushButton(tr("&database"), this);
  databaseButton->setObjectName(QStringLiteral("databaseButton"));
  pathEdit = new QLineEdit(this);
  pathEdit->setObjectName(QStringLiteral("pathEdit"));
  pathEdit->setReadOnly(true);
  pathEdit->setFocusPolicy(Qt::ClickFocus);
  top->addWidget(databaseButton);
  top->addWidget(pathEdit, 1);

  auto* commands = new QHBoxLayout;
  runButton = new QPushButton(tr("&calculate"), this);
  runButton->setObjectName(QStringLiteral("runButton"));
  runButton->setMinimumWidth(120);
  recalcBox = new QCheckBox(tr("recalc &BAT"), this);
  recalcBox->setObjectName(QStringLiteral("recalcBox"));
  rButton = new QPushButton(tr("&run r-script"), this);
  rButton->setObjectName(QStringLiteral("rButton"));
  commands->addWidget(runButton);
  commands->addWidget(recalcBox);
  commands->addStretch(1);
  commands->addWidget(rButton);

  progress = new QProgressBar(this);
  progress->setObjectName(QStringLiteral("progress"));
  progress->setVisible(false);
  // its room stays when it is hidden: the tabs below do not move when a run begins
  QSizePolicy keep = progress->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  progress->setSizePolicy(keep);

  tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("tabs"));
  messagesPage_ = new MessagesPage(this);
  messageList = messagesPage_;
  tabs->addTab(messagesPage_, tr("messages"));
  histogram = new HistogramBars(this);
  histogram->setObjectName(QStringLiteral("histogram"));
  tabs->addTab(histogram, tr("histogram"));
  siteListPage_ = new SiteListPage(this);
  siteGrid = siteListPage_->grid();
  tabs->addTab(siteListPage_, tr("database"));
  assessmentPage_ = new AssessmentPage(siteListPage_, this);
  assessSiteGrid = assessmentPage_->siteGrid();
  pairsGrid = assessmentPage_->pairsGrid();
  tabs->addTab(assessmentPage_, tr("assessment"));

  dirEdit = new QLineEdit(this);
  dirEdit->setObjectName(QStringLiteral("dirEdit"));
  dirEdit->setReadOnly(true);
  dirEdit->setVisible(false);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(commands);
  layout->addWidget(progress);
  layout->addWidget(tabs, 1);
  layout->addWidget(dirEdit);

  connect(runButton, &QPushButton::clicked, this, &SimulatorWindow::runButtonClicked);
  connect(databaseButton, &QPushButton::clicked, this, &SimulatorWindow::chooseDatabase);
  rRunner_ = new RRunner(this);
  connect(rButton, &QPushButton::clicked, this, &SimulatorWindow::runRScript);
  connect(siteListPage_, &SiteListPage::currentPlotChanged, this, [this] { refreshPairs(); });

  jobView_ = new JobView(this, messageList, progress);
  connect(jobView_, &JobView::problemShown, this, [this] { problemShown_ = true; });
  connect(jobView_, &JobView::finished, this, [this] { calculationDone(); });
  connect(&session_, &trb::app::Session::runRequested, this, &SimulatorWindow::takeRequest);
}

SimulatorWindow::~SimulatorWindow() {
  stopAndWait();
}

bool SimulatorWindow::calculating() const {
  return jobView_->isRunning();
}

QStringList SimulatorWindow::messageLines() const {
  return messagesPage_->lines();
}

void SimulatorWindow::addMessage(const QString& line) {
  messagesPage_->addLine(line);
}

bool SimulatorWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) onActivated();
  return QWidget::event(e);
}

void SimulatorWindow::showEvent(QShowEvent* e) {
  // centred on the window that opened it, within the screen
  if (!e->spontaneous()) {
    QWidget* opener = QApplication::activeWindow();
    placeWindow(this, opener != this ? opener : nullptr);
  }
  QWidget::showEvent(e);
  activatedSinceShow_ = false;
  // Where the window system does not activate a shown window, it is activated once here.
  QTimer::singleShot(0, this, [this] {
    if (isVisible() && !activatedSinceShow_) onActivated();
  });
}

void SimulatorWindow::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  if (e->spontaneous()) return;
  setWindowModality(Qt::NonModal);
  emit hidden();
  // the caller waiting for the window to close goes on once the run has ended
  if (report_) endRequest();
}

void SimulatorWindow::closeEvent(QCloseEvent* e) {
  // Closing during a run stops the calculation at its next check; the window goes at once.
  if (calculating()) {
    stopAsked_ = true;
    jobView_->stop();
  }
  db_.close();
  e->accept();
}

void SimulatorWindow::requestStop() {
  if (!calculating()) return;
  stopAsked_ = true;
  jobView_->stop();
}

void SimulatorWindow::stopAndWait() {
  trb::app::Job* job = jobView_->job();
  if (!job) return;
  stopAsked_ = true;
  job->cancel();
  job->waitForEnd();
}

void SimulatorWindow::takeRequest(const trb::app::RunRequest& request) {
  request_ = request;
  report_.reset();
  if (calculating()) {
    // one calculation at a time: the caller hears at once that nothing was run
    jobView_->showProblem(
        trb::Error(tr("A calculation is already running in this window."), windowTitle()));
    report_ = trb::app::RunReport();
    endRequest();
    return;
  }
  // a batch run starts by its switch "go"; every other request by the activation
  autoclick_ = !request.batch;
  if (request.batch) setWindowModality(Qt::ApplicationModal);
  if (isVisible()) {
    // already shown: the request prepares a run as a fresh activation does
    activatedSinceShow_ = false;
    onActivated();
  } else {
    show();
  }
  raise();
  activateWindow();
}

void SimulatorWindow::endRequest() {
  if (!request_ || !report_) return;
  trb::app::RunReport report = *report_;
  request_.reset();
  report_.reset();
  session_.endRun(report);
}

void SimulatorWindow::onActivated() {
  // The first activation after the window was shown prepares a new run; a later one (the user
  // comes back from another window) keeps the command as it reads and starts nothing.
  const bool fresh = !activatedSinceShow_;
  activatedSinceShow_ = true;
  // A calculation in progress keeps its settings and connection.
  if (calculating()) return;
  if (!fresh) {
    reactivate();
    return;
  }
  closeMode_ = false;
  runButton->setText(tr("&calculate"));
  runButton->setEnabled(true);
  runButton->setFocus();  // the keyboard starts at the command
  histogram->reset();

  switches_ = trb::engine::SimSwitches::parse(arguments_);
  {
    auto store = trb::settings::openStore();
    settings_ = trb::engine::RunSettings::read(*store, switches_, database_);
  }
  nowait_ = switches_.nowait;
  batch_ = switches_.auto_mode;
  // nobody is there to confirm a message box in a batch run
  if (batch_) ErrorReporter::setBatchMode(true);
  database_ = settings_.database;
  pathEdit->setText(database_);
  openConnection();

  recalcBox->setChecked(settings_.recalc_bat);
  reported_ = settings_.report();
  for (const QString& line : reported_) addMessage(line);
  announced_.clear();
  announceDatabase();

  if (switches_.auto_mode) {
    runButtonClicked();
  } else if (db_.isOpen()) {
    try {
      trb::engine::Calculation pre(jobView_->direct());
      pre.switches = switches_;
      pre.run_preprocessing(db_);
    } catch (const trb::Error& e) {
      jobView_->showProblem(e);
    }
    refreshSiteList();
  }
  if (nowait_ && !calculating()) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  if (autoclick_) {
    autoclick_ = false;
    runButtonClicked();
  }
}

void SimulatorWindow::reactivate() {
  switches_ = trb::engine::SimSwitches::parse(arguments_);
  {
    auto store = trb::settings::openStore();
    settings_ = trb::engine::RunSettings::read(*store, switches_, database_);
  }
  nowait_ = false;  // only the activation that prepared the run may end the program
  database_ = settings_.database;
  pathEdit->setText(database_);
  if (!closeMode_) recalcBox->setChecked(settings_.recalc_bat);
  // the settings report again only when a setting changed meanwhile
  const QStringList report = settings_.report();
  if (report != reported_) {
    reported_ = report;
    for (const QString& line : report) addMessage(line);
  }
  // the main window puts back the system database: the list says so
  if (database_ != announced_) {
    openConnection();
    refreshSiteList();
    announceDatabase();
  }
}

void SimulatorWindow::announceDatabase() {
  if (database_ == announced_) return;
  announced_ = database_;
  addMessage(tr("database: %1").arg(QDir::toNativeSeparators(database_)));
}

void SimulatorWindow::openConnection() {
  db_.close();
  siteListPage_->clear();
  assessmentPage_->clear();
  try {
    // what opening did (an import, its copy reused) comes first in the list
    db_ = trb::app::open_database(database_, jobView_->direct());
  } catch (const trb::Error& e) {
    addMessage(tr("database cannot be opened: %1").arg(e.message()));
  }
}

void SimulatorWindow::refreshSiteList(bool firstRow) {
  siteListPage_->clear();
  if (!db_.isOpen()) return;
  try {
    siteListPage_->refresh(trb::engine::SimulatorService(db_).selectedSites(), firstRow);
  } catch (const trb::Error& e) {
    jobView_->showProblem(e);
  }
}

void SimulatorWindow::refreshPairs() {
  const std::optional<qlonglong> plot = siteListPage_->currentPlot();
  if (!assessment_ || !plot || !db_.isOpen()) return;
  try {
    assessmentPage_->refresh(trb::engine::SimulatorService(db_).assessmentPairs(*plot));
  } catch (const trb::Error& e) {
    jobView_->showProblem(e);
  }
}

void SimulatorWindow::chooseDatabase() {
  const QString file =
      QFileDialog::getOpenFileName(this, tr("database"), QDir::currentPath(),
                                   tr("databases (*.sqlite *.db *.mdb *.accdb);;all files (*)"));
  if (file.isEmpty()) return;
  database_ = file;
  settings_.database = file;
  pathEdit->setText(file);
  openConnection();
  refreshSiteList();
  announceDatabase();
}

void SimulatorWindow::runButtonClicked() {
  if (closeMode_) {
    close();
    return;
  }
  if (calculating()) return;  // one calculation at a time
  trb::engine::RunSettings settings = settings_;
  // the worker opens its own connection to the same file
  settings.database = db_.isOpen() ? db_.path() : database_;
  settings.recalc_bat = recalcBox->isChecked();
  const trb::engine::SimSwitches switches = switches_;
  const int firstYear = request_ ? request_->firstYear : -99;
  const int repeat = request_ ? request_->repeat : 0;
  auto result = std::make_shared<Result>();
  // every share follows the new pair, not only the share of its class (the window outlives the
  // job: it waits for it when it goes)
  auto onPair = [this](const trb::engine::Assessment& a) {
    const std::array<int, 7> counts = a.counts();
    const int n = a.n();
    QMetaObject::invokeMethod(
        this, [this, counts, n] { histogram->setCounts(counts, n); }, Qt::QueuedConnection);
  };
  trb::app::Job* job = nullptr;
  try {
    job = session_.jobs().start(
        tr("calculation"), settings.database,
        [settings, switches, firstYear, repeat, result, onPair](trb::app::Job& job) {
          trb::engine::Calculation calc(job, onPair);
          calc.settings = settings;
          calc.switches = switches;
          calc.z_anf = firstYear;
          calc.z_cnt = repeat;
          // a stop asked for before the worker got going is not lost to the run's own reset
          if (!job.isCanceled()) result->finished = calc.calculate();
          result->assessment = calc.assessment;
          result->walkStarted = calc.walkStarted;
          result->plotsSelected = calc.plotsSelected;
          result->plotsCalculated = calc.plotsCalculated;
          result->stopReason = calc.stopReason;
          result->reportFile = calc.reportFile;
          // the calculation has shown its own problem: the job does not show it again
          using Outcome = trb::app::Job::Outcome;
          const Outcome outcome = result->finished   ? Outcome::Succeeded
                                  : job.isCanceled() ? Outcome::Stopped
                                                     : Outcome::Failed;
          return trb::app::Job::End{outcome, calc.stopReason};
        });
  } catch (const trb::Error& e) {
    // another job writes this database now
    jobView_->showProblem(e);
    if (request_) {
      report_ = trb::app::RunReport();
      endRequest();
    }
    return;
  }
  closeMode_ = true;
  runButton->setEnabled(false);
  runButton->setText(tr("&close"));
  databaseButton->setEnabled(false);
  recalcBox->setEnabled(false);
  messageList->clear();
  assessment_ = false;
  assessmentPage_->clear();
  tabs->setCurrentWidget(messagesPage_);
  problemShown_ = false;
  stopAsked_ = false;
  result_ = result;
  settings_.database = settings.database;
  // The site list and the pair grid are reread when the run has ended; until then this window
  // holds no statement open on the file the worker writes.
  db_.close();
  jobView_->attach(job);
}

void SimulatorWindow::calculationDone() {
  if (!result_) return;
  const Result result = *result_;
  result_.reset();
  lastFinished_ = result.finished;
  assessment_ = result.assessment;
  progress->setVisible(false);
  const QFileInfo report(QDir::current().filePath(result.reportFile));
  if (report.exists())
    addMessage(tr("%1 written in %2")
                   .arg(report.fileName(), QDir::toNativeSeparators(report.absolutePath())));
  // A run the user stopped says how far it came; the list ends with it.
  QString extentLine;
  if (!lastFinished_ && stopAsked_) {
    // results are replaced plot by plot: the plots not reached keep those of an earlier run
    if (result.walkStarted)
      extentLine = tr("stopped: %1 of %2 plots calculated; the other plots keep their earlier "
                      "results")
                       .arg(result.plotsCalculated)
                       .arg(result.plotsSelected);
    else
      extentLine = tr("stopped before the balance: the result tables are as they were");
    addMessage(extentLine);
  }
  if (isVisible()) {
    try {
      db_ = trb::db::Database::open(settings_.database);
    } catch (const trb::Error&) {
      // the run has already said why the database could not be used
    }
    refreshSiteList(true);
  }
  databaseButton->setEnabled(true);
  runButton->setEnabled(true);
  recalcBox->setEnabled(true);
  // A batch run that stopped says why on standard error, unless its problem already did.
  if (batch_ && !lastFinished_ && !problemShown_) {
    QString reason =
        result.stopReason.isEmpty() ? tr("the calculation was stopped") : result.stopReason;
    if (!extentLine.isEmpty()) reason += QStringLiteral("; ") + extentLine;
    ErrorReporter::report(
        this, trb::Error(tr("calculation stopped: %1").arg(reason), QStringLiteral("trb")));
  }
  if (request_) {
    trb::app::RunReport r;
    r.finished = lastFinished_;
    r.stopped = stopAsked_ && !lastFinished_;
    r.walkStarted = result.walkStarted;
    r.plotsTotal = result.plotsSelected;
    r.plotsCalculated = result.plotsCalculated;
    report_ = r;
  }
  emit calculationEnded(lastFinished_);
  if (batch_ && isVisible()) close();
  // the caller goes on now, or, when it waits for the window, once it is closed
  if (request_ && (!isVisible() || !request_->untilClosed)) {
    if (isVisible() && !request_->batch) close();
    endRequest();
  }
  if (nowait_) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void SimulatorWindow::runRScript() {
  rRunner_->pointOdbcSource(db_.isOpen() ? db_.path() : database_);
  trb::external::RRun run;
  run.rCall = settings_.r_call;
  run.folder = QDir::currentPath();
  run.script = settings_.r_script;
  run.result = settings_.r_result;
  run.showType = trb::external::ShowType::ShowMinimized;
  rRunner_->start(run);
}

}  // namespace trb::gui
