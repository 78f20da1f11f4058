#include "core/references/reference_list.h"

#include "core/db/database.h"

namespace trb::references {

namespace {

using db::Reader;

ReferenceRow read_row(const Reader& r) {
  ReferenceRow row;
  auto text = [&r](const char* column) {
    const int i = r.indexOf(QString::fromLatin1(column));
    return i < 0 ? QString() : r.toString(i);
  };
  auto number = [&r](const char* column) {
    const int i = r.indexOf(QString::fromLatin1(column));
    return i < 0 || r.isNull(i) ? qlonglong(-1) : r.toLongLong(i);
  };
  row.litId = number("lit_id");
  row.autor = text("Autor");
  row.jahr = text("Jahr");
  row.titel = text("Titel");
  row.produkt = text("produkt");
  row.herausgeber = text("herausgeber");
  row.quelle = text("quelle");
  row.ort = text("ort");
  row.band = text("band");
  row.seite = text("seite");
  row.ausgabe = text("ausgabe");
  row.versuchsCode = text("versuchs_code");
  if (row.versuchsCode.isEmpty()) row.versuchsCode = text("versuch_code");
  row.flId = number("FL_ID");
  row.keyId = number("key_id");
  return row;
}

QList<ReferenceRow> read_rows(db::Database& db, const QString& sql, const QVariantList& binds) {
  QList<ReferenceRow> rows;
  Reader r(db, sql, binds);
  while (r.next()) rows << read_row(r);
  return rows;
}

}  // namespace

QList<ReferenceRow> experiment_references(db::Database& db, const QString& location) {
  return read_rows(db, QStringLiteral(R"sql(
SELECT DISTINCT field_description.Location, ref2vcode.lit_id, ref2vcode.versuchs_code,
referenzen.autor, referenzen.Titel, referenzen.jahr, referenzen.produkt, referenzen.seite,
referenzen.quelle
FROM field_description INNER JOIN (ref2vcode INNER JOIN referenzen ON
ref2vcode.lit_id = referenzen.lit_id) ON field_description.versuch_code = ref2vcode.versuchs_code
WHERE location = ?
ORDER BY ref2vcode.lit_id)sql"),
                   {location});
}

QList<ReferenceRow> plot_references(db::Database& db, qlonglong plot,
                                    std::optional<qlonglong> keyId) {
  QString sql = QStringLiteral(R"sql(
SELECT key2ref2fl.key_id, field_description.FL_ID, referenzen.lit_id,
referenzen.Autor, referenzen.Jahr, referenzen.Titel, referenzen.produkt,
referenzen.herausgeber, referenzen.quelle, referenzen.ort, referenzen.band,
referenzen.seite, referenzen.ausgabe, field_description.versuch_code
FROM (field_description INNER JOIN key2ref2fl ON field_description.FL_ID = key2ref2fl.fl_id)
INNER JOIN referenzen ON key2ref2fl.ref_id = referenzen.lit_id
WHERE field_description.FL_ID = ?)sql");
  QVariantList binds{plot};
  if (keyId) {
    sql += QStringLiteral(" AND key2ref2fl.key_id = ?");
    binds << *keyId;
  }
  sql += QStringLiteral(" ORDER BY referenzen.lit_id, key2ref2fl.key_id");
  return read_rows(db, sql, binds);
}

QStringList compact_lines(const ReferenceRow& row) {
  QStringList lines;
  for (const QString* s :
       {&row.quelle, &row.autor, &row.jahr, &row.titel, &row.produkt, &row.seite})
    if (!s->isEmpty()) lines << *s;
  return lines;
}

QString experiment_code_of_location(db::Database& db, const QString& location) {
  Reader r(db, QStringLiteral("SELECT versuch_code FROM field_description WHERE location = ?"),
           {location});
  return r.next() ? r.toString(0) : QString();
}

QString experiment_code_of_plot(db::Database& db, qlonglong plot) {
  Reader r(db, QStringLiteral("SELECT versuch_code FROM field_description WHERE FL_ID = ?"),
           {plot});
  return r.next() ? r.toString(0) : QString();
}

bool add_experiment_reference(db::Database& db, const QString& versuchsCode,
                              const QString& litIdText) {
  bool ok = false;
  const qlonglong litId = litIdText.trimmed().toLongLong(&ok);
  if (!ok || versuchsCode.isEmpty()) return false;
  if (!db.scalar(QStringLiteral("SELECT lit_id FROM referenzen WHERE lit_id = ?"), {litId})
           .isValid())
    return false;
  const bool linked = db.scalar(QStringLiteral("SELECT lit_id FROM ref2vcode WHERE lit_id = ? AND "
                                               "versuchs_code = ?"),
                                {litId, versuchsCode})
                          .isValid();
  if (!linked)
    db.execute(QStringLiteral("INSERT INTO ref2vcode (lit_id, versuchs_code) VALUES (?, ?)"),
               {litId, versuchsCode});
  return true;
}

void delete_experiment_reference(db::Database& db, qlonglong litId, const QString& versuchsCode) {
  db.execute(QStringLiteral("DELETE FROM ref2vcode WHERE lit_id = ? AND versuchs_code = ?"),
             {litId, versuchsCode});
}

QStringList experiment_relations(db::Database& db, qlonglong litId) {
  QStringList lines;
  Reader r(db, QStringLiteral(R"sql(
SELECT ref2vcode.lit_id, ref2vcode.versuchs_code, field_description.Location
FROM ref2vcode INNER JOIN field_description ON ref2vcode.versuchs_code =
field_description.versuch_code
GROUP BY ref2vcode.lit_id, ref2vcode.versuchs_code, field_description.Location
HAVING lit_id = ?)sql"),
           {litId});
  while (r.next()) lines << r.toString(1) + QStringLiteral(" :  ") + r.toString(2);
  return lines;
}

QList<ExperimentChoice> experiment_choices(db::Database& db) {
  QList<ExperimentChoice> list;
  Reader r(db, QStringLiteral("SELECT DISTINCT versuch_code, location FROM field_description "
                              "ORDER BY versuch_code, location"));
  while (r.next()) list << ExperimentChoice{r.toString(0), r.toString(1)};
  return list;
}

QList<Keyword> keywords(db::Database& db) {
  QList<Keyword> list;
  Reader r(db, QStringLiteral("SELECT key_id, key_name, description FROM refkey_def ORDER BY "
                              "key_id"));
  while (r.next()) list << Keyword{r.toLongLong(0), r.toString(1), r.toString(2)};
  return list;
}

QStringList keyword_relations(db::Database& db, qlonglong plot, qlonglong litId) {
  QStringList lines;
  Reader r(db, QStringLiteral(R"sql(
SELECT key2ref2fl.key_id, refkey_def.key_name, refkey_def.description,
key2ref2fl.fl_id, key2ref2fl.ref_id FROM refkey_def
INNER JOIN key2ref2fl ON refkey_def.key_id = key2ref2fl.key_id
WHERE key2ref2fl.fl_id = ? AND key2ref2fl.ref_id = ?
ORDER BY key2ref2fl.key_id)sql"),
           {plot, litId});
  while (r.next())
    lines << r.toString(0) + QStringLiteral(" :  ") + r.toString(1) + QStringLiteral("  [") +
                 r.toString(2) + QStringLiteral("]");
  return lines;
}

void add_keyword_relation(db::Database& db, qlonglong keyId, qlonglong litId, qlonglong plot) {
  db.execute(QStringLiteral("INSERT INTO key2ref2fl (key_id, ref_id, fl_id) VALUES (?, ?, ?)"),
             {keyId, litId, plot});
}

void delete_keyword_relation(db::Database& db, qlonglong keyId, qlonglong litId, qlonglong plot) {
  db.execute(QStringLiteral("DELETE FROM key2ref2fl WHERE fl_id = ? AND ref_id = ? AND key_id = ?"),
             {plot, litId, keyId});
}

QString pdf_file(const QString& pdfDir, qlonglong litId) {
  return pdfDir + QString::number(litId) + QStringLiteral(".pdf");
}

}  // namespace trb::references
