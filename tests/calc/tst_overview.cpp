#include "datafiles.h"
#include "entries.h"
#include "goals.h"
#include "overview.h"
#include "persons.h"
#include "races.h"
#include "session.h"
#include "shoes.h"
#include "testsupport.h"
#include "textforms.h"

#include <QTest>

#include <memory>

namespace {

const QDate kToday(2026, 6, 17); // a Wednesday

QString addEntry(Database& db, int user, const QDate& date, const char* sport, const char* km, const char* time,
                 const char* shoe = "", const char* pulse = "-1")
{
    Entries::Entry e;
    e.date = dateText(date);
    e.time = QStringLiteral("07:00");
    e.category = QString::fromUtf8(sport);
    e.shoe = QString::fromUtf8(shoe);
    e.userId = user;
    e.duration = QStringLiteral("0:50");
    e.units.append({QStringLiteral("1"), QString::fromLatin1(km), QString::fromLatin1(time),
                    QString::fromLatin1(pulse), {}});
    return Entries::insert(db, e);
}

} // namespace

class TestOverview : public QObject
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
        Persons::insert(db, {QStringLiteral("Lang"), QStringLiteral("Eva"), QStringLiteral("01.01.1990"), 1, 60.0,
                             QStringLiteral("50"), QStringLiteral("190")});
        m_user = Persons::list(db).first().id.toInt();
        m_run = addEntry(db, m_user, kToday.addDays(-1), "Laufen", "10", "0:50:00", "Renner", "150");
        m_ride = addEntry(db, m_user, kToday.addDays(-2), "Radfahren", "30", "1:00:00");
        addEntry(db, m_user, QDate(2026, 6, 3), "Laufen", "8", "0:40:00", "Renner");
        addEntry(db, m_user, QDate(2026, 2, 1), "Laufen", "12.5", "1:05:00");
        addEntry(db, m_user, kToday.addDays(1), "Laufen", "5", "0:25:00"); // after today
        addEntry(db, m_user, QDate(2025, 6, 16), "Laufen", "7", "0:35:00");
        addEntry(db, m_user, QDate(2025, 6, 14), "Laufen", "3", "0:15:00");
        addEntry(db, m_user + 1, kToday, "Laufen", "99", "9:00:00");
        // A diary resting for years, without a person's pulses.
        addEntry(db, m_user + 2, QDate(2019, 5, 1), "Laufen", "4", "0:20:00");
        m_old = addEntry(db, m_user + 2, QDate(2020, 5, 1), "Laufen", "6", "0:30:00");
        Shoes::insert(db, QString::number(m_user), {QStringLiteral("Renner"), 50, 35});
        Shoes::insert(db, QString::number(m_user), {QStringLiteral("Neu"), 800, 0});
    }
    void cleanup()
    {
        m_session.reset();
        m_dir.reset();
    }

    // Week, month and year through today against the same days a year
    // earlier: kilometres per sport, time and trainings; other persons and
    // later days do not count.
    void periodsAgainstLastYear()
    {
        const overview::Overview o = overview::read(m_session->ZDatabase1, m_user, kToday);
        QCOMPARE(o.week.from, QDate(2026, 6, 15));
        QCOMPARE(o.week.sums.km, 40.0);
        QCOMPARE(o.week.sums.trainings, 2);
        QCOMPARE(o.week.sums.minutes, 100);
        QCOMPARE(o.week.lastYear.km, 7.0);
        QCOMPARE(o.week.lastYear.trainings, 1);
        QCOMPARE(o.week.sports.size(), 2);
        QCOMPARE(o.week.sports[0].sport, QStringLiteral("Radfahren"));
        QCOMPARE(o.week.sports[1].km, 10.0);
        QCOMPARE(o.week.sports[1].kmLastYear, 7.0);
        QCOMPARE(o.month.sums.km, 48.0);
        QCOMPARE(o.month.lastYear.km, 10.0);
        QCOMPARE(o.year.sums.km, 60.5);
        QCOMPARE(o.year.sums.trainings, 4);
        QCOMPARE(o.year.lastYear.km, 10.0);
    }

    // The last five through today, the newest first, with the pace rule of
    // the sport; an old diary reaches past the load's years.
    void lastTrainings()
    {
        const overview::Overview o = overview::read(m_session->ZDatabase1, m_user, kToday);
        QCOMPARE(o.last.size(), 5);
        QCOMPARE(o.last[0].entryId, m_run);
        QCOMPARE(o.last[0].km, 10.0);
        QCOMPARE(o.last[0].pace, QStringLiteral("5:00 min/km"));
        QCOMPARE(o.last[1].pace, QStringLiteral("30,0 km/h"));
        QCOMPARE(o.last[4].date, QDate(2025, 6, 16));

        const overview::Overview old = overview::read(m_session->ZDatabase1, m_user + 2, kToday);
        QCOMPARE(old.last.size(), 2);
        QCOMPARE(old.last[0].entryId, m_old);
        QVERIFY(!old.form.known);
        QVERIFY(!old.race);
        QVERIFY(old.goals.isEmpty());
    }

    // A shoe over its maximum (35 km before and 18 km since against 50);
    // the form of a hard day yesterday; the thresholds of the sentence.
    void shoesAndForm()
    {
        const overview::Overview o = overview::read(m_session->ZDatabase1, m_user, kToday);
        QCOMPARE(o.shoes.size(), 1);
        QCOMPARE(o.shoes[0].model, QStringLiteral("Renner"));
        QCOMPARE(o.shoes[0].km, 53.0);
        QVERIFY(o.shoes[0].over);
        QVERIFY(o.form.known);
        QVERIFY(o.form.fatigue > o.form.fitness && o.form.fitness > 0.0);
        QCOMPARE(o.form.sentence, overview::formSentence(o.form.fitness, o.form.form));
        QCOMPARE(overview::formSentence(100, 8), QStringLiteral("Belastung und Erholung halten sich die Waage."));
        QVERIFY(overview::formSentence(100, 12).startsWith(QStringLiteral("Sie sind ausgeruht")));
        QVERIFY(overview::formSentence(20, -6).startsWith(QStringLiteral("Die Belastung")));
    }

    // The next race with its days left and the time the best effort of the
    // last 90 days predicts; the goals with what is done and due today.
    void raceAndGoals()
    {
        Database& db = m_session->ZDatabase1;
        Races::insert(db, {{}, m_user, QDate(2026, 5, 1), QStringLiteral("Vorbei"), 10.0, 0, {}});
        Races::insert(db, {{}, m_user, QDate(2026, 7, 12), QStringLiteral("Stadtlauf"), 10.0, 2400, {}});
        Goals::set(db, m_user, {2026, QString(), 1000.0});
        Goals::set(db, m_user, {2026, QStringLiteral("Laufen"), 500.0});
        const overview::Overview o = overview::read(db, m_user, kToday);
        QVERIFY(o.race);
        QCOMPARE(o.race->race.name, QStringLiteral("Stadtlauf"));
        QCOMPARE(o.race->daysLeft, 25);
        QVERIFY(qAbs(o.race->predictedSeconds - 3000.0) < 1.0);
        QCOMPARE(o.goals.size(), 2);
        QCOMPARE(o.goals[0].done, 60.5);
        QCOMPARE(o.goals[0].due, 1000.0 * 168 / 365);
        QCOMPARE(o.goals[1].sport, QStringLiteral("Laufen"));
        QCOMPARE(o.goals[1].done, 30.5);
    }

private:
    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
    int m_user = 0;
    QString m_run, m_ride, m_old;
};

QTEST_GUILESS_MAIN(TestOverview)
#include "tst_overview.moc"
