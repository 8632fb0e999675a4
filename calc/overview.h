#pragma once

#include "diarytraining.h"
#include "goals.h"
#include "races.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Database;

// What the main window shows of a person's diary at a glance: the current
// week, month and year against the same days a year earlier, the last
// trainings, shoes near their limit, today's form, the next race and the
// year's goals. Read with a handful of statements (the units of the last two
// years, the person, the zones, the shoes, the next race, the best efforts
// of the last 90 days when there is a race, the goals), a few milliseconds
// also on decades of entries. Database errors (StorageError) are not caught.
namespace overview {

// Sums of the entries of a period. Kilometres in whole metres (diarysums.h),
// time as the entries' durations (main.Dauer).
struct Sums
{
    double km = 0.0;
    int minutes = 0;
    int trainings = 0;
};

struct SportKm
{
    QString sport; // "" for entries without a sport
    double km = 0.0;
    double kmLastYear = 0.0;
};

struct Period
{
    QDate from;
    QDate to;      // today
    QDate lastFrom; // the same days a year earlier
    QDate lastTo;
    Sums sums;
    Sums lastYear;
    // Every sport with kilometres in either period, the most kilometres of
    // this period first (then of last year's, then by name).
    QList<SportKm> sports;
};

struct Training
{
    QString entryId;
    QDate date;
    QString sport;
    double km = 0.0;
    int minutes = 0;
    QString pace; // the units' time over their distance (unitPaceText); empty without
};

// A shoe is near its limit from this share of its maximum mileage on; over
// it, as the shoe window marks it, when its total passes the maximum.
constexpr double kNearShare = 0.9;

struct Shoe
{
    QString model;
    double km = 0.0; // before the diary plus since
    int max = 0;
    bool over = false;
};

// The form counts as clearly positive or negative beyond this many points,
// or this share of the fitness when that is more: a small form says little
// to a runner with much fitness.
constexpr double kFormPoints = 5.0;
constexpr double kFormShare = 0.1;

struct Form
{
    bool known = false; // false without the person's resting and maximum pulse
    double fitness = 0.0;
    double fatigue = 0.0;
    double form = 0.0;
    QString sentence;
};

struct NextRace
{
    Races::Race race;
    int daysLeft = 0;
    double predictedSeconds = 0.0; // by the VDOT model; 0 without a best effort
};

struct Goal
{
    QString sport; // "" for all sports together
    double planned = 0.0;
    double done = 0.0; // this year through today
    double due = 0.0;  // where the runner should be today
};

struct Overview
{
    Period week;  // Monday (ISO week) through today
    Period month;
    Period year;
    QList<Training> last; // the last five through today, the newest first
    QList<Shoe> shoes;    // near or over their limit, the most worn first
    Form form;
    std::optional<NextRace> race;
    QList<Goal> goals; // the one of all sports first
};

constexpr int kLastTrainings = 5;
// The training load reads this many days back: older loads weigh less than
// a ten-millionth in today's fitness (time constant 42 days).
constexpr int kLoadDays = 730;

// What the overview reads that a change of diary entries leaves as it is:
// the person and the zones the form is worked out with, the goals of the
// year of today and the next race from today (its prediction does change).
struct Standing
{
    training::Person person;
    QList<training::Zone> zones;
    QList<Goals::Goal> goals;
    std::optional<Races::Race> race;
    QDate day; // today when read
};
Standing readStanding(Database& db, int userId, const QDate& today);

Overview read(Database& db, int userId, const QDate& today);
// With the standing read before: what follows a change of entries.
Overview read(Database& db, int userId, const QDate& today, const Standing& standing);

// One sentence of what the form means (thresholds kFormPoints, kFormShare).
QString formSentence(double fitness, double form);

// The kilometres of a year's plan due by the day: planned × day of the year
// / days of the year.
double dueKm(double planned, const QDate& day);

} // namespace overview
