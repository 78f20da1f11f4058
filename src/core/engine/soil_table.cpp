#include "core/engine/soil_table.h"

#include <QSqlQuery>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "core/db/numbers.h"
#include "core/engine/calc_stop.h"

namespace trb::engine {

namespace {

const QString kTable = QStringLiteral("tmp_soil_prop");

double number_of(const QVariant& v) {
  return v.isNull() ? kMissing : v.toDouble();
}

QString org(const QString& name) {
  return name + QStringLiteral("_org");
}

}  // namespace

PoreSizes read_pore_sizes(trb::db::Database& db) {
  PoreSizes p;
  QSqlQuery q = db.query(QStringLiteral("select * from pore_size_parm"));
  if (q.next()) {
    const QSqlRecord r = q.record();
    p.mi = number_of(r.value(QStringLiteral("mi")));
    p.me = number_of(r.value(QStringLiteral("me")));
    p.ma = number_of(r.value(QStringLiteral("ma")));
  }
  return p;
}

PoreSizes build_soil_table(trb::db::Database& db, const SoilOptions& options,
                           trb::Feedback& feedback) {
  const PoreSizes pores = read_pore_sizes(db);
  db.dropTable(kTable);
  // Databases without a stone content count as stone-free.
  const QString skelett = db.hasColumn(QStringLiteral("soilproperties"), QStringLiteral("skelett"))
                              ? QStringLiteral(" soilproperties.skelett/100 as skelett, ")
                              : QStringLiteral(" 0 as skelett, ");
  const QString sql =
      QStringLiteral(R"sql(
SELECT  site_state.FL_ID, measurements.year, measurements.meas_value AS corg,
soilproperties.soil_ID,
soilproperties.profile, soilproperties.BA_RBS_CODE, soilproperties.BA_RBS,
soilproperties.BA_KA4,
soilproperties.BA_LfL, soilproperties.clay, soilproperties.silt,
soilproperties.silt_org, soilproperties.sand,
soilproperties.sand_org, soilproperties.FAT, soilproperties.FAT_org,
soilproperties.PWP, soilproperties.PWP_org,
soilproperties.PV, soilproperties.PV_org, soilproperties.FC, soilproperties.FC_org,
soilproperties.PD, soilproperties.PD_org, soilproperties.BD, soilproperties.BD_org, )sql") +
      skelett +
      QStringLiteral(
          "soilproperties.cif, soilproperties.cif_org, 0 as soil_cat INTO tmp_soil_prop  "
          "FROM ((site_state INNER JOIN field_description ON site_state.FL_ID = "
          "field_description.FL_ID)  "
          "INNER JOIN soilproperties ON field_description.soil_ID = soilproperties.soil_ID) "
          "INNER JOIN measurements ON (site_state.FL_ID = measurements.FL_ID) AND "
          "(field_description.FL_ID = measurements.FL_ID) "
          "WHERE (((measurements.M_IX)=7) AND ((measurements.year_number)=0) AND "
          "((site_state.status)=1)) ");
  const int rows = db.execute(sql);
  feedback.info(QStringLiteral("tmp soil :") + QString::number(rows));
  // a start value that is not a finite number is missing
  db.execute(QStringLiteral(
      "update tmp_soil_prop set corg=-99 where Abs(corg) > 1.7976931348623157E+308"));
  // a plot whose soil is not in soilproperties has no row: it cannot be calculated
  QSqlQuery lost = db.query(QStringLiteral(R"sql(
SELECT field_description.FL_ID, field_description.soil_ID FROM (site_state INNER JOIN
field_description ON site_state.FL_ID = field_description.FL_ID) LEFT JOIN
soilproperties ON field_description.soil_ID = soilproperties.soil_ID
WHERE site_state.status=1 AND soilproperties.soil_ID Is Null
ORDER BY field_description.FL_ID)sql"));
  while (lost.next())
    feedback.info(QStringLiteral("missing data for FL_ID%1: soil_ID %2 names no soil profile")
                      .arg(lost.value(0).toString(), lost.value(1).isNull()
                                                         ? QStringLiteral("(empty)")
                                                         : lost.value(1).toString()));
  feedback.info(QStringLiteral("checking soil properties"));
  complete_soil_table(db, options, pores, feedback);
  return pores;
}

void complete_soil_table(trb::db::Database& db, const SoilOptions& options, const PoreSizes& pores,
                         trb::Feedback& feedback) {
  // The rows are read and completed in chunks in the order of their rowids, so that the memory
  // does not grow with the table.
  const int total = db.scalar(QStringLiteral("select count(*) from tmp_soil_prop")).toInt();
  SoilTable table(db);
  trb::db::Transaction tx(db);
  std::vector<std::pair<qint64, QSqlRecord>> rows;
  qint64 after = std::numeric_limits<qint64>::min();
  int i = 0;
  while (true) {
    rows.clear();
    {
      QSqlQuery q = db.query(QStringLiteral(R"sql(
select top 2000 tmp_soil_prop.rowid as trb_rowid, tmp_soil_prop.* from
tmp_soil_prop where tmp_soil_prop.rowid > ? order by tmp_soil_prop.rowid)sql"),
                             {after});
      while (q.next()) rows.emplace_back(q.value(0).toLongLong(), q.record());
    }
    if (rows.empty()) break;
    for (const auto& [rowid, record] : rows) {
      feedback.setProgress(i++, total);
      SoilRow row(table, record, rowid);
      complete_soil_row(row, options, pores, feedback);
    }
    after = rows.back().first;
  }
  feedback.setProgress(total, total);
  tx.commit();
}

// --- SoilTable ----------------------------------------------------------------------------------

SoilTable::SoilTable(trb::db::Database& db) : db_(db), columns_(db.columns(kTable)) {}

SoilTable::~SoilTable() = default;

bool SoilTable::hasColumn(const QString& name) const {
  return columns_.contains(name, Qt::CaseInsensitive);
}

void SoilTable::write(qint64 rowid, const QString& name, const QVariant& given) {
  // a value the functions could not give a finite number for is missing
  const QVariant value = given.typeId() == QMetaType::Double && !std::isfinite(given.toDouble())
                             ? QVariant(kMissing)
                             : given;
  const QString key = name.toLower();
  const bool withFlag = hasColumn(org(name));
  auto it = updates_.find(key);
  if (it == updates_.end()) {
    // Column names come from this program, never from input.
    const QString sql = QStringLiteral("UPDATE tmp_soil_prop SET ") + name +
                        (withFlag ? QStringLiteral(" = ?, ") + org(name) + QStringLiteral(" = ?")
                                  : QStringLiteral(" = ?")) +
                        QStringLiteral(" WHERE rowid = ?");
    it = updates_.emplace(key, std::make_unique<trb::db::Statement>(db_, sql)).first;
  }
  if (withFlag)
    it->second->exec({value, false, rowid});
  else
    it->second->exec({value, rowid});
}

// --- SoilRow ------------------------------------------------------------------------------------

double SoilRow::number(const QString& name) const {
  const int i = values_.indexOf(name);
  return i < 0 ? kMissing : number_of(values_.value(i));
}

QString SoilRow::text(const QString& name) const {
  const int i = values_.indexOf(name);
  return i < 0 ? QString() : values_.value(i).toString();
}

bool SoilRow::original(const QString& name) const {
  const int f = values_.indexOf(org(name));
  const bool flagged = f >= 0 && !values_.value(f).isNull() && values_.value(f).toDouble() != 0;
  // A flag without a value (empty or missing) marks nothing: the value is derived like any other.
  return flagged && !is_missing(number(name));
}

double SoilRow::read_original_value(const QString& name) const {
  return original(name) ? number(name) : kMissing;
}

void SoilRow::write(const QString& name, const QVariant& value) {
  table_.write(rowid_, name, value);
  values_.setValue(name, value);
  if (values_.indexOf(org(name)) >= 0) values_.setValue(org(name), 0);
}

bool SoilRow::store_if_not_original(const QString& name, double value) {
  if (!table_.hasColumn(name)) return false;
  if (!original(name)) write(name, value);
  return true;
}

void SoilRow::store_missing(const QString& name) {
  if (table_.hasColumn(name)) write(name, kMissing);
}

void SoilRow::store_soil_cat(int soil_cat) {
  if (table_.hasColumn(QStringLiteral("soil_cat"))) write(QStringLiteral("soil_cat"), soil_cat);
}

// --- completing a row ---------------------------------------------------------------------------

int soil_cat_of(double fc, double pwp) {
  if (is_missing(fc) || is_missing(pwp)) return static_cast<int>(kMissing);
  const double d = fc - pwp;
  if (d <= 15) return 1;
  if (d < 20) return 2;
  if (d < 23) return 3;
  return 4;
}

void write_back_soil_row(SoilRow& row, double silt, const SoilRecord& rec) {
  row.store_if_not_original(QStringLiteral("silt"), silt);
  const std::pair<const char*, const SoilValue*> derived[] = {
      {"BD", &rec.BD}, {"PD", &rec.PD},   {"FC", &rec.FC},   {"PWP", &rec.PWP},
      {"PV", &rec.PV}, {"cif", &rec.cif}, {"FAT", &rec.FAT}, {"sand", &rec.sand}};
  for (const auto& [name, v] : derived)
    if (!v->present) row.store_if_not_original(QString::fromLatin1(name), v->value);
  row.store_soil_cat(soil_cat_of(rec.FC.value, rec.PWP.value));
}

void complete_soil_row(SoilRow& row, const SoilOptions& options, const PoreSizes& pores,
                       trb::Feedback& feedback) {
  QStringList problems;
  double clay = row.number(QStringLiteral("clay"));
  double silt = row.read_original_value(QStringLiteral("silt"));
  const double fat = row.read_original_value(QStringLiteral("FAT"));
  const bool hasClay = !is_missing(clay);
  if (!hasClay) problems << QStringLiteral("no clay");

  // The fine fraction stands at 0.006 mm in this direction.
  if (hasClay && silt <= 0 && fat > 0) silt = loglin_interp(0.063, 0.006, 0.002, fat, clay) - clay;

  if (hasClay && silt < 0) {
    ClassTable table;
    QString name;
    if (options.soil_scheme == u"RBS") {
      table = ClassTable::RBS;
      name = row.text(QStringLiteral("BA_RBS"));
    } else if (options.soil_scheme == u"KA4") {
      table = ClassTable::KA4;
      name = row.text(QStringLiteral("BA_KA4"));
    } else {
      throw CalcStop(QStringLiteral("unrecognised soil classification scheme"),
                     QStringLiteral("ERROR"));
    }
    const std::optional<double> fromClass = silt_from_class(name, table, options.interpol, clay);
    if (!fromClass) {
      silt = kMissing;
      if (interpol_name(options.interpol).isEmpty())
        problems << QStringLiteral("no silt for class choice I=%1").arg(options.interpol);
      else
        problems << QStringLiteral("soil class \"%1\" not in the %2 table")
                        .arg(name, options.soil_scheme);
    } else {
      silt = *fromClass;
      if (silt <= 0)
        problems << QStringLiteral("soil class \"%1\" with clay %2 gives silt %3")
                        .arg(name, trb::fmt_general(clay), trb::fmt_general(silt));
    }
  } else if (hasClay && silt <= 0) {
    problems << QStringLiteral("silt %1 is not above 0").arg(trb::fmt_general(silt));
  }
  // Without clay and a silt above 0 nothing that rests on the texture can be trusted.
  const bool texture = hasClay && silt > 0;
  if (!texture) silt = kMissing;

  const double bd = row.read_original_value(QStringLiteral("BD"));
  const double pd = row.read_original_value(QStringLiteral("PD"));
  const double pv = row.read_original_value(QStringLiteral("PV"));
  const double fc = row.read_original_value(QStringLiteral("FC"));
  const double pwp = row.read_original_value(QStringLiteral("PWP"));
  const double corg = row.number(QStringLiteral("corg"));
  if (clay == 0) clay = 0.0001;

  SoilRecord rec;
  rec.fill(clay, silt, kMissing, fat, bd, pd, pv, fc, pwp, kMissing);
  if (texture) rec.sand.value = 100 - clay - silt;

  const double mediumPores = row.text(QStringLiteral("BA_RBS")) == u"L" ? 12 : 10;
  complete_soil_record(options.hymode, rec, options.pf_fk, options.pf_wp, pores.ma, mediumPores,
                       pores.mi, corg);
  if (!texture) rec.cif = SoilValue{};

  write_back_soil_row(row, silt, rec);
  // A supplied inert fraction would let the balance run on a soil it cannot describe.
  if (!texture) row.store_missing(QStringLiteral("cif"));

  const QStringList missing = rec.missing_names();
  if (missing.isEmpty() && problems.isEmpty()) return;
  if (hymode_name(options.hymode).isEmpty() &&
      (missing.contains(QStringLiteral("FC")) || missing.contains(QStringLiteral("PWP"))))
    problems << QStringLiteral("unknown pedotransfer mode %1").arg(options.hymode);
  if (missing.contains(QStringLiteral("cif")) && !(pores.mi > 0 && pores.ma > 0))
    problems << QStringLiteral("no pore-size divisors in pore_size_parm");
  if (is_missing(corg) && !missing.isEmpty())
    problems << QStringLiteral("no start value of soil carbon");
  QString line = QStringLiteral("incomplete soil data for FL_ID %1, year %2, soil_ID %3")
                     .arg(row.text(QStringLiteral("FL_ID")), row.text(QStringLiteral("year")),
                          row.text(QStringLiteral("soil_ID")));
  if (!missing.isEmpty())
    problems << QStringLiteral("missing ") + missing.join(QStringLiteral(", "));
  line += QStringLiteral(": ") + problems.join(QStringLiteral("; "));
  feedback.info(line);
}

}  // namespace trb::engine
