#pragma once

#include "activity.h"

#include <QList>

#include <optional>

// Totals along a recorded track, for files that give no totals of their own.
namespace exchange {

// Great-circle length along the points that have a position, in metres.
double trackDistanceMeters(const QList<TrackPoint>& track);

// Mean of the recorded heart rates, rounded; nullopt when none is recorded.
std::optional<int> trackAverageHeartRate(const QList<TrackPoint>& track);

// Highest recorded heart rate; nullopt when none is recorded.
std::optional<int> trackMaximumHeartRate(const QList<TrackPoint>& track);

} // namespace exchange
