#include "gui/widgets/sheet_export.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

#include "core/base/error.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::gui::SheetExport", text);
}

}  // namespace

QString saveSheet(QWidget* parent, const trb::transfer::Sheet& sheet, const QString& proposedName) {
  // Qt's own dialog, so that it looks the same everywhere and a test can answer it.
  QFileDialog dialog(parent, tr("export to XLS"), QDir::current().filePath(proposedName),
                     tr("Excel workbook (*.xlsx)"));
  dialog.setObjectName(QStringLiteral("sheetSaveDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("xlsx"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  const QString path = dialog.selectedFiles().constFirst();
  try {
    trb::transfer::write_spreadsheet(path, sheet);
  } catch (const trb::Error& e) {
    ErrorReporter::report(parent, e, tr("export to XLS"));
    return QString();
  }
  // Nobody looks at a spreadsheet application opened by a test or a batch run.
  if (QGuiApplication::platformName() != u"offscreen" && !ErrorReporter::batchMode())
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  auto* box = new QMessageBox(QMessageBox::Information, tr("export to XLS"),
                              QDir::toNativeSeparators(path), QMessageBox::Ok, parent);
  box->setObjectName(QStringLiteral("sheetSavedBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
  return path;
}

}  // namespace trb::gui
