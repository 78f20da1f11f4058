#include "core/parameters/parameter_tables.h"

#include <QCoreApplication>

#include "core/db/database.h"
#include "core/db/table_editor.h"

using trb::db::Database;
using trb::db::Reader;

namespace trb::parameters {

namespace {

const QString kRsTable = QStringLiteral("rs_table");

}  // namespace

std::optional<int> findProfile(Database& db, const QString& name) {
  const QVariant v =
      db.scalar(QStringLiteral("select soil_id from soilproperties where profile = ?"), {name});
  if (!v.isValid() || v.isNull()) return std::nullopt;
  return v.toInt();
}

std::optional<ProfileLookup> find_or_create_profile(Database& db, const QString& name,
                                                    const std::function<bool()>& confirmCreate) {
  if (name.trimmed().isEmpty()) return std::nullopt;
  if (const auto found = findProfile(db, name)) return ProfileLookup{*found, false};
  if (!confirmCreate()) return std::nullopt;
  trb::db::Transaction tx(db);
  const int key = db.getKey(kSoilTable, QStringLiteral("soil_id"));
  db.execute(QStringLiteral("insert into soilproperties (soil_id, profile) values (?, ?)"),
             {key, name});
  tx.commit();
  return ProfileLookup{key, true};
}

const QStringList& checkedSoilColumns() {
  static const QStringList cols = {QStringLiteral("silt"), QStringLiteral("FAT"),
                                   QStringLiteral("BD"),   QStringLiteral("PV"),
                                   QStringLiteral("FC"),   QStringLiteral("PWP")};
  return cols;
}

void check_soil_values(Database& db, int soilId) {
  const QStringList present = db.columns(kSoilTable);
  QStringList cols;
  for (const QString& c : checkedSoilColumns())
    if (present.contains(c, Qt::CaseInsensitive) &&
        present.contains(c + QStringLiteral("_org"), Qt::CaseInsensitive))
      cols << c;
  if (cols.isEmpty()) return;
  Reader r(db,
           QStringLiteral("select ") + cols.join(QStringLiteral(", ")) +
               QStringLiteral(" from soilproperties where soil_id = ?"),
           {soilId});
  if (!r.next()) return;
  QStringList sets;
  QVariantList binds;
  for (int i = 0; i < cols.size(); ++i) {
    const bool supplied = !r.isNull(i) && r.toDouble(i) > 0;
    sets << cols[i] + QStringLiteral(" = ?") << cols[i] + QStringLiteral("_org = ?");
    binds << (supplied ? r.value(i) : QVariant(-99)) << (supplied ? -1 : 0);
  }
  binds << soilId;
  db.execute(QStringLiteral("update soilproperties set ") + sets.join(QStringLiteral(", ")) +
                 QStringLiteral(" where soil_id = ?"),
             binds);
}

QStringList databaseTables(Database& db) {
  return db.userTables();
}

const QStringList& resultTables() {
  static const QStringList tables = {QStringLiteral("trb_stat_corg"), QStringLiteral("trb_stat_nt"),
                                     QStringLiteral("trb_n_bilanz"), QStringLiteral("trb_nsaldo"),
                                     kRsTable};
  return tables;
}

std::unique_ptr<trb::db::TableEditor> openTable(Database& db, const QString& table) {
  auto editor = std::make_unique<trb::db::TableEditor>(db, table);
  if (table.compare(kRsTable, Qt::CaseInsensitive) == 0)
    editor->setOrder(QStringLiteral("abs(m_ix), fl_id,year_num"));
  return editor;
}

trb::transfer::Sheet tableSheet(Database& db, const QString& table) {
  // the columns and order of the grid that shows it
  const auto editor = openTable(db, table);
  trb::transfer::Sheet sheet;
  for (const auto& c : editor->columns()) sheet.titles << c.name;
  for (const auto& row : editor->readRows()) sheet.rows << row.values;
  sheet.name = table;
  sheet.decimals = 4;
  return sheet;
}

QList<ReferenceRow> readReferences(Database& db) {
  QList<ReferenceRow> out;
  Reader r(db, QStringLiteral(
                   "select lit_id,quelle,autor,jahr,left(jahr,10) as jahr_ , titel ,produkt,seite,"
                   "ausgabe,left(titel,150) as vstitel, left(titel,250) as stitel from referenzen "
                   "order by lit_id"));
  while (r.next()) {
    ReferenceRow row;
    row.litId = r.toLongLong(0);
    row.quelle = r.toString(1);
    row.autor = r.toString(2);
    row.jahr = r.toString(3);
    row.jahrShort = r.toString(4);
    row.titel = r.toString(5);
    row.produkt = r.toString(6);
    row.seite = r.toString(7);
    row.ausgabe = r.toString(8);
    row.listTitle = r.toString(9);
    out << row;
  }
  return out;
}

QString referenceText(const ReferenceRow& r) {
  const QList<QPair<QString, QString>> fields = {
      {QStringLiteral("lit_id"), QString::number(r.litId)},
      {QStringLiteral("Quelle"), r.quelle},
      {QStringLiteral("Autor"), r.autor},
      {QStringLiteral("Jahr"), r.jahr},
      {QStringLiteral("Titel"), r.titel},
      {QStringLiteral("Produkt"), r.produkt},
      {QStringLiteral("Seite"), r.seite},
      {QStringLiteral("Ausgabe"), r.ausgabe}};
  QStringList lines;
  for (const auto& [name, value] : fields)
    if (!value.trimmed().isEmpty()) lines << name.leftJustified(10) + QStringLiteral(":  ") + value;
  return lines.join(u'\n');
}

}  // namespace trb::parameters
