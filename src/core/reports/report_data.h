// The data of the printable reports: one typed read per report, the names of the report
// definitions and their language variants.
//
// The layouts live in the render library (src/render); this side decides what each report shows
// and where its rows come from.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/parameters/browser_data.h"

namespace trb::db {
class Database;
}

namespace trb::reports {

enum class ReportKind {
  Management,       // "management"
  Measurement,      // "measurement"
  SiteConditions,   // "site_cond": every plot
  SiteDescription,  // "singlesitedesc": one plot with the literature of its experiment
  References,       // "Reference_report"
  Results,          // "result_report"
};

// The name of a report definition: the English one, or its German twin ("D_...") when german is
// set. "Reference_report" has one variant only.
QString definitionName(ReportKind kind, bool german);
// The German twin is chosen by the interface language "D".
bool isGermanLanguage(const QString& languageLetter);
// Every report carries the page counter in its footer except the site description of one plot.
bool hasPageCounter(ReportKind kind);

// The plot's row of field_description: the head of the management and measurement reports.
struct PlotHeader {
  qlonglong flId = 0;
  QString location;
  QString siteDescription;
  QString herkunft;
  QString classification;
  QString comment;
  QString vcode;
};

struct ManagementReport {
  PlotHeader plot;
  QList<trb::parameters::ManagementRow> rows;  // ordered by year, MACODE
};

struct MeasurementReport {
  PlotHeader plot;
  QList<trb::parameters::MeasurementRow> rows;  // ordered by year_number
};

// One block of the site conditions: a row of the site overview.
struct SiteConditionRow {
  qlonglong flId = 0;
  QString herkunft;
  QString classification;
  int ycnt = 0;  // weather rows of the station
  QString location;
  QString siteDescription;
  qlonglong climateId = -99;
  QString station;
  double mwtemp = 0;
  double mwprec = 0;
  qlonglong soilId = -99;
  QString profile;
  QString baRbs;
  QString baKa4;
  double clay = -99, silt = -99, sand = -99;
  double pv = -99, fc = -99, pwp = -99;
};

// A reference of the plot's experiment (referenzen through ref2vcode).
struct PlotReference {
  qlonglong litId = 0;
  QString autor;
  QString jahr;
  QString titel;  // the first 254 characters
  QString produkt;
  QString herausgeber;
  QString quelle;
  QString ort;
  QString band;
  QString seite;
  QString ausgabe;
};

struct SiteDescriptionReport {
  QList<SiteConditionRow> site;  // the plot's block; empty without soil, station or weather
  QList<PlotReference> references;
};

// A row of the reference list of the parameter editor.
struct ReferenceRow {
  qlonglong litId = 0;
  QString quelle;
  QString autor;
  QString jahr;
  QString produkt;
  QString seite;
  QString ausgabe;
  QString stitel;  // the first 250 characters of the title
};

// A result report: the title line, the lines of the page's statistics list, the page's chart as
// an SVG picture and the rows of its grid (year#, "Year ,   Month", observation, model output).
struct ResultReport {
  QString title;
  QStringList statistics;
  QByteArray chartSvg;  // empty: no chart
  QList<QStringList> rows;
};

// The plot's row of field_description; nothing when no plot has the key.
std::optional<PlotHeader> readPlotHeader(trb::db::Database& db, qlonglong flId);
// Throw trb::Error when no plot has the key.
ManagementReport readManagementReport(trb::db::Database& db, qlonglong flId);
MeasurementReport readMeasurementReport(trb::db::Database& db, qlonglong flId);
// The blocks of every plot that has a soil, a station and weather rows, by FL_ID.
QList<SiteConditionRow> readSiteConditions(trb::db::Database& db);
// The block of one plot and the references of its experiment.
SiteDescriptionReport readSiteDescriptionReport(trb::db::Database& db, qlonglong flId);
QList<PlotReference> readPlotReferences(trb::db::Database& db, qlonglong flId);
// Every reference, by lit_id.
QList<ReferenceRow> readReferenceList(trb::db::Database& db);

// The title line of a result report.
QString resultTitle(const QString& plotName, const QString& location, const QString& herkunft,
                    const QString& comment);

}  // namespace trb::reports
