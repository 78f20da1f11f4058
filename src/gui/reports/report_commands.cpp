#include "gui/reports/report_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/database.h"
#include "core/reports/report_data.h"
#include "gui/reports/report_engine.h"
#include "render/report_layout.h"

namespace trb::gui {

using namespace trb::reports;
using trb::render::germanReports;
using trb::render::ReportDocument;

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

QString printManagement(QWidget* parent, trb::db::Database& db, qlonglong flId, ReportOutput out,
                        const QString& folder) {
  const ManagementReport data = readManagementReport(db, flId);
  return output(parent, trb::render::layoutManagement(data, germanReports()), data.plot, out,
                folder, QString::fromLatin1(kManagementSuffix));
}

QString printObservations(QWidget* parent, trb::db::Database& db, qlonglong flId, ReportOutput out,
                          const QString& folder) {
  const MeasurementReport data = readMeasurementReport(db, flId);
  return output(parent, trb::render::layoutMeasurement(data, germanReports()), data.plot, out,
                folder, QString::fromLatin1(kObservationSuffix));
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
  return output(parent, trb::render::layoutResults(data, germanReports()), *plot, out, folder,
                suffix);
}

void printSiteDescription(QWidget* parent, trb::db::Database& db, qlonglong flId) {
  ReportEngine::shared().render(
      trb::render::layoutSiteDescription(readSiteDescriptionReport(db, flId), germanReports()),
      parent);
}

void printSiteConditions(QWidget* parent, trb::db::Database& db) {
  ReportEngine::shared().render(
      trb::render::layoutSiteConditions(readSiteConditions(db), germanReports()), parent);
}

void printReferences(QWidget* parent, trb::db::Database& db) {
  ReportEngine::shared().render(trb::render::layoutReferences(readReferenceList(db)), parent);
}

trb::render::ExperimentReportResult make_report(trb::db::Database& db, const QString& location,
                                                const ExperimentReportOptions& options,
                                                ReportEngine& engine, trb::Feedback& feedback,
                                                QWidget* parent) {
  trb::render::ExperimentReportOptions run = options;
  run.onPlot = [&](int index, const QString& plotName) {
    if (index == 0) {
      // the printer is the default destination of an experiment report and stays so afterwards
      engine.destination = ReportEngine::Destination::Printer;
      if (options.skipOptions) engine.setupDialog = false;
    }
    if (options.onPlot) options.onPlot(index, plotName);
  };
  run.print = [&engine, parent](const ReportDocument& report) { engine.render(report, parent); };
  return trb::render::make_report(db, location, run, engine, feedback);
}

}  // namespace trb::gui
