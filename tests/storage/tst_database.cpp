#include "datafiles.h"
#include "engineowners.h"
#include "query.h"
#include "session.h"
#include "sqltext.h"
#include "storageerror.h"
#include "storedrecord.h"
#include "persons.h"
#include "testsupport.h"
#include "zones.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <future>
#include <stdexcept>
#include <memory>
#include <thread>

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void valuesReadBackInTheirTextForms();
    void fieldsByPositionAndName();
    void quotedTextStandsForItself();
    void rejectedStatementRaisesEngineText();
    void statementsCommitOneByOne();
    void transactionKeepsAllOrNothing();
    void nestedScopeJoinsOuter();
    void insertReturnsTheIdItDrew();
    void lockHeldElsewhereStopsNoReadAndBoundsAWrite();
    void saveNoticesChangeElsewhereAndLostAnswer();
    void twoWorkstationsSavingAtOnceLoseNoSave();
    void passwordInParameterBlockWipedOnEveryWay();
    void zonesAreWrittenAndNoticeAChangeElsewhere();
    void personGoesWithItsDiaryOnly();

private:
    QString insertUser(const QString& name, const QString& vorname);

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

void TestDatabase::init()
{
    skipWithoutTestServer();
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
}

void TestDatabase::cleanup()
{
    Database::setWaitLimits(10, 15);
    Database::setBusyHandler(nullptr);
    m_session.reset();
    m_dir.reset();
}

QString TestDatabase::insertUser(const QString& name, const QString& vorname)
{
    m_session->ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls) "
                                  "VALUES (gen_id(Gen_Users,1), " + quoted(name) + ", " + quoted(vorname)
                                  + ", '07.03.1975', '0', '72.5', '48', '190')");
    return scalar(*m_session, "SELECT MAX(ID) FROM users");
}

void TestDatabase::valuesReadBackInTheirTextForms()
{
    Query q(m_session->ZDatabase1);
    insertUser("Muster", "Max");
    q.execSql("INSERT INTO main (ID, Datum, Uhrzeit, Wetter, UserID, Gewicht, Ruhepuls) VALUES "
              "(gen_id(Gen_Main,1), '05.01.2026', '07:05:09', 'sonnig', '1', '71.25', NULL)");
    q.open("SELECT Datum, Uhrzeit, Wetter, Gewicht, Ruhepuls, Dauer, Schuhe FROM main");
    QCOMPARE(q.recordCount(), 1);
    QCOMPARE(q.field(0).asString(), QString("05.01.2026"));
    QCOMPARE(q.field(1).asString(), QString("07:05:09"));
    QCOMPARE(q.field(2).asString(), QString("sonnig")); // CHAR(40) without its blanks
    QCOMPARE(q.field(3).asString(), QString("71,25"));
    QCOMPARE(q.field(3).asFloat(), 71.25);
    QVERIFY(q.field(4).isNull());
    QCOMPARE(q.field(4).asString(), QString());
    QCOMPARE(q.field(4).asInteger(), 0);
    QCOMPARE(q.field(5).asString(), QString("0:00")); // the column default
    QCOMPARE(q.field(6).asString(), QString());

    // a text blob, as LIST() gives it
    q.open("SELECT LIST(TRIM(TrBereich), '|') FROM (SELECT TrBereich FROM bereiche WHERE ID IN ('9', '10') ORDER BY ID)");
    QCOMPARE(q.field(0).asString(), QString::fromUtf8("intensiver TDL|Wiederholungsläufe"));

    q.open("SELECT Gewicht, Maxpuls, GebDatum FROM users");
    QCOMPARE(q.field(0).asString(), QString("72,5")); // single precision
    QCOMPARE(q.field(1).asInteger(), 190);
    QCOMPARE(q.field(2).asString(), QString("07.03.1975"));

    // computed values: a time stamp, a scaled number, a date before year 1000
    q.open("SELECT CAST('05.01.2026 07:05:09' AS TIMESTAMP), CAST(1.5 AS NUMERIC(9,2)), CAST('01.02.0999' AS DATE), "
           "CAST(-3 AS INTEGER) FROM RDB$DATABASE");
    QCOMPARE(q.field(0).asString(), QString("05.01.2026 07:05:09"));
    QCOMPARE(q.field(1).asString(), QString("1,50"));
    QCOMPARE(q.field(1).asFloat(), 1.5);
    QCOMPARE(q.field(2).asString(), QString("01.02.0999"));
    QCOMPARE(q.field(3).asString(), QString("-3"));
}

void TestDatabase::fieldsByPositionAndName()
{
    Query q(m_session->ZDatabase1);
    insertUser("Berg", "Anna");
    insertUser("Adler", "Ben");
    q.open("SELECT ID, name, vorname FROM users ORDER BY name, vorname");
    QCOMPARE(q.recordCount(), 2);
    QCOMPARE(q.field("NAME").asString(), QString("Adler"));
    QCOMPARE(q.field("Vorname").asString(), QString("Ben"));
    QCOMPARE(q.field("id").asInteger(), 2);
    q.next();
    QCOMPARE(q.field(1).asString(), QString("Berg"));
    q.next();
    QVERIFY(q.eof());
    QVERIFY_THROWS_EXCEPTION(StorageError, q.field(0));
    q.first();
    QVERIFY_THROWS_EXCEPTION(StorageError, q.field("Nachname"));
    QVERIFY_THROWS_EXCEPTION(StorageError, q.field("vorname").asInteger());

    q.open("SELECT * FROM users WHERE ID = '99'");
    QCOMPARE(q.recordCount(), 0);
    QVERIFY(q.eof());
}

void TestDatabase::quotedTextStandsForItself()
{
    QCOMPARE(quoted("O'Brien"), QString("'O''Brien'"));
    QCOMPARE(quoted(42), QString("'42'"));
    const QString id = insertUser("O'Brien", "x' OR '1'='1");
    QCOMPARE(scalar(*m_session, "SELECT Name FROM users WHERE ID = " + quoted(id)), QString("O'Brien"));
    QCOMPARE(scalar(*m_session, "SELECT Vorname FROM users WHERE Name = " + quoted("O'Brien")),
             QString("x' OR '1'='1"));
    m_session->ZDatabase1.execute("DELETE FROM users WHERE Name = " + quoted("x' OR '1'='1"));
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM users"), QString("1"));
}

void TestDatabase::rejectedStatementRaisesEngineText()
{
    insertUser("Muster", "Max");
    try {
        m_session->ZDatabase1.execute("INSERT INTO main (ID, Datum, UserID, Dauer) VALUES "
                                      "(gen_id(Gen_Main,1), '05.01.2026', '1', '100:00')");
        QFAIL("a duration of six characters must not fit");
    } catch (const StorageError& e) {
        QVERIFY2(e.message().contains("truncation"), qPrintable(e.message()));
    }
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM main"), QString("0"));
    QVERIFY_THROWS_EXCEPTION(StorageError, Query(m_session->ZDatabase1).open("SELECT * FROM nirgends"));
}

void TestDatabase::statementsCommitOneByOne()
{
    Query q(m_session->ZDatabase1);
    insertUser("Erster", "A");
    QVERIFY_THROWS_EXCEPTION(StorageError, q.execSql("INSERT INTO users (ID) VALUES ('x')"));
    insertUser("Zweiter", "B");
    // a second connection sees what was committed
    Session other;
    datafiles::openStorage(other, m_dir->path());
    QCOMPARE(scalar(other, "SELECT COUNT(*) FROM users"), QString("2"));
}

void TestDatabase::transactionKeepsAllOrNothing()
{
    Query q(m_session->ZDatabase1);
    {
        Transaction t(m_session->ZDatabase1);
        insertUser("Eins", "A");
        insertUser("Zwei", "B");
        QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM users"), QString("2")); // seen inside
        QVERIFY_THROWS_EXCEPTION(StorageError, q.execSql("INSERT INTO users (ID) VALUES ('x')"));
        // left without commit: everything is undone
    }
    QVERIFY(!m_session->ZDatabase1.inTransaction());
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM users"), QString("0"));
    {
        Transaction t(m_session->ZDatabase1);
        insertUser("Eins", "A");
        insertUser("Zwei", "B");
        t.commit();
    }
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM users"), QString("2"));
}

void TestDatabase::nestedScopeJoinsOuter()
{
    {
        Transaction outer(m_session->ZDatabase1);
        {
            Transaction inner(m_session->ZDatabase1);
            insertUser("Innen", "A");
            inner.commit(); // joins the outer scope: nothing is final yet
        }
        QVERIFY(m_session->ZDatabase1.inTransaction());
    }
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM users"), QString("0"));
}

void TestDatabase::insertReturnsTheIdItDrew()
{
    Query q(m_session->ZDatabase1);
    insertUser("Erster", "A");
    q.execSql("SET GENERATOR Gen_Main TO 40");
    q.execSql("INSERT INTO main (ID, Datum, UserID) VALUES ('90', '01.01.2020', '1')"); // a larger ID of another kind
    {
        Transaction t(m_session->ZDatabase1);
        q.open("INSERT INTO main (ID, Datum, UserID) VALUES (gen_id(Gen_Main,1), '02.01.2020', '1') RETURNING ID");
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.field("ID").asInteger(), 41);
    }
    // rolled back with its scope
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM main"), QString("1"));
    q.open("INSERT INTO main (ID, Datum, UserID) VALUES (gen_id(Gen_Main,1), '02.01.2020', '1') RETURNING ID");
    QCOMPARE(q.field(0).asInteger(), 42);
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM main"), QString("2"));
}

void TestDatabase::lockHeldElsewhereStopsNoReadAndBoundsAWrite()
{
    Database::setWaitLimits(1, 15);
    const QString id = insertUser("Muster", "Max");
    // another workstation changes the person and has not committed yet
    auto other = std::make_unique<Session>();
    datafiles::openStorage(*other, m_dir->path());
    auto held = std::make_unique<Transaction>(other->ZDatabase1);
    other->ZDatabase1.execute("UPDATE users SET Name = 'Anders' WHERE ID = " + quoted(id));
    // lets go after a while, so that a write waiting without end shows as a failure, not a hang
    std::promise<void> tried;
    std::thread release([&, done = tried.get_future()] {
        done.wait_for(std::chrono::seconds(8));
        held.reset();
    });
    const auto joined = qScopeGuard([&] {
        tried.set_value();
        release.join();
    });

    int busy = 0;
    Database::setBusyHandler([&](bool on) { busy += on ? 1 : 0; });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(scalar(*m_session, "SELECT Name FROM users"), QString("Muster"));
    // a block of reads runs read-only and read-committed (isolation 2 or 3)
    const ResultSet mode = m_session->ZDatabase1.select(
        "EXECUTE BLOCK RETURNS (ro SMALLINT, iso SMALLINT) AS BEGIN "
        "SELECT MON$READ_ONLY, MON$ISOLATION_MODE FROM MON$TRANSACTIONS "
        "WHERE MON$TRANSACTION_ID = CURRENT_TRANSACTION INTO :ro, :iso; SUSPEND; END");
    QCOMPARE(mode.rows.value(0).value(0).asInteger(), 1);
    QVERIFY(mode.rows.value(0).value(1).asInteger() >= 2);
    QCOMPARE(busy, 2); // the hourglass also for statements run without a query
    QVERIFY(clock.elapsed() < 1000);

    try {
        m_session->ZDatabase1.execute("UPDATE users SET Vorname = 'Moritz' WHERE ID = " + quoted(id));
        QFAIL("the change went through a record held elsewhere");
    } catch (const StorageError& e) {
        QVERIFY2(e.message().startsWith("Dieselben Daten wurden gerade an einem anderen Arbeitsplatz geändert"),
                 qPrintable(e.message() + " / " + e.detail()));
        QCOMPARE(e.reason(), StorageError::Reason::Conflict);
    }
    QVERIFY(clock.elapsed() < 6000);
    QCOMPARE(scalar(*m_session, "SELECT Vorname FROM users"), QString("Max"));
}

// A record changed since it was taken is not written over unasked; a
// commit whose answer was lost is looked up on a new connection.
void TestDatabase::saveNoticesChangeElsewhereAndLostAnswer()
{
    const QString id = insertUser("Muster", "Max");
    Database& db = m_session->ZDatabase1;
    StoredRecord record({"SELECT * FROM users WHERE ID = " + quoted(id)});
    record.take(db);
    const auto rename = [&](const QString& vorname) {
        return [&, vorname] { db.execute("UPDATE users SET Vorname = " + quoted(vorname) + " WHERE ID = " + quoted(id)); };
    };
    const auto vorname = [&] { return scalar(*m_session, "SELECT Vorname FROM users WHERE ID = " + quoted(id)); };

    QCOMPARE(int(saveRecord(db, record, rename("Moritz")).outcome), int(SaveResult::Outcome::Saved));
    QCOMPARE(vorname(), QString("Moritz"));
    // saved again from here: no change elsewhere
    QCOMPARE(int(saveRecord(db, record, rename("Max")).outcome), int(SaveResult::Outcome::Saved));

    rename("Erika")(); // another workstation
    QCOMPARE(int(saveRecord(db, record, rename("Moritz")).outcome), int(SaveResult::Outcome::ChangedElsewhere));
    QCOMPARE(vorname(), QString("Erika"));
    QCOMPARE(int(saveRecord(db, record, rename("Moritz"), false).outcome), int(SaveResult::Outcome::Saved));
    QCOMPARE(vorname(), QString("Moritz"));

    // the answer lost after the commit: found stored on a new connection
    Database::loseNextCommitAnswer(true);
    const SaveResult lost = saveRecord(db, record, rename("Anna"));
    QCOMPARE(int(lost.outcome), int(SaveResult::Outcome::Saved));
    QVERIFY2(lost.notice.endsWith("Nach dem erneuten Verbinden zeigt sich: Die Änderung ist gespeichert."),
             qPrintable(lost.notice));
    QCOMPARE(vorname(), QString("Anna"));
    // ... and lost before the commit was carried out: said so, not taken for done
    Database::loseNextCommitAnswer(false);
    try {
        saveRecord(db, record, rename("Berta"));
        QFAIL("a save that did not arrive was reported as done");
    } catch (const StorageError& e) {
        QVERIFY2(e.message().contains("Die Änderung ist nicht gespeichert"), qPrintable(e.message()));
    }
    QCOMPARE(vorname(), QString("Anna"));
    QCOMPARE(int(saveRecord(db, record, rename("Berta")).outcome), int(SaveResult::Outcome::Saved));
    QCOMPARE(vorname(), QString("Berta"));
}

// Two workstations count up one record at once: every save reported as
// done is in the final count, none overwritten unnoticed.
void TestDatabase::twoWorkstationsSavingAtOnceLoseNoSave()
{
    const QString id = insertUser("Muster", "Max");
    m_session->ZDatabase1.execute("UPDATE users SET Ruhepuls = 0 WHERE ID = " + quoted(id));
    const QString read = "SELECT * FROM users WHERE ID = " + quoted(id);
    const auto workstation = [&](Database& db, int* saved) {
        StoredRecord record({read});
        for (int i = 0; i < 25; ++i) {
            record.take(db);
            const qint64 seen = db.select(read).rows.value(0).value(6).asInteger();
            const SaveResult result = saveRecord(db, record, [&] {
                db.execute("UPDATE users SET Ruhepuls = " + quoted(seen + 1) + " WHERE ID = " + quoted(id));
            });
            if (result.outcome == SaveResult::Outcome::Saved)
                ++*saved;
        }
    };
    Session other;
    datafiles::openStorage(other, m_dir->path());
    int savedHere = 0;
    int savedThere = 0;
    QString failedThere;
    std::thread there([&] {
        try {
            workstation(other.ZDatabase1, &savedThere);
        } catch (const StorageError& e) {
            failedThere = e.message() + " / " + e.detail();
        }
    });
    workstation(m_session->ZDatabase1, &savedHere);
    there.join();
    QVERIFY2(failedThere.isEmpty(), qPrintable(failedThere));
    QVERIFY(savedHere + savedThere >= 25); // each skips only what the other saved meanwhile
    QCOMPARE(scalar(*m_session, "SELECT Ruhepuls FROM users WHERE ID = " + quoted(id)),
             QString::number(savedHere + savedThere));
}

namespace {

// A parameter block builder that keeps what it is given in a buffer of its
// own and, when disposed, hands the buffer's last content to the test.
class RecordingBuilder : public Firebird::IXpbBuilderImpl<RecordingBuilder, Firebird::ThrowStatusWrapper>
{
public:
    using St = Firebird::ThrowStatusWrapper;
    RecordingBuilder(QList<QByteArray>& disposed) : m_disposed(disposed) {}

    void insertString(St*, unsigned char, const char* text) override { m_buffer.append(text); }
    unsigned getBufferLength(St*) override { return unsigned(m_buffer.size()); }
    const unsigned char* getBuffer(St*) override { return reinterpret_cast<const unsigned char*>(m_buffer.data()); }
    void dispose() override
    {
        m_disposed.append(m_buffer);
        delete this;
    }

    void clear(St*) override {}
    void removeCurrent(St*) override {}
    void insertInt(St*, unsigned char, int) override {}
    void insertBigInt(St*, unsigned char, ISC_INT64) override {}
    void insertBytes(St*, unsigned char, const void*, unsigned) override {}
    void insertTag(St*, unsigned char) override {}
    FB_BOOLEAN isEof(St*) override { return true; }
    void moveNext(St*) override {}
    void rewind(St*) override {}
    FB_BOOLEAN findFirst(St*, unsigned char) override { return false; }
    FB_BOOLEAN findNext(St*) override { return false; }
    unsigned char getTag(St*) override { return 0; }
    unsigned getLength(St*) override { return 0; }
    int getInt(St*) override { return 0; }
    ISC_INT64 getBigInt(St*) override { return 0; }
    const char* getString(St*) override { return ""; }
    const unsigned char* getBytes(St*) override { return nullptr; }

private:
    QList<QByteArray>& m_disposed;
    QByteArray m_buffer;
};

} // namespace

// A refused login, a server out of reach: the block that carried the password
// goes on an exception, and its password must not stay in memory given back.
void TestDatabase::passwordInParameterBlockWipedOnEveryWay()
{
    QList<QByteArray> disposed;
    try {
        Status st;
        engine::Builder secret(new RecordingBuilder(disposed), true);
        secret->insertString(&st, isc_dpb_password, "geheim");
        engine::Builder moved = std::move(secret);
        throw std::runtime_error("attach refused");
    } catch (const std::runtime_error&) {
    }
    {
        Status st;
        engine::Builder plain(new RecordingBuilder(disposed));
        plain->insertString(&st, isc_spb_dbname, "service_mgr");
    }
    QCOMPARE(disposed.size(), 2); // each once, the moved-from owner holding nothing
    QCOMPARE(disposed[0], QByteArray(6, '\0'));
    QCOMPARE(disposed[1], QByteArray("service_mgr"));
}


void TestDatabase::zonesAreWrittenAndNoticeAChangeElsewhere()
{
    Database& db = m_session->ZDatabase1;
    Zones::insert(db, {"Schwelle", 84, 88});
    const QString id = db.select("SELECT ID FROM bereiche WHERE TrBereich = 'Schwelle'").rows.value(0).value(0).asString();
    QVERIFY(!id.isEmpty());
    StoredRecord stored = Zones::storedRecord(id);
    stored.take(db);
    QVERIFY(Zones::update(db, id, {"Schwelle", 85, 89}));
    QVERIFY(stored.changedElsewhere(db));
    QCOMPARE(db.select("SELECT minHF, maxHF FROM bereiche WHERE ID = " + quoted(id)).rows[0][1].asInteger(), 89);
    QVERIFY(Zones::remove(db, id));
    QVERIFY(!Zones::remove(db, id));
    QVERIFY(!Zones::update(db, id, {"Schwelle", 85, 89}));
}

void TestDatabase::personGoesWithItsDiaryOnly()
{
    Database& db = m_session->ZDatabase1;
    const QStringList persons = {insertUser("Muster", "Max"), insertUser("Beispiel", "Eva")};
    for (const QString& person : persons) {
        for (int day = 1; day <= 3; ++day) {
            db.execute("INSERT INTO main (ID, Datum, UserID) VALUES (gen_id(Gen_Main,1), '0" + QString::number(day)
                       + ".05.2024', " + quoted(person) + ")");
            db.execute("INSERT INTO units (ID, MainID, SubID, strecke) VALUES (gen_id(Gen_Units,1), "
                       "gen_id(Gen_Main,0), 1, 10)");
        }
    }
    QCOMPARE(Persons::counts(db).entries, 6);
    QVERIFY(Persons::remove(db, persons[0]));
    QVERIFY(!Persons::remove(db, persons[0]));
    const Persons::Counts left = Persons::counts(db);
    QCOMPARE(left.persons, 1);
    QCOMPARE(left.entries, 3);
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM units u JOIN main m ON m.ID = u.MainID WHERE m.UserID = "
                                    + quoted(persons[1])),
             QString("3"));
    QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM units"), QString("3"));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
