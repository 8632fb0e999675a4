#pragma once

#include "course.h"

#include <QList>
#include <QPointF>
#include <QString>

// What a course shows once the recording's faults are taken out: the
// cleaned points with their distance, the totals, the splits per
// kilometre, the time in the heart-rate zones and the curves of the
// channels. Every function takes any input (empty, one sample, unsorted
// times, nothing recorded) and gives an empty or zero result rather than
// failing. A 10-hour course at one sample per second takes a few
// milliseconds.
namespace course {

// One sample after cleaning. A value left out is NaN; a position left out
// has hasPosition false (and NaN coordinates).
struct Point
{
    double seconds = 0.0;
    double distance = 0.0;    // metres from the start, never decreasing
    double latitude = kNone;
    double longitude = kNone;
    double altitude = kNone;  // as recorded, spikes left out
    double smoothedAltitude = kNone;
    double heartRate = kNone;
    double cadence = kNone;
    double speed = kNone;     // m/s: the device's, else from the distance; smoothed
    double gain = 0.0;        // metres of climb and descent this point completes
    double loss = 0.0;
    bool hasPosition = false;
    bool gapBefore = false;   // no line and no moving time between this point and the one before
};

// Channels left out entirely are not recorded: the window shows no band.
struct Analysis
{
    QDateTime start;
    QList<Point> points; // in time order, at most one per time
    bool hasPositions = false;
    bool hasAltitude = false;
    bool hasHeartRate = false;
    bool hasCadence = false;
    bool hasSpeed = false;
};

// Limits of the cleaning.
constexpr double kGapSeconds = 10.0;      // longer without a sample is a gap
constexpr double kJumpMetres = 1000.0;    // a jump between two samples breaks the course
constexpr double kSpikeMetres = 50.0;     // altitude off the median of its neighbours
constexpr double kMovingSpeed = 0.5;      // m/s; slower is standing
constexpr double kClimbHysteresis = 4.0;  // metres of smoothed altitude before a climb counts

Analysis analyse(const Course& course);

struct Totals
{
    double distance = 0.0;      // metres
    double elapsedSeconds = 0.0; // first to last sample
    double movingSeconds = 0.0;
    double gain = 0.0;          // metres
    double loss = 0.0;
};

Totals totals(const Analysis& analysis);

// One kilometre of the course (the last one may be shorter). Seconds are
// the recorded time in it, gaps out; pace in seconds per km; the heart
// rate averaged over its samples (NaN when none).
struct Split
{
    int number = 0;          // from 1
    double metres = 0.0;     // 1000, or less for the last
    double seconds = 0.0;
    double pace = kNone;     // s/km
    double heartRate = kNone;
    double gain = 0.0;
};

QList<Split> splits(const Analysis& analysis);

// A zone of the person: percent of the maximum pulse; a limit of 0 is no
// limit, and a zone with neither holds no heart rate. Both limits belong
// to the zone.
struct Zone
{
    QString name;
    int minPercent = 0;
    int maxPercent = 0;
};

// The seconds spent in each zone, in the order given; a time counts in the
// first zone that holds its heart rate, so that the zones add up to no
// more than the time with a heart rate. outside: heart rate in no zone.
struct ZoneTimes
{
    QList<double> seconds; // one per zone
    double outside = 0.0;
};

ZoneTimes timeInZones(const Analysis& analysis, const QList<Zone>& zones, int maxPulse);

enum class Channel { Pace, Speed, HeartRate, Altitude, Cadence };
enum class Axis { Distance, Time };

// The value of a channel at a point in its unit: pace in min/km (NaN when
// standing), speed in km/h, heart rate, altitude in m, cadence.
double channelValue(const Point& point, Channel channel);
bool hasChannel(const Analysis& analysis, Channel channel);

// x of a point: km for Distance, minutes for Time.
double axisValue(const Point& point, Axis axis);

// The curve of a channel: x in axisValue units, y in channelValue units;
// a point with y NaN breaks the line (at gaps and where nothing was
// recorded). x never decreases.
QList<QPointF> curve(const Analysis& analysis, Channel channel, Axis axis);

// The index of the point nearest to x on the axis; -1 without points.
int nearestPoint(const Analysis& analysis, Axis axis, double x);

} // namespace course
