#pragma once

#include <QList>

// Race predictions from one race or best effort: Riegel's endurance formula
// and the oxygen-cost model of running by Daniels and Gilbert (VDOT), with
// the training paces of a VDOT. Times in seconds, distances in metres.
namespace predictions {

// T2 = T1 * (D2 / D1)^1.06.
double riegel(double metres, double seconds, double toMetres);

// The VDOT of a race: the oxygen cost of its speed over the share of the
// maximum a runner holds for its duration. 0 for no time or distance.
double vdot(double metres, double seconds);

// The time over a distance that gives this VDOT (the model solved for the
// time); 0 for a VDOT or distance not above 0.
double timeForVdot(double vdot, double metres);

// Speed in m/s at which running costs this share of the VDOT's oxygen.
double speedAtShare(double vdot, double share);

// The VDOT's training paces in seconds per km: easy as a range (slow end,
// fast end), the others one each: marathon (the marathon time's pace),
// threshold, interval and repetition.
struct Paces
{
    double easySlow = 0.0;
    double easyFast = 0.0;
    double marathon = 0.0;
    double threshold = 0.0;
    double interval = 0.0;
    double repetition = 0.0;
};
Paces trainingPaces(double vdot);

// The shares of the VDOT the paces stand for.
constexpr double kEasySlowShare = 0.62;
constexpr double kEasyFastShare = 0.70;
constexpr double kThresholdShare = 0.88;
constexpr double kIntervalShare = 0.975;
constexpr double kRepetitionShare = 1.05;

} // namespace predictions
