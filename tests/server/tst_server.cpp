#include "datafiles.h"
#include "delayrelay.h"
#include "dbserver.h"
#include "editorfixture.h"
#include "editorinput.h"
#include "logindialog.h"
#include "query.h"
#include "storageerror.h"
#include "stringgrid.h"
#include "tform8.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <future>
#include <thread>

using namespace editorinput;

namespace {

// Why a test that needs the tests' own server cannot run; empty when it can.
QString missingServer()
{
    if (!testServer().configured)
        return QStringLiteral("no test server: run through ctest, which starts one");
    return testServer().skipReason;
}

#define REQUIRE_SERVER()                                                                                             \
    do {                                                                                                             \
        if (const QString why = missingServer(); !why.isEmpty())                                                     \
            QSKIP(qPrintable(why));                                                                                  \
    } while (false)

QString aliasOf(const TestFolder& folder)
{
    return QString::fromUtf8(readBytes(folder.file("aliases.conf"))).section('=', 1).trimmed();
}

void writeAlias(const TestFolder& folder, const QString& target)
{
    QFile file(folder.file("aliases.conf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("workout=" + target.toUtf8() + "\r\n");
}

QString serverName()
{
    const auto server = serverOf(testServer().address + ":/x");
    return server ? server->name() : QString();
}

// What a call of openStorage throws; empty message when it does not.
StorageError openingFails(Session& session, const TestFolder& folder)
{
    try {
        datafiles::openStorage(session, folder.path());
    } catch (const StorageError& e) {
        return e;
    }
    return StorageError(QString());
}

// A server of this test alone, which can fail and come back.
class PrivateServer
{
public:
    PrivateServer() : m_folder(m_dir.path() + "/server") {}
    ~PrivateServer() { run("stop"); }

    // Empty when it runs, else why not.
    QString start()
    {
        if (!run("start"))
            return "the private test server did not start";
        const QByteArray env = readBytes(m_folder + "/server.env");
        for (const QByteArray& line : env.split('\n')) {
            if (line.startsWith("TRAMORA_SERVER="))
                address = QString::fromUtf8(line.mid(15)).remove('\'');
        }
        return address.isEmpty() ? "the private test server was not started" : QString();
    }
    bool halt() { return run("halt"); }
    bool resume() { return run("resume"); }
    bool freeze() { return run("freeze"); }
    bool thaw() { return run("thaw"); }
    QString database() const { return address + ":" + m_folder + "/data/diary.fdb"; }

    QString address;

private:
    bool run(const char* command)
    {
        QProcess p;
        p.start("bash", {TRAMORA_SERVER_SCRIPT, command, m_folder});
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished(5000);
            return false;
        }
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QTemporaryDir m_dir;
    QString m_folder;
};

} // namespace

class TestServerDiary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }
    void cleanup()
    {
        serverlogin::setPrompt(nullptr);
        serverlogin::forgetAll();
    }

    void connectionStringsAndAliasLines();
    void unreachableServerIsNamed();
    void loginDialogAsksForNameAndPassword();
    void startUpMakesTheDiaryOnTheServer();
    void loginFromEnvironmentOrAskedOncePerRun();
    void secondWorkstationSeesWholeEntriesOnly();
    void editorMeetsEntryDeletedElsewhere();
    void zoneWindowMeetsZoneDeletedElsewhere();
    void serverGoneWhileSavingLosesNothing();
    void silentServerIsNamedAfterTheLimit();
    void editorStepsTakeFewRoundTrips();
};

void TestServerDiary::connectionStringsAndAliasLines()
{
    const QList<QPair<QString, QString>> servers = {
        {"db.example.org:/srv/diary/data.fdb", "db.example.org"},
        {"127.0.0.1/3051:/srv/diary/data.fdb", "127.0.0.1 (Port 3051)"},
        {"fbhost/gds_db:diary", "fbhost (Port gds_db)"},
        {"[::1]/3051:/srv/data.fdb", "[::1] (Port 3051)"},
        {"inet://db.example.org:3051//srv/data.fdb", "db.example.org (Port 3051)"},
        {"INET4://db.example.org/diary", "db.example.org"},
    };
    for (const auto& [connection, name] : servers) {
        const auto server = serverOf(connection);
        QVERIFY2(server, qPrintable(connection));
        QCOMPARE(server->name(), name);
    }
    for (const QString local : {"/home/max/Tramora/Database/data.fdb", "c:\\programme\\diary\\database\\data.fdb",
                                "Database/data.fdb", "/srv/odd:name/data.fdb"})
        QVERIFY2(!serverOf(local), qPrintable(local));

    // A server line wins over this folder's own line, and needs none added.
    TestFolder dir;
    const QByteArray lines = "workout=" + QFile::encodeName(datafiles::databasePath(dir.path()))
                             + "\r\nworkout=server:/srv/diary/data.fdb\r\n";
    QFile file(dir.file("aliases.conf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines);
    file.close();
    QCOMPARE(datafiles::resolveAlias(dir.path(), "workout"), QString("server:/srv/diary/data.fdb"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("workout=server:/srv/diary/data.fdb\r\n");
    file.close();
    datafiles::ensureAlias(dir.path());
    QCOMPARE(readBytes(dir.file("aliases.conf")), QByteArray("workout=server:/srv/diary/data.fdb\r\n"));
    // also for an installed program, with the settings in the user's folder
    TestFolder data;
    const datafiles::Location where =
        datafiles::locate(dir.path(), data.path(), [&](const QString& path) { return path.startsWith(data.path()); });
    QCOMPARE(where.folder + "|" + where.settingsPath, dir.path() + "|" + data.file("config.ini"));
}

void TestServerDiary::unreachableServerIsNamed()
{
    // Nothing listens on port 1: the start-up names the server and makes no
    // diary on this computer instead.
    TestFolder dir;
    writeAlias(dir, "127.0.0.1/1:/srv/diary/data.fdb");
    if (!qEnvironmentVariableIsSet("ISC_PASSWORD")) {
        qputenv("ISC_USER", "SYSDBA");
        qputenv("ISC_PASSWORD", "x");
    }
    Messages::setNextAnswer(QMessageBox::Ok);
    TForm1 main(StartOptions{dir.path(), 0});
    QVERIFY(!main.startedUp());
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY2(Messages::shown().first().text.startsWith("Der Datenbankserver 127.0.0.1 (Port 1) ist nicht erreichbar."),
             qPrintable(Messages::shown().first().text));
    QVERIFY(!QFileInfo::exists(datafiles::databasePath(dir.path())));
}

void TestServerDiary::loginDialogAsksForNameAndPassword()
{
    LoginDialog dialog("db.example.org (Port 3051)", "max");
    QCOMPARE(dialog.Edit2->echoMode(), QLineEdit::Password);
    dialog.Edit2->setText("geheim");
    QCOMPARE(dialog.credentials().user + "/" + dialog.credentials().password, QString("max/geheim"));
}

void TestServerDiary::startUpMakesTheDiaryOnTheServer()
{
    REQUIRE_SERVER();
    TestFolder dir;
    const QByteArray aliases = readBytes(dir.file("aliases.conf"));
    {
        Session s;
        datafiles::openStorage(s, dir.path());
        QCOMPARE(scalar(s, "SELECT COUNT(*) FROM bereiche"), QString("11"));
        QCOMPARE(scalar(s, "SELECT mon$remote_protocol FROM mon$attachments "
                           "WHERE mon$attachment_id = current_connection"),
                 QString("TCPv4"));
    }
    // nothing made on this computer, the alias file as the user wrote it
    QVERIFY(!QFileInfo::exists(datafiles::databasePath(dir.path())));
    QCOMPARE(readBytes(dir.file("aliases.conf")), aliases);

    Session again;
    datafiles::openStorage(again, dir.path());
    QCOMPARE(scalar(again, "SELECT COUNT(*) FROM bereiche"), QString("11"));

    // a path where the server cannot make the diary says so, naming the server
    TestFolder nowhere;
    writeAlias(nowhere, testServer().address + ":" + testServer().dataFolder + "/missing/data.fdb");
    Session failing;
    const StorageError e = openingFails(failing, nowhere);
    QVERIFY2(e.message().contains("kann auf dem Datenbankserver " + serverName() + " nicht angelegt werden"),
             qPrintable(e.message()));
    QVERIFY(e.detail().contains("missing/data.fdb"));
}

void TestServerDiary::loginFromEnvironmentOrAskedOncePerRun()
{
    REQUIRE_SERVER();
    const QByteArray user = qgetenv("ISC_USER");
    const QByteArray password = qgetenv("ISC_PASSWORD");
    struct RestoreEnvironment
    {
        QByteArray user, password;
        ~RestoreEnvironment()
        {
            qputenv("ISC_USER", user);
            qputenv("ISC_PASSWORD", password);
        }
    } restore{user, password};
    qunsetenv("ISC_PASSWORD");
    serverlogin::forgetAll();
    int asked = 0;
    std::optional<Credentials> answer = Credentials{QString::fromUtf8(user), QString::fromUtf8(password)};
    serverlogin::setPrompt([&](const QString& server, const QString& givenUser) {
        ++asked;
        [&] {
            QCOMPARE(server, serverName());
            QCOMPARE(givenUser, QString::fromUtf8(user)); // ISC_USER filled in
        }();
        return answer;
    });

    TestFolder first;
    Session a;
    datafiles::openStorage(a, first.path());
    Session b;
    datafiles::openStorage(b, first.path());
    QCOMPARE(asked, 1);

    // a refused login: the box names the server, the next try asks again
    serverlogin::forgetAll();
    answer->password = "falsch";
    Messages::setNextAnswer(QMessageBox::Ok);
    TestFolder second;
    {
        TForm1 main(StartOptions{second.path(), 0});
        QVERIFY(!main.startedUp());
    }
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY2(Messages::shown().first().text.startsWith("Der Datenbankserver " + serverName()
                                                       + " hat die Anmeldung abgelehnt"),
             qPrintable(Messages::shown().first().text));
    Session c;
    QCOMPARE(openingFails(c, second).reason(), StorageError::Reason::LoginRefused);
    QCOMPARE(asked, 3);

    answer.reset(); // cancelled
    const StorageError cancelled = openingFails(c, second);
    QCOMPARE(cancelled.message(), "Die Anmeldung am Datenbankserver " + serverName() + " wurde abgebrochen");
}

void TestServerDiary::secondWorkstationSeesWholeEntriesOnly()
{
    REQUIRE_SERVER();
    TestFolder here;
    TestFolder there;
    writeAlias(there, aliasOf(here));
    Session a;
    datafiles::openStorage(a, here.path());
    Session b;
    datafiles::openStorage(b, there.path());

    QString id;
    {
        Transaction transaction(a.ZDatabase1);
        Query q(a.ZDatabase1);
        q.open("INSERT INTO main (ID, Datum, UserID) VALUES (gen_id(Gen_Main,1), '01.03.2025', '1') RETURNING ID");
        id = q.field(0).asString();
        for (const char* sub : {"1", "2"})
            a.ZDatabase1.execute("INSERT INTO units (ID, MainID, SubID, strecke) VALUES (gen_id(Gen_Units,1), "
                                 + quoted(id) + ", '" + sub + "', '5')");
        QCOMPARE(scalar(b, "SELECT COUNT(*) FROM main") + "/" + scalar(b, "SELECT COUNT(*) FROM units"),
                 QString("0/0"));
        transaction.commit();
    }
    QCOMPARE(scalar(b, "SELECT COUNT(*) FROM main") + "/" + scalar(b, "SELECT COUNT(*) FROM units"),
             QString("1/2"));

    // a change that meets one committed elsewhere after it began is refused
    // with a message, and the other one stays
    {
        Transaction transaction(a.ZDatabase1);
        b.ZDatabase1.execute("UPDATE main SET Wetter = 'Regen' WHERE ID = " + quoted(id));
        try {
            a.ZDatabase1.execute("UPDATE main SET Wetter = 'Sonne' WHERE ID = " + quoted(id));
            QFAIL("the colliding change was taken");
        } catch (const StorageError& e) {
            QCOMPARE(e.reason(), StorageError::Reason::Conflict);
            QVERIFY2(e.message().contains("an einem anderen Arbeitsplatz geändert"), qPrintable(e.message()));
        }
    }
    QCOMPARE(scalar(a, "SELECT Wetter FROM main"), QString("Regen"));
}

void TestServerDiary::editorMeetsEntryDeletedElsewhere()
{
    REQUIRE_SERVER();
    TestFolder there;
    Session other; // the other workstation
    datafiles::openStorage(other, there.path());
    EditorFixture f(&there);
    const int user = f.addUser();
    const int entry = f.addEntry(user, "02.03.2025");
    f.addUnit(entry, 1, "5");
    TForm4* w = f.openEditor(user);
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString::number(entry));
    const auto deleteThere = [&](const QString& id) {
        Transaction transaction(other.ZDatabase1);
        other.ZDatabase1.execute("DELETE FROM units WHERE MainID = " + quoted(id));
        other.ZDatabase1.execute("DELETE FROM main WHERE ID = " + quoted(id));
        transaction.commit();
    };
    deleteThere(QString::number(entry));

    // changed here: no units without their entry, the input stays
    tool(w, "ToolButton13")->click();
    control<QComboBox>(w, "ComboBox1")->setEditText("Schnee");
    Messages::clearShown();
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.startsWith(
        "Der Eintrag wurde inzwischen an einem anderen Arbeitsplatz gelöscht."));
    QCOMPARE(scalar(other, "SELECT COUNT(*) FROM units"), QString("0"));
    QCOMPARE(control<QComboBox>(w, "ComboBox1")->currentText(), QString("Schnee"));
    QVERIFY(w->hasUnsavedChanges());

    // saved again: a new entry with all of it
    Messages::clearShown();
    save(w);
    QVERIFY(Messages::shown().isEmpty());
    const QString id = control<QLabel>(w, "Label16")->text();
    QCOMPARE(scalar(other, "SELECT Wetter FROM main WHERE ID = " + quoted(id)), QString("Schnee"));
    QCOMPARE(scalar(other, "SELECT COUNT(*) FROM units WHERE MainID = " + quoted(id)), QString("1"));

    // deleted here after it was deleted there
    deleteThere(id);
    Messages::clearShown();
    answering({QMessageBox::Yes}, [w] { tool(w, "ToolButton2")->click(); });
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().last().text,
             QString("Der Eintrag wurde inzwischen an einem anderen Arbeitsplatz gelöscht."));
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString("-1"));
}

void TestServerDiary::zoneWindowMeetsZoneDeletedElsewhere()
{
    REQUIRE_SERVER();
    TestFolder there;
    Session other; // the other workstation
    datafiles::openStorage(other, there.path());
    EditorFixture f(&there);
    f.main().ToolButton10->click();
    auto* zones = f.main().findChild<TForm8*>();
    QVERIFY(zones);
    StringGrid* grid = zones->StringAlignGrid1;
    for (int row = 1; row < grid->gridRowCount(); ++row)
        if (grid->cells(1, row) == "Wettkampf")
            grid->setCurrentGridRow(row);
    zones->BitBtn3->click();
    zones->Edit1->setText("Rennen");
    other.ZDatabase1.execute("DELETE FROM bereiche WHERE TrBereich = 'Wettkampf'");

    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    zones->BitBtn1->click();
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.startsWith(
        "Der Trainingsbereich wurde inzwischen an einem anderen Arbeitsplatz gelöscht."));
    QCOMPARE(scalar(other, "SELECT COUNT(*) FROM bereiche"), QString("10"));
    QCOMPARE(grid->gridRowCount(), 12);
    QCOMPARE(zones->Edit1->text(), QString("Rennen"));
}

void TestServerDiary::serverGoneWhileSavingLosesNothing()
{
    REQUIRE_SERVER();
    PrivateServer server;
    if (const QString failed = server.start(); !failed.isEmpty())
        QFAIL(qPrintable(failed));
    TestFolder there;
    writeAlias(there, server.database());
    EditorFixture f(&there);
    QVERIFY(f.main().startedUp());
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w, "01.03.2025");
    enterUnit(w, "5");
    save(w);
    newEntry(w, "02.03.2025");
    enterUnit(w, "7");

    QVERIFY(server.halt());
    Messages::clearShown();
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    const QString name = serverOf(server.address + ":/x")->name();
    QVERIFY2(Messages::shown().first().text.startsWith("Die Verbindung zum Datenbankserver " + name
                                                       + " ist unterbrochen."),
             qPrintable(Messages::shown().first().text));
    QCOMPARE(control<DateEdit>(w, "DateEdit1")->text(), QString("02.03.2025"));
    QCOMPARE(units(w)->cells(1, 1), QString("7 km "));
    QVERIFY(w->hasUnsavedChanges());

    // back again: the same click saves, and the first entry is still there
    QVERIFY(server.resume());
    Messages::clearShown();
    save(w);
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    QCOMPARE(rows(f.session(), "SELECT Datum FROM main ORDER BY Datum"), QString("01.03.2025,02.03.2025"));
    QCOMPARE(rows(f.session(), "SELECT strecke FROM units ORDER BY strecke"), QString("5,7"));
}

void TestServerDiary::silentServerIsNamedAfterTheLimit()
{
    REQUIRE_SERVER();
    PrivateServer server;
    if (const QString failed = server.start(); !failed.isEmpty())
        QFAIL(qPrintable(failed));
    TestFolder there;
    writeAlias(there, server.database());
    EditorFixture f(&there);
    QVERIFY(f.main().startedUp());
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w, "02.03.2025");
    enterUnit(w, "7");

    Database::setWaitLimits(1, 3);
    QVERIFY(server.freeze());
    // goes on by itself after a while, so that a save waiting for it shows as a failure, not a hang
    std::promise<void> saved;
    std::thread thawing([&, done = saved.get_future()] {
        done.wait_for(std::chrono::seconds(12));
        server.thaw();
    });
    const auto restore = qScopeGuard([&] {
        if (thawing.joinable()) {
            saved.set_value();
            thawing.join();
        }
        Database::setWaitLimits(10, 15);
    });
    Messages::clearShown();
    QElapsedTimer clock;
    clock.start();
    save(w);
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY2(Messages::shown().first().text.startsWith("Der Datenbankserver " + serverOf(server.address + ":/x")->name()
                                                       + " antwortet nicht."),
             qPrintable(Messages::shown().first().text));
    QCOMPARE(units(w)->cells(1, 1), QString("7 km "));
    QVERIFY(w->hasUnsavedChanges());

    // going on again, the same click saves
    saved.set_value();
    thawing.join();
    Messages::clearShown();
    save(w);
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    QCOMPARE(rows(f.session(), "SELECT strecke FROM units"), QString("7"));
}


// Over a slow link each wait for the server counts: what the editor shows
// comes with few statements, each prepared once a session.
void TestServerDiary::editorStepsTakeFewRoundTrips()
{
    REQUIRE_SERVER();
    TestFolder direct;
    const QString database = aliasOf(direct).section(':', 1);
    DelayRelay relay(quint16(testServer().address.section('/', 1).toUInt()), 0);
    writeAlias(direct, "127.0.0.1/" + QString::number(relay.port()) + ":" + database);
    EditorFixture f(&direct);
    const int user = f.addUser();
    f.exec("INSERT INTO schuhe (ID, modell, MaxLeistung, prevLeistung, UserID) VALUES (gen_id(Gen_Schuhe,1), "
           "'Wolke', 800, 0, " + quoted(user) + ")");
    for (int day = 1; day <= 20; ++day) {
        const int entry = f.addEntry(user, QString("%1.03.2025").arg(day, 2, 10, QChar('0')), "08:00:00",
                                     day % 2 ? "Wolke" : "");
        f.addUnit(entry, 1, "5");
        f.addUnit(entry, 2, "2.5");
    }
    const auto tripsOf = [&](const std::function<void()>& step) {
        relay.resetRoundTrips();
        step();
        QCoreApplication::processEvents();
        return relay.roundTrips();
    };
    f.closeEditor();
    f.openEditor(user);
    f.discardEditor();
    TForm4* w = nullptr;
    // the person chosen in the main window already: only the editor's reads
    const int opening = tripsOf([&] { f.main().ToolButton3->click(); });
    w = TForm4::findOpen(user);
    QVERIFY(w);
    QVERIFY2(opening <= 10, qPrintable(QString::number(opening)));
    for (const char* button : {"ToolButton4", "ToolButton3", "ToolButton5"}) {
        const int paging = tripsOf([&] { tool(w, button)->click(); });
        // the entry with its units, the diary's mark and a shoe not shown before
        QVERIFY2(paging <= 5, qPrintable(QString(button) + ": " + QString::number(paging)));
        // the shoe's limits and kilometres as read at the opening
        if (control<QComboBox>(w, "ComboBox2")->currentText() == "Wolke")
            QCOMPARE(control<QLabel>(w, "Label24")->text(), QString("75,0 km"));
    }
    const int list = tripsOf([&] { tool(w, "ToolButton8")->click(); });
    QVERIFY2(list <= 5, qPrintable(QString::number(list)));
    QCOMPARE(control<StringGrid>(w, "StringAlignGrid2")->rowCount(), 21);

    tool(w, "ToolButton12")->click();
    tool(w, "ToolButton13")->click();
    control<QComboBox>(w, "ComboBox1")->setEditText("Schnee");
    const int saving = tripsOf([&] { save(w); });
    // the check for a change elsewhere, the entry with its units, the best times
    // before and after, the list, the sums and the main window's overview
    QVERIFY2(saving <= 16, qPrintable(QString::number(saving)));
    QVERIFY(Messages::shown().isEmpty());
}

QTEST_MAIN(TestServerDiary)
#include "tst_server.moc"
