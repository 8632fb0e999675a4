#include "../course/coursebuilder.h"
#include "bestefforts.h"
#include "courses.h"
#include "datafiles.h"
#include "entries.h"
#include "persons.h"
#include "query.h"
#include "records.h"
#include "session.h"
#include "testsupport.h"
#include "textforms.h"

#include <QTest>

#include <memory>

using coursebuilder::paced;

namespace {

constexpr double kPace4 = 1000.0 / 240.0; // 4:00 min/km
constexpr double kPace5 = 1000.0 / 300.0;

struct Unit
{
    const char* km;
    const char* time;
};

QString addEntry(Database& db, int user, const QDate& date, const char* sport, const QList<Unit>& units,
                 const course::Course& course = {})
{
    Entries::Entry e;
    e.date = dateText(date);
    e.time = QStringLiteral("07:00");
    e.category = QString::fromUtf8(sport);
    e.userId = user;
    e.duration = QStringLiteral("1:00");
    for (int i = 0; i < units.size(); ++i)
        e.units.append({QString::number(i + 1), QString::fromLatin1(units[i].km), QString::fromLatin1(units[i].time),
                        QStringLiteral("-1"), {}});
    const QString id = Entries::insert(db, e);
    if (!course.isEmpty())
        Courses::store(db, id, course);
    return id;
}

QStringList idsOf(const QList<records::Effort>& list, int metres)
{
    QStringList ids;
    for (const records::Effort& e : records::Table::ofDistance(list, metres))
        ids << e.entryId;
    return ids;
}

} // namespace

class TestBestTimes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        skipWithoutTestServer();
        m_dir = std::make_unique<TestFolder>();
        m_session = std::make_unique<Session>();
        datafiles::openStorage(*m_session, m_dir->path());
        Database& db = m_session->ZDatabase1;
        const QDate today = QDate::currentDate();
        // 12 km at 4:00 min/km last year; a fast 5 km (19:00) inside 10 km
        // a month ago; a faster ride; a 5 km unit without a course two years
        // ago; a slow course whose fast unit does not count; a 10 km unit of
        // a cross-country run and a faster one on skis.
        m_steady = addEntry(db, 1, QDate(today.year() - 1, 6, 1), "Laufen", {{"12", "0:48:00"}},
                            paced({{2880, kPace4}}));
        m_fast = addEntry(db, 1, today.addDays(-30), "Laufen", {{"10", "0:46:00"}},
                          paced({{900, kPace5}, {1140, 5000.0 / 1140}, {600, kPace5}}));
        addEntry(db, 1, today.addDays(-20), "Radfahren", {{"30", "1:00:00"}}, paced({{3600, 8.0}}));
        m_unit = addEntry(db, 1, QDate(today.year() - 2, 3, 1), "Laufen", {{"5.02", "0:21:30"}, {"2", "0:09:00"}});
        m_slow = addEntry(db, 1, today.addDays(-10), "Laufen", {{"5", "0:18:00"}}, paced({{1800, kPace5}}));
        m_cross = addEntry(db, 1, today.addDays(-5), "Crosslauf", {{"10", "0:39:00"}});
        addEntry(db, 1, today.addDays(-4), "Skilanglauf", {{"10", "0:30:00"}});
        addEntry(db, 2, today.addDays(-4), "Laufen", {{"5", "0:15:00"}});
    }
    void cleanup()
    {
        m_session.reset();
        m_dir.reset();
    }

    // The best three of all time and of each year come from courses and,
    // for entries without one, from units within 1 % of a distance; other
    // sports, other persons and the units of an entry with a course do not
    // count.
    void bestThreeOfAllTimeAndOfEachYear()
    {
        const records::Table table = records::read(m_session->ZDatabase1, 1);
        QCOMPARE(idsOf(table.allTime, 5000), (QStringList{m_fast, m_steady, m_unit}));
        const QList<records::Effort> five = records::Table::ofDistance(table.allTime, 5000);
        QCOMPARE(five[0].wholeSeconds(), 1140);
        QCOMPARE(five[0].startSeconds, 900.0);
        QCOMPARE(five[2].unit, 1);
        QCOMPARE(five[2].wholeSeconds(), 1290);
        QCOMPARE(five[2].entryKm, 7.02);
        QCOMPARE(idsOf(table.allTime, 10000), (QStringList{m_cross, m_steady, m_fast}));
        const int year = QDate::currentDate().year();
        QCOMPARE(table.years, (QList<int>{year, year - 1, year - 2}));
        QCOMPARE(idsOf(records::ofYear(m_session->ZDatabase1, 1, year - 2), 5000), QStringList{m_unit});
        QVERIFY(idsOf(records::ofYear(m_session->ZDatabase1, 1, QDate::currentDate().addDays(-30).year()), 5000)
                    .startsWith(m_fast));

    }

    // A faster run is a new best once, against the best before it; its
    // notice names the time it beat; deleting it brings the old best back;
    // a diary whose entries have no efforts yet gets them when it is opened;
    // efforts follow the entry's sport and its course.
    void newBestIsNoticedOnceAndGoesWithItsEntry()
    {
        Database& db = m_session->ZDatabase1;
        const QHash<int, records::Effort> before = records::best(db, 1);
        const QString id =
            addEntry(db, 1, QDate::currentDate().addDays(-1), "Laufen", {{"6", "0:22:00"}}, paced({{1110, 5000.0 / 1110}, {20, 3.0}}));
        const QHash<int, records::Effort> after = records::best(db, 1);
        const QList<records::Notice> notices = records::newRecords(before, after, {id});
        QStringList texts;
        for (const records::Notice& n : notices)
            texts << records::noticeText(n);
        QVERIFY2(texts.contains(QStringLiteral("Neue Bestzeit über 5 km: 18:30 (bisher 19:00 vom ")
                                + dateText(QDate::currentDate().addDays(-30)) + QLatin1Char(')')),
                 qPrintable(texts.join(QLatin1Char('\n'))));
        QVERIFY(records::newRecords(before, after, {m_fast}).isEmpty());
        QVERIFY(records::newRecords(after, after).isEmpty());
        QVERIFY(records::newRecords({}, after).isEmpty());

        const records::Forecast f = records::forecast(records::since(db, 1, QDate::currentDate().addDays(-90)));
        QVERIFY(f.base && f.base->entryId == id && f.base->metres == 5000);
        QCOMPARE(f.rows.size(), 4);
        QCOMPARE(std::lround(f.rows[1].riegel), std::lround(1110 * std::pow(2.0, 1.06)));

        QVERIFY(Entries::remove(db, id));
        QCOMPARE(records::best(db, 1).value(5000).entryId, m_fast);

        Query(db).execSql(QStringLiteral("DROP TABLE bestzeiten"));
        datafiles::CheckDataBases(db);
        QCOMPARE(records::best(db, 1).value(5000).wholeSeconds(), 1140);
        QCOMPARE(idsOf(records::read(db, 1).allTime, 5000), (QStringList{m_fast, m_steady, m_unit}));
        // an entry that becomes a ride leaves the runs' times
        Entries::Entry ride = *Entries::read(db, m_cross);
        ride.category = QStringLiteral("Radfahren");
        QVERIFY(Entries::update(db, m_cross, ride));
        QCOMPARE(records::best(db, 1).value(10000).entryId, m_steady);
        Courses::store(db, m_fast, {});
        QCOMPARE(records::best(db, 1).value(5000).entryId, m_steady);
    }

private:
    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
    QString m_steady, m_fast, m_unit, m_slow, m_cross;
};

QTEST_GUILESS_MAIN(TestBestTimes)
#include "tst_besttimes.moc"
