#include "besteffort.h"

#include "courseanalysis.h"

#include <cmath>
#include <limits>

namespace course {

const QList<StandardDistance>& standardDistances()
{
    static const QList<StandardDistance> distances = {
        {400, 400.0, "400 m"},          {1000, 1000.0, "1 km"},     {1609, 1609.344, "1 Meile"},
        {3000, 3000.0, "3 km"},         {5000, 5000.0, "5 km"},     {10000, 10000.0, "10 km"},
        {15000, 15000.0, "15 km"},      {21098, 21097.5, "Halbmarathon"}, {30000, 30000.0, "30 km"},
        {42195, 42195.0, "Marathon"},
    };
    return distances;
}

const StandardDistance* standardDistance(int metres)
{
    for (const StandardDistance& d : standardDistances())
        if (d.metres == metres)
            return &d;
    return nullptr;
}

QString distanceName(int metres)
{
    if (const StandardDistance* d = standardDistance(metres))
        return QString::fromUtf8(d->name);
    return QStringLiteral("%1 m").arg(metres);
}

bool runningSport(const QString& sport)
{
    const QString word = sport.trimmed().toUpper();
    if (word.startsWith(QLatin1String("LAUF")))
        return true;
    for (const char* w : {"JOGGEN", "JOGGING", "TRAILRUNNING"})
        if (word == QLatin1String(w))
            return true;
    if (!word.endsWith(QLatin1String("LAUF")))
        return false;
    for (const char* end : {"LANGLAUF", "EISLAUF", "SCHUHLAUF"})
        if (word.endsWith(QLatin1String(end)))
            return false;
    return true;
}

int standardMetresOfUnit(double km)
{
    if (!std::isfinite(km))
        return 0;
    for (const StandardDistance& d : standardDistances())
        if (std::abs(km * 1000.0 - d.exact) <= d.exact * kUnitTolerance)
            return d.metres;
    return 0;
}

double fastestOver(const QList<double>& seconds, const QList<double>& metres, double distance,
                   double* startSeconds)
{
    const qsizetype n = std::min(seconds.size(), metres.size());
    double best = std::numeric_limits<double>::infinity();
    double bestStart = 0.0;
    // A course that ends at the distance to the centimetre covers it: the
    // device counts in centimetres, and their sum may fall a hair short.
    constexpr double kCentimetre = 0.01;
    if (n < 2 || !(distance > 0.0) || metres[n - 1] - metres[0] < distance - kCentimetre) {
        if (startSeconds)
            *startSeconds = 0.0;
        return best;
    }
    distance = std::min(distance, metres[n - 1] - metres[0]);
    const auto consider = [&](double from, double to) {
        const double duration = to - from;
        if (duration > 0.0 && distance / duration <= kFastestOnFoot && duration < best) {
            best = duration;
            bestStart = from;
        }
    };
    // The time over a distance as a function of where it starts is linear
    // between the points where its start or its end passes a sample, so its
    // least value lies at one of them: each sample is tried as the start
    // (the end found between two samples) and as the end.
    qsizetype j = 1;
    for (qsizetype i = 0; i < n; ++i) {
        const double target = metres[i] + distance;
        if (target > metres[n - 1])
            break;
        j = std::max(j, i + 1);
        while (metres[j] < target)
            ++j;
        const double d0 = metres[j - 1], d1 = metres[j];
        const double end = d1 > d0 ? seconds[j - 1] + (target - d0) / (d1 - d0) * (seconds[j] - seconds[j - 1])
                                   : seconds[j];
        consider(seconds[i], end);
    }
    qsizetype i = 0;
    for (j = 1; j < n; ++j) {
        const double target = metres[j] - distance;
        if (target < metres[0])
            continue;
        while (i + 1 < j && metres[i + 1] <= target)
            ++i;
        const double d0 = metres[i], d1 = metres[i + 1];
        const double start =
            d1 > d0 ? seconds[i] + (target - d0) / (d1 - d0) * (seconds[i + 1] - seconds[i]) : seconds[i];
        consider(start, seconds[j]);
    }
    if (startSeconds)
        *startSeconds = std::isfinite(best) ? bestStart : 0.0;
    return best;
}

QList<Effort> bestEfforts(const Course& course)
{
    QList<Effort> efforts;
    const Analysis analysis = analyse(course);
    if (analysis.points.size() < 2)
        return efforts;
    QList<double> seconds, metres;
    seconds.reserve(analysis.points.size());
    metres.reserve(analysis.points.size());
    // A stretch between two samples faster than anyone runs (the watch in a
    // car, a position gone astray) counts its time but not its distance.
    double counted = 0.0;
    for (qsizetype i = 0; i < analysis.points.size(); ++i) {
        const Point& p = analysis.points[i];
        if (i > 0) {
            const Point& q = analysis.points[i - 1];
            const double step = p.distance - q.distance;
            if (step > 0.0 && step <= kFastestOnFoot * (p.seconds - q.seconds))
                counted += step;
        }
        seconds << p.seconds;
        metres << counted;
    }
    for (const StandardDistance& d : standardDistances()) {
        double start = 0.0;
        const double time = fastestOver(seconds, metres, d.exact, &start);
        if (std::isfinite(time))
            efforts.append({d.metres, time, start});
    }
    return efforts;
}

} // namespace course
