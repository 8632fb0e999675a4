#include "courseanalysis.h"
#include "coursebuilder.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using namespace course;
using coursebuilder::straight;

class TestCourseAnalysis : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Nothing usable, one sample, unsorted times, all NaN: no crash, and
    // the results are empty or zero rather than NaN.
    void oddInputs()
    {
        Course empty;
        QVERIFY(analyse(empty).points.isEmpty());
        QCOMPARE(totals(analyse(empty)).distance, 0.0);
        QVERIFY(splits(analyse(empty)).isEmpty());
        QCOMPARE(nearestPoint(analyse(empty), Axis::Time, 3.0), -1);

        Course one;
        one.samples.append(Sample{});
        const Analysis a1 = analyse(one);
        QCOMPARE(a1.points.size(), 1);
        QCOMPARE(totals(a1).movingSeconds, 0.0);
        QVERIFY(splits(a1).isEmpty());

        Course nan;
        for (int i = 0; i < 20; ++i) {
            Sample s;
            s.seconds = i == 5 ? kNone : i;
            nan.samples.append(s);
        }
        const Analysis an = analyse(nan);
        QCOMPARE(an.points.size(), 19);
        QVERIFY(!an.hasPositions && !an.hasAltitude && !an.hasHeartRate && !an.hasSpeed);
        const Totals tn = totals(an);
        QCOMPARE(tn.distance, 0.0);
        QCOMPARE(tn.gain, 0.0);
        // Nothing tells standing from moving: the recorded time counts.
        QCOMPARE(tn.movingSeconds, 19.0);

        Course unsorted = straight(100, 3.0);
        std::reverse(unsorted.samples.begin(), unsorted.samples.end());
        unsorted.samples.append(unsorted.samples.constFirst()); // a repeated time
        const Analysis au = analyse(unsorted);
        QCOMPARE(au.points.size(), 101);
        for (qsizetype i = 1; i < au.points.size(); ++i)
            QVERIFY(au.points[i].seconds > au.points[i - 1].seconds);
        QVERIFY(qAbs(totals(au).distance - 300.0) < 0.5);
    }

    // Positions off the earth or at (0,0) are not recorded; a single stray
    // position is left out, a lasting jump breaks the course without
    // counting its distance; negative values and altitude spikes go.
    void cleaning()
    {
        Course c = straight(60, 3.0);
        c.samples[3].latitude = 0.0;
        c.samples[3].longitude = 0.0;
        c.samples[4].latitude = 95.0;
        c.samples[10].latitude += 0.5; // 55 km off, back at the next sample
        c.samples[12].heartRate = -5.0;
        c.samples[13].cadence = -1.0;
        c.samples[14].speed = -2.0;
        c.samples[20].altitude = 900.0;
        const Analysis a = analyse(c);
        QVERIFY(!a.points[3].hasPosition && !a.points[4].hasPosition && !a.points[10].hasPosition);
        QVERIFY(!a.points[10].gapBefore && !a.points[11].gapBefore);
        QVERIFY(!recorded(a.points[12].heartRate));
        QVERIFY(!recorded(a.points[13].cadence));
        QVERIFY(recorded(a.points[14].speed)); // from the distance instead
        QVERIFY(!recorded(a.points[20].altitude));
        QVERIFY(recorded(a.points[21].altitude));
        QVERIFY(qAbs(totals(a).distance - 180.0) < 0.5);
        QCOMPARE(totals(a).gain, 0.0);

        Course moved = straight(60, 3.0);
        for (int i = 30; i <= 60; ++i)
            moved.samples[i].latitude += 0.1; // 11 km on from here on
        const Analysis am = analyse(moved);
        QVERIFY(am.points[30].gapBefore);
        QVERIFY(qAbs(totals(am).distance - 177.0) < 0.5);
        QCOMPARE(totals(am).movingSeconds, 59.0);

        // The device's distance jumping breaks the course just the same.
        Course device = straight(20, 3.0);
        for (int i = 0; i <= 20; ++i)
            device.samples[i].distance = i * 3.0 + (i >= 10 ? 5000.0 : 0.0);
        const Analysis ad = analyse(device);
        QVERIFY(ad.points[10].gapBefore);
        QVERIFY(qAbs(totals(ad).distance - 57.0) < 1e-9);
    }

    // The device's distance wins where recorded; positions fill in where
    // it is missing, without counting twice when it comes back.
    void distance()
    {
        Course c = straight(100, 2.0);
        for (int i = 0; i <= 100; ++i)
            c.samples[i].distance = i * 2.5; // the wheel sensor says more
        for (int i = 40; i < 60; ++i)
            c.samples[i].distance = kNone;
        const Analysis a = analyse(c);
        QVERIFY(qAbs(a.points[39].distance - 97.5) < 1e-9);
        QVERIFY(qAbs(a.points[50].distance - (97.5 + 22.0)) < 0.1);
        QVERIFY(qAbs(a.points[60].distance - 150.0) < 1e-9);
        QVERIFY(qAbs(totals(a).distance - 250.0) < 1e-9);
        for (qsizetype i = 1; i < a.points.size(); ++i)
            QVERIFY(a.points[i].distance >= a.points[i - 1].distance);

        // Positions only: haversine along a meridian.
        QVERIFY(qAbs(totals(analyse(straight(1000, 4.0))).distance - 4000.0) < 1.0);
    }

    // Gaps: no moving time and a break in the curves; standing still is no
    // moving time either.
    void gapsAndMovingTime()
    {
        Course c = straight(100, 3.0);
        for (int i = 50; i <= 100; ++i)
            c.samples[i].seconds += 60.0; // a pause of a minute
        for (int i = 80; i <= 100; ++i) {
            c.samples[i].latitude = c.samples[79].latitude; // standing
            c.samples[i].speed = 0.0;
        }
        const Analysis a = analyse(c);
        QVERIFY(a.points[50].gapBefore);
        const Totals t = totals(a);
        QCOMPARE(t.elapsedSeconds, 160.0);
        QVERIFY(t.movingSeconds >= 77.0 && t.movingSeconds <= 80.0);

        const QList<QPointF> pace = curve(a, Channel::Pace, Axis::Time);
        QCOMPARE(pace.size(), a.points.size() + 1);
        QVERIFY(std::isnan(pace[50].y()));
        QVERIFY(qAbs(pace[30].y() - 1000.0 / 3.0 / 60.0) < 1e-6);
        QVERIFY(std::isnan(pace.constLast().y())); // standing has no pace
        for (qsizetype i = 1; i < pace.size(); ++i)
            QVERIFY(pace[i].x() >= pace[i - 1].x());
        const QList<QPointF> speed = curve(a, Channel::Speed, Axis::Distance);
        QVERIFY(qAbs(speed[30].y() - 10.8) < 1e-6);
        QVERIFY(qAbs(speed[30].x() - 0.09) < 1e-6);

        QCOMPARE(nearestPoint(a, Axis::Time, 0.0), 0);
        QCOMPARE(nearestPoint(a, Axis::Time, 10.2 / 60.0), 10);
        QCOMPARE(nearestPoint(a, Axis::Time, 1000.0), int(a.points.size() - 1));
        QCOMPARE(nearestPoint(a, Axis::Distance, 0.0302), 10);
    }

    // GPS noise of a few metres on the flat gives (almost) no climb; a
    // climb of 100 m gives (almost) 100 m, and the way down as much loss.
    void elevation()
    {
        QRandomGenerator random(7);
        Course flat = straight(3600, 3.0);
        for (Sample& s : flat.samples)
            s.altitude = 400.0 + random.bounded(6.0) - 3.0;
        const Totals tf = totals(analyse(flat));
        QVERIFY2(tf.gain < 5.0, qPrintable(QString::number(tf.gain)));
        QVERIFY(tf.loss < 5.0);

        Course hill = straight(2000, 3.0);
        for (int i = 0; i <= 2000; ++i) {
            const double up = i <= 1000 ? i * 0.1 : (2000 - i) * 0.1;
            hill.samples[i].altitude = 400.0 + up + random.bounded(4.0) - 2.0;
        }
        const Totals th = totals(analyse(hill));
        QVERIFY2(qAbs(th.gain - 100.0) < 5.0, qPrintable(QString::number(th.gain)));
        QVERIFY2(qAbs(th.loss - 100.0) < 5.0, qPrintable(QString::number(th.loss)));
    }

    // Splits per kilometre: the time shared at the boundaries, the last
    // partial kilometre, heart rate and climb of each.
    void splitsPerKilometre()
    {
        Course c = straight(625, 4.0); // 2.5 km at 4:10 min/km
        for (int i = 0; i <= 625; ++i) {
            c.samples[i].heartRate = i < 250 ? 130.0 : 150.0;
            c.samples[i].altitude = 400.0 + (i >= 250 && i < 500 ? (i - 250) * 0.2 : i >= 500 ? 50.0 : 0.0);
        }
        const QList<Split> s = splits(analyse(c));
        QCOMPARE(s.size(), 3);
        QCOMPARE(s[0].number, 1);
        QVERIFY(qAbs(s[0].seconds - 250.0) < 0.5);
        QVERIFY(qAbs(s[0].pace - 250.0) < 0.5);
        QVERIFY(qAbs(s[0].heartRate - 130.0) < 0.5);
        QVERIFY(qAbs(s[1].heartRate - 150.0) < 1e-9);
        QVERIFY(qAbs(s[1].gain - 50.0) < 1.0);
        QVERIFY(s[0].gain < 1.0 && s[2].gain < 1.0);
        QVERIFY(qAbs(s[2].metres - 500.0) < 0.5);
        QVERIFY(qAbs(s[2].seconds - 125.0) < 0.5);
        QVERIFY(qAbs(s[2].pace - 250.0) < 1.0);
    }

    // Time in zones: the first zone holding a heart rate takes the time;
    // gaps, a missing maximum pulse and zones without limits count nothing.
    void zones()
    {
        Course c = straight(300, 3.0);
        for (int i = 0; i <= 300; ++i)
            c.samples[i].heartRate = i <= 100 ? 120.0 : i <= 200 ? 150.0 : 190.0;
        for (int i = 251; i <= 300; ++i)
            c.samples[i].seconds += 100.0;
        const QList<Zone> zones{{QStringLiteral("GA1"), 60, 70}, {QStringLiteral("GA2"), 70, 80},
                                {QStringLiteral("EB"), 80, 90}};
        const ZoneTimes t = timeInZones(analyse(c), zones, 200); // 60 %, 75 %, 95 %
        QCOMPARE(t.seconds, (QList<double>{100.0, 100.0, 0.0}));
        QCOMPARE(t.outside, 99.0);
        const ZoneTimes none = timeInZones(analyse(c), zones, 0);
        QCOMPARE(none.seconds, (QList<double>{0.0, 0.0, 0.0}));
        QCOMPARE(none.outside, 0.0);
        // Zones without limits, listed first as in a new diary, take no
        // time; one open limit is still a limit.
        const QList<Zone> listed{{QStringLiteral("Einlaufen"), 0, 0}, {QStringLiteral("bis GA2"), 0, 80},
                                 {QStringLiteral("EB"), 80, 90}};
        const ZoneTimes open = timeInZones(analyse(c), listed, 200);
        QCOMPARE(open.seconds, (QList<double>{0.0, 200.0, 0.0}));
        QCOMPARE(open.outside, 99.0);
    }

    // 10 hours at one sample a second.
    void longCourse()
    {
        Course c = straight(36000, 3.0);
        QElapsedTimer timer;
        timer.start();
        const Analysis a = analyse(c);
        const Totals t = totals(a);
        const QList<Split> s = splits(a);
        const QList<QPointF> p = curve(a, Channel::Pace, Axis::Distance);
        qInfo("10-hour course analysed in %lld ms", timer.elapsed());
        QCOMPARE(s.size(), 108);
        QVERIFY(qAbs(t.distance - 108000.0) < 20.0);
        QCOMPARE(p.size(), 36001);
    }
};

QTEST_GUILESS_MAIN(TestCourseAnalysis)
#include "tst_courseanalysis.moc"
