#include "entries.h"

#include "bestefforts.h"

#include "database.h"
#include "query.h"
#include "sqltext.h"

#include <QLocale>

#include <algorithm>
#include <iterator>

namespace Entries {

namespace {

// Units written with one statement: a block stays well below the engine's
// limit of a statement's length.
constexpr qsizetype kUnitsPerBlock = 100;

// entry: the entry's ID as the statement names it (quoted, or a variable).
QString unitInsert(const QString& entry, const Unit& unit)
{
    return QStringLiteral("INSERT INTO units (ID, MainID, SubID, Strecke, Zeit, Puls, Bereich) VALUES "
                          "(gen_id(Gen_Units,1), ")
           + entry + QLatin1Char(',') + quoted(unit.subId) + QLatin1Char(',') + quoted(unit.distance)
           + QLatin1Char(',') + quoted(unit.time) + QLatin1Char(',') + quoted(unit.pulse) + QLatin1Char(',')
           + quoted(unit.zone) + QLatin1Char(')');
}

// The units in their order from the given one on, a block of statements at a time.
void insertUnits(Database& db, const QString& entryId, const QList<Unit>& units, qsizetype from = 0)
{
    for (qsizetype first = from; first < units.size(); first += kUnitsPerBlock) {
        const qsizetype end = std::min(units.size(), first + kUnitsPerBlock);
        if (end - first == 1) {
            db.execute(unitInsert(quoted(entryId), units[first]));
            continue;
        }
        QString block = QStringLiteral("EXECUTE BLOCK AS BEGIN\n");
        for (qsizetype i = first; i < end; ++i)
            block += unitInsert(quoted(entryId), units[i]) + QStringLiteral(";\n");
        block += QStringLiteral("END");
        db.execute(block);
    }
}

QString timeValue(const Entry& entry)
{
    return entry.time.isEmpty() ? QStringLiteral("NULL") : quoted(entry.time);
}

// The columns of an entry's stored form: the entry's own and those of each
// of its units.
constexpr const char* kStoredColumns[][2] = {
    {"main", "ID"},      {"main", "Datum"},    {"main", "Uhrzeit"},   {"main", "Wetter"},  {"main", "Schuhe"},
    {"main", "Ruhepuls"}, {"main", "Kategorie"}, {"main", "Notizen"}, {"main", "Befinden"}, {"main", "UserID"},
    {"main", "Gewicht"}, {"main", "Dauer"},    {"units", "ID"},       {"units", "SubID"},  {"units", "Strecke"},
    {"units", "Zeit"},   {"units", "Puls"},    {"units", "Bereich"},
};

// The entry with its units in one statement: a row for each unit in its
// order, the entry's columns in each; one row without unit for an entry
// without units. entry: its ID as the statement names it.
QString storedSelect(const QString& entry)
{
    QStringList columns;
    for (const auto& [table, column] : kStoredColumns)
        columns << (QLatin1String(table) == QLatin1String("main") ? QStringLiteral("m.") : QStringLiteral("u."))
                       + QLatin1String(column);
    return QStringLiteral("SELECT ") + columns.join(QStringLiteral(", "))
           + QStringLiteral(" FROM main m LEFT JOIN units u ON u.MainID = m.ID WHERE m.ID = ") + entry
           + QStringLiteral(" ORDER BY u.SubID, u.ID");
}

// A write block hands the stored form on as it is written: outputs of the
// columns' own types, and the rows of the stored select.
QString storedOutputs()
{
    QStringList outputs;
    int i = 0;
    for (const auto& [table, column] : kStoredColumns)
        outputs << QStringLiteral("s%1 TYPE OF COLUMN %2.%3").arg(i++).arg(QLatin1String(table), QLatin1String(column));
    return outputs.join(QStringLiteral(", "));
}

QString storedRows(const QString& entry)
{
    QStringList into;
    for (int i = 0; i < int(std::size(kStoredColumns)); ++i)
        into << QStringLiteral(":s%1").arg(i);
    return QStringLiteral("FOR ") + storedSelect(entry) + QStringLiteral(" INTO ") + into.join(QLatin1Char(','))
           + QStringLiteral(" DO SUSPEND;\n");
}

// The entry and its first block of units in one statement: one wait for
// a server instead of two. With stored, the statement also returns the
// entry's stored form when it has written all of its units.
QString insertEntry(Database& db, const Entry& entry, ResultSet* stored = nullptr)
{
    const qsizetype first = std::min(entry.units.size(), kUnitsPerBlock);
    const bool all = stored && first == entry.units.size();
    QString block =
        QStringLiteral("EXECUTE BLOCK RETURNS (") + (all ? storedOutputs() : QStringLiteral("s0 INTEGER"))
        + QStringLiteral(") AS DECLARE id INTEGER; BEGIN\n"
                         "INSERT INTO main (ID, Datum, Uhrzeit, Wetter, Schuhe, Ruhepuls, Kategorie, Notizen, "
                         "Befinden, UserID, Gewicht, Dauer) VALUES (gen_id(Gen_Main,1), ")
        + quoted(entry.date) + QLatin1Char(',') + timeValue(entry) + QLatin1Char(',') + quoted(entry.weather)
        + QLatin1Char(',') + quoted(entry.shoe) + QLatin1Char(',') + quoted(entry.restPulse) + QLatin1Char(',')
        + quoted(entry.category) + QLatin1Char(',') + quoted(entry.notes) + QLatin1Char(',') + quoted(entry.feeling)
        + QLatin1Char(',') + quoted(entry.userId) + QLatin1Char(',') + quoted(entry.weight) + QLatin1Char(',')
        + quoted(entry.duration) + QStringLiteral(") RETURNING ID INTO :id;\n");
    for (qsizetype i = 0; i < first; ++i)
        block += unitInsert(QStringLiteral(":id"), entry.units[i]) + QStringLiteral(";\n");
    block += all ? storedRows(QStringLiteral(":id")) : QStringLiteral("s0 = id;\nSUSPEND;\n");
    const ResultSet r = db.select(block + QStringLiteral("END"));
    const QString id = r.rows.value(0).value(0).asString();
    if (all)
        *stored = r;
    insertUnits(db, id, entry.units, first);
    BestEfforts::entryWritten(db, id, {entry.userId, entry.date, entry.category}, entry.units, true);
    return id;
}

// The IDs as the lists of IN (...) clauses, a statement's worth each; an
// ID named twice counts once.
QStringList idLists(QStringList ids)
{
    ids.removeDuplicates();
    QStringList lists;
    for (qsizetype first = 0; first < ids.size(); first += kIdsPerStatement) {
        QStringList quotedIds;
        for (qsizetype i = first; i < std::min(ids.size(), first + kIdsPerStatement); ++i)
            quotedIds << quoted(ids[i]);
        lists << QLatin1Char('(') + quotedIds.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return lists;
}

// How many of the entries are there, in the caller's transaction.
int countPresent(Database& db, const QString& idList)
{
    const ResultSet r = db.select(QStringLiteral("SELECT COUNT(*) FROM main WHERE ID IN ") + idList);
    return int(r.rows.value(0).value(0).asInteger());
}

} // namespace

StoredRecord storedRecord(const QString& id)
{
    return StoredRecord({storedSelect(quoted(id))});
}

std::optional<Entry> read(Database& db, const QString& id, StoredRecord* record)
{
    const StoredRecord reads = storedRecord(id);
    const ResultSet r = db.select(reads.selects().at(0));
    if (r.rows.isEmpty())
        return std::nullopt;
    if (record) {
        *record = reads;
        record->take(QList<ResultSet>{r});
    }
    const ResultRow& f = r.rows.first();
    Entry entry;
    entry.id = f.value(0).asString();
    entry.date = f.value(1).asString();
    entry.time = f.value(2).asString();
    entry.weather = f.value(3).asString();
    entry.shoe = f.value(4).asString();
    entry.restPulse = f.value(5).asString();
    entry.category = f.value(6).asString();
    entry.notes = f.value(7).asString();
    entry.feeling = f.value(8).asString();
    entry.userId = int(f.value(9).asInteger());
    entry.weight = f.value(10).asString();
    entry.duration = f.value(11).asString();
    // the unit's columns follow the entry's
    const qsizetype unit = f.size() - 6;
    for (const ResultRow& u : r.rows) {
        if (u.value(unit).isNull())
            continue; // no units
        entry.units.append(Unit{u.value(unit + 1).asString(),
                                QString::number(u.value(unit + 2).asFloat(), 'f', QLocale::FloatingPointShortest),
                                u.value(unit + 3).asString(), u.value(unit + 4).asString(),
                                u.value(unit + 5).asString()});
    }
    return entry;
}

QStringList ids(Database& db, int userId, QSet<QString>* withCourse)
{
    QString sql = QStringLiteral("SELECT m.ID, m.Datum, m.Uhrzeit");
    if (withCourse)
        sql += QStringLiteral(", (SELECT 1 FROM verlauf v WHERE v.MainID = m.ID)");
    const ResultSet r = db.select(sql + QStringLiteral(" FROM main m WHERE m.UserID = ") + quoted(userId)
                                  + QStringLiteral(" ORDER BY m.Datum, m.Uhrzeit"));
    QStringList ids;
    ids.reserve(r.rows.size());
    if (withCourse)
        withCourse->clear();
    for (const ResultRow& row : r.rows) {
        ids << row.value(0).asString();
        if (withCourse && !row.value(3).isNull())
            withCourse->insert(ids.last());
    }
    return ids;
}

QString listedColumns(const QString& alias)
{
    QStringList columns;
    for (const char* name :
         {"ID", "Datum", "Uhrzeit", "Wetter", "Schuhe", "Ruhepuls", "Kategorie", "Notizen", "Befinden", "Gewicht", "Dauer"})
        columns << alias + QLatin1Char('.') + QLatin1String(name);
    return columns.join(QStringLiteral(", "));
}

Entry listedEntry(const ResultRow& row, int userId)
{
    const auto text = [&](int column) { return row.value(column).asString(); };
    // -1 (or 0) is not recorded
    const auto recorded = [&](int column) {
        const FieldValue& value = row.at(column);
        return value.asInteger() <= 0 ? QString() : value.asString();
    };
    Entry e;
    e.id = text(0);
    e.date = text(1);
    e.time = text(2);
    e.weather = text(3);
    e.shoe = text(4);
    e.restPulse = recorded(5);
    e.category = text(6);
    e.notes = text(7);
    e.feeling = text(8);
    e.userId = userId;
    e.weight = recorded(9);
    e.duration = text(10);
    return e;
}

QList<Entry> listed(Database& db, int userId)
{
    const ResultSet r = db.select(QStringLiteral("SELECT ") + listedColumns(QStringLiteral("m"))
                                  + QStringLiteral(" FROM main m WHERE m.UserID = ") + quoted(userId)
                                  + QStringLiteral(" ORDER BY m.Datum, m.Uhrzeit"));
    QList<Entry> entries;
    entries.reserve(r.rows.size());
    for (const ResultRow& row : r.rows)
        entries.append(listedEntry(row, userId));
    return entries;
}

QStringList matching(Database& db, int userId, const QString& text, const QString& sport)
{
    QString sql = QStringLiteral("SELECT ID FROM main WHERE UserID = ") + quoted(userId);
    if (!sport.isEmpty())
        sql += QStringLiteral(" AND Kategorie = ") + quoted(sport);
    if (text.size() > 255)
        return {}; // longer than any text an entry holds
    if (!text.isEmpty()) {
        // The wildcards of LIKE and the escape sign itself stand for themselves.
        QString literal = text;
        literal.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char('%'), QStringLiteral("\\%"))
            .replace(QLatin1Char('_'), QStringLiteral("\\_"));
        // The columns hold code page 1252 without a declared character set,
        // whose UPPER knows only A to Z: taken as WIN1252, the umlauts have
        // their capitals too.
        const QString pattern = QStringLiteral("UPPER(CAST(") + quoted(literal)
                                + QStringLiteral(" AS VARCHAR(1024) CHARACTER SET WIN1252))");
        QStringList tests;
        for (const char* column : {"Notizen", "Wetter", "Schuhe", "Kategorie", "Befinden"})
            tests << QStringLiteral("UPPER(CAST(%1 AS VARCHAR(255) CHARACTER SET WIN1252)) LIKE '%' || ")
                         .arg(QLatin1String(column))
                         + pattern + QStringLiteral(" || '%' ESCAPE '\\'");
        sql += QStringLiteral(" AND (") + tests.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }
    sql += QStringLiteral(" ORDER BY Datum, Uhrzeit");
    QStringList ids;
    const ResultSet r = db.select(sql);
    ids.reserve(r.rows.size());
    for (const ResultRow& row : r.rows)
        ids << row.value(0).asString();
    return ids;
}

QString insert(Database& db, const Entry& entry, ResultSet* stored)
{
    Transaction transaction(db);
    const QString id = insertEntry(db, entry, stored);
    transaction.commit();
    return id;
}

QStringList insertMany(Database& db, const QList<Entry>& entries)
{
    QStringList ids;
    ids.reserve(entries.size());
    Transaction transaction(db);
    for (const Entry& entry : entries)
        ids << insertEntry(db, entry);
    transaction.commit();
    return ids;
}

bool update(Database& db, const QString& id, const Entry& entry, ResultSet* stored)
{
    Transaction transaction(db);
    // The entry and its first block of units in one statement, and with
    // them its stored form when they are all its units. An entry deleted at
    // another workstation meanwhile gets no units without it: no row.
    const qsizetype first = std::min(entry.units.size(), kUnitsPerBlock);
    const bool all = stored && first == entry.units.size();
    QString block = QStringLiteral("EXECUTE BLOCK RETURNS (")
                    + (all ? storedOutputs() : QStringLiteral("s0 INTEGER"))
                    + QStringLiteral(") AS BEGIN\nUPDATE main SET datum = ")
                    + quoted(entry.date) + QStringLiteral(",uhrzeit = ") + timeValue(entry)
                    + QStringLiteral(",wetter = ") + quoted(entry.weather) + QStringLiteral(",schuhe = ")
                    + quoted(entry.shoe) + QStringLiteral(",ruhepuls = ") + quoted(entry.restPulse)
                    + QStringLiteral(",kategorie = ") + quoted(entry.category) + QStringLiteral(",notizen = ")
                    + quoted(entry.notes) + QStringLiteral(",befinden = ") + quoted(entry.feeling)
                    + QStringLiteral(",userid = ") + quoted(entry.userId) + QStringLiteral(",gewicht = ")
                    + quoted(entry.weight) + QStringLiteral(",dauer = ") + quoted(entry.duration)
                    + QStringLiteral(" WHERE ID = ") + quoted(id)
                    + QStringLiteral(";\nIF (ROW_COUNT > 0) THEN BEGIN\nDELETE FROM units WHERE MainID = ")
                    + quoted(id) + QStringLiteral(";\n");
    for (qsizetype i = 0; i < first; ++i)
        block += unitInsert(quoted(id), entry.units[i]) + QStringLiteral(";\n");
    block += all ? storedRows(quoted(id)) : QStringLiteral("s0 = 1;\nSUSPEND;\n");
    const ResultSet r = db.select(block + QStringLiteral("END\nEND"));
    if (r.rows.isEmpty())
        return false;
    if (all)
        *stored = r;
    insertUnits(db, id, entry.units, first);
    BestEfforts::entryWritten(db, id, {entry.userId, entry.date, entry.category}, entry.units, false);
    transaction.commit();
    return true;
}

bool remove(Database& db, const QString& id)
{
    Transaction transaction(db);
    Query q(db);
    q.execSql(QStringLiteral("DELETE FROM units WHERE MainID = ") + quoted(id));
    q.execSql(QStringLiteral("DELETE FROM bestzeiten WHERE MainID = ") + quoted(id));
    q.execSql(QStringLiteral("DELETE FROM verlauf WHERE MainID = ") + quoted(id));
    const bool found = q.execSqlOnRecord(QStringLiteral("DELETE FROM main WHERE ID = ") + quoted(id));
    transaction.commit();
    return found;
}

int setShoe(Database& db, const QStringList& ids, const QString& shoe)
{
    int changed = 0;
    Transaction transaction(db);
    Query q(db);
    for (const QString& list : idLists(ids)) {
        changed += countPresent(db, list);
        q.execSql(QStringLiteral("UPDATE main SET Schuhe = ") + quoted(shoe) + QStringLiteral(" WHERE ID IN ") + list);
    }
    transaction.commit();
    return changed;
}

int setSport(Database& db, const QStringList& ids, const QString& sport)
{
    int changed = 0;
    Transaction transaction(db);
    Query q(db);
    const QString running = quoted(course::runningSport(sport) ? 1 : 0);
    for (const QString& list : idLists(ids)) {
        changed += countPresent(db, list);
        q.execSql(QStringLiteral("UPDATE main SET Kategorie = ") + quoted(sport) + QStringLiteral(" WHERE ID IN ")
                  + list);
        q.execSql(QStringLiteral("UPDATE bestzeiten SET Lauf = ") + running + QStringLiteral(" WHERE MainID IN ")
                  + list);
    }
    transaction.commit();
    return changed;
}

int removeMany(Database& db, const QStringList& ids)
{
    int removed = 0;
    Transaction transaction(db);
    Query q(db);
    for (const QString& list : idLists(ids)) {
        q.execSql(QStringLiteral("DELETE FROM units WHERE MainID IN ") + list);
        q.execSql(QStringLiteral("DELETE FROM bestzeiten WHERE MainID IN ") + list);
        q.execSql(QStringLiteral("DELETE FROM verlauf WHERE MainID IN ") + list);
        removed += countPresent(db, list);
        q.execSql(QStringLiteral("DELETE FROM main WHERE ID IN ") + list);
    }
    transaction.commit();
    return removed;
}

} // namespace Entries
