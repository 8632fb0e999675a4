#pragma once

#include <QDateTime>
#include <QList>

#include <cmath>
#include <limits>

// The course of a training as the watch recorded it: one sample every few
// seconds (usually every second) with what the device measured. A value
// the device did not record at a sample is NaN.
namespace course {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

inline bool recorded(double value)
{
    return !std::isnan(value);
}

struct Sample
{
    double seconds = 0.0;     // since the course's start
    double latitude = kNone;  // degrees, north positive
    double longitude = kNone; // degrees, east positive
    double distance = kNone;  // metres from the start, as the device counted
    double altitude = kNone;  // metres above sea level
    double heartRate = kNone; // beats per minute
    double cadence = kNone;   // per minute, as the device gives it
    double speed = kNone;     // metres per second
    double power = kNone;     // watts
};

struct Course
{
    QDateTime start;       // UTC; invalid when unknown
    QList<Sample> samples; // in the order of their time

    bool isEmpty() const { return samples.isEmpty(); }
};

} // namespace course
