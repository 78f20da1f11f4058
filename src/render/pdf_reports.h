// The reports that go to files without a window: the experiment report of trbdb and of the window
// 'experiment report', the site conditions and the reference list.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/reports/report_files.h"

namespace trb {
class Feedback;
}
namespace trb::db {
class Database;
}

namespace trb::render {

struct ReportDocument;
class ReportWriter;

// The settings of an experiment report (the window's boxes).
struct ExperimentReportOptions {
  trb::reports::ExperimentParts parts;
  bool toPdf = true;  // PDF files into folder; otherwise every report goes to print
  QString folder = QDir::currentPath();
  bool german = false;
  // Told before each plot's reports: its place in the run (0-based) and its name.
  std::function<void(int index, const QString& plotName)> onPlot;
  // Prints one report when toPdf is off (the printer of the window side).
  std::function<void(const ReportDocument& report)> print;
};

// What an experiment report did.
struct ExperimentReportResult {
  int plots = 0;
  QStringList written;  // PDF files, full paths
  QStringList failed;   // files that could not be written, full paths
};

// make_report: the chosen reports of every plot of the experiment at location, in the order the
// database gives the plots, written as PDF files by writer (or printed). The feedback's progress
// counts the plots; a file that cannot be written is reported through the feedback with its path,
// and the other reports go on. An experiment without plots writes nothing.
ExperimentReportResult make_report(trb::db::Database& db, const QString& location,
                                   const ExperimentReportOptions& options, ReportWriter& writer,
                                   trb::Feedback& feedback);

// The files of trbdb's --sites and --references.
inline constexpr char kSiteConditionsFile[] = "site_cond.pdf";
inline constexpr char kReferencesFile[] = "references.pdf";
// Writes the site conditions or the reference list as a PDF file; returns the pages.
int writeSiteConditionsPdf(trb::db::Database& db, const QString& path, bool german,
                           ReportWriter& writer);
int writeReferencesPdf(trb::db::Database& db, const QString& path, ReportWriter& writer);

}  // namespace trb::render
