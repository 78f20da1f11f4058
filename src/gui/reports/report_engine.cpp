#include "gui/reports/report_engine.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "core/base/error.h"
#include "render/report_document.h"

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

int ReportEngine::render(const trb::render::ReportDocument& report, QWidget* parent) {
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
                       pages = trb::render::paintReport(report, *target, painter, time);
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
  return trb::render::paintReport(report, p, painter, printTime());
}

int ReportEngine::renderPdf(const trb::render::ReportDocument& report, const QString& path) {
  setupDialog = false;
  return ReportWriter::renderPdf(report, path);
}

}  // namespace trb::gui
