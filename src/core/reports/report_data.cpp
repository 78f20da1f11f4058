#include "core/reports/report_data.h"

#include <QCoreApplication>

#include "core/base/error.h"
#include "core/db/database.h"

using trb::db::Database;
using trb::db::Reader;

namespace trb::reports {

QString definitionName(ReportKind kind, bool german) {
  switch (kind) {
    case ReportKind::Management:
      return german ? QStringLiteral("D_management") : QStringLiteral("management");
    case ReportKind::Measurement:
      return german ? QStringLiteral("D_measurement") : QStringLiteral("measurement");
    case ReportKind::SiteConditions:
      return german ? QStringLiteral("D_sitecond") : QStringLiteral("site_cond");
    case ReportKind::SiteDescription:
      return german ? QStringLiteral("D_singlesitedesc") : QStringLiteral("singlesitedesc");
    case ReportKind::References:
      return QStringLiteral("Reference_report");
    case ReportKind::Results:
      return german ? QStringLiteral("D_result_report") : QStringLiteral("result_report");
  }
  return QString();
}

bool isGermanLanguage(const QString& languageLetter) {
  return languageLetter == u"D";
}

bool hasPageCounter(ReportKind kind) {
  return kind != ReportKind::SiteDescription;
}

std::optional<PlotHeader> readPlotHeader(Database& db, qlonglong flId) {
  Reader r(db, QStringLiteral(R"sql(
select * from field_description
where fl_id=?)sql"),
           {flId});
  if (!r.next()) return std::nullopt;
  PlotHeader h;
  h.flId = r.toLongLong(r.indexOf(QStringLiteral("FL_ID")));
  h.location = r.toString(r.indexOf(QStringLiteral("Location")));
  h.siteDescription = r.toString(r.indexOf(QStringLiteral("site_description")));
  h.herkunft = r.toString(r.indexOf(QStringLiteral("Herkunft")));
  h.classification = r.toString(r.indexOf(QStringLiteral("classification")));
  h.comment = r.toString(r.indexOf(QStringLiteral("comment")));
  h.vcode = r.toString(r.indexOf(QStringLiteral("versuch_code")));
  return h;
}

namespace {

PlotHeader requirePlot(Database& db, qlonglong flId) {
  std::optional<PlotHeader> h = readPlotHeader(db, flId);
  if (!h)
    throw trb::Error(
        QCoreApplication::translate("trb::reports", "There is no plot with FL_ID %1.").arg(flId),
        QCoreApplication::translate("trb::reports", "report"));
  return *h;
}

double numberOr(const Reader& r, int column, double missing) {
  return r.isNull(column) ? missing : r.toDouble(column);
}

QList<SiteConditionRow> readSiteRows(Database& db, const QString& sql, const QVariantList& binds) {
  QList<SiteConditionRow> rows;
  Reader r(db, sql, binds);
  const auto col = [&r](const char* name) { return r.indexOf(QString::fromLatin1(name)); };
  const int flId = col("FL_ID"), herkunft = col("Herkunft"), cls = col("classification"),
            ycnt = col("ycnt"), location = col("Location"), desc = col("site_description"),
            climateId = col("climate_ID"), station = col("station"), mwtemp = col("mwtemp"),
            mwprec = col("mwprec"), soilId = col("soil_ID"), profile = col("profile"),
            rbs = col("BA_RBS"), ka4 = col("BA_KA4"), clay = col("clay"), silt = col("silt"),
            sand = col("sand"), pv = col("PV"), fc = col("FC"), pwp = col("PWP");
  while (r.next()) {
    SiteConditionRow s;
    s.flId = r.toLongLong(flId);
    s.herkunft = r.toString(herkunft);
    s.classification = r.toString(cls);
    s.ycnt = int(r.toLongLong(ycnt));
    s.location = r.toString(location);
    s.siteDescription = r.toString(desc);
    s.climateId = r.isNull(climateId) ? -99 : r.toLongLong(climateId);
    s.station = r.toString(station);
    s.mwtemp = numberOr(r, mwtemp, -99);
    s.mwprec = numberOr(r, mwprec, -99);
    s.soilId = r.isNull(soilId) ? -99 : r.toLongLong(soilId);
    s.profile = r.toString(profile);
    s.baRbs = r.toString(rbs);
    s.baKa4 = r.toString(ka4);
    s.clay = numberOr(r, clay, -99);
    s.silt = numberOr(r, silt, -99);
    s.sand = numberOr(r, sand, -99);
    s.pv = numberOr(r, pv, -99);
    s.fc = numberOr(r, fc, -99);
    s.pwp = numberOr(r, pwp, -99);
    rows.append(s);
  }
  return rows;
}

}  // namespace

ManagementReport readManagementReport(Database& db, qlonglong flId) {
  ManagementReport report;
  report.plot = requirePlot(db, flId);
  report.rows = trb::parameters::readManagementList(db, flId);
  return report;
}

MeasurementReport readMeasurementReport(Database& db, qlonglong flId) {
  MeasurementReport report;
  report.plot = requirePlot(db, flId);
  report.rows = trb::parameters::readMeasurementList(db, flId);
  return report;
}

QList<SiteConditionRow> readSiteConditions(Database& db) {
  return readSiteRows(
      db, trb::parameters::siteOverviewSql() + QStringLiteral(" ORDER BY field_description.FL_ID"),
      {});
}

SiteDescriptionReport readSiteDescriptionReport(Database& db, qlonglong flId) {
  requirePlot(db, flId);
  SiteDescriptionReport report;
  report.site = readSiteRows(db, trb::parameters::siteDescriptionSql(), {flId});
  report.references = readPlotReferences(db, flId);
  return report;
}

QList<PlotReference> readPlotReferences(Database& db, qlonglong flId) {
  QList<PlotReference> rows;
  if (!db.hasTable(QStringLiteral("referenzen")) || !db.hasTable(QStringLiteral("ref2vcode")))
    return rows;
  Reader r(db, QStringLiteral(R"sql(
SELECT field_description.FL_ID, referenzen.lit_id, referenzen.Autor, referenzen.Jahr,
left(referenzen.Titel,254) as titel, referenzen.produkt, referenzen.herausgeber,
referenzen.quelle, referenzen.ort, referenzen.band, referenzen.seite, referenzen.ausgabe,
field_description.versuch_code
FROM (referenzen INNER JOIN ref2vcode ON referenzen.lit_id = ref2vcode.lit_id)
INNER JOIN field_description ON ref2vcode.versuchs_code = field_description.versuch_code
WHERE field_description.FL_ID = :fl_id
ORDER BY referenzen.lit_id)sql"),
           {flId});
  while (r.next()) {
    PlotReference p;
    p.litId = r.toLongLong(1);
    p.autor = r.toString(2);
    p.jahr = r.toString(3);
    p.titel = r.toString(4);
    p.produkt = r.toString(5);
    p.herausgeber = r.toString(6);
    p.quelle = r.toString(7);
    p.ort = r.toString(8);
    p.band = r.toString(9);
    p.seite = r.toString(10);
    p.ausgabe = r.toString(11);
    rows.append(p);
  }
  return rows;
}

QList<ReferenceRow> readReferenceList(Database& db) {
  QList<ReferenceRow> rows;
  Reader r(db, QStringLiteral(R"sql(
select lit_id,quelle,autor,jahr,left(jahr,10) as jahr_ , titel ,produkt,seite,ausgabe,
left(titel,150) as vstitel, left(titel,250) as stitel
from referenzen
order by lit_id)sql"));
  const int litId = r.indexOf(QStringLiteral("lit_id")),
            quelle = r.indexOf(QStringLiteral("quelle")),
            autor = r.indexOf(QStringLiteral("autor")), jahr = r.indexOf(QStringLiteral("jahr")),
            produkt = r.indexOf(QStringLiteral("produkt")),
            seite = r.indexOf(QStringLiteral("seite")),
            ausgabe = r.indexOf(QStringLiteral("ausgabe")),
            stitel = r.indexOf(QStringLiteral("stitel"));
  while (r.next())
    rows.append({r.toLongLong(litId), r.toString(quelle), r.toString(autor), r.toString(jahr),
                 r.toString(produkt), r.toString(seite), r.toString(ausgabe), r.toString(stitel)});
  return rows;
}

QString resultTitle(const QString& plotName, const QString& location, const QString& herkunft,
                    const QString& comment) {
  return QStringLiteral("plot ") + plotName + QStringLiteral(" in folder ") + location +
         QStringLiteral("; dataset from ") + herkunft + QStringLiteral(" {") + comment +
         QStringLiteral("}");
}

}  // namespace trb::reports
