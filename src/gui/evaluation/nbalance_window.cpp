#include "gui/evaluation/nbalance_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/evaluation/nbalance.h"
#include "core/settings/run_settings.h"
#include "core/settings/settings.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/job_view.h"
#include "gui/widgets/row_model.h"
#include "gui/widgets/sheet_export.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

namespace {

using GridModel = RowModel<QVariantList>;

// A value of the grid: numbers in the general format of the user's locale.
QVariant shown(const QVariant& v) {
  if (v.isNull()) return QString();
  if (v.typeId() == QMetaType::Double) return trb::fmt_general(v.toDouble());
  return v;
}

}  // namespace

NBalanceWindow::NBalanceWindow(trb::app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), db_(session.db()) {
  setObjectName(QStringLiteral("frm_nbalance"));
  setWindowTitle(tr("TRB N balance"));

  const auto edit = [this](const char* name, const QString& text) {
    auto* e = new QLineEdit(text, this);
    e->setObjectName(QLatin1String(name));
    e->setMaximumWidth(90);
    return e;
  };
  firstYearEdit = edit("firstYearEdit", QStringLiteral("0"));
  lastYearEdit = edit("lastYearEdit", QStringLiteral("3000"));
  ndngLowEdit = edit("ndngLowEdit", QStringLiteral("0"));
  ndngHighEdit = edit("ndngHighEdit", QStringLiteral("3000"));
  plotEdit = edit("plotEdit", QStringLiteral("*"));

  auto* fields = new QGridLayout;
  const auto row = [&](int r, QLineEdit* low, const QString& caption, QLineEdit* high) {
    auto* label = new QLabel(caption, this);
    label->setAlignment(Qt::AlignCenter);
    fields->addWidget(low, r, 0);
    fields->addWidget(label, r, 1);
    fields->addWidget(high, r, 2);
  };
  row(0, firstYearEdit, tr("<=    year    <="), lastYearEdit);
  row(1, ndngLowEdit, tr("<= Dg-N-inp <="), ndngHighEdit);
  auto* plotLabel = new QLabel(tr("&plot (FL_ID, * for all)"), this);
  plotLabel->setBuddy(plotEdit);
  fields->addWidget(plotLabel, 2, 0, 1, 2);
  fields->addWidget(plotEdit, 2, 2);
  fields->setColumnStretch(3, 1);

  runButton = new QPushButton(tr("&run N-Balance"), this);
  runButton->setObjectName(QStringLiteral("runButton"));
  exportButton = new QPushButton(tr("&copy to XLS"), this);
  exportButton->setObjectName(QStringLiteral("exportButton"));
  exportButton->setEnabled(false);
  tableChooser = new QComboBox(this);
  tableChooser->setObjectName(QStringLiteral("tableChooser"));
  tableChooser->addItems(trb::evaluation::balance_tables());
  tableChooser->setVisible(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(runButton);
  buttons->addWidget(exportButton);
  buttons->addWidget(tableChooser);
  buttons->addStretch(1);

  progress = new QProgressBar(this);
  progress->setObjectName(QStringLiteral("progress"));
  progress->setRange(0, trb::evaluation::kBalanceSteps);
  progress->setVisible(false);
  grid = new QTableView(this);
  grid->setObjectName(QStringLiteral("grid"));
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->setVisible(false);
  grid->setVisible(false);

  auto* l = new QVBoxLayout(this);
  l->addLayout(fields);
  l->addLayout(buttons);
  l->addWidget(progress);
  l->addWidget(grid, 1);
  resize(720, 480);

  // the bar shows the balance's steps
  jobView_ = new JobView(this, nullptr, progress);
  jobView_->setProgressSteps(trb::evaluation::kBalanceSteps);
  connect(jobView_, &JobView::finished, this, [this](trb::app::Job::Outcome outcome) {
    runFinished(outcome == trb::app::Job::Outcome::Succeeded);
  });
  connect(runButton, &QPushButton::clicked, this, &NBalanceWindow::runBalance);
  connect(exportButton, &QPushButton::clicked, this, &NBalanceWindow::exportTable);
  connect(tableChooser, &QComboBox::textActivated, this, &NBalanceWindow::showTable);
}

NBalanceWindow::~NBalanceWindow() {
  if (trb::app::Job* job = jobView_->job()) {
    job->cancel();
    job->waitForEnd();
  }
}

bool NBalanceWindow::running() const {
  return jobView_->isRunning();
}

void NBalanceWindow::open(const QWidget* opener) {
  if (!isVisible()) placeWindow(this, opener);
  show();
  raise();
  activateWindow();
  runButton->setFocus();
}

bool NBalanceWindow::checkNumber(QLineEdit* edit, const QString& field) {
  bool ok = false;
  edit->text().trimmed().toDouble(&ok);
  if (ok) return true;
  QMessageBox::warning(this, windowTitle(),
                       tr("'%1' is not a number (%2).").arg(edit->text(), field));
  edit->setFocus();
  edit->selectAll();
  return false;
}

void NBalanceWindow::runBalance() {
  if (running()) return;
  if (!checkNumber(firstYearEdit, tr("first year")) ||
      !checkNumber(lastYearEdit, tr("last year")) ||
      !checkNumber(ndngLowEdit, tr("lowest mineral N input")) ||
      !checkNumber(ndngHighEdit, tr("highest mineral N input")))
    return;
  const QString id = plotEdit->text().trimmed();
  bool whole = false;
  id.toLongLong(&whole);
  if (id != u"*" && !whole) {
    QMessageBox::warning(this, windowTitle(),
                         tr("'%1' is neither * nor the FL_ID of a plot.").arg(plotEdit->text()));
    plotEdit->setFocus();
    plotEdit->selectAll();
    return;
  }
  if (!db_.isOpen()) {
    ErrorReporter::report(this, trb::Error(tr("No database is open."), windowTitle()));
    return;
  }
  const auto filter = trb::evaluation::NBalanceFilter::parse(
      firstYearEdit->text(), lastYearEdit->text(), ndngLowEdit->text(), ndngHighEdit->text());
  const QString path = db_.path();
  // the threads of a calculation (the setting "workers") serve the balance too
  const int threads =
      trb::settings::RunSettings::read(*trb::settings::openStore(), {}).workerThreads();

  // The balance writes through a connection of its own, so that this window (and the others on
  // the session's connection) stay responsive; it is one transaction, so the others see the
  // tables of the last run until it commits.
  trb::app::Job* job = nullptr;
  try {
    job =
        session_.jobs().start(windowTitle(), path, [path, id, filter, threads](trb::app::Job& job) {
          trb::db::Database db = trb::db::Database::open(path);
          trb::evaluation::do_balance(db, id, filter, job, threads);
          return trb::app::Job::End{};
        });
  } catch (const trb::Error& e) {
    // another job writes the database now
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  setIdle(false);
  grid->setVisible(false);
  progress->setValue(0);
  progress->setVisible(true);
  jobView_->attach(job);
}

void NBalanceWindow::runFinished(bool finished) {
  progress->setVisible(false);
  setIdle(true);
  if (finished) {
    tableChooser->setCurrentIndex(0);
    tableChooser->setVisible(true);
    showTable(tableChooser->currentText());
  }
  emit balanceDone(finished);
}

void NBalanceWindow::showTable(const QString& table) {
  trb::transfer::Sheet sheet;
  try {
    sheet = trb::evaluation::read_balance_table(db_, table);
  } catch (const std::exception& e) {
    // the plot balance exists only after a run over all plots
    ErrorReporter::report(this, e, windowTitle());
  }
  shown_ = sheet;
  QList<GridModel::Column> columns;
  for (int i = 0; i < sheet.titles.size(); ++i)
    columns.append(
        {sheet.titles.at(i),
         [i](const QVariantList& r) { return i < r.size() ? shown(r.at(i)) : QVariant(); },
         Qt::AlignRight | Qt::AlignVCenter});
  auto* model = new GridModel(columns, this);
  model->setRows(sheet.rows);
  grid->setModel(model);
  delete model_;
  model_ = model;
  grid->resizeColumnsToContents();
  grid->setVisible(true);
  exportButton->setEnabled(!sheet.titles.isEmpty());
}

void NBalanceWindow::exportTable() {
  if (shown_.titles.isEmpty()) return;
  trb::transfer::Sheet sheet = shown_;
  sheet.decimals = 4;
  saveSheet(this, sheet, trb::transfer::spreadsheet_file_name({sheet.name}));
}

void NBalanceWindow::setIdle(bool idle) {
  for (QWidget* w :
       std::initializer_list<QWidget*>{firstYearEdit, lastYearEdit, ndngLowEdit, ndngHighEdit,
                                       plotEdit, runButton, tableChooser})
    w->setEnabled(idle);
  exportButton->setEnabled(idle && !shown_.titles.isEmpty());
}

void NBalanceWindow::closeEvent(QCloseEvent* e) {
  // a run stops at its next step and leaves the tables as they were
  jobView_->stop();
  QWidget::closeEvent(e);
}

}  // namespace trb::gui
