#pragma once

#include "entries.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class Database;

// Distance sums over many diary entries, for diaries of any length.
//
// Distances count in whole metres (wholeMetres, diaryforms.h): an entry's
// kilometres are the engine's sum of its units' whole metres, the value
// GetEntryDistance reads, and a sum over entries adds those exactly, so that
// every window shows the same total for the same entries.
//
// The functions take the database explicitly and run their own statements,
// so they may be called while a query is being walked. They read all entries of a selection with one statement, in
// which the engine sums each entry's units exactly as the single-entry
// statement does.
//
// Database errors (StorageError) are not caught here.

// Kilometres of each entry, by entry ID; an entry without units is missing
// and counts 0.
using EntryKm = QHash<qint64, double>;

// Kilometres of each of the user's entries.
EntryKm EntryDistances(Database& db, int userId);

// The kilometres of an entry's units (as EntryDistances), the sum of their
// times in seconds, and the kilometres of the units that have a time (the
// distance those seconds were run over).
struct EntryTotals
{
    double km = 0.0;
    qint64 seconds = 0;
    double timedKm = 0.0;
};
// The user's entries in the order of date and time, each with the totals
// of its units (none for one without), in one statement.
struct ListedEntry
{
    Entries::Entry entry;
    EntryTotals totals;
};
QList<ListedEntry> ListedEntriesOfUser(Database& db, int userId);
// ... of the period (both end dates included); with a sport, only the
// entries of that sport (an empty sport: all entries).
EntryKm EntryDistances(Database& db, int userId, const QDate& start, const QDate& end,
                       const QString& sport = QString());
// ... counting only the units of the zone (an empty zone: the units without one).
EntryKm EntryDistancesOfZone(Database& db, int userId, const QDate& start, const QDate& end,
                             const QString& zone, const QString& sport = QString());

// EntryDistancesOfZone of every zone that the units of the period name, by
// zone name (units without a zone are not counted; "" holds those with an
// empty zone).
QHash<QString, EntryKm> EntryDistancesByZone(Database& db, int userId, const QDate& start, const QDate& end,
                                             const QString& sport = QString());

// The kilometres of the listed entries (IDs as decimal text).
double SumInOrder(const QStringList& entryIds, const EntryKm& km);

// Kilometres of the user's entries in the period, in the order of date and
// time: the number behind GetTotalDistance.
double TotalDistance(Database& db, const QDate& start, const QDate& end, int userId);

// Kilometres of the user's entries that name the shoe, in the order of
// GetEntriesOfShoe: the number of SumEntryDistances(GetEntriesOfShoe(...)).
double ShoeDistance(Database& db, int userId, const QString& shoe);

// ShoeDistance of every model of the person's shoes (table schuhe), by model.
QHash<QString, double> ShoeDistances(Database& db, int userId);

// Each of the person's shoes with its limit and the kilometres it had done
// before the diary counted it (0 where none is stored), and ShoeDistance, in
// one statement.
struct ShoeMileage
{
    QString model; // as stored
    int max = 0;
    int before = 0;
    double since = 0.0;
};
QList<ShoeMileage> ShoeMileages(Database& db, int userId);

// Kilometres of the entries whose IDs the list holds.
double SumEntryDistances(Database& db, const QStringList& entryIds);

// A mark of the state of a person's diary, read cheaply: it changes when an
// entry or unit is added anywhere (new IDs are drawn) and when the person's
// count of entries changes. Saving a changed entry with units writes its
// units anew and so changes the mark; saving one without units does not,
// so a window that saves or deletes entries forgets its sums itself and
// keeps the mark for changes made elsewhere.
struct DiaryStamp
{
    qint64 lastEntryId = -1;
    qint64 lastUnitId = -1;
    qint64 entryCount = -1;

    bool operator==(const DiaryStamp&) const = default;
};

DiaryStamp GetDiaryStamp(Database& db, int userId);

// The mark with, in the same statement, the sums a window shows beside an
// entry: TotalDistance of the period when asked for, ShoeDistance of the
// shoe when one is given.
struct MarkedSums
{
    DiaryStamp stamp;
    std::optional<double> total;
    std::optional<double> shoeKm;
};
MarkedSums GetMarkedSums(Database& db, int userId, const std::optional<std::pair<QDate, QDate>>& total,
                         const QString& shoe);

// The first and the last day of the person's diary entries; both invalid
// when the person has none.
struct DiarySpan
{
    QDate first;
    QDate last;
};

DiarySpan GetDiarySpan(Database& db, int userId);

// The sports the person's entries name, each once, alphabetically; entries
// without a sport add none.
QStringList SportsOfUser(Database& db, int userId);
