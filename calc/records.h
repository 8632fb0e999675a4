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
// (course/besteffort.h), as the diary keeps them (storage/bestefforts.h):
// from the courses and, for an entry without a course, from its units
// within 1 % of a distance. Only entries of a running sport count, one
// effort per entry and distance.
namespace records {

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

// Per standard distance the best three, fastest first; the distances in
// the order of standardDistances.
struct Table
{
    QList<Effort> allTime;
    QList<int> years; // with efforts, the newest first

    // The efforts of one distance in a list of efforts.
    static QList<Effort> ofDistance(const QList<Effort>& list, int metres);
};

// The best three of all time, through an index: a few milliseconds, also on
// decades of courses.
Table read(Database& db, int userId);
// The best three of each distance in a year.
QList<Effort> ofYear(Database& db, int userId, int year);

// The person's efforts on or after a day.
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
