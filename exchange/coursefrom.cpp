#include "coursefrom.h"

#include <algorithm>
#include <cmath>

namespace exchange {

namespace {

// Beyond these no training goes: a device's filler or a broken value.
constexpr double kMostMetres = 1.0e8;
constexpr double kLowestAltitude = -1000.0; // below the deepest valley on land
constexpr double kHighestAltitude = 12000.0;
constexpr double kFewestBeats = 20.0;
constexpr double kMostBeats = 300.0;
constexpr double kMostCadence = 500.0;
constexpr double kFastest = 150.0; // m/s
constexpr double kMostPower = 5000.0;

double within(const std::optional<double>& value, double lowest, double highest)
{
    return value && std::isfinite(*value) && *value >= lowest && *value <= highest ? *value : course::kNone;
}

double within(const std::optional<int>& value, double lowest, double highest)
{
    return value && *value >= lowest && *value <= highest ? double(*value) : course::kNone;
}

QDateTime startOf(const Session& session)
{
    if (session.start.isValid())
        return session.start;
    for (const TrackPoint& point : session.track)
        if (point.time.isValid())
            return point.time;
    return {};
}

} // namespace

course::Course courseOf(const Session& session)
{
    course::Course result;
    const QDateTime start = startOf(session);
    if (!start.isValid())
        return result;
    result.start = start.toUTC();
    const qint64 origin = start.toMSecsSinceEpoch();
    result.samples.reserve(session.track.size());
    bool ordered = true;
    for (const TrackPoint& point : session.track) {
        if (!point.time.isValid())
            continue;
        course::Sample sample;
        sample.seconds = double(point.time.toMSecsSinceEpoch() - origin) / 1000.0;
        const double latitude = within(point.latitude, -90.0, 90.0);
        const double longitude = within(point.longitude, -180.0, 180.0);
        // A device without a fix writes (0, 0): a point in the sea, no place.
        if (course::recorded(latitude) && course::recorded(longitude) && (latitude != 0.0 || longitude != 0.0)) {
            sample.latitude = latitude;
            sample.longitude = longitude;
        }
        sample.distance = within(point.distance, 0.0, kMostMetres);
        sample.altitude = within(point.altitude, kLowestAltitude, kHighestAltitude);
        sample.heartRate = within(point.heartRate, kFewestBeats, kMostBeats);
        sample.cadence = within(point.cadence, 0.0, kMostCadence);
        sample.speed = within(point.speed, 0.0, kFastest);
        sample.power = within(point.power, 0.0, kMostPower);
        ordered = ordered && (result.samples.isEmpty() || result.samples.last().seconds <= sample.seconds);
        result.samples.append(sample);
    }
    // Chained files or a device's clock set back may write samples out of
    // their order.
    if (!ordered)
        std::stable_sort(result.samples.begin(), result.samples.end(),
                         [](const course::Sample& a, const course::Sample& b) { return a.seconds < b.seconds; });
    return result;
}

} // namespace exchange
