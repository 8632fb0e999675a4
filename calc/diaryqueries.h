#pragma once

#include "database.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The diary's reading operations. Each runs on a query of its own over the
// database it is given, so a caller may walk a result of its own across a
// call. GetTotalDistance reads through the sums of diarysums.h; the sum over
// a list of entry IDs is SumEntryDistances there.
// Lists are appended to, never cleared. Periods include both end dates.
// Database errors (StorageError) are not caught here.

// Distance of the user's entries in the period, as distanceText ("12,5").
QString GetTotalDistance(Database& db, const QDate& start, const QDate& end, int userId);

// Summed durations (main.Dauer) of the user's entries in the period, in minutes.
int GetTotalDuration(Database& db, const QDate& start, const QDate& end, int userId);

// IDs of the user's entries, in date and time order.
void GetEntriesOfPeriod(Database& db, QStringList& list, int userId, const QDate& start, const QDate& end);
void GetEntriesOfCategory(Database& db, QStringList& list, int userId, const QString& category,
                          const QDate& start, const QDate& end);
// Entries name their shoe by its model text: every entry with that text counts.
void GetEntriesOfShoe(Database& db, QStringList& list, int userId, const QString& shoe);

// Kilometres of one entry's units (in whole metres, diaryforms.h); with
// byZone only the units of that zone.
double GetEntryDistance(Database& db, int entryId, const QString& zone, bool byZone);

// Zone lines (zoneLine) of all training zones, by upper heart-rate bound.
void GetZoneList(Database& db, QStringList& list);

// The categories of all users' entries, each once.
void GetCategoryList(Database& db, QStringList& list);

// The shoe texts the user's entries name, each once; entries without a shoe
// give an empty line.
void GetShoeList(Database& db, QStringList& list, int userId);

// True when the user has at least one diary entry.
bool UserHasEntries(Database& db, int userId);

// The names of all training zones, as the statistics window lists them.
void GetZoneNames(Database& db, QStringList& list);

// Minutes (main.Dauer) of each of the user's entries in the period, by entry ID.
QHash<qint64, int> GetEntryMinutes(Database& db, int userId, const QDate& start, const QDate& end);

// The user's entries of the period with their date and weight (main.Gewicht,
// as stored: the editor keeps an empty weight as -1), in date and time
// order; with a sport only the entries of that sport.
struct EntryWeight
{
    qint64 id = 0;
    QDate date;
    FieldValue weight;
};
QList<EntryWeight> GetEntryWeights(Database& db, int userId, const QDate& start, const QDate& end,
                                   const QString& sport);
