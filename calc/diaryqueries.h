#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The diary's reading operations. Each runs its statement on a shared query
// of Session::current() and leaves that query open on its result, so a
// caller must not be walking the same query across a call:
//  - GetEntryDistance uses ZQuery2, so it may be called while ZQuery1 is
//    being walked;
//  - GetTotalDistance and SumEntryDistances read through the sums of
//    diarysums.h and leave the shared queries alone;
//  - all others use ZQuery1.
// Lists are appended to, never cleared. Periods include both end dates.
// Database errors (StorageError) are not caught here.

// Distance of the user's entries in the period, as distanceText ("12,5").
QString GetTotalDistance(const QDate& start, const QDate& end, int userId);

// Summed durations (main.Dauer) of the user's entries in the period, in minutes.
int GetTotalDuration(const QDate& start, const QDate& end, int userId);

// IDs of the user's entries, in date and time order.
void GetEntriesOfPeriod(QStringList& list, int userId, const QDate& start, const QDate& end);
void GetEntriesOfCategory(QStringList& list, int userId, const QString& category,
                          const QDate& start, const QDate& end);
// Entries name their shoe by its model text: every entry with that text counts.
void GetEntriesOfShoe(QStringList& list, int userId, const QString& shoe);

// Kilometres of one entry's units (in whole metres, diaryforms.h); with
// byZone only the units of that zone.
double GetEntryDistance(int entryId, const QString& zone, bool byZone);

// Kilometres of the entries whose IDs the list holds.
double SumEntryDistances(const QStringList& entryIds);

// Zone lines (zoneLine) of all training zones, by upper heart-rate bound.
void GetZoneList(QStringList& list);

// The categories of all users' entries, each once.
void GetCategoryList(QStringList& list);

// The shoe texts the user's entries name, each once; entries without a shoe
// give an empty line.
void GetShoeList(QStringList& list, int userId);

// True when the user has at least one diary entry.
bool UserHasEntries(int userId);
