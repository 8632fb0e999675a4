#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// What a recorded training file holds, as plain values: the readers of the
// watch formats fill these, the diary import turns them into entries.
namespace exchange {

// The kinds of sport the formats name; Other keeps the file's own word.
enum class Sport {
    Generic,
    Running,
    Cycling,
    Swimming,
    Walking,
    Hiking,
    CrossCountrySkiing,
    AlpineSkiing,
    Rowing,
    Paddling,
    Mountaineering,
    FitnessEquipment,
    Training,
    Transition,
    Multisport,
    Other,
};

// One recorded sample of a track.
struct TrackPoint {
    QDateTime time;                 // UTC; invalid when the point has none
    std::optional<double> latitude;  // degrees
    std::optional<double> longitude; // degrees
    std::optional<double> distance;  // metres from the start, as the device counted
    std::optional<int> heartRate;    // bpm
    std::optional<double> altitude;  // metres above sea level
    std::optional<int> cadence;      // per minute, as the device gives it
    std::optional<double> speed;     // metres per second
    std::optional<int> power;        // watts
};

struct Lap {
    QDateTime start;                     // UTC; invalid when unknown
    std::optional<double> timerSeconds;  // moving time as the device timed it
    std::optional<double> elapsedSeconds;
    std::optional<double> distanceMeters;
    std::optional<int> averageHeartRate;
    std::optional<int> maximumHeartRate;
};

struct Session {
    QDateTime start; // UTC
    Sport sport = Sport::Generic;
    QString sportName;  // the file's own word for Other (e.g. a FIT sport number or TCX "Other")
    std::optional<double> timerSeconds;
    std::optional<double> elapsedSeconds;
    std::optional<double> distanceMeters;
    std::optional<int> averageHeartRate;
    std::optional<int> maximumHeartRate;
    QList<Lap> laps;          // in file order
    QList<TrackPoint> track;  // every sample of the session the file holds, in file order
};

// The trainings of one file; a multisport file gives one session per sport
// (transitions included, the import leaves them out).
struct Activity {
    QList<Session> sessions;
};

// The outcome of reading one file: the activity, or a German reason why the
// file holds no training or cannot be read ("Die Datei ist beschädigt ...").
struct ReadResult {
    std::optional<Activity> activity;
    QString reason;

    static ReadResult refused(const QString& why) { return {std::nullopt, why}; }
    static ReadResult read(Activity a) { return {std::move(a), QString()}; }
    bool ok() const { return activity.has_value(); }
};

} // namespace exchange
