#include "core/browser/browser_service.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <cmath>
#include <limits>

#include "core/browser/files_view.h"
#include "core/db/database.h"
#include "core/engine/run_selection.h"

using trb::db::Database;
using trb::db::Reader;

namespace trb::browser {

namespace {

// Locations and codes compare without regard to case, as the database compares them.
QString foldKey(const QString& text) {
  return text.toCaseFolded();
}

double valueOrNan(const Reader& r, int i) {
  return r.isNull(i) ? std::numeric_limits<double>::quiet_NaN() : r.toDouble(i);
}

}  // namespace

// --- Tree -------------------------------------------------------------------------------------

QList<ExperimentNode> readTree(Database& db) {
  // Plots with their result counts, grouped by location.
  QHash<QString, QList<PlotNode>> plotsByLocation;
  {
    Reader r(db, QStringLiteral(R"sql(
SELECT field_description.site_description, field_description.Location
,field_description.versuch_code, field_description.FL_ID,
Count(rs_table.M_IX) AS nres
FROM field_description LEFT JOIN rs_table ON field_description.FL_ID =
rs_table.FL_ID
GROUP BY field_description.site_description,
field_description.Location,field_description.versuch_code,
field_description.FL_ID)sql"));
    while (r.next()) {
      PlotNode p;
      p.siteDescription = r.toString(0);
      p.location = r.toString(1);
      p.vcode = r.toString(2);
      p.flId = r.toLongLong(3);
      p.resultRows = int(r.toLongLong(4));
      plotsByLocation[foldKey(p.location)].append(p);
    }
  }

  QSet<QString> referenced;
  if (db.hasTable(QStringLiteral("ref2vcode"))) {
    Reader r(db, QStringLiteral("select distinct versuchs_code from ref2vcode"));
    while (r.next())
      if (!r.isNull(0)) referenced.insert(foldKey(r.toString(0)));
  }

  QList<ExperimentNode> experiments;
  Reader r(db, QStringLiteral(
                   "SELECT distinct  Location as site , versuch_code FROM field_description"));
  while (r.next()) {
    ExperimentNode e;
    e.location = r.toString(0);
    e.vcode = r.toString(1);
    e.hasReferences = !r.isNull(1) && referenced.contains(foldKey(e.vcode));
    e.plots = plotsByLocation.value(foldKey(e.location));
    experiments.append(e);
  }
  return experiments;
}

QString rootLabel(const QString& fileName) {
  if (fileName.size() <= 35) return fileName;
  return fileName.left(16) + QStringLiteral("...") + fileName.right(16);
}

QString experimentLabel(const QString& location, const QString& vcode) {
  return location + QStringLiteral("   <") + vcode + QStringLiteral(">");
}

// --- A clicked plot ---------------------------------------------------------------------------

namespace {

bool readSite(Database& db, qlonglong flId, SiteDescription& site) {
  Reader r(db, QStringLiteral("select * from field_description where fl_id=?"), {flId});
  if (!r.next()) return false;
  auto col = [&r](const char* name) { return r.indexOf(QString::fromLatin1(name)); };
  const int bat = col("mw_bat");
  const int area = col("area");
  const int climate = col("climate_ID");
  const int soil = col("soil_ID");
  site.flId = r.toLongLong(col("FL_ID"));
  site.mwBatNull = r.isNull(bat);
  site.mwBat = r.toDouble(bat);
  site.area = r.isNull(area) ? -99 : r.toDouble(area);
  site.siteDescription = r.toString(col("site_description"));
  site.herkunft = r.toString(col("Herkunft"));
  site.comment = r.toString(col("comment"));
  site.location = r.toString(col("Location"));
  site.vcode = r.toString(col("versuch_code"));
  site.climateId = r.isNull(climate) ? -99 : r.toLongLong(climate);
  site.soilId = r.isNull(soil) ? -99 : r.toLongLong(soil);
  return true;
}

// "misc.results": a missing or unreadable trb_nresult gives an empty list. A year without organic
// nitrogen has no C/N ratio (null) rather than failing the whole list with a division by zero.
QList<YearlyResult> readYearlyResults(Database& db, qlonglong flId) {
  QList<YearlyResult> rows;
  if (!db.hasTable(QStringLiteral("trb_nresult"))) return rows;
  try {
    Reader r(db, QStringLiteral(R"sql(
select [year],int(100*n_m_om)/100 as n_m_om, int(100*n_ops)/100 as
n_ops, int(100*C_ops)/100 as C_ops,int(100*c_som)/100 as c_som,
int(n_org*100)/100 as n_org, int(100*n_som)/100 as n_som,
int(100*c_som/IIf(n_org=0,Null,n_org))/100 as cnr, int(100*c_rep)/100 as crep,
int(100*bat)/100 as bat from trb_nresult where  fl_id=? order by
[year])sql"),
             {flId});
    while (r.next()) {
      YearlyResult y;
      y.year = int(r.toLongLong(0));
      y.nMOm = valueOrNan(r, 1);
      y.nOps = valueOrNan(r, 2);
      y.cOps = valueOrNan(r, 3);
      y.cSom = valueOrNan(r, 4);
      y.nOrg = valueOrNan(r, 5);
      y.nSom = valueOrNan(r, 6);
      y.cnr = valueOrNan(r, 7);
      y.crep = valueOrNan(r, 8);
      y.bat = valueOrNan(r, 9);
      rows.append(y);
    }
  } catch (const trb::db::DbError&) {
    rows.clear();
  }
  return rows;
}

}  // namespace

int firstYearOf(const QList<trb::parameters::MeasurementRow>& measurements) {
  for (const auto& m : measurements)
    if (m.yearNumber == 0) return m.datum;
  return -99;
}

PlotView loadPlot(Database& db, qlonglong flId) {
  PlotView v;
  v.found = readSite(db, flId, v.site);
  v.management = trb::parameters::readManagementList(db, flId);
  v.measurements = trb::parameters::readMeasurementList(db, flId);
  v.firstYear = firstYearOf(v.measurements);
  v.yearlyResults = readYearlyResults(db, flId);
  return v;
}

// --- Choosing plots for a run -----------------------------------------------------------------

QList<SelectionEntry> experimentSelection(Database& db, const QString& location) {
  QList<SelectionEntry> entries;
  Reader r(db, QStringLiteral("select * from field_description where location=?"), {location});
  const int fl = r.indexOf(QStringLiteral("FL_ID"));
  const int site = r.indexOf(QStringLiteral("site_description"));
  const int herkunft = r.indexOf(QStringLiteral("Herkunft"));
  while (r.next())
    entries.append({r.value(fl).toLongLong(), r.toString(fl) + QStringLiteral(": ") +
                                                  r.toString(site) + QStringLiteral("  ===>   ") +
                                                  r.toString(herkunft)});
  return entries;
}

QList<SelectionEntry> databaseSelection(Database& db) {
  QList<SelectionEntry> entries;
  Reader r(db,
           QStringLiteral(
               "select fl_id, location, site_description from field_description order by fl_id"));
  while (r.next())
    entries.append({r.value(0).toLongLong(), QStringLiteral(" ") + r.toString(0) +
                                                 QStringLiteral(": ") + r.toString(1) +
                                                 QStringLiteral(" - ") + r.toString(2)});
  return entries;
}

// --- Indexes ----------------------------------------------------------------------------------

namespace {

// Whether some index of the table starts with the column.
bool hasLeadingIndex(Database& db, const QString& table, const QString& column) {
  QSqlQuery list(db.qt());
  list.exec(QStringLiteral("PRAGMA index_list(%1)").arg(sqlTextLiteral(table)));
  QStringList indexes;
  while (list.next()) indexes.append(list.value(1).toString());
  for (const QString& index : indexes) {
    QSqlQuery info(db.qt());
    info.exec(QStringLiteral("PRAGMA index_info(%1)").arg(sqlTextLiteral(index)));
    // rows: seqno, cid, name
    while (info.next())
      if (info.value(0).toInt() == 0)
        if (info.value(2).toString().compare(column, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

}  // namespace

void ensureBrowserIndexes(Database& db) {
  static const char* const tables[][2] = {{"cultivation", "FL_ID"},
                                          {"measurements", "FL_ID"},
                                          {"rs_table", "FL_ID"},
                                          {"trb_nresult", "FL_ID"}};
  for (const auto& t : tables) {
    const QString table = QString::fromLatin1(t[0]);
    const QString column = QString::fromLatin1(t[1]);
    if (!db.hasTable(table) || !db.hasColumn(table, column)) continue;
    if (hasLeadingIndex(db, table, column)) continue;
    db.runNative(
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1_plot ON %1 (%2)").arg(table, column));
  }
}

}  // namespace trb::browser
