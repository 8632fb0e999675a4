#include "datafiles.h"

#include "bestefforts.h"

#include "cp1252.h"
#include "dbserver.h"
#include "query.h"
#include "session.h"
#include "sqltext.h"
#include "storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace datafiles {
namespace {

constexpr Qt::CaseSensitivity kFileNameCase =
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

QString withSeparator(const QString& folder)
{
    QString f = QDir::toNativeSeparators(QDir::cleanPath(folder));
    if (!f.endsWith(QDir::separator()))
        f += QDir::separator();
    return f;
}

bool folderWritable(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// The lines of aliases.conf as stored, without their line ends.
QList<QByteArray> readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// aliases.conf is kept in code page 1252; an alias line whose path the code
// page cannot hold is written in the file system's encoding of names, the
// form in which the engine receives the path.
QByteArray aliasFileBytes(const QString& text)
{
    return cp1252::canHold(text) ? cp1252::encode(text) : QFile::encodeName(text);
}

// The texts a stored line may stand for, the likelier first.
QStringList readings(const QByteArray& line)
{
    const QString asCodePage = cp1252::decode(line);
    const QString asFileName = QFile::decodeName(line);
    if (asFileName == asCodePage || QFile::encodeName(asFileName) != line)
        return {asCodePage};
    if (!cp1252::canHold(asFileName))
        return {asFileName, asCodePage};
    return {asCodePage, asFileName};
}

// The file a line of aliases.conf names for the alias; empty for other lines.
QString aliasTarget(const QString& line, const QString& alias)
{
    if (line.trimmed().startsWith(QLatin1Char('#')))
        return {};
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.left(eq).trimmed().compare(alias, Qt::CaseInsensitive) != 0)
        return {};
    return line.mid(eq + 1).trimmed();
}

[[noreturn]] void cannotWrite(const QString& path)
{
    throw StorageError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden")
                           .arg(QDir::toNativeSeparators(path)));
}

std::function<void()>& creationHook()
{
    static std::function<void()> hook;
    return hook;
}

bool g_creating = false; // a new database is being made

// One step of making a new database is done.
void stepDone()
{
    if (g_creating && creationHook())
        creationHook()();
}

struct Table
{
    const char* name;
    const char* create;
};

const Table kSchuhe{"SCHUHE",
                    "CREATE TABLE schuhe (ID\t INTEGER NOT NULL PRIMARY KEY,modell CHAR(40) NOT NULL,"
                    "MaxLeistung SMALLINT, prevLeistung SMALLINT, UserID SMALLINT NOT NULL)"};
const Table kMain{"MAIN",
                  "CREATE TABLE main (ID\t INTEGER NOT NULL PRIMARY KEY,Datum DATE NOT NULL,Uhrzeit TIME, "
                  "Wetter CHAR(40),Schuhe CHAR(40),Ruhepuls SMALLINT,Kategorie CHAR(40),Notizen CHAR(255),"
                  "Befinden CHAR(255),UserID SMALLINT NOT NULL,Gewicht DOUBLE PRECISION,"
                  "Dauer Char(4) DEFAULT '0:00' NOT NULL)"};
const Table kUnits{"UNITS",
                   "CREATE TABLE units (ID\t INTEGER NOT NULL PRIMARY KEY,MainID INTEGER NOT NULL, "
                   "SubID INTEGER NOT NULL, strecke DOUBLE PRECISION NOT NULL, Zeit TIME,Puls SMALLINT, "
                   "Bereich Char(40))"};
const Table kBereiche{"BEREICHE",
                      "CREATE TABLE bereiche (ID\t INTEGER NOT NULL PRIMARY KEY,TrBereich CHAR(30) NOT NULL,"
                      "minHF SMALLINT DEFAULT 0 NOT NULL ,maxHF SMALLINT DEFAULT 0 NOT NULL )"};
const Table kStrecken{"STRECKEN",
                      "CREATE TABLE strecken (ID\t INTEGER NOT NULL PRIMARY KEY,laenge SMALLINT NOT NULL, "
                      "beschreibung CHAR(100))"};
const Table kUsers{"USERS",
                   "CREATE TABLE Users (ID\tINTEGER NOT NULL PRIMARY KEY,Name CHAR(40) NOT NULL,"
                   "Vorname CHAR(40) NOT NULL,GebDatum DATE NOT NULL,Geschlecht SMALLINT NOT NULL,"
                   "Gewicht FLOAT,Ruhepuls SMALLINT,Maxpuls SMALLINT)"};
// The course of an entry, as its samples in one binary blob (see courses.h).
const Table kVerlauf{"VERLAUF",
                     "CREATE TABLE verlauf (MainID INTEGER NOT NULL PRIMARY KEY, Version SMALLINT NOT NULL, "
                     "Anzahl INTEGER NOT NULL, Daten BLOB SUB_TYPE 0 NOT NULL)"};

// The best efforts of the entries (see bestefforts.h).
const Table kBestzeiten{"BESTZEITEN",
                        "CREATE TABLE bestzeiten (MainID INTEGER NOT NULL, Strecke INTEGER NOT NULL, "
                        "Sekunden DOUBLE PRECISION NOT NULL, Beginn DOUBLE PRECISION NOT NULL, "
                        "Einheit SMALLINT NOT NULL, UserID SMALLINT NOT NULL, Datum DATE NOT NULL, "
                        "Lauf SMALLINT NOT NULL, PRIMARY KEY (MainID, Strecke))"};

// The races a person plans or has run (see races.h), and the distance
// goals of each year (see goals.h).
const Table kWettkampf{"WETTKAMPF",
                       "CREATE TABLE wettkampf (ID INTEGER NOT NULL PRIMARY KEY, UserID SMALLINT NOT NULL, "
                       "Datum DATE NOT NULL, Name CHAR(60) NOT NULL, Strecke DOUBLE PRECISION NOT NULL, "
                       "Zielzeit INTEGER, Notizen CHAR(255))"};
const Table kZiele{"ZIELE",
                   "CREATE TABLE ziele (UserID SMALLINT NOT NULL, Jahr SMALLINT NOT NULL, Sportart CHAR(40) NOT NULL, "
                   "Km DOUBLE PRECISION NOT NULL, PRIMARY KEY (UserID, Jahr, Sportart))"};

struct DefaultZone
{
    const char* name;
    int minHF;
    int maxHF;
};

const DefaultZone kDefaultZones[] = {
    {"Einlaufen / Auslaufen", 0, 0}, {"Fahrtspiel", 0, 0},
    {"regenerativer DL", 65, 68},    {"extensiver DL", 68, 72},
    {"mittelintensiver DL", 72, 76}, {"intensiver DL", 76, 80},
    {"Tempodauerlauf 1", 80, 84},    {"Tempodauerlauf 2", 84, 90},
    {"intensiver TDL", 90, 95},      {"Wiederholungsläufe", 90, 95},
    {"Wettkampf", 90, 100},
};

// The catalogue tells whether the table is there; a table that is there
// but cannot be read is no missing table.
bool tableExists(Query& query, const Table& table)
{
    query.open(QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ")
               + quoted(QString::fromUtf8(table.name)));
    return query.field(0).asInteger() > 0;
}

// True when the table was missing and has been created.
bool ensureTable(Query& query, const Table& table)
{
    if (tableExists(query, table))
        return false;
    query.execSql(QString::fromUtf8(table.create));
    stepDone();
    return true;
}

// Indexes that the file format allows as additions: the units of an entry,
// the entries of a person by date and those of a person's shoe are read at
// every step through the diary, and without them each such read scans the
// whole table.
struct Index
{
    const char* name;
    const char* create;
};

const Index kIndexes[] = {
    {"IX_UNITS_MAINID", "CREATE INDEX IX_UNITS_MAINID ON units (MainID)"},
    {"IX_MAIN_USERID_DATUM", "CREATE INDEX IX_MAIN_USERID_DATUM ON main (UserID, Datum)"},
    {"IX_MAIN_USERID_SCHUHE", "CREATE INDEX IX_MAIN_USERID_SCHUHE ON main (UserID, Schuhe)"},
    // a person's best times over a distance, fastest first, and those of a period
    {"IX_BESTZEITEN_ZEIT", "CREATE INDEX IX_BESTZEITEN_ZEIT ON bestzeiten (UserID, Lauf, Strecke, Sekunden, MainID)"},
    {"IX_BESTZEITEN_DATUM", "CREATE INDEX IX_BESTZEITEN_DATUM ON bestzeiten (UserID, Lauf, Datum)"},
};

// Creates each index that the catalogue does not list yet, also in a
// database made by an earlier version; an existing one is left alone. The
// indexes only make reading faster: a database that refuses them (opened
// read-only, say) is used without them.
void ensureIndexes(Query& query)
{
    for (const Index& index : kIndexes) {
        bool created = false;
        try {
            query.open(QStringLiteral("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME = ")
                       + quoted(QString::fromLatin1(index.name)));
            if (query.field(0).asInteger() == 0) {
                query.execSql(QString::fromLatin1(index.create));
                created = true;
            }
        } catch (const StorageError&) {
            // slower, but the diary works all the same
        }
        if (created)
            stepDone();
    }
    query.close();
}

// A diary's total duration was made four characters wide, up to 9:59; an
// ultra or a day's hike needs five (10:00 to 99:59). The column is widened
// once, in place, keeping every stored value; a wide one is left alone.
// A diary that refuses the change (opened read-only, say) is used as it
// is, and refuses durations of ten hours and more when they are saved.
void widenDuration(Query& query)
{
    bool widened = false;
    try {
        query.open(QStringLiteral("SELECT COALESCE(f.RDB$CHARACTER_LENGTH, f.RDB$FIELD_LENGTH) "
                                  "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f "
                                  "ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                                  "WHERE rf.RDB$RELATION_NAME = 'MAIN' AND rf.RDB$FIELD_NAME = 'DAUER'"));
        if (!query.eof() && query.field(0).asInteger() < 5) {
            query.execSql(QStringLiteral("ALTER TABLE main ALTER COLUMN Dauer TYPE CHAR(5)"));
            widened = true;
        }
    } catch (const StorageError&) {
        // durations stay below ten hours in this diary
    }
    if (widened)
        stepDone();
    query.close();
}

void createGenerator(Query& query, const char* name)
{
    const QString generator = QString::fromUtf8(name);
    query.open(QStringLiteral("SELECT COUNT(*) FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = ")
               + quoted(generator.toUpper()));
    if (query.field(0).asInteger() == 0) {
        query.execSql(QStringLiteral("CREATE GENERATOR ") + generator);
        stepDone();
    }
}

// Makes the database complete under its partial name, then gives it its
// own; a partial file is what a cut-off creation left behind.
void createDatabase(Session& session, const QString& folder)
{
    const QString own = databasePath(folder);
    const QString partial = partialDatabasePath(folder);
    if (QFileInfo::exists(partial) && !QFile::remove(partial))
        cannotWrite(partial);
    g_creating = true;
    try {
        // Nothing uses the file before it is complete, so its pages need
        // not reach the disk one by one; the whole file does before it is
        // given its name, with the engine's page-by-page writing switched on.
        session.ZDatabase1.create(partial, false);
        stepDone();
        CheckDataBases(session.ZDatabase1);
        session.ZDatabase1.disconnect();
        session.ZDatabase1.connect(partial, true);
        session.ZDatabase1.disconnect();
        syncPath(partial, O_RDONLY);
        g_creating = false;
    } catch (...) {
        g_creating = false;
        session.ZDatabase1.disconnect();
        throw;
    }
    // rename() would replace a data.fdb that appeared meanwhile; a link
    // never does.
    const QByteArray from = QFile::encodeName(partial);
    const QByteArray to = QFile::encodeName(own);
    if (::link(from.constData(), to.constData()) != 0)
        cannotWrite(own);
    ::unlink(from.constData());
    syncPath(QFileInfo(own).absolutePath(), O_RDONLY | O_DIRECTORY);
    if (creationHook())
        creationHook()();
    session.ZDatabase1.connect(own);
}

// A diary on a server is made there, at the path the alias line names,
// when the server answers but has no such database yet. Creating never
// replaces an existing file, so when that fails beside a file that is
// there, the first failure is the one that tells what is wrong; where there
// is none, the failure to make it does.
void openServerDiary(Database& db, const QString& target)
{
    try {
        db.connect(target);
    } catch (const StorageError& e) {
        using Reason = StorageError::Reason;
        if (e.reason() != Reason::Other && e.reason() != Reason::Missing && e.reason() != Reason::NoSpace
            && e.reason() != Reason::CannotWrite)
            throw; // out of reach, or not let in
        try {
            db.create(target);
        } catch (const StorageError&) {
            if (e.reason() == StorageError::Reason::Missing)
                throw;
            throw e;
        }
    }
}

} // namespace

void syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Location locate(const QString& executableFolder, const QString& userDataFolder,
                const std::function<bool(const QString&)>& writableProbe)
{
    const auto writable = [&](const QString& path) {
        if (writableProbe)
            return writableProbe(path);
        const QFileInfo info(path);
        return info.exists() && info.isWritable();
    };
    const QString exe = withSeparator(executableFolder);
    const bool installed = QFileInfo::exists(exe + QLatin1String(kInstalledMarker));
    if (QFileInfo(executableFolder).isDir() && writable(exe) && !installed)
        return {exe, settingsPath(exe), {}};

    QString data = userDataFolder;
    if (data.isEmpty())
        data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    data = withSeparator(data);

    // An installed program whose alias file names a diary on a server
    // works on that diary, like one whose diary file can be written.
    const bool onServer = serverOf(resolveAlias(exe, QLatin1String(kAlias))).has_value();
    const QString diary = databasePath(exe);
    if (!onServer && !QFileInfo(diary).isFile())
        return {data, settingsPath(data), {}}; // an installed program: the diary lives with the user

    if (onServer || writable(diary)) {
        // The diary stays where it is; settings that cannot be written
        // there are kept in the user's folder, starting from the ones beside it.
        if (writable(settingsPath(exe)))
            return {exe, settingsPath(exe), {}};
        if (!QFileInfo::exists(settingsPath(data)) && QFileInfo::exists(settingsPath(exe)))
            QFile::copy(settingsPath(exe), settingsPath(data));
        return {exe, settingsPath(data), {}};
    }
    const QString notice =
        QStringLiteral("Das Tagebuch in %1 kann nicht benutzt werden: Die Datei ist schreibgeschützt oder es fehlt "
                       "die Berechtigung, sie zu schreiben. Ihre bisherigen Daten liegen weiter dort. Bis die Datei "
                       "wieder geschrieben werden kann, arbeitet das Programm mit dem Tagebuch in %2.")
            .arg(QDir::toNativeSeparators(diary), QDir::toNativeSeparators(databasePath(data)));
    return {data, settingsPath(data), notice};
}

QString programFolder(const QString& executableFolder)
{
    return locate(executableFolder).folder;
}

QString partialDatabasePath(const QString& programFolder)
{
    return databasePath(programFolder) + QStringLiteral(".partial");
}

void setCreationStepHook(std::function<void()> hook)
{
    creationHook() = std::move(hook);
}

QString settingsPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("config.ini");
}

QString aliasFilePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("aliases.conf");
}

QString databasePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("Database") + QDir::separator() + QStringLiteral("data.fdb");
}

void ensureSettingsFile(const QString& path)
{
    // an empty file is what a full disk left of it
    if (QFileInfo(path).size() > 0)
        return;
    IniFile settings(path);
    settings.writeString(QStringLiteral("Sportarten"), QStringLiteral("Items"), QStringLiteral("Laufen%Radfahren%Schwimmen%"));
    settings.commit();
}

QString ensureAlias(const QString& folder)
{
    const QString path = aliasFilePath(folder);
    const QString aliasLine = QLatin1String(kAlias) + QLatin1Char('=') + databasePath(folder);
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            cannotWrite(path);
    }
    for (const QByteArray& line : readLines(path)) {
        for (const QString& text : readings(line)) {
            // a diary on a server needs no line for this folder
            if (text.compare(aliasLine, kFileNameCase) == 0 || serverOf(aliasTarget(text, QLatin1String(kAlias))))
                return aliasLine;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::Append))
        cannotWrite(path);
    // a file whose last line lacks its line end gets one first
    QByteArray block;
    if (file.size() > 0) {
        QFile reader(path);
        if (reader.open(QIODevice::ReadOnly) && reader.seek(reader.size() - 1) && reader.read(1) != "\n")
            block += "\r\n";
    }
    block += cp1252::encode(QStringLiteral("# Datenbankalias\r\n# Datei darf nicht verändert werden\r\n"));
    block += aliasFileBytes(aliasLine) + "\r\n";
    if (file.write(block) < 0)
        cannotWrite(path);
    return aliasLine;
}

QString resolveAlias(const QString& folder, const QString& alias)
{
    const QString own = databasePath(folder);
    QString ownLine;
    QString last;
    QString server;
    for (const QByteArray& bytes : readLines(aliasFilePath(folder))) {
        const QStringList texts = readings(bytes);
        for (const QString& text : texts) {
            const QString target = aliasTarget(text, alias);
            if (ownLine.isEmpty() && !target.isEmpty() && target.compare(own, kFileNameCase) == 0)
                ownLine = target;
        }
        if (const QString target = aliasTarget(texts.first(), alias); !target.isEmpty()) {
            last = target;
            if (serverOf(target))
                server = target;
        }
    }
    if (!server.isEmpty())
        return server;
    return ownLine.isEmpty() ? last : ownLine;
}

QString openStorage(Session& session, const QString& folder, const QString& settings)
{
    session.programFolder = folder;
    session.settingsPath = settings.isEmpty() ? settingsPath(folder) : settings;
    session.settingsNotice = IniFile::setAsideWhenTooLarge(session.settingsPath);
    ensureSettingsFile(session.settingsPath);
    QString notice;
    bool aliasWritten = true;
    try {
        ensureAlias(folder);
    } catch (const StorageError&) {
        aliasWritten = false;
        // A diary kept in a folder that cannot be written is found by its
        // path, without its alias line; so is one beside an alias file that
        // is write-protected, which the user is told. Anything else where
        // the alias file should be must be put right first.
        const bool keptInPlace = !folderWritable(folder) && QFileInfo(databasePath(folder)).isFile();
        if (!keptInPlace && QFileInfo(aliasFilePath(folder)).isFile())
            notice = QStringLiteral("Die Alias-Datei %1 konnte nicht ergänzt werden: Sie ist schreibgeschützt oder "
                                    "es fehlt die Berechtigung, sie zu schreiben. Das Tagebuch wird trotzdem benutzt.")
                         .arg(QDir::toNativeSeparators(aliasFilePath(folder)));
        else if (!keptInPlace)
            throw;
    }
    QString target = resolveAlias(folder, QLatin1String(kAlias));
    if (serverOf(target)) {
        openServerDiary(session.ZDatabase1, target);
        CheckDataBases(session.ZDatabase1);
        return {};
    }
    QDir().mkdir(folder + QStringLiteral("Database")); // a failure shows when the database is created

    // Without its own line the file may name a diary of another folder.
    if (!aliasWritten || (target.isEmpty() && QFileInfo(databasePath(folder)).isFile()))
        target = QFileInfo(databasePath(folder)).isFile() ? databasePath(folder) : QString();
    bool connected = false;
    if (!target.isEmpty()) {
        try {
            session.ZDatabase1.connect(target);
            connected = true;
        } catch (const StorageError&) {
            // A database file that is there but cannot be opened is reported
            // as it is; creating it anew would only fail on the existing file.
            if (QFileInfo::exists(databasePath(folder)))
                throw;
        }
    }
    if (!connected)
        createDatabase(session, folder);
    else if (QFileInfo::exists(partialDatabasePath(folder)))
        QFile::remove(partialDatabasePath(folder)); // left by a creation cut off, never a diary
    CheckDataBases(session.ZDatabase1);
    return notice;
}

void CheckDataBases(Database& db)
{
    Query query(db);
    ensureTable(query, kSchuhe);
    createGenerator(query, "Gen_Schuhe");
    ensureTable(query, kMain);
    widenDuration(query);
    createGenerator(query, "Gen_Main");
    ensureTable(query, kUnits);
    createGenerator(query, "Gen_Units");
    createGenerator(query, "Gen_Bereich");
    // The engine lets a new table be written only once its creation is
    // committed, so the default zones follow in a transaction of their own,
    // all or none. A first start cut off before they were written leaves the
    // zone table empty and the person table, made after it, missing: the
    // next start writes them then. Beside the person table an empty zone
    // table is the user's doing and stays empty.
    const bool zonesMade = ensureTable(query, kBereiche);
    const auto zonesEmpty = [&] {
        query.openFirst(QStringLiteral("SELECT ID FROM bereiche"));
        return query.eof();
    };
    if (zonesMade || (!tableExists(query, kUsers) && zonesEmpty())) {
        Transaction transaction(query.database());
        for (const DefaultZone& zone : kDefaultZones) {
            query.execSql(QStringLiteral("INSERT INTO bereiche (ID, TrBereich, minHF, maxHF) VALUES "
                                         "(gen_id(Gen_Bereich,1),")
                          + quoted(QString::fromUtf8(zone.name)) + QLatin1Char(',') + quoted(zone.minHF)
                          + QLatin1Char(',') + quoted(zone.maxHF) + QLatin1Char(')'));
            stepDone();
        }
        transaction.commit();
    }
    ensureTable(query, kStrecken);
    createGenerator(query, "Gen_Strecken");
    ensureTable(query, kUsers);
    createGenerator(query, "Gen_Users");
    ensureTable(query, kVerlauf);
    // A diary whose entries were stored before there were best efforts
    // gets them once, when their table is made.
    if (ensureTable(query, kBestzeiten)) {
        query.close();
        BestEfforts::computeAll(query.database());
    }
    ensureTable(query, kWettkampf);
    createGenerator(query, "Gen_Wettkampf");
    ensureTable(query, kZiele);
    ensureIndexes(query);
}

} // namespace datafiles
