#include "core/sites/site_description.h"

#include <QCoreApplication>
#include <cmath>

#include "core/base/error.h"
#include "core/db/database.h"

namespace trb::sites {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::sites", text);
}

}  // namespace

bool parse_local_number(const QString& text, const QLocale& locale, double* value) {
  QLocale strict = locale;
  strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
  bool ok = false;
  const double v = strict.toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

void save_site_description(trb::db::Database& db, const SiteEdit& edit, const QLocale& locale) {
  const QString caption = tr("update changes");
  double area = 0;
  if (!parse_local_number(edit.area, locale, &area))
    throw trb::Error(tr("\"area\" is not a number: %1").arg(edit.area), caption);
  double bat = 30;
  if (!parse_local_number(edit.bat, locale, &bat)) bat = 30;
  QString comment = edit.state.trimmed();
  if (comment.isEmpty()) comment = QStringLiteral("?");

  const int rows = db.execute(
      QStringLiteral(R"sql(
update  field_description   set
 site_description=?
, herkunft=?
, area=?
, climate_id=?
, soil_id=?
, mw_bat=?
, comment=?
 where fl_id=?)sql"),
      {edit.plot, edit.source, area, edit.climateId, edit.soilId, bat, comment, edit.flId});
  if (rows == 0) throw trb::Error(tr("There is no plot %1.").arg(edit.flId), caption);
}

QString plot_label(const QString& oldLabel, const QString& plot) {
  const qsizetype colon = oldLabel.indexOf(u':');
  return (colon < 0 ? QString() : oldLabel.left(colon + 1)) + plot;
}

}  // namespace trb::sites
