#include "core/records/typed_entry.h"

#include <QCoreApplication>
#include <cmath>

#include "core/base/error.h"

namespace trb::records {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::records", text);
}

QLocale strict(QLocale locale) {
  locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
  return locale;
}

}  // namespace

double readTypedNumber(const QString& text, const QString& field, const QLocale& locale) {
  bool ok = false;
  const double x = strict(locale).toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(x))
    throw trb::Error(tr("'%1' is not a valid number for \"%2\".").arg(text, field),
                     tr("input error"));
  return x;
}

int readTypedWhole(const QString& text, const QString& field, const QLocale& locale) {
  bool ok = false;
  const int x = strict(locale).toInt(text.trimmed(), &ok);
  if (!ok)
    throw trb::Error(tr("'%1' is not a valid whole number for \"%2\".").arg(text, field),
                     tr("input error"));
  return x;
}

QDate recordDate(int day, int month, int year) {
  if (day < 1 || month < 1) return QDate(year, 1, 1);
  return QDate(year, month, day);
}

}  // namespace trb::records
