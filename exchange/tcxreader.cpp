#include "tcxreader.h"

#include "trackmath.h"
#include "xmlhead.h"
#include "xmlscan.h"
#include "xmlvalues.h"

#include <cmath>

namespace exchange {

namespace {

enum Tag {
    OtherTag,
    ActivitiesTag,
    ActivityTag,
    IdTag,
    LapTag,
    TotalTimeSecondsTag,
    DistanceMetersTag,
    AverageHeartRateBpmTag,
    MaximumHeartRateBpmTag,
    ValueTag,
    TrackpointTag,
    TimeTag,
    PositionTag,
    LatitudeDegreesTag,
    LongitudeDegreesTag,
    HeartRateBpmTag,
    CoursesTag,
    WorkoutsTag,
    AltitudeMetersTag,
    CadenceTag,
    TpxTag,
    SpeedTag,
    WattsTag,
};

constexpr double MaxSeconds = 1e9;
constexpr double MaxMeters = 1e9;

const QString NotTcx = QStringLiteral("Die Datei ist keine TCX-Datei.");

Sport sportOf(const QString& word)
{
    if (word == u"Running")
        return Sport::Running;
    if (word == u"Biking")
        return Sport::Cycling;
    return word.isEmpty() ? Sport::Generic : Sport::Other;
}

// One activity while its laps and points are read.
struct SessionUnderWay {
    Session session;
    QDateTime id;
    bool inLap = false;
    QDateTime lapFirstPoint;
    QDateTime lapLastPoint;
    TrackPoint point;
    bool inPoint = false;

    void finishLap()
    {
        Lap& lap = session.laps.last();
        if (!lap.start.isValid())
            lap.start = lapFirstPoint;
        if (lap.start.isValid() && lapLastPoint.isValid() && lapLastPoint >= lap.start)
            lap.elapsedSeconds = lap.start.msecsTo(lapLastPoint) / 1000.0;
        inLap = false;
    }

    void finishPoint()
    {
        if (point.time.isValid()) {
            if (!lapFirstPoint.isValid())
                lapFirstPoint = point.time;
            lapLastPoint = point.time;
        }
        session.track.append(point);
        inPoint = false;
    }

    // Totals of the session from its laps (the heart rate from the track
    // where the laps have none).
    void finish()
    {
        Session& s = session;
        s.start = id;
        for (const Lap& lap : s.laps) {
            if (!s.start.isValid())
                s.start = lap.start;
        }
        // The session ends where its last lap ends; a last lap without
        // points leaves that open rather than ending at an earlier lap.
        if (!s.laps.isEmpty()) {
            const Lap& last = s.laps.last();
            if (s.start.isValid() && last.elapsedSeconds && last.start >= s.start)
                s.elapsedSeconds = s.start.msecsTo(last.start) / 1000.0 + *last.elapsedSeconds;
        }

        double weightedBeats = 0;
        double weight = 0;
        double plainBeats = 0;
        int plainCount = 0;
        for (const Lap& lap : s.laps) {
            if (lap.timerSeconds)
                s.timerSeconds = s.timerSeconds.value_or(0) + *lap.timerSeconds;
            if (lap.distanceMeters)
                s.distanceMeters = s.distanceMeters.value_or(0) + *lap.distanceMeters;
            if (lap.maximumHeartRate && (!s.maximumHeartRate || *lap.maximumHeartRate > *s.maximumHeartRate))
                s.maximumHeartRate = lap.maximumHeartRate;
            if (lap.averageHeartRate) {
                plainBeats += *lap.averageHeartRate;
                ++plainCount;
                if (lap.timerSeconds && *lap.timerSeconds > 0) {
                    weightedBeats += *lap.averageHeartRate * *lap.timerSeconds;
                    weight += *lap.timerSeconds;
                }
            }
        }
        if (weight > 0)
            s.averageHeartRate = int(std::lround(weightedBeats / weight));
        else if (plainCount > 0)
            s.averageHeartRate = int(std::lround(plainBeats / plainCount));
        if (!s.averageHeartRate)
            s.averageHeartRate = trackAverageHeartRate(s.track);
        if (!s.maximumHeartRate)
            s.maximumHeartRate = trackMaximumHeartRate(s.track);
    }
};

} // namespace

ReadResult readTcx(const QByteArray& bytes)
{
    XmlScan scan(bytes, u"TrainingCenterDatabase",
                 {u"Activities", u"Activity", u"Id", u"Lap", u"TotalTimeSeconds", u"DistanceMeters",
                  u"AverageHeartRateBpm", u"MaximumHeartRateBpm", u"Value", u"Trackpoint", u"Time",
                  u"Position", u"LatitudeDegrees", u"LongitudeDegrees", u"HeartRateBpm", u"Courses",
                  u"Workouts", u"AltitudeMeters", u"Cadence", u"TPX", u"Speed", u"Watts"},
                 NotTcx);
    Activity activity;
    int activities = 0;
    int laps = 0;
    bool courses = false;
    bool workouts = false;
    int activitiesDepth = 0; // depth of the open Activities element, 0 outside
    std::optional<SessionUnderWay> current;

    while (scan.next()) {
        const int tag = scan.tag();
        if (!scan.isStart()) {
            if (tag == ActivitiesTag && scan.depth() == activitiesDepth) {
                activitiesDepth = 0;
            } else if (current && tag == ActivityTag) {
                current->finish();
                if (!current->session.laps.isEmpty() && current->session.start.isValid())
                    activity.sessions.append(std::move(current->session));
                current.reset();
            } else if (current && tag == LapTag && current->inLap) {
                current->finishLap();
            } else if (current && tag == TrackpointTag && current->inPoint) {
                current->finishPoint();
            }
            continue;
        }

        const int parent = scan.parentTag();
        if (scan.depth() == 2) {
            courses |= tag == CoursesTag;
            workouts |= tag == WorkoutsTag;
            if (tag == ActivitiesTag)
                activitiesDepth = 2;
            continue;
        }
        if (!current) {
            if (tag == ActivityTag && activitiesDepth > 0) {
                ++activities;
                current.emplace();
                const QString sport = scan.attribute(u"Sport");
                current->session.sport = sportOf(sport);
                if (current->session.sport == Sport::Other)
                    current->session.sportName = sport;
            }
            continue;
        }

        SessionUnderWay& s = *current;
        if (tag == IdTag && parent == ActivityTag) {
            s.id = parseXmlTime(scan.readValue());
        } else if (tag == LapTag && parent == ActivityTag && !s.inLap) {
            ++laps;
            Lap lap;
            lap.start = parseXmlTime(scan.attribute(u"StartTime"));
            s.session.laps.append(lap);
            s.inLap = true;
            s.lapFirstPoint = QDateTime();
            s.lapLastPoint = QDateTime();
        } else if (!s.inLap) {
            continue;
        } else if (tag == TrackpointTag && !s.inPoint) {
            s.point = TrackPoint();
            s.inPoint = true;
        } else if (s.inPoint) {
            if (tag == TimeTag && parent == TrackpointTag)
                s.point.time = parseXmlTime(scan.readValue());
            else if (tag == LatitudeDegreesTag && parent == PositionTag)
                s.point.latitude = parseXmlNumber(scan.readValue(), -90, 90);
            else if (tag == LongitudeDegreesTag && parent == PositionTag)
                s.point.longitude = parseXmlNumber(scan.readValue(), -180, 180);
            else if (tag == DistanceMetersTag && parent == TrackpointTag)
                s.point.distance = parseXmlNumber(scan.readValue(), 0, MaxMeters);
            else if (tag == ValueTag && parent == HeartRateBpmTag && scan.parentTag(2) == TrackpointTag)
                s.point.heartRate = parseHeartRate(scan.readValue());
            else if (tag == AltitudeMetersTag && parent == TrackpointTag)
                s.point.altitude = parseXmlNumber(scan.readValue(), -MaxMeters, MaxMeters);
            else if (tag == CadenceTag && parent == TrackpointTag)
                s.point.cadence = wholeNumber(scan.readValue());
            else if (tag == SpeedTag && parent == TpxTag)
                s.point.speed = parseXmlNumber(scan.readValue(), 0, MaxMeters);
            else if (tag == WattsTag && parent == TpxTag)
                s.point.power = wholeNumber(scan.readValue());
        } else if (parent == LapTag) {
            Lap& lap = s.session.laps.last();
            if (tag == TotalTimeSecondsTag)
                lap.timerSeconds = parseXmlNumber(scan.readValue(), 0, MaxSeconds);
            else if (tag == DistanceMetersTag)
                lap.distanceMeters = parseXmlNumber(scan.readValue(), 0, MaxMeters);
        } else if (tag == ValueTag && scan.parentTag(2) == LapTag) {
            Lap& lap = s.session.laps.last();
            if (parent == AverageHeartRateBpmTag)
                lap.averageHeartRate = parseHeartRate(scan.readValue());
            else if (parent == MaximumHeartRateBpmTag)
                lap.maximumHeartRate = parseHeartRate(scan.readValue());
        }
    }

    if (scan.failed())
        return ReadResult::refused(scan.reason());
    if (activities == 0) {
        if (courses)
            return ReadResult::refused(QStringLiteral("Die Datei enthält kein Training, sondern eine Strecke."));
        if (workouts)
            return ReadResult::refused(QStringLiteral("Die Datei enthält kein Training, sondern einen Trainingsplan."));
        return ReadResult::refused(QStringLiteral("Die Datei enthält kein Training (keine Aktivität)."));
    }
    if (laps == 0)
        return ReadResult::refused(QStringLiteral("Die Datei enthält kein Training (keine Runde)."));
    if (activity.sessions.isEmpty())
        return ReadResult::refused(
            QStringLiteral("Die Datei enthält keine Zeitangaben; ohne Datum lässt sich kein Eintrag anlegen."));
    return ReadResult::read(std::move(activity));
}

bool looksLikeTcx(const QByteArray& head)
{
    return rootElementIs(head, u"TrainingCenterDatabase");
}

} // namespace exchange
