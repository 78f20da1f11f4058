#include "gui/references/ris_import_dialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/references/ris_import.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

RisImportDialog::RisImportDialog(trb::db::Database& db, QWidget* parent)
    : QDialog(parent), db_(db) {
  setObjectName(QStringLiteral("risImport"));
  setWindowTitle(tr("import from RIS-file"));
  setModal(true);
  openButton = new QPushButton(tr("open RIS file"), this);
  openButton->setObjectName(QStringLiteral("openButton"));
  importButton = new QPushButton(tr("import RIS content"), this);
  importButton->setObjectName(QStringLiteral("importButton"));
  importButton->setEnabled(false);
  closeButton = new QPushButton(tr("Close import tool"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));
  list = new QListWidget(this);
  list->setObjectName(QStringLiteral("list"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(openButton);
  buttons->addWidget(importButton);
  buttons->addStretch();
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(list);
  resize(560, 480);
  connect(openButton, &QPushButton::clicked, this, &RisImportDialog::chooseFile);
  connect(importButton, &QPushButton::clicked, this, &RisImportDialog::importContent);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void RisImportDialog::showEvent(QShowEvent* e) {
  list->clear();
  QDialog::showEvent(e);
}

void RisImportDialog::chooseFile() {
  QFileDialog dialog(this, tr("open RIS file"), QString(), tr("RIS files (*.ris *.txt);;all (*)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  openFile(dialog.selectedFiles().constFirst());
}

void RisImportDialog::openFile(const QString& path) {
  try {
    lines_ = trb::references::read_ris_file(path);
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
    return;
  }
  list->clear();
  list->addItems(lines_);
  importButton->setEnabled(true);
}

void RisImportDialog::importContent() {
  // each opened file is imported once
  importButton->setEnabled(false);
  list->clear();
  try {
    trb::Feedback quiet;
    const auto result = trb::references::import_ris(db_, lines_, quiet);
    list->addItems(result.lines);
    list->scrollToBottom();
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
}

}  // namespace trb::gui
