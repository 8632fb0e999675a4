#pragma once

#include "predictions.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

class Database;

// A person's best times over the standard distances of running
// (course/besteffort.h): from the best efforts of the courses and, for an
// entry without a course, from each unit whose distance is within 1 % of a
// standard distance, with the unit's time. Only entries of a running sport
// count, one effort per entry and distance (its fastest). Every read is one
// statement, whatever the length of the diary.
namespace records {

// Running sports: "Laufen" and the words that begin with "Lauf" (Laufband)
// or end in "lauf" (Crosslauf, Berglauf), but not skiing or skating
// (Skilanglauf, Eislauf), and "Joggen", "Jogging", "Trailrunning".
bool runningSport(const QString& sport);

struct Effort
{
    int metres = 0;          // the standard distance
    double seconds = 0.0;
    QString entryId;
    QDate date;
    QString sport;
    double entryKm = 0.0;    // the whole training's distance
    double startSeconds = -1.0; // of an effort in a course: from its start; -1 for a unit
    int unit = 0;            // of an effort of a unit: the unit's number

    // Whole seconds, as shown and compared.
    qint64 wholeSeconds() const;
};

// Per standard distance the best three, fastest first (on a tie the older
// first); the distances in the order of standardDistances.
struct Table
{
    QList<Effort> allTime;
    QMap<int, QList<Effort>> byYear; // the best three of each year

    QList<int> years() const; // with efforts, the newest first
    // The efforts of one distance in a list of the table.
    static QList<Effort> ofDistance(const QList<Effort>& list, int metres);
};

Table read(Database& db, int userId);

// The person's efforts on or after a day, one per entry and distance.
QList<Effort> since(Database& db, int userId, const QDate& from);

// The person's best effort over each distance, by the distance's metres.
QHash<int, Effort> best(Database& db, int userId);

// A new best time: an effort faster, in whole seconds, than the best there
// was before. The first effort over a distance beats nothing and is no
// notice (a first import of a watch's history would give dozens).
struct Notice
{
    Effort effort;
    Effort previous;
};

// The bests of `after` that are new against `before` and belong to one of
// the entries (all entries when the list is empty), in distance order.
QList<Notice> newRecords(const QHash<int, Effort>& before, const QHash<int, Effort>& after,
                         const QStringList& entries = {});

// "Neue Bestzeit über 5 km: 21:34 (bisher 21:50 vom 12.04.2025)".
QString noticeText(const Notice& notice);
// One line per notice.
QString noticesText(const QList<Notice>& notices);

// Race predictions from the best effort of a period (the one of the
// highest VDOT over a mile or more).
constexpr int kPredictionDays = 90;
struct PredictionRow
{
    int metres = 0;
    double riegel = 0.0; // seconds
    double vdot = 0.0;   // seconds by the VDOT model
};
struct Forecast
{
    std::optional<Effort> base;
    double vdot = 0.0;
    QList<PredictionRow> rows; // 5 km, 10 km, Halbmarathon, Marathon
    predictions::Paces paces;
};
Forecast forecast(const QList<Effort>& efforts);

} // namespace records
