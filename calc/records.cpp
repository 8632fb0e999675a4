#include "records.h"

#include "besteffort.h"
#include "database.h"
#include "diaryforms.h"
#include "sqltext.h"
#include "textforms.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace records {

namespace {

// The words of running sports, as the rule of runningSport says, upper case.
const char* const kRunningWords[] = {"JOGGEN", "JOGGING", "TRAILRUNNING"};
const char* const kNotRunningEnds[] = {"LANGLAUF", "EISLAUF", "SCHUHLAUF"};

// The same rule as a condition on the sport column.
QString runningCondition(const QString& column)
{
    const QString word = QStringLiteral("UPPER(TRIM(") + column + QStringLiteral("))");
    QStringList words;
    for (const char* w : kRunningWords)
        words << quoted(QString::fromLatin1(w));
    QString notEnds;
    for (const char* end : kNotRunningEnds)
        notEnds += QStringLiteral(" AND ") + word + QStringLiteral(" NOT LIKE ")
                   + quoted(QStringLiteral("%") + QString::fromLatin1(end));
    return QStringLiteral("(") + word + QStringLiteral(" STARTING WITH 'LAUF' OR ") + word + QStringLiteral(" IN (")
           + words.join(QLatin1Char(',')) + QStringLiteral(") OR (") + word + QStringLiteral(" LIKE '%LAUF'")
           + notEnds + QStringLiteral("))");
}

QString number(double value)
{
    return QString::number(value, 'f', 5);
}

// The standard distance (metres) a unit's distance counts for, else NULL.
QString unitDistance(const QString& column)
{
    QString text = QStringLiteral("CASE");
    for (const course::StandardDistance& d : course::standardDistances()) {
        const double km = d.exact / 1000.0;
        text += QStringLiteral(" WHEN ") + column + QStringLiteral(" BETWEEN ")
                + number(km * (1.0 - course::kUnitTolerance)) + QStringLiteral(" AND ")
                + number(km * (1.0 + course::kUnitTolerance)) + QStringLiteral(" THEN ") + QString::number(d.metres);
    }
    return text + QStringLiteral(" END");
}

// The person's efforts as the table e (entry, metres, seconds, start, unit,
// date, sport), one per entry and distance as o with n = 1. `where` narrows
// the entries (m is main).
QString effortsWith(int userId, const QString& where)
{
    const QString entries = QStringLiteral("m.UserID = ") + quoted(userId) + QStringLiteral(" AND ")
                            + runningCondition(QStringLiteral("m.Kategorie")) + where;
    const QString distance = unitDistance(QStringLiteral("u.strecke"));
    const QString seconds = QStringLiteral("(EXTRACT(HOUR FROM u.Zeit) * 3600 + EXTRACT(MINUTE FROM u.Zeit) * 60 "
                                           "+ EXTRACT(SECOND FROM u.Zeit))");
    return QStringLiteral("WITH e AS (SELECT b.MainID, b.Strecke, b.Sekunden, b.Beginn, 0 AS Einheit, m.Datum, "
                          "m.Kategorie FROM main m JOIN bestzeiten b ON b.MainID = m.ID WHERE ")
           + entries + QStringLiteral(" UNION ALL SELECT u.MainID, ") + distance + QStringLiteral(", CAST(") + seconds
           + QStringLiteral(" AS DOUBLE PRECISION), CAST(-1 AS DOUBLE PRECISION), u.SubID, m.Datum, m.Kategorie "
                            "FROM main m JOIN units u ON u.MainID = m.ID WHERE ")
           + entries + QStringLiteral(" AND u.Zeit IS NOT NULL AND ") + distance
           + QStringLiteral(" IS NOT NULL AND NOT EXISTS (SELECT 1 FROM verlauf v WHERE v.MainID = m.ID)), "
                            "o AS (SELECT e.*, ROW_NUMBER() OVER (PARTITION BY e.MainID, e.Strecke "
                            "ORDER BY e.Sekunden, e.Einheit) AS n FROM e WHERE e.Sekunden > 0) ");
}

// The columns every read gives first, of a table with the columns of o.
QString effortColumns(const QString& table)
{
    return table + QStringLiteral(".MainID, ") + table + QStringLiteral(".Strecke, ") + table
           + QStringLiteral(".Sekunden, ") + table + QStringLiteral(".Beginn, ") + table + QStringLiteral(".Einheit, ")
           + table + QStringLiteral(".Datum, ") + table + QStringLiteral(".Kategorie, (SELECT SUM(x.strecke) FROM units x "
                                                                    "WHERE x.MainID = ")
           + table + QStringLiteral(".MainID)");
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

bool runningSport(const QString& sport)
{
    const QString word = sport.trimmed().toUpper();
    if (word.startsWith(QLatin1String("LAUF")))
        return true;
    for (const char* w : kRunningWords)
        if (word == QLatin1String(w))
            return true;
    if (!word.endsWith(QLatin1String("LAUF")))
        return false;
    for (const char* end : kNotRunningEnds)
        if (word.endsWith(QLatin1String(end)))
            return false;
    return true;
}

qint64 Effort::wholeSeconds() const
{
    return std::llround(seconds);
}

QList<int> Table::years() const
{
    QList<int> list = byYear.keys();
    std::sort(list.begin(), list.end(), std::greater<int>());
    return list;
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
    const ResultSet rows = db.select(
        effortsWith(userId, QString())
        + QStringLiteral(", r AS (SELECT o.*, ROW_NUMBER() OVER (PARTITION BY o.Strecke ORDER BY o.Sekunden, o.Datum, "
                         "o.MainID) AS gesamt, ROW_NUMBER() OVER (PARTITION BY o.Strecke, EXTRACT(YEAR FROM o.Datum) "
                         "ORDER BY o.Sekunden, o.Datum, o.MainID) AS jahr FROM o WHERE o.n = 1) SELECT ")
        + effortColumns(QStringLiteral("r")) + QStringLiteral(", r.gesamt, r.jahr FROM r WHERE r.gesamt <= 3 OR r.jahr <= 3"));
    Table table;
    for (const ResultRow& row : rows.rows) {
        const Effort e = effortOf(row);
        if (row.value(8).asInteger() <= 3)
            table.allTime << e;
        if (row.value(9).asInteger() <= 3)
            table.byYear[e.date.year()] << e;
    }
    sortTable(table.allTime);
    for (QList<Effort>& list : table.byYear)
        sortTable(list);
    return table;
}

QList<Effort> since(Database& db, int userId, const QDate& from)
{
    const ResultSet rows = db.select(effortsWith(userId, QStringLiteral(" AND m.Datum >= ") + quoted(dateText(from)))
                                     + QStringLiteral("SELECT ") + effortColumns(QStringLiteral("o"))
                                     + QStringLiteral(" FROM o WHERE o.n = 1"));
    QList<Effort> list;
    list.reserve(rows.rows.size());
    for (const ResultRow& row : rows.rows)
        list << effortOf(row);
    sortTable(list);
    return list;
}

QHash<int, Effort> best(Database& db, int userId)
{
    const ResultSet rows = db.select(
        effortsWith(userId, QString())
        + QStringLiteral(", r AS (SELECT o.*, ROW_NUMBER() OVER (PARTITION BY o.Strecke ORDER BY o.Sekunden, o.Datum, "
                         "o.MainID) AS gesamt FROM o WHERE o.n = 1) SELECT ")
        + effortColumns(QStringLiteral("r")) + QStringLiteral(" FROM r WHERE r.gesamt = 1"));
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
