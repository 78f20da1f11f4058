#include "core/transfer/plot_transfer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <iterator>

#include "core/base/error.h"
#include "core/base/feedback.h"

namespace trb::transfer {

namespace {

// The destination's name on the open connection while it is attached.
const QString kDst = QStringLiteral("trb_dst");

QString tr(const char* text) {
  return QCoreApplication::translate("trb::transfer::PlotTransfer", text);
}

// The copies of the plot's rows: the columns named here are copied, the others take the
// destination's defaults (meas_id and cultivation_id are numbered anew there).
struct TableCopy {
  const char* table;
  const char* columns;
  const char* key;
  // Copied as well where both databases have them: a copy without them would lose data (the
  // stones of a soil change its simulated contents); older files lack some of them.
  const char* optional = "";
};

const TableCopy kPlotTables[] = {
    {"measurements", "fl_id,m_ix,day,month,year,year_number,meas_value", "fl_id"},
    {"cultivation", "fl_id,day,month,year,macode,item_ix,sim_quantity,quantity", "fl_id"},
    {"field_description",
     "fl_id,herkunft,soil_id,climate_id,location,site_description,mw_bat,versuch_code,"
     "classification,comment",
     "fl_id", "area"},
    {"site_state", "fl_id", "fl_id"},
};

const TableCopy kSoil = {"soilproperties",
                         "soil_ID,profile,BA_RBS_CODE,BA_RBS,BA_KA4,BA_LfL,clay,silt,silt_org,sand,"
                         "sand_org,FAT,FAT_org,PWP,PWP_org,PV,PV_org,FC,FC_org,PD,PD_org,BD,BD_org,"
                         "cif,cif_org",
                         "soil_id", "skelett"};
const TableCopy kStation = {"climate_station", "climate_ID,station", "climate_id",
                            "year0_nd,ndep_0,year1_nd,ndep_1"};
const TableCopy kWeather = {"climate_data", "climate_ID,day,month,year,temperature,precipitation",
                            "climate_id"};
// The station's deposition of single years, which the nitrogen balance reads.
const TableCopy kDeposition = {"reg_ndeposit", "climate_id,year,N_dep_y", "climate_id"};
const TableCopy kExperiment = {"experiments", "exp_id,vcode,location,herkunft", "exp_id"};
const TableCopy kLinks = {"ref2vcode", "lit_id,versuchs_code", "lit_id"};
// Copied with every column both files have.
const char* const kWholeRowTables[] = {"referenzen", "slvopspa", "slvpflan"};

// The columns of a soil and of a station that the calculation and the nitrogen balance read; the
// rest (key and name) tells them apart for the user only.
const char* const kSoilValues[] = {
    "BA_RBS_CODE", "BA_RBS", "BA_KA4",  "BA_LfL", "clay",    "silt", "silt_org", "sand",
    "sand_org",    "FAT",    "FAT_org", "PWP",    "PWP_org", "PV",   "PV_org",   "FC",
    "FC_org",      "PD",     "PD_org",  "BD",     "BD_org",  "cif",  "cif_org",  "skelett"};
const char* const kStationValues[] = {"year0_nd", "ndep_0", "year1_nd", "ndep_1"};

// Rows of table whose key is the bound value, copied with the given columns into the same table
// of the destination.
int copyRows(db::Database& db, const QString& table, const QString& columns, const QString& key,
             const QVariant& value) {
  return db.execute(QStringLiteral("insert into ") + kDst + u'.' + table + QStringLiteral(" (") +
                        columns + QStringLiteral(") select ") + columns +
                        QStringLiteral(" from main.") + table + QStringLiteral(" where ") + key +
                        QStringLiteral(" = ?"),
                    {value});
}

// Equal as the calculation sees them: numbers by value, texts without regard to case (as the
// database compares them).
bool sameValue(const QVariant& a, const QVariant& b) {
  if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
  auto number = [](const QVariant& v) {
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong ||
           v.typeId() == QMetaType::Int;
  };
  if (number(a) && number(b)) return a.toDouble() == b.toDouble();
  return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
}

QString quoted(const QString& name) {
  return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool isAccessFile(const QString& file) {
  const QString suffix = QFileInfo(file).suffix().toLower();
  return suffix == u"mdb" || suffix == u"accdb";
}

}  // namespace

QString TransferPlot::line() const {
  return QStringLiteral(" %1: %2-%3").arg(flId).arg(location, siteDescription);
}

int plot_of_line(const QString& line) {
  const int colon = line.indexOf(u':');
  if (colon < 0) return -99;
  bool ok = false;
  const int id = line.left(colon).trimmed().toInt(&ok);
  return ok ? id : -99;
}

QList<TransferPlot> transfer_plots(db::Database& db) {
  QList<TransferPlot> out;
  db::Reader r(
      db, QStringLiteral("select fl_id,location, site_description from field_description order by "
                         "location, site_description"));
  while (r.next()) out.append({int(r.toLongLong(0)), r.toString(1), r.toString(2)});
  return out;
}

QString KeyCheck::table() const {
  return phase == Phase::OrganicMatters ? QStringLiteral("slvopspa") : QStringLiteral("slvpflan");
}

// Keeps the destination attached while it lives; nested uses share one attachment.
class PlotTransfer::Attached {
 public:
  explicit Attached(PlotTransfer& t) : t_(t) {
    if (!t_.hasDestination())
      throw trb::Error(tr("Choose the destination database first."), tr("data transfer"));
    if (t_.attachDepth_++ == 0) {
      try {
        t_.db_.attachFile(t_.destination_, kDst);
      } catch (...) {
        --t_.attachDepth_;
        throw;
      }
    }
  }
  ~Attached() {
    if (--t_.attachDepth_ == 0) t_.db_.detachFile(kDst);
  }
  Attached(const Attached&) = delete;
  Attached& operator=(const Attached&) = delete;

 private:
  PlotTransfer& t_;
};

PlotTransfer::PlotTransfer(db::Database& source) : db_(source) {}

void PlotTransfer::selectDestination(const QString& file) {
  const QString caption = tr("data transfer");
  if (isAccessFile(file))
    throw trb::Error(tr("%1 is an Access file: such files are only read. Open it as the system "
                        "database once (it is imported into a SQLite file beside it) and choose "
                        "that file as the destination.")
                         .arg(file),
                     caption);
  const QFileInfo fi(file);
  if (!fi.exists()) throw trb::Error(tr("The file %1 does not exist.").arg(file), caption);
  if (fi.absoluteFilePath() == QFileInfo(db_.path()).absoluteFilePath())
    throw trb::Error(
        tr("%1 is the open database; choose another file as the destination.").arg(file), caption);
  {
    // a trb database: the plot table is there
    db::Database probe = db::Database::open(file);
    if (!probe.hasTable(QStringLiteral("field_description")))
      throw trb::Error(tr("The file %1 is not a trb database.").arg(file), caption);
  }
  QString bak = backupName(file);
  QString kept;
  QFile marker(unfinishedMarker(file));
  if (marker.exists()) {
    // a transfer into this file did not finish: its backup may be the only untouched copy
    kept = marker.open(QIODevice::ReadOnly) ? QString::fromUtf8(marker.readAll()).trimmed() : bak;
    marker.close();
    if (kept.isEmpty()) kept = bak;
    int n = 1;
    while (QFile::exists(bak + u'.' + QString::number(n))) ++n;
    bak += u'.' + QString::number(n);
  } else if (QFile::exists(bak) && !QFile::remove(bak)) {
    throw trb::Error(tr("The backup %1 cannot be replaced.").arg(bak), caption);
  }
  QFile source(file);
  if (!source.copy(bak))
    throw trb::Error(tr("The backup %1 cannot be written: %2").arg(bak, source.errorString()),
                     caption);
  destination_ = fi.absoluteFilePath();
  backup_ = bak;
  keptBackup_ = kept;
}

QList<TransferPlot> PlotTransfer::destinationPlots() {
  Attached a(*this);
  QList<TransferPlot> out;
  {
    db::Reader r(db_, QStringLiteral("select fl_id,location,site_description from ") + kDst +
                          QStringLiteral(".field_description order by fl_id"));
    while (r.next()) out.append({int(r.toLongLong(0)), r.toString(1), r.toString(2)});
  }
  return out;
}

bool PlotTransfer::destinationHas(const QString& table, const QString& key, const QVariant& value) {
  return db_.scalar(QStringLiteral("select count(*) from ") + kDst + u'.' + table +
                        QStringLiteral(" where ") + key + QStringLiteral(" = ?"),
                    {value})
             .toInt() > 0;
}

namespace {

// The columns of a table in one of the files on the connection ("main" or the destination's
// name); empty when that file lacks the table.
QStringList columns_of(db::Database& db, const QString& schema, const QString& table) {
  QStringList out;
  db::Reader r(db, QStringLiteral("select name from pragma_table_info(?, ?)"), {table, schema});
  while (r.next()) out << r.toString(0);
  return out;
}

// The plot's soil and climate station keys, as stored (null where it has none).
std::pair<QVariant, QVariant> soil_and_station(db::Database& db, int flId) {
  db::Reader r(db,
               QStringLiteral("select soil_id, climate_id from field_description where fl_id=?"),
               {flId});
  if (!r.next()) return {};
  return {r.value(0), r.value(1)};
}

// A table a transfer writes, with the columns of the source it copies there.
struct Written {
  QString table;
  QStringList columns;
};

QList<Written> written_columns(db::Database& db) {
  QList<Written> out;
  const QString main = QStringLiteral("main");
  auto add = [&](const TableCopy& c) {
    const QString table = QString::fromLatin1(c.table);
    const QStringList have = columns_of(db, main, table);
    if (have.isEmpty()) return;
    QStringList cols;
    for (const QString& col : QString::fromLatin1(c.columns).split(u',')) cols << col.trimmed();
    for (const QString& o : QString::fromLatin1(c.optional).split(u',', Qt::SkipEmptyParts))
      if (have.contains(o, Qt::CaseInsensitive)) cols << o;
    out.append({table, cols});
  };
  for (const TableCopy& c : kPlotTables) add(c);
  for (const TableCopy& c : {kSoil, kStation, kWeather, kDeposition, kExperiment, kLinks}) add(c);
  for (const char* t : kWholeRowTables) {
    const QString table = QString::fromLatin1(t);
    const QStringList have = columns_of(db, main, table);
    if (!have.isEmpty()) out.append({table, have});
  }
  return out;
}

}  // namespace

QStringList PlotTransfer::sharedColumns(const QString& table) {
  const QStringList dst = columns_of(db_, kDst, table);
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  QStringList out;
  for (const QString& c : columns_of(db_, QStringLiteral("main"), table))
    if (dst.contains(c, Qt::CaseInsensitive) && plain.match(c).hasMatch()) out << c;
  return out;
}

QStringList PlotTransfer::missingInDestination() {
  Attached a(*this);
  QStringList out;
  for (const Written& w : written_columns(db_)) {
    const QStringList dst = columns_of(db_, kDst, w.table);
    if (dst.isEmpty()) {
      out << w.table;
      continue;
    }
    for (const QString& c : w.columns)
      if (!dst.contains(c, Qt::CaseInsensitive)) out << w.table + u'.' + c;
  }
  return out;
}

void PlotTransfer::updateDestinationSchema(Feedback& feedback) {
  const QStringList missing = missingInDestination();
  if (missing.isEmpty()) return;
  static const QRegularExpression head(
      QStringLiteral(R"(^\s*CREATE\s+TABLE\s+("[^"]+"|\[[^\]]+\]|`[^`]+`|\S+))"),
      QRegularExpression::CaseInsensitiveOption);
  for (const QString& item : missing) {
    const int dot = int(item.indexOf(u'.'));
    const QString table = dot < 0 ? item : item.left(dot);
    if (dot < 0) {
      // the source's definition of the table, created in the destination
      QString sql;
      {
        db::Reader r(db_, QStringLiteral("select name, sql from main.sqlite_master where type = "
                                         "'table'"));
        while (r.next() && sql.isEmpty())
          if (r.toString(0).compare(table, Qt::CaseInsensitive) == 0) sql = r.toString(1);
      }
      sql.replace(head, QStringLiteral("CREATE TABLE ") + kDst + u'.' + quoted(table));
      db_.runNative(sql);
      continue;
    }
    const QString column = item.mid(dot + 1);
    QString sql;
    {
      db::Reader r(db_,
                   QStringLiteral("select name, type, dflt_value from pragma_table_info(?, "
                                  "'main')"),
                   {table});
      while (r.next() && sql.isEmpty()) {
        if (r.toString(0).compare(column, Qt::CaseInsensitive) != 0) continue;
        sql = QStringLiteral("ALTER TABLE ") + kDst + u'.' + quoted(table) +
              QStringLiteral(" ADD COLUMN ") + quoted(r.toString(0)) + u' ' + r.toString(1);
        if (!r.isNull(2)) sql += QStringLiteral(" DEFAULT (") + r.toString(2) + u')';
      }
    }
    if (!sql.isEmpty()) db_.runNative(sql);
  }
  feedback.info(tr("The destination is brought up to date before the copy: %1 added.")
                    .arg(missing.join(QStringLiteral(", "))));
}

namespace {

// Reads a row of table from the file schema: the given columns of the row whose key is value.
QVariantList row_of(db::Database& db, const QString& schema, const QString& table,
                    const QStringList& columns, const QString& key, const QVariant& value) {
  QVariantList out;
  db::Reader r(db,
               QStringLiteral("select ") + columns.join(u',') + QStringLiteral(" from ") + schema +
                   u'.' + table + QStringLiteral(" where ") + key + QStringLiteral(" = ?"),
               {value});
  if (r.next())
    for (int i = 0; i < columns.size(); ++i) out << r.value(i);
  return out;
}

// The first difference between the rows of table under key = value in both files: the rows are
// compared in the order of the columns, of which the first `identifying` name a row.
QString first_row_difference(db::Database& db, const QString& table, const QStringList& columns,
                             int identifying, const QString& key, const QVariant& value) {
  auto select = [&](const QString& schema) {
    return QStringLiteral("select ") + columns.join(u',') + QStringLiteral(" from ") + schema +
           u'.' + table + QStringLiteral(" where ") + key + QStringLiteral(" = ? order by ") +
           columns.join(u',');
  };
  auto count = [&](const QString& schema) {
    return db
        .scalar(QStringLiteral("select count(*) from ") + schema + u'.' + table +
                    QStringLiteral(" where ") + key + QStringLiteral(" = ?"),
                {value})
        .toLongLong();
  };
  const qlonglong here = count(QStringLiteral("main")), there = count(kDst);
  if (here != there)
    return tr("%1 (%2 rows in the open database, %3 in the destination)")
        .arg(table)
        .arg(here)
        .arg(there);
  db::Reader a(db, select(QStringLiteral("main")), {value});
  db::Reader b(db, select(kDst), {value});
  while (a.next() && b.next()) {
    for (int i = 0; i < columns.size(); ++i) {
      if (sameValue(a.value(i), b.value(i))) continue;
      QStringList where;
      for (int k = 0; k < identifying; ++k) where << columns.at(k) + u' ' + a.toString(k);
      return QStringLiteral("%1.%2 (%3)")
          .arg(table, columns.at(i), where.join(QStringLiteral(", ")));
    }
  }
  return QString();
}

}  // namespace

QString PlotTransfer::differingDependency(int flId) {
  const auto [soil, station] = soil_and_station(db_, flId);
  QStringList out;
  auto describe = [&](const QString& what, const QVariant& key, const QString& table,
                      const QString& keyColumn, const QString& nameColumn,
                      const char* const* values, int valueCount) {
    QStringList cols{nameColumn};
    const QStringList shared = sharedColumns(table);
    for (int i = 0; i < valueCount; ++i)
      if (shared.contains(QString::fromLatin1(values[i]), Qt::CaseInsensitive))
        cols << QString::fromLatin1(values[i]);
    const QVariantList here = row_of(db_, QStringLiteral("main"), table, cols, keyColumn, key);
    const QVariantList there = row_of(db_, kDst, table, cols, keyColumn, key);
    QString column;
    for (int i = 1; i < cols.size() && column.isEmpty(); ++i)
      if (!sameValue(here.value(i), there.value(i))) column = cols.at(i);
    if (column.isEmpty() && table == u"climate_station") {
      column = first_row_difference(
          db_, QStringLiteral("climate_data"),
          {QStringLiteral("year"), QStringLiteral("month"), QStringLiteral("day"),
           QStringLiteral("temperature"), QStringLiteral("precipitation")},
          3, QStringLiteral("climate_id"), key);
      if (column.isEmpty() && !columns_of(db_, kDst, QStringLiteral("reg_ndeposit")).isEmpty() &&
          !columns_of(db_, QStringLiteral("main"), QStringLiteral("reg_ndeposit")).isEmpty())
        column = first_row_difference(db_, QStringLiteral("reg_ndeposit"),
                                      {QStringLiteral("year"), QStringLiteral("N_dep_y")}, 1,
                                      QStringLiteral("climate_id"), key);
    }
    if (!column.isEmpty())
      out << tr("%1 %2 (\"%3\" in the open database, \"%4\" in the destination) differs in %5")
                 .arg(what, key.toString(), here.value(0).toString(), there.value(0).toString(),
                      column);
  };
  if (!soil.isNull() && soil.toLongLong() != -99 &&
      destinationHas(QStringLiteral("soilproperties"), QStringLiteral("soil_id"), soil))
    describe(tr("soil"), soil, QStringLiteral("soilproperties"), QStringLiteral("soil_id"),
             QStringLiteral("profile"), kSoilValues, int(std::size(kSoilValues)));
  if (!station.isNull() && station.toLongLong() != -99 &&
      destinationHas(QStringLiteral("climate_station"), QStringLiteral("climate_id"), station))
    describe(tr("station"), station, QStringLiteral("climate_station"),
             QStringLiteral("climate_id"), QStringLiteral("station"), kStationValues,
             int(std::size(kStationValues)));
  return out.join(QStringLiteral("; "));
}

KeyCheck PlotTransfer::checkKeys(int flId, KeyCheck::Phase phase, Feedback& feedback) {
  Attached a(*this);
  KeyCheck check;
  check.phase = phase;
  check.flId = flId;
  const bool ops = phase == KeyCheck::Phase::OrganicMatters;
  if (ops) {
    db::Reader r(db_, QStringLiteral(R"sql(
SELECT slvpflan.ewr_ix AS item_ix, "ewr" AS tag, cultivation.item_ix AS crop, slvopspa.name
FROM (cultivation INNER JOIN slvpflan ON cultivation.item_ix = slvpflan.item_ix)
LEFT JOIN slvopspa ON slvpflan.ewr_ix = slvopspa.item_ix
WHERE cultivation.fl_id = ? AND cultivation.macode IN (0, 2, 9) AND slvpflan.ewr_ix IS NOT NULL
UNION
SELECT slvpflan.kop_ix, "kop", cultivation.item_ix, slvopspa.name
FROM (cultivation INNER JOIN slvpflan ON cultivation.item_ix = slvpflan.item_ix)
LEFT JOIN slvopspa ON slvpflan.kop_ix = slvopspa.item_ix
WHERE cultivation.fl_id = ? AND cultivation.macode IN (0, 2, 9) AND slvpflan.kop_ix IS NOT NULL
UNION
SELECT slvpflan.grd_ix, "GRD", cultivation.item_ix, slvopspa.name
FROM (cultivation INNER JOIN slvpflan ON cultivation.item_ix = slvpflan.item_ix)
LEFT JOIN slvopspa ON slvpflan.grd_ix = slvopspa.item_ix
WHERE cultivation.fl_id = ? AND cultivation.macode IN (0, 2, 9) AND slvpflan.grd_ix IS NOT NULL
UNION
SELECT cultivation.item_ix, "ops", -99, slvopspa.name
FROM cultivation LEFT JOIN slvopspa ON cultivation.item_ix = slvopspa.item_ix
WHERE cultivation.fl_id = ? AND cultivation.macode = 3
)sql"),
                 {flId, flId, flId, flId});
    while (r.next())
      check.used.append({int(r.toLongLong(0)), r.toString(1), int(r.toLongLong(2)), r.toString(3)});
  } else {
    db::Reader r(db_, QStringLiteral(R"sql(
SELECT cultivation.item_ix, slvpflan.name
FROM cultivation LEFT JOIN slvpflan ON cultivation.item_ix = slvpflan.item_ix
WHERE cultivation.fl_id = ? AND cultivation.macode IN (0, 2, 9)
GROUP BY cultivation.item_ix, slvpflan.name
)sql"),
                 {flId});
    while (r.next())
      check.used.append({int(r.toLongLong(0)), QStringLiteral("crop"), -99, r.toString(1)});
  }
  QStringList usedText;
  for (const KeyCheck::Item& it : std::as_const(check.used))
    usedText << (ops ? QStringLiteral("%1 %2 (%3)").arg(it.tag).arg(it.itemIx).arg(it.crop)
                     : QStringLiteral("%1 %2").arg(it.itemIx).arg(it.name));
  feedback.info(tr("plot %1 uses: %2").arg(flId).arg(usedText.join(QStringLiteral(", "))));

  const QString key = ops ? QStringLiteral("item_ix") : QStringLiteral("ITEM_IX");
  QSet<int> seen;
  for (const KeyCheck::Item& it : std::as_const(check.used)) {
    if (seen.contains(it.itemIx)) continue;
    seen.insert(it.itemIx);
    const QVariant dstName =
        db_.scalar(QStringLiteral("select name from ") + kDst + u'.' + check.table() +
                       QStringLiteral(" where ") + key + QStringLiteral(" = ?"),
                   {it.itemIx});
    if (dstName.isValid())
      check.hits << QStringLiteral("%1 ==>src: %2 ==>dst: %3")
                        .arg(it.itemIx)
                        .arg(it.name, dstName.toString());
    else
      check.missing << it.itemIx;
  }
  feedback.info(ops ? QStringLiteral("Trefferliste Ops:") : QStringLiteral("Trefferliste crops:"));
  for (const QString& h : std::as_const(check.hits)) feedback.info(h);
  feedback.info(ops ? QStringLiteral("Fehlerliste Ops:") : QStringLiteral("Fehlerliste Crops:"));
  for (int m : std::as_const(check.missing)) feedback.warning(QString::number(m));
  return check;
}

bool PlotTransfer::copyParameterRow(KeyCheck::Phase phase, int itemIx) {
  Attached a(*this);
  const QString table = phase == KeyCheck::Phase::OrganicMatters ? QStringLiteral("slvopspa")
                                                                 : QStringLiteral("slvpflan");
  if (destinationHas(table, QStringLiteral("item_ix"), itemIx)) return false;
  const QString columns = sharedColumns(table).join(u',');
  return copyRows(db_, table, columns, QStringLiteral("item_ix"), itemIx) > 0;
}

int PlotTransfer::missingItems(int flId) {
  Attached a(*this);
  Feedback silent;
  return int(checkKeys(flId, KeyCheck::Phase::OrganicMatters, silent).missing.size() +
             checkKeys(flId, KeyCheck::Phase::Crops, silent).missing.size());
}

void PlotTransfer::copyExperiment(const QString& vcode, Feedback& feedback) {
  db::Transaction tx(db_);
  db::Reader r(db_, QStringLiteral("select exp_id from experiments where vcode = ?"), {vcode});
  QList<qlonglong> keys;
  while (r.next()) keys << r.toLongLong(0);
  for (qlonglong key : std::as_const(keys)) {
    if (!destinationHas(QStringLiteral("experiments"), QStringLiteral("exp_id"), key)) {
      copyRows(db_, QString::fromLatin1(kExperiment.table),
               QString::fromLatin1(kExperiment.columns), QString::fromLatin1(kExperiment.key), key);
      continue;
    }
    // the key belongs to another experiment there: the row gets the next free one
    const QVariant next = db_.scalar(QStringLiteral("select max(exp_id)+1 from ") + kDst +
                                     QStringLiteral(".experiments"));
    db_.execute(QStringLiteral("insert into ") + kDst +
                    QStringLiteral(R"sql(.experiments (exp_id,vcode,location,herkunft)
select ?, vcode, location, herkunft from experiments where exp_id = ?)sql"),
                {next.toLongLong(), key});
    feedback.info(tr("experiment %1 gets the key %2 in the destination (%3 is taken there)")
                      .arg(vcode)
                      .arg(next.toLongLong())
                      .arg(key));
  }
  tx.commit();
}

void PlotTransfer::copyLiterature(const QString& vcode) {
  db::Transaction tx(db_);
  // links the destination has already are not added again
  db_.execute(QStringLiteral("insert into ") + kDst +
                  QStringLiteral(R"sql(.ref2vcode (lit_id, versuchs_code)
SELECT DISTINCT r.lit_id, r.versuchs_code
FROM ref2vcode AS r
WHERE r.versuchs_code = ?
AND NOT EXISTS (SELECT * FROM trb_dst.ref2vcode AS d WHERE d.lit_id = r.lit_id AND d.versuchs_code = r.versuchs_code)
)sql"),
              {vcode});
  // nor references it has already
  const QStringList cols = sharedColumns(QStringLiteral("referenzen"));
  QStringList qualified;
  for (const QString& c : cols) qualified << QStringLiteral("referenzen.") + c;
  db_.execute(QStringLiteral("insert into ") + kDst + QStringLiteral(".referenzen (") +
                  cols.join(u',') + QStringLiteral(") select distinct ") + qualified.join(u',') +
                  QStringLiteral(R"sql(
FROM referenzen INNER JOIN ref2vcode ON referenzen.lit_id = ref2vcode.lit_id
WHERE ref2vcode.versuchs_code = ?
AND referenzen.lit_id NOT IN (SELECT lit_id FROM trb_dst.referenzen WHERE lit_id IS NOT NULL)
)sql"),
              {vcode});
  tx.commit();
}

void PlotTransfer::copyPlot(int flId, Feedback& feedback) {
  const auto [soil, station] = soil_and_station(db_, flId);
  // the columns of a copy: its list, and those of its optional ones both databases have
  auto columns = [this](const TableCopy& c) {
    QString list = QString::fromLatin1(c.columns);
    const QStringList shared = sharedColumns(QString::fromLatin1(c.table));
    for (const QString& o : QString::fromLatin1(c.optional).split(u',', Qt::SkipEmptyParts))
      if (shared.contains(o, Qt::CaseInsensitive)) list += u',' + o;
    return list;
  };
  auto copy = [&](const TableCopy& c, const QVariant& key) {
    return copyRows(db_, QString::fromLatin1(c.table), columns(c), QString::fromLatin1(c.key), key);
  };
  // -99 is the chooser's "-?-": the plot has no soil or station
  auto none = [](const QVariant& key) { return key.isNull() || key.toLongLong() == -99; };
  db::Transaction tx(db_);
  QStringList counts;
  for (const TableCopy& c : kPlotTables)
    counts << QStringLiteral("%1 %2").arg(copy(c, flId)).arg(QString::fromLatin1(c.table));
  if (none(soil)) {
    counts << tr("no soil");
  } else if (!destinationHas(QStringLiteral("soilproperties"), QStringLiteral("soil_id"), soil)) {
    counts << (copy(kSoil, soil) > 0
                   ? tr("soil %1").arg(soil.toString())
                   : tr("soil %1 is not in the open database either").arg(soil.toString()));
  }
  if (none(station)) {
    counts << tr("no station");
  } else if (!destinationHas(QStringLiteral("climate_station"), QStringLiteral("climate_id"),
                             station)) {
    if (copy(kStation, station) == 0) {
      counts << tr("station %1 is not in the open database either").arg(station.toString());
    } else {
      const int weather = copy(kWeather, station);
      // an older destination without the table of yearly deposition, when the user keeps it so
      const QString depositionTable = QString::fromLatin1(kDeposition.table);
      const int deposition =
          columns_of(db_, kDst, depositionTable).isEmpty() ||
                  columns_of(db_, QStringLiteral("main"), depositionTable).isEmpty()
              ? 0
              : copy(kDeposition, station);
      counts << tr("station %1 with %2 weather rows and %3 deposition rows")
                    .arg(station.toString())
                    .arg(weather)
                    .arg(deposition);
    }
  }
  tx.commit();
  feedback.info(tr("plot %1 copied: %2").arg(flId).arg(counts.join(QStringLiteral(", "))));
}

namespace {

// Keeps a mark beside the destination while a transfer runs, naming the backup taken before it:
// a run that does not finish (the program is killed) leaves the mark, and the next choice of the
// destination keeps that backup. A mark left by an earlier run stays as it is.
class RunMark {
 public:
  RunMark(const QString& destination, const QString& backup)
      : file_(PlotTransfer::unfinishedMarker(destination)) {
    if (QFile::exists(file_)) return;
    QFile f(file_);
    if (!f.open(QIODevice::WriteOnly) || f.write(backup.toUtf8()) < 0 || !f.flush())
      throw trb::Error(
          tr("The mark %1 of a running transfer cannot be written: %2").arg(file_, f.errorString()),
          tr("data transfer"));
    own_ = true;
  }
  ~RunMark() {
    if (own_) QFile::remove(file_);
  }
  RunMark(const RunMark&) = delete;
  RunMark& operator=(const RunMark&) = delete;

 private:
  QString file_;
  bool own_ = false;
};

}  // namespace

TransferResult PlotTransfer::transfer(const QList<int>& plots, const TransferOptions& options,
                                      TransferQuestions& questions, Feedback& feedback) {
  Attached a(*this);
  TransferResult result;
  // Keys the open database lacks: refused before anything is copied.
  QStringList unknown;
  for (int flId : plots)
    if (db_.scalar(QStringLiteral("select count(*) from field_description where fl_id=?"), {flId})
            .toInt() == 0)
      unknown << QString::number(flId);
  if (!unknown.isEmpty())
    throw trb::Error(tr("The open database has no plot %1; nothing is copied.")
                         .arg(unknown.join(QStringLiteral(", "))),
                     tr("data transfer"));

  RunMark mark(destination_, backup_);
  db::Transaction tx(db_);
  if (options.updateSchema) {
    updateDestinationSchema(feedback);
  } else {
    const QStringList missing = missingInDestination();
    if (!missing.isEmpty()) {
      result.incomplete = true;
      feedback.warning(tr("The destination lacks %1: these values are not copied, and the copied "
                          "plots may calculate otherwise there.")
                           .arg(missing.join(QStringLiteral(", "))));
    }
  }

  // First pass: plots the destination has already or whose soil or station differ there, and
  // experiment codes it knows.
  QList<int> todo;
  QStringList confirmed, newCodes;
  for (int flId : plots) {
    if (destinationHas(QStringLiteral("field_description"), QStringLiteral("fl_id"), flId)) {
      feedback.warning(
          tr("plot %1 is not copied: the destination has a plot with this FL_ID").arg(flId));
      result.skipped << flId;
      continue;
    }
    const QString differs = differingDependency(flId);
    if (!differs.isEmpty()) {
      if (!options.copyAnyway) {
        feedback.warning(tr("plot %1 is not copied: %2").arg(flId).arg(differs));
        result.skipped << flId;
        result.differing << flId;
        continue;
      }
      feedback.warning(
          tr("plot %1 is copied anyway and uses the destination's: %2").arg(flId).arg(differs));
    }
    const QString vcode =
        db_.scalar(QStringLiteral(" select versuch_code from field_description where fl_id=?"),
                   {flId})
            .toString();
    todo << flId;
    if (confirmed.contains(vcode, Qt::CaseInsensitive) ||
        newCodes.contains(vcode, Qt::CaseInsensitive))
      continue;
    if (!destinationHas(QStringLiteral("experiments"), QStringLiteral("vcode"), vcode)) {
      newCodes << vcode;
    } else if (questions.addPlotsToExistingExperiment(vcode)) {
      confirmed << vcode;
    } else {
      feedback.error(tr("transaction canceled: non unique experiment ID %1").arg(vcode));
      result.canceled = true;
      result.skipped.clear();
      result.differing.clear();
      return result;
    }
  }
  for (const QString& vcode : std::as_const(newCodes)) copyExperiment(vcode, feedback);

  // Second pass: literature, key check and the plot's rows.
  if (options.keyCheck)
    feedback.info(
        QStringLiteral(" the key tables for crops and organic amendments "
                       "will be checked!!!"));
  QStringList literatureDone;
  for (int i = 0; i < todo.size(); ++i) {
    const int flId = todo.at(i);
    feedback.setProgress(i, todo.size());
    if (feedback.isCanceled()) {
      // a stop of the user's keeps the plots copied before it
      feedback.warning(tr("transfer stopped: %1 of %2 plots done").arg(i).arg(todo.size()));
      break;
    }
    const QString vcode =
        db_.scalar(QStringLiteral(" select versuch_code from field_description where fl_id=?"),
                   {flId})
            .toString();
    if (!literatureDone.contains(vcode, Qt::CaseInsensitive)) {
      copyLiterature(vcode);
      literatureDone << vcode;
    }
    if (options.keyCheck) {
      for (KeyCheck::Phase phase : {KeyCheck::Phase::OrganicMatters, KeyCheck::Phase::Crops}) {
        const KeyCheck check = checkKeys(flId, phase, feedback);
        questions.reviewKeyCheck(*this, check);
      }
      if (!questions.continueWithPlot(flId, missingItems(flId))) {
        feedback.warning(tr("plot %1 is not copied").arg(flId));
        result.skipped << flId;
        continue;
      }
    }
    // taken meanwhile (the same plot twice in the list)
    if (destinationHas(QStringLiteral("field_description"), QStringLiteral("fl_id"), flId)) {
      feedback.warning(
          tr("plot %1 is not copied: the destination has a plot with this FL_ID").arg(flId));
      result.skipped << flId;
      continue;
    }
    copyPlot(flId, feedback);
    result.copied << flId;
  }
  tx.commit();
  feedback.setProgress(0, 0);
  return result;
}

}  // namespace trb::transfer
