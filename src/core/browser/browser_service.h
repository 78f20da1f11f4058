// The experiment browser's core: the tree of experiments and plots, the loading of a clicked plot,
// the lists of the selection panel and the indexes the browser's lists rely on.
//
// Every read returns rows as structs; the window composes no SQL. Database failures of the reads
// reach the caller as trb::db::DbError; refusals of the service are trb::Error.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/parameters/browser_data.h"

namespace trb::db {
class Database;
}

namespace trb::browser {

// --- Tree -------------------------------------------------------------------------------------

// A plot under an experiment's "plots" node.
struct PlotNode {
  qlonglong flId = 0;
  QString siteDescription;  // the node's label
  QString location;
  QString vcode;       // the plot's own versuch_code
  int resultRows = 0;  // rows in rs_table: > 0 gives the "with results" icon (10), else 11
};

// An experiment: one distinct (location, versuch_code) of field_description, in the order the
// database returns them. Plots are grouped by location only, so two codes sharing a location both
// list every plot of that location.
struct ExperimentNode {
  QString location;
  QString vcode;
  bool hasReferences = false;  // ref2vcode names the code (icons 19/18 instead of 2/3)
  QList<PlotNode> plots;
};

// Three queries in all (plots with their result counts, experiments, references), none per plot.
// A database without ref2vcode gives experiments without references.
QList<ExperimentNode> readTree(trb::db::Database& db);

// The root's label: the file name, shortened to its first 16 characters, "..." and its last 16
// when it is longer than 35 characters.
QString rootLabel(const QString& fileName);
// location + "   <" + code + ">"
QString experimentLabel(const QString& location, const QString& vcode);

// --- A clicked plot ---------------------------------------------------------------------------

// The field_description columns the "Basic-Info" page shows.
struct SiteDescription {
  qlonglong flId = 0;
  double mwBat = 0;  // mean biologically active time; the page shows "?" unless it is > 0
  bool mwBatNull = true;
  double area = -99;
  QString siteDescription;
  QString herkunft;
  QString comment;
  QString location;
  QString vcode;              // versuch_code
  qlonglong climateId = -99;  // -99 when not given
  qlonglong soilId = -99;
};

// One row of the "misc.results" list (trb_nresult), each value cut to two decimals. A value the
// database gives as null (cnr where n_org is 0) is NaN.
struct YearlyResult {
  int year = 0;
  double nMOm = 0;
  double nOps = 0;
  double cOps = 0;
  double cSom = 0;
  double nOrg = 0;
  double nSom = 0;
  double cnr = 0;
  double crep = 0;
  double bat = 0;
};

struct PlotView {
  bool found = false;  // false when no field_description row has the key
  SiteDescription site;
  QList<trb::parameters::ManagementRow> management;     // ordered by year, MACODE
  QList<trb::parameters::MeasurementRow> measurements;  // ordered by year_number
  // The year of the first measurement row with year_number 0 (list order), -99 without one.
  int firstYear = -99;
  QList<YearlyResult> yearlyResults;  // empty when trb_nresult is missing
};

// Site description, management list, measurement list, first year and yearly results of a plot:
// one query each.
PlotView loadPlot(trb::db::Database& db, qlonglong flId);

// The first-year rule on a measurement list in its order.
int firstYearOf(const QList<trb::parameters::MeasurementRow>& measurements);

// --- Choosing plots for a run -----------------------------------------------------------------

// An entry of the selection list: the plot's key and the text the list shows.
struct SelectionEntry {
  qlonglong flId = 0;
  QString label;
};

// "FL_ID: site_description  ===>   Herkunft" for every plot of the location.
QList<SelectionEntry> experimentSelection(trb::db::Database& db, const QString& location);
// " fl_id: location - site_description" for every plot, by key.
QList<SelectionEntry> databaseSelection(trb::db::Database& db);

// --- Indexes ----------------------------------------------------------------------------------

// Makes sure the tables the browser filters by plot (cultivation, measurements, rs_table,
// trb_nresult) have an index on their plot key. Idempotent; tables that do not exist are skipped.
// The window calls it when it opens (older files and recreated result tables lack them).
void ensureBrowserIndexes(trb::db::Database& db);

}  // namespace trb::browser
