// trbdb report: the PDF reports of the windows without a window, laid out offscreen.
#include <QDir>
#include <QFileInfo>

#include "cli/console.h"
#include "cli/trbdb_commands.h"
#include "core/app/open_database.h"
#include "core/base/error.h"
#include "core/db/database.h"
#include "core/reports/report_data.h"
#include "core/reports/report_files.h"
#include "render/pdf_reports.h"
#include "render/report_writer.h"

namespace trb::cli {

namespace {

int reportUsage(const QString& problem) {
  err() << "trbdb report: " << problem << "\n"
        << "usage: trbdb report FILE --experiment LOCATION [--out DIR] [--lang D|E]\n"
           "                    [--parts management,observation,basics]\n"
           "       trbdb report FILE --sites [--out DIR] [--lang D|E]\n"
           "       trbdb report FILE --references [--out DIR]\n";
  return 2;
}

}  // namespace

int cmdReport(const QStringList& args) {
  if (args.isEmpty()) return reportUsage(QStringLiteral("the database file is missing"));
  const QString file = args.first();
  QString location, outDir = QDir::currentPath(), lang = QStringLiteral("E");
  bool experiment = false, sites = false, references = false;
  trb::reports::ExperimentParts parts;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args.at(i);
    const bool hasValue = i + 1 < args.size();
    if (a == u"--experiment" && hasValue) {
      experiment = true;
      location = args.at(++i);
    } else if (a == u"--out" && hasValue) {
      outDir = args.at(++i);
    } else if (a == u"--lang" && hasValue) {
      lang = args.at(++i).toUpper();
    } else if (a == u"--parts" && hasValue) {
      parts = {false, false, false};
      for (const QString& p : args.at(++i).split(u',', Qt::SkipEmptyParts)) {
        const QString name = p.trimmed().toLower();
        if (name == u"management")
          parts.management = true;
        else if (name == u"observation")
          parts.observation = true;
        else if (name == u"basics")
          parts.basics = true;
        else
          return reportUsage(QStringLiteral("unknown part '%1'").arg(p));
      }
    } else if (a == u"--sites") {
      sites = true;
    } else if (a == u"--references") {
      references = true;
    } else {
      return reportUsage(QStringLiteral("unknown argument '%1'").arg(a));
    }
  }
  if (int(experiment) + int(sites) + int(references) != 1)
    return reportUsage(QStringLiteral("choose one of --experiment, --sites, --references"));
  if (experiment && !parts.management && !parts.observation && !parts.basics)
    return reportUsage(QStringLiteral("--parts names no part"));
  const bool german = trb::reports::isGermanLanguage(lang);

  trb::db::Database db;
  try {
    ConsoleFeedback opening;
    db = trb::app::open_database(file, opening);
    // refused before anything is created
    if (experiment && trb::reports::readExperimentPlots(db, location).isEmpty()) {
      err() << "trbdb report: the experiment '" << location << "' has no plots; nothing written\n";
      return 1;
    }
  } catch (const trb::Error& e) {
    printError(QStringLiteral("trbdb report"), e);
    return 1;
  }
  if (!QDir().mkpath(outDir)) {
    err() << "trbdb report: cannot create the folder " << outDir << "\n";
    return 1;
  }

  const QDir folder(outDir);
  trb::render::ReportWriter writer;
  try {
    if (sites || references) {
      const QString path = folder.absoluteFilePath(QString::fromLatin1(
          sites ? trb::render::kSiteConditionsFile : trb::render::kReferencesFile));
      if (sites)
        trb::render::writeSiteConditionsPdf(db, path, german, writer);
      else
        trb::render::writeReferencesPdf(db, path, writer);
      out() << path << "\n";
      return 0;
    }
    trb::render::ExperimentReportOptions options;
    options.parts = parts;
    options.toPdf = true;
    options.folder = folder.absolutePath();
    options.german = german;
    ConsoleFeedback feedback;
    const trb::render::ExperimentReportResult result =
        trb::render::make_report(db, location, options, writer, feedback);
    if (result.plots == 0) {
      err() << "trbdb report: the experiment '" << location << "' has no plots; nothing written\n";
      return 1;
    }
    out() << result.written.size() << " files written for " << result.plots << " plots\n";
    return result.failed.isEmpty() ? 0 : 1;
  } catch (const trb::Error& e) {
    printError(QStringLiteral("trbdb report: ") + file, e);
    return 1;
  }
}

}  // namespace trb::cli
