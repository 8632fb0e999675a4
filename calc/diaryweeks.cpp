#include "diaryweeks.h"

namespace {

// The Thursday of the date's week decides both its number and its year.
QDate thursdayOfWeek(const QDate& date)
{
    const int offset = date.dayOfWeek() - 1; // Monday 0 .. Sunday 6
    return date.addDays(3 - offset);
}

QDate mondayOfWeek(const QDate& date)
{
    return date.addDays(1 - date.dayOfWeek());
}

} // namespace

int GetMonth(const QDate& date)
{
    return date.month();
}

int GetWeekNumber(const QDate& date)
{
    const QDate thursday = thursdayOfWeek(date);
    const QDate jan1(thursday.year(), 1, 1);
    return int(jan1.daysTo(thursday) / 7 + 1);
}

int GetWeekYear(const QDate& date)
{
    return thursdayOfWeek(date).year();
}

QString weekLine(const QDate& date)
{
    return QString::number(GetWeekNumber(date)) + QLatin1Char(';') + QString::number(GetWeekYear(date))
        + QStringLiteral(";0");
}

void GetWeekList(QStringList& list, const QDate& start, const QDate& end)
{
    if (!start.isValid() || !end.isValid() || start > end)
        return;
    // Weeks are compared by their Mondays, not by their numbers, so that a
    // period over a year end (week 52 before week 1) lists every week once.
    const QDate lastMonday = mondayOfWeek(end);
    for (QDate day = start; mondayOfWeek(day) < lastMonday; day = day.addDays(7))
        list << weekLine(day);
    list << weekLine(end);
}
