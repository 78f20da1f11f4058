#include "gui/browser/browser_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <utility>

#include "core/app/session.h"
#include "core/base/error.h"
#include "core/browser/browser_service.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/evaluation/nbalance.h"
#include "core/evaluation/result_pages.h"
#include "core/evaluation/statistics.h"
#include "core/settings/settings.h"
#include "gui/browser/files_view.h"
#include "gui/browser/list_pages.h"
#include "gui/browser/management_editor.h"
#include "gui/browser/measurement_editor.h"
#include "gui/browser/phase_dialog.h"
#include "gui/browser/repeat_controls.h"
#include "gui/browser/result_pages.h"
#include "gui/browser/selection_panel.h"
#include "gui/browser/site_commands.h"
#include "gui/browser/site_page.h"
#include "gui/evaluation/nbalance_window.h"
#include "gui/external/r_panel.h"
#include "gui/external/script_statistics_window.h"
#include "gui/reports/experiment_report_window.h"
#include "gui/reports/report_commands.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/job_view.h"
#include "gui/widgets/result_chart.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

BrowserWindow::BrowserWindow(trb::app::Session& session, bool power, QWidget* parent)
    : QWidget(parent), session_(session), db_(session.db()), power_(power) {
  setObjectName(QStringLiteral("range_select"));
  setWindowTitle(QStringLiteral("DATABASE"));

  tree = new PlotTree(power, this);
  endButton = new QPushButton(tr("End"), this);
  endButton->setObjectName(QStringLiteral("endButton"));
  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(tree, 1);
  leftLayout->addWidget(endButton);

  areas = new QStackedWidget(this);
  areas->setObjectName(QStringLiteral("areas"));
  buildPages();
  filesView = new FilesView(this);
  selectionPanel = new SelectionPanel(this);
  rPanel = new QWidget(this);
  rPanel->setObjectName(QStringLiteral("rPanel"));
  rInterface = new RPanel(session_, rPanel);
  (new QVBoxLayout(rPanel))->addWidget(rInterface);
  progressPanel = new QWidget(this);
  progressPanel->setObjectName(QStringLiteral("progressPanel"));
  progressCaption = new QLabel(progressPanel);
  progressCaption->setObjectName(QStringLiteral("progressCaption"));
  progressCaption->setAlignment(Qt::AlignCenter);
  progressCaption->setWordWrap(true);
  progressBar = new QProgressBar(progressPanel);
  progressBar->setObjectName(QStringLiteral("progressBar"));
  progressBar->setVisible(false);
  auto* progressLayout = new QVBoxLayout(progressPanel);
  progressLayout->addStretch(1);
  progressLayout->addWidget(progressCaption);
  progressLayout->addWidget(progressBar);
  progressLayout->addStretch(1);
  for (QWidget* w : {static_cast<QWidget*>(pages), static_cast<QWidget*>(filesView),
                     static_cast<QWidget*>(selectionPanel), rPanel, progressPanel})
    areas->addWidget(w);
  areas->setCurrentWidget(progressPanel);

  auto* split = splitter_ = new QSplitter(Qt::Horizontal, this);
  split->setObjectName(QStringLiteral("browserSplitter"));
  split->addWidget(left);
  split->addWidget(areas);
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  split->setSizes({250, 770});
  split->setChildrenCollapsible(false);
  auto* l = new QHBoxLayout(this);
  l->addWidget(split);
  resize(1020, 700);

  phaseDialog = new PhaseDialog(this);

  connect(endButton, &QPushButton::clicked, this, &BrowserWindow::endClicked);
  connect(tree, &PlotTree::leftPressed, this, &BrowserWindow::loadNode);
  connect(tree, &PlotTree::rightPressed, this, &BrowserWindow::onRightPressed);
  connect(tree->menus.experimentSimulation, &QAction::triggered, this,
          &BrowserWindow::showExperimentSelection);
  connect(tree->menus.databaseSimulation, &QAction::triggered, this,
          &BrowserWindow::showDatabaseSelection);
  connect(selectionPanel, &SelectionPanel::runRequested, this, &BrowserWindow::runSelection);
  connect(tree->menus.updateStatistics, &QAction::triggered, this,
          &BrowserWindow::updateStatistics);
  connect(sitePage->runButton, &QPushButton::clicked, this, &BrowserWindow::runPlot);
  connect(tree->menus.nBalance, &QAction::triggered, this, &BrowserWindow::showNBalance);
  siteCommands = new SiteCommands(*this, session_);
  // copying by drag: drops are taken while one of the first three pages is in front
  tree->dropAllowed = [this] {
    return !calculating_ && areas->currentWidget() == pages &&
           pages->currentIndex() <= Page::Observation;
  };
  connect(tree, &PlotTree::dragStarted, this, [this] {
    if (!loadedNode_) return;
    dragSource = snr;
    // the press that starts a drag loads the plot; the page the drop is meant for comes back
    if (pages->isTabVisible(pageBeforePress_)) pages->setCurrentIndex(pageBeforePress_);
  });
  connect(tree, &PlotTree::plotDropped, this, &BrowserWindow::copyDroppedPlot);

  scriptStatistics = new ScriptStatisticsWindow(session_, this);
  connect(tree->menus.rInterface, &QAction::triggered, this, &BrowserWindow::openRInterface);
  connect(tree->menus.scriptStatistics, &QAction::triggered, this,
          &BrowserWindow::openScriptStatistics);
  connect(scriptStatistics, &ScriptStatisticsWindow::plotsRunRequested, this,
          [this] { rebuildTree(100); });
  setSpecialEvaluation(100, [this](const QList<qlonglong>& plots) {
    return scriptStatistics->evaluatePlots(plots);
  });
  connectReports();
  jobView_ = new JobView(this, nullptr, progressBar);
  connect(jobView_, &JobView::finished, this, [this] {
    if (const auto after = std::exchange(afterJob_, nullptr)) after();
  });
  connect(&session_, &trb::app::Session::runEnded, this, &BrowserWindow::runEnded);
  connect(&session_, &trb::app::Session::databaseAboutToChange, this,
          &BrowserWindow::releaseDatabase);
  // a plot of the database before is not one of this one
  connect(&session_, &trb::app::Session::databaseChanged, this, [this] {
    forgetLoadedPlot();
    reload();
  });
  connect(&session_, &trb::app::Session::structureChanged, this, &BrowserWindow::structureChanged);
  connect(&session_, &trb::app::Session::plotDeleted, this, [this](qlonglong flId) {
    if (flId == snr) forgetLoadedPlot();
  });
}

void BrowserWindow::connectReports() {
  tree->menus.siteReport->setEnabled(true);
  tree->menus.experimentReport->setEnabled(true);
  connect(tree->menus.siteReport, &QAction::triggered, this, [this] {
    try {
      printSiteConditions(this, db_);
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  });
  connect(tree->menus.experimentReport, &QAction::triggered, this, [this] {
    try {
      openExperimentReport(this, db_, slvDb, power_);
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  });
  // 'print management' and 'print' with 'save as PDF; no preview': the loaded plot's lists
  for (QPushButton* b : {managementPage->editor->printButton, observationPage->editor->printButton})
    b->setEnabled(true);
  managementPage->editor->pdfBox->setEnabled(true);
  observationPage->editor->pdfBox->setEnabled(true);
  connect(managementPage->editor, &ManagementEditor::printRequested, this, [this](bool pdf) {
    try {
      printManagement(this, db_, snr, pdf ? ReportOutput::Pdf : ReportOutput::Preview);
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  });
  connect(observationPage->editor, &MeasurementEditor::printRequested, this, [this](bool pdf) {
    try {
      printObservations(this, db_, snr, pdf ? ReportOutput::Pdf : ReportOutput::Preview);
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  });
  // 'create report' and 'save as PDF; skip preview' on the comparison pages
  for (ResultPage* page : {carbonPage, nitrogenPage, microbialPage}) {
    page->reportButton->setEnabled(true);
    connect(page->reportButton, &QPushButton::clicked, this,
            [this, page] { printResultPage(page, false); });
    if (!page->pdfButton) continue;
    page->pdfButton->setEnabled(true);
    connect(page->pdfButton, &QPushButton::clicked, this,
            [this, page] { printResultPage(page, true); });
  }
  connect(sitePage, &SitePage::siteReportRequested, this, [this](qlonglong plot) {
    try {
      printSiteDescription(this, db_, plot);
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  });
}

void BrowserWindow::printResultPage(ResultPage* page, bool pdf) {
  using trb::evaluation::ResultKind;
  // the chart as a picture in the current folder, written anew by every result report
  const QString picture = QDir::current().absoluteFilePath(QString::fromLatin1(kChartPictureFile));
  page->chart->saveSvg(picture, QSize(640, 400));
  QList<QStringList> rows;
  for (const QVariantList& r : page->data().rows) {
    QStringList cells;
    for (const QVariant& v : r)
      cells << (v.typeId() == QMetaType::Double ? trb::fmt_general(v.toDouble()) : v.toString());
    rows << cells;
  }
  const char* suffix = page->kind() == ResultKind::Carbon     ? trb::reports::kCarbonSuffix
                       : page->kind() == ResultKind::Nitrogen ? trb::reports::kNitrogenSuffix
                                                              : trb::reports::kMicrobialSuffix;
  try {
    printResults(this, db_, snr, page->data().statistics, rows, picture,
                 QString::fromLatin1(suffix), pdf ? ReportOutput::Pdf : ReportOutput::Preview);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

BrowserWindow::~BrowserWindow() = default;

void BrowserWindow::buildPages() {
  pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("pages"));
  sitePage = new SitePage(power_, pages);
  managementPage = new ManagementPage(pages);
  managementPage->setDatabase(&db_);
  observationPage = new ObservationPage(pages);
  observationPage->setDatabase(&db_);
  connect(observationPage, &ObservationPage::firstYearChanged, this, [this](int year) {
    sitePage->firstYearEdit->setText(QString::number(year));
    sitePage->repeatControls->fromEdit->setText(QString::number(year));
  });
  using trb::evaluation::ResultKind;
  // outside power mode the comparison pages show no statistics list
  carbonPage = new ResultPage(db_, ResultKind::Carbon, power_, pages);
  nitrogenPage = new ResultPage(db_, ResultKind::Nitrogen, power_, pages);
  microbialPage = new ResultPage(db_, ResultKind::MicrobialBiomass, true, pages);
  miscPage = new ResultPage(db_, ResultKind::MiscResults, true, pages);
  turnoverPage = new ResultPage(db_, ResultKind::Turnover, true, pages);
  nBalancePage = new ResultPage(db_, ResultKind::NBalance, true, pages);
  // the order matters: drops on the tree are taken while one of the first three is visible
  pages->addTab(sitePage, tr("Basic-Info"));
  pages->addTab(managementPage, tr("Management"));
  pages->addTab(observationPage, tr("Observation"));
  pages->addTab(carbonPage, tr("C-dynamics"));
  pages->addTab(nitrogenPage, tr("N-dynamics"));
  pages->addTab(microbialPage, tr("micr.BM"));
  pages->addTab(miscPage, tr("misc.results"));
  pages->addTab(turnoverPage, tr("OM-turnover"));
  pages->addTab(nBalancePage, tr("N-balance"));
  pages->setTabVisible(Page::MiscResults, power_);
  // shown only after a single-plot run
  pages->setTabVisible(Page::Turnover, false);
  pages->setTabVisible(Page::NBalance, false);
}

QString BrowserWindow::databaseFileName() const {
  const QString path = session_.databasePath();
  return QFileInfo(path.isEmpty() ? db_.path() : path).fileName();
}

void BrowserWindow::placeOnScreen() {
  placeWindow(this, mainWindow_);
  // the tree takes about a quarter of a window made smaller by the screen, the pages the rest
  if (!placed_ && splitter_) {
    placed_ = true;
    const int tree = std::clamp(width() / 4, 180, 250);
    splitter_->setSizes({tree, std::max(100, width() - tree)});
  }
}

bool BrowserWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) onActivated();
  return QWidget::event(e);
}

void BrowserWindow::showEvent(QShowEvent* e) {
  if (!e->spontaneous()) {
    placeOnScreen();
    fill();
  }
  QWidget::showEvent(e);
}

void BrowserWindow::releaseDatabase() {
  filesView->close();
}

void BrowserWindow::reload() {
  if (!isVisible()) return;
  fill();
}

void BrowserWindow::fill() {
  filesView->close();
  areas->setCurrentWidget(progressPanel);
  progressCaption->setText(tr("reading the database ..."));
  setCalculating(session_.runPending());
  if (db_.isOpen() && !calculating_) {
    try {
      trb::browser::ensureBrowserIndexes(db_);
    } catch (const std::exception&) {
      // the lists work without their indexes, only slower
    }
  }
  refreshStations();
  refreshSoils();
  rebuildTree(0);
  progressCaption->setText(tr("Click a plot in the tree to see its data."));
  onActivated();
}

void BrowserWindow::onActivated() {
  readRecordMode();
  setWindowTitle(databaseFileName());
}

void BrowserWindow::readRecordMode() {
  recordMode = QStringLiteral("LOC");
  auto store = trb::settings::openStore();
  if (store->contains(QStringLiteral("REGMODE")))
    recordMode = trb::settings::readText(*store, QStringLiteral("REGMODE"));
  managementPage->setRecordMode(recordMode);
}

void BrowserWindow::forgetLoadedPlot() {
  loadedNode_ = nullptr;
  snr = -99;
  loadedPlot = PlotRecord();
  sitePage->clearSite();
  managementPage->showPlot(-99, {});
  observationPage->showPlot(-99, -99, {});
  for (ResultPage* p :
       {carbonPage, nitrogenPage, microbialPage, miscPage, turnoverPage, nBalancePage}) {
    p->setPlot(-99, QString(), QString());
    p->clear();
  }
  pages->setTabVisible(Page::NBalance, false);
  pages->setTabVisible(Page::Turnover, false);
  selectionPanel->reset();
  areas->setCurrentWidget(progressPanel);
}

void BrowserWindow::structureChanged() {
  const qlonglong shown = snr;
  rebuildTree(0);
  if (shown == -99) return;
  // the plot in the pages may have gone with a deleted experiment or a shift of keys
  bool gone = true;
  try {
    gone = !trb::browser::loadPlot(db_, shown).found;
  } catch (const std::exception&) {
  }
  if (gone) forgetLoadedPlot();
}

void BrowserWindow::refreshStations() {
  if (!db_.isOpen()) return;
  try {
    sitePage->setStations(trb::parameters::readStations(db_));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

void BrowserWindow::refreshSoils() {
  if (!db_.isOpen()) return;
  try {
    sitePage->setSoils(trb::parameters::readSoils(db_));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

void BrowserWindow::rebuildTree(int mode) {
  if (mode == 0) phaseSelect = 0;
  if (mode == 1 && db_.isOpen()) {
    updateStatisticsJob();
    return;
  }
  buildTree(mode);
}

void BrowserWindow::updateStatisticsJob() {
  if (jobView_->isRunning()) return;
  // the statistics of every plot with results, stored for the chosen period, on a connection of
  // the job's own; the tree is rebuilt when it has ended
  const QString path = db_.path();
  const int phase = phaseSelect;
  trb::app::Job* job = nullptr;
  try {
    job = session_.jobs().start(tr("Update-Statistics"), path, [path, phase](trb::app::Job& job) {
      trb::db::Database db = trb::db::Database::open(path);
      trb::evaluation::update_statistics(db, phase, job);
      return trb::app::Job::End{};
    });
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  loadedNode_ = nullptr;
  areas->setCurrentWidget(progressPanel);
  progressCaption->setText(tr("Update-Statistics"));
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  tree->setEnabled(false);
  afterJob_ = [this] {
    QGuiApplication::restoreOverrideCursor();
    tree->setEnabled(true);
    progressCaption->clear();
    buildTree(1);
  };
  jobView_->attach(job);
}

void BrowserWindow::buildTree(int mode) {
  loadedNode_ = nullptr;
  QList<trb::browser::ExperimentNode> experiments;
  if (db_.isOpen()) {
    try {
      experiments = trb::browser::readTree(db_);
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  }
  int plots = 0;
  for (const auto& x : experiments) plots += int(x.plots.size());
  recs = std::max(recs, plots);
  tree->rebuild(trb::browser::rootLabel(databaseFileName()), experiments);
  progressBar->setVisible(false);
  if (specialEvaluations_.contains(mode)) runSpecialEvaluation(mode, experiments);
}

void BrowserWindow::setSpecialEvaluation(int mode, PlotEvaluation walk) {
  specialEvaluations_.insert(mode, std::move(walk));
}

void BrowserWindow::runSpecialEvaluation(int mode,
                                         const QList<trb::browser::ExperimentNode>& experiments) {
  if (jobView_->isRunning()) return;
  // each plot once, also where two experiments share a location and so list the same plots
  QList<qlonglong> keys;
  for (const auto& x : experiments)
    for (const auto& p : x.plots)
      if (p.resultRows > 0 && !keys.contains(p.flId)) keys << p.flId;
  trb::app::Job* job = specialEvaluations_.value(mode)(keys);
  if (!job) return;
  const bool shown = mode == 100;
  if (shown) {
    areas->setCurrentWidget(progressPanel);
    progressCaption->setText(job->title());
  }
  tree->setEnabled(false);  // no second walk or rebuild while this one waits for R
  afterJob_ = [this, shown] {
    tree->setEnabled(true);
    progressCaption->clear();
    if (shown) areas->setCurrentWidget(pages);
  };
  jobView_->attach(job);
}

void BrowserWindow::openRInterface() {
  rInterface->open();
  areas->setCurrentWidget(rPanel);
}

void BrowserWindow::openScriptStatistics() {
  scriptStatistics->open();
}

void BrowserWindow::updateStatistics() {
  if (calculating_) return;
  phaseSelect = phaseDialog->choose();
  rebuildTree(1);
}

void BrowserWindow::showNBalance() {
  if (!nBalanceWindow) nBalanceWindow = new NBalanceWindow(session_, this);
  nBalanceWindow->open(this);
}

void BrowserWindow::endClicked() {
  if (power_) {
    close();
  } else if (mainWindow_) {
    mainWindow_->close();  // ends the program
  } else {
    close();
  }
}

void BrowserWindow::onRightPressed(QTreeWidgetItem* item) {
  switch (PlotTree::kindOf(item)) {
    case PlotTree::Kind::Experiment:
    case PlotTree::Kind::Plots:
    case PlotTree::Kind::Plot:
      slvDb = PlotTree::locationOf(item);
      break;
    default:
      break;
  }
}

void BrowserWindow::loadNode(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers) {
  if (!item) return;
  tree->setActiveItem(item);
  tree->setMarker(item, true);
  const int page = pages->currentIndex();
  managementPage->setHeading(item->text(0));
  observationPage->setHeading(item->text(0));
  filesView->close();
  areas->setCurrentWidget(pages);
  tree->scrollToItem(item);

  switch (PlotTree::kindOf(item)) {
    case PlotTree::Kind::Experiment:
      slvDb = PlotTree::locationOf(item);
      return;
    case PlotTree::Kind::Files:
      slvDb = PlotTree::locationOf(item);
      filesView->open(db_, slvDb);
      areas->setCurrentWidget(filesView);
      return;
    case PlotTree::Kind::Plot:
      break;
    default:
      return;
  }
  pageBeforePress_ = page;
  const bool newPlot = item != loadedNode_;
  if (newPlot) {
    pages->setTabVisible(Page::NBalance, false);
    pages->setTabVisible(Page::Turnover, false);
    pages->setCurrentIndex(Page::BasicInfo);
  }
  loadedNode_ = item;
  loadPlot(item);
  // Shift keeps the page; so does every click once a plot has been dragged
  const bool keep = (modifiers & Qt::ShiftModifier) || tree->dragging();
  pages->setCurrentIndex(keep && pages->isTabVisible(page) ? page : Page::BasicInfo);
}

void BrowserWindow::loadPlot(QTreeWidgetItem* item) {
  PlotRecord record = PlotTree::record(item);
  snr = record.snr;
  sitePage->flIdEdit->setText(QString::number(snr));
  record.dbName = slvDb;
  trb::browser::PlotView view;
  try {
    view = trb::browser::loadPlot(db_, snr);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  managementPage->showPlot(snr, view.management);
  observationPage->showPlot(snr, view.firstYear, view.measurements);
  sitePage->showSite(view.site, view.firstYear);
  if (view.firstYear != -99)
    selectionPanel->repeatControls->fromEdit->setText(QString::number(view.firstYear));
  if (view.found) {
    record.dbName = view.site.location;
    record.vcode = view.site.vcode;
    record.herkunft = view.site.herkunft;
  }
  PlotTree::setRecord(item, record);
  loadedPlot = record;
  showResults(item->text(0));
}

void BrowserWindow::showResults(const QString& plotLabel) {
  for (ResultPage* p :
       {carbonPage, nitrogenPage, microbialPage, miscPage, turnoverPage, nBalancePage})
    p->setPlot(snr, loadedPlot.dbName, plotLabel);
  // the evaluation of the plot's results decides what the comparison pages show
  pages->setTabEnabled(Page::CDynamics, false);
  try {
    const trb::evaluation::ComparisonPages results =
        trb::evaluation::read_comparison_pages(db_, snr);
    carbonPage->showData(results.carbon);
    nitrogenPage->showData(results.nitrogen);
    microbialPage->showData(results.microbial);
  } catch (const std::exception& e) {
    for (ResultPage* p : {carbonPage, nitrogenPage, microbialPage}) p->clear();
    ErrorReporter::report(this, e, windowTitle());
  }
  if (carbonPage->hasRows()) pages->setTabEnabled(Page::CDynamics, true);
  pages->setTabVisible(Page::NDynamics, nitrogenPage->hasRows());
  pages->setTabVisible(Page::MicrobialBiomass, microbialPage->hasRows());
  if (power_) miscPage->refresh();
}

bool BrowserWindow::clickOnPlot(qlonglong flId, const QString& location) {
  QTreeWidgetItem* node = tree->findPlot(flId, location);
  if (!node) return false;
  tree->setMarker(tree->activeItem(), false);
  tree->setActiveItem(node);
  if (node->childCount() > 0) node->setExpanded(true);
  loadNode(node, Qt::NoModifier);
  return true;
}

void BrowserWindow::showExperimentSelection() {
  try {
    selectionPanel->showEntries(slvDb, trb::browser::experimentSelection(db_, slvDb));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  areas->setCurrentWidget(selectionPanel);
}

void BrowserWindow::showDatabaseSelection() {
  try {
    selectionPanel->showEntries(tr("choose plots for simulation"),
                                trb::browser::databaseSelection(db_));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  areas->setCurrentWidget(selectionPanel);
}

std::optional<int> BrowserWindow::checkedFirstYear(const RepeatControls* controls) {
  const std::optional<int> year = controls->firstYear();
  if (!year)
    QMessageBox::warning(this, windowTitle(),
                         tr("'%1' is not a valid integer value.").arg(controls->fromEdit->text()));
  return year;
}

void BrowserWindow::runSelection() {
  if (calculating_) return;
  // the repeat controls are checked first: a wrong number changes nothing
  const std::optional<int> firstYear = checkedFirstYear(selectionPanel->repeatControls);
  if (!firstYear) return;
  setCalculating(true);
  try {
    session_.runSelectedPlots(selectionPanel->checkedPlots(), *firstYear,
                              selectionPanel->repeatControls->repeatCount());
  } catch (const std::exception& e) {
    setCalculating(false);
    ErrorReporter::report(this, e, windowTitle());
  }
}

void BrowserWindow::runPlot() {
  if (calculating_ || snr == -99) return;
  // the repeat controls are checked first: a wrong number changes nothing
  const std::optional<int> firstYear = checkedFirstYear(sitePage->repeatControls);
  if (!firstYear) return;
  setCalculating(true);
  try {
    // in power mode the user reads the simulator's messages and closes it
    session_.runPlot(snr, *firstYear, sitePage->repeatControls->repeatCount(), power_);
  } catch (const std::exception& e) {
    setCalculating(false);
    ErrorReporter::report(this, e, windowTitle());
  }
}

void BrowserWindow::runEnded(const trb::app::RunReport& report) {
  if (report.request.batch) return;
  setCalculating(false);
  for (const trb::Error& e : report.problems) ErrorReporter::report(this, e, windowTitle());
  const qlonglong key = report.request.plot;
  const QString location = loadedPlot.dbName;
  rebuildTree(0);
  loadNode(tree->topLevelItem(0), Qt::NoModifier);
  if (key == -99) return;
  // the plot that was run, found by its key: two plots may share a name
  if (!clickOnPlot(key, location)) return;
  sitePage->batEdit->setText(report.meanBat);
  pages->setCurrentIndex(Page::CDynamics);
  turnoverPage->clear();
  nBalancePage->clear();
  turnoverPage->refresh();
  if (report.request.repeat != 0) return;
  nBalancePage->refresh();
  pages->setTabVisible(Page::NBalance, true);
  pages->setTabVisible(Page::Turnover, true);
  pages->setCurrentIndex(Page::Turnover);
}

void BrowserWindow::setCalculating(bool on) {
  calculating_ = on;
  selectionPanel->runButton->setEnabled(!on);
  sitePage->runButton->setEnabled(!on);
  filesView->setEditable(!on);
  tree->menus.updateStatistics->setEnabled(!on);
  siteCommands->setEnabled(!on);
  managementPage->editor->setEnabled(!on);
  observationPage->editor->setEnabled(!on);
  tree->menus.scriptStatistics->setEnabled(!on);  // its SQL script writes to the database
}

void BrowserWindow::copyDroppedPlot(QTreeWidgetItem* target) {
  if (!target || dragSource == -99 || PlotTree::kindOf(target) != PlotTree::Kind::Plot) return;
  const qlonglong into = PlotTree::record(target).snr;
  if (pages->currentIndex() == Page::Management)
    managementPage->copyDroppedPlot(dragSource, into);
  else if (pages->currentIndex() == Page::Observation)
    observationPage->copyDroppedPlot(dragSource, into);
}

}  // namespace trb::gui
