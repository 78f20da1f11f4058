#include "gui/sqlmodule/sql_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/database.h"
#include "core/transfer/spreadsheet_export.h"
#include "gui/sqlmodule/result_model.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/sheet_export.h"

namespace trb::gui {

namespace {

// The last line of a run, shown under the editor.
class StatusFeedback : public trb::Feedback {
 public:
  explicit StatusFeedback(QLabel* label) : label_(label) {}
  void pushLine(Level, const QString& line) override { label_->setText(line); }

 private:
  QLabel* label_;
};

}  // namespace

SqlWindow::SqlWindow(trb::db::Database& db, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db) {
  setObjectName(QStringLiteral("SqlWindow"));
  setWindowTitle(tr("SQL - module"));

  editor = new QPlainTextEdit(this);
  editor->setObjectName(QStringLiteral("editor"));
  editor->setPlaceholderText(tr("SQL script"));
  editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

  auto make = [this](const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    return b;
  };
  executeButton = make(QStringLiteral("executeButton"), tr("execute"));
  loadButton = make(QStringLiteral("loadButton"), tr("load from file"));
  saveButton = make(QStringLiteral("saveButton"), tr("save to file"));
  substituteButton =
      make(QStringLiteral("substituteButton"), tr("update sql code with parameter values"));
  clearGridButton = make(QStringLiteral("clearGridButton"), tr("clear grid"));
  exportButton = make(QStringLiteral("exportButton"), tr("export to XLS"));
  previousButton = new QToolButton(this);
  previousButton->setObjectName(QStringLiteral("previousButton"));
  previousButton->setArrowType(Qt::LeftArrow);
  nextButton = new QToolButton(this);
  nextButton->setObjectName(QStringLiteral("nextButton"));
  nextButton->setArrowType(Qt::RightArrow);
  slotLabel = new QLabel(this);
  slotLabel->setObjectName(QStringLiteral("slotLabel"));
  dataChangeBox = new QCheckBox(tr("data change"), this);
  dataChangeBox->setObjectName(QStringLiteral("dataChangeBox"));
  dataChangeBox->setAttribute(Qt::WA_TransparentForMouseEvents);  // the module sets it
  dataChangeBox->setFocusPolicy(Qt::NoFocus);
  statusLabel = new QLabel(this);
  statusLabel->setObjectName(QStringLiteral("statusLabel"));
  statusLabel->setWordWrap(true);

  resultModel = new ResultModel(this);
  resultView = new QTableView(this);
  resultView->setObjectName(QStringLiteral("resultView"));
  resultView->setModel(resultModel);
  resultView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  resultView->verticalHeader()->setDefaultSectionSize(resultView->fontMetrics().height() + 6);

  parameterTable = new QTableWidget(sqlmodule::kMaxParameters, 2, this);
  parameterTable->setObjectName(QStringLiteral("parameterTable"));
  parameterTable->setHorizontalHeaderLabels({tr("parameter"), tr("value")});
  parameterTable->horizontalHeader()->setStretchLastSection(true);
  auto* parameterPage = new QWidget(this);
  auto* pl = new QVBoxLayout(parameterPage);
  pl->addWidget(parameterTable);
  auto* pb = new QHBoxLayout;
  pb->addWidget(substituteButton);
  pb->addWidget(clearGridButton);
  pb->addStretch();
  pl->addLayout(pb);

  pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("pages"));
  pages->addTab(resultView, tr("result data set"));
  pages->addTab(parameterPage, tr("parameters"));

  auto* commands = new QHBoxLayout;
  commands->addWidget(executeButton);
  commands->addWidget(dataChangeBox);
  commands->addStretch();
  commands->addWidget(previousButton);
  commands->addWidget(slotLabel);
  commands->addWidget(nextButton);
  commands->addStretch();
  commands->addWidget(loadButton);
  commands->addWidget(saveButton);
  commands->addWidget(exportButton);

  auto* top = new QWidget(this);
  auto* tl = new QVBoxLayout(top);
  tl->setContentsMargins(0, 0, 0, 0);
  tl->addWidget(editor);
  tl->addLayout(commands);
  tl->addWidget(statusLabel);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(top);
  split->addWidget(pages);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);
  resize(820, 640);

  connect(executeButton, &QPushButton::clicked, this, &SqlWindow::execute);
  connect(loadButton, &QPushButton::clicked, this, &SqlWindow::loadFromFile);
  connect(saveButton, &QPushButton::clicked, this, &SqlWindow::saveToFile);
  connect(substituteButton, &QPushButton::clicked, this, &SqlWindow::substituteParameters);
  connect(clearGridButton, &QPushButton::clicked, this, &SqlWindow::clearParameters);
  connect(exportButton, &QPushButton::clicked, this, &SqlWindow::exportResult);
  connect(previousButton, &QToolButton::clicked, this, [this] {
    if (auto s = history_.previous()) editor->setPlainText(*s);
    showSlot();
  });
  connect(nextButton, &QToolButton::clicked, this, [this] {
    if (auto s = history_.next()) editor->setPlainText(*s);
    showSlot();
  });
  showSlot();
}

SqlWindow::~SqlWindow() = default;

void SqlWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (e->spontaneous()) return;
  // a new history each time the window is shown
  history_ = trb::sqlmodule::ScriptHistory();
  showSlot();
}

void SqlWindow::hideEvent(QHideEvent* e) {
  // an unfinished result holds a read on the database file: it ends with the window
  if (!e->spontaneous() && !running_) resultModel->setCursor(nullptr);
  QWidget::hideEvent(e);
}

void SqlWindow::showSlot() {
  slotLabel->setText(tr("%1 of 10").arg(history_.current()));
  previousButton->setEnabled(history_.current() > 1);
  nextButton->setEnabled(history_.current() < history_.size());
}

void SqlWindow::storeInHistory() {
  history_.store(editor->toPlainText());
  showSlot();
}

void SqlWindow::execute() {
  if (running_) return;
  storeInHistory();
  resultModel->setCursor(nullptr);  // the old result lets go of its tables
  statusLabel->clear();
  running_ = true;
  stopAsked_ = false;
  executeButton->setEnabled(false);

  // A long batch keeps the windows drawn and can be stopped: the engine calls back while it
  // works. The other windows wait behind a modal dialog, so nothing else uses the connection
  // meanwhile.
  StatusFeedback feedback(statusLabel);
  QProgressDialog busy(tr("the script is running ..."), tr("stop"), 0, 0, this);
  busy.setObjectName(QStringLiteral("runningDialog"));
  busy.setWindowModality(Qt::ApplicationModal);
  busy.setMinimumDuration(0);
  busy.setAutoClose(false);
  busy.setAutoReset(false);
  busy.reset();
  busy.hide();
  connect(&busy, &QProgressDialog::canceled, this, &SqlWindow::stop);
  QElapsedTimer clock;
  clock.start();
  db_.setProgressHandler([&] {
    if (!busy.isVisible() && clock.elapsed() > 400) busy.show();
    QApplication::processEvents();
    if (busy.wasCanceled()) stop();
    if (stopAsked_) feedback.cancel();
    return stopAsked_;
  });
  try {
    trb::sqlmodule::RunOutcome out =
        trb::sqlmodule::run_script(db_, editor->toPlainText(), feedback);
    dataChangeBox->setChecked(out.dataChange);
    resultModel->setCursor(std::move(out.result));
    if (resultModel->cursor()) {
      resultModel->fetchMore(QModelIndex());
      pages->setCurrentWidget(resultView);
    }
    if (out.resultCut)
      statusLabel->setText(tr("the result shows its first %1 rows").arg(sqlmodule::kKeptRows));
  } catch (const trb::Error& e) {
    statusLabel->setText(e.message());
    ErrorReporter::report(this, e, windowTitle());
  }
  db_.setProgressHandler({});
  busy.hide();
  running_ = false;
  executeButton->setEnabled(true);
}

void SqlWindow::stop() {
  if (!running_) return;
  stopAsked_ = true;
  db_.interrupt();
}

void SqlWindow::collectParameters() {
  QStringList names;
  for (int r = 0; r < parameterTable->rowCount(); ++r) {
    const QTableWidgetItem* it = parameterTable->item(r, 0);
    if (it && !it->text().isEmpty()) names << it->text();
  }
  const QStringList all = trb::sqlmodule::collect_parameters(editor->toPlainText(), names);
  for (int r = int(names.size()); r < all.size(); ++r)
    parameterTable->setItem(r, 0, new QTableWidgetItem(all.at(r)));
  parameterCount_ = int(all.size());
}

QList<QPair<QString, QString>> SqlWindow::parameters() const {
  QList<QPair<QString, QString>> out;
  for (int r = 0; r < parameterTable->rowCount(); ++r) {
    const QTableWidgetItem* name = parameterTable->item(r, 0);
    const QTableWidgetItem* value = parameterTable->item(r, 1);
    if (name && !name->text().trimmed().isEmpty())
      out.append({name->text().trimmed(), value ? value->text() : QString()});
  }
  return out;
}

void SqlWindow::loadFromFile() {
  QFileDialog dialog(this, tr("load from file"), QDir::currentPath(),
                     QStringLiteral("sql - files (*.sql)"));
  dialog.setObjectName(QStringLiteral("loadDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString file = dialog.selectedFiles().first();
  try {
    editor->setPlainText(trb::sqlmodule::load_script(file));
    collectParameters();
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

void SqlWindow::saveToFile() {
  QFileDialog dialog(this, tr("save to file"), QDir::currentPath(),
                     QStringLiteral("sql - files (*.sql)"));
  dialog.setObjectName(QStringLiteral("saveDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("sql"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  try {
    trb::sqlmodule::save_script(dialog.selectedFiles().first(), editor->toPlainText());
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

void SqlWindow::substituteParameters() {
  storeInHistory();
  editor->setPlainText(trb::sqlmodule::substitute_parameters(editor->toPlainText(), parameters()));
}

void SqlWindow::clearParameters() {
  parameterTable->clearContents();
  parameterCount_ = 0;
}

void SqlWindow::exportResult() {
  if (!resultModel->cursor()) {
    statusLabel->setText(tr("no result to export"));
    return;
  }
  try {
    resultModel->fetchAll();
    const trb::transfer::Sheet sheet = trb::sqlmodule::result_sheet(*resultModel->cursor());
    saveSheet(this, sheet, trb::transfer::spreadsheet_file_name({QStringLiteral("sql_result")}));
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

}  // namespace trb::gui
