#include "core/sites/experiments.h"

#include <QCoreApplication>
#include <QList>
#include <QSqlQuery>

#include "core/base/error.h"
#include "core/db/database.h"

using trb::db::Database;

namespace trb::sites {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::sites", text);
}

QList<qlonglong> plotsOf(Database& db, const QString& location) {
  QList<qlonglong> keys;
  QSqlQuery q = db.query(
      QStringLiteral("select fl_id from field_description where location=? order by fl_id"),
      {location});
  while (q.next()) keys << q.value(0).toLongLong();
  return keys;
}

// The tables of plotKeyedTables() this file has.
QStringList presentPlotTables(Database& db) {
  QStringList out;
  for (const QString& t : plotKeyedTables())
    if (db.hasTable(t)) out << t;
  return out;
}

// Every row of a plot key, field_description included.
void deleteRowsOfPlot(Database& db, const QStringList& tables, qlonglong flId) {
  db.execute(QStringLiteral("delete from field_description where FL_id=?"), {flId});
  for (const QString& t : tables)
    db.execute(QStringLiteral("delete from ") + t + QStringLiteral(" where FL_id=?"), {flId});
}

// True when a plot or an experiments row other than those of exceptCode has the location.
bool locationTaken(Database& db, const QString& location, const QString& exceptCode) {
  auto rows = [&db, &location](const QString& table, const QString& codeColumn,
                               const QString& code) {
    QString sql =
        QStringLiteral("select count(*) from ") + table + QStringLiteral(" where location=?");
    QVariantList binds{location};
    if (!code.isEmpty()) {
      sql += QStringLiteral(" and ") + codeColumn + QStringLiteral("=?");
      binds << code;
    }
    return db.scalar(sql, binds).toInt();
  };
  int others = rows(QStringLiteral("field_description"), QString(), QString()) +
               rows(QStringLiteral("experiments"), QString(), QString());
  if (!exceptCode.isEmpty())
    others -=
        rows(QStringLiteral("field_description"), QStringLiteral("versuch_code"), exceptCode) +
        rows(QStringLiteral("experiments"), QStringLiteral("vcode"), exceptCode);
  return others > 0;
}

}  // namespace

QStringList plotKeyedTables() {
  return {QStringLiteral("cultivation"),   QStringLiteral("measurements"),
          QStringLiteral("site_state"),    QStringLiteral("rs_table"),
          QStringLiteral("trb_nresult"),   QStringLiteral("trb_zbv"),
          QStringLiteral("trb_driver"),    QStringLiteral("trb_protokoll"),
          QStringLiteral("trb_stat_corg"), QStringLiteral("trb_stat_nt"),
          QStringLiteral("hubi_c_bilanz"), QStringLiteral("key2ref2fl")};
}

// --- Experiments --------------------------------------------------------------------------------

int next_experiment_code(Database& db) {
  return db.getKey(QStringLiteral("experiments"), QStringLiteral("exp_id"));
}

NewExperiment create_experiment(Database& db, const QString& shortName) {
  const QString location = shortName.trimmed();
  const QString caption = tr("create new experiment folder");
  if (location.isEmpty()) throw trb::Error(tr("Please enter a short name."), caption);
  if (location.contains(u'<'))
    throw trb::Error(tr("The short name must not contain \"<\"."), caption);
  if (locationTaken(db, location, QString()))
    throw trb::Error(tr("An experiment named \"%1\" exists already.").arg(location), caption);

  trb::db::Transaction tx(db);
  NewExperiment made;
  made.code = next_experiment_code(db);
  db.execute(QStringLiteral(R"sql(
insert into experiments (vcode, exp_id, location, herkunft)
values (?, ?, ?, ?))sql"),
             {QString::number(made.code), made.code, location, QString()});
  made.flId = db.getKey(QStringLiteral("field_description"), QStringLiteral("fl_id"));
  db.execute(QStringLiteral(R"sql(
insert into field_description (fl_id, location, site_description, climate_id, soil_id, area,
herkunft, versuch_code, comment)
values (?, ?, '-', -99, -99, -99, '??', ?, '-'))sql"),
             {made.flId, location, QString::number(made.code)});
  tx.commit();
  return made;
}

int delete_experiment(Database& db, const QString& location, const QString& code) {
  const QStringList tables = presentPlotTables(db);
  trb::db::Transaction tx(db);
  QStringList codes;
  if (!code.isEmpty()) codes << code;
  {
    QSqlQuery q = db.query(
        QStringLiteral("select distinct versuch_code from field_description where location=?"),
        {location});
    while (q.next())
      if (!q.value(0).isNull()) codes << q.value(0).toString();
  }
  const QList<qlonglong> plots = plotsOf(db, location);
  for (qlonglong fl : plots) deleteRowsOfPlot(db, tables, fl);
  const bool links = db.hasTable(QStringLiteral("ref2vcode"));
  for (const QString& c : codes) {
    db.execute(QStringLiteral("delete from experiments where vcode=?"), {c});
    if (links) db.execute(QStringLiteral("delete from ref2vcode where versuchs_code=?"), {c});
  }
  tx.commit();
  return int(plots.size());
}

ExperimentRow read_experiment(Database& db, int code) {
  ExperimentRow row;
  QSqlQuery q = db.query(QStringLiteral("SELECT * FROM experiments WHERE exp_id=?"), {code});
  if (q.next()) {
    row.found = true;
    row.expId = q.value(QStringLiteral("exp_id")).toInt();
    row.vcode = q.value(QStringLiteral("vcode")).toString();
    row.location = q.value(QStringLiteral("location")).toString();
    row.herkunft = q.value(QStringLiteral("herkunft")).toString();
  }
  return row;
}

int numeric_experiment_code(const QString& code) {
  bool ok = false;
  const int n = code.trimmed().toInt(&ok);
  if (!ok || n <= 0)
    throw trb::Error(tr("please change the data manually in the database"),
                     tr("background adaptation impossible"));
  return n;
}

void change_experiment_code(Database& db, int oldCode, int newCode, const QString& newLocation) {
  const QString caption = tr("adapt experiment ID");
  const QString location = newLocation.trimmed();
  const QString oldText = QString::number(oldCode);
  const QString newText = QString::number(newCode);
  if (newCode <= 0) throw trb::Error(tr("The new ID must be a positive whole number."), caption);
  if (newCode != oldCode) {
    const int taken = db.scalar(QStringLiteral(R"sql(
select count(*) from experiments
where exp_id=? or vcode=?)sql"),
                                {newCode, newText})
                          .toInt() +
                      db.scalar(QStringLiteral(R"sql(
select count(*) from field_description
where versuch_code=?)sql"),
                                {newText})
                          .toInt();
    if (taken > 0)
      throw trb::Error(tr("The ID %1 belongs to another experiment.").arg(newCode), caption);
  }
  if (location.isEmpty()) throw trb::Error(tr("Please enter a location."), caption);
  if (location.contains(u'<'))
    throw trb::Error(tr("The location must not contain \"<\"."), caption);
  if (locationTaken(db, location, oldText))
    throw trb::Error(tr("An experiment named \"%1\" exists already.").arg(location), caption);

  trb::db::Transaction tx(db);
  db.execute(QStringLiteral(R"sql(
update experiments set vcode=?, exp_id=?, location=?
where vcode=?)sql"),
             {newText, newCode, location, oldText});
  db.execute(QStringLiteral(R"sql(
update field_description set versuch_code=?, location=?
where versuch_code=?)sql"),
             {newText, location, oldText});
  if (db.hasTable(QStringLiteral("ref2vcode")))
    db.execute(QStringLiteral(R"sql(
update ref2vcode set versuchs_code=?
where versuchs_code=?)sql"),
               {newText, oldText});
  tx.commit();
}

// --- Plots --------------------------------------------------------------------------------------

qlonglong add_plot(Database& db, const QString& location, const QString& code,
                   const QString& herkunft) {
  trb::db::Transaction tx(db);
  const qlonglong fl = db.getKey(QStringLiteral("field_description"), QStringLiteral("fl_id"));
  db.execute(QStringLiteral(R"sql(
insert into field_description (fl_id, location, site_description, herkunft, climate_id, soil_id,
comment, area, versuch_code)
values (?, ?, '-', ?, -99, -99, '-', -99, ?))sql"),
             {fl, location, herkunft.isEmpty() ? QStringLiteral("??") : herkunft, code});
  // a row left by a plot deleted before its selection row was, is replaced
  db.execute(QStringLiteral("delete from site_state where FL_ID=?"), {fl});
  db.execute(QStringLiteral("insert into site_state (FL_ID, status, marker) values (?, 0, 0)"),
             {fl});
  tx.commit();
  return fl;
}

bool delete_plot(Database& db, qlonglong flId) {
  const QStringList tables = presentPlotTables(db);
  trb::db::Transaction tx(db);
  const bool found =
      db.scalar(QStringLiteral("select count(*) from field_description where FL_ID=?"), {flId})
          .toInt() > 0;
  deleteRowsOfPlot(db, tables, flId);
  tx.commit();
  return found;
}

// --- Plot keys ----------------------------------------------------------------------------------

KeyRange plot_key_range(Database& db, const QString& location) {
  KeyRange range;
  QSqlQuery q = db.query(QStringLiteral(R"sql(
select max(fl_id)as max_, min(fl_id) as min_
from field_description
where location=?)sql"),
                         {location});
  if (q.next() && !q.value(0).isNull()) {
    range.found = true;
    range.max = q.value(0).toLongLong();
    range.min = q.value(1).toLongLong();
  }
  return range;
}

int plots_in_range(Database& db, qlonglong lower, qlonglong upper) {
  return db
      .scalar(QStringLiteral(R"sql(
select count(fl_id) as f_anz
from field_description
where fl_id>=? and fl_id<=?)sql"),
              {lower, upper})
      .toInt();
}

QString destination_range_message(int count) {
  return count == 0 ? tr("%1 records in destination range ! press ok to start transfer").arg(count)
                    : tr("%1 records in destination range !").arg(count);
}

int shift_plot_keys(Database& db, const QString& location, qlonglong offset) {
  const QString caption = tr("shift plots  FL_ID");
  const KeyRange range = plot_key_range(db, location);
  if (!range.found) return 0;
  if (range.min + offset < 0) throw trb::Error(tr("A plot key cannot be below 0."), caption);
  const int occupied = plots_in_range(db, range.min + offset, range.max + offset);
  if (occupied > 0) throw trb::Error(destination_range_message(occupied), caption);

  const QStringList tables = presentPlotTables(db);
  trb::db::Transaction tx(db);
  // The destination range holds no plot, so the keys can move one by one in any order. Only this
  // location's plots move: another experiment's plot between min and max keeps its key.
  const QList<qlonglong> plots = plotsOf(db, location);
  for (qlonglong fl : plots) {
    db.execute(QStringLiteral("update field_description set fl_id=? where fl_id=?"),
               {fl + offset, fl});
    for (const QString& t : tables)
      db.execute(QStringLiteral("update ") + t + QStringLiteral(" set fl_id=? where fl_id=?"),
                 {fl + offset, fl});
  }
  tx.commit();
  return int(plots.size());
}

}  // namespace trb::sites
