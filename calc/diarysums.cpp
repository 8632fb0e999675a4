#include "diarysums.h"

#include "database.h"
#include "diarystatements.h"
#include "sqltext.h"

#include <atomic>

namespace {

std::atomic<SumStrategy> g_strategy{SumStrategy::Aggregate};

bool perEntry()
{
    return g_strategy.load() == SumStrategy::PerEntry;
}

// The per-entry sums of the entries a statement lists (ID in its first
// column), one statement per entry.
EntryKm sumEachEntry(Database& db, const ResultSet& entries, const QString& zone = QString(),
                     bool byZone = false)
{
    EntryKm km;
    for (const ResultRow& row : entries.rows) {
        const ResultSet sum = db.select(diarystatements::entryDistance(row[0].asString(), zone, byZone));
        if (!sum.rows.isEmpty() && !sum.rows[0][0].isNull())
            km.insert(row[0].asInteger(), sum.rows[0][0].asFloat());
    }
    return km;
}

// Reads "MainID, SUM(strecke)" rows into the map.
void addSums(EntryKm& km, const ResultSet& sums)
{
    km.reserve(km.size() + sums.rows.size());
    for (const ResultRow& row : sums.rows)
        km.insert(row[0].asInteger(), row[1].asFloat());
}

// Sums of the units of the user's entries that the condition on main (m)
// and units (u) selects, grouped by entry.
EntryKm groupedSums(Database& db, int userId, const QString& condition)
{
    // The person's entries through their index, then each entry's units
    // through theirs; left to itself the engine walks all units in entry
    // order and looks up the entry of each, several times slower.
    EntryKm km;
    addSums(km, db.select(QStringLiteral("SELECT u.MainID, SUM(u.strecke) FROM units u JOIN main m ON m.ID = u.MainID "
                                         "WHERE m.UserID = ")
                          + quoted(userId) + condition
                          + QStringLiteral(" GROUP BY u.MainID "
                                           "PLAN SORT (JOIN (M INDEX (IX_MAIN_USERID_DATUM), U INDEX (IX_UNITS_MAINID)))")));
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

} // namespace

void setSumStrategy(SumStrategy strategy)
{
    g_strategy = strategy;
}

SumStrategy sumStrategy()
{
    return g_strategy.load();
}

EntryKm EntryDistances(Database& db, int userId)
{
    if (perEntry())
        return sumEachEntry(db, db.select(QStringLiteral("SELECT ID FROM main WHERE UserID = ") + quoted(userId)));
    return groupedSums(db, userId, QString());
}

EntryKm EntryDistances(Database& db, int userId, const QDate& start, const QDate& end)
{
    if (perEntry()) {
        return sumEachEntry(db, db.select(QStringLiteral("SELECT ID FROM main WHERE UserID = ") + quoted(userId)
                                          + diarystatements::period(start, end)));
    }
    return groupedSums(db, userId, diarystatements::period(start, end, QStringLiteral("m.Datum")));
}

EntryKm EntryDistancesOfZone(Database& db, int userId, const QDate& start, const QDate& end, const QString& zone)
{
    if (perEntry()) {
        return sumEachEntry(db,
                            db.select(QStringLiteral("SELECT ID FROM main WHERE UserID = ") + quoted(userId)
                                      + diarystatements::period(start, end)),
                            zone, true);
    }
    return groupedSums(db, userId,
                       diarystatements::period(start, end, QStringLiteral("m.Datum"))
                           + QStringLiteral(" AND u.Bereich = ") + quoted(zone));
}

float SumInOrder(const QStringList& entryIds, const EntryKm& km)
{
    // The running sum is single precision and each entry's kilometres are
    // added as read: the totals every window shows are formed this way.
    float sum = 0.0f;
    for (const QString& id : entryIds)
        sum = float(sum + km.value(id.toLongLong()));
    return sum;
}

float TotalDistance(Database& db, const QDate& start, const QDate& end, int userId)
{
    const ResultSet entries = db.select(diarystatements::entriesForTotal(userId, start, end));
    const EntryKm km = perEntry() ? sumEachEntry(db, entries) : EntryDistances(db, userId, start, end);
    return SumInOrder(firstColumn(entries), km);
}

float ShoeDistance(Database& db, int userId, const QString& shoe)
{
    const ResultSet entries = db.select(diarystatements::entriesOfShoe(userId, shoe));
    const EntryKm km = perEntry() ? sumEachEntry(db, entries)
                                  : groupedSums(db, userId, QStringLiteral(" AND m.Schuhe = ") + quoted(shoe));
    return SumInOrder(firstColumn(entries), km);
}

float SumEntryDistances(Database& db, const QStringList& entryIds)
{
    EntryKm km;
    if (perEntry()) {
        for (const QString& id : entryIds) {
            const ResultSet sum = db.select(diarystatements::entryDistance(id, QString(), false));
            if (!sum.rows.isEmpty())
                km.insert(id.toLongLong(), sum.rows[0][0].asFloat());
        }
        return SumInOrder(entryIds, km);
    }
    // The engine takes lists of up to 1,500 values; the IDs go in blocks.
    constexpr qsizetype kBlock = 1000;
    for (qsizetype first = 0; first < entryIds.size(); first += kBlock) {
        QString list;
        for (qsizetype i = first; i < qMin(first + kBlock, entryIds.size()); ++i)
            list += (list.isEmpty() ? QString() : QStringLiteral(",")) + quoted(entryIds[i]);
        addSums(km, db.select(QStringLiteral("SELECT MainID, SUM(strecke) FROM units WHERE MainID IN (") + list
                              + QStringLiteral(") GROUP BY MainID")));
    }
    return SumInOrder(entryIds, km);
}

DiaryStamp GetDiaryStamp(Database& db, int userId)
{
    const ResultSet r = db.select(QStringLiteral("SELECT GEN_ID(Gen_Main, 0), GEN_ID(Gen_Units, 0), "
                                                 "(SELECT COUNT(*) FROM main WHERE UserID = ")
                                  + quoted(userId) + QStringLiteral(") FROM RDB$DATABASE"));
    DiaryStamp stamp;
    if (!r.rows.isEmpty()) {
        stamp.lastEntryId = r.rows[0][0].asInteger();
        stamp.lastUnitId = r.rows[0][1].asInteger();
        stamp.entryCount = r.rows[0][2].asInteger();
    }
    return stamp;
}
