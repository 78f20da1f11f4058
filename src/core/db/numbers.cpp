#include "core/db/numbers.h"

#include <cfenv>
#include <cmath>
#include <cstdio>

namespace trb {

bool holds_number(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
      return true;
    default:
      return false;
  }
}

double round_half_even(double x) {
  // nearbyint follows the current rounding mode, which is to-nearest-even unless changed; the
  // mode is only set (a costly write of the control registers) when something did change it.
  const int saved = std::fegetround();
  if (saved == FE_TONEAREST) return std::nearbyint(x);
  std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(x);
  std::fesetround(saved);
  return r;
}

double round_to(double x, int decimals) {
  const double f = std::pow(10.0, decimals);
  return round_half_even(x * f) / f;
}

long double round_to(long double x, int decimals) {
  const long double f = std::pow(10.0L, static_cast<long double>(decimals));
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const long double r = std::nearbyintl(x * f);
  std::fesetround(saved);
  return r / f;
}

namespace {

// Digits and decimal exponent of x rounded to 15 significant digits, trailing zeros removed.
QString general_with_point(long double x) {
  if (std::isnan(x)) return QStringLiteral("NAN");
  if (std::isinf(x)) return x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  if (x == 0) return QStringLiteral("0");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14Le", x);  // d.dddddddddddddde±x
  QString s = QString::fromLatin1(buf);
  const qsizetype epos = s.indexOf(u'e');
  QString mant = s.left(epos);
  const int exp = s.mid(epos + 1).toInt();
  const bool neg = mant.startsWith(u'-');
  if (neg) mant.remove(0, 1);
  QString digits = mant;
  digits.remove(u'.');
  while (digits.size() > 1 && digits.endsWith(u'0')) digits.chop(1);
  QString out;
  if (exp >= -5 && exp < 15) {
    if (exp < 0) {
      out = QStringLiteral("0.") + QString(-exp - 1, u'0') + digits;
    } else if (digits.size() <= exp + 1) {
      out = digits + QString(exp + 1 - digits.size(), u'0');
    } else {
      out = digits.left(exp + 1) + u'.' + digits.mid(exp + 1);
    }
  } else {
    out = digits.left(1);
    if (digits.size() > 1) out += u'.' + digits.mid(1);
    out += u'E' + QString::number(exp);
  }
  return neg ? u'-' + out : out;
}

}  // namespace

QString fmt_general(long double x, const QLocale& locale) {
  QString s = general_with_point(x);
  const QString point = locale.decimalPoint();
  if (point != QStringLiteral(".")) s.replace(u'.', point);
  return s;
}

QString fmt_general(double x, const QLocale& locale) {
  return fmt_general(static_cast<long double>(x), locale);
}

QString sql_float(double x) {
  return general_with_point(x);
}

}  // namespace trb
