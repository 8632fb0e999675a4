#pragma once

#include "besteffort.h"
#include "entries.h"

#include <QList>
#include <QString>

class Database;

// The best efforts of the entries over the standard distances of running:
// table bestzeiten, one row per entry and distance (entry ID, metres,
// seconds, start in seconds from the course's start or -1, the unit's
// number or 0 for a course, and the entry's person, date and whether its
// sport is running, so that a person's best times are found through an
// index alone). An entry with a course has its course's efforts, one
// without has those of its units (a unit within 1 % of a distance, with
// its time). They are written with the entry and the course, in the
// caller's transaction when one is active; failures throw StorageError.
namespace BestEfforts {

// Whose the efforts are.
struct Owner
{
    int userId = -1;
    QString date; // dd.mm.yyyy
    QString sport;
};

// The fastest unit over each standard distance; startSeconds -1. A unit
// time is h:mm:ss; a unit without a time counts for none.
QList<course::Effort> ofUnits(const QList<Entries::Unit>& units);

// After the entry and its units are written: an entry with a course keeps
// its course's efforts, which follow its person, date and sport; one
// without gets those of its units. A new entry has no course yet.
void entryWritten(Database& db, const QString& entryId, const Owner& owner, const QList<Entries::Unit>& units,
                  bool isNew);

// The efforts of the entry's course in place of its others; with none (the
// course removed) those of its units.
void courseWritten(Database& db, const QString& entryId, const Owner& owner, const QList<course::Effort>& efforts,
                   bool courseRemoved);

// Works out the efforts of every entry, for a diary made before there
// were any: the courses one at a time, the units of the entries without a
// course with one read. Returns the number of entries with efforts. A
// course that cannot be read is passed over.
int computeAll(Database& db);

} // namespace BestEfforts
