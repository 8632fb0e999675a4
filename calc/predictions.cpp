#include "predictions.h"

#include <cmath>

namespace predictions {

namespace {

// Oxygen cost in ml/kg/min of running at v metres per minute.
double oxygenCost(double v)
{
    return -4.60 + 0.182258 * v + 0.000104 * v * v;
}

// The share of the maximum uptake held over a race of t minutes.
double heldShare(double t)
{
    return 0.8 + 0.1894393 * std::exp(-0.012778 * t) + 0.2989558 * std::exp(-0.1932605 * t);
}

} // namespace

double riegel(double metres, double seconds, double toMetres)
{
    if (!(metres > 0.0) || !(seconds > 0.0) || !(toMetres > 0.0))
        return 0.0;
    return seconds * std::pow(toMetres / metres, 1.06);
}

double vdot(double metres, double seconds)
{
    if (!(metres > 0.0) || !(seconds > 0.0))
        return 0.0;
    const double minutes = seconds / 60.0;
    return oxygenCost(metres / minutes) / heldShare(minutes);
}

double timeForVdot(double target, double metres)
{
    if (!(target > 0.0) || !(metres > 0.0))
        return 0.0;
    // The VDOT falls as the time grows: halve the span between a time too
    // fast for anyone and one of a slow walk until it is below 0.01 s.
    double fast = metres / 1000.0 * 60.0; // 1000 m/min
    double slow = metres / 20.0 * 60.0;   // 20 m/min
    if (vdot(metres, slow) >= target)
        return slow;
    if (vdot(metres, fast) <= target)
        return fast;
    while (slow - fast > 0.01) {
        const double mid = (fast + slow) / 2.0;
        if (vdot(metres, mid) > target)
            fast = mid;
        else
            slow = mid;
    }
    return (fast + slow) / 2.0;
}

double speedAtShare(double target, double share)
{
    const double uptake = target * share;
    if (!(uptake > 0.0))
        return 0.0;
    constexpr double a = 0.000104, b = 0.182258, c = 4.60;
    const double v = (-b + std::sqrt(b * b + 4.0 * a * (c + uptake))) / (2.0 * a); // m/min
    return v / 60.0;
}

Paces trainingPaces(double target)
{
    Paces paces;
    if (!(target > 0.0))
        return paces;
    const auto pace = [&](double share) { return 1000.0 / speedAtShare(target, share); };
    paces.easySlow = pace(kEasySlowShare);
    paces.easyFast = pace(kEasyFastShare);
    paces.marathon = timeForVdot(target, 42195.0) / 42.195;
    paces.threshold = pace(kThresholdShare);
    paces.interval = pace(kIntervalShare);
    paces.repetition = pace(kRepetitionShare);
    return paces;
}

} // namespace predictions
