#pragma once

#include "activity.h"

#include <QByteArray>

namespace exchange {

// Reads a GPX 1.0 or 1.1 file: each track becomes a session whose track
// holds the points of all its segments (no laps); waypoints and routes are
// no training.
ReadResult readGpx(const QByteArray& bytes);

// Whether the start of a file (its first few KB) is a GPX document.
bool looksLikeGpx(const QByteArray& head);

} // namespace exchange
