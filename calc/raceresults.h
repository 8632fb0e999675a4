#pragma once

#include "races.h"

#include <QDate>
#include <QList>
#include <QString>

class Database;

// The person's races with what was run on their day. A race on or before
// today has a result when an entry of its day has units of the zone
// "Wettkampf" (their time and distance), or else when an entry's total
// distance lies within 1 % of the race's distance (the entry's time and
// distance). A later race has none yet.
namespace raceresults {

inline const QString kRaceZone = QStringLiteral("Wettkampf");

struct RaceResult
{
    Races::Race race;
    QString entryId; // the entry of the result; empty: none
    double km = 0.0;
    double seconds = 0.0;

    bool hasResult() const { return !entryId.isEmpty(); }
};

// All the person's races ordered by day, with their results, read in one
// statement.
QList<RaceResult> ofPerson(Database& db, int userId, const QDate& today = QDate::currentDate());

// What the list shows for the result: "0:41:23 (10,0 km)", "kein Ergebnis",
// or for a later race the days left ("heute", "morgen", "in 12 Tagen").
QString resultText(const RaceResult& result, const QDate& today = QDate::currentDate());

} // namespace raceresults
