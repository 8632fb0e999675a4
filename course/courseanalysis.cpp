#include "courseanalysis.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace course {

namespace {

constexpr double kEarthRadius = 6371008.8; // metres, mean radius
// A jump is more than kJumpMetres at more than this speed: over a long gap
// a device may well have gone that far.
constexpr double kJumpSpeed = 50.0; // m/s
constexpr int kMaxSplits = 100000;

double finiteOrNone(double v)
{
    return std::isfinite(v) ? v : kNone;
}

bool validPosition(double lat, double lon)
{
    return std::isfinite(lat) && std::isfinite(lon) && lat >= -90.0 && lat <= 90.0 && lon >= -180.0
           && lon <= 180.0 && !(lat == 0.0 && lon == 0.0);
}

double haversine(const Point& a, const Point& b)
{
    constexpr double rad = M_PI / 180.0;
    const double dLat = (b.latitude - a.latitude) * rad;
    const double dLon = (b.longitude - a.longitude) * rad;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2)
                     + std::cos(a.latitude * rad) * std::cos(b.latitude * rad) * std::sin(dLon / 2)
                           * std::sin(dLon / 2);
    return 2.0 * kEarthRadius * std::asin(std::min(1.0, std::sqrt(h)));
}

bool isJump(double metres, double seconds)
{
    return metres > kJumpMetres && metres > kJumpSpeed * std::max(seconds, 0.0);
}

Point pointOf(const Sample& s)
{
    Point p;
    p.seconds = s.seconds;
    if (validPosition(s.latitude, s.longitude)) {
        p.latitude = s.latitude;
        p.longitude = s.longitude;
        p.hasPosition = true;
    }
    p.altitude = finiteOrNone(s.altitude);
    const double hr = finiteOrNone(s.heartRate);
    p.heartRate = hr > 0.0 ? hr : kNone;
    const double cad = finiteOrNone(s.cadence);
    p.cadence = cad >= 0.0 ? cad : kNone;
    const double speed = finiteOrNone(s.speed);
    p.speed = speed >= 0.0 ? speed : kNone;
    return p;
}

// Altitudes further than kSpikeMetres from the median of up to three
// recorded neighbours on each side are left out.
void removeSpikes(QList<Point>& points)
{
    const qsizetype n = points.size();
    QList<double> original(n);
    for (qsizetype i = 0; i < n; ++i)
        original[i] = points[i].altitude;
    std::array<double, 6> near{};
    for (qsizetype i = 0; i < n; ++i) {
        if (!recorded(original[i]))
            continue;
        int count = 0;
        for (qsizetype j = i - 1, taken = 0; j >= 0 && taken < 3 && i - j <= 10; --j)
            if (recorded(original[j])) {
                near[count++] = original[j];
                ++taken;
            }
        for (qsizetype j = i + 1, taken = 0; j < n && taken < 3 && j - i <= 10; ++j)
            if (recorded(original[j])) {
                near[count++] = original[j];
                ++taken;
            }
        if (count < 2)
            continue;
        for (int a = 1; a < count; ++a)
            for (int b = a; b > 0 && near[b - 1] > near[b]; --b)
                std::swap(near[b - 1], near[b]);
        const double median = count % 2 ? near[count / 2] : (near[count / 2 - 1] + near[count / 2]) / 2.0;
        if (std::abs(original[i] - median) > kSpikeMetres)
            points[i].altitude = kNone;
    }
}

// Distance, gaps and breaks. The device's running distance wins where it
// is recorded; between its values the positions fill in, and the device's
// next value takes over again without counting twice.
void measure(QList<Point>& points, const QList<double>& device)
{
    const qsizetype n = points.size();
    qsizetype lastPos = points[0].hasPosition ? 0 : -1;
    qsizetype lastDev = recorded(device[0]) ? 0 : -1;
    double cumAtLastDev = 0.0;
    for (qsizetype i = 1; i < n; ++i) {
        Point& p = points[i];
        const double dt = p.seconds - points[i - 1].seconds;
        bool brk = dt > kGapSeconds;
        double cum = points[i - 1].distance;

        if (p.hasPosition && lastPos >= 0) {
            const double jump = haversine(points[lastPos], p);
            if (isJump(jump, p.seconds - points[lastPos].seconds)) {
                // A single stray position, with the next one back near the
                // last good one, is left out; otherwise the course breaks.
                const bool stray = i + 1 < n && points[i + 1].hasPosition
                                   && !isJump(haversine(points[lastPos], points[i + 1]),
                                              points[i + 1].seconds - points[lastPos].seconds);
                if (stray) {
                    p.hasPosition = false;
                    p.latitude = p.longitude = kNone;
                } else {
                    brk = true;
                    lastPos = -1;
                }
            }
        }
        bool positionsCount = true;
        if (recorded(device[i]) && lastDev >= 0) {
            const double delta = device[i] - device[lastDev];
            if (isJump(std::abs(delta), p.seconds - points[lastDev].seconds)) {
                brk = true;
                cumAtLastDev = cum;
            } else {
                cum = std::max(cum, cumAtLastDev + std::max(0.0, delta));
                cumAtLastDev = cum;
                positionsCount = false;
            }
            lastDev = i;
        } else if (recorded(device[i])) {
            lastDev = i;
            cumAtLastDev = cum;
        }
        if (positionsCount && !brk && p.hasPosition && lastPos >= 0)
            cum += haversine(points[lastPos], p);
        p.distance = cum;
        p.gapBefore = brk;
        if (p.hasPosition)
            lastPos = i;
    }
}

// Moving average of a value over up to `reach` points on each side,
// within the stretch between gaps; NaN values take no part.
QList<double> smoothed(const QList<Point>& points, double Point::*value, int reach)
{
    const qsizetype n = points.size();
    QList<double> result(n, kNone);
    QList<double> sum(n + 1, 0.0);
    QList<int> count(n + 1, 0);
    for (qsizetype i = 0; i < n; ++i) {
        const double v = points[i].*value;
        sum[i + 1] = sum[i] + (recorded(v) ? v : 0.0);
        count[i + 1] = count[i] + (recorded(v) ? 1 : 0);
    }
    qsizetype begin = 0;
    while (begin < n) {
        qsizetype end = begin + 1;
        while (end < n && !points[end].gapBefore)
            ++end;
        for (qsizetype i = begin; i < end; ++i) {
            if (!recorded(points[i].*value))
                continue;
            const qsizetype a = std::max(begin, i - reach);
            const qsizetype b = std::min(end, i + reach + 1);
            result[i] = (sum[b] - sum[a]) / (count[b] - count[a]);
        }
        begin = end;
    }
    return result;
}

// Climb and descent on the smoothed altitude: a change counts once the
// altitude has moved kClimbHysteresis from the last turning point, and
// then in full, so that noise on the flat gives nothing and a climb gives
// its whole height. Each point holds what it adds.
void climb(QList<Point>& points)
{
    int direction = 0;
    double turn = kNone;
    double extreme = kNone;
    for (Point& p : points) {
        const double a = p.smoothedAltitude;
        if (!recorded(a))
            continue;
        if (!recorded(turn)) {
            turn = extreme = a;
            continue;
        }
        if (direction == 0) {
            if (a >= turn + kClimbHysteresis) {
                direction = 1;
                p.gain = a - turn;
                extreme = a;
            } else if (a <= turn - kClimbHysteresis) {
                direction = -1;
                p.loss = turn - a;
                extreme = a;
            }
        } else if (direction > 0) {
            if (a > extreme) {
                p.gain = a - extreme;
                extreme = a;
            } else if (a <= extreme - kClimbHysteresis) {
                direction = -1;
                turn = extreme;
                p.loss = turn - a;
                extreme = a;
            }
        } else {
            if (a < extreme) {
                p.loss = extreme - a;
                extreme = a;
            } else if (a >= extreme + kClimbHysteresis) {
                direction = 1;
                turn = extreme;
                p.gain = a - turn;
                extreme = a;
            }
        }
    }
}

} // namespace

Analysis analyse(const Course& course)
{
    Analysis result;
    result.start = course.start;
    QList<Sample> samples;
    samples.reserve(course.samples.size());
    for (const Sample& s : course.samples)
        if (std::isfinite(s.seconds))
            samples.append(s);
    if (samples.isEmpty())
        return result;
    const auto earlier = [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; };
    if (!std::is_sorted(samples.cbegin(), samples.cend(), earlier))
        std::stable_sort(samples.begin(), samples.end(), earlier);

    QList<double> device;
    device.reserve(samples.size());
    result.points.reserve(samples.size());
    for (const Sample& s : samples) {
        // One point per time: the first sample of a time holds.
        if (!result.points.isEmpty() && s.seconds == result.points.constLast().seconds)
            continue;
        result.points.append(pointOf(s));
        const double d = finiteOrNone(s.distance);
        device.append(d >= 0.0 ? d : kNone);
    }
    QList<Point>& points = result.points;
    removeSpikes(points);
    measure(points, device);

    // Speed where the device gave none: from the distance.
    for (qsizetype i = 1; i < points.size(); ++i) {
        Point& p = points[i];
        const double dt = p.seconds - points[i - 1].seconds;
        if (!recorded(p.speed) && !p.gapBefore && dt > 0.0 && (recorded(device[i]) || p.hasPosition))
            p.speed = (p.distance - points[i - 1].distance) / dt;
    }
    const QList<double> speed = smoothed(points, &Point::speed, 2);
    const QList<double> altitude = smoothed(points, &Point::altitude, 5);
    for (qsizetype i = 0; i < points.size(); ++i) {
        Point& p = points[i];
        p.speed = speed[i];
        p.smoothedAltitude = altitude[i];
        result.hasPositions |= p.hasPosition;
        result.hasAltitude |= recorded(p.altitude);
        result.hasHeartRate |= recorded(p.heartRate);
        result.hasCadence |= recorded(p.cadence);
        result.hasSpeed |= recorded(p.speed);
    }
    climb(points);
    return result;
}

Totals totals(const Analysis& analysis)
{
    Totals t;
    const QList<Point>& points = analysis.points;
    if (points.isEmpty())
        return t;
    t.distance = points.constLast().distance;
    t.elapsedSeconds = points.constLast().seconds - points.constFirst().seconds;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        t.gain += p.gain;
        t.loss += p.loss;
        if (i == 0 || p.gapBefore)
            continue;
        const bool moving = recorded(p.speed) ? p.speed > kMovingSpeed : !analysis.hasSpeed;
        if (moving)
            t.movingSeconds += p.seconds - points[i - 1].seconds;
    }
    return t;
}

namespace {

struct SplitSums
{
    double seconds = 0.0;
    double heartRate = 0.0;
    int heartRates = 0;
    double gain = 0.0;

    void add(const Point& p)
    {
        gain += p.gain;
        if (recorded(p.heartRate)) {
            heartRate += p.heartRate;
            ++heartRates;
        }
    }

    Split close(int number, double metres)
    {
        Split s;
        s.number = number;
        s.metres = metres;
        s.seconds = seconds;
        if (metres > 0.0)
            s.pace = seconds / (metres / 1000.0);
        s.heartRate = heartRates > 0 ? heartRate / heartRates : kNone;
        s.gain = gain;
        *this = SplitSums{};
        return s;
    }
};

} // namespace

QList<Split> splits(const Analysis& analysis)
{
    QList<Split> result;
    const QList<Point>& points = analysis.points;
    if (points.isEmpty())
        return result;
    SplitSums sums;
    double boundary = 1000.0;
    sums.add(points[0]);
    for (qsizetype i = 1; i < points.size() && result.size() < kMaxSplits; ++i) {
        const Point& p = points[i];
        double rest = p.gapBefore ? 0.0 : p.seconds - points[i - 1].seconds;
        double from = points[i - 1].distance;
        // The time of a step across a kilometre is shared in proportion to
        // the distance on either side of it.
        while (p.distance >= boundary && result.size() < kMaxSplits) {
            const double part = rest * (boundary - from) / (p.distance - from);
            sums.seconds += part;
            rest -= part;
            from = boundary;
            result.append(sums.close(int(result.size()) + 1, 1000.0));
            boundary += 1000.0;
        }
        sums.seconds += rest;
        sums.add(p);
    }
    const double last = points.constLast().distance - (boundary - 1000.0);
    if (last >= 1.0 && result.size() < kMaxSplits)
        result.append(sums.close(int(result.size()) + 1, last));
    return result;
}

ZoneTimes timeInZones(const Analysis& analysis, const QList<Zone>& zones, int maxPulse)
{
    ZoneTimes result;
    result.seconds = QList<double>(zones.size(), 0.0);
    if (maxPulse <= 0)
        return result;
    const QList<Point>& points = analysis.points;
    for (qsizetype i = 1; i < points.size(); ++i) {
        const Point& p = points[i];
        if (p.gapBefore || !recorded(p.heartRate))
            continue;
        const double dt = p.seconds - points[i - 1].seconds;
        // Whole percent, as the editor's zone advice counts them.
        const int percent = int(std::lround(p.heartRate * 100.0 / maxPulse));
        bool held = false;
        for (qsizetype z = 0; z < zones.size() && !held; ++z) {
            const Zone& zone = zones[z];
            // A zone without any limit ("Fahrtspiel") is no pulse zone: it
            // would take every heart rate from the zones after it.
            if (zone.minPercent <= 0 && zone.maxPercent <= 0)
                continue;
            if ((zone.minPercent <= 0 || percent >= zone.minPercent)
                && (zone.maxPercent <= 0 || percent <= zone.maxPercent)) {
                result.seconds[z] += dt;
                held = true;
            }
        }
        if (!held)
            result.outside += dt;
    }
    return result;
}

double channelValue(const Point& point, Channel channel)
{
    switch (channel) {
    case Channel::Pace:
        return recorded(point.speed) && point.speed > kMovingSpeed ? 1000.0 / point.speed / 60.0 : kNone;
    case Channel::Speed:
        return recorded(point.speed) ? point.speed * 3.6 : kNone;
    case Channel::HeartRate:
        return point.heartRate;
    case Channel::Altitude:
        return point.altitude;
    case Channel::Cadence:
        return point.cadence;
    }
    return kNone;
}

bool hasChannel(const Analysis& analysis, Channel channel)
{
    switch (channel) {
    case Channel::Pace:
    case Channel::Speed:
        return analysis.hasSpeed;
    case Channel::HeartRate:
        return analysis.hasHeartRate;
    case Channel::Altitude:
        return analysis.hasAltitude;
    case Channel::Cadence:
        return analysis.hasCadence;
    }
    return false;
}

double axisValue(const Point& point, Axis axis)
{
    return axis == Axis::Distance ? point.distance / 1000.0 : point.seconds / 60.0;
}

QList<QPointF> curve(const Analysis& analysis, Channel channel, Axis axis)
{
    QList<QPointF> result;
    result.reserve(analysis.points.size() + 16);
    for (const Point& p : analysis.points) {
        const double x = axisValue(p, axis);
        if (p.gapBefore && !result.isEmpty())
            result.append(QPointF(x, kNone));
        result.append(QPointF(x, channelValue(p, channel)));
    }
    return result;
}

int nearestPoint(const Analysis& analysis, Axis axis, double x)
{
    const QList<Point>& points = analysis.points;
    if (points.isEmpty())
        return -1;
    const auto it = std::lower_bound(points.cbegin(), points.cend(), x,
                                     [axis](const Point& p, double v) { return axisValue(p, axis) < v; });
    qsizetype i = it - points.cbegin();
    if (i >= points.size())
        return int(points.size() - 1);
    if (i > 0 && x - axisValue(points[i - 1], axis) <= axisValue(points[i], axis) - x)
        --i;
    return int(i);
}

} // namespace course
