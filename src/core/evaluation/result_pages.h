// What the result pages of a plot show: the grid (column titles and rows), the lines of the list
// beside the chart and the chart itself. The browser's pages and the result report read the same
// data, so that both show the same numbers.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace trb::db {
class Database;
}

namespace trb::evaluation {

enum class ResultKind {
  Carbon,            // "C-dynamics": soil organic carbon, measured against simulated
  Nitrogen,          // "N-dynamics": soil nitrogen
  MicrobialBiomass,  // "micr.BM": microbial biomass carbon
  Turnover,          // "OM-turnover": yearly carbon fluxes of trb_zbv
  NBalance,          // "N-balance": yearly nitrogen balance (nmin_saldo of a single-plot balance)
  MiscResults,       // "misc.results": one column of the yearly result list trb_nresult
};

// A chart of values over the years. The simulated (or computed) values are drawn as a line, the
// observations as filled red squares without a line. Each observation series holds the first
// observation of every year; observed[k] also holds the (k+1)-th observation of a year sampled
// more than once.
struct ChartData {
  QString title, xTitle, yTitle;
  QList<QPointF> simulated;
  QList<QList<QPointF>> observed;  // up to eleven series
  // The axis ranges; with yMin > yMax (nothing to draw) the chart chooses its own.
  double yMin = 1, yMax = 0;
  int xMin = 0, xMax = 0;
};

struct ResultPageData {
  QString title;        // the page's caption
  QStringList columns;  // the grid's column titles
  QList<QVariantList> rows;
  QStringList statistics;  // the lines of the list beside the chart
  ChartData chart;
};

// The entries of the page's chooser ("selection"), in order; empty for pages without one.
QStringList result_choices(ResultKind kind);

// The page's titles, columns and chart titles, without rows: what an empty page shows.
ResultPageData result_page_frame(ResultKind kind, int choice = 0);

// The page of one plot. choice is the chooser's entry for the pages that have one (0 the first;
// out of range: the first). Numbers in the statistics lines are written in the user's locale
// (QLocale()). A result table that does not exist yet gives an empty page.
ResultPageData read_result_page(trb::db::Database& db, qlonglong plotKey, ResultKind kind,
                                int choice = 0);

// The three comparison pages at once (one evaluation of the plot): carbon, nitrogen, microbial
// biomass. A page without rows is disabled (carbon) or hidden (the others) by the browser.
struct ComparisonPages {
  ResultPageData carbon, nitrogen, microbial;
};
ComparisonPages read_comparison_pages(trb::db::Database& db, qlonglong plotKey);

// The plot's mean biologically active time over the years of tmp_bat, rounded to one decimal
// (ties to even); empty when tmp_bat has no row of the plot (or does not exist).
std::optional<double> mean_bat(trb::db::Database& db, qlonglong plotKey);

// After a single-plot run: stores the mean biologically active time in field_description.mw_bat
// and returns it as the field shows it (the user's decimal separator), or "?" when tmp_bat has no
// row of the plot, leaving mw_bat as it was.
QString store_mean_bat(trb::db::Database& db, qlonglong plotKey);

}  // namespace trb::evaluation
