#include "database.h"
#include "datafiles.h"
#include "query.h"
#include "session.h"
#include "storageerror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <ibase.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kDefaultConfig = "[Sportarten]\r\nItems=Laufen%Radfahren%Schwimmen%\r\n";

QByteArray aliasBlock(const QString& folder)
{
    return QByteArray("# Datenbankalias\r\n# Datei darf nicht ver\xE4ndert werden\r\nworkout=")
           + QFile::encodeName(folder + "Database/data.fdb") + "\r\n";
}

QStringList column(Session& s, const QString& sql)
{
    QStringList out;
    Query q(s.ZDatabase1);
    q.open(sql);
    for (q.first(); !q.eof(); q.next())
        out << q.field(0).asString();
    return out;
}

QStringList userTables(Session& s)
{
    return column(s, "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 "
                     "ORDER BY RDB$RELATION_NAME");
}

QStringList generators(Session& s)
{
    return column(s, "SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG = 0 "
                     "ORDER BY RDB$GENERATOR_NAME");
}

QStringList ownIndexes(Session& s)
{
    return column(s, "SELECT TRIM(RDB$INDEX_NAME) || ':' || TRIM(RDB$RELATION_NAME) FROM RDB$INDICES "
                     "WHERE RDB$INDEX_NAME STARTING WITH 'IX_' ORDER BY RDB$INDEX_NAME");
}

void open(Session& s, const QString& folder)
{
    datafiles::openStorage(s, folder);
}

// A user of the machine other than the one running the tests: a folder of
// theirs with a home and a program folder, and the program's opening steps
// started as them (through setpriv when the tests run as root, else as the
// running user, whom file permissions bind all the same).
class OtherUser
{
public:
    explicit OtherUser(uint uid) : m_uid(uid)
    {
        QDir().mkpath(home());
        QDir().mkpath(program());
        for (const QString& path : {m_dir.path(), home(), program()})
            (void)::chown(QFile::encodeName(path).constData(), uid, uid);
        m_env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"FIREBIRD_LOCK", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"})
            m_env.remove(name);
        m_env.insert("HOME", home());
        // A copy the user can reach: the build folder may lie in a home of
        // its own that others cannot enter.
        QFile::copy(TRAMORA_OPENDIARY, opener());
        QFile::setPermissions(opener(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                            | QFileDevice::ExeOther);
    }
    static bool possible() { return ::geteuid() == 0 && !QStandardPaths::findExecutable("setpriv").isEmpty(); }

    QString home() const { return m_dir.path() + "/home"; }
    QString program() const { return m_dir.path() + "/program/"; }
    QString opener() const { return m_dir.path() + "/opendiary"; }
    QProcessEnvironment& env() { return m_env; }

    // A folder of this user's.
    QString ownFolder(const QString& name) const
    {
        const QString path = m_dir.path() + '/' + name;
        QDir().mkpath(path);
        (void)::chown(QFile::encodeName(path).constData(), m_uid, m_uid);
        ::chmod(QFile::encodeName(path).constData(), 0700);
        return path;
    }

    void start(QProcess& process) const
    {
        process.setProcessEnvironment(m_env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (::geteuid() == 0)
            process.start("setpriv", {QStringLiteral("--reuid=%1").arg(m_uid), QStringLiteral("--regid=%1").arg(m_uid),
                                      "--clear-groups", opener(), program()});
        else
            process.start(opener(), {program()});
    }
    // The first line of what the opening said, and the rest; code the exit code.
    QString open(int* code = nullptr) const
    {
        QProcess process;
        start(process);
        process.waitForFinished(60000);
        if (code)
            *code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromUtf8(process.readAll());
    }

    uint uid() const { return m_uid; }

private:
    uint m_uid;
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

// The folder's owner, and its permission bits; -1, -1 when it is not there.
QPair<int, int> ownerAndMode(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {-1, -1};
    return {int(info.st_uid), int(info.st_mode & 0777)};
}

} // namespace

class TestDataFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartInEmptyFolder();
    void secondStartWritesNothing();
    void missingTableIsCreatedAlone();
    void indexesAreAddedToEarlierDatabases();
    void earlierDurationColumnIsWidenedOnce();
    void deletedZonesStayDeleted();
    void deletedSettingsFileIsRecreated();
    void movedFolderAppendsSecondAlias();
    void umlautsAreStoredAsCodePage1252();
    void unwritableAliasFileStopsOpening();
    void foldersOfAnyNameOpenAgain();
    void unreadableTableIsNotCreatedAnew();
    void engineErrorsShowFileNamesAsGiven();
    void interruptedFirstStartLeavesNoDatabase();
    void engineFailuresNameTheirCause();
    void diaryInUnwritableProgramFolder();
    void everyUserOpensTheirOwnDiary();
    void brokenDatabaseFilesNameTheirCause();
    void writeProtectedAliasFileDoesNotStopTheStart();
};

void TestDataFiles::firstStartInEmptyFolder()
{
    TestFolder dir;
    Session s;
    open(s, dir.path());

    QCOMPARE(s.programFolder, dir.path());
    QCOMPARE(s.settingsPath, dir.file("config.ini"));
    QCOMPARE(readBytes(dir.file("config.ini")), kDefaultConfig);
    QCOMPARE(readBytes(dir.file("aliases.conf")), aliasBlock(dir.path()));
    QVERIFY(QFileInfo(dir.file("Database/data.fdb")).isFile());

    QCOMPARE(userTables(s), QStringList({"BEREICHE", "BESTZEITEN", "MAIN", "SCHUHE", "STRECKEN", "UNITS", "USERS", "VERLAUF",
                                          "WETTKAMPF", "ZIELE"}));
    QCOMPARE(generators(s), QStringList({"GEN_BEREICH", "GEN_MAIN", "GEN_SCHUHE", "GEN_STRECKEN",
                                         "GEN_UNITS", "GEN_USERS", "GEN_WETTKAMPF"}));
    QCOMPARE(scalar(s, "SELECT MON$PAGE_SIZE FROM MON$DATABASE"), QString("4096"));
    QCOMPARE(scalar(s, "SELECT MON$SQL_DIALECT FROM MON$DATABASE"), QString("3"));
    QCOMPARE(scalar(s, "SELECT MON$FORCED_WRITES FROM MON$DATABASE"), QString("1"));

    Query q(s.ZDatabase1);
    q.open("SELECT ID, TrBereich, minHF, maxHF FROM bereiche ORDER BY ID");
    const QStringList expected = {
        "1;Einlaufen / Auslaufen;0;0", "2;Fahrtspiel;0;0",       "3;regenerativer DL;65;68",
        "4;extensiver DL;68;72",       "5;mittelintensiver DL;72;76", "6;intensiver DL;76;80",
        "7;Tempodauerlauf 1;80;84",    "8;Tempodauerlauf 2;84;90", "9;intensiver TDL;90;95",
        QString::fromUtf8("10;Wiederholungsläufe;90;95"), "11;Wettkampf;90;100"};
    QStringList zones;
    for (; !q.eof(); q.next())
        zones << QStringList{q.field(0).asString(), q.field(1).asString(), q.field(2).asString(),
                             q.field(3).asString()}.join(';');
    QCOMPARE(zones, expected);
    QCOMPARE(scalar(s, "SELECT COUNT(*) FROM users"), QString("0"));
}

void TestDataFiles::secondStartWritesNothing()
{
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
    }
    const QByteArray config = readBytes(dir.file("config.ini"));
    const QByteArray aliases = readBytes(dir.file("aliases.conf"));
    const QDateTime configTime = QFileInfo(dir.file("config.ini")).lastModified();

    Session s;
    open(s, dir.path());
    QCOMPARE(readBytes(dir.file("config.ini")), config);
    QCOMPARE(readBytes(dir.file("aliases.conf")), aliases);
    QCOMPARE(QFileInfo(dir.file("config.ini")).lastModified(), configTime);
    QCOMPARE(scalar(s, "SELECT COUNT(*) FROM bereiche"), QString("11"));
    QCOMPARE(generators(s).size(), 7);
    QCOMPARE(ownIndexes(s), QStringList({"IX_BESTZEITEN_DATUM:BESTZEITEN", "IX_BESTZEITEN_ZEIT:BESTZEITEN", "IX_MAIN_USERID_DATUM:MAIN",
                                        "IX_MAIN_USERID_SCHUHE:MAIN", "IX_UNITS_MAINID:UNITS"}));
    // the generators went on from where they were
    QCOMPARE(scalar(s, "SELECT GEN_ID(Gen_Bereich, 0) FROM RDB$DATABASE"), QString("11"));
}

void TestDataFiles::missingTableIsCreatedAlone()
{
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
        s.ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                             "VALUES (gen_id(Gen_Users,1), 'Muster', 'Erika', '01.02.1980', '1')");
        s.ZDatabase1.execute("DELETE FROM bereiche WHERE ID = '2'");
        s.ZDatabase1.execute("DROP TABLE strecken");
        s.ZDatabase1.execute("DROP TABLE verlauf"); // a diary from before courses were kept
    }
    Session s;
    open(s, dir.path());
    QVERIFY(userTables(s).contains("STRECKEN"));
    QVERIFY(userTables(s).contains("VERLAUF"));
    QCOMPARE(scalar(s, "SELECT Name FROM users"), QString("Muster"));
    QCOMPARE(scalar(s, "SELECT COUNT(*) FROM bereiche"), QString("10"));
}

void TestDataFiles::indexesAreAddedToEarlierDatabases()
{
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
        s.ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                             "VALUES (gen_id(Gen_Users,1), 'Muster', 'Erika', '01.02.1980', '1')");
        s.ZDatabase1.execute("DROP INDEX IX_UNITS_MAINID");
        s.ZDatabase1.execute("DROP INDEX IX_MAIN_USERID_DATUM");
        s.ZDatabase1.execute("DROP INDEX IX_MAIN_USERID_SCHUHE");
        s.ZDatabase1.execute("DROP INDEX IX_BESTZEITEN_ZEIT");
        s.ZDatabase1.execute("DROP INDEX IX_BESTZEITEN_DATUM");
        QCOMPARE(ownIndexes(s), QStringList());
    }
    for (int start = 0; start < 2; ++start) {
        Session s;
        open(s, dir.path());
        QCOMPARE(ownIndexes(s), QStringList({"IX_BESTZEITEN_DATUM:BESTZEITEN", "IX_BESTZEITEN_ZEIT:BESTZEITEN", "IX_MAIN_USERID_DATUM:MAIN",
                                        "IX_MAIN_USERID_SCHUHE:MAIN", "IX_UNITS_MAINID:UNITS"}));
        QCOMPARE(scalar(s, "SELECT Name FROM users"), QString("Muster"));
    }
}

void TestDataFiles::earlierDurationColumnIsWidenedOnce()
{
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
        // A diary of an earlier version: durations four characters wide.
        s.ZDatabase1.execute("DROP TABLE main");
        s.ZDatabase1.execute("CREATE TABLE main (ID\t INTEGER NOT NULL PRIMARY KEY,Datum DATE NOT NULL,Uhrzeit TIME, "
                             "Wetter CHAR(40),Schuhe CHAR(40),Ruhepuls SMALLINT,Kategorie CHAR(40),Notizen CHAR(255),"
                             "Befinden CHAR(255),UserID SMALLINT NOT NULL,Gewicht DOUBLE PRECISION,"
                             "Dauer Char(4) DEFAULT '0:00' NOT NULL)");
        s.ZDatabase1.execute("INSERT INTO main (ID, Datum, UserID, Dauer) VALUES (gen_id(Gen_Main,1), '01.03.2025', '1', "
                             "'9:59')");
    }
    const QString width = "SELECT f.RDB$FIELD_LENGTH FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f "
                          "ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                          "WHERE rf.RDB$RELATION_NAME = 'MAIN' AND rf.RDB$FIELD_NAME = 'DAUER'";
    const QString formats = "SELECT COUNT(*) FROM RDB$FORMATS f JOIN RDB$RELATIONS r ON r.RDB$RELATION_ID = "
                            "f.RDB$RELATION_ID WHERE r.RDB$RELATION_NAME = 'MAIN'";
    QString formatsAfterFirst;
    for (int start = 0; start < 2; ++start) {
        Session s;
        open(s, dir.path());
        QCOMPARE(scalar(s, width), QString("5"));
        if (start == 0)
            formatsAfterFirst = scalar(s, formats);
        QCOMPARE(scalar(s, formats), formatsAfterFirst); // the second start changes nothing
        QCOMPARE(scalar(s, "SELECT Dauer FROM main"), QString("9:59"));
    }
    Session s;
    open(s, dir.path());
    s.ZDatabase1.execute("UPDATE main SET Dauer = '12:30'");
    QCOMPARE(scalar(s, "SELECT Dauer FROM main"), QString("12:30"));
    QCOMPARE(scalar(s, "SELECT Dauer FROM main WHERE Dauer = '12:30'"), QString("12:30"));
}

void TestDataFiles::deletedZonesStayDeleted()
{
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
        s.ZDatabase1.execute("DELETE FROM bereiche");
    }
    {
        Session s;
        open(s, dir.path());
        QCOMPARE(scalar(s, "SELECT COUNT(*) FROM bereiche"), QString("0"));
        // as a first start cut off on a server leaves it: the zone table
        // made, its zones not yet, and the tables after it missing
        s.ZDatabase1.execute("DROP TABLE users");
        s.ZDatabase1.execute("DROP TABLE strecken");
    }
    Session s;
    open(s, dir.path());
    QCOMPARE(scalar(s, "SELECT COUNT(*) FROM bereiche"), QString("11"));
}

void TestDataFiles::deletedSettingsFileIsRecreated()
{
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
        IniFile ini = s.settings();
        ini.writeBool("Statistik", "3D", true);
        ini.commit();
        s.ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                             "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.02.1980', '0')");
    }
    QVERIFY(QFile::remove(dir.file("config.ini")));
    Session s;
    open(s, dir.path());
    QCOMPARE(readBytes(dir.file("config.ini")), kDefaultConfig);
    QCOMPARE(s.settings().readBool("Statistik", "3D", false), false);
    QCOMPARE(scalar(s, "SELECT Vorname FROM users"), QString("Max"));
}

void TestDataFiles::movedFolderAppendsSecondAlias()
{
    TestFolder first;
    {
        Session s;
        open(s, first.path());
        s.ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                             "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.02.1980', '0')");
    }
    TestFolder target;
    const QString moved = target.path() + "Diary Moved/";
    QVERIFY(QDir().mkpath(moved + "Database"));
    for (const QString& name : {QString("config.ini"), QString("aliases.conf"), QString("Database/data.fdb")})
        QVERIFY(QFile::copy(first.file(name), moved + name));
    QVERIFY(QFile::remove(first.file("Database/data.fdb"))); // the old place is gone

    Session s;
    open(s, moved);
    QCOMPARE(readBytes(moved + "aliases.conf"), aliasBlock(first.path()) + aliasBlock(moved));
    QCOMPARE(scalar(s, "SELECT Vorname FROM users"), QString("Max"));
}

void TestDataFiles::umlautsAreStoredAsCodePage1252()
{
    TestFolder dir;
    Session s;
    open(s, dir.path());
    QCOMPARE(scalar(s, "SELECT ASCII_VAL(SUBSTRING(TrBereich FROM 15 FOR 1)) FROM bereiche WHERE ID = '10'"),
             QString("228"));
    QCOMPARE(scalar(s, "SELECT CHAR_LENGTH(TRIM(TrBereich)) FROM bereiche WHERE ID = '10'"), QString("18"));
    s.ZDatabase1.execute(QString::fromUtf8("UPDATE bereiche SET TrBereich = 'Läufe 5 €' WHERE ID = '1'"));
    QCOMPARE(scalar(s, "SELECT ASCII_VAL(SUBSTRING(TrBereich FROM 9 FOR 1)) FROM bereiche WHERE ID = '1'"),
             QString("128"));
    QCOMPARE(scalar(s, "SELECT TrBereich FROM bereiche WHERE ID = '1'"), QString::fromUtf8("Läufe 5 €"));
}

void TestDataFiles::unwritableAliasFileStopsOpening()
{
    TestFolder dir;
    QVERIFY(QDir().mkdir(dir.file("aliases.conf"))); // a folder where the file should be
    Session s;
    QVERIFY_THROWS_EXCEPTION(StorageError, open(s, dir.path()));
    QVERIFY(!s.ZDatabase1.isConnected());
    QVERIFY(!QFileInfo::exists(dir.file("Database/data.fdb")));
    QCOMPARE(readBytes(dir.file("config.ini")), kDefaultConfig);
}

void TestDataFiles::foldersOfAnyNameOpenAgain()
{
    TestFolder root;
    // "Jürgen" fits code page 1252 and is stored in it; "Łódź" does not and
    // is stored as the file name the engine receives
    const QList<QPair<QString, QByteArray>> folders = {
        {QString::fromUtf8("J\u00fcrgen"), QByteArray("J\xFCrgen")},
        {QString::fromUtf8("\u0141\u00f3d\u017a"), QString::fromUtf8("\u0141\u00f3d\u017a").toUtf8()}};
    for (const auto& [name, stored] : folders) {
        const QString folder = root.path() + name + "/";
        QVERIFY(QDir().mkpath(folder));
        {
            Session s;
            open(s, folder);
            s.ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                                 "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.02.1980', '0')");
        }
        const QByteArray block = readBytes(folder + "aliases.conf");
        QVERIFY2(block.endsWith("/" + stored + "/Database/data.fdb\r\n"), block.constData());
        Session s;
        open(s, folder);
        QCOMPARE(readBytes(folder + "aliases.conf"), block);
        QCOMPARE(scalar(s, "SELECT Vorname FROM users"), QString("Max"));
    }
}

void TestDataFiles::unreadableTableIsNotCreatedAnew()
{
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
        s.ZDatabase1.execute("INSERT INTO schuhe (ID, modell, UserID) VALUES (gen_id(Gen_Schuhe,1), 'Racer', '1')");
        s.ZDatabase1.execute("ALTER TABLE schuhe ADD broken COMPUTED BY (1 / 0)");
        QVERIFY_THROWS_EXCEPTION(StorageError, s.ZDatabase1.select("SELECT * FROM schuhe"));
    }
    Session s;
    open(s, dir.path());
    QCOMPARE(scalar(s, "SELECT modell FROM schuhe"), QString("Racer"));
    QCOMPARE(scalar(s, "SELECT GEN_ID(Gen_Schuhe, 0) FROM RDB$DATABASE"), QString("1"));
}

void TestDataFiles::engineErrorsShowFileNamesAsGiven()
{
    TestFolder root;
    const QString folder = root.path() + QString::fromUtf8("j\u00fcrgen \u0141\u00f3d\u017a/");
    QVERIFY(QDir().mkpath(folder + "Database"));
    QFile broken(folder + "Database/data.fdb");
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(8192, 'x'));
    broken.close();
    Session s;
    try {
        open(s, folder);
        QFAIL("a file that is no database was opened");
    } catch (const StorageError& e) {
        // the error of the file that is there, not of creating it anew, in
        // German, with the engine's words below
        QVERIFY2(e.message().contains(folder + "Database/data.fdb"), qPrintable(e.message()));
        QVERIFY2(e.message().contains("keine Tagebuch-Datenbank"), qPrintable(e.message()));
        QVERIFY2(e.detail().contains(folder + "Database/data.fdb"), qPrintable(e.detail()));
        QVERIFY2(!e.detail().contains("exists"), qPrintable(e.detail()));
    }
    QCOMPARE(readBytes(folder + "Database/data.fdb"), QByteArray(8192, 'x'));
}

void TestDataFiles::interruptedFirstStartLeavesNoDatabase()
{
    struct Stop
    {
    };
    int steps = 0;
    datafiles::setCreationStepHook([&] { ++steps; });
    {
        TestFolder dir;
        Session s;
        open(s, dir.path());
    }
    QVERIFY(steps > 6 + 6 + 11);
    const int total = steps;
    for (int stop = 0; stop < total; ++stop) {
        TestFolder dir;
        steps = 0;
        datafiles::setCreationStepHook([&] {
            if (steps++ == stop)
                throw Stop();
        });
        {
            Session s;
            QVERIFY_THROWS_EXCEPTION(Stop, open(s, dir.path()));
        }
        datafiles::setCreationStepHook({});
        // only the last step, after the renaming, finds the diary in place
        QCOMPARE(QFileInfo::exists(dir.file("Database/data.fdb")), stop == total - 1);
        // what a cut-off start left is the same after each step: the next
        // start is tried on a few of them, the first, middle and last
        if (stop % 8 != 0 && stop < total - 2)
            continue;
        Session s;
        open(s, dir.path());
        QCOMPARE(userTables(s).size(), 10);
        QCOMPARE(generators(s).size(), 7);
        QCOMPARE(ownIndexes(s).size(), 5);
        QCOMPARE(scalar(s, "SELECT COUNT(*) || ':' || MAX(ID) FROM bereiche"), QString("11:11"));
        QVERIFY(!QFileInfo::exists(datafiles::partialDatabasePath(dir.path())));
    }

    // A diary with data is never replaced, not by what an interrupted start left beside it either.
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
        s.ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                             "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.02.1980', '0')");
    }
    QFile partial(datafiles::partialDatabasePath(dir.path()));
    QVERIFY(partial.open(QIODevice::WriteOnly));
    partial.write(QByteArray(4096, 'x'));
    partial.close();
    Session s;
    open(s, dir.path());
    QCOMPARE(scalar(s, "SELECT Vorname FROM users"), QString("Max"));
}

void TestDataFiles::engineFailuresNameTheirCause()
{
    const QByteArray file = "/diary/Database/data.fdb";
    const auto ioError = [&](const char* operation, intptr_t error) {
        return std::vector<intptr_t>{isc_arg_gds,    isc_io_error,
                                     isc_arg_string, intptr_t(operation),
                                     isc_arg_string, intptr_t(file.constData()),
                                     isc_arg_gds,    isc_io_write_err,
                                     isc_arg_unix,   error,
                                     isc_arg_end};
    };
    const auto gds = [](intptr_t code) { return std::vector<intptr_t>{isc_arg_gds, code, isc_arg_end}; };
    const QList<QPair<std::vector<intptr_t>, QString>> cases = {
        {ioError("write", ENOSPC), "kein Platz mehr frei"},
        {ioError("open", EACCES), "Berechtigung"},
        {ioError("open", EROFS), "Berechtigung"},
        {ioError("open", EAGAIN), "anderen Kopie des Programms"},
        {gds(isc_lock_timeout), "anderen Kopie des Programms"},
        {gds(isc_bug_check), "beschädigt"},
        {gds(isc_bad_db_format), "keine Tagebuch-Datenbank"},
        {gds(isc_network_error), "Datenbankserver ist nicht erreichbar"},
        {{isc_arg_gds, isc_no_priv, isc_arg_string, intptr_t("read-write"), isc_arg_string, intptr_t("database"),
          isc_arg_string, intptr_t(file.constData()), isc_arg_end},
         "schreibgeschützt"},
    };
    for (const auto& [vector, cause] : cases) {
        const StorageError e = engineError(vector.data(), "the engine's words");
        QVERIFY2(e.message().contains(cause), qPrintable(e.message()));
        QCOMPARE(e.detail(), QString("the engine's words"));
    }
    QVERIFY(engineError(ioError("write", ENOSPC).data(), "x").message().contains("/diary/Database/data.fdb"));
    // a server that cannot make the diary at its path is named; the system's
    // words arrive from it as text
    const std::vector<intptr_t> notCreated{isc_arg_gds,    isc_io_error,  isc_arg_string, intptr_t("open O_CREAT"),
                                           isc_arg_string, intptr_t(file.constData()), isc_arg_gds, isc_io_create_err,
                                           isc_arg_interpreted, intptr_t("No such file or directory"), isc_arg_end};
    const StorageError onServer = engineError(notCreated.data(), "x", "db.example.org");
    QVERIFY2(onServer.message().contains("/diary/Database/data.fdb")
                 && onServer.message().contains("kann auf dem Datenbankserver db.example.org nicht angelegt werden"),
             qPrintable(onServer.message()));
    // a rejected statement is shown in the engine's words
    const StorageError plain = engineError(gds(isc_random).data(), "string right truncation");
    QCOMPARE(plain.message(), QString("string right truncation"));
    QVERIFY(plain.detail().isEmpty());

    // a database another program holds open
    TestFolder dir;
    {
        Session s;
        open(s, dir.path());
    }
    QProcess holder;
    holder.start("flock", {"-x", dir.file("Database/data.fdb"), "sh", "-c", "echo held; cat"});
    while (!holder.canReadLine())
        QVERIFY(holder.waitForReadyRead());
    Session s;
    try {
        open(s, dir.path());
        QFAIL("a database held by another program was opened");
    } catch (const StorageError& e) {
        QVERIFY2(e.message().contains("anderen Kopie des Programms"), qPrintable(e.message() + " / " + e.detail()));
        QVERIFY(!e.detail().isEmpty());
    }
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished());
}

void TestDataFiles::diaryInUnwritableProgramFolder()
{
    TestFolder exe;
    TestFolder data;
    const QString diary = exe.file("Database/data.fdb");
    bool diaryWritable = true;
    // the program folder and config.ini beside it cannot be written
    const auto probe = [&](const QString& path) {
        return path.startsWith(data.path()) || (path == diary && diaryWritable);
    };

    // an installed program without a diary of its own: the user's folder
    datafiles::Location where = datafiles::locate(exe.path(), data.path(), probe);
    QCOMPARE(where.folder, data.path());
    QCOMPARE(where.settingsPath, data.file("config.ini"));
    QVERIFY(where.notice.isEmpty());

    {
        Session s;
        open(s, exe.path());
        s.ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                             "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.02.1980', '0')");
        IniFile ini = s.settings();
        ini.writeString("Wetter", "Items", "sonnig%");
        ini.commit();
    }
    // a diary that can be written stays in use where it is; the settings
    // go on in the user's folder from those beside it
    where = datafiles::locate(exe.path(), data.path(), probe);
    QCOMPARE(where.folder, exe.path());
    QCOMPARE(where.settingsPath, data.file("config.ini"));
    QVERIFY(where.notice.isEmpty());
    {
        Session s;
        datafiles::openStorage(s, where.folder, where.settingsPath);
        QCOMPARE(scalar(s, "SELECT Vorname FROM users"), QString("Max"));
        QCOMPARE(s.settings().readString("Wetter", "Items", ""), QString("sonnig%"));
    }

    // one that cannot be written is named, with where the new entries go
    diaryWritable = false;
    where = datafiles::locate(exe.path(), data.path(), probe);
    QCOMPARE(where.folder, data.path());
    QVERIFY2(where.notice.contains(diary) && where.notice.contains(data.file("Database/data.fdb"))
                 && where.notice.contains("schreibgeschützt"),
             qPrintable(where.notice));
}

void TestDataFiles::everyUserOpensTheirOwnDiary()
{
    if (!OtherUser::possible())
        QSKIP("starting the program as other users needs root and setpriv");
    // A user outside the engine's group opens a diary of their own; the
    // engine's locks go to their cache (two at once: tests/e2e).
    OtherUser first(65534);
    OtherUser second(65533);
    int code = 0;
    QString said = first.open(&code);
    QVERIFY2(code == 0 && said.startsWith("geöffnet"), qPrintable(said));
    QVERIFY(QFileInfo::exists(datafiles::databasePath(first.program())));
    QCOMPARE(ownerAndMode(first.home() + "/.cache/tramora/firebird-lock"), qMakePair(int(first.uid()), 0700));

    // the desktop's runtime folder comes first
    first.env().insert("XDG_RUNTIME_DIR", first.ownFolder("runtime"));
    said = first.open(&code);
    QVERIFY2(code == 0, qPrintable(said));
    QCOMPARE(ownerAndMode(first.ownFolder("runtime") + "/tramora-firebird"), qMakePair(int(first.uid()), 0700));

    // a lock folder the user chose stays in use
    const QString chosen = second.ownFolder("chosen-lock");
    second.env().insert("FIREBIRD_LOCK", chosen);
    second.env().insert("XDG_RUNTIME_DIR", second.ownFolder("runtime"));
    said = second.open(&code);
    QVERIFY2(code == 0, qPrintable(said));
    QVERIFY(!QDir(chosen).isEmpty(QDir::Files | QDir::Hidden));
    QVERIFY(!QFileInfo::exists(second.ownFolder("runtime") + "/tramora-firebird"));
}

void TestDataFiles::brokenDatabaseFilesNameTheirCause()
{
    TestFolder made;
    {
        Session s;
        open(s, made.path());
    }
    const QByteArray whole = readBytes(datafiles::databasePath(made.path()));
    QVERIFY(whole.size() > 20000);
    const QList<QPair<QByteArray, QString>> files = {
        {QByteArray(), "ist leer oder abgeschnitten"},
        {whole.left(3000), "ist leer oder abgeschnitten"},
        {whole.left(20000), "ist leer oder abgeschnitten"},
        {"folder", "ist ein Ordner und keine Datenbankdatei"},
    };
    for (const auto& [content, cause] : files) {
        TestFolder dir;
        const QString diary = datafiles::databasePath(dir.path());
        QDir().mkpath(diary.section('/', 0, -2));
        if (content == "folder") {
            QVERIFY(QDir().mkdir(diary));
        } else {
            QFile file(diary);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        Session s;
        try {
            open(s, dir.path());
            QFAIL("a broken database file was opened");
        } catch (const StorageError& e) {
            QVERIFY2(e.message().contains(diary) && e.message().contains(cause), qPrintable(e.message()));
            QVERIFY2(e.detail().contains("I/O error"), qPrintable(e.detail()));
        }
        if (content != "folder")
            QCOMPARE(readBytes(diary), content); // left as it was
    }

    // a diary that its user cannot write
    OtherUser user(65534);
    if (::geteuid() == 0 && !OtherUser::possible())
        QSKIP("a write-protected file binds root only through setpriv");
    int code = 0;
    QVERIFY(user.open(&code).startsWith("geöffnet"));
    QVERIFY(QFile::setPermissions(datafiles::databasePath(user.program()), QFileDevice::ReadOwner | QFileDevice::ReadOther));
    const QString said = user.open(&code);
    QCOMPARE(code, 1);
    QVERIFY2(said.startsWith("Die Datenbank (" + datafiles::databasePath(user.program()) + ") ist schreibgeschützt"),
             qPrintable(said));
}

void TestDataFiles::writeProtectedAliasFileDoesNotStopTheStart()
{
    if (::geteuid() == 0 && !OtherUser::possible())
        QSKIP("a write-protected file binds root only through setpriv");
    OtherUser user(65534);
    // the alias file lacks this folder's line and cannot be written; it
    // names a diary elsewhere, which is not the one of this folder
    const QByteArray aliases = "workout=/elsewhere/Database/data.fdb\r\n";
    QFile file(user.program() + "aliases.conf");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(aliases);
    file.close();
    if (::geteuid() != 0)
        QVERIFY(QFile::setPermissions(file.fileName(), QFileDevice::ReadOwner | QFileDevice::ReadOther));
    for (int start = 0; start < 2; ++start) {
        int code = 0;
        const QString said = user.open(&code);
        QVERIFY2(code == 0, qPrintable(said));
        const QStringList lines = said.split('\n');
        QCOMPARE(lines.value(0), QString("geöffnet"));
        QVERIFY2(lines.value(1).startsWith("Die Alias-Datei " + file.fileName() + " konnte nicht ergänzt werden"),
                 qPrintable(said));
    }
    QCOMPARE(readBytes(file.fileName()), aliases);
    QVERIFY(QFileInfo(datafiles::databasePath(user.program())).isFile());
    Session s;
    open(s, user.program());
    QCOMPARE(scalar(s, "SELECT COUNT(*) FROM users"), QString("2"));
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
