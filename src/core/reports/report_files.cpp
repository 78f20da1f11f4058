#include "core/reports/report_files.h"

#include <QSet>

#include "core/db/database.h"

namespace trb::reports {

QString safeFileName(const QString& text) {
  static const QString reserved = QStringLiteral("/\\:*?\"<>|");
  QString s = text;
  for (QChar& c : s)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f || reserved.contains(c)) c = u'_';
  return s;
}

QString plotFileName(const QString& location, const QString& plotName, const QString& suffix) {
  return safeFileName(location + u'_' + plotName + suffix);
}

QList<ExperimentPlot> readExperimentPlots(trb::db::Database& db, const QString& location) {
  QList<ExperimentPlot> plots;
  // The location is bound: a name with a quote in it stays a name.
  trb::db::Reader r(db, QStringLiteral(R"sql(
select fl_id,site_description from field_description
where location=?)sql"),
                    {location});
  while (r.next()) plots.append({r.toLongLong(0), r.toString(1)});
  return plots;
}

QList<PlannedReport> planExperimentReport(const QList<ExperimentPlot>& plots,
                                          const ExperimentParts& parts) {
  struct Part {
    bool on;
    ReportKind kind;
    const char* suffix;
  };
  const Part order[] = {{parts.management, ReportKind::Management, kManagementSuffix},
                        {parts.observation, ReportKind::Measurement, kObservationSuffix},
                        {parts.basics, ReportKind::SiteDescription, kSiteDescriptionSuffix}};
  QList<PlannedReport> plan;
  QSet<QString> taken;  // lower case: names that differ only in case are one file on some systems
  for (const ExperimentPlot& p : plots) {
    const QString base = safeFileName(p.siteDescription + u'_' + p.siteDescription);
    for (const Part& part : order) {
      if (!part.on) continue;
      const QString suffix = QString::fromLatin1(part.suffix);
      QString name = base + suffix;
      if (taken.contains(name.toLower())) {
        const QString own = base + u'_' + QString::number(p.flId);
        name = own + suffix;
        for (int n = 2; taken.contains(name.toLower()); ++n)
          name = own + u'_' + QString::number(n) + suffix;
      }
      taken.insert(name.toLower());
      plan.append({part.kind, p.flId, p.siteDescription, name});
    }
  }
  return plan;
}

}  // namespace trb::reports
