#pragma once

#include "diaryforms.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

class Database;

// Training load, pace trend and kilometres per sport over a period of one
// person's diary, for the charts of the statistics window.
//
// Each evaluation reads the period with one statement (every unit of the
// person's entries, entries without units as one row of their own) and
// computes the rest here; the pure overloads take such rows, so that the
// numbers can be checked without a database. Database errors
// (StorageError) are not caught here.
namespace training {

// One unit of a diary entry, with its entry's fields; an entry without
// units gives one row with hasUnit false. Texts are trimmed.
struct UnitRow
{
    qint64 entryId = 0;
    QDate date{};
    QTime time{};            // time of day of the entry; invalid when none
    QString sport{};         // main.Kategorie
    int durationMinutes = 0; // main.Dauer
    bool hasUnit = false;
    double km = 0.0;         // units.strecke
    int seconds = 0;         // units.Zeit
    int pulse = 0;           // units.Puls; 0 when the unit has none
    QString zone{};          // units.Bereich
};

// The person's units of the period (both end dates included), ordered by
// date, time of day, entry and position in the entry. Nothing for an
// invalid or reversed period.
QList<UnitRow> readUnits(Database& db, int userId, const QDate& from, const QDate& to);
// ... from the person's first entry through the day `to`.
QList<UnitRow> readUnitsThrough(Database& db, int userId, const QDate& to);

struct Person
{
    bool found = false;
    int restPulse = 0; // 0 when not recorded
    int maxPulse = 0;
    bool female = false;
    // As stored, for the values a new entry starts with: none where NULL.
    std::optional<int> storedRestPulse;
    std::optional<double> weight; // kg
    QString weightText;           // the diary's text form ("72,5"); empty where NULL
    QDate birthday;               // invalid where none
};

Person readPerson(Database& db, int userId);

// A training zone; a limit of 0 is no limit.
struct Zone
{
    QString name; // trimmed
    int minHF = 0; // percent of the maximum pulse
    int maxHF = 0;
};

// In the order of their IDs.
QList<Zone> readZones(Database& db);
// The zones whose limits hold the percentage of the maximum pulse, as the
// editor's advice lists them; names as stored, only trailing blanks gone.
QList<Zone> zonesHolding(Database& db, int percentage);

// The distance a shoe had done before the diary counted it, and the limit
// of its mileage (0: none), in km.
struct ShoeLimits
{
    int before = 0;
    int limit = 0;
};
// The person's shoes with their limits, models as stored, in one statement.
struct Shoe
{
    QString model;
    ShoeLimits limits;
};
QList<Shoe> readShoes(Database& db, int userId);

// --- Training load --------------------------------------------------------

// Fitness and fatigue follow the daily loads with time constants of 42 and
// 7 days; the form of a day is the fitness minus the fatigue of the day
// before.
struct DayLoad
{
    QDate date;
    double load = 0.0;
    double fitness = 0.0;
    double fatigue = 0.0;
    double form = 0.0;
};

struct LoadSeries
{
    // False when the person's resting or maximum pulse is missing or the
    // maximum is not above the resting pulse: then there are no days.
    bool pulsesKnown = false;
    // Every day of the period, rest days included.
    QList<DayLoad> days;
    // Minutes of the period that carry no intensity: units without a pulse
    // whose zone has no band, and entries without units (their duration).
    double minutesWithoutIntensity = 0.0;

    // The values of the day; those of the last day when the day lies outside
    // the period; a DayLoad without a date when there are no days.
    DayLoad valuesOn(const QDate& day) const;
};

// The training load (TRIMP) of one unit: its minutes weighted by the heart
// rate reserve it used. A unit without pulse takes the middle of its zone's
// band; without either it carries no load. The person's pulses must be known.
double unitLoad(const UnitRow& unit, const Person& person, const QList<Zone>& zones);

// The values start at 0 on the day of the person's first entry, so that a
// day's values are the same whatever period is shown.
LoadSeries trainingLoad(Database& db, int userId, const QDate& from, const QDate& to);
// rows must reach back to the person's first entry; the loads count from
// the first row (or from `from`, when that lies earlier); rows after `to`
// are left out.
LoadSeries trainingLoad(const QList<UnitRow>& rows, const Person& person, const QList<Zone>& zones,
                        const QDate& from, const QDate& to);

// --- Pace trend -----------------------------------------------------------

// Sports whose pace is a speed in km/h rather than minutes per km: the
// rule of the text forms (diaryforms.h).
using ::speedSport;

// One entry of the sport: the time of its units over their distance, only
// units with both counted; for speed sports in km/h, else in minutes per
// km (5.5 is 5:30 min/km). The median is that of all points dated within
// the 28 days that end at the point's date.
struct PacePoint
{
    qint64 entryId = 0;
    QDate date;
    QTime time;
    double value = 0.0;
    double median = 0.0;
};

constexpr int kPaceMedianDays = 28;

// The points of the period; the medians of its first days count the points
// of the 27 days before it as well.
QList<PacePoint> paceTrend(Database& db, int userId, const QString& sport, const QDate& from, const QDate& to);
// The points from the day `from` on (all points for an invalid date); rows
// before it count in the medians only.
QList<PacePoint> paceTrend(const QList<UnitRow>& rows, const QString& sport, const QDate& from = QDate());
// The rows a pace trend of the period needs: its own and the lead-in of its medians.
QList<UnitRow> readPaceUnits(Database& db, int userId, const QDate& from, const QDate& to);

// The sport with the most entries that give a pace point (ties: the
// alphabetically first); empty when there is none. Entries without a
// sport, and rows before `from`, are not counted.
QString commonestSport(Database& db, int userId, const QDate& from, const QDate& to);
QString commonestSport(const QList<UnitRow>& rows, const QDate& from = QDate());

// --- Kilometres per week or month by sport --------------------------------

enum class Bucket { Week, Month };

// One ISO week (Monday to Sunday) or calendar month touched by the period.
struct KmSlot
{
    QDate first;    // Monday of the week, first of the month
    int number = 0; // week number, or month 1..12
    int year = 0;   // week-based year, or calendar year
    QList<double> km; // per sport, in the order of SportKm::sports
};

struct SportKm
{
    // The sports with kilometres in the period, most kilometres first (ties
    // by name); an entry without a sport counts as sport "".
    QStringList sports;
    // Every week or month of the period in order, also those without training.
    QList<KmSlot> slots;
};

// sport empty: all sports; else only the entries of that sport.
SportKm kmBySport(Database& db, int userId, const QDate& from, const QDate& to, Bucket bucket,
                  const QString& sport = QString());
SportKm kmBySport(const QList<UnitRow>& rows, const QDate& from, const QDate& to, Bucket bucket,
                  const QString& sport = QString());

} // namespace training
