#include "courses.h"
#include "datafiles.h"
#include "entries.h"
#include "session.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QDate>
#include <QTest>

#include <memory>

class TestEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void insertedEntriesReadBackWithTheirUnitsInOrder();
    void updateReplacesUnitsAndRemoveTakesThem();
    void matchingTakesTheTextLiterallyAndIgnoresCase();
    void manyEntriesChangedAtOnceBeyondOneStatementsList();
    void writeReturnsTheStoredFormAsItIsRead();

private:
    Database& db() { return m_session->ZDatabase1; }
    int count(const QString& sql) { return scalar(*m_session, sql).toInt(); }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

namespace {

Entries::Entry entry(const QString& date, const QString& time, int units)
{
    Entries::Entry e;
    e.date = date;
    e.time = time;
    e.weather = QStringLiteral("O'Regen");
    e.category = QStringLiteral("Laufen");
    e.userId = 1;
    e.restPulse = QStringLiteral("48");
    e.weight = QStringLiteral("72.5");
    e.duration = QStringLiteral("1:05");
    for (int i = 1; i <= units; ++i)
        e.units.append({QString::number(i), QString::number(i) + QStringLiteral(".25"), QStringLiteral("0:05:00"),
                        QStringLiteral("-1"), QStringLiteral("Zone ") + QString::number(i)});
    return e;
}

} // namespace

void TestEntries::init()
{
    skipWithoutTestServer();
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
}

void TestEntries::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

void TestEntries::insertedEntriesReadBackWithTheirUnitsInOrder()
{
    const QString later = Entries::insert(db(), entry(QStringLiteral("02.03.2024"), QStringLiteral("18:00"), 2));
    // More units than one statement writes, and an entry without time of day.
    const QStringList ids = Entries::insertMany(
        db(), {entry(QStringLiteral("01.03.2024"), QString(), 150), entry(QStringLiteral("01.03.2024"), QStringLiteral("07:30"), 0)});
    QCOMPARE(ids.size(), 2);
    // By date, not by the order of writing.
    const QStringList order = Entries::ids(db(), 1);
    QCOMPARE(order.size(), 3);
    QCOMPARE(order.last(), later);
    QCOMPARE(Entries::ids(db(), 2), QStringList());

    const std::optional<Entries::Entry> many = Entries::read(db(), ids[0]);
    QVERIFY(many);
    QCOMPARE(many->time, QString());
    QCOMPARE(many->units.size(), 150);
    QCOMPARE(many->units[119].subId, QStringLiteral("120"));
    QCOMPARE(many->units[119].distance, QStringLiteral("120.25"));
    QCOMPARE(many->units[119].zone, QStringLiteral("Zone 120"));

    StoredRecord record;
    const std::optional<Entries::Entry> read = Entries::read(db(), later, &record);
    QVERIFY(read);
    QCOMPARE(read->date, QStringLiteral("02.03.2024"));
    QCOMPARE(read->time.left(5), QStringLiteral("18:00"));
    QCOMPARE(read->weather, QStringLiteral("O'Regen"));
    QCOMPARE(read->weight, QStringLiteral("72,5"));
    QCOMPARE(read->units.size(), 2);
    QVERIFY(!record.changedElsewhere(db()));
    QVERIFY(!Entries::read(db(), QStringLiteral("999")));

    // The list view leaves values not recorded empty.
    Entries::Entry unknown = entry(QStringLiteral("03.03.2024"), QStringLiteral("08:00"), 0);
    unknown.restPulse = unknown.weight = QStringLiteral("-1");
    const QString none = Entries::insert(db(), unknown);
    const QList<Entries::Entry> listed = Entries::listed(db(), 1);
    QCOMPARE(listed.size(), 4);
    QCOMPARE(listed.last().id, none);
    QCOMPARE(listed.last().restPulse, QString());
    QCOMPARE(listed.last().weight, QString());
    QCOMPARE(listed.first().restPulse, QStringLiteral("48"));
}

void TestEntries::updateReplacesUnitsAndRemoveTakesThem()
{
    const QString id = Entries::insert(db(), entry(QStringLiteral("02.03.2024"), QStringLiteral("18:00"), 3));
    Entries::Entry changed = entry(QStringLiteral("04.03.2024"), QStringLiteral("19:15"), 1);
    changed.units[0].distance = QStringLiteral("9.5");
    QVERIFY(Entries::update(db(), id, changed));
    const std::optional<Entries::Entry> read = Entries::read(db(), id);
    QCOMPARE(read->date, QStringLiteral("04.03.2024"));
    QCOMPARE(read->units.size(), 1);
    QCOMPARE(read->units[0].distance, QStringLiteral("9.5"));

    QVERIFY(Entries::remove(db(), id));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM units")), 0);
    // Gone elsewhere: no update writes units without their entry, and a
    // second delete says so.
    QVERIFY(!Entries::update(db(), id, changed));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM units")), 0);
    QVERIFY(!Entries::remove(db(), id));
}

void TestEntries::matchingTakesTheTextLiterallyAndIgnoresCase()
{
    const auto add = [&](const QString& sport, const QString& notes, const QString& weather, int user = 1) {
        Entries::Entry e = entry(QStringLiteral("01.03.2025"), QStringLiteral("08:00:00"), 0);
        e.category = sport;
        e.notes = notes;
        e.weather = weather;
        e.userId = user;
        return Entries::insert(db(), e);
    };
    const QString percent = add(QStringLiteral("Laufen"), QStringLiteral("100% gegeben"), QString());
    const QString digits = add(QStringLiteral("Laufen"), QStringLiteral("1000 gegeben, O'Neill"), QStringLiteral("Übel"));
    const QString under = add(QStringLiteral("Radfahren"), QStringLiteral("a_b"), QStringLiteral("schön"));
    const QString plain = add(QStringLiteral("Laufen"), QStringLiteral("axb\\x"), QStringLiteral("Straße"));
    add(QStringLiteral("Laufen"), QStringLiteral("100% gegeben"), QString(), 2);
    const auto found = [&](const QString& text, const QString& sport = QString()) {
        return Entries::matching(db(), 1, text, sport);
    };
    QCOMPARE(found(QString()), QStringList({percent, digits, under, plain}));
    // % and _ and the escape sign match only themselves.
    QCOMPARE(found(QStringLiteral("0%")), QStringList{percent});
    QCOMPARE(found(QStringLiteral("a_b")), QStringList{under});
    QCOMPARE(found(QStringLiteral("B\\X")), QStringList{plain});
    QCOMPARE(found(QStringLiteral("%")), QStringList{percent});
    // Case does not count, for umlauts neither; the sport field and the
    // weather are searched too; the sport narrows.
    QCOMPARE(found(QStringLiteral("SCHÖN")), QStringList{under});
    QCOMPARE(found(QStringLiteral("übel")), QStringList{digits});
    QCOMPARE(found(QStringLiteral("STRAßE")), QStringList{plain});
    QCOMPARE(found(QStringLiteral("radf")), QStringList{under});
    QCOMPARE(found(QStringLiteral("gegeben"), QStringLiteral("Laufen")), QStringList({percent, digits}));
    QCOMPARE(found(QString(), QStringLiteral("Radfahren")), QStringList{under});
    QCOMPARE(found(QStringLiteral("o'n")), QStringList{digits});
    QVERIFY(found(QString(300, QLatin1Char('a'))).isEmpty());
}

void TestEntries::manyEntriesChangedAtOnceBeyondOneStatementsList()
{
    // More entries than one statement's list names, each with a 5 km unit
    // (a best effort of running); one entry also with a course.
    QList<Entries::Entry> many;
    for (int i = 0; i < int(Entries::kIdsPerStatement) + 50; ++i) {
        Entries::Entry e = entry(QDate(2020, 1, 1).addDays(i).toString(QStringLiteral("dd.MM.yyyy")),
                                 QStringLiteral("07:00"), 0);
        e.units.append({QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("0:25:00"), QStringLiteral("-1"),
                        QString()});
        many << e;
    }
    const QStringList ids = Entries::insertMany(db(), many);
    course::Course run;
    for (int s = 0; s <= 1200; s += 10)
        run.samples.append({double(s), course::kNone, course::kNone, s * 5.0});
    Courses::store(db(), ids.first(), run);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(DISTINCT MainID) FROM bestzeiten WHERE Lauf = 1")), ids.size());

    // An entry not chosen stays as it is; entries gone meanwhile and one
    // named twice count for none and once. Together more IDs than the
    // engine takes in one list.
    const QString kept = Entries::insert(db(), entry(QStringLiteral("01.06.2024"), QStringLiteral("07:00"), 1));
    QStringList chosen = ids;
    for (int gone = 0; gone < 600; ++gone)
        chosen << QString::number(900000 + gone);
    chosen << ids.first();
    QCOMPARE(Entries::setShoe(db(), chosen, QStringLiteral("O'Trail")), ids.size());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM main WHERE Schuhe = 'O''Trail'")), ids.size());

    QCOMPARE(Entries::setSport(db(), chosen, QStringLiteral("Radfahren")), ids.size());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM main WHERE Kategorie = 'Radfahren'")), ids.size());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(DISTINCT MainID) FROM bestzeiten WHERE Lauf = 1")), 0);
    QCOMPARE(Entries::setSport(db(), ids.mid(0, 2), QStringLiteral("Crosslauf")), 2);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(DISTINCT MainID) FROM bestzeiten WHERE Lauf = 1")), 2);

    QCOMPARE(Entries::removeMany(db(), chosen), ids.size());
    for (const char* table : {"main", "units", "bestzeiten", "verlauf"})
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 <> ")
                           .arg(QLatin1String(table), QLatin1String(qstrcmp(table, "main") ? "MainID" : "ID"))
                       + quoted(kept)),
                 0);
    const std::optional<Entries::Entry> other = Entries::read(db(), kept);
    QVERIFY(other);
    QCOMPARE(other->shoe, QString());
    QCOMPARE(other->category, QStringLiteral("Laufen"));
    QCOMPARE(other->units.size(), 1);
    QCOMPARE(Entries::removeMany(db(), ids), 0);
}

// What a save takes as its record's stored form from the write itself must
// be what reading the record gives, or the next save would see a change made
// elsewhere; with units and without.
void TestEntries::writeReturnsTheStoredFormAsItIsRead()
{
    for (const int units : {3, 0}) {
        ResultSet written;
        const QString id = Entries::insert(db(), entry(QStringLiteral("05.03.2024"), QStringLiteral("07:45"), units),
                                           &written);
        QCOMPARE(written.rows.size(), qMax(units, 1));
        QCOMPARE(written.rows.first().first().asString(), id);
        StoredRecord record = Entries::storedRecord(id);
        record.take(QList<ResultSet>{written});
        QVERIFY(!record.changedElsewhere(db()));

        Entries::Entry changed = entry(QStringLiteral("06.03.2024"), QStringLiteral("19:00"), units ? 2 : 0);
        changed.weight = QStringLiteral("71.3");
        QVERIFY(Entries::update(db(), id, changed, &written));
        record.take(QList<ResultSet>{written});
        QVERIFY(!record.changedElsewhere(db()));
    }
    ResultSet none;
    QVERIFY(!Entries::update(db(), QStringLiteral("999999"), entry(QStringLiteral("06.03.2024"), QString(), 1), &none));
    QCOMPARE(db().select(QStringLiteral("SELECT COUNT(*) FROM units WHERE MainID = 999999")).rows[0][0].asInteger(), 0);
}

QTEST_MAIN(TestEntries)
#include "tst_entries.moc"
