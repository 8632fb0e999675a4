#include "diarysums.h"

#include "database.h"
#include "diaryforms.h"
#include "diarystatements.h"
#include "sqltext.h"
#include "textforms.h"

#include <algorithm>

namespace {

// The whole metres of the entry m, as the single-entry statement reads them;
// only those of the units the condition on u selects.
QString entryKm(const QString& unitCondition = QString())
{
    return QStringLiteral("(SELECT SUM(") + diarystatements::metres(QStringLiteral("u.strecke"))
        + QStringLiteral(") FROM units u WHERE u.MainID = m.ID") + unitCondition + QLatin1Char(')');
}

// The kilometres of every entry that the condition on main (m) selects,
// with one statement, each as the single-entry statement gives them.
EntryKm sumsOfEntries(Database& db, const QString& condition, const QString& unitCondition = QString())
{
    EntryKm km;
    const ResultSet sums =
        db.select(QStringLiteral("SELECT m.ID, ") + entryKm(unitCondition) + QStringLiteral(" FROM main m WHERE ")
                  + condition);
    km.reserve(sums.rows.size());
    for (const ResultRow& row : sums.rows)
        if (!row[1].isNull())
            km.insert(row[0].asInteger(), row[1].asFloat() / 1000.0);
    return km;
}

QString ofUser(int userId)
{
    return QStringLiteral("m.UserID = ") + quoted(userId);
}

// The sum over the entries of an entry list (a select of ID, Datum and
// Uhrzeit) in whole metres, all inside the engine: the block walks the very
// statement the list is read with and sums each entry's units with the
// single-entry statement.
// The loop of a block that adds the entries' metres to the variable into
// (the block declares id, d, t and m).
QString addUpEntryList(const QString& entryList, const QString& into)
{
    return QStringLiteral(" FOR ") + entryList + QStringLiteral(" INTO :id, :d, :t DO BEGIN SELECT SUM(")
           + diarystatements::metres() + QStringLiteral(") FROM units WHERE MainID = :id INTO :m; ") + into
           + QStringLiteral(" = ") + into + QStringLiteral(" + COALESCE(m, 0); END");
}

double sumOfEntryList(Database& db, const QString& entryList)
{
    const ResultSet r = db.select(
        QStringLiteral("EXECUTE BLOCK RETURNS (total DOUBLE PRECISION) AS "
                       "DECLARE id INTEGER; DECLARE d DATE; DECLARE t TIME; DECLARE m DOUBLE PRECISION; "
                       "BEGIN total = 0;")
        + addUpEntryList(entryList, QStringLiteral("total")) + QStringLiteral(" SUSPEND; END"));
    return r.rows.isEmpty() ? 0.0 : r.rows[0][0].asFloat() / 1000.0;
}

// The user's entries (m) of the period, of one sport or of all.
QString ofPeriod(int userId, const QDate& start, const QDate& end, const QString& sport)
{
    return ofUser(userId) + diarystatements::period(start, end, QStringLiteral("m.Datum"))
        + diarystatements::ofSport(sport, QStringLiteral("m.Kategorie"));
}

} // namespace

EntryKm EntryDistances(Database& db, int userId)
{
    return sumsOfEntries(db, ofUser(userId));
}

QList<ListedEntry> ListedEntriesOfUser(Database& db, int userId)
{
    // A unit's time of day 0:00:00 stands for none. Each sum looks up the
    // entry's units through their index: grouped over a join instead, the
    // engine walks the whole units table in the order of that index.
    const QString metres = diarystatements::metres(QStringLiteral("u.strecke"));
    const QString seconds = QStringLiteral("DATEDIFF(SECOND FROM TIME '00:00:00' TO u.Zeit)");
    const auto ofUnits = [](const QString& sum) {
        return QStringLiteral(", (SELECT SUM(") + sum + QStringLiteral(") FROM units u WHERE u.MainID = m.ID)");
    };
    const ResultSet r = db.select(
        QStringLiteral("SELECT ") + Entries::listedColumns(QStringLiteral("m")) + ofUnits(metres) + ofUnits(seconds)
        + ofUnits(QStringLiteral("CASE WHEN ") + seconds + QStringLiteral(" > 0 THEN ") + metres
                  + QStringLiteral(" END"))
        + QStringLiteral(" FROM main m WHERE m.UserID = ") + quoted(userId)
        + QStringLiteral(" ORDER BY m.Datum, m.Uhrzeit"));
    QList<ListedEntry> listed;
    listed.reserve(r.rows.size());
    for (const ResultRow& row : r.rows) {
        const qsizetype sums = row.size() - 3;
        EntryTotals t;
        t.km = row[sums].isNull() ? 0.0 : row[sums].asFloat() / 1000.0;
        t.seconds = row[sums + 1].isNull() ? 0 : row[sums + 1].asInteger();
        t.timedKm = row[sums + 2].isNull() ? 0.0 : row[sums + 2].asFloat() / 1000.0;
        listed.append({Entries::listedEntry(row, userId), t});
    }
    return listed;
}

EntryKm EntryDistances(Database& db, int userId, const QDate& start, const QDate& end, const QString& sport)
{
    return sumsOfEntries(db, ofPeriod(userId, start, end, sport));
}

EntryKm EntryDistancesOfZone(Database& db, int userId, const QDate& start, const QDate& end, const QString& zone,
                             const QString& sport)
{
    return sumsOfEntries(db, ofPeriod(userId, start, end, sport), QStringLiteral(" And u.Bereich = ") + quoted(zone));
}

QHash<QString, EntryKm> EntryDistancesByZone(Database& db, int userId, const QDate& start, const QDate& end,
                                             const QString& sport)
{
    QHash<QString, EntryKm> byZone;
    // Whole metres added up, turned into kilometres at the end, as the
    // single-entry statement gives them.
    const ResultSet units = db.select(
        QStringLiteral("SELECT u.MainID, u.Bereich, u.strecke FROM main m JOIN units u ON u.MainID = m.ID WHERE ")
        + ofPeriod(userId, start, end, sport));
    for (const ResultRow& row : units.rows) {
        if (row[1].isNull())
            continue;
        byZone[row[1].asString()][row[0].asInteger()] += double(distanceMetres(row[2].asFloat()));
    }
    for (EntryKm& km : byZone)
        for (double& metres : km)
            metres /= 1000.0;
    return byZone;
}

double SumInOrder(const QStringList& entryIds, const EntryKm& km)
{
    // In whole metres, exactly.
    qint64 metres = 0;
    for (const QString& id : entryIds)
        metres += distanceMetres(km.value(id.toLongLong()));
    return double(metres) / 1000.0;
}

double TotalDistance(Database& db, const QDate& start, const QDate& end, int userId)
{
    const QString entries = diarystatements::entriesForTotal(userId, start, end);
    return sumOfEntryList(db, entries);
}

double ShoeDistance(Database& db, int userId, const QString& shoe)
{
    const QString entries = diarystatements::entriesOfShoe(userId, shoe);
    return sumOfEntryList(db, entries);
}

QHash<QString, double> ShoeDistances(Database& db, int userId)
{
    QHash<QString, double> km;
    for (const ShoeMileage& shoe : ShoeMileages(db, userId))
        km.insert(shoe.model, shoe.since);
    return km;
}

QList<ShoeMileage> ShoeMileages(Database& db, int userId)
{
    const QString models = QStringLiteral("SELECT modell, MaxLeistung, PrevLeistung FROM schuhe WHERE UserID = ")
                           + quoted(userId);
    // Each shoe as ShoeDistance sums it, all shoes in one statement: the
    // entry list of a shoe is the statement of GetEntriesOfShoe with the
    // model as a variable.
    const ResultSet r = db.select(
        QStringLiteral("EXECUTE BLOCK RETURNS (model CHAR(40), mx SMALLINT, prev SMALLINT, total DOUBLE PRECISION) AS "
                       "DECLARE id INTEGER; DECLARE d DATE; DECLARE t TIME; DECLARE m DOUBLE PRECISION; "
                       "BEGIN FOR ")
        + models
        + QStringLiteral(" INTO :model, :mx, :prev DO BEGIN total = 0; "
                         "FOR SELECT ID, Datum, Uhrzeit FROM main WHERE Schuhe = :model AND UserID = ")
        + quoted(userId)
        + QStringLiteral(" ORDER BY Datum INTO :id, :d, :t DO BEGIN SELECT SUM(") + diarystatements::metres()
        + QStringLiteral(") FROM units WHERE MainID = :id INTO :m; "
                         "total = total + COALESCE(m, 0); END SUSPEND; END END"));
    QList<ShoeMileage> shoes;
    shoes.reserve(r.rows.size());
    for (const ResultRow& row : r.rows)
        shoes.append({row[0].asString(), row[1].isNull() ? 0 : int(row[1].asInteger()),
                      row[2].isNull() ? 0 : int(row[2].asInteger()), row[3].asFloat() / 1000.0});
    return shoes;
}

double SumEntryDistances(Database& db, const QStringList& entryIds)
{
    EntryKm km;
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

MarkedSums GetMarkedSums(Database& db, int userId, const std::optional<std::pair<QDate, QDate>>& total,
                         const QString& shoe)
{
    if (!total && shoe.isEmpty())
        return {GetDiaryStamp(db, userId), std::nullopt, std::nullopt};
    // Each sum as sumOfEntryList adds it up.
    QString block = QStringLiteral(
        "EXECUTE BLOCK RETURNS (lastEntry BIGINT, lastUnit BIGINT, entries INTEGER, total DOUBLE PRECISION, "
        "shoe DOUBLE PRECISION) AS DECLARE id INTEGER; DECLARE d DATE; DECLARE t TIME; DECLARE m DOUBLE PRECISION; "
        "BEGIN total = 0; shoe = 0;");
    if (total)
        block += addUpEntryList(diarystatements::entriesForTotal(userId, total->first, total->second),
                                QStringLiteral("total"));
    if (!shoe.isEmpty())
        block += addUpEntryList(diarystatements::entriesOfShoe(userId, shoe), QStringLiteral("shoe"));
    block += QStringLiteral(" SELECT GEN_ID(Gen_Main, 0), GEN_ID(Gen_Units, 0), COUNT(*) FROM main WHERE UserID = ")
             + quoted(userId) + QStringLiteral(" INTO :lastEntry, :lastUnit, :entries; SUSPEND; END");
    const ResultSet r = db.select(block);
    MarkedSums sums;
    if (r.rows.isEmpty())
        return sums;
    const ResultRow& row = r.rows[0];
    sums.stamp = {row[0].asInteger(), row[1].asInteger(), row[2].asInteger()};
    if (total)
        sums.total = row[3].asFloat() / 1000.0;
    if (!shoe.isEmpty())
        sums.shoeKm = row[4].asFloat() / 1000.0;
    return sums;
}

DiarySpan GetDiarySpan(Database& db, int userId)
{
    const ResultSet r =
        db.select(QStringLiteral("SELECT MIN(Datum), MAX(Datum) FROM main WHERE UserID = ") + quoted(userId));
    DiarySpan span;
    if (!r.rows.isEmpty() && !r.rows[0][0].isNull()) {
        span.first = parseDateText(r.rows[0][0].asString());
        span.last = parseDateText(r.rows[0][1].asString());
    }
    return span;
}

QStringList SportsOfUser(Database& db, int userId)
{
    const ResultSet r = db.select(QStringLiteral("SELECT DISTINCT Kategorie FROM main WHERE UserID = ")
                                  + quoted(userId) + QStringLiteral(" AND Kategorie IS NOT NULL"));
    QStringList sports;
    for (const ResultRow& row : r.rows) {
        const QString sport = row[0].asString().trimmed();
        if (!sport.isEmpty() && !sports.contains(sport))
            sports << sport;
    }
    std::sort(sports.begin(), sports.end(),
              [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    return sports;
}
