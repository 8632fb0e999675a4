#include "diaryforms.h"
#include "predictions.h"

#include <QTest>

using namespace predictions;

namespace {

double clock(int h, int m, int s)
{
    return h * 3600.0 + m * 60.0 + s;
}

} // namespace

class TestPredictions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The published tables of race times for a VDOT, to a few seconds;
    // each time gives its VDOT back.
    void modelMeetsThePublishedTables_data()
    {
        QTest::addColumn<double>("vdot");
        QTest::addColumn<double>("metres");
        QTest::addColumn<double>("seconds");
        QTest::newRow("50 5 km") << 50.0 << 5000.0 << clock(0, 19, 57);
        QTest::newRow("50 10 km") << 50.0 << 10000.0 << clock(0, 41, 21);
        QTest::newRow("50 Halbmarathon") << 50.0 << 21097.5 << clock(1, 31, 35);
        QTest::newRow("50 Marathon") << 50.0 << 42195.0 << clock(3, 10, 49);
        QTest::newRow("40 5 km") << 40.0 << 5000.0 << clock(0, 24, 8);
        QTest::newRow("40 Marathon") << 40.0 << 42195.0 << clock(3, 49, 45);
        QTest::newRow("60 5 km") << 60.0 << 5000.0 << clock(0, 17, 3);
        QTest::newRow("60 Marathon") << 60.0 << 42195.0 << clock(2, 43, 25);
    }
    void modelMeetsThePublishedTables()
    {
        QFETCH(double, vdot);
        QFETCH(double, metres);
        QFETCH(double, seconds);
        const double time = timeForVdot(vdot, metres);
        QVERIFY2(std::abs(time - seconds) <= std::max(3.0, seconds * 0.001), qPrintable(raceTimeText(time)));
        QVERIFY(std::abs(predictions::vdot(metres, seconds) - vdot) < 0.15);
    }

    // Riegel from 20:00 over 5 km: 10 km in 1200 * 2^1.06 s; the paces of
    // VDOT 50 as the tables give them (threshold 4:15, interval 3:55 min/km,
    // marathon the marathon time's pace); nothing from nothing.
    void riegelAndTrainingPaces()
    {
        QCOMPARE(std::lround(riegel(5000, 1200, 10000)), std::lround(1200 * std::pow(2.0, 1.06)));
        const Paces p = trainingPaces(50.0);
        QCOMPARE(raceTimeText(p.threshold), QStringLiteral("4:15"));
        QCOMPARE(raceTimeText(p.interval), QStringLiteral("3:55"));
        QCOMPARE(raceTimeText(p.marathon), QStringLiteral("4:31"));
        QVERIFY(p.easySlow > p.easyFast && p.easyFast > p.marathon && p.marathon > p.threshold
                && p.threshold > p.interval && p.interval > p.repetition);
        QCOMPARE(predictions::vdot(0, 1200), 0.0);
        QCOMPARE(timeForVdot(0, 5000), 0.0);
        QCOMPARE(riegel(5000, 0, 10000), 0.0);
        QCOMPARE(trainingPaces(0).threshold, 0.0);
    }

    void raceTimes()
    {
        QCOMPARE(raceTimeText(21 * 60 + 34.4), QStringLiteral("21:34"));
        QCOMPARE(raceTimeText(59 * 60 + 59.6), QStringLiteral("1:00:00"));
        QCOMPARE(raceTimeText(clock(3, 10, 49)), QStringLiteral("3:10:49"));
        QCOMPARE(raceTimeText(0), QString());
    }
};

QTEST_GUILESS_MAIN(TestPredictions)
#include "tst_predictions.moc"
