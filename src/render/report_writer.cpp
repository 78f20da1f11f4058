#include "render/report_writer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "core/base/error.h"
#include "render/report_document.h"

namespace trb::render {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::render::ReportWriter", text);
}

trb::Error notWritten(const QString& path, const QFileDevice& file) {
  return trb::Error(tr("The report file %1 cannot be written: %2")
                        .arg(QFileInfo(path).absoluteFilePath(), file.errorString()),
                    tr("report"));
}

}  // namespace

QDateTime ReportWriter::printTime() const {
  return fixedTime_.isValid() ? fixedTime_ : QDateTime::currentDateTime();
}

int ReportWriter::renderPdf(const ReportDocument& report, const QString& path) {
  // written under a temporary name and renamed when complete: a failed report leaves no file
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw notWritten(path, file);
  QPdfWriter writer(&file);
  writer.setTitle(report.definition);
  writer.setCreator(QStringLiteral("trb"));
  writer.setPageLayout(pdfPageLayout());
  // vector output: a resolution of points keeps the fonts of the layout for the painting
  writer.setResolution(72);
  QPainter painter(&writer);
  const int pages = paintReport(report, writer, painter, printTime());
  painter.end();
  if (!file.commit()) throw notWritten(path, file);
  return pages;
}

}  // namespace trb::render
