#include "engineerror.h"

#include "cp1252.h"
#include "database.h"
#include "engineowners.h"
#include "enginestatus.h"
#include "storageerror.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <deque>
#include <vector>

using namespace Firebird;

namespace {

// A string argument of an error that names a file: the engine repeats the
// name in the bytes it was given, the file system's encoding of names.
bool isFileName(const QByteArray& argument)
{
    if (!argument.contains('/') && !argument.contains('\\'))
        return false;
    return QFile::encodeName(QFile::decodeName(argument)) == argument;
}

// Turns the engine's error vector into the text shown to the user. The
// message is in code page 1252, the form of every text the database holds,
// except the file names in it: each is put in as a marker while the engine
// composes the message, and replaced by its own decoding afterwards.
QString statusText(IStatus* status)
{
    std::vector<intptr_t> vector;
    std::deque<QByteArray> strings; // the arguments in the vector point into these
    QStringList names;
    const intptr_t* p = status->getErrors();
    while (p && *p != isc_arg_end) {
        const intptr_t type = *p++;
        QByteArray argument;
        if (type == isc_arg_cstring) {
            const auto length = static_cast<qsizetype>(*p++);
            argument = QByteArray(reinterpret_cast<const char*>(*p++), length);
        } else if (type == isc_arg_string || type == isc_arg_interpreted || type == isc_arg_sql_state) {
            argument = QByteArray(reinterpret_cast<const char*>(*p++));
        } else {
            vector.push_back(type);
            vector.push_back(*p++);
            continue;
        }
        if (type != isc_arg_sql_state && isFileName(argument)) {
            names.append(QFile::decodeName(argument));
            argument = "\x01" + QByteArray::number(names.size() - 1) + "\x01";
        }
        strings.push_back(argument);
        vector.push_back(type == isc_arg_cstring ? isc_arg_string : type);
        vector.push_back(reinterpret_cast<intptr_t>(strings.back().constData()));
    }
    vector.push_back(isc_arg_end);

    const engine::StatusObject composed(engineMaster()->getStatus());
    composed->setErrors(vector.data());
    char buffer[2048];
    engineMaster()->getUtilInterface()->formatStatus(buffer, sizeof buffer, composed.get());
    QString text = cp1252::decode(QByteArray(buffer)).trimmed();
    for (qsizetype i = 0; i < names.size(); ++i)
        text.replace(QLatin1Char('\x01') + QString::number(i) + QLatin1Char('\x01'), names[i]);
    return text;
}

} // namespace

IMaster* engineMaster()
{
    static IMaster* m = fb_get_master_interface();
    return m;
}

QString engineStatusText(IStatus* status)
{
    return statusText(status);
}

QString noAnswerText(const QString& server)
{
    return QStringLiteral("Der Datenbankserver %1 antwortet nicht. Was bereits gespeichert war, bleibt auf dem "
                          "Server erhalten; dieser Schritt wurde nicht ausgeführt und kann wiederholt werden, "
                          "sobald der Server wieder antwortet")
        .arg(server);
}

QString connectionLostText(const QString& server)
{
    return QStringLiteral("Die Verbindung zum Datenbankserver %1 ist unterbrochen. Was bereits gespeichert war, "
                          "bleibt auf dem Server erhalten; dieser Schritt wurde nicht ausgeführt und kann wiederholt "
                          "werden, sobald der Server wieder erreichbar ist")
        .arg(server);
}

// A commit sent to the server whose answer never came: the server may have
// carried it out or not.
QString answerLostText(const QString& server)
{
    const QString connection = server.isEmpty() ? QStringLiteral("Die Verbindung zur Datenbank")
                                                : QStringLiteral("Die Verbindung zum Datenbankserver ") + server;
    return connection + QStringLiteral(" brach ab, während die Änderung gespeichert wurde. Ob sie gespeichert ist, "
                                       "lässt sich erst sagen, wenn die Verbindung wieder steht");
}

namespace {

// What the engine's codes and the system's error numbers say about the
// cause; the first cause found in the vector counts.
enum class Cause {
    None, NoSpace, NoPermission, ReadOnly, InUse, Damaged, Truncated, Folder, Missing, CannotCreate, Foreign,
    Unreachable, Refused, Lost, Conflict
};

Cause causeOfSystemError(intptr_t value)
{
    switch (value) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Cause::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        return Cause::NoPermission;
    case EAGAIN:
    case EBUSY:
    case ETXTBSY:
        return Cause::InUse;
    case EISDIR:
        return Cause::Folder;
    default:
        return Cause::None;
    }
}

// lostServer: a server that answered once, so a network error means it is gone now.
Cause causeOfEngineCode(intptr_t value, bool lostServer)
{
    switch (value) {
    case isc_bad_db_format:
    case isc_wrong_ods:
        return Cause::Foreign;
    case isc_bug_check:
    case isc_db_corrupt:
    case isc_badpage:
        return Cause::Damaged;
    case isc_lock_conflict:
    case isc_lock_timeout:
    case isc_already_opened:
        return Cause::InUse;
    case isc_network_error:
    case isc_net_connect_err:
    case isc_net_lookup_err:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_conn_lost:
    case isc_unavailable:
        return lostServer ? Cause::Lost : Cause::Unreachable;
    case isc_att_shutdown:
    case isc_shutdown:
        return lostServer ? Cause::Lost : Cause::None;
    case isc_login:
        return Cause::Refused;
    case isc_deadlock:
    case isc_update_conflict:
        return Cause::Conflict;
    default:
        return Cause::None;
    }
}

// What an error vector tells: the cause, the file it names, and what a
// failed file operation tells beyond the codes: the operation, the system's
// error (a number here, its text from a server), and the kind of object a
// missing permission is for.
struct VectorReading
{
    Cause cause = Cause::None;
    QString file;
    QByteArray ioOperation;
    QByteArray systemText;
    intptr_t systemError = 0;
    bool openFailed = false;
    bool createFailed = false;

    void note(Cause c)
    {
        if (cause == Cause::None)
            cause = c;
    }
    void noteFile(const QByteArray& argument)
    {
        if (file.isEmpty() && isFileName(argument))
            file = QFile::decodeName(argument);
    }
};

VectorReading readVector(const intptr_t* vector, bool lostServer)
{
    VectorReading r;
    intptr_t lastCode = 0;
    int argumentsOfCode = 0;
    for (const intptr_t* p = vector; p && *p != isc_arg_end;) {
        const intptr_t type = *p++;
        if (type == isc_arg_cstring) {
            const auto length = static_cast<qsizetype>(*p++);
            r.noteFile(QByteArray(reinterpret_cast<const char*>(*p++), length));
            continue;
        }
        const intptr_t value = *p++;
        if (type == isc_arg_string) {
            const QByteArray argument(reinterpret_cast<const char*>(value));
            r.noteFile(argument);
            const int position = argumentsOfCode++;
            if (lastCode == isc_io_error && position == 0)
                r.ioOperation = argument;
            else if (lastCode == isc_no_priv && argument == "database")
                r.note(Cause::ReadOnly);
            else if (lastCode == isc_io_open_err || lastCode == isc_io_create_err)
                r.systemText = argument;
        } else if (type == isc_arg_interpreted) {
            // the system's error as a server puts it into words
            if (lastCode == isc_io_open_err || lastCode == isc_io_create_err)
                r.systemText = QByteArray(reinterpret_cast<const char*>(value));
        } else if (type == isc_arg_unix) {
            if (r.systemError == 0)
                r.systemError = value;
            r.note(causeOfSystemError(value));
        } else if (type == isc_arg_gds) {
            lastCode = value;
            argumentsOfCode = 0;
            if (value == isc_io_open_err)
                r.openFailed = true;
            else if (value == isc_io_create_err)
                r.createFailed = true;
            r.note(causeOfEngineCode(value, lostServer));
        }
    }
    return r;
}

} // namespace

StorageError engineError(const intptr_t* vector, const QString& engineText, const QString& server, bool connected)
{
    const VectorReading r = readVector(vector, connected && !server.isEmpty());
    Cause cause = r.cause;
    const QString& file = r.file;
    // A database file that is empty or cut off ends before the pages the
    // engine reads; the engine then also reports inconsistencies.
    const bool systemSaid = r.systemError != 0 || !r.systemText.isEmpty();
    if ((cause == Cause::None || cause == Cause::Damaged) && r.ioOperation == "read" && !systemSaid)
        cause = Cause::Truncated;
    if (cause == Cause::None && r.createFailed && r.systemError != EEXIST && r.systemText != "File exists")
        cause = Cause::CannotCreate;
    if (cause == Cause::None && r.openFailed && (r.systemError == ENOENT || r.systemText == "No such file or directory"))
        cause = Cause::Missing;
    const QString where = file.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(QDir::toNativeSeparators(file));
    const QString named = server.isEmpty() ? QString() : QLatin1Char(' ') + server;
    const QString onServer =
        server.isEmpty() ? QString() : QStringLiteral(" auf dem Datenbankserver %1").arg(server);
    // The engine's own folders (its lock folder) are named as folders.
    if (cause == Cause::NoPermission && file.endsWith(QLatin1Char('/')))
        return StorageError(QStringLiteral("Es fehlt die Berechtigung für den Ordner %1, in dem die Datenbank-Engine "
                                           "ihre Sperrdateien anlegt")
                                .arg(QDir::toNativeSeparators(file)),
                            engineText);
    QString message;
    StorageError::Reason reason = StorageError::Reason::Other;
    switch (cause) {
    case Cause::None:
        return StorageError(engineText);
    case Cause::NoSpace:
        message = QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei: Die Daten konnten nicht in die "
                                 "Datenbank%1 geschrieben werden");
        reason = StorageError::Reason::NoSpace;
        break;
    case Cause::NoPermission:
        message = QStringLiteral("Es fehlt die Berechtigung, die Datenbank%1 zu öffnen oder zu schreiben");
        reason = StorageError::Reason::CannotWrite;
        break;
    case Cause::ReadOnly:
        message = QStringLiteral("Die Datenbank%1 ist schreibgeschützt oder es fehlt die Berechtigung, sie zu "
                                 "schreiben");
        reason = StorageError::Reason::CannotWrite;
        break;
    case Cause::Truncated:
        message = QStringLiteral("Die Datenbank%1 ist leer oder abgeschnitten: Die Datei ist kürzer als eine "
                                 "vollständige Datenbank");
        break;
    case Cause::Folder:
        message = QStringLiteral("Die Datenbank%1 ist ein Ordner und keine Datenbankdatei");
        break;
    case Cause::Missing:
        return StorageError(QStringLiteral("Die Datenbank%1 ist%2 nicht vorhanden").arg(where, onServer), engineText,
                            StorageError::Reason::Missing);
    case Cause::CannotCreate:
        return StorageError(QStringLiteral("Die Datenbank%1 kann%2 nicht angelegt werden: Der Ordner fehlt oder es "
                                           "fehlt die Berechtigung, dort zu schreiben")
                                .arg(where, onServer),
                            engineText, StorageError::Reason::CannotWrite);
    case Cause::InUse:
        message = QStringLiteral("Die Datenbank%1 wird gerade von einer anderen Kopie des Programms oder einem "
                                 "anderen Programm benutzt");
        break;
    case Cause::Damaged:
        message = QStringLiteral("Die Datenbank%1 ist beschädigt");
        break;
    case Cause::Foreign:
        message = QStringLiteral("Die Datei%1 ist keine Tagebuch-Datenbank dieses Programms");
        break;
    case Cause::Unreachable:
        if (!server.isEmpty())
            return StorageError(QStringLiteral("Der Datenbankserver %1 ist nicht erreichbar").arg(server), engineText,
                                StorageError::Reason::Unreachable);
        message = QStringLiteral("Der Datenbankserver ist nicht erreichbar%1");
        reason = StorageError::Reason::Unreachable;
        break;
    case Cause::Refused:
        return StorageError(QStringLiteral("Der Datenbankserver%1 hat die Anmeldung abgelehnt: Benutzername oder "
                                           "Passwort ist falsch")
                                .arg(named),
                            engineText, StorageError::Reason::LoginRefused);
    case Cause::Lost:
        return StorageError(connectionLostText(server), engineText, StorageError::Reason::ConnectionLost);
    case Cause::Conflict:
        return StorageError(QStringLiteral("Dieselben Daten wurden gerade an einem anderen Arbeitsplatz geändert; "
                                           "diese Änderung wurde nicht gespeichert. Bitte versuchen Sie es noch "
                                           "einmal"),
                            engineText, StorageError::Reason::Conflict);
    }
    return StorageError(message.arg(where), engineText, reason);
}
