#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Months and ISO 8601 weeks (weeks begin on Monday; week 1 holds the year's
// first Thursday).

int GetMonth(const QDate& date);

// Week number 1..53 of the date.
int GetWeekNumber(const QDate& date);

// The year the date's week belongs to: 31.12.2024 lies in week 1 of 2025,
// 01.01.2021 in week 53 of 2020.
int GetWeekYear(const QDate& date);

// "week;year;0" for the date's week, e.g. "52;2025;0". The third field is a
// counter the callers fill in.
QString weekLine(const QDate& date);

// Appends one week line for every week from the week of start through the
// week of end, in date order, each week once. Nothing is appended when start
// lies after end or either date is invalid.
void GetWeekList(QStringList& list, const QDate& start, const QDate& end);
