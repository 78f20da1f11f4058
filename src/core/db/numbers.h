// Rounding and the writing of numbers, one way for the whole program.
#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>

namespace trb {

// True when the value is a number (whole, real or a truth value), not text or empty.
bool holds_number(const QVariant& v);

// Rounds to n decimals: multiply by 10^n, round to the nearest whole number with ties to even,
// divide again.
double round_to(double x, int decimals);
long double round_to(long double x, int decimals);

// Nearest whole number, ties to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double round_half_even(double x);

// The general format of a number with 15 significant digits: fixed notation for exponents from
// -5 to 14, otherwise scientific ("1.5E20", "1E-6"); no digit grouping; the decimal separator of
// the given locale (the user's by default).
QString fmt_general(double x, const QLocale& locale = QLocale());
QString fmt_general(long double x, const QLocale& locale = QLocale());

// A number as SQL text: the same digits, always with a decimal point.
QString sql_float(double x);

}  // namespace trb
