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
// gives none for bytes that are no course of a known version.
QByteArray encode(const course::Course& course);
std::optional<course::Course> decode(const QByteArray& bytes, int version, int sampleCount);

// Stores the entry's course, replacing one it had; inside the caller's
// transaction when one is active.
void store(Database& db, const QString& entryId, const course::Course& course);
// The entry's course; none when it has none.
std::optional<course::Course> read(Database& db, const QString& entryId);
// Which of the person's entries have a course, read with one statement.
QSet<QString> entriesWithCourse(Database& db, int userId);
bool hasCourse(Database& db, const QString& entryId);

} // namespace Courses
