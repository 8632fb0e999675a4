#include "gpxreader.h"

#include "trackmath.h"
#include "xmlhead.h"
#include "xmlscan.h"
#include "xmlvalues.h"

namespace exchange {

namespace {

enum Tag {
    OtherTag,
    TrkTag,
    TypeTag,
    TrksegTag,
    TrkptTag,
    TimeTag,
    HrTag,
    EleTag,
    CadTag,
    PowerTag,
    SpeedTag,
};

constexpr double kMaxMeters = 1e9;

// The word of a track's type, as the writing programs put it.
Sport sportOf(const QString& type)
{
    const QString word = type.trimmed().toLower();
    if (word == u"running" || word == u"run" || word == u"laufen")
        return Sport::Running;
    if (word == u"cycling" || word == u"biking" || word == u"ride")
        return Sport::Cycling;
    if (word == u"hiking")
        return Sport::Hiking;
    if (word == u"walking")
        return Sport::Walking;
    if (word == u"swimming")
        return Sport::Swimming;
    return Sport::Generic;
}

// Start, duration and totals of a track from its points; false when no
// point has a time (the session then has no date).
bool finish(Session& session)
{
    QDateTime first;
    QDateTime last;
    for (const TrackPoint& point : std::as_const(session.track)) {
        if (!point.time.isValid())
            continue;
        if (!first.isValid())
            first = point.time;
        last = point.time;
    }
    if (!first.isValid())
        return false;
    session.start = first;
    if (last >= first)
        session.elapsedSeconds = first.msecsTo(last) / 1000.0;
    session.distanceMeters = trackDistanceMeters(session.track);
    session.averageHeartRate = trackAverageHeartRate(session.track);
    session.maximumHeartRate = trackMaximumHeartRate(session.track);
    return true;
}

// A device that starts a new track after each pause ("ACTIVE LOG",
// "ACTIVE LOG #2", ...) writes one outing as several tracks: those of one
// sport that follow one another within this pause on the same day are one
// training.
constexpr qint64 kLongestPauseSeconds = 2 * 3600;

QDateTime endOf(const Session& track)
{
    return track.start.addMSecs(qint64(track.elapsedSeconds.value_or(0.0) * 1000.0));
}

bool sameOuting(const Session& first, const Session& last, const Session& next)
{
    const QDateTime end = endOf(last);
    return next.sport == first.sport && next.start >= end && end.secsTo(next.start) <= kLongestPauseSeconds
           && next.start.toLocalTime().date() == first.start.toLocalTime().date();
}

// One training of several tracks: a lap per track with its length along
// its points and its time; the training's time is theirs together.
Session outing(const QList<Session>& tracks)
{
    Session s;
    s.sport = tracks.first().sport;
    s.start = tracks.first().start;
    s.elapsedSeconds = s.start.msecsTo(endOf(tracks.last())) / 1000.0;
    s.timerSeconds = 0.0;
    s.distanceMeters = 0.0;
    for (const Session& track : tracks) {
        Lap lap;
        lap.start = track.start;
        lap.timerSeconds = track.elapsedSeconds;
        lap.elapsedSeconds = track.elapsedSeconds;
        lap.distanceMeters = track.distanceMeters;
        lap.averageHeartRate = track.averageHeartRate;
        lap.maximumHeartRate = track.maximumHeartRate;
        s.laps.append(lap);
        s.track += track.track;
        *s.timerSeconds += track.elapsedSeconds.value_or(0.0);
        *s.distanceMeters += track.distanceMeters.value_or(0.0);
    }
    s.averageHeartRate = trackAverageHeartRate(s.track);
    s.maximumHeartRate = trackMaximumHeartRate(s.track);
    return s;
}

QList<Session> outings(const QList<Session>& tracks)
{
    QList<Session> trainings;
    QList<Session> group;
    for (const Session& track : tracks) {
        if (!group.isEmpty() && !sameOuting(group.first(), group.last(), track)) {
            trainings.append(group.size() == 1 ? group.first() : outing(group));
            group.clear();
        }
        group.append(track);
    }
    if (!group.isEmpty())
        trainings.append(group.size() == 1 ? group.first() : outing(group));
    return trainings;
}

} // namespace

ReadResult readGpx(const QByteArray& bytes)
{
    XmlScan scan(bytes, u"gpx", {u"trk", u"type", u"trkseg", u"trkpt", u"time", u"hr", u"ele", u"cad", u"power", u"speed"},
                 QStringLiteral("Die Datei ist keine GPX-Datei."));
    Activity activity;
    qsizetype points = 0;
    std::optional<Session> track;
    std::optional<TrackPoint> point;

    while (scan.next()) {
        const int tag = scan.tag();
        if (!scan.isStart()) {
            if (tag == TrkptTag && point) {
                track->track.append(*point);
                point.reset();
            } else if (tag == TrkTag && track && scan.depth() == 2) {
                if (!track->track.isEmpty() && finish(*track))
                    activity.sessions.append(std::move(*track));
                track.reset();
            }
            continue;
        }
        if (tag == TrkTag && scan.depth() == 2) {
            track.emplace();
        } else if (!track) {
            continue;
        } else if (point) {
            if (tag == TimeTag && scan.parentTag() == TrkptTag)
                point->time = parseXmlTime(scan.readValue());
            else if (tag == EleTag && scan.parentTag() == TrkptTag)
                point->altitude = parseXmlNumber(scan.readValue(), -kMaxMeters, kMaxMeters);
            // The values of the extensions, whatever prefix their writer
            // gave them (speed is also a point's own element in GPX 1.0).
            else if (tag == HrTag)
                point->heartRate = parseHeartRate(scan.readValue());
            else if (tag == CadTag)
                point->cadence = wholeNumber(scan.readValue());
            else if (tag == PowerTag)
                point->power = wholeNumber(scan.readValue());
            else if (tag == SpeedTag)
                point->speed = parseXmlNumber(scan.readValue(), 0, kMaxMeters);
        } else if (tag == TypeTag && scan.parentTag() == TrkTag) {
            track->sport = sportOf(scan.readValue());
        } else if (tag == TrkptTag && scan.parentTag() == TrksegTag) {
            ++points;
            point.emplace();
            point->latitude = parseXmlNumber(scan.attribute(u"lat"), -90, 90);
            point->longitude = parseXmlNumber(scan.attribute(u"lon"), -180, 180);
        }
    }

    if (scan.failed())
        return ReadResult::refused(scan.reason());
    if (points == 0)
        return ReadResult::refused(QStringLiteral("Die Datei enthält kein Training (keine Trackpunkte)."));
    if (activity.sessions.isEmpty())
        return ReadResult::refused(
            QStringLiteral("Die Datei enthält keine Zeitangaben; ohne Datum lässt sich kein Eintrag anlegen."));
    activity.sessions = outings(activity.sessions);
    return ReadResult::read(std::move(activity));
}

bool looksLikeGpx(const QByteArray& head)
{
    return rootElementIs(head, u"gpx");
}

} // namespace exchange
