#pragma once

#include "besteffort.h"

#include <QList>
#include <QString>

class Database;

// The best efforts of the entries' courses: table bestzeiten, one row per
// entry and standard distance its course covers (entry ID, metres, seconds,
// start in seconds from the course's start). They are worked out when a
// course is stored (Courses::store) and go with it; units of entries
// without a course are read as they are (see calc's records). Failures
// throw StorageError.
namespace BestEfforts {

// Replaces the entry's efforts with these; none removes them. Inside the
// caller's transaction when one is active, else in one of its own.
void store(Database& db, const QString& entryId, const QList<course::Effort>& efforts);

// Works out the efforts of every stored course, for a diary whose courses
// were stored before there were efforts; reads one course at a time.
// Returns the number of courses read. A course that cannot be read is
// passed over: it has no efforts until it is stored again.
int computeAll(Database& db);

} // namespace BestEfforts
