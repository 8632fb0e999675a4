#pragma once

#include <QList>
#include <QString>

class Database;

// A person's distance goals of a year: table ziele, one row per person,
// year and sport (an empty sport: all sports together), km planned.
// Failures throw StorageError.
namespace Goals {

struct Goal
{
    int year = 0;
    QString sport; // empty: the goal of all sports together
    double km = 0.0;
};

// The person's goals of the year: the one of all sports first, then the
// sports by name.
QList<Goal> ofYear(Database& db, int userId, int year);
// Sets the goal of the year and sport; km 0 or less removes it.
void set(Database& db, int userId, const Goal& goal);

} // namespace Goals
