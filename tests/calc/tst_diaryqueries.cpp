#include "datafiles.h"
#include "diarycalc.h"
#include "query.h"
#include "session.h"
#include "sqltext.h"
#include "storageerror.h"
#include "testsupport.h"

#include <QTest>

#include <memory>

class TestDiaryQueries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void periodIncludesItsFirstAndLastDay();
    void totalsOfAPeriod();
    void distancesAreSummedInWholeMetres();
    void distanceOfAnEntryByZone();
    void readsWhileAResultIsWalked();
    void categoryShoeListsAndApostrophes();
    void zoneListInHeartRateOrder();
    void userHasEntries();

private:
    int addUser(const QString& name);
    int addEntry(int user, const QString& date, const QString& time = "10:00:00",
                 const QString& category = "Laufen", const QString& shoe = QString(),
                 const QString& duration = QString());
    void addUnit(int entry, double km, const QString& zone = "extensiver DL");

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
    Database& db() { return m_session->ZDatabase1; }
};

void TestDiaryQueries::init()
{
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
}

void TestDiaryQueries::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

int TestDiaryQueries::addUser(const QString& name)
{
    db().execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) VALUES "
                               "(gen_id(Gen_Users,1), " + quoted(name) + ", 'Anna', '01.02.1980', '1')");
    return scalar(*m_session, "SELECT MAX(ID) FROM users").toInt();
}

int TestDiaryQueries::addEntry(int user, const QString& date, const QString& time, const QString& category,
                               const QString& shoe, const QString& duration)
{
    db().execute(
        "INSERT INTO main (ID, Datum, Uhrzeit, Kategorie, Schuhe, UserID, Dauer) VALUES (gen_id(Gen_Main,1), "
        + quoted(date) + ", " + quoted(time) + ", " + quoted(category) + ", "
        + (shoe.isNull() ? QString("NULL") : quoted(shoe)) + ", " + quoted(user) + ", "
        + quoted(duration.isNull() ? QString("0:00") : duration) + ")");
    return scalar(*m_session, "SELECT MAX(ID) FROM main").toInt();
}

void TestDiaryQueries::addUnit(int entry, double km, const QString& zone)
{
    db().execute("INSERT INTO units (ID, MainID, SubID, strecke, Zeit, Bereich) VALUES "
                               "(gen_id(Gen_Units,1), " + quoted(entry) + ", '1', "
                               + quoted(QString::number(km, 'g', 17)) + ", '00:30:00', " + quoted(zone) + ")");
}

void TestDiaryQueries::periodIncludesItsFirstAndLastDay()
{
    const int anna = addUser("Adler");
    const int ben = addUser("Berg");
    addEntry(anna, "29.02.2024");
    const int lastEvening = addEntry(anna, "31.03.2024", "18:00:00");
    const int first = addEntry(anna, "01.03.2024", "07:00:00");
    const int lastMorning = addEntry(anna, "31.03.2024", "06:30:00");
    const int middle = addEntry(anna, "15.03.2024", "12:00:00", "Radfahren");
    addEntry(anna, "01.04.2024");
    addEntry(ben, "10.03.2024");

    QStringList list{"vorher"};
    GetEntriesOfPeriod(db(), list, anna, QDate(2024, 3, 1), QDate(2024, 3, 31));
    QCOMPARE(list, QStringList({"vorher", QString::number(first), QString::number(middle),
                                QString::number(lastMorning), QString::number(lastEvening)}));

    list.clear();
    GetEntriesOfCategory(db(), list, anna, "Laufen", QDate(2024, 3, 1), QDate(2024, 3, 31));
    QCOMPARE(list, QStringList({QString::number(first), QString::number(lastMorning),
                                QString::number(lastEvening)}));

    list.clear();
    GetEntriesOfPeriod(db(), list, anna, QDate(2024, 3, 31), QDate(2024, 3, 31));
    QCOMPARE(list.size(), 2);
    GetEntriesOfPeriod(db(), list, anna, QDate(2023, 1, 1), QDate(2023, 12, 31));
    GetEntriesOfCategory(db(), list, ben, "Laufen", QDate(2024, 4, 1), QDate(2024, 4, 30));
    QCOMPARE(list.size(), 2);
}

void TestDiaryQueries::totalsOfAPeriod()
{
    const int anna = addUser("Adler");
    const int ben = addUser("Berg");
    const int a = addEntry(anna, "01.05.2025", "08:00:00", "Laufen", QString(), "1:30");
    addUnit(a, 10.0);
    addUnit(a, 2.5, "Einlaufen / Auslaufen");
    addEntry(anna, "31.05.2025", "09:00:00", "Laufen", QString(), "0:45"); // no units
    addEntry(anna, "02.05.2025");                                          // default 0:00
    const int outside = addEntry(anna, "01.06.2025", "08:00:00", "Laufen", QString(), "2:00");
    addUnit(outside, 7.0);
    const int other = addEntry(ben, "10.05.2025", "08:00:00", "Laufen", QString(), "1:00");
    addUnit(other, 5.0);

    const QDate start(2025, 5, 1), end(2025, 5, 31);
    QCOMPARE(GetTotalDistance(db(), start, end, anna), QString("12,5"));
    QCOMPARE(GetTotalDuration(db(), start, end, anna), 135);
    QCOMPARE(GetTotalDistance(db(), QDate(1980, 1, 1), QDate(2025, 12, 31), anna), QString("19,5"));

    QCOMPARE(GetTotalDistance(db(), QDate(2020, 1, 1), QDate(2020, 12, 31), anna), QString("0,0"));
    QCOMPARE(GetTotalDuration(db(), QDate(2020, 1, 1), QDate(2020, 12, 31), anna), 0);
}

void TestDiaryQueries::distancesAreSummedInWholeMetres()
{
    const int anna = addUser("Adler");
    const int a = addEntry(anna, "03.03.2025");
    addUnit(a, 0.15);
    const int b = addEntry(anna, "04.03.2025");
    addUnit(b, 2.0);
    const QStringList both{QString::number(a), QString::number(b)};

    // Whole metres, halves away from zero: the binary 0.15 lies below 0,15.
    QCOMPARE(GetTotalDistance(db(), QDate(2025, 3, 3), QDate(2025, 3, 3), anna), QString("0,2"));
    QCOMPARE(GetTotalDistance(db(), QDate(2025, 3, 1), QDate(2025, 3, 31), anna), QString("2,2"));
    QCOMPARE(GetEntryDistance(db(), a, QString(), false), 0.15);
    QCOMPARE(SumEntryDistances(db(), both), 2.15);
    QCOMPARE(SumEntryDistances(db(), {}), 0.0);
    QCOMPARE(SumEntryDistances(db(), {"999"}), 0.0);
}

void TestDiaryQueries::distanceOfAnEntryByZone()
{
    const int anna = addUser("Adler");
    const int a = addEntry(anna, "03.03.2025");
    addUnit(a, 2.0, "Berg'lauf");
    addUnit(a, 8.0, "Tempodauerlauf 1");
    addUnit(a, 1.5, "Berg'lauf");
    const int empty = addEntry(anna, "04.03.2025");

    QCOMPARE(GetEntryDistance(db(), a, "Berg'lauf", true), 3.5);
    QCOMPARE(GetEntryDistance(db(), a, "Wettkampf", true), 0.0);
    QCOMPARE(GetEntryDistance(db(), a, "Wettkampf", false), 11.5);
    QCOMPARE(GetEntryDistance(db(), empty, QString(), false), 0.0);
}

void TestDiaryQueries::readsWhileAResultIsWalked()
{
    const int anna = addUser("Adler");
    for (int day = 1; day <= 4; ++day) {
        const int entry = addEntry(anna, QString("%1.01.2026").arg(day, 2, 10, QChar('0')));
        for (int i = 0; i < day; ++i)
            addUnit(entry, 1.25);
    }

    // Each read runs on a query of its own: a caller's result stays as it was.
    QStringList ids;
    GetEntriesOfPeriod(db(), ids, anna, QDate(2026, 1, 1), QDate(2026, 1, 31));
    Query outer(db());
    outer.open("SELECT ID FROM main WHERE UserID = " + quoted(anna) + " ORDER BY Datum");
    QStringList walked;
    QList<double> distances;
    for (outer.first(); !outer.eof(); outer.next()) {
        QStringList again;
        GetEntriesOfPeriod(db(), again, anna, QDate(2026, 1, 1), QDate(2026, 1, 31));
        QCOMPARE(again, ids);
        walked << outer.field(0).asString();
        distances << GetEntryDistance(db(), int(outer.field(0).asInteger()), QString(), false);
    }
    QCOMPARE(walked, ids);
    QCOMPARE(distances, QList<double>({1.25, 2.5, 3.75, 5.0}));
    QCOMPARE(GetTotalDistance(db(), QDate(2026, 1, 1), QDate(2026, 1, 31), anna), QString("12,5"));
}

void TestDiaryQueries::categoryShoeListsAndApostrophes()
{
    const int anna = addUser("Adler");
    const int ben = addUser("Berg");
    const int older = addEntry(anna, "01.01.2025", "10:00:00", "Laufen", "Runner's High");
    const int newer = addEntry(anna, "02.01.2025", "10:00:00", "Nordic' Walking", "Runner's High");
    addEntry(anna, "03.01.2025", "10:00:00", "Laufen", "Trail");
    addEntry(anna, "04.01.2025", "10:00:00", "Laufen"); // no shoe
    const int bens = addEntry(ben, "05.01.2025", "10:00:00", "Schwimmen", "Runner's High");

    QStringList list{"vorher"};
    GetCategoryList(db(), list);
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.first(), QString("vorher"));
    for (const char* category : {"Laufen", "Nordic' Walking", "Schwimmen"})
        QCOMPARE(list.count(category), 1);

    list.clear();
    GetShoeList(db(), list, anna);
    list.sort();
    QCOMPARE(list, QStringList({"", "Runner's High", "Trail"}));

    // The same shoe text of another user does not count.
    list.clear();
    GetEntriesOfShoe(db(), list, anna, "Runner's High");
    QCOMPARE(list, QStringList({QString::number(older), QString::number(newer)}));
    QVERIFY(!list.contains(QString::number(bens)));

    list.clear();
    GetEntriesOfCategory(db(), list, anna, "Nordic' Walking", QDate(2025, 1, 1), QDate(2025, 1, 31));
    QCOMPARE(list, QStringList({QString::number(newer)}));
}

void TestDiaryQueries::zoneListInHeartRateOrder()
{
    QStringList list{"vorher"};
    GetZoneList(db(), list);
    QCOMPARE(list.size(), 12);
    QCOMPARE(list[3], QString("3;regenerativer DL;65;68;"));
    QCOMPARE(list.last(), QString("11;Wettkampf;90;100;"));
    QVERIFY(list.contains(QString::fromUtf8("10;Wiederholungsläufe;90;95;")));
}

void TestDiaryQueries::userHasEntries()
{
    const int anna = addUser("Adler");
    const int ben = addUser("Berg");
    addEntry(ben, "01.01.2025");
    QVERIFY(!UserHasEntries(db(), anna));
    QVERIFY(UserHasEntries(db(), ben));
    QVERIFY(!UserHasEntries(db(), 99));
    QVERIFY(!UserHasEntries(db(), -1));
}

QTEST_GUILESS_MAIN(TestDiaryQueries)
#include "tst_diaryqueries.moc"
