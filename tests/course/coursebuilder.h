#pragma once

#include "course.h"

#include <QTimeZone>

#include <cmath>

// Courses for the tests: a run due north at a steady speed, one sample a
// second, starting at 47° N 8° E.
namespace coursebuilder {

constexpr double kMetresPerDegree = 6371008.8 * M_PI / 180.0;

inline course::Sample at(double seconds, double metres)
{
    course::Sample s;
    s.seconds = seconds;
    s.latitude = 47.0 + metres / kMetresPerDegree;
    s.longitude = 8.0;
    return s;
}

inline course::Course straight(int seconds, double speed)
{
    course::Course c;
    c.start = QDateTime(QDate(2026, 5, 3), QTime(7, 30), QTimeZone::utc());
    for (int i = 0; i <= seconds; ++i) {
        course::Sample s = at(i, i * speed);
        s.altitude = 400.0;
        s.heartRate = 140.0;
        s.cadence = 85.0;
        c.samples.append(s);
    }
    return c;
}

// A run with the device's distance: stretches of (seconds, metres per
// second), one sample every `step` seconds.
inline course::Course paced(const QList<QPair<double, double>>& stretches, double step = 1.0)
{
    course::Course c;
    double t = 0.0, d = 0.0;
    const auto add = [&] {
        course::Sample s;
        s.seconds = t;
        s.distance = d;
        c.samples.append(s);
    };
    add();
    for (const auto& [seconds, speed] : stretches)
        for (double done = 0.0; done + 1e-9 < seconds; done += step) {
            t += step;
            d += speed * step;
            add();
        }
    return c;
}

} // namespace coursebuilder
