#include "core/records/measurement_records.h"

#include <QCoreApplication>

#include "core/base/error.h"
#include "core/db/database.h"

using trb::db::Database;

namespace trb::records {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::records", text);
}

}  // namespace

bool isCarbonInitialValue(const trb::parameters::MeasurementRow& row) {
  return row.yearNumber == 0 && row.mIx == kCarbon;
}

SaveMode saveModeForRow(const trb::parameters::MeasurementRow& row) {
  return row.mIx <= 0 ? SaveMode::Insert : SaveMode::Overwrite;
}

SavedMeasurement save_measurement(Database& db, qlonglong flId, int firstYear,
                                  const MeasurementInput& input, const QLocale& locale) {
  if (firstYear < 0 && input.mIx == kCarbon && !input.initialValue)
    throw trb::Error(tr("please edit first the initial value"), tr("OPERATION DENIED"));
  if (!input.date.isValid())
    throw trb::Error(tr("The sampling date cannot be read; nothing was saved."), tr("input error"));
  const double value =
      input.value.trimmed().isEmpty() ? 0.0 : readTypedNumber(input.value, tr("value"), locale);
  if (input.mode == SaveMode::Overwrite && input.measId < 0)
    throw trb::Error(tr("No measurement is selected to overwrite."), tr("input error"));
  const QDate& d = input.date;

  SavedMeasurement saved;
  saved.firstYear = firstYear;
  trb::db::Transaction tx(db);
  if (input.initialValue && (input.mIx == kCarbon || input.mIx == kNitrogen)) {
    // the old initial value of this property no longer counts
    db.execute(QStringLiteral(R"sql(
update measurements SET year_number=-99
where M_IX= ? and fl_id= ? and year_number=0)sql"),
               {input.mIx, flId});
    saved.firstYear = d.year();
    saved.yearNumber = 0;
  } else {
    saved.yearNumber = d.year() - firstYear + 1;
  }

  if (input.mode == SaveMode::Insert) {
    db.execute(QStringLiteral(R"sql(
insert into measurements (fl_id, m_ix, meas_value, [year],[month],[day],year_number)
Values (?, ?, ?, ?, ?, ?, ?))sql"),
               {flId, input.mIx, value, d.year(), d.month(), d.day(), saved.yearNumber});
    saved.measId = db.scalar(QStringLiteral("select max(meas_id) from measurements")).toLongLong();
  } else {
    const int changed = db.execute(
        QStringLiteral(R"sql(
update measurements SET meas_value= ?
, [year]= ?
, [month]= ?
, [day]= ?
, year_number= ?
, M_IX= ?
where meas_id= ?)sql"),
        {value, d.year(), d.month(), d.day(), saved.yearNumber, input.mIx, input.measId});
    if (changed == 0)
      throw trb::Error(tr("The measurement to overwrite no longer exists; nothing was saved."),
                       tr("input error"));
    saved.measId = input.measId;
  }

  if (input.initialValue) {
    // the later measurements of the property, counted from the first year
    db.execute(QStringLiteral(R"sql(
update measurements SET year_number=1+[year]- ?
where M_IX= ? and fl_id= ? and [year]> ?)sql"),
               {saved.firstYear, input.mIx, flId, saved.firstYear});
  }
  // the plot's comparison is void until it is calculated again
  db.execute(QStringLiteral("delete from rs_table where fl_id= ?"), {flId});
  tx.commit();
  return saved;
}

int delete_measurement(Database& db, qlonglong measId) {
  return db.execute(QStringLiteral("delete from measurements where meas_id= ?"), {measId});
}

int copy_measurements(Database& db, qlonglong sourceFlId, qlonglong targetFlId) {
  trb::db::Transaction tx(db);
  const int copied = db.execute(QStringLiteral(R"sql(
insert into measurements ([day], [month], [year],year_number, M_ix, meas_value,FL_ID )
SELECT [day], [month], [year],year_number, M_ix, meas_value, ? as FL_ID
FROM measurements
where FL_ID= ?)sql"),
                                {targetFlId, sourceFlId});
  tx.commit();
  return copied;
}

}  // namespace trb::records
