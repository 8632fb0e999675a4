#pragma once

#include "storedrecord.h"

#include <QList>
#include <QString>

#include <optional>

class Database;

// The persons of the diary, each with the entries of its diary.
namespace Persons {

// A person as the person window shows and stores it. Birthday and pulses
// keep the text forms of their fields (the birthday as dd.mm.yyyy); a value
// not stored reads as an empty text, a weight not stored as 0.
struct Person
{
    QString name;
    QString firstName;
    QString birthday;
    int sex = -1; // 0 male, 1 female
    double weight = 0.0; // kg
    QString restingPulse;
    QString maxPulse;
};

// A person as the lists of persons show it.
struct Listed
{
    QString id;
    QString name;
    QString firstName;
    QString birthday;
};

// All persons, ordered by name, then first name.
QList<Listed> list(Database& db);

// The stored form of the person with this ID, for a save that notices a
// change made at another workstation.
StoredRecord storedRecord(const QString& id);

// The person with this ID as stored; none when it is not there. With
// record, the record is taken as read, for a checked save.
std::optional<Person> read(Database& db, const QString& id, StoredRecord* record = nullptr);

void insert(Database& db, const Person& person);
// False when the person is no longer there (deleted at another workstation).
bool update(Database& db, const QString& id, const Person& person);

// Deletes the person with the entries of its diary, their units and
// courses, all or none. False when the person was no longer there (deleted at another
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
