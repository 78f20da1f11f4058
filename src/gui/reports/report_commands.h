// The report commands of the windows: one entry per report, taking the database, the plot or
// location and the output (the preview, the printer or a PDF file). The German twins are used
// when the captions are German. The layouts and the PDF files come from the render library.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/reports/report_files.h"
#include "render/pdf_reports.h"
#include "render/report_layout.h"

class QWidget;

namespace trb {
class Feedback;
}
namespace trb::db {
class Database;
}

namespace trb::gui {

class ReportEngine;

// True when the captions are German: the commands then render the "D_" twins.
using trb::render::germanReports;

// The output a command asks for: the engine's destination (the preview unless changed), or a PDF
// file without preview.
enum class ReportOutput { Preview, Pdf };

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

// The settings of an experiment report (the window's boxes): those of the report files and
// whether the printer's setup dialog is skipped.
struct ExperimentReportOptions : trb::render::ExperimentReportOptions {
  bool skipOptions = false;  // no setup dialog before printing
};

// make_report of the windows: the experiment report of the render library, with engine as the
// printer when the options ask for no PDF files. From the first plot on, the printer is the
// engine's destination and stays so afterwards; 'skip options' suppresses its setup dialog.
trb::render::ExperimentReportResult make_report(trb::db::Database& db, const QString& location,
                                                const ExperimentReportOptions& options,
                                                ReportEngine& engine, trb::Feedback& feedback,
                                                QWidget* parent = nullptr);

}  // namespace trb::gui
