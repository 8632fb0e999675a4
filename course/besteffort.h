#pragma once

#include "course.h"

#include <QList>
#include <QString>

// The fastest time over each of the standard distances of running inside
// one course: a window slid along the recorded distance, linear between
// samples, so that a 5 km inside a 12 km run counts wherever it lies.
namespace course {

struct StandardDistance
{
    int metres;     // as stored; the half and the mile rounded to the metre
    double exact;   // metres
    const char* name; // as the diary names it: "5 km", "Halbmarathon", ...
};

// 400 m, 1 km, 1 Meile, 3 km, 5 km, 10 km, 15 km, Halbmarathon, 30 km,
// Marathon, in this order.
const QList<StandardDistance>& standardDistances();
// The distance stored as metres; nullptr for no standard distance.
const StandardDistance* standardDistance(int metres);
// "5 km", "Halbmarathon"; the metres with " m" for no standard distance.
QString distanceName(int metres);

// Running sports, whose best efforts count: "Laufen" and the words that
// begin with "Lauf" (Laufband) or end in "lauf" (Crosslauf, Berglauf), but
// not skiing or skating (Skilanglauf, Eislauf), and "Joggen", "Jogging",
// "Trailrunning".
bool runningSport(const QString& sport);

// A unit of the diary without a course counts for a standard distance
// when its distance lies within 1 % of it.
constexpr double kUnitTolerance = 0.01;
// The standard distance (its metres) a unit of that many km counts for; 0
// for none.
int standardMetresOfUnit(double km);

// Faster than this is no running but a fault of the recording (a jump, a
// ride in a car): such a stretch counts its time but not its distance.
constexpr double kFastestOnFoot = 10.5; // m/s

struct Effort
{
    int metres = 0;        // the standard distance, as stored
    double seconds = 0.0;  // time over it
    double startSeconds = 0.0; // from the course's start
};

// One effort per standard distance the course covers, shortest distance
// first; none for a course shorter than 400 m. Elapsed time: a pause in
// the recording counts as time. A 3-hour course of one sample a second
// takes a few milliseconds.
QList<Effort> bestEfforts(const Course& course);

// The same over a plain distance curve: seconds and metres of the points
// in time order, the metres never decreasing.
double fastestOver(const QList<double>& seconds, const QList<double>& metres, double distance,
                   double* startSeconds = nullptr);

} // namespace course
