#include "datafiles.h"
#include "diarycalc.h"
#include "diarygenerator.h"
#include "perentrysums.h"
#include "query.h"
#include "session.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QTest>

#include <cstring>
#include <functional>
#include <memory>

namespace {

quint64 bits(double value)
{
    quint64 b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

// Runs the per-entry way and the fast way of the same work; returns both results.
template <typename T>
std::pair<T, T> bothWays(const std::function<T()>& perEntry, const std::function<T()>& fast)
{
    const T slow = perEntry();
    return {slow, fast()};
}

} // namespace

// The fast sums against the per-entry way on a generated diary of a few
// years: every text and every value the same.
class TestDiarySums : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void totalsOfPeriodsAreTheSameBothWays();
    void shoeMileageIsTheSameBothWays();
    void entryDistancesAreTheSameBothWays();
    void sumsAreExactInWholeMetres();

private:
    Database& db() { return m_session->ZDatabase1; }
    QList<QPair<QDate, QDate>> periods() const;

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
    GeneratedDiary m_diary;
};

void TestDiarySums::initTestCase()
{
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
    m_diary = generateDiary(db(), DiarySpec{3, 7, QDate(2021, 1, 1)});
    QVERIFY(m_diary.entries > 500);
    QVERIFY(m_diary.units > 2 * m_diary.entries);
}

void TestDiarySums::cleanupTestCase()
{
    m_session.reset();
    m_dir.reset();
}

QList<QPair<QDate, QDate>> TestDiarySums::periods() const
{
    QList<QPair<QDate, QDate>> list{{QDate(1980, 1, 1), QDate::currentDate()},
                                    {QDate(2022, 2, 28), QDate(2022, 2, 28)},
                                    {QDate(2030, 1, 1), QDate(2031, 1, 1)}};
    for (QDate month(2021, 1, 1); month < QDate(2024, 1, 1); month = month.addMonths(5))
        list.append({month, month.addMonths(3).addDays(-1)});
    return list;
}

void TestDiarySums::totalsOfPeriodsAreTheSameBothWays()
{
    for (int user : m_diary.userIds) {
        for (const auto& [start, end] : periods()) {
            const auto [slow, fast] = bothWays<double>([&] { return perentry::TotalDistance(db(), start, end, user); },
                                                     [&] { return TotalDistance(db(), start, end, user); });
            QCOMPARE(bits(fast), bits(slow));
            const auto [slowText, fastText] =
                bothWays<QString>([&] { return distanceText(perentry::TotalDistance(db(), start, end, user)); },
                                  [&] { return GetTotalDistance(db(), start, end, user); });
            QCOMPARE(fastText, slowText);
        }
    }
    // The whole diary of the busiest person is far from nothing.
    QVERIFY(TotalDistance(db(), QDate(1980, 1, 1), QDate::currentDate(), m_diary.busiestUser) > 1000.0);
}

void TestDiarySums::shoeMileageIsTheSameBothWays()
{
    int shoes = 0;
    for (int user : m_diary.userIds) {
        QStringList names;
        GetShoeList(db(), names, user);
        names << QStringLiteral("kein solcher Schuh");
        for (const QString& shoe : names) {
            const auto [slow, fast] = bothWays<double>([&] { return perentry::ShoeDistance(db(), user, shoe); },
                                                     [&] { return ShoeDistance(db(), user, shoe); });
            QCOMPARE(bits(fast), bits(slow));
            QStringList entries;
            GetEntriesOfShoe(db(), entries, user, shoe);
            const auto [slowList, fastList] = bothWays<double>([&] { return perentry::SumEntryDistances(db(), entries); },
                                                             [&] { return SumEntryDistances(db(), entries); });
            QCOMPARE(bits(fastList), bits(slow));
            QCOMPARE(bits(slowList), bits(slow));
            shoes += !shoe.isEmpty() && fast > 0.0;
        }
        // All of the person's shoes at once, each as alone.
        const auto [slowAll, fastAll] =
            bothWays<QHash<QString, double>>([&] { return perentry::ShoeDistances(db(), user); },
                                             [&] { return ShoeDistances(db(), user); });
        QVERIFY(!fastAll.isEmpty());
        QCOMPARE(fastAll.size(), slowAll.size());
        for (auto it = fastAll.cbegin(); it != fastAll.cend(); ++it) {
            QCOMPARE(bits(it.value()), bits(slowAll.value(it.key())));
            QCOMPARE(bits(it.value()), bits(ShoeDistance(db(), user, it.key())));
        }
    }
    QVERIFY(shoes > 3);
}

void TestDiarySums::entryDistancesAreTheSameBothWays()
{
    const QDate start(2022, 3, 1);
    const QDate end(2023, 6, 30);
    for (int user : m_diary.userIds) {
        const auto [slowAll, fastAll] = bothWays<EntryKm>([&] { return perentry::EntryDistances(db(), user); },
                                                           [&] { return EntryDistances(db(), user); });
        QCOMPARE(fastAll, slowAll);
        const auto [slowPeriod, fastPeriod] =
            bothWays<EntryKm>([&] { return perentry::EntryDistances(db(), user, start, end); },
                              [&] { return EntryDistances(db(), user, start, end); });
        QCOMPARE(fastPeriod, slowPeriod);
        QVERIFY(fastPeriod.size() < fastAll.size());

        // Each entry's kilometres as the single-entry operation reads them,
        // of all units, of one zone and of the units without a zone.
        QStringList entries;
        GetEntriesOfPeriod(db(), entries, user, start, end);
        // All zones at once, each as alone.
        const auto [slowZones, fastZones] =
            bothWays<QHash<QString, EntryKm>>([&] { return perentry::EntryDistancesByZone(db(), user, start, end); },
                                              [&] { return EntryDistancesByZone(db(), user, start, end); });
        QCOMPARE(fastZones, slowZones);
        QVERIFY(fastZones.size() > 5);
        for (const QString& zone : {QStringLiteral("extensiver DL"), QString()}) {
            const auto [slowZone, fastZone] =
                bothWays<EntryKm>([&] { return perentry::EntryDistancesOfZone(db(), user, start, end, zone); },
                                  [&] { return EntryDistancesOfZone(db(), user, start, end, zone); });
            QCOMPARE(fastZone, slowZone);
            for (const QString& id : entries) {
                QCOMPARE(fastZone.value(id.toLongLong()), GetEntryDistance(db(), id.toInt(), zone, true));
                QCOMPARE(fastPeriod.value(id.toLongLong()), GetEntryDistance(db(), id.toInt(), QString(), false));
            }
        }

        // One sport: exactly the entries of that sport, both ways.
        QStringList running;
        GetEntriesOfCategory(db(), running, user, QStringLiteral("Laufen"), start, end);
        QVERIFY(!running.isEmpty() && running.size() < entries.size());
        const auto [slowSport, fastSport] =
            bothWays<EntryKm>([&] { return perentry::EntryDistances(db(), user, start, end, QStringLiteral("Laufen")); },
                              [&] { return EntryDistances(db(), user, start, end, QStringLiteral("Laufen")); });
        QCOMPARE(fastSport, slowSport);
        EntryKm others = fastSport;
        for (const QString& id : running)
            others.remove(id.toLongLong());
        QVERIFY(others.isEmpty());
        const auto [slowSportZones, fastSportZones] = bothWays<QHash<QString, EntryKm>>(
            [&] { return perentry::EntryDistancesByZone(db(), user, start, end, QStringLiteral("Laufen")); },
            [&] { return EntryDistancesByZone(db(), user, start, end, QStringLiteral("Laufen")); });
        QCOMPARE(fastSportZones, slowSportZones);
        QCOMPARE(EntryDistancesOfZone(db(), user, start, end, QStringLiteral("extensiver DL"), QStringLiteral("Laufen")),
                 fastSportZones.value(QStringLiteral("extensiver DL")));
    }
}

void TestDiarySums::sumsAreExactInWholeMetres()
{
    // A month of 419,95 km in distances stored in single precision (each a
    // little below its decimal) and, beside 2^24 km, quarters of a kilometre
    // that a single-precision sum would drop.
    Query q(db());
    q.open("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) VALUES (gen_id(Gen_Users,1), "
           "'Gleich', 'Zeitig', '01.01.1990', '0') RETURNING ID");
    const int user = int(q.field(0).asInteger());
    const auto add = [&](const QString& date, const QString& time, const QList<double>& kms) {
        q.open("INSERT INTO main (ID, Datum, Uhrzeit, Schuhe, UserID) VALUES (gen_id(Gen_Main,1), " + quoted(date)
               + ", " + time + ", 'Zwilling', " + quoted(user) + ") RETURNING ID");
        const QString id = q.field(0).asString();
        for (int i = 0; i < kms.size(); ++i)
            q.execSql("INSERT INTO units (ID, MainID, SubID, strecke) VALUES (gen_id(Gen_Units,1), " + quoted(id)
                      + ", " + quoted(i + 1) + ", " + quoted(QString::number(double(float(kms[i])), 'g', 17)) + ")");
    };
    for (int day = 1; day <= 29; ++day)
        add(QString("%1.12.2025").arg(day, 2, 10, QChar('0')), "'07:00:00'", {10.15, 4.3});
    add("30.12.2025", "NULL", {0.9});
    const QDate december(2025, 12, 1), newYear(2025, 12, 31);
    QStringList entries;
    GetEntriesOfPeriod(db(), entries, user, december, newYear);
    // The per-entry way ...
    QCOMPARE(distanceText(perentry::TotalDistance(db(), december, newYear, user)), QString("420,0"));
    QCOMPARE(perentry::ShoeDistance(db(), user, "Zwilling"), 419.95);
    QCOMPARE(perentry::SumEntryDistances(db(), entries), 419.95);
    QCOMPARE(SumInOrder(entries, perentry::EntryDistances(db(), user)), 419.95);
    // ... and the fast way.
    QCOMPARE(GetTotalDistance(db(), december, newYear, user), QString("420,0"));
    QCOMPARE(ShoeDistance(db(), user, "Zwilling"), 419.95);
    QCOMPARE(SumEntryDistances(db(), entries), 419.95);
    QCOMPARE(SumInOrder(entries, EntryDistances(db(), user)), 419.95);
    add("05.05.2024", "'07:00:00'", {16777216});
    for (int i = 0; i < 4; ++i)
        add("05.05.2024", "NULL", {0.25});
    const auto [slow, fast] =
        bothWays<double>([&] { return perentry::TotalDistance(db(), QDate(2024, 1, 1), QDate(2024, 12, 31), user); },
                         [&] { return TotalDistance(db(), QDate(2024, 1, 1), QDate(2024, 12, 31), user); });
    QCOMPARE(bits(fast), bits(slow));
    QCOMPARE(fast, 16777217.0);
    // The text rounds halves away from zero, after the whole metres.
    QCOMPARE(distanceText(0.05), QString("0,1"));
    QCOMPARE(distanceText(2.25), QString("2,3"));
    QCOMPARE(distanceText(double(float(2.35))), QString("2,4"));
    QCOMPARE(entryDistanceText(double(float(12.0))), QString("12"));
}

QTEST_GUILESS_MAIN(TestDiarySums)
#include "tst_diarysums.moc"
