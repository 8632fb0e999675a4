#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Database;

// The races a person plans or has run: table wettkampf, one row each (ID
// from generator Gen_Wettkampf, person, day, name, distance in km, goal
// time in whole seconds or NULL for none, notes). Texts are stored as the
// other records' texts (code page 1252, cut to their column). Failures
// throw StorageError.
namespace Races {

constexpr int kNameLength = 60;
constexpr int kNotesLength = 255;

struct Race
{
    QString id;   // as stored; empty for a new race
    int userId = -1;
    QDate date;
    QString name;
    double km = 0.0;
    int goalSeconds = 0; // 0: no goal time
    QString notes;
};

// The person's races ordered by day (and ID on the same day).
QList<Race> ofPerson(Database& db, int userId);
// The person's first race on or after the day; none when there is none.
std::optional<Race> next(Database& db, int userId, const QDate& from);

// Stores a new race and returns its ID.
QString insert(Database& db, const Race& race);
// False when the race is no longer there (deleted at another workstation).
bool update(Database& db, const Race& race);
bool remove(Database& db, const QString& id);

} // namespace Races
