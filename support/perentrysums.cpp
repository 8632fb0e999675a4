#include "perentrysums.h"

#include "database.h"
#include "diarystatements.h"
#include "sqltext.h"

namespace {

// One entry's kilometres the per-entry way, one statement for it; NULL
// when the entry has no (matching) units.
FieldValue sumOfOneEntry(Database& db, const QString& entryId, const QString& zone = QString(), bool byZone = false)
{
    const ResultSet sum = db.select(diarystatements::entryDistance(entryId, zone, byZone));
    return sum.rows.isEmpty() ? FieldValue() : sum.rows[0][0];
}

// The per-entry sums of the entries a statement lists (ID in its first
// column), one statement per entry.
EntryKm sumEachEntry(Database& db, const ResultSet& entries, const QString& zone = QString(),
                     bool byZone = false)
{
    EntryKm km;
    for (const ResultRow& row : entries.rows) {
        const FieldValue sum = sumOfOneEntry(db, row[0].asString(), zone, byZone);
        if (!sum.isNull())
            km.insert(row[0].asInteger(), sum.asFloat() / 1000.0);
    }
    return km;
}

QStringList firstColumn(const ResultSet& result)
{
    QStringList ids;
    ids.reserve(result.rows.size());
    for (const ResultRow& row : result.rows)
        ids << row[0].asString();
    return ids;
}

QString entriesOfUser(int userId)
{
    return QStringLiteral("SELECT ID FROM main WHERE UserID = ") + quoted(userId);
}

QString entriesOfPeriod(int userId, const QDate& start, const QDate& end, const QString& sport)
{
    return entriesOfUser(userId) + diarystatements::period(start, end) + diarystatements::ofSport(sport);
}

} // namespace

namespace perentry {

EntryKm EntryDistances(Database& db, int userId)
{
    return sumEachEntry(db, db.select(entriesOfUser(userId)));
}

EntryKm EntryDistances(Database& db, int userId, const QDate& start, const QDate& end, const QString& sport)
{
    return sumEachEntry(db, db.select(entriesOfPeriod(userId, start, end, sport)));
}

EntryKm EntryDistancesOfZone(Database& db, int userId, const QDate& start, const QDate& end, const QString& zone,
                             const QString& sport)
{
    return sumEachEntry(db, db.select(entriesOfPeriod(userId, start, end, sport)), zone, true);
}

QHash<QString, EntryKm> EntryDistancesByZone(Database& db, int userId, const QDate& start, const QDate& end,
                                             const QString& sport)
{
    QHash<QString, EntryKm> byZone;
    const ResultSet zones =
        db.select(QStringLiteral("SELECT DISTINCT u.Bereich FROM units u JOIN main m ON m.ID = u.MainID WHERE ")
                  + QStringLiteral("m.UserID = ") + quoted(userId)
                  + diarystatements::period(start, end, QStringLiteral("m.Datum"))
                  + diarystatements::ofSport(sport, QStringLiteral("m.Kategorie"))
                  + QStringLiteral(" AND u.Bereich IS NOT NULL"));
    for (const ResultRow& row : zones.rows)
        byZone.insert(row[0].asString(), perentry::EntryDistancesOfZone(db, userId, start, end, row[0].asString(), sport));
    return byZone;
}

double TotalDistance(Database& db, const QDate& start, const QDate& end, int userId)
{
    const ResultSet list = db.select(diarystatements::entriesForTotal(userId, start, end));
    return SumInOrder(firstColumn(list), sumEachEntry(db, list));
}

double ShoeDistance(Database& db, int userId, const QString& shoe)
{
    const ResultSet list = db.select(diarystatements::entriesOfShoe(userId, shoe));
    return SumInOrder(firstColumn(list), sumEachEntry(db, list));
}

QHash<QString, double> ShoeDistances(Database& db, int userId)
{
    QHash<QString, double> km;
    for (const ResultRow& row :
         db.select(QStringLiteral("SELECT modell FROM schuhe WHERE UserID = ") + quoted(userId)).rows)
        km.insert(row[0].asString(), perentry::ShoeDistance(db, userId, row[0].asString()));
    return km;
}

double SumEntryDistances(Database& db, const QStringList& entryIds)
{
    EntryKm km;
    for (const QString& id : entryIds)
        km.insert(id.toLongLong(), sumOfOneEntry(db, id).asFloat() / 1000.0);
    return SumInOrder(entryIds, km);
}

} // namespace perentry
