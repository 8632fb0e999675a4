#include "datafiles.h"
#include "entries.h"
#include "raceresults.h"
#include "session.h"
#include "testsupport.h"
#include "textforms.h"

#include <QTest>

#include <memory>

namespace {

struct Unit
{
    const char* km;
    const char* time;
    const char* zone;
};

QString addEntry(Database& db, int user, const QDate& date, const QList<Unit>& units)
{
    Entries::Entry e;
    e.date = dateText(date);
    e.time = QStringLiteral("09:00");
    e.category = QStringLiteral("Laufen");
    e.userId = user;
    e.duration = QStringLiteral("1:00");
    for (int i = 0; i < units.size(); ++i)
        e.units.append({QString::number(i + 1), QString::fromLatin1(units[i].km), QString::fromLatin1(units[i].time),
                        QStringLiteral("-1"), QString::fromUtf8(units[i].zone)});
    return Entries::insert(db, e);
}

QString addRace(Database& db, int user, const QDate& date, const char* name, double km)
{
    Races::Race r;
    r.userId = user;
    r.date = date;
    r.name = QString::fromUtf8(name);
    r.km = km;
    return Races::insert(db, r);
}

} // namespace

class TestRaceResults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        skipWithoutTestServer();
        m_dir = std::make_unique<TestFolder>();
        m_session = std::make_unique<Session>();
        datafiles::openStorage(*m_session, m_dir->path());
    }
    void cleanup()
    {
        m_session.reset();
        m_dir.reset();
    }

    // The units of the race zone make the result, else an entry within 1 %
    // of the distance (the nearest); other days, other persons, entries
    // farther off and later races give none.
    void resultsOfThePersonsRaces()
    {
        Database& db = m_session->ZDatabase1;
        const QDate today(2026, 6, 15);
        const QDate d1 = today.addDays(-30), d2 = today.addDays(-20), d3 = today.addDays(-10);
        const QString zoned = addEntry(db, 1, d1, {{"2", "0:12:00", "Regeneration"}, {"10", "0:41:23", "Wettkampf"},
                                                   {"1.5", "0:09:00", "Regeneration"}});
        addEntry(db, 1, d2, {{"10.5", "0:50:00", ""}});
        const QString near = addEntry(db, 1, d2, {{"5", "0:20:00", ""}, {"5.05", "0:21:00", ""}});
        addEntry(db, 1, d3, {{"10.2", "0:44:00", ""}});
        addEntry(db, 2, d3, {{"10", "0:40:00", "Wettkampf"}});
        addRace(db, 1, d1, "Stadtlauf", 10);
        addRace(db, 1, d2, "Hügellauf", 10);
        addRace(db, 1, d3, "Waldlauf", 10);
        addRace(db, 1, today, "Heute", 5);
        addRace(db, 1, today.addDays(1), "Morgen", 5);
        addRace(db, 1, today.addDays(12), "Später", 21.0975);
        addRace(db, 2, today.addDays(1), "Fremd", 5);

        const QList<raceresults::RaceResult> list = raceresults::ofPerson(db, 1, today);
        QStringList names, texts;
        for (const raceresults::RaceResult& r : list) {
            names << r.race.name;
            texts << raceresults::resultText(r, today);
        }
        QCOMPARE(names, (QStringList{"Stadtlauf", "Hügellauf", "Waldlauf", "Heute", "Morgen", "Später"}));
        QCOMPARE(texts, (QStringList{"41:23 (10,0 km)", "41:00 (10,1 km)", "kein Ergebnis", "heute", "morgen",
                                     "in 12 Tagen"}));
        QCOMPARE(list[0].entryId, zoned);
        QCOMPARE(list[1].entryId, near);
        QCOMPARE(list[1].seconds, 2460.0);
        QVERIFY(!list[2].hasResult());

        // A race of today is run once its entry is there; a later race
        // waits for its day even when an entry already lies on it.
        addEntry(db, 1, today, {{"5", "0:19:59", ""}});
        addEntry(db, 1, today.addDays(1), {{"5", "0:19:00", "Wettkampf"}});
        const QList<raceresults::RaceResult> later = raceresults::ofPerson(db, 1, today);
        QCOMPARE(raceresults::resultText(later[3], today), QStringLiteral("19:59 (5,0 km)"));
        QVERIFY(!later[4].hasResult());
        QVERIFY(raceresults::ofPerson(db, 3, today).isEmpty());
    }

private:
    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

QTEST_GUILESS_MAIN(TestRaceResults)
#include "tst_raceresults.moc"
