#include "core/db/functions.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <algorithm>
#include <cmath>

#include "core/db/numbers.h"

namespace trb::db {

namespace {

bool isNull(sqlite3_value* v) {
  return sqlite3_value_type(v) == SQLITE_NULL;
}

QString textOf(sqlite3_value* v);

void resultText(sqlite3_context* ctx, const QString& s) {
  const QByteArray b = s.toUtf8();
  sqlite3_result_text(ctx, b.constData(), b.size(), SQLITE_TRANSIENT);
}

// A number as Access turns it into text: integers without a fraction, others with up to 15
// significant digits and a decimal point.
QString numberText(double d) {
  if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
    return QString::number(static_cast<qint64>(d));
  return sql_float(d);
}

QString textOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return QString();
    case SQLITE_INTEGER:
      return QString::number(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return numberText(sqlite3_value_double(v));
    default:
      return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                               sqlite3_value_bytes(v));
  }
}

// A value as a number; text is read with a decimal point. Returns false when it is no number.
bool numberOf(sqlite3_value* v, double* out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      *out = sqlite3_value_double(v);
      return true;
    case SQLITE_TEXT: {
      bool ok = false;
      const double d = textOf(v).trimmed().toDouble(&ok);
      if (ok) *out = d;
      return ok;
    }
    default:
      return false;
  }
}

bool numberArg(sqlite3_context* ctx, sqlite3_value* v, double* out, const char* fn) {
  if (numberOf(v, out)) return true;
  const QByteArray msg = QByteArray("Data type mismatch in criteria expression (") + fn + ")";
  sqlite3_result_error(ctx, msg.constData(), -1);
  return false;
}

// A number rounded half to even as a whole number of 64 bits; beyond them (or not finite) an
// overflow, as Access reports it.
bool wholeArg(sqlite3_context* ctx, double d, sqlite3_int64* out, const char* fn) {
  const double r = round_half_even(d);
  if (!std::isfinite(r) || std::fabs(r) >= 9.2e18) {
    const QByteArray msg = QByteArray("Overflow (") + fn + ")";
    sqlite3_result_error(ctx, msg.constData(), -1);
    return false;
  }
  *out = static_cast<sqlite3_int64>(r);
  return true;
}

void resultNumber(sqlite3_context* ctx, double d) {
  if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(d));
  else
    sqlite3_result_double(ctx, d);
}

// Int: the largest whole number not above x; keeps the kind of its argument.
void fnInt(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  if (sqlite3_value_type(a[0]) == SQLITE_INTEGER) return sqlite3_result_value(ctx, a[0]);
  double d;
  if (!numberArg(ctx, a[0], &d, "Int")) return;
  sqlite3_result_double(ctx, std::floor(d));
}

void fnFix(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  if (sqlite3_value_type(a[0]) == SQLITE_INTEGER) return sqlite3_result_value(ctx, a[0]);
  double d;
  if (!numberArg(ctx, a[0], &d, "Fix")) return;
  sqlite3_result_double(ctx, std::trunc(d));
}

// CInt (16 bits) and CLng (32 bits): nearest whole number, ties to even; a result beyond the
// type's range is an overflow, as in the dialect.
void convertWhole(sqlite3_context* ctx, sqlite3_value* v, const char* fn, sqlite3_int64 low,
                  sqlite3_int64 high) {
  if (isNull(v)) return sqlite3_result_null(ctx);
  sqlite3_int64 i;
  if (sqlite3_value_type(v) == SQLITE_INTEGER) {
    i = sqlite3_value_int64(v);
  } else {
    double d;
    if (!numberArg(ctx, v, &d, fn)) return;
    if (!wholeArg(ctx, d, &i, fn)) return;
  }
  if (i < low || i > high) {
    const QByteArray msg = QByteArray("Overflow (") + fn + ")";
    return sqlite3_result_error(ctx, msg.constData(), -1);
  }
  sqlite3_result_int64(ctx, i);
}

void fnCInt(sqlite3_context* ctx, int, sqlite3_value** a) {
  convertWhole(ctx, a[0], "CInt", -32768, 32767);
}

void fnCLng(sqlite3_context* ctx, int, sqlite3_value** a) {
  convertWhole(ctx, a[0], "CLng", -2147483648LL, 2147483647LL);
}

// The value written into an integer column: numbers rounded half to even, other values as they
// are (the column's own rules then apply).
void fnToInteger(sqlite3_context* ctx, int, sqlite3_value** a) {
  double d;
  if (sqlite3_value_type(a[0]) == SQLITE_FLOAT ||
      (sqlite3_value_type(a[0]) == SQLITE_TEXT && numberOf(a[0], &d))) {
    numberOf(a[0], &d);
    // a number beyond 64 bits stays as it is: the column keeps it as a real
    const double r = round_half_even(d);
    if (std::isfinite(r) && std::fabs(r) < 9.2e18)
      return sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(r));
  }
  sqlite3_result_value(ctx, a[0]);
}

// The value written into a yes/no column: any nonzero number is -1.
void fnToYesNo(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  double d;
  if (numberOf(a[0], &d)) return sqlite3_result_int(ctx, d != 0 ? -1 : 0);
  const QString s = textOf(a[0]).trimmed().toLower();
  if (s == u"true" || s == u"yes" || s == u"on") return sqlite3_result_int(ctx, -1);
  if (s == u"false" || s == u"no" || s == u"off") return sqlite3_result_int(ctx, 0);
  sqlite3_result_error(ctx, "Data type mismatch: not a yes/no value", -1);
}

void fnCDbl(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  double d;
  if (!numberArg(ctx, a[0], &d, "CDbl")) return;
  sqlite3_result_double(ctx, d);
}

void fnCStr(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  resultText(ctx, textOf(a[0]));
}

// Str: the number as text with a leading blank for a number that is not negative; like the
// original, a fraction below one is written without its leading zero (" .5").
void fnStr(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  // Whole numbers, the keys that plot-year indexes are made of, are written straight away: the
  // same text as below, without the detour through QString for every row of a table.
  if (sqlite3_value_type(a[0]) == SQLITE_INTEGER) {
    const sqlite3_int64 i = sqlite3_value_int64(a[0]);
    if (i > -1000000000000000LL && i < 1000000000000000LL) {
      // the digits from the right, then the sign or the blank
      char buf[24];
      char* p = buf + sizeof buf;
      sqlite3_uint64 u = i < 0 ? sqlite3_uint64(-i) : sqlite3_uint64(i);
      do {
        *--p = char('0' + u % 10);
        u /= 10;
      } while (u);
      *--p = i < 0 ? '-' : ' ';
      return sqlite3_result_text(ctx, p, int(buf + sizeof buf - p), SQLITE_TRANSIENT);
    }
  }
  double d;
  if (!numberArg(ctx, a[0], &d, "Str")) return;
  QString s = numberText(d);
  if (s.startsWith(QStringLiteral("0."))) s.remove(0, 1);
  if (s.startsWith(QStringLiteral("-0."))) s.remove(1, 1);
  resultText(ctx, d >= 0 ? u' ' + s : s);
}

void fnTrim(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  QString s = textOf(a[0]);
  while (s.startsWith(u' ')) s.remove(0, 1);
  while (s.endsWith(u' ')) s.chop(1);
  resultText(ctx, s);
}

void fnLTrim(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  QString s = textOf(a[0]);
  while (s.startsWith(u' ')) s.remove(0, 1);
  resultText(ctx, s);
}

void fnRTrim(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  QString s = textOf(a[0]);
  while (s.endsWith(u' ')) s.chop(1);
  resultText(ctx, s);
}

bool countArg(sqlite3_context* ctx, sqlite3_value* v, qsizetype* out, const char* fn) {
  double d;
  if (!numberArg(ctx, v, &d, fn)) return false;
  if (d < 0) {
    sqlite3_result_error(ctx, "Invalid procedure call: negative length", -1);
    return false;
  }
  // a length or position is a Long
  const double r = round_half_even(d);
  if (!(r <= 2147483647.0)) {
    const QByteArray msg = QByteArray("Overflow (") + fn + ")";
    sqlite3_result_error(ctx, msg.constData(), -1);
    return false;
  }
  *out = static_cast<qsizetype>(r);
  return true;
}

void fnLeft(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  qsizetype n;
  if (!countArg(ctx, a[1], &n, "Left")) return;
  resultText(ctx, textOf(a[0]).left(n));
}

void fnRight(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  qsizetype n;
  if (!countArg(ctx, a[1], &n, "Right")) return;
  resultText(ctx, textOf(a[0]).right(n));
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  qsizetype start, n = -1;
  if (!countArg(ctx, a[1], &start, "Mid")) return;
  if (start < 1) return sqlite3_result_error(ctx, "Invalid procedure call: Mid start below 1", -1);
  if (argc > 2 && !countArg(ctx, a[2], &n, "Mid")) return;
  resultText(ctx, textOf(a[0]).mid(start - 1, n));
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  sqlite3_result_int64(ctx, textOf(a[0]).size());
}

void fnUCase(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  resultText(ctx, textOf(a[0]).toUpper());
}

void fnLCase(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  resultText(ctx, textOf(a[0]).toLower());
}

void fnInStr(sqlite3_context* ctx, int argc, sqlite3_value** a) {
  // InStr(text, part) or InStr(start, text, part); comparison without regard to case.
  int base = 0;
  qsizetype start = 1;
  if (argc == 3) {
    if (!countArg(ctx, a[0], &start, "InStr")) return;
    base = 1;
  }
  if (isNull(a[base]) || isNull(a[base + 1])) return sqlite3_result_null(ctx);
  const qsizetype at = textOf(a[base]).indexOf(
      textOf(a[base + 1]), std::max<qsizetype>(start - 1, 0), Qt::CaseInsensitive);
  sqlite3_result_int64(ctx, at + 1);
}

void fnNz(sqlite3_context* ctx, int argc, sqlite3_value** a) {
  if (!isNull(a[0])) return sqlite3_result_value(ctx, a[0]);
  if (argc > 1) return sqlite3_result_value(ctx, a[1]);
  sqlite3_result_int(ctx, 0);
}

void fnIsNull(sqlite3_context* ctx, int, sqlite3_value** a) {
  sqlite3_result_int(ctx, isNull(a[0]) ? -1 : 0);
}

void fnVal(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  const QString s = textOf(a[0]).trimmed();
  qsizetype n = 0;
  while (n < s.size() &&
         (s[n].isDigit() || s[n] == u'.' || (n == 0 && (s[n] == u'-' || s[n] == u'+'))))
    ++n;
  double d = 0;
  for (; n > 0; --n) {
    bool ok = false;
    d = s.left(n).toDouble(&ok);
    if (ok) break;
  }
  resultNumber(ctx, n > 0 ? d : 0);
}

void fnSgn(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  double d;
  if (!numberArg(ctx, a[0], &d, "Sgn")) return;
  sqlite3_result_int(ctx, d > 0 ? 1 : (d < 0 ? -1 : 0));
}

template <double (*F)(double)>
void fnMath(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  double d;
  if (!numberArg(ctx, a[0], &d, "math")) return;
  const double r = F(d);
  if (!std::isfinite(r)) return sqlite3_result_error(ctx, "Invalid procedure call", -1);
  sqlite3_result_double(ctx, r);
}

double sqr(double x) {
  return std::sqrt(x);
}
double ln(double x) {
  return std::log(x);
}
double ex(double x) {
  return std::exp(x);
}

// Round(x[, n]): ties to even, as the original.
void fnRound(sqlite3_context* ctx, int argc, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  double d;
  if (!numberArg(ctx, a[0], &d, "Round")) return;
  double n = 0;
  if (argc > 1 && !numberArg(ctx, a[1], &n, "Round")) return;
  if (sqlite3_value_type(a[0]) == SQLITE_INTEGER) return sqlite3_result_value(ctx, a[0]);
  if (!std::isfinite(n))
    return sqlite3_result_error(ctx, "Invalid procedure call: Round digits", -1);
  const double r = round_to(d, static_cast<int>(std::clamp(n, -400.0, 400.0)));
  // a number too large to scale has no digits at that place: it stays as it is
  sqlite3_result_double(ctx, std::isfinite(r) || !std::isfinite(d) ? r : d);
}

// "/" is always real division; a zero divisor is an error, as in the original engine.
void fnDiv(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(ctx);
  double x, y;
  if (!numberArg(ctx, a[0], &x, "/") || !numberArg(ctx, a[1], &y, "/")) return;
  if (y == 0) return sqlite3_result_error(ctx, "Division by zero", -1);
  sqlite3_result_double(ctx, x / y);
}

// "\": integer division of the operands rounded to whole numbers.
void fnIntDiv(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(ctx);
  double x, y;
  if (!numberArg(ctx, a[0], &x, "\\") || !numberArg(ctx, a[1], &y, "\\")) return;
  sqlite3_int64 xi, yi;
  if (!wholeArg(ctx, x, &xi, "\\") || !wholeArg(ctx, y, &yi, "\\")) return;
  if (yi == 0) return sqlite3_result_error(ctx, "Division by zero", -1);
  sqlite3_result_int64(ctx, xi / yi);
}

void fnMod(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(ctx);
  double x, y;
  if (!numberArg(ctx, a[0], &x, "Mod") || !numberArg(ctx, a[1], &y, "Mod")) return;
  sqlite3_int64 xi, yi;
  if (!wholeArg(ctx, x, &xi, "Mod") || !wholeArg(ctx, y, &yi, "Mod")) return;
  if (yi == 0) return sqlite3_result_error(ctx, "Division by zero", -1);
  sqlite3_result_int64(ctx, xi % yi);
}

void fnPow(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(ctx);
  double x, y;
  if (!numberArg(ctx, a[0], &x, "^") || !numberArg(ctx, a[1], &y, "^")) return;
  const double r = std::pow(x, y);
  if (!std::isfinite(r)) return sqlite3_result_error(ctx, "Invalid procedure call", -1);
  sqlite3_result_double(ctx, r);
}

// "+": numbers add; two texts concatenate; a text and a number add when the text is a number.
void fnPlus(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(ctx);
  const bool t0 = sqlite3_value_type(a[0]) == SQLITE_TEXT;
  const bool t1 = sqlite3_value_type(a[1]) == SQLITE_TEXT;
  if (t0 && t1) return resultText(ctx, textOf(a[0]) + textOf(a[1]));
  if (sqlite3_value_type(a[0]) == SQLITE_INTEGER && sqlite3_value_type(a[1]) == SQLITE_INTEGER)
    return sqlite3_result_int64(ctx, sqlite3_value_int64(a[0]) + sqlite3_value_int64(a[1]));
  double x, y;
  if (!numberArg(ctx, a[0], &x, "+") || !numberArg(ctx, a[1], &y, "+")) return;
  sqlite3_result_double(ctx, x + y);
}

// "&": concatenation that treats a missing value as empty text.
void fnConcat(sqlite3_context* ctx, int argc, sqlite3_value** a) {
  QString s;
  bool any = false;
  for (int i = 0; i < argc; ++i) {
    if (!isNull(a[i])) any = true;
    s += textOf(a[i]);
  }
  if (!any) return sqlite3_result_null(ctx);
  resultText(ctx, s);
}

void fnDate(sqlite3_context* ctx, int, sqlite3_value**) {
  resultText(ctx, QDate::currentDate().toString(Qt::ISODate));
}

void fnNow(sqlite3_context* ctx, int, sqlite3_value**) {
  resultText(ctx, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

QDate dateOf(sqlite3_value* v) {
  return QDate::fromString(textOf(v).left(10), Qt::ISODate);
}

void fnYear(sqlite3_context* ctx, int, sqlite3_value** a) {
  const QDate d = dateOf(a[0]);
  if (!d.isValid()) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, d.year());
}

void fnMonth(sqlite3_context* ctx, int, sqlite3_value** a) {
  const QDate d = dateOf(a[0]);
  if (!d.isValid()) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, d.month());
}

void fnDay(sqlite3_context* ctx, int, sqlite3_value** a) {
  const QDate d = dateOf(a[0]);
  if (!d.isValid()) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, d.day());
}

// First and Last: the value of the first and of the last row of the group.
struct FirstLast {
  sqlite3_value* value;
  bool set;
};

void firstStep(sqlite3_context* ctx, int, sqlite3_value** a) {
  auto* s = static_cast<FirstLast*>(sqlite3_aggregate_context(ctx, sizeof(FirstLast)));
  if (!s->set) {
    s->value = sqlite3_value_dup(a[0]);
    s->set = true;
  }
}

void lastStep(sqlite3_context* ctx, int, sqlite3_value** a) {
  auto* s = static_cast<FirstLast*>(sqlite3_aggregate_context(ctx, sizeof(FirstLast)));
  if (s->set) sqlite3_value_free(s->value);
  s->value = sqlite3_value_dup(a[0]);
  s->set = true;
}

void firstLastFinal(sqlite3_context* ctx) {
  auto* s = static_cast<FirstLast*>(sqlite3_aggregate_context(ctx, 0));
  if (!s || !s->set) return sqlite3_result_null(ctx);
  sqlite3_result_value(ctx, s->value);
  sqlite3_value_free(s->value);
}

// StDev and Var: sample standard deviation and variance.
struct Moments {
  long double n, sum, sumsq;
};

void momentsStep(sqlite3_context* ctx, int, sqlite3_value** a) {
  auto* s = static_cast<Moments*>(sqlite3_aggregate_context(ctx, sizeof(Moments)));
  double d;
  if (isNull(a[0]) || !numberOf(a[0], &d)) return;
  s->n += 1;
  s->sum += d;
  s->sumsq += static_cast<long double>(d) * d;
}

void varFinal(sqlite3_context* ctx) {
  auto* s = static_cast<Moments*>(sqlite3_aggregate_context(ctx, 0));
  if (!s || s->n < 2) return sqlite3_result_null(ctx);
  sqlite3_result_double(ctx, static_cast<double>((s->sumsq - s->sum * s->sum / s->n) / (s->n - 1)));
}

void stdevFinal(sqlite3_context* ctx) {
  auto* s = static_cast<Moments*>(sqlite3_aggregate_context(ctx, 0));
  if (!s || s->n < 2) return sqlite3_result_null(ctx);
  const long double var = (s->sumsq - s->sum * s->sum / s->n) / (s->n - 1);
  sqlite3_result_double(ctx, static_cast<double>(std::sqrt(std::max(var, 0.0L))));
}

// Format(value, pattern): the common number patterns (0, #, decimal point, thousands
// separator, percent; "Fixed", "Standard", "Percent", "General Number") and date patterns (yyyy,
// yy, mm, m, dd, d, hh, nn, ss) of the original; numbers are written with a decimal point.
QString formatNumber(double d, QString pattern) {
  const QString named = pattern.toLower();
  if (named == u"general number" || pattern.isEmpty()) return numberText(d);
  if (named == u"fixed") pattern = QStringLiteral("0.00");
  if (named == u"standard") pattern = QStringLiteral("#,##0.00");
  if (named == u"percent") pattern = QStringLiteral("0.00%");
  const bool percent = pattern.contains(u'%');
  if (percent) d *= 100;
  const qsizetype point = pattern.indexOf(u'.');
  const QString intPart = point < 0 ? pattern : pattern.left(point);
  const QString fracPart = point < 0 ? QString() : pattern.mid(point + 1);
  int minFrac = 0, maxFrac = 0;
  for (QChar c : fracPart) {
    if (c == u'0')
      ++minFrac, ++maxFrac;
    else if (c == u'#')
      ++maxFrac;
  }
  const bool grouping = intPart.contains(u',');
  int minInt = 0;
  for (QChar c : intPart)
    if (c == u'0') ++minInt;
  // Format rounds half away from zero, unlike CInt and Round
  const double scale = std::pow(10.0, maxFrac);
  d = std::round(d * scale) / scale;
  QString digits = QString::number(std::fabs(d), 'f', maxFrac);
  QString ip = digits.section(u'.', 0, 0), fp = digits.section(u'.', 1);
  while (fp.size() > minFrac && fp.endsWith(u'0')) fp.chop(1);
  if (ip == u"0" && minInt == 0) ip.clear();
  while (ip.size() < minInt) ip.prepend(u'0');
  if (grouping)
    for (qsizetype k = ip.size() - 3; k > 0; k -= 3) ip.insert(k, u',');
  QString out = ip;
  if (!fp.isEmpty() || (point >= 0 && minFrac > 0)) out += u'.' + fp;
  if (d < 0) out.prepend(u'-');
  if (percent) out += u'%';
  return out;
}

QString formatDate(const QDateTime& t, const QString& pattern) {
  QString out;
  for (qsizetype i = 0; i < pattern.size();) {
    auto run = [&](QChar c) {
      qsizetype n = 0;
      while (i + n < pattern.size() && pattern[i + n].toLower() == c) ++n;
      return n;
    };
    const QChar c = pattern[i].toLower();
    qsizetype n = 1;
    if (c == u'y') {
      n = run(u'y');
      out += n >= 4 ? QString::number(t.date().year())
                    : QStringLiteral("%1").arg(t.date().year() % 100, 2, 10, QChar(u'0'));
    } else if (c == u'm') {
      n = run(u'm');
      out += n >= 2 ? QStringLiteral("%1").arg(t.date().month(), 2, 10, QChar(u'0'))
                    : QString::number(t.date().month());
    } else if (c == u'd') {
      n = run(u'd');
      out += n >= 2 ? QStringLiteral("%1").arg(t.date().day(), 2, 10, QChar(u'0'))
                    : QString::number(t.date().day());
    } else if (c == u'h') {
      n = run(u'h');
      out += QStringLiteral("%1").arg(t.time().hour(), n >= 2 ? 2 : 1, 10, QChar(u'0'));
    } else if (c == u'n') {
      n = run(u'n');
      out += QStringLiteral("%1").arg(t.time().minute(), 2, 10, QChar(u'0'));
    } else if (c == u's') {
      n = run(u's');
      out += QStringLiteral("%1").arg(t.time().second(), 2, 10, QChar(u'0'));
    } else {
      out += pattern[i];
    }
    i += n;
  }
  return out;
}

void fnFormat(sqlite3_context* ctx, int argc, sqlite3_value** a) {
  if (isNull(a[0])) return sqlite3_result_null(ctx);
  const QString pattern = argc > 1 ? textOf(a[1]) : QString();
  double d;
  if (sqlite3_value_type(a[0]) != SQLITE_TEXT && numberOf(a[0], &d))
    return resultText(ctx, formatNumber(d, pattern));
  const QString text = textOf(a[0]);
  QDateTime t = QDateTime::fromString(text, Qt::ISODate);
  if (!t.isValid()) t = QDateTime(QDate::fromString(text.left(10), Qt::ISODate), QTime(0, 0));
  if (t.isValid() && !pattern.isEmpty()) return resultText(ctx, formatDate(t, pattern));
  if (numberOf(a[0], &d)) return resultText(ctx, formatNumber(d, pattern));
  resultText(ctx, text);
}

struct Scalar {
  const char* name;
  int args;
  void (*fn)(sqlite3_context*, int, sqlite3_value**);
};

}  // namespace

void registerAccessFunctions(sqlite3* h) {
  static const Scalar scalars[] = {
      {"acc_int", 1, fnInt},
      {"acc_fix", 1, fnFix},
      {"acc_cint", 1, fnCInt},
      {"acc_clng", 1, fnCLng},
      {"acc_cdbl", 1, fnCDbl},
      {"acc_csng", 1, fnCDbl},
      {"acc_cstr", 1, fnCStr},
      {"acc_str", 1, fnStr},
      {"acc_trim", 1, fnTrim},
      {"acc_ltrim", 1, fnLTrim},
      {"acc_rtrim", 1, fnRTrim},
      {"acc_left", 2, fnLeft},
      {"acc_right", 2, fnRight},
      {"acc_mid", 2, fnMid},
      {"acc_mid", 3, fnMid},
      {"acc_len", 1, fnLen},
      {"acc_ucase", 1, fnUCase},
      {"acc_lcase", 1, fnLCase},
      {"acc_instr", 2, fnInStr},
      {"acc_instr", 3, fnInStr},
      {"acc_nz", 1, fnNz},
      {"acc_nz", 2, fnNz},
      {"acc_isnull", 1, fnIsNull},
      {"acc_val", 1, fnVal},
      {"acc_sgn", 1, fnSgn},
      {"acc_sqr", 1, fnMath<sqr>},
      {"acc_log", 1, fnMath<ln>},
      {"acc_exp", 1, fnMath<ex>},
      {"acc_round", 1, fnRound},
      {"acc_round", 2, fnRound},
      {"acc_div", 2, fnDiv},
      {"acc_intdiv", 2, fnIntDiv},
      {"acc_mod", 2, fnMod},
      {"acc_pow", 2, fnPow},
      {"acc_plus", 2, fnPlus},
      {"acc_concat", -1, fnConcat},
      {"acc_to_integer", 1, fnToInteger},
      {"acc_to_yesno", 1, fnToYesNo},
      {"acc_year", 1, fnYear},
      {"acc_month", 1, fnMonth},
      {"acc_day", 1, fnDay},
      {"acc_format", 1, fnFormat},
      {"acc_format", 2, fnFormat},
  };
  for (const Scalar& s : scalars) {
    sqlite3_create_function_v2(h, s.name, s.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, s.fn,
                               nullptr, nullptr, nullptr);
  }
  sqlite3_create_function_v2(h, "acc_date", 0, SQLITE_UTF8, nullptr, fnDate, nullptr, nullptr,
                             nullptr);
  sqlite3_create_function_v2(h, "acc_now", 0, SQLITE_UTF8, nullptr, fnNow, nullptr, nullptr,
                             nullptr);
  sqlite3_create_function_v2(h, "acc_first", 1, SQLITE_UTF8, nullptr, nullptr, firstStep,
                             firstLastFinal, nullptr);
  sqlite3_create_function_v2(h, "acc_last", 1, SQLITE_UTF8, nullptr, nullptr, lastStep,
                             firstLastFinal, nullptr);
  sqlite3_create_function_v2(h, "acc_var", 1, SQLITE_UTF8, nullptr, nullptr, momentsStep, varFinal,
                             nullptr);
  sqlite3_create_function_v2(h, "acc_stdev", 1, SQLITE_UTF8, nullptr, nullptr, momentsStep,
                             stdevFinal, nullptr);
}

}  // namespace trb::db
