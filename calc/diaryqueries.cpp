#include "diaryqueries.h"

#include "diaryforms.h"
#include "diarystatements.h"
#include "diarysums.h"
#include "query.h"
#include "sqltext.h"
#include "textforms.h"

namespace {

using diarystatements::period;

// Appends field 0 of every row of the open query as text.
void appendFirstField(QStringList& list, Query& q)
{
    for (q.first(); !q.eof(); q.next())
        list << q.field(0).asString();
}

} // namespace

QString GetTotalDistance(Database& db, const QDate& start, const QDate& end, int userId)
{
    return distanceText(TotalDistance(db, start, end, userId));
}

int GetTotalDuration(Database& db, const QDate& start, const QDate& end, int userId)
{
    Query q(db);
    q.open(QStringLiteral("SELECT ID, Datum, Uhrzeit, Dauer  FROM main WHERE UserID = ") + quoted(userId)
           + period(start, end) + QStringLiteral(" ORDER BY Datum, Uhrzeit ASC"));
    int minutes = 0;
    for (q.first(); !q.eof(); q.next())
        minutes += DurationToMinutes(q.field(3).asString());
    return minutes;
}

void GetEntriesOfPeriod(Database& db, QStringList& list, int userId, const QDate& start, const QDate& end)
{
    Query q(db);
    q.open(QStringLiteral("SELECT  ID, Datum, uhrzeit FROM main WHERE UserID = ") + quoted(userId)
           + period(start, end) + QStringLiteral(" ORDER BY Datum, Uhrzeit"));
    appendFirstField(list, q);
}

void GetEntriesOfCategory(Database& db, QStringList& list, int userId, const QString& category,
                          const QDate& start, const QDate& end)
{
    Query q(db);
    q.open(QStringLiteral("SELECT ID, Datum, uhrzeit FROM main WHERE UserID = ") + quoted(userId)
           + QStringLiteral(" AND Kategorie = ") + quoted(category) + period(start, end)
           + QStringLiteral(" ORDER BY Datum, Uhrzeit"));
    appendFirstField(list, q);
}

void GetEntriesOfShoe(Database& db, QStringList& list, int userId, const QString& shoe)
{
    Query q(db);
    q.open(diarystatements::entriesOfShoe(userId, shoe));
    appendFirstField(list, q);
}

double GetEntryDistance(Database& db, int entryId, const QString& zone, bool byZone)
{
    Query q(db);
    q.open(diarystatements::entryDistance(QString::number(entryId), zone, byZone));
    return q.field(0).asFloat() / 1000.0;
}

void GetZoneList(Database& db, QStringList& list)
{
    Query q(db);
    q.open(QStringLiteral("SELECT ID, TRBereich, minHF, maxHF  FROM bereiche ORDER BY maxHF"));
    for (q.first(); !q.eof(); q.next()) {
        list << zoneLine(q.field(0).asString(), q.field(1).asString(), q.field(2).asString(),
                         q.field(3).asString());
    }
}

void GetCategoryList(Database& db, QStringList& list)
{
    Query q(db);
    q.open(QStringLiteral("SELECT DISTINCT(Kategorie) FROM main"));
    appendFirstField(list, q);
}

void GetShoeList(Database& db, QStringList& list, int userId)
{
    Query q(db);
    q.open(QStringLiteral("SELECT Schuhe FROM main WHERE UserID = ") + quoted(userId)
           + QStringLiteral(" GROUP BY Schuhe"));
    appendFirstField(list, q);
}

bool UserHasEntries(Database& db, int userId)
{
    Query q(db);
    q.open(QStringLiteral("SELECT Count(ID) FROM main WHERE userID = ") + quoted(userId));
    return q.field(0).asInteger() > 0;
}

void GetZoneNames(Database& db, QStringList& list)
{
    Query q(db);
    q.open(QStringLiteral("SELECT TRbereich From bereiche"));
    appendFirstField(list, q);
}

QHash<qint64, int> GetEntryMinutes(Database& db, int userId, const QDate& start, const QDate& end)
{
    Query q(db);
    q.open(QStringLiteral("SELECT ID, Dauer FROM main WHERE UserID = ") + quoted(userId) + period(start, end));
    QHash<qint64, int> minutes;
    for (q.first(); !q.eof(); q.next())
        minutes.insert(q.field(0).asInteger(), DurationToMinutes(q.field(1).asString()));
    return minutes;
}

QList<EntryWeight> GetEntryWeights(Database& db, int userId, const QDate& start, const QDate& end,
                                   const QString& sport)
{
    Query q(db);
    q.open(QStringLiteral("SELECT  ID, Datum, Uhrzeit, Gewicht FROM main WHERE UserID = ") + quoted(userId)
           + period(start, end) + diarystatements::ofSport(sport) + QStringLiteral(" ORDER BY Datum, Uhrzeit"));
    QList<EntryWeight> rows;
    rows.reserve(q.recordCount());
    for (q.first(); !q.eof(); q.next())
        rows.append(EntryWeight{q.field(0).asInteger(), parseDateText(q.field(1).asString()), q.field(3)});
    return rows;
}
