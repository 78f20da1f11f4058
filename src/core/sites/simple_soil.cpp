#include "core/sites/simple_soil.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include "core/base/error.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/sites/site_description.h"

using trb::db::Database;

namespace trb::sites {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::sites", text);
}

// Properties the pedotransfer functions derive when their "_org" flag is false. Sand follows
// from clay and silt, which the dialog writes, so it is always derived again.
const char* const kDerivedKeptWhenMeasured[] = {"FAT", "BD", "PV", "FC", "PWP", "cif", "PD"};

bool rowExists(Database& db, qlonglong soilId) {
  return soilId != -99 &&
         db.scalar(QStringLiteral("select count(*) from soilproperties where soil_id=?"), {soilId})
                 .toInt() > 0;
}

double number(const QString& text, const QString& field, const QLocale& locale) {
  double v = 0;
  if (!parse_local_number(text, locale, &v))
    throw trb::Error(tr("\"%1\" is not a number: %2").arg(field, text),
                     QStringLiteral("Satz kann nicht gespeichert werden"));
  return v;
}

}  // namespace

QStringList simple_soil_types() {
  return {QStringLiteral("?"),  QStringLiteral("S"),  QStringLiteral("Sl"),
          QStringLiteral("lS"), QStringLiteral("SL"), QStringLiteral("sL"),
          QStringLiteral("L"),  QStringLiteral("LT"), QStringLiteral("T")};
}

SimpleSoil read_simple_soil(Database& db, qlonglong soilId, const QLocale& locale) {
  SimpleSoil s;
  s.name = QStringLiteral("-?-");
  s.soilType = QStringLiteral("?");
  s.gravel = QStringLiteral("0");
  s.clay = QStringLiteral("?");
  s.silt = QStringLiteral("-99");
  if (soilId == -99) return s;
  QSqlQuery q = db.query(QStringLiteral(R"sql(
select profile, BA_RBS, skelett, clay, silt
from soilproperties
where soil_id=?)sql"),
                         {soilId});
  if (!q.next()) return s;
  auto shown = [&locale](const QVariant& v, const QString& none) {
    return v.isNull() ? none : trb::fmt_general(v.toDouble(), locale);
  };
  s.soilId = soilId;
  s.name = q.value(0).toString();
  s.soilType = q.value(1).isNull() ? QStringLiteral("?") : q.value(1).toString();
  s.gravel = shown(q.value(2), QStringLiteral("0"));
  s.clay = shown(q.value(3), QStringLiteral("?"));
  s.silt = shown(q.value(4), QStringLiteral("-99"));
  return s;
}

QStringList missing_soil_fields(const SimpleSoil& soil) {
  QStringList missing;
  if (soil.name.trimmed().isEmpty() || soil.name.contains(u'?')) missing << QStringLiteral("name");
  if (soil.soilType.trimmed().isEmpty() || soil.soilType == u"?")
    missing << QStringLiteral("soilType");
  if (soil.clay.trimmed().isEmpty() || soil.clay.contains(u'?')) missing << QStringLiteral("clay");
  return missing;
}

SimpleSoil save_simple_soil(Database& db, const SimpleSoil& soil, const QLocale& locale) {
  if (!missing_soil_fields(soil).isEmpty())
    throw trb::Error(QStringLiteral("Bitte alle Pflicht-Daten eingeben !"),
                     QStringLiteral("Satz kann nicht gespeichert werden"));
  const double clay = number(soil.clay, tr("clay"), locale);
  const double silt = number(soil.silt, tr("silt"), locale);
  const double gravel = number(soil.gravel, tr("gravel"), locale);

  SimpleSoil saved = soil;
  trb::db::Transaction tx(db);
  if (!rowExists(db, soil.soilId)) {
    if (db.scalar(QStringLiteral("select count(*) from soilproperties where profile=?"),
                  {saved.name})
            .toInt() > 0)
      saved.name += u'1';
    saved.soilId = db.getKey(QStringLiteral("soilproperties"), QStringLiteral("soil_id"));
    db.execute(QStringLiteral(R"sql(
insert into soilproperties (soil_id, profile, FAT, BD, PV, FC, PWP, cif, PD, FAT_org, BD_org,
PV_org, FC_org, PWP_org, cif_org, PD_org)
values (?, ?, -99, -99, -99, -99, -99, -99, -99, False, False, False, False, False, False,
False))sql"),
               {saved.soilId, saved.name});
  }
  db.execute(QStringLiteral(R"sql(
update soilproperties
set profile=?, BA_RBS=?, skelett=?, clay=?, silt=?, silt_org=True, sand=-99, sand_org=False
where soil_id=?)sql"),
             {saved.name, saved.soilType, gravel, clay, silt, saved.soilId});
  for (const char* p : kDerivedKeptWhenMeasured) {
    const QString name = QString::fromLatin1(p);
    db.execute(QStringLiteral("update soilproperties set %1=-99, %1_org=False "
                              "where soil_id=? and (%1_org=False or %1_org is null)")
                   .arg(name),
               {saved.soilId});
  }
  tx.commit();
  return saved;
}

bool delete_soil(Database& db, qlonglong soilId) {
  if (soilId == -99) return false;
  trb::db::Transaction tx(db);
  const int rows =
      db.execute(QStringLiteral("delete from soilproperties where soil_id=?"), {soilId});
  db.execute(QStringLiteral("update field_description set soil_id=-99 where soil_id=?"), {soilId});
  tx.commit();
  return rows > 0;
}

}  // namespace trb::sites
