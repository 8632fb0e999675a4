#pragma once

#include "database.h"
#include "storedrecord.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class Database;

// The diary entries of the persons (table main), each with its ordered
// training units (table units). Values are the texts the statements take
// and the windows show: dates as dd.mm.yyyy, times as hh:mm[:ss], numbers
// in statement form to write ("72.5"), in the text form of the diary when
// read ("72,5").
namespace Entries {

struct Unit
{
    QString subId;    // its place in the entry, from 1
    QString distance; // km
    QString time;     // h:mm:ss; "0:00:00" for none
    QString pulse;    // "-1" for none
    QString zone;
};

struct Entry
{
    QString id; // as read; a new entry gets its ID from insert
    QString date;
    QString time; // of day; empty: none (stored as NULL)
    QString weather;
    QString shoe;
    QString restPulse = QStringLiteral("-1"); // -1: not recorded
    QString category;
    QString notes;
    QString feeling;
    int userId = -1;
    QString weight = QStringLiteral("-1"); // kg; -1: not recorded
    QString duration;                      // h:mm
    QList<Unit> units;
};

// The statements that read an entry with its units, for a save that
// notices a change made at another workstation.
StoredRecord storedRecord(const QString& id);

// The entry with its units ordered by their place; none when it is not
// there. With record, the rows read are taken as the stored record.
std::optional<Entry> read(Database& db, const QString& id, StoredRecord* record = nullptr);

// The IDs of the person's entries, ordered by date and time of day: the
// order the editor pages through. With withCourse, the IDs of those that
// have a course come with them, in the same statement.
QStringList ids(Database& db, int userId, QSet<QString>* withCourse = nullptr);

// The person's entries without units, ordered by date and time of day, as
// the list view shows them: a resting pulse or weight of 0 or less (not
// recorded) is empty.
// The columns of main a listed entry is read from, under the table's alias
// in a statement, and the entry of the row that starts with them.
QString listedColumns(const QString& alias);
Entry listedEntry(const ResultRow& row, int userId);
QList<Entry> listed(Database& db, int userId);

// The IDs of the person's entries, in date order, that contain the text in
// their notes, weather, shoe, sport or feeling, ignoring case (umlauts
// too), and are of the sport; an empty text or sport does not narrow. The
// text is taken literally: % and _ are no wildcards.
QStringList matching(Database& db, int userId, const QString& text, const QString& sport);

// Stores the entry with its units, all or none; returns the new ID, the one
// its INSERT drew whoever else writes entries meanwhile.
// With stored, its stored form (storedRecord) as written, when the
// statement that wrote it could return it; else stored stays without columns.
QString insert(Database& db, const Entry& entry, ResultSet* stored = nullptr);
// Many entries with their units, all or none, with as few statements as
// the engine takes: the import and the generated diaries. Returns the new
// IDs in the order of the entries.
QStringList insertMany(Database& db, const QList<Entry>& entries);

// Changes the entry and replaces its units, all or none; its course stays. False when the
// entry is no longer there (deleted at another workstation): then nothing
// is written. The check for a change made elsewhere is the caller's
// (saveRecord with storedRecord), around this call.
// stored as for insert.
bool update(Database& db, const QString& id, const Entry& entry, ResultSet* stored = nullptr);

// Deletes the entry with its units and its course, all or none. False when the entry was
// gone already (deleted at another workstation).
bool remove(Database& db, const QString& id);

// The changes of many entries at once from the list view, each all or none
// in one transaction, the IDs named in lists of at most kIdsPerStatement.
// Each returns how many of the entries were there to be changed: one
// deleted at another workstation meanwhile is passed over.
constexpr qsizetype kIdsPerStatement = 1000;
// The shoe of the entries (empty: none).
int setShoe(Database& db, const QStringList& ids, const QString& shoe);
// The sport of the entries; their best efforts follow it into or out of
// the times of running.
int setSport(Database& db, const QStringList& ids, const QString& sport);
// Deletes the entries with their units, courses and best efforts.
int removeMany(Database& db, const QStringList& ids);

} // namespace Entries
