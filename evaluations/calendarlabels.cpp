// Candidate labels and slot names of the calendar charts' bottom axis.

#include "chart.h"

#include "diaryforms.h"
#include "textforms.h"

namespace chart {

namespace {

bool quarterMonth(int month)
{
    return month % 3 == 1;
}

} // namespace

QList<AxisLabel> dayLabels(const QDate& first, int days)
{
    QList<AxisLabel> labels;
    labels.reserve(std::max(0, days));
    for (int i = 0; i < days; ++i) {
        const QDate day = first.addDays(i);
        int rank = 0;
        if (day.day() == 1) {
            rank = 2;
            if (quarterMonth(day.month()))
                rank = 3;
            if (day.month() == 1)
                rank = day.year() % 5 == 0 ? 5 : 4;
        } else if (day.dayOfWeek() == Qt::Monday) {
            rank = 1;
        }
        labels.append({i, dateText(day), rank});
    }
    return labels;
}

QList<AxisLabel> weekLabels(const QDate& firstMonday, int weeks)
{
    QList<AxisLabel> labels;
    labels.reserve(std::max(0, weeks));
    for (int i = 0; i < weeks; ++i) {
        const QDate monday = firstMonday.addDays(7 * qint64(i));
        int weekYear = 0;
        const int week = monday.weekNumber(&weekYear);
        // A week belongs to the month of its Thursday, as ISO weeks belong
        // to the year of theirs; so week 1 is the first week of January.
        const QDate thursday = monday.addDays(3);
        int rank = 0;
        if (thursday.day() <= 7) {
            rank = 1;
            if (quarterMonth(thursday.month()))
                rank = 2;
            if (week == 1)
                rank = weekYear % 5 == 0 ? 4 : 3;
        }
        labels.append({i, weekLabelText(week, weekYear), rank});
    }
    return labels;
}

QList<AxisLabel> monthLabels(const QDate& firstOfMonth, int months)
{
    QList<AxisLabel> labels;
    labels.reserve(std::max(0, months));
    for (int i = 0; i < months; ++i) {
        const QDate month = firstOfMonth.addMonths(i);
        int rank = 0;
        if (quarterMonth(month.month()))
            rank = 1;
        if (month.month() == 1)
            rank = month.year() % 5 == 0 ? 3 : 2;
        labels.append({i, monthLabelText(month.month(), month.year()), rank});
    }
    return labels;
}

QStringList dayNames(const QDate& first, int days)
{
    QStringList names;
    names.reserve(std::max(0, days));
    for (int i = 0; i < days; ++i)
        names.append(dateText(first.addDays(i)));
    return names;
}

QStringList weekNames(const QDate& firstMonday, int weeks)
{
    QStringList names;
    names.reserve(std::max(0, weeks));
    for (int i = 0; i < weeks; ++i) {
        int weekYear = 0;
        const int week = firstMonday.addDays(7 * qint64(i)).weekNumber(&weekYear);
        names.append(weekLabelText(week, weekYear));
    }
    return names;
}

QStringList monthNames(const QDate& firstOfMonth, int months)
{
    QStringList names;
    names.reserve(std::max(0, months));
    for (int i = 0; i < months; ++i) {
        const QDate month = firstOfMonth.addMonths(i);
        names.append(monthLabelText(month.month(), month.year()));
    }
    return names;
}

} // namespace chart
