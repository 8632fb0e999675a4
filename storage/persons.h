#pragma once

#include <QString>

class Database;

// The persons of the diary, each with the entries of its diary.
namespace Persons {

// Deletes the person with the entries of its diary and their units, all
// or none. False when the person was no longer there (deleted at another
// workstation, with its entries).
bool remove(Database& db, const QString& id);

// What the diary holds, as the backup dialog compares it.
struct Counts
{
    int persons = 0;
    int entries = 0;
};
Counts counts(Database& db);

} // namespace Persons
