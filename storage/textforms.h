#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The text forms of dates, times and decimal numbers, fixed to the German
// ones whatever the machine's locale: dd.mm.yyyy, hh:mm:ss, decimal comma.
// The same forms go into composed statements and come back from the database.

QString dateText(const QDate& date);          // 07.12.2026
QDate parseDateText(const QString& text);     // invalid when the text is no date
// A date as typed, in the form dd.mm.yyyy: eight digits in one go
// ("07122026") or day and month of one or two digits between points
// ("7.12.2026"; blanks, such as a date mask's unfilled places, are left
// out). The result need not be a date ("07.13.2026"); empty when the text
// has no such form.
QString completedDateText(const QString& typed);
// The date a text typed into a date field means: completed as above, or as
// written; invalid when it is none.
QDate typedDate(const QString& typed);
QString timeText(const QTime& time);          // 08:05:00
QTime parseTimeText(const QString& text);     // hh:mm:ss or hh:mm; invalid otherwise

// Replaces the decimal point by the comma, and the other way round.
QString decimalComma(QString text);
QString decimalPoint(QString text);

// The value rounded to the count of decimals (0 to 6), halves away from
// zero: 2.25 gives 2.3, -2.25 gives -2.3. The value is first taken to the
// nearest millionth, so that a decimal such as 419.95, which a double holds
// a little below or above, meets its half as written.
double roundedDecimal(double value, int decimals);

// A number with a fixed count of decimals and the decimal comma ("%1.1f"),
// rounded by roundedDecimal.
QString fixedText(double value, int decimals);
// Reads a number written with a comma or a point.
double parseDecimal(const QString& text, bool* ok = nullptr);
