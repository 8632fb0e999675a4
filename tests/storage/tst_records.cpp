#include "datafiles.h"
#include "persons.h"
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
#include "tst_records.moc"
