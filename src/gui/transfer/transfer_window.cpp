#include "gui/transfer/transfer_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/db/database.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/window_feedback.h"

namespace trb::gui {

using trb::transfer::KeyCheck;

TransferWindow::TransferWindow(trb::db::Database& db, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db), transfer_(db) {
  setObjectName(QStringLiteral("TransferWindow"));
  setWindowTitle(tr("data transfer"));

  auto make = [this](const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    return b;
  };
  destinationButton = make(QStringLiteral("destinationButton"), tr("select destination"));
  allButton = make(QStringLiteral("allButton"), tr("all"));
  noneButton = make(QStringLiteral("noneButton"), tr("none"));
  invertButton = make(QStringLiteral("invertButton"), tr("invert"));
  copyButton = make(QStringLiteral("copyButton"), tr("copy"));
  goOnButton = make(QStringLiteral("goOnButton"), tr("go on"));
  endButton = make(QStringLiteral("endButton"), tr("end"));
  goOnButton->setEnabled(false);
  noWaitBox = new QCheckBox(tr("no wait on key check"), this);
  noWaitBox->setObjectName(QStringLiteral("noWaitBox"));
  copyAnywayBox = new QCheckBox(tr("copy anyway where soil or station differ"), this);
  copyAnywayBox->setObjectName(QStringLiteral("copyAnywayBox"));
  copyAnywayBox->setToolTip(
      tr("A plot whose soil or climate station differs from the one the destination has under the "
         "same key is not copied; ticked, it is copied and uses the destination's."));

  plotList = new QListWidget(this);
  plotList->setObjectName(QStringLiteral("plotList"));
  destinationList = new QListWidget(this);
  destinationList->setObjectName(QStringLiteral("destinationList"));
  messages = new QListWidget(this);
  messages->setObjectName(QStringLiteral("messages"));
  destinationLabel = new QLabel(tr("no destination chosen"), this);
  destinationLabel->setObjectName(QStringLiteral("destinationLabel"));
  destinationLabel->setWordWrap(true);
  progress = new QProgressBar(this);
  progress->setVisible(false);
  feedback_ = new WindowFeedback(messages, progress, this);

  auto* lists = new QGridLayout;
  lists->addWidget(new QLabel(tr("plots of the open database"), this), 0, 0);
  lists->addWidget(new QLabel(tr("plots of the destination"), this), 0, 1);
  lists->addWidget(plotList, 1, 0);
  lists->addWidget(destinationList, 1, 1);
  auto* marks = new QHBoxLayout;
  for (QWidget* w : {allButton, noneButton, invertButton}) marks->addWidget(w);
  marks->addStretch();
  lists->addLayout(marks, 2, 0);
  lists->addWidget(destinationLabel, 2, 1);

  auto* commands = new QHBoxLayout;
  for (QWidget* w : {static_cast<QWidget*>(destinationButton), static_cast<QWidget*>(copyButton),
                     static_cast<QWidget*>(noWaitBox), static_cast<QWidget*>(copyAnywayBox),
                     static_cast<QWidget*>(goOnButton)})
    commands->addWidget(w);
  commands->addStretch();
  commands->addWidget(endButton);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 3);
  layout->addLayout(commands);
  layout->addWidget(messages, 2);
  layout->addWidget(progress);
  resize(760, 560);

  connect(destinationButton, &QPushButton::clicked, this, &TransferWindow::selectDestination);
  connect(allButton, &QPushButton::clicked, this, [this] { setMarks(1); });
  connect(noneButton, &QPushButton::clicked, this, [this] { setMarks(0); });
  connect(invertButton, &QPushButton::clicked, this, [this] { setMarks(2); });
  connect(copyButton, &QPushButton::clicked, this, &TransferWindow::copy);
  connect(goOnButton, &QPushButton::clicked, this, [this] {
    if (loop_) loop_->quit();
  });
  connect(endButton, &QPushButton::clicked, this, &QWidget::close);
  connect(messages, &QListWidget::itemDoubleClicked, this, &TransferWindow::messageDoubleClicked);
  connect(feedback_, &WindowFeedback::problemReported, this,
          [this](const trb::Error& e) { ErrorReporter::report(this, e, windowTitle()); });
}

TransferWindow::~TransferWindow() = default;

void TransferWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!running_) refreshPlots();
}

void TransferWindow::closeEvent(QCloseEvent* e) {
  // a wait of the key check ends, and the transfer with it
  if (running_) feedback_->stop();
  if (loop_) loop_->quit();
  e->accept();
}

void TransferWindow::refreshPlots() {
  plotList->clear();
  if (!db_.isOpen()) return;
  try {
    for (const auto& p : trb::transfer::transfer_plots(db_)) {
      auto* item = new QListWidgetItem(p.line(), plotList);
      item->setData(Qt::UserRole, p.flId);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

void TransferWindow::setMarks(int mode) {
  for (int i = 0; i < plotList->count(); ++i) {
    QListWidgetItem* item = plotList->item(i);
    const bool on = mode == 1 || (mode == 2 && item->checkState() != Qt::Checked);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
}

void TransferWindow::selectDestination() {
  QFileDialog dialog(this, tr("select destination"), QDir::currentPath(),
                     tr("trb databases (*.sqlite *.db);;all files (*)"));
  dialog.setObjectName(QStringLiteral("destinationDialog"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString file = dialog.selectedFiles().first();
  try {
    transfer_.selectDestination(file);
    QString label = QDir::toNativeSeparators(transfer_.destination()) +
                    tr(" (backup: %1)").arg(QDir::toNativeSeparators(transfer_.backup()));
    if (!transfer_.keptBackup().isEmpty())
      label += u'\n' + tr("The backup %1 of a transfer that did not finish is kept.")
                           .arg(QDir::toNativeSeparators(transfer_.keptBackup()));
    destinationLabel->setText(label);
    refreshDestination();
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

void TransferWindow::refreshDestination() {
  destinationList->clear();
  if (!transfer_.hasDestination()) return;
  try {
    for (const auto& p : transfer_.destinationPlots()) destinationList->addItem(p.line());
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

void TransferWindow::setBusy(bool busy) {
  running_ = busy;
  for (QWidget* w : {destinationButton, allButton, noneButton, invertButton, copyButton})
    w->setEnabled(!busy);
}

void TransferWindow::copy() {
  if (running_) return;
  messages->clear();
  if (!transfer_.hasDestination()) selectDestination();
  if (!transfer_.hasDestination()) return;
  QList<int> plots;
  for (int i = 0; i < plotList->count(); ++i)
    if (plotList->item(i)->checkState() == Qt::Checked)
      plots << plotList->item(i)->data(Qt::UserRole).toInt();
  if (plots.isEmpty()) {
    feedback_->info(tr("no plot is marked"));
    return;
  }
  trb::transfer::TransferOptions options;
  options.keyCheck = !noWaitBox->isChecked();
  options.copyAnyway = copyAnywayBox->isChecked();
  const std::optional<bool> update = askSchemaUpdate();
  if (!update) return;
  options.updateSchema = *update;
  setBusy(true);
  feedback_->resetCanceled();
  try {
    const auto result = transfer_.transfer(plots, options, *this, *feedback_);
    if (result.canceled)
      QMessageBox::information(this, QStringLiteral("transaction canceled"),
                               QStringLiteral("non unique experiment ID"));
    else
      feedback_->info(tr("%1 of %2 plots copied").arg(result.copied.size()).arg(plots.size()));
    if (!result.canceled && !result.differing.isEmpty())
      feedback_->info(tr("Tick \"%1\" to copy them with the destination's soil and station.")
                          .arg(copyAnywayBox->text()));
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
  errorLines_.clear();
  setBusy(false);
  refreshDestination();
}

std::optional<bool> TransferWindow::askSchemaUpdate() {
  QStringList missing;
  try {
    missing = transfer_.missingInDestination();
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
    return std::nullopt;
  }
  if (missing.isEmpty()) return true;
  const auto answer = QMessageBox::question(
      this, windowTitle(),
      tr("The destination is older than the open database and lacks %1.\n\nAdd them to the "
         "destination before copying? Without them these values are not copied, and the copied "
         "plots may calculate otherwise there.")
          .arg(missing.join(QStringLiteral(", "))),
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Cancel) return std::nullopt;
  return answer == QMessageBox::Yes;
}

bool TransferWindow::addPlotsToExistingExperiment(const QString&) {
  return QMessageBox::question(this, QStringLiteral(" WARNING - vcode not unique"),
                               QStringLiteral("VCODE is already existing in destination database, "
                                              "do you want to add new plots ?")) ==
         QMessageBox::Yes;
}

void TransferWindow::reviewKeyCheck(trb::transfer::PlotTransfer&, const KeyCheck& check) {
  if (feedback_->isCanceled()) return;
  // the lines of the check are in the list before the wait begins
  QCoreApplication::sendPostedEvents(feedback_, QEvent::MetaCall);
  phase_ = check.phase;
  errorLines_.clear();
  // the last lines name the missing items in their order: each carries its item's key
  const int n = int(check.missing.size());
  for (int i = messages->count() - n, k = 0; i < messages->count(); ++i, ++k) {
    if (i < 0) continue;
    messages->item(i)->setData(Qt::UserRole, check.missing.at(k));
    errorLines_ << messages->item(i);
  }
  goOnButton->setEnabled(true);
  QEventLoop loop;
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
  goOnButton->setEnabled(false);
  errorLines_.clear();
}

bool TransferWindow::continueWithPlot(int, int) {
  if (feedback_->isCanceled()) return false;
  return QMessageBox::question(this, QStringLiteral("after checking key items"),
                               QStringLiteral("continue with datatransfer ?")) == QMessageBox::Yes;
}

void TransferWindow::messageDoubleClicked(QListWidgetItem* item) {
  // only an error line of the phase that waits carries a missing row over
  if (!loop_ || !errorLines_.contains(item)) return;
  if (QMessageBox::question(this, QStringLiteral("Missing Record in Destination"),
                            QStringLiteral("Move this Parameter-Record ?")) != QMessageBox::Yes)
    return;
  try {
    transfer_.copyParameterRow(phase_, item->data(Qt::UserRole).toInt());
    errorLines_.removeAll(item);
    delete item;
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
}

}  // namespace trb::gui
