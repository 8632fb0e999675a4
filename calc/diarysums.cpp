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

// The kilometres of the entry m, as the single-entry statement reads them;
// only those of the units the condition on u selects.
QString entryKm(const QString& unitCondition = QString())
{
    return QStringLiteral("(SELECT SUM(u.strecke) FROM units u WHERE u.MainID = m.ID") + unitCondition
        + QLatin1Char(')');
}

// The kilometres of every entry that the condition on main (m) selects,
// with one statement. Each entry's units are summed by the engine exactly
// as the single-entry statement sums them (through the index on MainID, in
// the same order), so the doubles are the same to the last bit; a GROUP BY
// over a join sorts the units and may add them in another order.
EntryKm sumsOfEntries(Database& db, const QString& condition, const QString& unitCondition = QString())
{
    EntryKm km;
    const ResultSet sums =
        db.select(QStringLiteral("SELECT m.ID, ") + entryKm(unitCondition) + QStringLiteral(" FROM main m WHERE ")
                  + condition);
    km.reserve(sums.rows.size());
    for (const ResultRow& row : sums.rows)
        if (!row[1].isNull())
            km.insert(row[0].asInteger(), row[1].asFloat());
    return km;
}

QString ofUser(int userId)
{
    return QStringLiteral("m.UserID = ") + quoted(userId);
}

QStringList firstColumn(const ResultSet& result)
{
    QStringList ids;
    ids.reserve(result.rows.size());
    for (const ResultRow& row : result.rows)
        ids << row[0].asString();
    return ids;
}

bool sameValue(const FieldValue& a, const FieldValue& b)
{
    return a.kind == b.kind && a.integer == b.integer && a.number == b.number && a.text == b.text;
}

// The single-precision sum over entries in the order of an entry list.
// summing lists ID, the sort keys and the entry's kilometres (last column)
// in the order of the entry list statement. Where no two rows share their
// keys, that order is the list's own and the kilometres are added as they
// come. Entries that share their keys may come in any order the engine
// chooses for the statement at hand, so then the entry list itself is read
// for the order.
float sumInEntryOrder(Database& db, const QString& summing, const QString& entryList)
{
    const ResultSet rows = db.select(summing);
    const int kmColumn = int(rows.columns.size()) - 1;
    bool ties = false;
    for (qsizetype r = 1; r < rows.rows.size() && !ties; ++r) {
        ties = true;
        for (int c = 1; c < kmColumn && ties; ++c)
            ties = sameValue(rows.rows[r][c], rows.rows[r - 1][c]);
    }
    if (!ties) {
        // The running sum is single precision and each entry's kilometres
        // are added as read: the totals every window shows are formed this way.
        float sum = 0.0f;
        for (const ResultRow& row : rows.rows)
            sum = float(sum + row[kmColumn].asFloat());
        return sum;
    }
    EntryKm km;
    km.reserve(rows.rows.size());
    for (const ResultRow& row : rows.rows)
        km.insert(row[0].asInteger(), row[kmColumn].asFloat());
    return SumInOrder(firstColumn(db.select(entryList)), km);
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
    return sumsOfEntries(db, ofUser(userId));
}

EntryKm EntryDistances(Database& db, int userId, const QDate& start, const QDate& end)
{
    if (perEntry()) {
        return sumEachEntry(db, db.select(QStringLiteral("SELECT ID FROM main WHERE UserID = ") + quoted(userId)
                                          + diarystatements::period(start, end)));
    }
    return sumsOfEntries(db, ofUser(userId) + diarystatements::period(start, end, QStringLiteral("m.Datum")));
}

EntryKm EntryDistancesOfZone(Database& db, int userId, const QDate& start, const QDate& end, const QString& zone)
{
    if (perEntry()) {
        return sumEachEntry(db,
                            db.select(QStringLiteral("SELECT ID FROM main WHERE UserID = ") + quoted(userId)
                                      + diarystatements::period(start, end)),
                            zone, true);
    }
    return sumsOfEntries(db, ofUser(userId) + diarystatements::period(start, end, QStringLiteral("m.Datum")),
                         QStringLiteral(" And u.Bereich = ") + quoted(zone));
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
    if (perEntry()) {
        const ResultSet entries = db.select(diarystatements::entriesForTotal(userId, start, end));
        return SumInOrder(firstColumn(entries), sumEachEntry(db, entries));
    }
    return sumInEntryOrder(db,
                           QStringLiteral("SELECT m.ID, m.Datum, m.Uhrzeit, ") + entryKm()
                               + QStringLiteral(" FROM main m WHERE ") + ofUser(userId)
                               + diarystatements::period(start, end, QStringLiteral("m.Datum"))
                               + QStringLiteral(" ORDER BY m.Datum, m.Uhrzeit ASC"),
                           diarystatements::entriesForTotal(userId, start, end));
}

float ShoeDistance(Database& db, int userId, const QString& shoe)
{
    if (perEntry()) {
        const ResultSet entries = db.select(diarystatements::entriesOfShoe(userId, shoe));
        return SumInOrder(firstColumn(entries), sumEachEntry(db, entries));
    }
    return sumInEntryOrder(db,
                           QStringLiteral("SELECT m.ID, m.Datum, ") + entryKm()
                               + QStringLiteral(" FROM main m WHERE m.Schuhe = ") + quoted(shoe)
                               + QStringLiteral(" AND ") + ofUser(userId) + QStringLiteral(" ORDER BY m.Datum"),
                           diarystatements::entriesOfShoe(userId, shoe));
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
        km.insert(sumsOfEntries(db, QStringLiteral("m.ID IN (") + list + QLatin1Char(')')));
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
