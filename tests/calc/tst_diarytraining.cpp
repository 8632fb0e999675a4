#include "database.h"
#include "datafiles.h"
#include "diarytraining.h"
#include "session.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QMap>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <memory>

using namespace training;

namespace {

const double kFit = 1.0 - std::exp(-1.0 / 42.0);
const double kTired = 1.0 - std::exp(-1.0 / 7.0);

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b));
}

UnitRow unit(qint64 entry, const QDate& date, double km, int seconds, const QString& sport = "Laufen")
{
    return UnitRow{.entryId = entry, .date = date, .sport = sport, .hasUnit = true, .km = km, .seconds = seconds};
}

QStringList slotNames(const SportKm& km)
{
    QStringList names;
    for (const KmSlot& slot : km.slots)
        names << slot.first.toString("dd.MM.yyyy") + QString(" %1/%2").arg(slot.number).arg(slot.year);
    return names;
}

} // namespace

// The training evaluations over small diaries with numbers worked out by
// hand, and the load over a generated diary against a plain daily loop.
class TestDiaryTraining : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void loadOfHandCheckedUnits();
    void loadOfGeneratedDiaryMatchesDailyLoop();
    void paceInMinutesPerKmOrKmPerHour();
    void medianOverTwentyEightDays();
    void kmPerWeekAndMonthBySport();

private:
    Database& db() { return m_session->ZDatabase1; }
    void exec(const QString& sql) { db().execute(sql); }
    void addUser(int id, int rest, int max, int sex);
    void addEntry(int id, int user, const QString& date, const QString& time, const QString& sport,
                  const QString& duration = "0:00");
    // pulse "NULL" or a number; zone "NULL" or a name.
    void addUnit(int entry, int sub, double km, const QString& time, const QString& pulse = "NULL",
                 const QString& zone = "NULL");

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

void TestDiaryTraining::initTestCase()
{
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
}

void TestDiaryTraining::init()
{
    exec("DELETE FROM units");
    exec("DELETE FROM main");
    exec("DELETE FROM users");
}

void TestDiaryTraining::cleanupTestCase()
{
    m_session.reset();
    m_dir.reset();
}

void TestDiaryTraining::addUser(int id, int rest, int max, int sex)
{
    exec("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Ruhepuls, Maxpuls) VALUES (" + quoted(id)
         + ", 'Läufer', 'Eva', '01.01.1980', " + quoted(sex) + ", " + (rest ? quoted(rest) : QString("NULL"))
         + ", " + (max ? quoted(max) : QString("NULL")) + ")");
}

void TestDiaryTraining::addEntry(int id, int user, const QString& date, const QString& time,
                                 const QString& sport, const QString& duration)
{
    exec("INSERT INTO main (ID, Datum, Uhrzeit, Kategorie, UserID, Dauer) VALUES (" + quoted(id) + ", "
         + quoted(date) + ", " + (time.isEmpty() ? QString("NULL") : quoted(time)) + ", " + quoted(sport) + ", "
         + quoted(user) + ", " + quoted(duration) + ")");
}

void TestDiaryTraining::addUnit(int entry, int sub, double km, const QString& time, const QString& pulse,
                                const QString& zone)
{
    exec("INSERT INTO units (ID, MainID, SubID, strecke, Zeit, Puls, Bereich) VALUES (gen_id(Gen_Units,1), "
         + quoted(entry) + ", " + quoted(sub) + ", " + quoted(QString::number(km, 'g', 17)) + ", " + quoted(time)
         + ", " + (pulse == "NULL" ? pulse : quoted(pulse)) + ", " + (zone == "NULL" ? zone : quoted(zone)) + ")");
}

void TestDiaryTraining::loadOfHandCheckedUnits()
{
    addUser(1, 50, 190, 0);
    addUser(2, 60, 180, 1);
    // In the lead-in: a load that still shows, minutes that do not count.
    addEntry(10, 1, "01.12.2024", "08:00:00", "Laufen", "1:00");
    addUnit(10, 1, 8, "00:40:00", "120");
    addEntry(11, 1, "02.12.2024", "", "Kraft", "1:00");
    // 10.01.: a pulse, a zone with a band (its middle), a zone without one,
    // an entry without units.
    addEntry(12, 1, "10.01.2025", "08:00:00", "Laufen");
    addUnit(12, 1, 5, "00:30:00", "155");
    addUnit(12, 2, 2, "00:10:00", "-1", "regenerativer DL");
    addUnit(12, 3, 3, "00:20:00", "NULL", "Fahrtspiel");
    addEntry(13, 1, "10.01.2025", "18:00:00", "Kraft", "0:45");
    // Above the maximum: the reserve stops at 1.
    addEntry(14, 1, "12.01.2025", "07:00:00", "Laufen");
    addUnit(14, 1, 10, "00:40:00", "250");
    addEntry(20, 2, "10.01.2025", "09:00:00", "Laufen");
    addUnit(20, 1, 6, "00:30:00", "150");

    const QDate from(2025, 1, 10), to(2025, 1, 14);
    const LoadSeries man = trainingLoad(db(), 1, from, to);
    QVERIFY(man.pulsesKnown);
    QCOMPARE(man.days.size(), 5);
    QCOMPARE(man.days.first().date, from);
    QCOMPARE(man.days.last().date, to);
    const double lead = 40 * (70.0 / 140) * 0.64 * std::exp(1.92 * 70.0 / 140);
    const double zoneReserve = (190 * 133 / 200.0 - 50) / 140;
    const double day10 = 30 * 0.75 * 0.64 * std::exp(1.92 * 0.75)
                         + 10 * zoneReserve * 0.64 * std::exp(1.92 * zoneReserve);
    const double day12 = 40 * 1.0 * 0.64 * std::exp(1.92);
    QVERIFY(near(man.days[0].load, day10));
    QCOMPARE(man.days[1].load, 0.0);
    QVERIFY(near(man.days[2].load, day12));
    QCOMPARE(man.minutesWithoutIntensity, 20.0 + 45.0);

    // The lead-in day 01.12. lies 40 days before 10.01.
    const double fit9 = lead * kFit * std::pow(1 - kFit, 39);
    const double tired9 = lead * kTired * std::pow(1 - kTired, 39);
    QVERIFY(near(man.days[0].form, fit9 - tired9));
    QVERIFY(near(man.days[0].fitness, fit9 * (1 - kFit) + day10 * kFit));
    QVERIFY(near(man.days[0].fatigue, tired9 * (1 - kTired) + day10 * kTired));
    const double fit12 = (fit9 * (1 - kFit) + day10 * kFit) * std::pow(1 - kFit, 2) + day12 * kFit;
    QVERIFY(near(man.days[2].fitness, fit12));
    QVERIFY(near(man.days[3].form, man.days[2].fitness - man.days[2].fatigue));

    const LoadSeries woman = trainingLoad(db(), 2, from, to);
    QVERIFY(near(woman.days[0].load, 30 * 0.75 * 0.86 * std::exp(1.67 * 0.75)));
    QCOMPARE(woman.days[0].form, 0.0);

    // Today inside the period, else its last day.
    QCOMPARE(man.valuesOn(QDate(2025, 1, 12)).date, QDate(2025, 1, 12));
    QCOMPARE(man.valuesOn(QDate(2026, 5, 1)).date, to);
    QCOMPARE(man.valuesOn(QDate(2020, 5, 1)).date, to);
    QVERIFY(!LoadSeries{}.valuesOn(from).date.isValid());

    // A training long before the period counts as well: the values of a
    // day do not depend on the period shown.
    addEntry(15, 1, "01.03.2024", "08:00:00", "Laufen");
    addUnit(15, 1, 8, "01:00:00", "160");
    const DayLoad withOld = trainingLoad(db(), 1, from, to).days[0];
    QVERIFY(withOld.fitness > man.days[0].fitness);
    for (const QDate& start : {QDate(2024, 3, 1), QDate(2024, 6, 30), QDate(2025, 1, 9)}) {
        const DayLoad same = trainingLoad(db(), 1, start, to).valuesOn(from);
        QVERIFY2(near(same.fitness, withOld.fitness) && near(same.fatigue, withOld.fatigue)
                     && near(same.form, withOld.form),
                 qPrintable(start.toString()));
    }

    QVERIFY(trainingLoad(db(), 1, to, from).days.isEmpty());
    QVERIFY(trainingLoad(db(), 1, from, QDate()).days.isEmpty());
    QCOMPARE(trainingLoad(db(), 1, from, from).days.size(), 1);

    // Without a resting or maximum pulse, or the maximum not above it, nor
    // for an unknown person: no loads.
    addUser(3, 0, 185, 0);
    addUser(4, 60, 0, 1);
    addUser(5, 180, 170, 0);
    for (int user : {3, 4, 5, 99}) {
        const LoadSeries none = trainingLoad(db(), user, from, to);
        QVERIFY2(!none.pulsesKnown && none.days.isEmpty(), qPrintable(QString::number(user)));
    }
}

void TestDiaryTraining::loadOfGeneratedDiaryMatchesDailyLoop()
{
    addUser(7, 48, 188, 0);
    QRandomGenerator dice(20240229);
    const QStringList zones{"regenerativer DL", "extensiver DL", "Fahrtspiel", "Unbekannt", ""};
    const QMap<QString, QPair<int, int>> bands{{"regenerativer DL", {65, 68}}, {"extensiver DL", {68, 72}}};
    QMap<QDate, double> loads;
    double minutesShown = 0;
    const QDate from(2022, 2, 1), to(2024, 12, 31);
    QList<QDate> days{QDate(2023, 12, 31), QDate(2024, 1, 1), QDate(2024, 2, 29)};
    for (int i = 0; i < 500; ++i)
        days << QDate(2021, 11, 1).addDays(dice.bounded(1250));
    int id = 1000;
    {
        Transaction t(db());
        for (const QDate& day : days) {
            const int duration = dice.bounded(180);
            addEntry(++id, 7, day.toString("dd.MM.yyyy"), "07:00:00", "Laufen",
                     QString("%1:%2").arg(duration / 60).arg(duration % 60, 2, 10, QChar('0')));
            const int units = dice.bounded(4);
            if (units == 0 && day >= from && day <= to)
                minutesShown += duration;
            for (int u = 1; u <= units; ++u) {
                const int seconds = 60 + dice.bounded(3600);
                const int pulse = dice.bounded(3) == 0 ? -1 : 40 + dice.bounded(170);
                const QString zone = zones[dice.bounded(zones.size())];
                addUnit(id, u, 1 + dice.bounded(15), QTime(0, 0).addSecs(seconds).toString("hh:mm:ss"),
                        QString::number(pulse), zone);
                double hr = pulse;
                if (pulse <= 0)
                    hr = bands.contains(zone) ? 188 * (bands[zone].first + bands[zone].second) / 200.0 : 0;
                if (hr == 0) {
                    if (day >= from && day <= to)
                        minutesShown += seconds / 60.0;
                    continue;
                }
                const double x = qBound(0.0, (hr - 48) / 140.0, 1.0);
                loads[day] += seconds / 60.0 * x * 0.64 * std::exp(1.92 * x);
            }
        }
        t.commit();
    }

    const LoadSeries s = trainingLoad(db(), 7, from, to);
    QCOMPARE(s.days.size(), qsizetype(from.daysTo(to) + 1));
    QVERIFY(near(s.minutesWithoutIntensity, minutesShown));
    double fitness = 0, fatigue = 0;
    qsizetype i = 0;
    for (QDate day = QDate(2021, 11, 1); day <= to; day = day.addDays(1)) {
        const double form = fitness - fatigue;
        fitness += (loads.value(day) - fitness) * kFit;
        fatigue += (loads.value(day) - fatigue) * kTired;
        if (day < from)
            continue;
        const DayLoad& d = s.days[i++];
        QCOMPARE(d.date, day);
        QVERIFY2(near(d.load, loads.value(day)) && near(d.fitness, fitness) && near(d.fatigue, fatigue)
                     && near(d.form, form),
                 qPrintable(day.toString()));
    }
    QVERIFY(loads.value(QDate(2024, 2, 29)) > 0 || loads.value(QDate(2024, 1, 1)) > 0);
}

void TestDiaryTraining::paceInMinutesPerKmOrKmPerHour()
{
    for (const char* s : {"Radfahren", "Rennrad", "Mountainbike", "MTB-Tour", "Cycling"})
        QVERIFY2(speedSport(s), s);
    for (const char* s : {"Laufen", "Schwimmen", "Walking", "Paradelauf", ""})
        QVERIFY2(!speedSport(s), s);

    addUser(1, 50, 190, 0);
    addEntry(1, 1, "03.03.2025", "18:00:00", "Laufen");
    addUnit(1, 1, 5, "00:25:00");
    addUnit(1, 2, 0, "00:05:00");  // no distance
    addUnit(1, 3, 2, "00:00:00");  // no time
    addEntry(2, 1, "03.03.2025", "07:00:00", "Laufen");
    addUnit(2, 1, 4, "00:22:00");
    addEntry(3, 1, "04.03.2025", "07:00:00", "Laufen");
    addUnit(3, 1, 0, "00:30:00");  // no point at all
    addEntry(4, 1, "05.03.2025", "07:00:00", "Radfahren");
    addUnit(4, 1, 20, "00:40:00");
    addUnit(4, 2, 10, "00:20:00");
    addEntry(5, 1, "06.03.2025", "07:00:00", "Radfahren");
    addUnit(5, 1, 25, "01:00:00");
    addEntry(6, 1, "07.03.2025", "07:00:00", "Laufen 2");
    addUnit(6, 1, 5, "00:30:00");

    const QList<PacePoint> run = paceTrend(db(), 1, "Laufen", QDate(2025, 3, 1), QDate(2025, 3, 31));
    QCOMPARE(run.size(), 2);
    QCOMPARE(run[0].entryId, 2);  // the morning first
    QCOMPARE(run[0].value, 5.5);
    QCOMPARE(run[1].value, 5.0);
    QCOMPARE(run[1].median, 5.25);
    const QList<PacePoint> bike = paceTrend(db(), 1, "Radfahren", QDate(2025, 3, 1), QDate(2025, 3, 31));
    QCOMPARE(bike.size(), 2);
    QCOMPARE(bike[0].value, 30.0);
    QCOMPARE(bike[1].value, 25.0);
    QVERIFY(paceTrend(db(), 1, "Laufen", QDate(2025, 3, 4), QDate(2025, 3, 4)).isEmpty());

    // Two entries with a point each: the tie goes to the first by name.
    QCOMPARE(commonestSport(db(), 1, QDate(2025, 3, 1), QDate(2025, 3, 31)), QString("Laufen"));
    addEntry(7, 1, "08.03.2025", "07:00:00", "Radfahren");
    addUnit(7, 1, 25, "01:00:00");
    QCOMPARE(commonestSport(db(), 1, QDate(2025, 3, 1), QDate(2025, 3, 31)), QString("Radfahren"));
    QCOMPARE(commonestSport(db(), 1, QDate(2025, 3, 4), QDate(2025, 3, 4)), QString());

    // The median of the period's first days counts the paces of the 27 days
    // before it, which give no points of their own.
    addEntry(8, 1, "10.03.2025", "07:00:00", "Laufen");
    addUnit(8, 1, 6, "00:36:00");
    const QList<PacePoint> later = paceTrend(db(), 1, "Laufen", QDate(2025, 3, 5), QDate(2025, 3, 31));
    QCOMPARE(later.size(), 1);
    QCOMPARE(later[0].value, 6.0);
    QCOMPARE(later[0].median, 5.5);
}

void TestDiaryTraining::medianOverTwentyEightDays()
{
    const QDate d0(2024, 2, 10);
    const QList<UnitRow> rows{unit(1, d0, 1, 240), unit(2, d0, 1, 360), unit(3, d0.addDays(27), 1, 600),
                              unit(4, d0.addDays(28), 1, 180), unit(5, d0.addDays(28), 1, 420, "Radfahren")};
    const QList<PacePoint> p = paceTrend(rows, "Laufen");
    QCOMPARE(p.size(), 4);
    QCOMPARE(p[0].median, 5.0);  // 4 and 6, both of the same day
    QCOMPARE(p[1].median, 5.0);
    QCOMPARE(p[2].median, 6.0);  // 4, 6, 10: the first day still counts
    QCOMPARE(p[3].median, 6.5);  // 10 and 3: it no longer does
}

void TestDiaryTraining::kmPerWeekAndMonthBySport()
{
    addUser(1, 50, 190, 0);
    addEntry(1, 1, "29.12.2020", "", "Laufen");  // before the period
    addUnit(1, 1, 100, "01:00:00");
    addEntry(2, 1, "31.12.2020", "", "Laufen");
    addUnit(2, 1, 10, "01:00:00");
    addEntry(3, 1, "01.01.2021", "", "Radfahren");
    addUnit(3, 1, 30, "01:00:00");
    addEntry(4, 1, "12.01.2021", "", "Laufen");
    addUnit(4, 1, 3, "00:20:00");
    addUnit(4, 2, 2, "00:10:00");
    addEntry(5, 1, "11.01.2021", "", "");
    addUnit(5, 1, 2, "00:10:00");
    addEntry(6, 1, "12.01.2021", "", "Schwimmen");
    addUnit(6, 1, 2, "00:50:00");
    addEntry(7, 1, "12.01.2021", "", "Kraft", "1:00");

    // Wednesday 30.12.2020 to Tuesday 12.01.2021: week 53 of 2020 over the
    // new year, an empty week 1 and week 2.
    const QDate from(2020, 12, 30), to(2021, 1, 12);
    const SportKm weeks = kmBySport(db(), 1, from, to, Bucket::Week);
    QCOMPARE(weeks.sports, QStringList({"Radfahren", "Laufen", "", "Schwimmen"}));
    QCOMPARE(slotNames(weeks), QStringList({"28.12.2020 53/2020", "04.01.2021 1/2021", "11.01.2021 2/2021"}));
    QCOMPARE(weeks.slots[0].km, QList<double>({30, 10, 0, 0}));
    QCOMPARE(weeks.slots[1].km, QList<double>({0, 0, 0, 0}));
    QCOMPARE(weeks.slots[2].km, QList<double>({0, 5, 2, 2}));

    const SportKm months = kmBySport(db(), 1, from, to, Bucket::Month);
    QCOMPARE(slotNames(months), QStringList({"01.12.2020 12/2020", "01.01.2021 1/2021"}));
    QCOMPARE(months.slots[0].km, QList<double>({0, 10, 0, 0}));
    QCOMPARE(months.slots[1].km, QList<double>({30, 5, 2, 2}));

    const SportKm running = kmBySport(db(), 1, from, to, Bucket::Week, "Laufen");
    QCOMPARE(running.sports, QStringList({"Laufen"}));
    QCOMPARE(running.slots.size(), 3);
    QCOMPARE(running.slots[2].km, QList<double>({5}));

    // Tuesday 31.12.2024 lies in week 1 of 2025.
    const SportKm turn = kmBySport(db(), 1, QDate(2024, 12, 31), QDate(2025, 1, 6), Bucket::Week);
    QCOMPARE(slotNames(turn), QStringList({"30.12.2024 1/2025", "06.01.2025 2/2025"}));
    QVERIFY(turn.sports.isEmpty());
    QVERIFY(kmBySport(db(), 1, to, from, Bucket::Month).slots.isEmpty());
}

QTEST_GUILESS_MAIN(TestDiaryTraining)
#include "tst_diarytraining.moc"
