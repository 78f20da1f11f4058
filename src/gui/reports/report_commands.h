// The report commands of the windows and of trbdb: one entry per report, taking the database,
// the plot or location and the output. The German twins are used when the captions are German.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/reports/report_files.h"

class QWidget;

namespace trb {
class Feedback;
}
namespace trb::db {
class Database;
}

namespace trb::gui {

class ReportEngine;

// The output a command asks for: the engine's destination (the preview unless changed), or a PDF
// file without preview.
enum class ReportOutput { Preview, Pdf };

// True when the captions are German: the commands then render the "D_" twins.
bool germanReports();

// 'print management': the management report of the plot. With Pdf the file location + "_" +
// plot + "_man.pdf" is written into folder. Returns the path written, empty for the preview.
QString printManagement(QWidget* parent, trb::db::Database& db, qlonglong flId, ReportOutput output,
                        const QString& folder = QDir::currentPath());
// 'print' on the observations: the measurement report, "_obs.pdf".
QString printObservations(QWidget* parent, trb::db::Database& db, qlonglong flId,
                          ReportOutput output, const QString& folder = QDir::currentPath());
// 'print site desc.': the site description of the plot with the literature of its experiment.
void printSiteDescription(QWidget* parent, trb::db::Database& db, qlonglong flId);
// 'site condition report': the site conditions of every plot.
void printSiteConditions(QWidget* parent, trb::db::Database& db);
// 'print references': the reference list.
void printReferences(QWidget* parent, trb::db::Database& db);

// The picture of the chart a result report shows, in the current folder; every result report
// writes it anew.
inline constexpr char kChartPictureFile[] = "plot1.svg";

// 'create report' on a result page: the title line of the plot, the lines of the page's
// statistics list, the chart picture (an SVG file; none when it cannot be read) and the rows of
// the page's grid (year#, "Year ,   Month", observation, model output). With Pdf the file
// location + "_" + plot + suffix ("_corg.pdf", "_nt.pdf", "_cmic.pdf") is written into folder.
// Returns the path written, empty for the preview.
QString printResults(QWidget* parent, trb::db::Database& db, qlonglong flId,
                     const QStringList& statistics, const QList<QStringList>& rows,
                     const QString& chartSvgPath, const QString& suffix, ReportOutput output,
                     const QString& folder = QDir::currentPath());

// The settings of an experiment report (the window's boxes).
struct ExperimentReportOptions {
  trb::reports::ExperimentParts parts;
  bool skipOptions = false;  // no setup dialog before printing
  bool toPdf = true;         // PDF files into folder; otherwise the printer
  QString folder = QDir::currentPath();
  bool german = false;
  // Told before each plot's reports: its place in the run (0-based) and its name.
  std::function<void(int index, const QString& plotName)> onPlot;
};

// What an experiment report did.
struct ExperimentReportResult {
  int plots = 0;
  QStringList written;  // PDF files, full paths
  QStringList failed;   // files that could not be written, full paths
};

// make_report: the chosen reports of every plot of the experiment at location, in the order the
// database gives the plots. The feedback's progress counts the plots; a file that cannot be
// written is reported through the feedback with its path, and the other reports go on. An
// experiment without plots writes nothing.
ExperimentReportResult make_report(trb::db::Database& db, const QString& location,
                                   const ExperimentReportOptions& options, ReportEngine& engine,
                                   trb::Feedback& feedback, QWidget* parent = nullptr);

// The files of trbdb's --sites and --references.
inline constexpr char kSiteConditionsFile[] = "site_cond.pdf";
inline constexpr char kReferencesFile[] = "references.pdf";
// Writes the site conditions or the reference list as a PDF file; returns the pages.
int writeSiteConditionsPdf(trb::db::Database& db, const QString& path, bool german);
int writeReferencesPdf(trb::db::Database& db, const QString& path);

}  // namespace trb::gui
