#include "diaryqueries.h"

#include "diaryforms.h"
#include "session.h"
#include "sqltext.h"
#include "textforms.h"

namespace {

Query& query1()
{
    return Session::current().ZQuery1;
}

Query& query2()
{
    return Session::current().ZQuery2;
}

QString period(const QDate& start, const QDate& end)
{
    return QStringLiteral(" AND Datum BETWEEN ") + quoted(dateText(start)) + QStringLiteral(" AND ")
        + quoted(dateText(end));
}

// Appends field 0 of every row of the open query as text.
void appendFirstField(QStringList& list, Query& q)
{
    for (q.first(); !q.eof(); q.next())
        list << q.field(0).asString();
}

} // namespace

QString GetTotalDistance(const QDate& start, const QDate& end, int userId)
{
    Query& entries = query1();
    entries.open(QStringLiteral("SELECT ID, Datum, uhrzeit FROM main WHERE UserID = ") + quoted(userId)
                 + period(start, end) + QStringLiteral(" ORDER BY Datum, Uhrzeit ASC"));
    Query& units = query2();
    // The running sum is single precision and becomes text only at the end:
    // the totals every window shows are formed this way.
    float sum = 0.0f;
    for (entries.first(); !entries.eof(); entries.next()) {
        units.open(QStringLiteral("SELECT SUM (strecke) FROM UNITS WHERE MainID = ")
                   + quoted(entries.field(0).asInteger()));
        sum = float(sum + units.field(0).asFloat());
    }
    return distanceText(sum);
}

int GetTotalDuration(const QDate& start, const QDate& end, int userId)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT ID, Datum, Uhrzeit, Dauer  FROM main WHERE UserID = ") + quoted(userId)
           + period(start, end) + QStringLiteral(" ORDER BY Datum, Uhrzeit ASC"));
    int minutes = 0;
    for (q.first(); !q.eof(); q.next())
        minutes += DurationToMinutes(q.field(3).asString());
    return minutes;
}

void GetEntriesOfPeriod(QStringList& list, int userId, const QDate& start, const QDate& end)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT  ID, Datum, uhrzeit FROM main WHERE UserID = ") + quoted(userId)
           + period(start, end) + QStringLiteral(" ORDER BY Datum, Uhrzeit"));
    appendFirstField(list, q);
}

void GetEntriesOfCategory(QStringList& list, int userId, const QString& category,
                          const QDate& start, const QDate& end)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT ID, Datum, uhrzeit FROM main WHERE UserID = ") + quoted(userId)
           + QStringLiteral(" AND Kategorie = ") + quoted(category) + period(start, end)
           + QStringLiteral(" ORDER BY Datum, Uhrzeit"));
    appendFirstField(list, q);
}

void GetEntriesOfShoe(QStringList& list, int userId, const QString& shoe)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT ID, Datum, Uhrzeit FROM main WHERE Schuhe = ") + quoted(shoe)
           + QStringLiteral(" AND UserID = ") + quoted(userId) + QStringLiteral(" ORDER BY Datum"));
    appendFirstField(list, q);
}

float GetEntryDistance(int entryId, const QString& zone, bool byZone)
{
    QString sql = QStringLiteral("SELECT SUM(strecke) FROM units WHERE MainID = ") + quoted(entryId);
    if (byZone)
        sql += QStringLiteral(" And Bereich = ") + quoted(zone);
    Query& q = query2();
    q.open(sql);
    return float(q.field(0).asFloat());
}

float SumEntryDistances(const QStringList& entryIds)
{
    Query& q = query1();
    float sum = 0.0f;
    for (const QString& id : entryIds) {
        q.open(QStringLiteral("SELECT SUM(Strecke) FROM units WHERE MainID = ") + quoted(id));
        sum = float(sum + q.field(0).asFloat());
    }
    return sum;
}

void GetZoneList(QStringList& list)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT ID, TRBereich, minHF, maxHF  FROM bereiche ORDER BY maxHF"));
    for (q.first(); !q.eof(); q.next()) {
        list << zoneLine(q.field(0).asString(), q.field(1).asString(), q.field(2).asString(),
                         q.field(3).asString());
    }
}

void GetCategoryList(QStringList& list)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT DISTINCT(Kategorie) FROM main"));
    appendFirstField(list, q);
}

void GetShoeList(QStringList& list, int userId)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT Schuhe FROM main WHERE UserID = ") + quoted(userId)
           + QStringLiteral(" GROUP BY Schuhe"));
    appendFirstField(list, q);
}

bool UserHasEntries(int userId)
{
    Query& q = query1();
    q.open(QStringLiteral("SELECT Count(ID) FROM main WHERE userID = ") + quoted(userId));
    return q.field(0).asInteger() > 0;
}
