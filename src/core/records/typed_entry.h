// What the editors of management and measurements read from their boxes: numbers typed in the
// user's locale and the dates of the lists' rows.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace trb::records {

// The editors' two ways of saving: a new record, or the record selected in the list.
enum class SaveMode { Insert, Overwrite };

// A number as typed in locale: "12,5" in a decimal-comma locale is 12.5. Group separators are
// refused ("12.5" there is not a number), as are empty and non-finite texts. Failures throw
// trb::Error naming the field.
double readTypedNumber(const QString& text, const QString& field,
                       const QLocale& locale = QLocale());
// A whole number as typed in locale; failures throw trb::Error naming the field.
int readTypedWhole(const QString& text, const QString& field, const QLocale& locale = QLocale());

// The date a list row shows in an editor: 1 January of the year when the day or the month is
// missing (below 1), else day.month.year. Invalid (the editor keeps its date) when there is no such
// day, as for 31.02.
QDate recordDate(int day, int month, int year);

}  // namespace trb::records
