#include "gui/simulator/simulator_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
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
#include "gui/widgets/window_feedback.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

SimulatorWindow::SimulatorWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("trbadoForm1"));
  setWindowTitle(QStringLiteral("TRB-simulator"));
  setAttribute(Qt::WA_QuitOnClose, false);  // the main window alone ends the program
  arguments = QCoreApplication::arguments().mid(1);
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

  // The worker reports through queued calls: they run on this window's thread in order.
  feedback_ = new WindowFeedback(messageList, progress, this);
  connect(feedback_, &WindowFeedback::problemReported, this, &SimulatorWindow::showProblem);
  auto onPair = [this](const trb::engine::Assessment& a) {
    // every share follows the new pair, not only the share of its class
    const std::array<int, 7> counts = a.counts();
    const int n = a.n();
    QMetaObject::invokeMethod(
        this, [this, counts, n] { histogram->setCounts(counts, n); }, Qt::QueuedConnection);
  };
  calc_ = std::make_unique<trb::engine::Calculation>(*feedback_, onPair);
}

SimulatorWindow::~SimulatorWindow() {
  stopAndWait();
}

QStringList SimulatorWindow::messageLines() const {
  return messagesPage_->lines();
}

void SimulatorWindow::addMessage(const QString& line) {
  messagesPage_->addLine(line);
}

void SimulatorWindow::showProblem(const trb::Error& error) {
  problemShown_ = true;
  ErrorReporter::report(this, error);
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
  if (!e->spontaneous()) emit hidden();
}

void SimulatorWindow::closeEvent(QCloseEvent* e) {
  // Closing during a run stops the calculation at its next check; the window goes at once.
  if (calculating()) {
    stopAsked_ = true;
    feedback_->stop();
  }
  db_.close();
  e->accept();
}

void SimulatorWindow::requestStop() {
  if (!calculating()) return;
  stopAsked_ = true;
  feedback_->stop();
}

void SimulatorWindow::stopAndWait() {
  if (!thread_) return;
  stopAsked_ = true;
  feedback_->stop();
  thread_->wait();
  calculationDone();
}

void SimulatorWindow::showModalAndWait() {
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  connect(this, &SimulatorWindow::hidden, &loop, &QEventLoop::quit);
  show();
  raise();
  activateWindow();
  if (isVisible()) loop.exec();
  setWindowModality(Qt::NonModal);
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

  switches_ = trb::engine::SimSwitches::parse(arguments);
  {
    auto store = trb::settings::openStore();
    settings_ = trb::engine::RunSettings::read(*store, switches_, database);
  }
  nowait = switches_.nowait;
  batch_ = switches_.auto_mode;
  // nobody is there to confirm a message box in a batch run
  if (batch_) ErrorReporter::setBatchMode(true);
  database = settings_.database;
  pathEdit->setText(database);
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
      calc_->switches = switches_;
      calc_->run_preprocessing(db_);
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e);
    }
    refreshSiteList();
  }
  if (nowait && !calculating()) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  if (autoclick) runButtonClicked();
}

void SimulatorWindow::reactivate() {
  switches_ = trb::engine::SimSwitches::parse(arguments);
  {
    auto store = trb::settings::openStore();
    settings_ = trb::engine::RunSettings::read(*store, switches_, database);
  }
  nowait = false;  // only the activation that prepared the run may end the program
  database = settings_.database;
  pathEdit->setText(database);
  if (!closeMode_) recalcBox->setChecked(settings_.recalc_bat);
  // the settings report again only when a setting changed meanwhile
  const QStringList report = settings_.report();
  if (report != reported_) {
    reported_ = report;
    for (const QString& line : report) addMessage(line);
  }
  // the main window puts back the system database: the list says so
  if (database != announced_) {
    openConnection();
    refreshSiteList();
    announceDatabase();
  }
}

void SimulatorWindow::announceDatabase() {
  if (database == announced_) return;
  announced_ = database;
  addMessage(tr("database: %1").arg(QDir::toNativeSeparators(database)));
}

void SimulatorWindow::openConnection() {
  db_.close();
  siteListPage_->clear();
  assessmentPage_->clear();
  QString failure;
  try {
    db_ = trb::app::open_database(database, *feedback_);
  } catch (const trb::Error& e) {
    failure = tr("database cannot be opened: %1").arg(e.message());
  }
  // what opening did (an import, its copy reused) comes first in the list
  QCoreApplication::sendPostedEvents(feedback_, QEvent::MetaCall);
  if (!failure.isEmpty()) addMessage(failure);
}

void SimulatorWindow::refreshSiteList(bool firstRow) {
  siteListPage_->clear();
  if (!db_.isOpen()) return;
  try {
    siteListPage_->refresh(trb::engine::SimulatorService(db_).selectedSites(), firstRow);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
  }
}

void SimulatorWindow::refreshPairs() {
  const std::optional<qlonglong> plot = siteListPage_->currentPlot();
  if (!assessment || !plot || !db_.isOpen()) return;
  try {
    assessmentPage_->refresh(trb::engine::SimulatorService(db_).assessmentPairs(*plot));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
  }
}

void SimulatorWindow::chooseDatabase() {
  const QString file =
      QFileDialog::getOpenFileName(this, tr("database"), QDir::currentPath(),
                                   tr("databases (*.sqlite *.db *.mdb *.accdb);;all files (*)"));
  if (file.isEmpty()) return;
  database = file;
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
  closeMode_ = true;
  runButton->setEnabled(false);
  runButton->setText(tr("&close"));
  databaseButton->setEnabled(false);
  recalcBox->setEnabled(false);
  messageList->clear();
  assessment = false;
  assessmentPage_->clear();
  tabs->setCurrentWidget(messagesPage_);

  calc_->settings = settings_;
  // the worker opens its own connection to the same file
  calc_->settings.database = db_.isOpen() ? db_.path() : database;
  calc_->settings.recalc_bat = recalcBox->isChecked();
  calc_->switches = switches_;
  calc_->z_anf = z_anf;
  calc_->z_cnt = z_cnt;
  running = true;
  finished_ = false;
  problemShown_ = false;
  // The site list and the pair grid are reread when the run has ended; until then this window
  // holds no statement open on the file the worker writes.
  db_.close();
  stopAsked_ = false;
  feedback_->resetCanceled();
  // a stop asked for before the worker got going is not lost to the calculation's own reset
  thread_ = QThread::create([this] { finished_ = stopAsked_ ? false : calc_->calculate(); });
  connect(thread_, &QThread::finished, this, [this] { calculationDone(); });
  thread_->start();
}

void SimulatorWindow::calculationDone() {
  if (!thread_) return;
  thread_->wait();
  thread_->deleteLater();
  thread_ = nullptr;
  // the last lines, problems and bars
  QCoreApplication::sendPostedEvents(feedback_, QEvent::MetaCall);
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  lastFinished_ = finished_;
  assessment = calc_->assessment;
  progress->setVisible(false);
  const QFileInfo report(QDir::current().filePath(calc_->reportFile));
  if (report.exists())
    addMessage(tr("%1 written in %2")
                   .arg(report.fileName(), QDir::toNativeSeparators(report.absolutePath())));
  // A run the user stopped says how far it came; the list ends with it.
  QString extentLine;
  if (!lastFinished_ && stopAsked_) {
    // results are replaced plot by plot: the plots not reached keep those of an earlier run
    if (calc_->messages.contains(QStringLiteral("trb running")))
      extentLine = tr("stopped: %1 of %2 plots calculated; the other plots keep their earlier "
                      "results")
                       .arg(calc_->plotsCalculated)
                       .arg(calc_->plotsSelected);
    else
      extentLine = tr("stopped before the balance: the result tables are as they were");
    addMessage(extentLine);
  }
  if (isVisible()) {
    try {
      db_ = trb::db::Database::open(calc_->settings.database);
    } catch (const std::exception&) {
      // the run has already said why the database could not be used
    }
    refreshSiteList(true);
  }
  databaseButton->setEnabled(true);
  runButton->setEnabled(true);
  recalcBox->setEnabled(true);
  running = false;
  // A batch run that stopped says why on standard error, unless its problem already did.
  if (batch_ && !lastFinished_ && !problemShown_) {
    QString reason =
        calc_->stopReason.isEmpty() ? tr("the calculation was stopped") : calc_->stopReason;
    if (!extentLine.isEmpty()) reason += QStringLiteral("; ") + extentLine;
    ErrorReporter::report(
        this, trb::Error(tr("calculation stopped: %1").arg(reason), QStringLiteral("trb")));
  }
  emit calculationEnded(lastFinished_);
  if (batch_ && isVisible()) close();
  if (nowait) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void SimulatorWindow::runRScript() {
  rRunner_->pointOdbcSource(db_.isOpen() ? db_.path() : database);
  trb::external::RRun run;
  run.rCall = settings_.r_call;
  run.folder = QDir::currentPath();
  run.script = settings_.r_script;
  run.result = settings_.r_result;
  run.showType = trb::external::ShowType::ShowMinimized;
  rRunner_->start(run);
}

}  // namespace trb::gui
