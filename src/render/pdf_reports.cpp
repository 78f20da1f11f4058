#include "render/pdf_reports.h"

#include <QCoreApplication>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/database.h"
#include "core/reports/report_data.h"
#include "render/report_layout.h"
#include "render/report_writer.h"

namespace trb::render {

using namespace trb::reports;

int writeSiteConditionsPdf(trb::db::Database& db, const QString& path, bool german,
                           ReportWriter& writer) {
  return writer.renderPdf(layoutSiteConditions(readSiteConditions(db), german), path);
}

int writeReferencesPdf(trb::db::Database& db, const QString& path, ReportWriter& writer) {
  return writer.renderPdf(layoutReferences(readReferenceList(db)), path);
}

ExperimentReportResult make_report(trb::db::Database& db, const QString& location,
                                   const ExperimentReportOptions& options, ReportWriter& writer,
                                   trb::Feedback& feedback) {
  if (!options.toPdf && !options.print)
    throw trb::Error(QCoreApplication::translate("trb::render::ReportWriter",
                                                 "There is no printer for the reports."),
                     QCoreApplication::translate("trb::render::ReportWriter", "report"));
  ExperimentReportResult result;
  const QList<ExperimentPlot> plots = readExperimentPlots(db, location);
  result.plots = int(plots.size());
  if (plots.isEmpty()) return result;
  const QList<PlannedReport> plan = planExperimentReport(plots, options.parts);
  const QDir folder(options.folder);

  int index = -1;
  qlonglong current = 0;
  feedback.setProgress(0, plots.size());
  for (const PlannedReport& planned : plan) {
    if (index < 0 || planned.flId != current) {
      ++index;
      current = planned.flId;
      feedback.setProgress(index + 1, plots.size());
      if (options.onPlot) options.onPlot(index, planned.plotName);
    }
    ReportDocument report;
    switch (planned.kind) {
      case ReportKind::Management:
        report = layoutManagement(readManagementReport(db, planned.flId), options.german);
        break;
      case ReportKind::Measurement:
        report = layoutMeasurement(readMeasurementReport(db, planned.flId), options.german);
        break;
      default:
        report = layoutSiteDescription(readSiteDescriptionReport(db, planned.flId), options.german);
        break;
    }
    if (!options.toPdf) {
      options.print(report);
      continue;
    }
    const QString path = folder.absoluteFilePath(planned.fileName);
    try {
      writer.renderPdf(report, path);
      result.written.append(path);
      feedback.info(path);
    } catch (const trb::Error& e) {
      result.failed.append(path);
      feedback.report(e);
    }
  }
  return result;
}

}  // namespace trb::render
