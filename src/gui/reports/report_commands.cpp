#include "gui/reports/report_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/database.h"
#include "core/reports/report_data.h"
#include "gui/app/language.h"
#include "gui/reports/report_engine.h"
#include "gui/reports/report_layout.h"

namespace trb::gui {

using namespace trb::reports;

namespace {

// Renders to the engine's destination or writes the file location + "_" + plot + suffix.
QString output(QWidget* parent, const ReportDocument& report, const PlotHeader& plot,
               ReportOutput out, const QString& folder, const QString& suffix) {
  ReportEngine& engine = ReportEngine::shared();
  if (out == ReportOutput::Preview) {
    engine.render(report, parent);
    return QString();
  }
  const QString path =
      QDir(folder).absoluteFilePath(plotFileName(plot.location, plot.siteDescription, suffix));
  engine.renderPdf(report, path);
  return path;
}

}  // namespace

bool germanReports() {
  return isGermanLanguage(captionLanguage());
}

QString printManagement(QWidget* parent, trb::db::Database& db, qlonglong flId, ReportOutput out,
                        const QString& folder) {
  const ManagementReport data = readManagementReport(db, flId);
  return output(parent, layoutManagement(data, germanReports()), data.plot, out, folder,
                QString::fromLatin1(kManagementSuffix));
}

QString printObservations(QWidget* parent, trb::db::Database& db, qlonglong flId, ReportOutput out,
                          const QString& folder) {
  const MeasurementReport data = readMeasurementReport(db, flId);
  return output(parent, layoutMeasurement(data, germanReports()), data.plot, out, folder,
                QString::fromLatin1(kObservationSuffix));
}

QString printResults(QWidget* parent, trb::db::Database& db, qlonglong flId,
                     const QStringList& statistics, const QList<QStringList>& rows,
                     const QString& chartSvgPath, const QString& suffix, ReportOutput out,
                     const QString& folder) {
  const std::optional<PlotHeader> plot = readPlotHeader(db, flId);
  if (!plot)
    throw trb::Error(
        QCoreApplication::translate("trb::reports", "There is no plot with FL_ID %1.").arg(flId),
        QCoreApplication::translate("trb::reports", "report"));
  ResultReport data;
  data.title = resultTitle(plot->siteDescription, plot->location, plot->herkunft, plot->comment);
  data.statistics = statistics;
  data.rows = rows;
  QFile chart(chartSvgPath);
  if (!chartSvgPath.isEmpty() && chart.open(QIODevice::ReadOnly)) data.chartSvg = chart.readAll();
  return output(parent, layoutResults(data, germanReports()), *plot, out, folder, suffix);
}

void printSiteDescription(QWidget* parent, trb::db::Database& db, qlonglong flId) {
  ReportEngine::shared().render(
      layoutSiteDescription(readSiteDescriptionReport(db, flId), germanReports()), parent);
}

void printSiteConditions(QWidget* parent, trb::db::Database& db) {
  ReportEngine::shared().render(layoutSiteConditions(readSiteConditions(db), germanReports()),
                                parent);
}

void printReferences(QWidget* parent, trb::db::Database& db) {
  ReportEngine::shared().render(layoutReferences(readReferenceList(db)), parent);
}

int writeSiteConditionsPdf(trb::db::Database& db, const QString& path, bool german) {
  return ReportEngine::shared().renderPdf(layoutSiteConditions(readSiteConditions(db), german),
                                          path);
}

int writeReferencesPdf(trb::db::Database& db, const QString& path) {
  return ReportEngine::shared().renderPdf(layoutReferences(readReferenceList(db)), path);
}

ExperimentReportResult make_report(trb::db::Database& db, const QString& location,
                                   const ExperimentReportOptions& options, ReportEngine& engine,
                                   trb::Feedback& feedback, QWidget* parent) {
  ExperimentReportResult result;
  const QList<ExperimentPlot> plots = readExperimentPlots(db, location);
  result.plots = int(plots.size());
  if (plots.isEmpty()) return result;
  const QList<PlannedReport> plan = planExperimentReport(plots, options.parts);
  const QDir folder(options.folder);

  // the printer is the default destination of an experiment report and stays so afterwards
  engine.destination = ReportEngine::Destination::Printer;
  if (options.skipOptions) engine.setupDialog = false;

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
      engine.render(report, parent);
      continue;
    }
    const QString path = folder.absoluteFilePath(planned.fileName);
    try {
      engine.renderPdf(report, path);
      result.written.append(path);
      feedback.info(path);
    } catch (const trb::Error& e) {
      result.failed.append(path);
      feedback.report(e);
    }
  }
  return result;
}

}  // namespace trb::gui
