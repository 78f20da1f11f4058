// The names of the report files and the plan of an experiment report: which report of which plot
// goes to which file.
#pragma once

#include <QList>
#include <QString>

#include "core/reports/report_data.h"

namespace trb::db {
class Database;
}

namespace trb::reports {

// The endings of the report files.
inline constexpr char kManagementSuffix[] = "_man.pdf";
inline constexpr char kObservationSuffix[] = "_obs.pdf";
inline constexpr char kSiteDescriptionSuffix[] = "_sdc.pdf";
inline constexpr char kCarbonSuffix[] = "_corg.pdf";
inline constexpr char kNitrogenSuffix[] = "_nt.pdf";
inline constexpr char kMicrobialSuffix[] = "_cmic.pdf";

// The text with every character that cannot stand in a file name (path separators, the
// characters reserved on Windows, control characters) replaced by "_". An empty text stays empty.
QString safeFileName(const QString& text);
// A report of one plot: location + "_" + plot name + suffix, made safe.
QString plotFileName(const QString& location, const QString& plotName, const QString& suffix);

// The parts of an experiment report (the window's check boxes).
struct ExperimentParts {
  bool management = true;
  bool observation = true;
  bool basics = true;
};

// One report of an experiment report.
struct PlannedReport {
  ReportKind kind = ReportKind::Management;
  qlonglong flId = 0;
  QString plotName;  // site_description
  QString fileName;  // in the output folder, without a folder
};

// The plots of an experiment in the order the database returns them.
struct ExperimentPlot {
  qlonglong flId = 0;
  QString siteDescription;
};
QList<ExperimentPlot> readExperimentPlots(trb::db::Database& db, const QString& location);

// Per plot, in order: management, measurement and site description, as far as parts asks for
// them. The files are named plot name + "_" + plot name + suffix; when a name was already given
// in this plan (file names compared without regard to case), the later plot's name gets "_" +
// its FL_ID before the suffix, so that no report of a run overwrites another of the same run.
QList<PlannedReport> planExperimentReport(const QList<ExperimentPlot>& plots,
                                          const ExperimentParts& parts);

}  // namespace trb::reports
