#include "records.h"

#include "besteffort.h"
#include "database.h"
#include "diaryforms.h"
#include "sqltext.h"
#include "textforms.h"

#include <algorithm>
#include <cmath>

namespace records {

namespace {

// The columns of an effort with its entry's sport and distance, from a
// derived table e of bestzeiten rows joined with main as m.
const QString kColumns = QStringLiteral(
    "e.MainID, e.Strecke, e.Sekunden, e.Beginn, e.Einheit, e.Datum, m.Kategorie, "
    "(SELECT SUM(x.strecke) FROM units x WHERE x.MainID = e.MainID)");

QString person(int userId)
{
    return QStringLiteral("b.UserID = ") + quoted(userId) + QStringLiteral(" AND b.Lauf = 1");
}

// The fastest `count` of each distance, each through the index of the
// person's times over it: a few index pages, whatever the diary's length.
QString fastest(int userId, int count)
{
    QStringList parts;
    for (const course::StandardDistance& d : course::standardDistances())
        parts << QStringLiteral("SELECT * FROM (SELECT FIRST ") + QString::number(count)
                     + QStringLiteral(" b.MainID, b.Strecke, b.Sekunden, b.Beginn, b.Einheit, b.Datum FROM bestzeiten b "
                                      "WHERE ")
                     + person(userId) + QStringLiteral(" AND b.Strecke = ") + quoted(d.metres)
                     + QStringLiteral(" ORDER BY b.UserID, b.Lauf, b.Strecke, b.Sekunden, b.MainID)");
    return QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM (") + parts.join(QStringLiteral(" UNION ALL "))
           + QStringLiteral(") e JOIN main m ON m.ID = e.MainID");
}

Effort effortOf(const ResultRow& row)
{
    Effort e;
    e.entryId = row.value(0).asString();
    e.metres = int(row.value(1).asInteger());
    e.seconds = row.value(2).asFloat();
    e.startSeconds = row.value(3).asFloat();
    e.unit = int(row.value(4).asInteger());
    const FieldValue& date = row.value(5);
    e.date = date.kind == FieldValue::Kind::Date ? QDate::fromJulianDay(date.integer) : parseDateText(date.asString());
    e.sport = row.value(6).asString().trimmed();
    e.entryKm = row.value(7).isNull() ? 0.0 : row.value(7).asFloat();
    return e;
}

int distanceOrder(int metres)
{
    const QList<course::StandardDistance>& all = course::standardDistances();
    for (int i = 0; i < all.size(); ++i)
        if (all[i].metres == metres)
            return i;
    return int(all.size());
}

bool faster(const Effort& a, const Effort& b)
{
    if (a.seconds != b.seconds)
        return a.seconds < b.seconds;
    return a.date < b.date;
}

void sortTable(QList<Effort>& list)
{
    std::stable_sort(list.begin(), list.end(), [](const Effort& a, const Effort& b) {
        if (a.metres != b.metres)
            return distanceOrder(a.metres) < distanceOrder(b.metres);
        return faster(a, b);
    });
}

} // namespace

qint64 Effort::wholeSeconds() const
{
    return std::llround(seconds);
}

QList<Effort> Table::ofDistance(const QList<Effort>& list, int metres)
{
    QList<Effort> result;
    for (const Effort& e : list)
        if (e.metres == metres)
            result << e;
    return result;
}

Table read(Database& db, int userId)
{
    const ResultSet rows = db.select(fastest(userId, 3));
    Table table;
    for (const ResultRow& row : rows.rows)
        table.allTime << effortOf(row);
    sortTable(table.allTime);
    // The years with efforts, newest first: from the first effort's year on,
    // each year looked up in the index of the person's dates.
    const QString year = QStringLiteral("CAST(y.n || '-01-01' AS DATE) AND CAST(y.n || '-12-31' AS DATE)");
    const ResultSet years = db.select(
        QStringLiteral("WITH RECURSIVE y (n) AS (SELECT EXTRACT(YEAR FROM (SELECT FIRST 1 b.Datum FROM bestzeiten b "
                       "WHERE ")
        + person(userId)
        + QStringLiteral(" ORDER BY b.UserID, b.Lauf, b.Datum)) FROM RDB$DATABASE UNION ALL SELECT y.n + 1 FROM y "
                         "WHERE y.n < EXTRACT(YEAR FROM CURRENT_DATE)) SELECT y.n FROM y WHERE EXISTS (SELECT 1 FROM "
                         "bestzeiten b WHERE ")
        + person(userId) + QStringLiteral(" AND b.Datum BETWEEN ") + year + QStringLiteral(") ORDER BY y.n DESC"));
    for (const ResultRow& row : years.rows)
        table.years << int(row.value(0).asInteger());
    return table;
}

QList<Effort> ofYear(Database& db, int userId, int year)
{
    const ResultSet rows = db.select(
        QStringLiteral("SELECT ") + kColumns
        + QStringLiteral(" FROM (SELECT b.*, ROW_NUMBER() OVER (PARTITION BY b.Strecke ORDER BY b.Sekunden, b.MainID) "
                         "AS n FROM bestzeiten b WHERE ")
        + person(userId) + QStringLiteral(" AND b.Datum BETWEEN ") + quoted(dateText(QDate(year, 1, 1)))
        + QStringLiteral(" AND ") + quoted(dateText(QDate(year, 12, 31)))
        + QStringLiteral(") e JOIN main m ON m.ID = e.MainID WHERE e.n <= 3"));
    QList<Effort> list;
    for (const ResultRow& row : rows.rows)
        list << effortOf(row);
    sortTable(list);
    return list;
}

QList<Effort> since(Database& db, int userId, const QDate& from)
{
    const ResultSet rows = db.select(QStringLiteral("SELECT ") + kColumns
                                     + QStringLiteral(" FROM bestzeiten e JOIN main m ON m.ID = e.MainID WHERE ")
                                     + person(userId).replace(QStringLiteral("b."), QStringLiteral("e."))
                                     + QStringLiteral(" AND e.Datum >= ") + quoted(dateText(from)));
    QList<Effort> list;
    list.reserve(rows.rows.size());
    for (const ResultRow& row : rows.rows)
        list << effortOf(row);
    sortTable(list);
    return list;
}

QHash<int, Effort> best(Database& db, int userId)
{
    const ResultSet rows = db.select(fastest(userId, 1));
    QHash<int, Effort> bests;
    for (const ResultRow& row : rows.rows) {
        const Effort e = effortOf(row);
        bests.insert(e.metres, e);
    }
    return bests;
}

QList<Notice> newRecords(const QHash<int, Effort>& before, const QHash<int, Effort>& after,
                         const QStringList& entries)
{
    QList<Notice> notices;
    for (const course::StandardDistance& d : course::standardDistances()) {
        const auto now = after.constFind(d.metres);
        if (now == after.cend() || (!entries.isEmpty() && !entries.contains(now->entryId)))
            continue;
        const auto was = before.constFind(d.metres);
        if (was != before.cend() && now->wholeSeconds() < was->wholeSeconds())
            notices.append({*now, *was});
    }
    return notices;
}

QString noticeText(const Notice& notice)
{
    return QStringLiteral("Neue Bestzeit über ") + course::distanceName(notice.effort.metres)
           + QStringLiteral(": ") + raceTimeText(notice.effort.seconds) + QStringLiteral(" (bisher ")
           + raceTimeText(notice.previous.seconds) + QStringLiteral(" vom ") + dateText(notice.previous.date)
           + QLatin1Char(')');
}

QString noticesText(const QList<Notice>& notices)
{
    QStringList lines;
    for (const Notice& n : notices)
        lines << noticeText(n);
    return lines.join(QLatin1Char('\n'));
}

Forecast forecast(const QList<Effort>& efforts)
{
    Forecast result;
    for (const Effort& e : efforts) {
        const course::StandardDistance* d = course::standardDistance(e.metres);
        if (!d || d->exact < 1609.0)
            continue;
        const double v = predictions::vdot(d->exact, e.seconds);
        if (v > result.vdot) {
            result.vdot = v;
            result.base = e;
        }
    }
    if (!result.base)
        return result;
    const double from = course::standardDistance(result.base->metres)->exact;
    for (const int metres : {5000, 10000, 21098, 42195}) {
        const double to = course::standardDistance(metres)->exact;
        result.rows.append({metres, predictions::riegel(from, result.base->seconds, to),
                            predictions::timeForVdot(result.vdot, to)});
    }
    result.paces = predictions::trainingPaces(result.vdot);
    return result;
}

} // namespace records
