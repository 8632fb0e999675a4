#include "besteffort.h"
#include "coursebuilder.h"

#include <QTest>

namespace {

using coursebuilder::paced;

int effortOf(const QList<course::Effort>& efforts, int metres, double* start = nullptr)
{
    for (const course::Effort& e : efforts)
        if (e.metres == metres) {
            if (start)
                *start = e.startSeconds;
            return int(std::lround(e.seconds * 10)); // tenths
        }
    return -1;
}

} // namespace

class TestBestEffort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A steady 12 km at 4:00 min/km: every distance up to 10 km at that
    // pace, nothing beyond the course; along positions alone the same.
    void steadyPaceGivesItsTimeOverEachDistance()
    {
        const QList<course::Effort> efforts = course::bestEfforts(paced({{2880, 1000.0 / 240.0}}));
        QCOMPARE(efforts.size(), 6); // 400 m to 10 km
        QCOMPARE(effortOf(efforts, 400), 960);
        QCOMPARE(effortOf(efforts, 1609), int(std::lround(1609.344 * 2.4)));
        QCOMPARE(effortOf(efforts, 10000), 24000);
        QCOMPARE(effortOf(efforts, 15000), -1);

        const QList<course::Effort> byPosition = course::bestEfforts(coursebuilder::straight(1300, 4.0));
        QVERIFY(std::abs(effortOf(byPosition, 5000) - 12500) <= 2);
    }

    // 2 km easy, a fast 5 km, 3 km easy: the 5 km is the middle one with its
    // start, the 10 km the whole run (a course ending at the distance covers
    // it); samples 5 s apart whose distances do not meet the distance's ends
    // are taken linearly between them.
    void fastMiddleIsFoundBetweenSamples()
    {
        const course::Course c = paced({{600, 1000.0 / 300.0}, {1200, 1000.0 / 240.0}, {900, 1000.0 / 300.0}}, 5.0);
        const QList<course::Effort> efforts = course::bestEfforts(c);
        double start = -1;
        QCOMPARE(effortOf(efforts, 5000, &start), 12000);
        QCOMPARE(start, 600.0);
        QCOMPARE(effortOf(efforts, 10000), 27000);
        QCOMPARE(effortOf(efforts, 1609), int(std::lround(1609.344 * 2.4)));
    }

    // A standing start counts from the last moment of standing; a stretch
    // faster than anyone runs (the watch in a car) is passed over; a course
    // under 400 m, one sample or none give no effort.
    void pausesAndFaultsOfTheRecording()
    {
        const QList<course::Effort> standing = course::bestEfforts(paced({{120, 0.0}, {250, 1000.0 / 240.0}}));
        QCOMPARE(effortOf(standing, 1000), 2400);

        const course::Course car = paced({{200, 20.0}, {300, 1000.0 / 240.0}});
        QCOMPARE(effortOf(course::bestEfforts(car), 1000), 2400);

        QVERIFY(course::bestEfforts(paced({{90, 4.0}})).isEmpty());
        QVERIFY(course::bestEfforts(paced({})).isEmpty());
        QVERIFY(course::bestEfforts(course::Course{}).isEmpty());
    }

    // Units within 1 % of a distance; the sports whose times count.
    void unitsAndSportsThatCount()
    {
        QCOMPARE(course::standardMetresOfUnit(5.0), 5000);
        QCOMPARE(course::standardMetresOfUnit(4.951), 5000);
        QCOMPARE(course::standardMetresOfUnit(5.06), 0);
        QCOMPARE(course::standardMetresOfUnit(21.1), 21098);
        QCOMPARE(course::standardMetresOfUnit(1.6), 1609);
        QCOMPARE(course::standardMetresOfUnit(7.0), 0);
        QCOMPARE(course::distanceName(21098), QStringLiteral("Halbmarathon"));
        QVERIFY(course::runningSport(QStringLiteral("Laufband")) && course::runningSport(QStringLiteral("Berglauf"))
                && course::runningSport(QStringLiteral("Trailrunning")));
        QVERIFY(!course::runningSport(QStringLiteral("Skilanglauf")) && !course::runningSport(QStringLiteral("Eislauf"))
                && !course::runningSport(QStringLiteral("Radfahren")));
    }
};

QTEST_GUILESS_MAIN(TestBestEffort)
#include "tst_besteffort.moc"
