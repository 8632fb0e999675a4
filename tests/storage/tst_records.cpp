#include "datafiles.h"
#include "goals.h"
#include "persons.h"
#include "races.h"
#include "session.h"
#include "shoes.h"
#include "sqltext.h"
#include "storageerror.h"
#include "testsupport.h"

#include <QTest>

#include <memory>

// The records of persons and shoes over the database alone; the windows'
// tests show them at work.
class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void personsListedReadAndNoticedChangedElsewhere();
    void shoeAndItsEntriesChangeTogetherOrNotAtAll();
    void racesAndGoalsOfAPerson();

private:
    QString value(const QString& sql) { return scalar(*m_session, sql); }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

void TestRecords::init()
{
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
}

void TestRecords::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

void TestRecords::personsListedReadAndNoticedChangedElsewhere()
{
    Database& db = m_session->ZDatabase1;
    Persons::Person erika{"O'Brien", "Erika", "01.02.1970", 1, 75.54, "50", "185"};
    Persons::insert(db, erika);
    Persons::insert(db, {"Adler", "Bernd", "03.04.1980", 0, 101.5, "45", "190"});
    Persons::insert(db, {"Adler", "Anton", "05.06.1990", 0, 68.0, "60", "200"});
    QStringList listed;
    for (const Persons::Listed& p : Persons::list(db))
        listed << p.id + ' ' + p.name + ' ' + p.firstName + ' ' + p.birthday;
    QCOMPARE(listed, QStringList({"3 Adler Anton 05.06.1990", "2 Adler Bernd 03.04.1980",
                                  "1 O'Brien Erika 01.02.1970"}));

    StoredRecord stored;
    const std::optional<Persons::Person> read = Persons::read(db, "1", &stored);
    QVERIFY(read);
    QCOMPARE(QStringList({read->name, read->firstName, read->birthday, read->restingPulse, read->maxPulse}),
             QStringList({"O'Brien", "Erika", "01.02.1970", "50", "185"}));
    QCOMPARE(read->sex, 1);
    QCOMPARE(read->weight, 75.5); // stored with one decimal
    QVERIFY(!stored.changedElsewhere(db));

    // Changed elsewhere: the record taken notices it; the ID stays.
    erika.firstName = "Erna";
    QVERIFY(Persons::update(db, "1", erika));
    QVERIFY(stored.changedElsewhere(db));
    QCOMPARE(value("SELECT ID || TRIM(Vorname) FROM users WHERE Name = 'O''Brien'"), QString("1Erna"));

    QVERIFY(Persons::remove(db, "1"));
    QVERIFY(!Persons::read(db, "1"));
    QVERIFY(!Persons::update(db, "1", erika));
}

void TestRecords::shoeAndItsEntriesChangeTogetherOrNotAtAll()
{
    Database& db = m_session->ZDatabase1;
    Persons::insert(db, {"Adler", "Anton", "05.06.1990", 0, 68.0, "60", "200"});
    Persons::insert(db, {"Berg", "Britta", "03.04.1980", 1, 60.0, "45", "190"});
    for (const char* user : {"1", "2"}) {
        Shoes::insert(db, user, {"Wolke", 800, 10});
        db.execute("INSERT INTO main (ID, Datum, UserID, Schuhe) VALUES (gen_id(Gen_Main,1), '01.06.2025', "
                   + quoted(QString(user)) + ", 'Wolke')");
    }
    const QString id = Shoes::idOfModel(db, "1", "Wolke");
    QVERIFY(!id.isEmpty());
    QVERIFY(Shoes::idOfModel(db, "1", "Sturm").isEmpty());
    const auto state = [&] {
        return value("SELECT LIST(s.Modell || '/' || s.MaxLeistung || '/' || m.Schuhe, ' ') FROM schuhe s "
                     "JOIN main m ON m.UserID = s.UserID");
    };
    const QString before = state();

    // A refused entry update takes the shoe's change back with it.
    db.execute("CREATE EXCEPTION e_keep 'Eintrag bleibt'");
    db.execute("CREATE TRIGGER t_keep FOR main BEFORE UPDATE AS BEGIN EXCEPTION e_keep; END");
    QVERIFY_THROWS_EXCEPTION(StorageError, Shoes::update(db, id, {"Sturm", 900, 10}));
    QVERIFY(!db.inTransaction());
    QCOMPARE(state(), before);

    db.execute("DROP TRIGGER t_keep");
    Shoes::Renamed renamed;
    QVERIFY(Shoes::update(db, id, {"Sturm", 900, 10}, &renamed));
    QCOMPARE(renamed.from, QString("Wolke"));
    QCOMPARE(renamed.entries, 1);
    QCOMPARE(value("SELECT Schuhe FROM main WHERE UserID = 1"), QString("Sturm"));
    QCOMPARE(value("SELECT Schuhe FROM main WHERE UserID = 2"), QString("Wolke")); // another person's shoe

    QVERIFY(Shoes::remove(db, id));
    QVERIFY(!Shoes::update(db, id, {"Sturm", 900, 10}));
    QCOMPARE(Shoes::list(db, "1").size(), 0);
    QCOMPARE(Shoes::list(db, "2").value(0).model, QString("Wolke"));
}

QTEST_GUILESS_MAIN(TestRecords)
// Races in the order of their days, the next from a day on, texts cut to
// their columns; goals of a year set, replaced and removed; both go with
// their person.
void TestRecords::racesAndGoalsOfAPerson()
{
    Database& db = m_session->ZDatabase1;
    Persons::Person p;
    p.name = QStringLiteral("Läufer");
    p.firstName = QStringLiteral("Anna");
    p.birthday = QStringLiteral("01.02.1980");
    p.sex = 1;
    p.restingPulse = QStringLiteral("50");
    p.maxPulse = QStringLiteral("185");
    Persons::insert(db, p);
    const int user = value(QStringLiteral("SELECT MAX(ID) FROM users")).toInt();
    Races::Race late{QString(), user, QDate(2027, 4, 11), QStringLiteral("Frühjahrsmarathon"), 42.195, 3 * 3600, {}};
    Races::Race early{QString(), user, QDate(2026, 10, 3), QString(70, QLatin1Char('x')), 10.0, 0,
                      QStringLiteral("mit Anna")};
    late.id = Races::insert(db, late);
    early.id = Races::insert(db, early);
    Races::insert(db, {QString(), user + 1, QDate(2026, 12, 1), QStringLiteral("anderer"), 5.0, 0, {}});
    QList<Races::Race> races = Races::ofPerson(db, user);
    QCOMPARE(races.size(), 2);
    QCOMPARE(races[0].id, early.id);
    QCOMPARE(races[0].name.size(), Races::kNameLength);
    QCOMPARE(races[0].goalSeconds, 0);
    QCOMPARE(races[1].name, QStringLiteral("Frühjahrsmarathon"));
    QCOMPARE(races[1].km, 42.195);
    QCOMPARE(races[1].goalSeconds, 3 * 3600);
    QCOMPARE(Races::next(db, user, QDate(2026, 10, 4))->id, late.id);
    QVERIFY(!Races::next(db, user, QDate(2027, 4, 12)));
    late.goalSeconds = 0;
    late.date = QDate(2027, 4, 25);
    QVERIFY(Races::update(db, late));
    QCOMPARE(Races::ofPerson(db, user)[1].goalSeconds, 0);
    QVERIFY(Races::remove(db, early.id));
    QVERIFY(!Races::remove(db, early.id));
    QVERIFY(!Races::update(db, early));

    Goals::set(db, user, {2026, QString(), 2000});
    Goals::set(db, user, {2026, QStringLiteral("Laufen"), 1500});
    Goals::set(db, user, {2026, QString(), 2200});
    Goals::set(db, user, {2027, QString(), 100});
    QList<Goals::Goal> goals = Goals::ofYear(db, user, 2026);
    QCOMPARE(goals.size(), 2);
    QCOMPARE(goals[0].sport, QString());
    QCOMPARE(goals[0].km, 2200.0);
    QCOMPARE(goals[1].sport, QStringLiteral("Laufen"));
    Goals::set(db, user, {2026, QStringLiteral("Laufen"), 0});
    QCOMPARE(Goals::ofYear(db, user, 2026).size(), 1);

    QVERIFY(Persons::remove(db, QString::number(user)));
    QVERIFY(Races::ofPerson(db, user).isEmpty());
    QVERIFY(Goals::ofYear(db, user, 2027).isEmpty());
    QCOMPARE(Races::ofPerson(db, user + 1).size(), 1);
}

#include "tst_records.moc"
