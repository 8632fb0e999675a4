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
};

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

} // namespace

ReadResult readGpx(const QByteArray& bytes)
{
    XmlScan scan(bytes, u"gpx", {u"trk", u"type", u"trkseg", u"trkpt", u"time", u"hr"},
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
            else if (tag == HrTag)
                point->heartRate = parseHeartRate(scan.readValue());
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
    return ReadResult::read(std::move(activity));
}

bool looksLikeGpx(const QByteArray& head)
{
    return rootElementIs(head, u"gpx");
}

} // namespace exchange
