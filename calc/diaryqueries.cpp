#include "diaryqueries.h"

#include "diaryforms.h"
#include "diarystatements.h"
#include "diarysums.h"
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

using diarystatements::period;

// Appends field 0 of every row of the open query as text.
void appendFirstField(QStringList& list, Query& q)
{
    for (q.first(); !q.eof(); q.next())
        list << q.field(0).asString();
}

} // namespace

QString GetTotalDistance(const QDate& start, const QDate& end, int userId)
{
    return distanceText(TotalDistance(Session::current().ZDatabase1, start, end, userId));
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
    q.open(diarystatements::entriesOfShoe(userId, shoe));
    appendFirstField(list, q);
}

double GetEntryDistance(int entryId, const QString& zone, bool byZone)
{
    Query& q = query2();
    q.open(diarystatements::entryDistance(QString::number(entryId), zone, byZone));
    return q.field(0).asFloat() / 1000.0;
}

double SumEntryDistances(const QStringList& entryIds)
{
    return SumEntryDistances(Session::current().ZDatabase1, entryIds);
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
