#pragma once

#include "course.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <optional>

class Database;

// The courses of the diary entries: table verlauf, one row per entry that
// has one (entry ID, format version, sample count, the samples as one
// compressed BLOB of fixed-width columns). Failures throw StorageError.
namespace Courses {

// The samples in the stored form of the current version, and back; decode
// gives none for bytes that are no course of a known version, that are cut
// off or damaged, or that hold another number of samples than sampleCount.
// Values keep their columns' precision (time 0.01 s, position 1e-7 degrees,
// distance and altitude 1 cm, heart rate and power whole, cadence 0.1,
// speed 1 mm/s); a value outside its column's range (a heart rate above
// 255, a negative speed) is stored as not recorded. encode throws for a
// course of more than 800,000 samples.
QByteArray encode(const course::Course& course);
std::optional<course::Course> decode(const QByteArray& bytes, int version, int sampleCount);

// Stores the entry's course, replacing one it had, with its best efforts
// (bestefforts.h); an empty course removes both. Inside the caller's transaction when one is active, else in one of
// its own. Throws when the entry is not there (deleted elsewhere).
void store(Database& db, const QString& entryId, const course::Course& course);
// The entry's course; none when it has none. A stored course that cannot
// be read (damaged, or of a newer version) throws.
std::optional<course::Course> read(Database& db, const QString& entryId);
// Which of the person's entries have a course, read with one statement.
QSet<QString> entriesWithCourse(Database& db, int userId);
bool hasCourse(Database& db, const QString& entryId);

} // namespace Courses
