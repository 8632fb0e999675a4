#include "trackmath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace exchange {

namespace {

constexpr double EarthRadiusMeters = 6371008.8;

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Haversine distance between two positions.
double greatCircleMeters(double lat1, double lon1, double lat2, double lon2)
{
    const double sinLat = std::sin(radians(lat2 - lat1) / 2);
    const double sinLon = std::sin(radians(lon2 - lon1) / 2);
    const double a = sinLat * sinLat + std::cos(radians(lat1)) * std::cos(radians(lat2)) * sinLon * sinLon;
    return 2 * EarthRadiusMeters * std::asin(std::min(1.0, std::sqrt(a)));
}

} // namespace

double trackDistanceMeters(const QList<TrackPoint>& track)
{
    double total = 0;
    const TrackPoint* previous = nullptr;
    for (const TrackPoint& point : track) {
        if (!point.latitude || !point.longitude)
            continue;
        if (previous)
            total += greatCircleMeters(*previous->latitude, *previous->longitude, *point.latitude, *point.longitude);
        previous = &point;
    }
    return total;
}

namespace {

// A sensor that lost contact writes 0 or noise; such samples are no pulse.
bool heartRateRead(const std::optional<int>& bpm)
{
    return bpm && *bpm >= 20 && *bpm <= 300;
}

} // namespace

std::optional<int> trackAverageHeartRate(const QList<TrackPoint>& track)
{
    qint64 sum = 0;
    qint64 count = 0;
    for (const TrackPoint& point : track) {
        if (heartRateRead(point.heartRate)) {
            sum += *point.heartRate;
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    return int(std::lround(double(sum) / double(count)));
}

std::optional<int> trackMaximumHeartRate(const QList<TrackPoint>& track)
{
    std::optional<int> highest;
    for (const TrackPoint& point : track) {
        if (heartRateRead(point.heartRate) && (!highest || *point.heartRate > *highest))
            highest = point.heartRate;
    }
    return highest;
}

} // namespace exchange
