#include "core/records/management_records.h"

#include <QCoreApplication>

#include "core/base/error.h"
#include "core/db/database.h"

using trb::db::Database;

namespace trb::records {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::records", text);
}

void requireValidDate(const QDate& date) {
  if (!date.isValid())
    throw trb::Error(tr("The date cannot be read; nothing was saved."), tr("input error"));
}

}  // namespace

ActionRule actionRule(int macode) {
  ActionRule r;
  switch (macode) {
    case 0:
    case 5:
      r.objekt = 5;  // the item list has none
      r.secondLabel = tr("lower calc. layer");
      r.secondEnabled = false;
      break;
    case 1:
    case 2:
    case 9:
    case 12:
      r.objekt = 1;
      r.rowObjekt = 1;
      r.keepsCrop = true;
      r.secondLabel = tr("N-uptake (kg/ha)=");
      break;
    case 3:
      r.objekt = 3;
      r.rowObjekt = 3;
      r.secondLabel = tr("C-input (kg/ha)=");
      break;
    case 4:
      r.objekt = 4;
      r.rowObjekt = 4;
      r.secondLabel = tr("NH4-amount (%)=");
      r.secondEnabled = false;
      break;
    case 6:
    case 7:
    case 8:
    case 10:
    case 11:
      r.objekt.reset();  // every object
      r.rowObjekt = macode;
      r.secondLabel = QString();
      r.secondEnabled = false;
      break;
    case 21:
    case 22:
    case 23:
      r.objekt = macode;  // the item list has none
      r.rowObjekt = macode;
      r.secondLabel = QStringLiteral("xxx=");
      r.amountMinus99 = true;
      r.objectClearsAmount = macode == 23;
      break;
    default:
      r.objekt = -99;
      break;
  }
  return r;
}

QList<trb::parameters::ActionRow> readActionTexts(Database& db) {
  QList<trb::parameters::ActionRow> rows;
  trb::db::Reader r(db, QStringLiteral("select * from SLVAKTION order by action_id"));
  const int id = r.indexOf(QStringLiteral("ACTION_ID"));
  const int action = r.indexOf(QStringLiteral("ACTION"));
  const int unit = r.indexOf(QStringLiteral("UNIT_INTENSITY"));
  const int def = r.indexOf(QStringLiteral("def_intensity"));
  while (r.next())
    rows.append({int(r.toLongLong(id)), r.toString(action), r.toString(unit), r.toString(def)});
  return rows;
}

QString areaShareText(const QString& recordMode, const QString& secondValue) {
  return recordMode == u"REG" ? secondValue : QStringLiteral("100");
}

qlonglong save_management_record(Database& db, qlonglong flId, const ManagementInput& input,
                                 const QLocale& locale) {
  // everything is read before anything is written
  const double quantity = readTypedNumber(input.amount, tr("amount"), locale);
  const int areaShare = readTypedWhole(input.areaShare, tr("area share"), locale);
  requireValidDate(input.date);
  const QDate& d = input.date;

  trb::db::Transaction tx(db);
  qlonglong key = input.cultivationId;
  if (input.mode == SaveMode::Overwrite) {
    if (input.cultivationId < 0)
      throw trb::Error(tr("No record is selected to overwrite."), tr("input error"));
    const int changed = db.execute(QStringLiteral(R"sql(
update cultivation SET [year]= ?
, [month]= ?
, [day]= ?
, MACODE= ?
, item_ix= ?
, sim_quantity= ?
, quantity= ?
where fl_id= ? and cultivation_id= ?)sql"),
                                   {d.year(), d.month(), d.day(), input.macode, input.itemIx,
                                    areaShare, quantity, flId, input.cultivationId});
    if (changed == 0)
      throw trb::Error(tr("The record to overwrite no longer exists; nothing was saved."),
                       tr("input error"));
  } else {
    db.execute(QStringLiteral(R"sql(
insert into cultivation ([year],[month],[day],MACODE,item_ix,sim_quantity,quantity,fl_id,fl_id_alt)
VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?))sql"),
               {d.year(), d.month(), d.day(), input.macode, input.itemIx, areaShare, quantity, flId,
                areaShare});
    key = db.scalar(QStringLiteral("select max(cultivation_id) from cultivation")).toLongLong();
  }
  tx.commit();
  return key;
}

int delete_management_record(Database& db, qlonglong cultivationId) {
  return db.execute(QStringLiteral("delete from cultivation where cultivation_id= ?"),
                    {cultivationId});
}

int copy_management(Database& db, qlonglong sourceFlId, qlonglong targetFlId) {
  trb::db::Transaction tx(db);
  const int copied = db.execute(QStringLiteral(R"sql(
insert into cultivation (day, month, year, Macode, Item_IX, Quantity, FL_ID)
SELECT day, month, year, Macode, Item_IX, Quantity, ? as FL_ID
FROM cultivation
where FL_ID= ?)sql"),
                                {targetFlId, sourceFlId});
  tx.commit();
  return copied;
}

}  // namespace trb::records
