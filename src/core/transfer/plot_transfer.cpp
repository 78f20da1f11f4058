#include "core/transfer/plot_transfer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

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

// Rows of table whose key is the bound value, copied with the given columns into the same table
// of the destination.
int copyRows(db::Database& db, const QString& table, const QString& columns, const QString& key,
             const QVariant& value) {
  return db.execute(QStringLiteral("insert into ") + kDst + u'.' + table + QStringLiteral(" (") +
                        columns + QStringLiteral(") select ") + columns + QStringLiteral(" from ") +
                        table + QStringLiteral(" where ") + key + QStringLiteral(" = ?"),
                    {value});
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
  const QString bak = backupName(file);
  if (QFile::exists(bak) && !QFile::remove(bak))
    throw trb::Error(tr("The backup %1 cannot be replaced.").arg(bak), caption);
  if (!QFile::copy(file, bak))
    throw trb::Error(tr("The backup %1 cannot be written.").arg(bak), caption);
  destination_ = fi.absoluteFilePath();
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

QStringList PlotTransfer::sharedColumns(const QString& table) {
  QStringList dst;
  {
    db::Reader r(db_, QStringLiteral("select name from pragma_table_info(?, ?)"), {table, kDst});
    while (r.next()) dst << r.toString(0);
  }
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  QStringList out;
  for (const QString& c : db_.columns(table))
    if (dst.contains(c, Qt::CaseInsensitive) && plain.match(c).hasMatch()) out << c;
  return out;
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
      copyRows(db_, QStringLiteral("experiments"), QStringLiteral("exp_id,vcode,location,herkunft"),
               QStringLiteral("exp_id"), key);
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
  int soil = -99;
  int station = -99;
  {
    db::Reader r(db_,
                 QStringLiteral("select soil_id, climate_id from field_description where fl_id=?"),
                 {flId});
    if (r.next()) {
      soil = int(r.toLongLong(0));
      station = int(r.toLongLong(1));
    }
  }
  // the columns of a copy: its list, and those of its optional ones both databases have
  auto columns = [this](const TableCopy& c) {
    QString list = QString::fromLatin1(c.columns);
    const QStringList shared = sharedColumns(QString::fromLatin1(c.table));
    for (const QString& o : QString::fromLatin1(c.optional).split(u',', Qt::SkipEmptyParts))
      if (shared.contains(o, Qt::CaseInsensitive)) list += u',' + o;
    return list;
  };
  db::Transaction tx(db_);
  QStringList counts;
  for (const TableCopy& c : kPlotTables) {
    const int n =
        copyRows(db_, QString::fromLatin1(c.table), columns(c), QString::fromLatin1(c.key), flId);
    counts << QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(c.table));
  }
  if (!destinationHas(QStringLiteral("soilproperties"), QStringLiteral("soil_id"), soil)) {
    copyRows(db_, QString::fromLatin1(kSoil.table), columns(kSoil), QString::fromLatin1(kSoil.key),
             soil);
    counts << tr("soil %1").arg(soil);
  }
  if (!destinationHas(QStringLiteral("climate_station"), QStringLiteral("climate_id"), station)) {
    copyRows(db_, QString::fromLatin1(kStation.table), columns(kStation),
             QString::fromLatin1(kStation.key), station);
    const int n =
        copyRows(db_, QString::fromLatin1(kWeather.table), QString::fromLatin1(kWeather.columns),
                 QString::fromLatin1(kWeather.key), station);
    counts << tr("station %1 with %2 weather rows").arg(station).arg(n);
  }
  tx.commit();
  feedback.info(tr("plot %1 copied: %2").arg(flId).arg(counts.join(QStringLiteral(", "))));
}

TransferResult PlotTransfer::transfer(const QList<int>& plots, bool keyCheck,
                                      TransferQuestions& questions, Feedback& feedback) {
  Attached a(*this);
  TransferResult result;
  // First pass: plots the destination has already, and experiment codes it knows.
  QList<int> todo;
  QStringList confirmed, newCodes;
  for (int flId : plots) {
    if (destinationHas(QStringLiteral("field_description"), QStringLiteral("fl_id"), flId)) {
      feedback.warning(
          tr("plot %1 is not copied: the destination has a plot with this FL_ID").arg(flId));
      result.skipped << flId;
      continue;
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
      return result;
    }
  }
  for (const QString& vcode : std::as_const(newCodes)) copyExperiment(vcode, feedback);

  // Second pass: literature, key check and the plot's rows.
  if (keyCheck)
    feedback.info(
        QStringLiteral(" the key tables for crops and organic amendments "
                       "will be checked!!!"));
  QStringList literatureDone;
  for (int i = 0; i < todo.size(); ++i) {
    const int flId = todo.at(i);
    feedback.setProgress(i, todo.size());
    if (feedback.isCanceled()) {
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
    if (keyCheck) {
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
  feedback.setProgress(0, 0);
  return result;
}

}  // namespace trb::transfer
