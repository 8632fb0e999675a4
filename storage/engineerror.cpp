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

StorageError engineError(const intptr_t* vector, const QString& engineText, const QString& server, bool connected)
{
    // What the engine's codes and the system's error numbers say about the
    // cause; the first cause found in the vector counts.
    enum class Cause {
        None, NoSpace, NoPermission, ReadOnly, InUse, Damaged, Truncated, Folder, Missing, CannotCreate, Foreign,
        Unreachable, Refused, Lost, Conflict
    };
    Cause cause = Cause::None;
    QString file;
    // What a failed file operation tells beyond the codes: the operation,
    // the system's error (a number here, its text from a server), and the
    // kind of object a missing permission is for.
    intptr_t lastCode = 0;
    int argumentsOfCode = 0;
    QByteArray ioOperation;
    QByteArray systemText;
    intptr_t systemError = 0;
    bool openFailed = false;
    bool createFailed = false;
    const auto note = [&](Cause c) {
        if (cause == Cause::None)
            cause = c;
    };
    for (const intptr_t* p = vector; p && *p != isc_arg_end;) {
        const intptr_t type = *p++;
        if (type == isc_arg_cstring) {
            const auto length = static_cast<qsizetype>(*p++);
            const QByteArray argument(reinterpret_cast<const char*>(*p++), length);
            if (file.isEmpty() && isFileName(argument))
                file = QFile::decodeName(argument);
            continue;
        }
        const intptr_t value = *p++;
        if (type == isc_arg_string) {
            const QByteArray argument(reinterpret_cast<const char*>(value));
            if (file.isEmpty() && isFileName(argument))
                file = QFile::decodeName(argument);
            const int position = argumentsOfCode++;
            if (lastCode == isc_io_error && position == 0)
                ioOperation = argument;
            else if (lastCode == isc_no_priv && argument == "database")
                note(Cause::ReadOnly);
            else if (lastCode == isc_io_open_err || lastCode == isc_io_create_err)
                systemText = argument;
        } else if (type == isc_arg_interpreted) {
            // the system's error as a server puts it into words
            if (lastCode == isc_io_open_err || lastCode == isc_io_create_err)
                systemText = QByteArray(reinterpret_cast<const char*>(value));
        } else if (type == isc_arg_unix) {
            if (systemError == 0)
                systemError = value;
            switch (value) {
            case ENOSPC:
            case EDQUOT:
            case EFBIG:
                note(Cause::NoSpace);
                break;
            case EACCES:
            case EPERM:
            case EROFS:
                note(Cause::NoPermission);
                break;
            case EAGAIN:
            case EBUSY:
            case ETXTBSY:
                note(Cause::InUse);
                break;
            case EISDIR:
                note(Cause::Folder);
                break;
            default:
                break;
            }
        } else if (type == isc_arg_gds) {
            lastCode = value;
            argumentsOfCode = 0;
            switch (value) {
            case isc_io_open_err:
                openFailed = true;
                break;
            case isc_io_create_err:
                createFailed = true;
                break;
            case isc_bad_db_format:
            case isc_wrong_ods:
                note(Cause::Foreign);
                break;
            case isc_bug_check:
            case isc_db_corrupt:
            case isc_badpage:
                note(Cause::Damaged);
                break;
            case isc_lock_conflict:
            case isc_lock_timeout:
            case isc_already_opened:
                note(Cause::InUse);
                break;
            case isc_network_error:
            case isc_net_connect_err:
            case isc_net_lookup_err:
            case isc_net_read_err:
            case isc_net_write_err:
            case isc_conn_lost:
            case isc_unavailable:
                // a server that answered once and is gone now
                note(connected && !server.isEmpty() ? Cause::Lost : Cause::Unreachable);
                break;
            case isc_att_shutdown:
            case isc_shutdown:
                if (connected && !server.isEmpty())
                    note(Cause::Lost);
                break;
            case isc_login:
                note(Cause::Refused);
                break;
            case isc_deadlock:
            case isc_update_conflict:
                note(Cause::Conflict);
                break;
            default:
                break;
            }
        }
    }
    // A database file that is empty or cut off ends before the pages the
    // engine reads; the engine then also reports inconsistencies.
    const bool systemSaid = systemError != 0 || !systemText.isEmpty();
    if ((cause == Cause::None || cause == Cause::Damaged) && ioOperation == "read" && !systemSaid)
        cause = Cause::Truncated;
    if (cause == Cause::None && createFailed && systemError != EEXIST && systemText != "File exists")
        cause = Cause::CannotCreate;
    if (cause == Cause::None && openFailed && (systemError == ENOENT || systemText == "No such file or directory"))
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
