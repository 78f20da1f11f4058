// The site description of a plot as the page "Basic-Info" saves it.
#pragma once

#include <QLocale>
#include <QString>

namespace trb::db {
class Database;
}

namespace trb::sites {

// The fields of "Basic-Info" as typed (numbers in the user's locale) and the keys of the chosen
// station and soil (-99 for "-?-").
struct SiteEdit {
  qlonglong flId = -99;
  QString plot;    // site_description
  QString source;  // herkunft
  QString state;   // comment
  QString area;    // ha
  QString bat;     // biol. active time [d/yr]; read-only on the page
  qlonglong climateId = -99;
  qlonglong soilId = -99;
};

// A number typed in the locale's format, group separators refused (so that "12.5" in a
// decimal-comma locale is not read as 125). False when the text is no such number.
bool parse_local_number(const QString& text, const QLocale& locale, double* value);

// "update changes": writes plot name, source and state as typed (an empty state becomes "?"), the
// area, the station and soil keys and the biologically active time (30 when the field holds no
// number) into the plot's field_description row. An area that is no number is refused, naming the
// field; a key without a plot is refused too. Nothing is written when it refuses.
void save_site_description(trb::db::Database& db, const SiteEdit& edit,
                           const QLocale& locale = QLocale());

// The label of a plot node after saving: the old label up to and including its first ":"
// (nothing when it has none), then the plot name.
QString plot_label(const QString& oldLabel, const QString& plot);

}  // namespace trb::sites
