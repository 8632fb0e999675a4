#pragma once

#include "course.h"

#include <QByteArray>
#include <QString>

// The course as a GPX 1.1 track: one track segment per stretch between
// gaps, each point with its position, altitude, time (UTC) and, in the
// track point extension, heart rate and cadence where recorded. Only
// points with a position are written; the cleaning of courseanalysis.h
// decides what a position, a gap and a recorded value are.
namespace course {

QByteArray gpx(const Course& course, const QString& name = {});

// Writes the file whole or not at all (an existing file stays as it was on
// failure); false when it could not be written.
bool saveGpx(const Course& course, const QString& path, const QString& name = {});

} // namespace course
