#pragma once

#include "activity.h"

#include <QByteArray>

namespace exchange {

// Reads a FIT file (also several chained ones): its sessions with their laps
// and recorded samples. Files of other kinds (settings, workouts, courses,
// ...) and damaged ones are refused with a German reason.
ReadResult readFit(const QByteArray& bytes);

// Whether the start of a file is a FIT header.
bool looksLikeFit(const QByteArray& head);

// The file check sum of the format (CRC-16/ARC), continued from crc.
quint16 fitCrc(const char* data, qsizetype size, quint16 crc = 0);

} // namespace exchange
