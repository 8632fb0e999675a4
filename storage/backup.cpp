#include "backup.h"

#include "database.h"
#include "datafiles.h"
#include "dbserver.h"
#include "engineowners.h"
#include "enginestatus.h"
#include "ownfiles.h"
#include "persons.h"
#include "schemacheck.h"
#include "storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <optional>
#include <unistd.h>
#include <vector>

using namespace Firebird;

namespace {

// The newest backup format this engine writes and reads.
constexpr int kKnownFormat = 10;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The start of a backup file: a header record of attributes, each a code,
// a length byte and the value, ended by a zero code; among them the
// format's number and the date of the backup as text.
struct BackupHeader
{
    bool valid = false;
    int format = 0;
    QDateTime made;
};

BackupHeader readHeader(const QString& path)
{
    BackupHeader header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StorageError(QStringLiteral("Die Datei %1 kann nicht gelesen werden").arg(native(path)),
                           file.errorString());
    const QByteArray bytes = file.read(1024);
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    if (bytes.size() < 2 || byte(0) != 0)
        return header;
    for (qsizetype pos = 1; pos < bytes.size();) {
        const int code = byte(pos++);
        if (code == 0) {
            header.valid = header.format > 0;
            break;
        }
        if (pos >= bytes.size())
            break;
        const int length = byte(pos++);
        if (pos + length > bytes.size())
            break;
        const QByteArray value = bytes.mid(pos, length);
        pos += length;
        if (code == 2 && length >= 1 && length <= 4) {
            int format = 0;
            for (int k = length - 1; k >= 0; --k)
                format = (format << 8) | static_cast<unsigned char>(value.at(k));
            header.format = format;
        } else if (code == 1) {
            header.made = QLocale::c().toDateTime(QString::fromLatin1(value).simplified(),
                                                  QStringLiteral("ddd MMM d HH:mm:ss yyyy"));
        }
    }
    return header;
}

// Refuses a file that is not a backup of a format this engine reads.
BackupHeader checkedHeader(const QString& path)
{
    const BackupHeader header = readHeader(path);
    if (!header.valid)
        throw StorageError(QStringLiteral("Die Datei %1 ist keine Datensicherung des Programms").arg(native(path)));
    if (header.format > kKnownFormat)
        throw StorageError(QStringLiteral("Die Datensicherung %1 stammt von einer neueren Version des Programms "
                                          "und kann mit dieser Version nicht gelesen werden")
                               .arg(native(path)));
    return header;
}

// Where a service runs: the engine in this process, or a server.
struct ServiceHost
{
    std::optional<ServerAddress> server;

    QString serviceName() const
    {
        if (!server)
            return QStringLiteral("service_mgr");
        return server->port.isEmpty() ? server->host + QStringLiteral(":service_mgr")
                                      : server->host + QLatin1Char('/') + server->port + QStringLiteral(":service_mgr");
    }
    QString serverName() const { return server ? server->name() : QString(); }
};

// The path on the server of a connection string that names one.
QString pathOnServer(const QString& connection)
{
    static const QRegularExpression prefix(
        QStringLiteral("^(inet[46]?://(\\[[^\\]]+\\]|[^/:\\[\\]]+)(:[^/]+)?(?=/)|(\\[[^\\]]+\\]|[^/\\\\:\\[\\]]{2,})"
                       "(/[^/\\\\:]+)?:)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = connection.trimmed();
    const auto m = prefix.match(text);
    return m.hasMatch() ? text.mid(m.capturedLength()) : text;
}

// The engine's restore asks on the console for the next part of a backup
// that ends early, and waits for an answer there: while one of its actions
// runs in this process, its input is empty, so that it gives up at once.
class NoConsoleInput
{
public:
    NoConsoleInput()
    {
        const int empty = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (empty < 0)
            return;
        m_saved = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
        ::dup2(empty, STDIN_FILENO);
        ::close(empty);
    }
    ~NoConsoleInput()
    {
        if (m_saved >= 0) {
            ::dup2(m_saved, STDIN_FILENO);
            ::close(m_saved);
        } else {
            ::close(STDIN_FILENO);
        }
    }
    NoConsoleInput(const NoConsoleInput&) = delete;
    NoConsoleInput& operator=(const NoConsoleInput&) = delete;

private:
    int m_saved = -1;
};

// The engine's backup and restore put a full disk into words of their own,
// in their report or their error.
bool isFullDisk(const QString& engineText)
{
    static const char* const kFull[] = {"free disk space exhausted", "No space left on device", "File too large",
                                        "Disk quota exceeded"};
    return std::any_of(std::begin(kFull), std::end(kFull),
                       [&](const char* words) { return engineText.contains(QLatin1String(words)); });
}

// Runs one action of the engine's service manager to its end and returns
// what the engine wrote meanwhile. Throws the engine's error; an action that
// ended with an error only in its output throws that output.
QString runService(const ServiceHost& host, const std::function<void(IXpbBuilder*, ThrowStatusWrapper*)>& request)
{
    std::optional<Credentials> login;
    if (host.server)
        login = serverlogin::credentialsFor(*host.server);
    // the console's input comes back only once the engine's objects are gone
    std::optional<NoConsoleInput> noInput;
    Status st;
    IUtil* util = engineMaster()->getUtilInterface();
    engine::Provider provider(engineMaster()->getDispatcher());
    engine::Service service;
    engine::Builder spb;
    QString output;
    if (!host.server)
        noInput.emplace();
    try {
        // the builder's copy of the password is wiped with it
        spb = engine::Builder(util->getXpbBuilder(&st, IXpbBuilder::SPB_ATTACH, nullptr, 0), true);
        if (login) {
            QByteArray password = login->password.toUtf8();
            spb->insertString(&st, isc_spb_user_name, login->user.toUtf8().constData());
            spb->insertString(&st, isc_spb_password, password.constData());
            wipe(password);
            spb->insertString(&st, isc_spb_config, "Providers = Remote");
        } else {
            spb->insertString(&st, isc_spb_user_name, Database::kUser);
            spb->insertString(&st, isc_spb_password, Database::kPassword);
            spb->insertString(&st, isc_spb_config, "Providers = Engine12");
        }
        const QByteArray name = host.serviceName().toUtf8();
        const unsigned length = spb->getBufferLength(&st);
        service.reset(provider->attachServiceManager(&st, name.constData(), length, spb->getBuffer(&st)));
        spb.reset();

        spb = engine::Builder(util->getXpbBuilder(&st, IXpbBuilder::SPB_START, nullptr, 0));
        request(spb.get(), &st);
        service->start(&st, spb->getBufferLength(&st), spb->getBuffer(&st));
        spb.reset();

        // Waits a second at most for each piece of output.
        const unsigned char send[] = {isc_info_svc_timeout, 4, 0, 1, 0, 0, 0, isc_info_end};
        const unsigned char items[] = {isc_info_svc_to_eof};
        std::vector<unsigned char> answer(16384);
        QByteArray text;
        for (bool done = false; !done;) {
            service->query(&st, sizeof send, send, sizeof items, items, unsigned(answer.size()), answer.data());
            const unsigned char* p = answer.data();
            if (*p != isc_info_svc_to_eof)
                break;
            const unsigned piece = unsigned(p[1]) | (unsigned(p[2]) << 8);
            text.append(reinterpret_cast<const char*>(p + 3), piece);
            const unsigned char next = p[3 + piece];
            done = piece == 0 && next != isc_info_svc_timeout && next != isc_info_data_not_ready;
        }
        service.detach(&st);
        output = QString::fromLocal8Bit(text).trimmed();
    } catch (const FbException& e) {
        const QString engineText = engineStatusText(e.getStatus());
        StorageError failed = engineError(e.getStatus()->getErrors(), engineText, host.serverName());
        if (failed.reason() == StorageError::Reason::Other && isFullDisk(engineText))
            failed = StorageError(QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei"), engineText,
                                  StorageError::Reason::NoSpace);
        if (host.server && failed.reason() == StorageError::Reason::LoginRefused)
            serverlogin::refused(*host.server);
        throw failed;
    }
    if (isFullDisk(output))
        throw StorageError(QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei"), output,
                           StorageError::Reason::NoSpace);
    if (output.contains(QLatin1String("ERROR:")))
        throw StorageError(output);
    return output;
}

QString withOutput(const StorageError& e)
{
    return e.detail().isEmpty() ? e.message() : e.message() + QLatin1Char('\n') + e.detail();
}

void runBackup(const ServiceHost& host, const QString& database, const QString& file)
{
    const QByteArray db = QFile::encodeName(database);
    const QByteArray bk = QFile::encodeName(file);
    runService(host, [&](IXpbBuilder* spb, ThrowStatusWrapper* st) {
        spb->insertTag(st, isc_action_svc_backup);
        spb->insertString(st, isc_spb_dbname, db.constData());
        spb->insertString(st, isc_spb_bkp_file, bk.constData());
    });
}

// A restore that reaches the end of a cut-off backup stops there without
// an error, leaving the tables read so far; only its report of each step
// tells whether it came to its last one.
void runRestore(const ServiceHost& host, const QString& file, const QString& database)
{
    const QByteArray db = QFile::encodeName(database);
    const QByteArray bk = QFile::encodeName(file);
    const QString output = runService(host, [&](IXpbBuilder* spb, ThrowStatusWrapper* st) {
        spb->insertTag(st, isc_action_svc_restore);
        spb->insertString(st, isc_spb_bkp_file, bk.constData());
        spb->insertString(st, isc_spb_dbname, db.constData());
        spb->insertInt(st, isc_spb_options, isc_spb_res_create);
        spb->insertTag(st, isc_spb_verbose);
    });
    if (!output.contains(QLatin1String("finishing, closing, and going home")))
        throw StorageError(QStringLiteral("Die Datensicherung endet, bevor alle Daten gelesen sind"),
                           output.right(2000));
}

// Throws when the database is not a diary of this program; else its counts.
// A backup to be restored must hold a diary as this program makes it: one
// of another make would stop the program at its next start or let it store
// wrong data; the diary's own backup is counted only, whatever it holds.
BackupInfo countsOf(Database& db, const QString& backupFile, bool toRestore)
{
    const ResultSet tables = db.select(QStringLiteral(
        "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN ('MAIN', 'USERS')"));
    if (tables.rows.value(0).value(0).asInteger() != 2)
        throw StorageError(
            QStringLiteral("Die Datei %1 ist keine Datensicherung des Programms").arg(native(backupFile)));
    if (toRestore) {
        const QStringList faults = datafiles::schemaFaults(db);
        if (!faults.isEmpty())
            throw StorageError(QStringLiteral("Die Datei %1 ist keine Datensicherung dieses Tagebuchs: Ihre Tabellen "
                                              "sind anders aufgebaut als die des Programms")
                                   .arg(native(backupFile)),
                               faults.join(QLatin1Char('\n')));
    }
    const Persons::Counts counts = Persons::counts(db);
    BackupInfo info;
    info.persons = counts.persons;
    info.entries = counts.entries;
    return info;
}

// A restore that failed: for want of room or of permission where the
// database is written, it says so and names the folder (a backup that is
// sound is never called damaged); any other failure lies in the backup.
StorageError restoreFailed(const QString& backupFile, const StorageError& e, const QString& folder)
{
    if (e.reason() == StorageError::Reason::NoSpace)
        return StorageError(QStringLiteral("Auf dem Datenträger des Ordners %1 ist kein Platz mehr frei, um die "
                                           "Datensicherung %2 zurückzuspielen")
                                .arg(native(folder), native(backupFile)),
                            withOutput(e), e.reason());
    if (e.reason() == StorageError::Reason::CannotWrite)
        return StorageError(QStringLiteral("Im Ordner %1 kann die Datensicherung %2 nicht zurückgespielt werden: Es "
                                           "fehlt die Berechtigung, dort zu schreiben")
                                .arg(native(folder), native(backupFile)),
                            withOutput(e), e.reason());
    return StorageError(QStringLiteral("Die Datensicherung %1 ist beschädigt oder unvollständig").arg(native(backupFile)),
                        withOutput(e));
}

void removeFile(const QString& path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw StorageError(QStringLiteral("Die Datei %1 kann nicht gelöscht werden").arg(native(path)));
}

// Drops a database on a server through the engine, which alone can remove
// a file there; one that cannot be dropped stays.
void dropOnServer(const ServerAddress& server, const QString& connection)
{
    const Credentials login = serverlogin::credentialsFor(server);
    Status st;
    engine::Provider provider(engineMaster()->getDispatcher());
    engine::Attachment attachment;
    engine::Builder dpb;
    try {
        // the builder's copy of the password is wiped with it
        dpb = engine::Builder(engineMaster()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0),
                              true);
        QByteArray password = login.password.toUtf8();
        dpb->insertString(&st, isc_dpb_user_name, login.user.toUtf8().constData());
        dpb->insertString(&st, isc_dpb_password, password.constData());
        wipe(password);
        dpb->insertString(&st, isc_dpb_config, "Providers = Remote");
        const QByteArray name = QFile::encodeName(connection);
        const unsigned length = dpb->getBufferLength(&st);
        attachment.reset(provider->attachDatabase(&st, name.constData(), length, dpb->getBuffer(&st)));
        dpb.reset();
        attachment.dropDatabase(&st);
    } catch (const FbException&) {
        // one that cannot be dropped stays; the owners let its objects go
    }
}

// A backup on a server is checked there: restored beside it into a
// database of its own, counted and dropped again.
BackupInfo checkOnServer(const ServiceHost& host, const QString& connection, const QString& file)
{
    const QString probe = file + QStringLiteral(".pruefung.fdb");
    QString prefix = connection.trimmed();
    prefix.chop(pathOnServer(connection).size());
    try {
        runRestore(host, file, probe);
    } catch (const StorageError& e) {
        dropOnServer(*host.server, prefix + probe); // what the restore made of it
        throw restoreFailed(file, e, QFileInfo(probe).absolutePath());
    }
    const auto drop = qScopeGuard([&] { dropOnServer(*host.server, prefix + probe); });
    Database db;
    db.connect(prefix + probe);
    const BackupInfo info = countsOf(db, file, false);
    db.disconnect();
    return info;
}

} // namespace

QString partialBackupPath(const QString& target)
{
    return target + QStringLiteral(".teil");
}

namespace {

BackupInfo inspect(const QString& backupFile, bool toRestore)
{
    const BackupHeader header = checkedHeader(backupFile);
    QTemporaryDir dir;
    if (!dir.isValid())
        throw StorageError(QStringLiteral("Für die Prüfung der Datensicherung kann kein vorläufiger Ordner angelegt "
                                          "werden"),
                           dir.errorString());
    const QString probe = dir.filePath(QStringLiteral("pruefung.fdb"));
    try {
        runRestore(ServiceHost{}, backupFile, probe);
    } catch (const StorageError& e) {
        // the check restores into the temporary folder
        const QString folder = native(QDir::tempPath());
        if (e.reason() == StorageError::Reason::NoSpace)
            throw StorageError(QStringLiteral("Für die Prüfung der Datensicherung ist auf dem Datenträger des "
                                              "vorläufigen Ordners %1 kein Platz mehr frei")
                                   .arg(folder),
                               withOutput(e), e.reason());
        if (e.reason() == StorageError::Reason::CannotWrite)
            throw StorageError(QStringLiteral("Für die Prüfung der Datensicherung kann im vorläufigen Ordner %1 "
                                              "nicht geschrieben werden")
                                   .arg(folder),
                               withOutput(e), e.reason());
        throw restoreFailed(backupFile, e, folder);
    }
    Database db;
    db.connect(probe);
    BackupInfo info = countsOf(db, backupFile, toRestore);
    db.disconnect();
    // a header whose date cannot be read: the file's own date stands in
    info.made = header.made.isValid() ? header.made : QFileInfo(backupFile).lastModified();
    return info;
}

} // namespace

BackupInfo inspectBackup(const QString& backupFile)
{
    return inspect(backupFile, true);
}

BackupInfo backupDiary(const QString& diaryPath, const QString& target)
{
    const ServiceHost host{serverOf(diaryPath)};
    const auto failed = [&](const StorageError& e) {
        const QString where = host.server
                                  ? QStringLiteral(" Die Datei %1 auf dem Datenbankserver %2 ist nicht brauchbar.")
                                        .arg(native(target), host.serverName())
                                  : QString();
        return StorageError(QStringLiteral("Die Datensicherung konnte nicht erstellt werden: %1.%2")
                                .arg(e.message(), where),
                            e.detail(), e.reason());
    };
    // The engine's report of a full disk, with the folder of the backup
    // (on the server, for a diary there).
    const auto writing = [&](const StorageError& e) {
        if (e.reason() != StorageError::Reason::NoSpace)
            return e;
        const QString folder = native(QFileInfo(target).absolutePath());
        return StorageError(host.server ? QStringLiteral("Auf dem Datenträger des Ordners %1 auf dem Datenbankserver "
                                                         "%2 ist kein Platz mehr frei")
                                              .arg(folder, host.serverName())
                                        : QStringLiteral("Auf dem Datenträger des Ordners %1 ist kein Platz mehr frei")
                                              .arg(folder),
                            e.detail(), e.reason());
    };
    if (host.server) {
        try {
            runBackup(host, pathOnServer(diaryPath), target);
        } catch (const StorageError& e) {
            throw failed(writing(e));
        }
        try {
            return checkOnServer(host, diaryPath, target);
        } catch (const StorageError& e) {
            throw failed(e);
        }
    }

    const QString partial = partialBackupPath(target);
    removeFile(partial); // what a backup cut off left, never a backup that was put in place
    auto cleanUp = qScopeGuard([&] { QFile::remove(partial); });
    // The backup holds every person's diary: only its owner may read it,
    // from the first byte on (the engine writes into the file there is).
    ownfiles::createOwnerOnly(partial);
    BackupInfo info;
    try {
        runBackup(host, diaryPath, partial);
    } catch (const StorageError& e) {
        throw failed(writing(e));
    }
    ::chmod(QFile::encodeName(partial).constData(), 0600);
    try {
        info = inspect(partial, false);
    } catch (const StorageError& e) {
        throw failed(e);
    }
    datafiles::syncPath(partial, O_RDONLY);
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0)
        throw StorageError(QStringLiteral("Die Datensicherung kann nicht als %1 gespeichert werden").arg(native(target)),
                           QString::fromLocal8Bit(std::strerror(errno)));
    cleanUp.dismiss();
    datafiles::syncPath(QFileInfo(target).absolutePath(), O_RDONLY | O_DIRECTORY);
    return info;
}

QString restoredDiaryPath(const QString& diaryPath)
{
    return diaryPath + QStringLiteral(".neu");
}

QString keptDiaryPath(const QString& diaryPath, const QDate& today)
{
    const QString base = diaryPath + QStringLiteral(".vor-Wiederherstellung-") + today.toString(Qt::ISODate);
    QString path = base;
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = base + QLatin1Char('-') + QString::number(n);
    return path;
}

QString restoreDiary(const QString& backupFile, const QString& diaryPath, const QDate& today)
{
    if (serverOf(diaryPath))
        throw StorageError(QStringLiteral("Ein Tagebuch auf einem Datenbankserver kann nicht von hier aus "
                                          "zurückgespielt werden; das ist Sache des Serververwalters"));
    checkedHeader(backupFile);
    const QString restored = restoredDiaryPath(diaryPath);
    removeFile(restored); // what a restore cut off left
    auto cleanUp = qScopeGuard([&] { QFile::remove(restored); });
    try {
        runRestore(ServiceHost{}, backupFile, restored);
    } catch (const StorageError& e) {
        throw restoreFailed(backupFile, e, QFileInfo(restored).absolutePath());
    }
    {
        Database db;
        db.connect(restored, true);
        countsOf(db, backupFile, true);
        datafiles::CheckDataBases(db);
        db.disconnect();
    }
    datafiles::syncPath(restored, O_RDONLY);

    // The old diary keeps its file under a name of its own (a link never
    // replaces anything), and the restored one then takes the diary's name.
    const QByteArray diary = QFile::encodeName(diaryPath);
    QString kept;
    if (QFileInfo::exists(diaryPath)) {
        kept = keptDiaryPath(diaryPath, today);
        if (::link(diary.constData(), QFile::encodeName(kept).constData()) != 0)
            throw StorageError(QStringLiteral("Das bisherige Tagebuch kann nicht als %1 aufbewahrt werden")
                                   .arg(native(kept)),
                               QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (::rename(QFile::encodeName(restored).constData(), diary.constData()) != 0) {
        const int error = errno;
        if (!kept.isEmpty())
            ::unlink(QFile::encodeName(kept).constData());
        throw StorageError(QStringLiteral("Das zurückgespielte Tagebuch kann nicht an die Stelle von %1 treten")
                               .arg(native(diaryPath)),
                           QString::fromLocal8Bit(std::strerror(error)));
    }
    cleanUp.dismiss();
    datafiles::syncPath(QFileInfo(diaryPath).absolutePath(), O_RDONLY | O_DIRECTORY);
    return kept;
}

QString automaticBackupName(const QDate& day)
{
    return QStringLiteral("Tramora-Sicherung %1.fbk").arg(day.toString(Qt::ISODate));
}

QString automaticBackup(const QString& diaryPath, const QString& folder, const QDate& today)
{
    if (!ownfiles::ensureOwnerOnlyFolder(folder))
        throw StorageError(QStringLiteral("Der Ordner %1 für die Datensicherungen kann nicht angelegt werden")
                               .arg(native(folder)));
    const QDir dir(folder);
    const QString path = dir.filePath(automaticBackupName(today));
    if (QFileInfo::exists(path))
        return {};
    backupDiary(diaryPath, path);
    for (const QString& name : backupsToRemove(dir.entryList(QDir::Files), today))
        QFile::remove(dir.filePath(name));
    return path;
}

QStringList backupsToRemove(const QStringList& fileNames, const QDate& today)
{
    static const QRegularExpression pattern(QStringLiteral("^Tramora-Sicherung (\\d{4}-\\d{2}-\\d{2})\\.fbk$"));
    struct Dated
    {
        QDate day;
        QString name;
    };
    std::vector<Dated> backups;
    for (const QString& name : fileNames) {
        const auto m = pattern.match(QFileInfo(name).fileName());
        if (!m.hasMatch())
            continue;
        const QDate day = QDate::fromString(m.captured(1), Qt::ISODate);
        if (day.isValid() && day <= today)
            backups.push_back({day, name});
    }
    std::stable_sort(backups.begin(), backups.end(), [](const Dated& a, const Dated& b) { return a.day > b.day; });
    const auto weekOf = [](const QDate& day) {
        int year = 0;
        const int week = day.weekNumber(&year);
        return year * 100 + week;
    };
    constexpr size_t kDaily = 7;
    constexpr int kWeekly = 4;
    QSet<int> weeks; // those of the daily ones, and then the weekly ones
    for (size_t i = 0; i < std::min(kDaily, backups.size()); ++i)
        weeks.insert(weekOf(backups[i].day));
    const qsizetype dailyWeeks = weeks.size();
    QStringList remove;
    for (size_t i = kDaily; i < backups.size(); ++i) {
        const int week = weekOf(backups[i].day);
        if (!weeks.contains(week) && weeks.size() - dailyWeeks < kWeekly)
            weeks.insert(week);
        else
            remove.append(backups[i].name);
    }
    return remove;
}
