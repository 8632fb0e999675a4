#include "coursefrom.h"
#include "fitwriter.h"
#include "gpxreader.h"
#include "gpxwriter.h"
#include "tcxreader.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace exchange;

class TestCourseFrom : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valuesAndTheirAbsence();
    void hostileValuesAreNotRecorded();
    void timesOutOfOrderOrMissing();
    void filesWithoutPositions();
    void exportedGpxReadsBack();
};

namespace {

const QDateTime kStart(QDate(2025, 4, 1), QTime(7, 0), Qt::UTC);

TrackPoint pointAt(double seconds)
{
    TrackPoint p;
    p.time = kStart.addMSecs(qint64(seconds * 1000));
    return p;
}

} // namespace

void TestCourseFrom::valuesAndTheirAbsence()
{
    Session s;
    s.start = kStart;
    TrackPoint full = pointAt(1.5);
    full.latitude = 47.5;
    full.longitude = -8.25;
    full.distance = 12.0;
    full.altitude = -20.0;
    full.heartRate = 140;
    full.cadence = 0; // standing still is a cadence
    full.speed = 0.0;
    full.power = 250;
    s.track = {full, pointAt(2)};
    const course::Course c = courseOf(s);
    QCOMPARE(c.start, kStart);
    QCOMPARE(c.samples.size(), 2);
    const course::Sample& a = c.samples[0];
    QCOMPARE(a.seconds, 1.5);
    QCOMPARE(a.latitude, 47.5);
    QCOMPARE(a.longitude, -8.25);
    QCOMPARE(a.distance, 12.0);
    QCOMPARE(a.altitude, -20.0);
    QCOMPARE(a.heartRate, 140.0);
    QCOMPARE(a.cadence, 0.0);
    QCOMPARE(a.speed, 0.0);
    QCOMPARE(a.power, 250.0);
    const course::Sample& b = c.samples[1];
    for (double v : {b.latitude, b.longitude, b.distance, b.altitude, b.heartRate, b.cadence, b.speed, b.power})
        QVERIFY(!course::recorded(v));
}

void TestCourseFrom::hostileValuesAreNotRecorded()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Session s;
    s.start = kStart;
    for (double bad : {nan, inf, -inf, -1.0, 1.0e12}) {
        TrackPoint p = pointAt(double(s.track.size()));
        p.latitude = bad == -1.0 ? -91.0 : bad;
        p.longitude = 8.0;
        p.distance = bad;
        p.altitude = bad == -1.0 ? -5000.0 : bad;
        p.speed = bad;
        p.heartRate = bad == -1.0 ? -1 : 100000;
        p.cadence = bad == -1.0 ? -3 : std::numeric_limits<int>::max();
        p.power = bad == -1.0 ? std::numeric_limits<int>::min() : 99999;
        s.track.append(p);
    }
    TrackPoint nowhere = pointAt(10); // no fix: (0, 0)
    nowhere.latitude = 0.0;
    nowhere.longitude = 0.0;
    TrackPoint beyond = pointAt(11);
    beyond.latitude = 91.0;
    beyond.longitude = 8.0;
    TrackPoint oneSided = pointAt(12);
    oneSided.latitude = 47.0;
    TrackPoint equator = pointAt(13); // on the equator, not at (0, 0)
    equator.latitude = 0.0;
    equator.longitude = 9.5;
    s.track << nowhere << beyond << oneSided << equator;
    const course::Course c = courseOf(s);
    QCOMPARE(c.samples.size(), 9);
    for (int i = 0; i < 8; ++i) {
        const course::Sample& x = c.samples[i];
        for (double v :
             {x.latitude, x.longitude, x.distance, x.altitude, x.heartRate, x.cadence, x.speed, x.power})
            QVERIFY2(!course::recorded(v), qPrintable(QString::number(i)));
    }
    QCOMPARE(c.samples[8].latitude, 0.0);
    QCOMPARE(c.samples[8].longitude, 9.5);
}

// Samples written out of order are sorted, those without time left out; a
// session without start counts from its first timed sample, one without
// any time gives no course.
void TestCourseFrom::timesOutOfOrderOrMissing()
{
    Session s;
    s.track = {TrackPoint(), pointAt(30), pointAt(10), pointAt(20)};
    course::Course c = courseOf(s);
    QCOMPARE(c.start, kStart.addSecs(30));
    QList<double> seconds;
    for (const course::Sample& x : c.samples)
        seconds << x.seconds;
    QCOMPARE(seconds, QList<double>({-20.0, -10.0, 0.0}));
    s.start = kStart;
    QCOMPARE(courseOf(s).samples.first().seconds, 10.0);

    Session untimed;
    untimed.track = {TrackPoint(), TrackPoint()};
    c = courseOf(untimed);
    QVERIFY(c.isEmpty());
    QVERIFY(!c.start.isValid());
}

// An indoor training: heart rate and cadence, no position in any sample.
void TestCourseFrom::filesWithoutPositions()
{
    const QByteArray tcx = R"(<?xml version="1.0" encoding="UTF-8"?>
<TrainingCenterDatabase xmlns="http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2"><Activities>
<Activity Sport="Biking"><Id>2025-04-01T07:00:00Z</Id><Lap StartTime="2025-04-01T07:00:00Z">
<TotalTimeSeconds>60</TotalTimeSeconds><DistanceMeters>0</DistanceMeters><Track>
<Trackpoint><Time>2025-04-01T07:00:00Z</Time><HeartRateBpm><Value>110</Value></HeartRateBpm><Cadence>85</Cadence></Trackpoint>
<Trackpoint><Time>2025-04-01T07:01:00Z</Time><HeartRateBpm><Value>120</Value></HeartRateBpm><Cadence>90</Cadence></Trackpoint>
</Track></Lap></Activity></Activities></TrainingCenterDatabase>)";
    FitWriter w;
    w.define(0, 20, {{253, 4, fit::UInt32}, {3, 1, fit::UInt8}, {4, 1, fit::UInt8}});
    w.data(0, {FitWriter::fitTime(kStart), 110, 85});
    w.data(0, {FitWriter::fitTime(kStart) + 60, 120, 90});
    for (const ReadResult& read : {readTcx(tcx), readFit(w.file())}) {
        QVERIFY2(read.ok(), qPrintable(read.reason));
        const course::Course c = courseOf(read.activity->sessions.first());
        QCOMPARE(c.samples.size(), 2);
        QCOMPARE(c.samples[1].seconds, 60.0);
        QCOMPARE(c.samples[1].heartRate, 120.0);
        QCOMPARE(c.samples[1].cadence, 90.0);
        QVERIFY(!course::recorded(c.samples[0].latitude) && !course::recorded(c.samples[1].longitude));
    }
}

// A course saved as GPX comes back through the import as it was written:
// positions, altitude, time, heart rate and cadence, a gap as a new
// segment of the same training.
void TestCourseFrom::exportedGpxReadsBack()
{
    course::Course written;
    written.start = kStart;
    for (int s = 0; s < 120; ++s) {
        course::Sample p;
        p.seconds = s < 60 ? s : s + 40; // a pause of 40 s after the first minute
        p.latitude = 50.0 + s * 0.00002;
        p.longitude = 8.5 - s * 0.00001;
        p.altitude = 100.0 + s * 0.5;
        p.heartRate = 130 + s % 30;
        p.cadence = 85;
        written.samples << p;
    }
    const ReadResult read = readGpx(course::gpx(written, QStringLiteral("Lauf")));
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(read.activity->sessions.size(), 1);
    const course::Course back = courseOf(read.activity->sessions.first());
    QCOMPARE(back.samples.size(), written.samples.size());
    QCOMPARE(back.start, kStart);
    for (const int i : {0, 59, 60, 119}) {
        const course::Sample& a = written.samples[i];
        const course::Sample& b = back.samples[i];
        QCOMPARE(b.seconds, a.seconds);
        QVERIFY(std::abs(b.latitude - a.latitude) < 1e-7 && std::abs(b.longitude - a.longitude) < 1e-7);
        QVERIFY(std::abs(b.altitude - a.altitude) < 0.05);
        QCOMPARE(b.heartRate, a.heartRate);
        QCOMPARE(b.cadence, a.cadence);
    }
}

QTEST_GUILESS_MAIN(TestCourseFrom)
#include "tst_coursefrom.moc"
