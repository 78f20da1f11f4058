#include "core/transfer/spreadsheet_export.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <cmath>

#include "core/base/error.h"
#include "core/db/database.h"
#include "core/db/numbers.h"

namespace trb::transfer {

namespace {

// Sheet names: at most 31 characters, none of []:*?/\ .
QByteArray sheetName(const QString& name) {
  QString n = name.isEmpty() ? QStringLiteral("Sheet1") : name;
  for (QChar& c : n)
    if (QStringLiteral("[]:*?/\\").contains(c)) c = QLatin1Char('_');
  return n.left(31).toUtf8();
}

[[noreturn]] void fail(const QString& path, lxw_error code) {
  throw Error(QObject::tr("The spreadsheet %1 could not be written: %2")
                  .arg(path, QString::fromUtf8(lxw_strerror(code))));
}

}  // namespace

void write_spreadsheet(const QString& path, const Sheet& sheet) {
  // libxlsxwriter writes beside the target first; a file that exists and is read-only would be
  // replaced silently otherwise.
  if (QFile::exists(path) && !QFileInfo(path).isWritable())
    fail(path, LXW_ERROR_CREATING_XLSX_FILE);
  const QByteArray file = QFile::encodeName(path);
  lxw_workbook* wb = workbook_new(file.constData());
  if (!wb) fail(path, LXW_ERROR_MEMORY_MALLOC_FAILED);
  lxw_worksheet* ws = workbook_add_worksheet(wb, sheetName(sheet.name).constData());
  for (int c = 0; c < sheet.titles.size(); ++c)
    worksheet_write_string(ws, 0, lxw_col_t(c), sheet.titles[c].toUtf8().constData(), nullptr);
  for (int r = 0; r < sheet.rows.size(); ++r) {
    const QVariantList& row = sheet.rows[r];
    for (int c = 0; c < row.size(); ++c) {
      const QVariant& v = row[c];
      const auto rr = lxw_row_t(r + 1);
      const auto cc = lxw_col_t(c);
      if (v.isNull() || !v.isValid()) continue;
      if (trb::holds_number(v)) {
        double x = v.toDouble();
        if (!std::isfinite(x)) {
          worksheet_write_string(ws, rr, cc, v.toString().toUtf8().constData(), nullptr);
          continue;
        }
        if (sheet.decimals >= 0 && v.typeId() == QMetaType::Double) x = round_to(x, sheet.decimals);
        worksheet_write_number(ws, rr, cc, x, nullptr);
      } else {
        worksheet_write_string(ws, rr, cc, v.toString().toUtf8().constData(), nullptr);
      }
    }
  }
  const lxw_error err = workbook_close(wb);
  if (err != LXW_NO_ERROR) fail(path, err);
}

Sheet sheet_from_query(db::Database& db, const QString& sql, const QVariantList& binds) {
  Sheet sheet;
  db::Reader r(db, sql, binds);
  const bool any = r.next();
  for (int c = 0; c < r.columnCount(); ++c) sheet.titles << r.columnName(c);
  if (!any) return sheet;
  do {
    QVariantList row;
    row.reserve(sheet.titles.size());
    for (int c = 0; c < sheet.titles.size(); ++c) row << r.value(c);
    sheet.rows << row;
  } while (r.next());
  return sheet;
}

QString spreadsheet_file_name(const QStringList& parts) {
  QString name = parts.join(QLatin1Char('_'));
  for (QChar& c : name)
    if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 32) c = QLatin1Char('_');
  return name + QStringLiteral(".xlsx");
}

}  // namespace trb::transfer
