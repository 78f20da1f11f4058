#include "gui/reports/report_engine.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>

#include "core/base/error.h"
#include "gui/reports/report_document.h"

namespace trb::gui {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::gui::ReportEngine", text);
}

}  // namespace

ReportEngine::ReportEngine() = default;
ReportEngine::~ReportEngine() = default;

ReportEngine& ReportEngine::shared() {
  static ReportEngine engine;
  return engine;
}

QPrinter& ReportEngine::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

QDateTime ReportEngine::printTime() const {
  return fixedTime_.isValid() ? fixedTime_ : QDateTime::currentDateTime();
}

int ReportEngine::render(const ReportDocument& report, QWidget* parent) {
  QPrinter& p = printer();
  p.setDocName(report.definition);
  if (destination == Destination::Preview) {
    QPrintPreviewDialog preview(&p, parent);
    preview.setObjectName(QStringLiteral("reportPreview"));
    preview.setWindowTitle(report.definition);
    int pages = 0;
    const QDateTime time = printTime();
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&report, &pages, time](QPrinter* target) {
                       QPainter painter(target);
                       pages = paintReport(report, *target, painter, time);
                     });
    preview.exec();
    return pages;
  }
  if (setupDialog) {
    QPrintDialog dialog(&p, parent);
    dialog.setWindowTitle(tr("Output Options"));
    if (dialog.exec() != QDialog::Accepted) return 0;
  }
  QPainter painter;
  if (!painter.begin(&p))
    throw trb::Error(
        tr("The printer could not be started for the report %1.").arg(report.definition),
        tr("report"));
  return paintReport(report, p, painter, printTime());
}

int ReportEngine::renderPdf(const ReportDocument& report, const QString& path) {
  setupDialog = false;
  // written under a temporary name and renamed when complete: a failed report leaves no file
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw trb::Error(tr("The report file %1 cannot be written: %2")
                         .arg(QFileInfo(path).absoluteFilePath(), file.errorString()),
                     tr("report"));
  QPdfWriter writer(&file);
  writer.setTitle(report.definition);
  writer.setCreator(QStringLiteral("trb"));
  writer.setPageLayout(pdfPageLayout());
  // vector output: a resolution of points keeps the fonts of the layout for the painting
  writer.setResolution(72);
  QPainter painter(&writer);
  const int pages = paintReport(report, writer, painter, printTime());
  painter.end();
  if (!file.commit())
    throw trb::Error(tr("The report file %1 cannot be written: %2")
                         .arg(QFileInfo(path).absoluteFilePath(), file.errorString()),
                     tr("report"));
  return pages;
}

}  // namespace trb::gui
