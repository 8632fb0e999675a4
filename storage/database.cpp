#include "database.h"

#include "cp1252.h"
#include "dbserver.h"
#include "enginestatus.h"
#include "storageerror.h"
#include "textforms.h"

#include <firebird/Interface.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTime>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

using namespace Firebird;

namespace {

IMaster* master()
{
    static IMaster* m = fb_get_master_interface();
    return m;
}

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

    IStatus* composed = master()->getStatus();
    composed->setErrors(vector.data());
    char buffer[2048];
    master()->getUtilInterface()->formatStatus(buffer, sizeof buffer, composed);
    composed->dispose();
    QString text = cp1252::decode(QByteArray(buffer)).trimmed();
    for (qsizetype i = 0; i < names.size(); ++i)
        text.replace(QLatin1Char('\x01') + QString::number(i) + QLatin1Char('\x01'), names[i]);
    return text;
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

} // namespace

IMaster* engineMaster()
{
    return master();
}

QString engineStatusText(IStatus* status)
{
    return statusText(status);
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

namespace {

// forcedWrites: 1 or 0 sets the database's mode, -1 leaves it as it is.
// On a server the diary is reached through the network provider alone, with
// the credentials of the person at the keyboard and a bounded wait for an
// answer; on this computer through the engine in this process alone, so a
// file that cannot be opened is never offered to a server that happens to
// run on this machine (which would refuse the login, after a pause).
std::vector<unsigned char> parameterBlock(bool create, int forcedWrites, const std::optional<Credentials>& login)
{
    Status st;
    IXpbBuilder* dpb = master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    if (login) {
        QByteArray password = login->password.toUtf8();
        dpb->insertString(&st, isc_dpb_user_name, login->user.toUtf8().constData());
        dpb->insertString(&st, isc_dpb_password, password.constData());
        wipe(password);
        dpb->insertInt(&st, isc_dpb_connect_timeout, 15);
        dpb->insertString(&st, isc_dpb_config, "Providers = Remote");
    } else {
        dpb->insertString(&st, isc_dpb_user_name, Database::kUser);
        dpb->insertString(&st, isc_dpb_password, Database::kPassword);
        dpb->insertString(&st, isc_dpb_config, "Providers = Engine12");
    }
    if (create) {
        dpb->insertInt(&st, isc_dpb_page_size, 4096);
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
    }
    if (forcedWrites >= 0)
        dpb->insertInt(&st, isc_dpb_force_write, forcedWrites);
    const unsigned char* buffer = dpb->getBuffer(&st);
    std::vector<unsigned char> out(buffer, buffer + dpb->getBufferLength(&st));
    // the builder's own copy of a password
    explicit_bzero(const_cast<unsigned char*>(buffer), out.size());
    dpb->dispose();
    return out;
}

// How long a change waits for a record another connection holds, and how
// long a statement on a server may go without an answer; the second is
// longer, so that a lock wait ends with its own message first.
std::atomic<int> lockLimit{10};
std::atomic<int> answerLimit{15};

// For tests of what follows a lost answer: the next commit is carried out,
// and then its answer counts as lost.
// carriedOut tells whether the server got the commit or not.
std::atomic<bool> loseCommitAnswer{false};
std::atomic<bool> lostCommitCarriedOut{true};

std::function<void(bool)>& busyHandler()
{
    static std::function<void(bool)> handler;
    return handler;
}

struct BusyScope
{
    BusyScope()
    {
        if (busyHandler())
            busyHandler()(true);
    }
    ~BusyScope()
    {
        if (busyHandler())
            busyHandler()(false);
    }
};

// Watches one call to a server: when no answer has come within the answer
// limit, the connection is closed from here, which ends the call waiting for
// it (the client library would wait as long as the server's socket is open).
class AnswerWatch
{
public:
    AnswerWatch(IAttachment* attachment, bool onServer)
    {
        if (!onServer || !attachment)
            return;
        const std::chrono::seconds limit(answerLimit.load());
        m_thread = std::thread([this, attachment, limit] {
            std::unique_lock lock(m_mutex);
            if (m_cv.wait_for(lock, limit, [this] { return m_done; }))
                return;
            m_fired = true;
            lock.unlock();
            IStatus* status = master()->getStatus();
            CheckStatusWrapper st(status);
            attachment->cancelOperation(&st, fb_cancel_abort);
            status->dispose();
        });
    }
    ~AnswerWatch() { stop(); }
    AnswerWatch(const AnswerWatch&) = delete;
    AnswerWatch& operator=(const AnswerWatch&) = delete;

    // Ends the watch; true when it has closed the connection.
    bool stop()
    {
        if (m_thread.joinable()) {
            {
                std::lock_guard lock(m_mutex);
                m_done = true;
            }
            m_cv.notify_one();
            m_thread.join();
        }
        return m_fired;
    }

private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    bool m_fired = false;
};

QString floatText(double value, int digits)
{
    return decimalComma(QString::number(value, 'g', digits));
}

// The whole content of a blob, as text in code page 1252.
QString readBlob(IAttachment* attachment, ITransaction* transaction, ThrowStatusWrapper* st, ISC_QUAD id)
{
    IBlob* blob = attachment->openBlob(st, transaction, &id, 0, nullptr);
    QByteArray bytes;
    try {
        char segment[8192];
        for (;;) {
            unsigned length = 0;
            const int result = blob->getSegment(st, sizeof segment, segment, &length);
            if (result != IStatus::RESULT_OK && result != IStatus::RESULT_SEGMENT)
                break;
            bytes.append(segment, length);
        }
        blob->close(st);
    } catch (...) {
        blob->release();
        throw;
    }
    return cp1252::decode(bytes);
}

// Where and how one column lies in the row buffer; read once per statement.
struct Column
{
    unsigned type = 0;
    unsigned nullOffset = 0;
    unsigned offset = 0;
    unsigned length = 0;
    int scale = 0;
};

std::vector<Column> columnsOf(IMessageMetadata* meta, ThrowStatusWrapper* st)
{
    std::vector<Column> columns(meta->getCount(st));
    for (unsigned i = 0; i < columns.size(); ++i) {
        columns[i].type = meta->getType(st, i) & ~1u;
        columns[i].nullOffset = meta->getNullOffset(st, i);
        columns[i].offset = meta->getOffset(st, i);
        columns[i].length = meta->getLength(st, i);
        columns[i].scale = meta->getScale(st, i);
    }
    return columns;
}

FieldValue readField(IUtil* util, const Column& column, ThrowStatusWrapper* st, const unsigned char* buffer,
                     IAttachment* attachment, ITransaction* transaction)
{
    FieldValue v;
    if (*reinterpret_cast<const short*>(buffer + column.nullOffset))
        return v;
    const unsigned char* p = buffer + column.offset;
    const int scale = column.scale;
    auto setInteger = [&](qint64 raw) {
        if (scale < 0) {
            double n = static_cast<double>(raw);
            for (int k = 0; k < -scale; ++k)
                n /= 10.0;
            v.kind = FieldValue::Kind::Float;
            v.number = n;
            v.integer = static_cast<qint64>(n);
            v.format = scale;
        } else {
            v.kind = FieldValue::Kind::Integer;
            v.integer = raw;
            v.number = static_cast<double>(raw);
        }
    };
    switch (column.type) {
    case SQL_TEXT: {
        const unsigned length = column.length;
        unsigned used = length;
        while (used > 0 && p[used - 1] == ' ')
            --used;
        v.kind = FieldValue::Kind::Text;
        v.text = cp1252::decode(reinterpret_cast<const char*>(p), used);
        break;
    }
    case SQL_VARYING: {
        ISC_USHORT length = 0;
        std::memcpy(&length, p, sizeof length);
        v.kind = FieldValue::Kind::Text;
        v.text = cp1252::decode(reinterpret_cast<const char*>(p + sizeof length), length);
        break;
    }
    case SQL_SHORT: {
        ISC_SHORT raw;
        std::memcpy(&raw, p, sizeof raw);
        setInteger(raw);
        break;
    }
    case SQL_LONG: {
        ISC_LONG raw;
        std::memcpy(&raw, p, sizeof raw);
        setInteger(raw);
        break;
    }
    case SQL_INT64: {
        ISC_INT64 raw;
        std::memcpy(&raw, p, sizeof raw);
        setInteger(raw);
        break;
    }
    case SQL_FLOAT: {
        float raw;
        std::memcpy(&raw, p, sizeof raw);
        v.kind = FieldValue::Kind::Float;
        v.number = raw;
        v.format = 7;
        break;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double raw;
        std::memcpy(&raw, p, sizeof raw);
        v.kind = FieldValue::Kind::Float;
        v.number = raw;
        v.format = 15;
        break;
    }
    case SQL_TYPE_DATE: {
        ISC_DATE raw;
        std::memcpy(&raw, p, sizeof raw);
        unsigned y = 0, m = 0, d = 0;
        util->decodeDate(raw, &y, &m, &d);
        v.kind = FieldValue::Kind::Date;
        v.integer = QDate(int(y), int(m), int(d)).toJulianDay();
        break;
    }
    case SQL_TYPE_TIME: {
        ISC_TIME raw;
        std::memcpy(&raw, p, sizeof raw);
        unsigned h = 0, m = 0, s = 0, f = 0;
        util->decodeTime(raw, &h, &m, &s, &f);
        v.kind = FieldValue::Kind::Time;
        v.number = QTime(int(h), int(m), int(s)).msecsSinceStartOfDay();
        break;
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP raw;
        std::memcpy(&raw, p, sizeof raw);
        unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, f = 0;
        util->decodeDate(raw.timestamp_date, &y, &mo, &d);
        util->decodeTime(raw.timestamp_time, &h, &mi, &s, &f);
        v.kind = FieldValue::Kind::Timestamp;
        v.integer = QDate(int(y), int(mo), int(d)).toJulianDay();
        v.number = QTime(int(h), int(mi), int(s)).msecsSinceStartOfDay();
        break;
    }
    case SQL_BOOLEAN: {
        v.kind = FieldValue::Kind::Integer;
        v.integer = *p ? 1 : 0;
        v.number = double(v.integer);
        v.text = *p ? QStringLiteral("True") : QStringLiteral("False");
        break;
    }
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, p, sizeof id);
        v.kind = FieldValue::Kind::Text;
        v.text = readBlob(attachment, transaction, st, id);
        break;
    }
    default:
        v.kind = FieldValue::Kind::Text; // kinds the schema does not use
        break;
    }
    return v;
}

} // namespace

QString FieldValue::asString() const
{
    if (!text.isNull())
        return text;
    switch (kind) {
    case Kind::Integer:
        return QString::number(integer);
    case Kind::Float:
        return format < 0 ? decimalComma(QString::number(number, 'f', -format)) : floatText(number, format);
    case Kind::Date:
        return dateText(QDate::fromJulianDay(integer));
    case Kind::Time:
        return timeText(QTime::fromMSecsSinceStartOfDay(int(number)));
    case Kind::Timestamp:
        return dateText(QDate::fromJulianDay(integer)) + QLatin1Char(' ')
               + timeText(QTime::fromMSecsSinceStartOfDay(int(number)));
    default:
        return text;
    }
}

qint64 FieldValue::asInteger() const
{
    switch (kind) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
        return integer;
    case Kind::Float:
        return qRound64(number);
    default: {
        bool ok = false;
        const QString t = asString();
        const qint64 value = t.trimmed().toLongLong(&ok);
        if (!ok)
            throw StorageError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(t));
        return value;
    }
    }
}

double FieldValue::asFloat() const
{
    switch (kind) {
    case Kind::Null:
        return 0.0;
    case Kind::Integer:
    case Kind::Float:
        return number;
    default: {
        bool ok = false;
        const QString t = asString();
        const double value = parseDecimal(t, &ok);
        if (!ok)
            throw StorageError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(t));
        return value;
    }
    }
}

struct Database::Impl
{
    IAttachment* attachment = nullptr;
    ITransaction* transaction = nullptr; // the active Transaction scope's
    int depth = 0;

    // What the connection was opened on; a diary on a server is opened
    // again after its connection was lost.
    QString path;
    std::optional<ServerAddress> server;
    bool lost = false;

    QString serverName() const { return server ? server->name() : QString(); }

    StorageError error(const FbException& e, bool connected) const
    {
        return engineError(e.getStatus()->getErrors(), statusText(e.getStatus()), serverName(), connected);
    }

    // The error of a call, silent when the answer watch cut it off.
    StorageError error(const FbException& e, bool connected, bool silent) const
    {
        if (silent)
            return StorageError(noAnswerText(serverName()), statusText(e.getStatus()),
                                StorageError::Reason::ConnectionLost);
        return error(e, connected);
    }

    bool onServer() const { return server.has_value(); }

    void attach(const QString& file, bool create, int forcedWrites)
    {
        path = file;
        server = serverOf(file);
        std::optional<Credentials> credentials;
        if (server)
            credentials = serverlogin::credentialsFor(*server);
        Status st;
        IProvider* provider = master()->getDispatcher();
        std::vector<unsigned char> dpb; // holds the password on a server
        const auto wipeBlock = qScopeGuard([&] { explicit_bzero(dpb.data(), dpb.size()); });
        try {
            dpb = parameterBlock(create, forcedWrites, credentials);
            const QByteArray name = QFile::encodeName(file);
            const auto length = static_cast<unsigned>(dpb.size());
            attachment = create ? provider->createDatabase(&st, name.constData(), length, dpb.data())
                                : provider->attachDatabase(&st, name.constData(), length, dpb.data());
        } catch (const FbException& e) {
            provider->release();
            const StorageError failed = error(e, false);
            if (server && failed.reason() == StorageError::Reason::LoginRefused)
                serverlogin::refused(*server);
            throw failed;
        }
        provider->release();
        lost = false;
    }

    // The connection to the server is gone: its objects are let go without
    // a word to the server, and the next statement outside a transaction
    // scope connects anew.
    void drop()
    {
        if (transaction)
            transaction->release();
        transaction = nullptr;
        if (attachment)
            attachment->release();
        attachment = nullptr;
        lost = true;
    }

    [[noreturn]] void fail(const FbException& e, bool silent = false)
    {
        const StorageError failed = error(e, true, silent);
        if (failed.reason() == StorageError::Reason::ConnectionLost)
            drop();
        throw failed;
    }

    void ensureAttached()
    {
        if (attachment)
            return;
        if (!lost)
            throw StorageError(QStringLiteral("Keine Verbindung zur Datenbank"));
        // A scope whose transaction went with the connection cannot go on
        // in another one: what it wrote is not there any more.
        if (depth > 0)
            throw StorageError(connectionLostText(serverName()), {}, StorageError::Reason::ConnectionLost);
        try {
            attach(path, false, -1);
        } catch (const StorageError&) {
            lost = true;
            throw;
        }
    }

    ITransaction* start(ThrowStatusWrapper* st, bool readOnly)
    {
        const unsigned char readTpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                         isc_tpb_rec_version, isc_tpb_nowait};
        const auto limit = static_cast<quint32>(lockLimit.load());
        const unsigned char writeTpb[] = {isc_tpb_version3,
                                          isc_tpb_write,
                                          isc_tpb_concurrency,
                                          isc_tpb_wait,
                                          isc_tpb_lock_timeout,
                                          4,
                                          static_cast<unsigned char>(limit & 0xff),
                                          static_cast<unsigned char>((limit >> 8) & 0xff),
                                          static_cast<unsigned char>((limit >> 16) & 0xff),
                                          static_cast<unsigned char>((limit >> 24) & 0xff)};
        return readOnly ? attachment->startTransaction(st, sizeof readTpb, readTpb)
                        : attachment->startTransaction(st, sizeof writeTpb, writeTpb);
    }

    // Runs work inside the active scope's transaction, or in a transaction
    // of its own that is committed at once.
    template <typename Work>
    void run(bool readOnly, Work work)
    {
        BusyScope busy;
        ensureAttached();
        Status st;
        AnswerWatch watch(attachment, onServer());
        if (transaction) {
            try {
                work(&st, transaction);
            } catch (const FbException& e) {
                fail(e, watch.stop());
            }
            // the answer came as the watch gave up on it: the connection is closed all the same
            if (watch.stop())
                drop();
            return;
        }
        ITransaction* own = nullptr;
        bool committing = false;
        try {
            own = start(&st, readOnly);
            work(&st, own);
            committing = true;
            own->commit(&st);
            own = nullptr;
        } catch (const FbException& e) {
            StorageError failed = error(e, true, watch.stop());
            if (committing && !readOnly && failed.reason() == StorageError::Reason::ConnectionLost)
                failed = StorageError(answerLostText(serverName()), failed.detail(), StorageError::Reason::AnswerLost);
            if (own) {
                try {
                    Status rb;
                    own->rollback(&rb);
                } catch (const FbException&) {
                    own->release();
                }
            }
            if (failed.reason() == StorageError::Reason::ConnectionLost
                || failed.reason() == StorageError::Reason::AnswerLost)
                drop();
            throw failed;
        }
        if (watch.stop())
            drop();
    }
};

namespace {

// A statement that only reads: a SELECT, or a block that names no change
// anywhere (a word in a text counts too, and sends it the safe way).
bool onlyReads(const QString& sql)
{
    const QString text = sql.trimmed();
    if (text.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
        return true;
    static const QRegularExpression block(QStringLiteral("^EXECUTE\\s+BLOCK\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression changes(
        QStringLiteral("\\b(INSERT|UPDATE|DELETE|MERGE|EXECUTE\\s+(STATEMENT|PROCEDURE)|GEN_ID|NEXT\\s+VALUE)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return block.match(text).hasMatch() && !changes.match(text).hasMatch();
}

} // namespace

void Database::setBusyHandler(std::function<void(bool)> handler)
{
    busyHandler() = std::move(handler);
}

void Database::setWaitLimits(int lockSeconds, int answerSeconds)
{
    lockLimit = lockSeconds;
    answerLimit = answerSeconds;
}

Database::Database() : d(std::make_unique<Impl>()) {}

Database::~Database()
{
    try {
        disconnect();
    } catch (const StorageError&) {
    }
}

void Database::connect(const QString& path, bool forceWrites)
{
    open(path, false, forceWrites ? 1 : -1);
}

void Database::create(const QString& path, bool forcedWrites)
{
    open(path, true, forcedWrites ? -1 : 0);
}

void Database::open(const QString& path, bool create, int forcedWrites)
{
    disconnect();
    d->attach(path, create, forcedWrites);
}

void Database::disconnect()
{
    d->lost = false;
    if (!d->attachment)
        return;
    if (d->transaction) {
        Status st;
        try {
            d->transaction->rollback(&st);
        } catch (const FbException&) {
            d->transaction->release();
        }
        d->transaction = nullptr;
    }
    Status st;
    try {
        d->attachment->detach(&st);
    } catch (const FbException&) {
        d->attachment->release();
    }
    d->attachment = nullptr;
}

bool Database::isConnected() const
{
    return d->attachment != nullptr;
}

void Database::execute(const QString& sql)
{
    const QByteArray text = cp1252::encode(sql);
    d->run(false, [&](ThrowStatusWrapper* st, ITransaction* tra) {
        d->attachment->execute(st, tra, 0, text.constData(), 3, nullptr, nullptr, nullptr, nullptr);
    });
}

ResultSet Database::select(const QString& sql, int maxRows)
{
    const QByteArray text = cp1252::encode(sql);
    ResultSet result;
    // A statement that changes data and returns values (INSERT ... RETURNING)
    // runs like a select, in a transaction that may write.
    const bool readOnly = onlyReads(sql);
    d->run(readOnly, [&](ThrowStatusWrapper* st, ITransaction* tra) {
        IStatement* stmt = d->attachment->prepare(st, tra, 0, text.constData(), 3,
                                                  IStatement::PREPARE_PREFETCH_METADATA);
        IMessageMetadata* meta = nullptr;
        IResultSet* cursor = nullptr;
        try {
            meta = stmt->getOutputMetadata(st);
            const unsigned count = meta->getCount(st);
            for (unsigned i = 0; i < count; ++i)
                result.columns.append(cp1252::decode(QByteArray(meta->getAlias(st, i))));
            std::vector<unsigned char> buffer(meta->getMessageLength(st));
            const std::vector<Column> columns = columnsOf(meta, st);
            IUtil* util = master()->getUtilInterface();
            if (stmt->getType(st) != isc_info_sql_stmt_select
                && stmt->getType(st) != isc_info_sql_stmt_select_for_upd) {
                // a singleton result: one row at most
                stmt->execute(st, tra, nullptr, nullptr, meta, buffer.data());
                if (count > 0 && maxRows != 0) {
                    ResultRow row;
                    for (unsigned i = 0; i < count; ++i)
                        row.append(readField(util, columns[i], st, buffer.data(), d->attachment, tra));
                    result.rows.append(std::move(row));
                }
                meta->release();
                meta = nullptr;
                stmt->free(st);
                return;
            }
            cursor = stmt->openCursor(st, tra, nullptr, nullptr, meta, 0);
            while ((maxRows < 0 || result.rows.size() < maxRows)
                   && cursor->fetchNext(st, buffer.data()) == IStatus::RESULT_OK) {
                ResultRow row;
                row.reserve(int(count));
                for (unsigned i = 0; i < count; ++i)
                    row.append(readField(util, columns[i], st, buffer.data(), d->attachment, tra));
                result.rows.append(std::move(row));
            }
            cursor->close(st);
            cursor = nullptr;
            meta->release();
            meta = nullptr;
            stmt->free(st);
        } catch (...) {
            if (cursor)
                cursor->release();
            if (meta)
                meta->release();
            stmt->release();
            throw;
        }
    });
    return result;
}

bool Database::inTransaction() const
{
    return d->depth > 0;
}

void Database::begin()
{
    BusyScope busy;
    d->ensureAttached();
    Status st;
    AnswerWatch watch(d->attachment, d->onServer());
    try {
        d->transaction = d->start(&st, false);
    } catch (const FbException& e) {
        d->fail(e, watch.stop());
    }
    if (watch.stop())
        d->drop();
}

void Database::commit()
{
    if (!d->transaction) {
        // the transaction went with a lost connection: nothing of it stays
        if (d->lost)
            throw StorageError(connectionLostText(d->serverName()), {}, StorageError::Reason::ConnectionLost);
        return;
    }
    BusyScope busy;
    Status st;
    AnswerWatch watch(d->attachment, d->onServer());
    try {
        if (loseCommitAnswer && !lostCommitCarriedOut) {
            d->transaction->rollback(&st);
            d->transaction = nullptr;
        } else {
            d->transaction->commit(&st);
            d->transaction = nullptr;
        }
    } catch (const FbException& e) {
        const StorageError failed = d->error(e, true, watch.stop());
        if (failed.reason() != StorageError::Reason::ConnectionLost)
            throw failed;
        // Whether the server got the commit before the connection broke
        // cannot be told from here.
        d->drop();
        throw StorageError(answerLostText(d->serverName()), failed.detail(), StorageError::Reason::AnswerLost);
    }
    if (watch.stop() || loseCommitAnswer.exchange(false)) {
        d->drop();
        throw StorageError(answerLostText(d->serverName()), {}, StorageError::Reason::AnswerLost);
    }
}

void Database::loseNextCommitAnswer(bool carriedOut)
{
    lostCommitCarriedOut = carriedOut;
    loseCommitAnswer = true;
}

QString Database::serverName() const
{
    return d->serverName();
}

QString Database::path() const
{
    return d->path;
}

void Database::rollback()
{
    if (!d->transaction)
        return;
    Status st;
    try {
        d->transaction->rollback(&st);
    } catch (const FbException&) {
        d->transaction->release();
    }
    d->transaction = nullptr;
}

Transaction::Transaction(Database& db) : m_db(db)
{
    if (db.d->depth == 0) {
        db.begin();
        m_owner = true;
    }
    ++db.d->depth;
}

Transaction::~Transaction()
{
    --m_db.d->depth;
    if (m_owner && !m_done)
        m_db.rollback();
}

void Transaction::commit()
{
    if (m_done)
        return;
    if (m_owner)
        m_db.commit();
    m_done = true;
}
