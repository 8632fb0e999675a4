#include "dbserver.h"

#include "storageerror.h"

#include <QHash>
#include <QRegularExpression>

#include <cstring>
#include <sys/prctl.h>

Credentials::~Credentials()
{
    wipe(password);
}

void wipe(QString& text)
{
    if (!text.isEmpty() && text.isDetached())
        explicit_bzero(text.data(), size_t(text.size()) * sizeof(QChar));
    text = QString();
}

void wipe(QByteArray& bytes)
{
    if (!bytes.isEmpty() && bytes.isDetached())
        explicit_bzero(bytes.data(), size_t(bytes.size()));
    bytes = QByteArray();
}

QString ServerAddress::name() const
{
    return port.isEmpty() ? host : QStringLiteral("%1 (Port %2)").arg(host, port);
}

std::optional<ServerAddress> serverOf(const QString& connection)
{
    const QString text = connection.trimmed();
    // inet://host[:port]/database, also for IPv4 or IPv6 only
    static const QRegularExpression url(QStringLiteral("^inet[46]?://(\\[[^\\]]+\\]|[^/:\\[\\]]+)(?::([^/]+))?/"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = url.match(text); m.hasMatch())
        return ServerAddress{m.captured(1), m.captured(2)};
    // host:database and host/port:database; a single letter before the colon is a drive
    static const QRegularExpression hostFirst(
        QStringLiteral("^(\\[[^\\]]+\\]|[^/\\\\:\\[\\]]{2,})(?:/([^/\\\\:]+))?:"));
    if (const auto m = hostFirst.match(text); m.hasMatch())
        return ServerAddress{m.captured(1), m.captured(2)};
    return std::nullopt;
}

namespace serverlogin {
namespace {

Prompt& prompt()
{
    static Prompt p;
    return p;
}

QHash<QString, Credentials>& answers()
{
    static QHash<QString, Credentials> a;
    return a;
}

// How the process was before a password was kept.
int& dumpableBefore()
{
    static int before = -1;
    return before;
}

// A core dump would hold the kept passwords.
void keep(const QString& key, const Credentials& credentials)
{
    if (answers().isEmpty())
        dumpableBefore() = prctl(PR_GET_DUMPABLE);
    answers().insert(key, credentials);
    prctl(PR_SET_DUMPABLE, 0);
}

void kept()
{
    if (answers().isEmpty() && dumpableBefore() > 0)
        prctl(PR_SET_DUMPABLE, dumpableBefore());
}

} // namespace

void setPrompt(Prompt p)
{
    prompt() = std::move(p);
}

Credentials credentialsFor(const ServerAddress& server)
{
    const QString key = server.name();
    if (const auto it = answers().constFind(key); it != answers().constEnd())
        return *it;
    const QString user = qEnvironmentVariable("ISC_USER");
    if (!user.isEmpty() && qEnvironmentVariableIsSet("ISC_PASSWORD")) {
        const Credentials fromEnvironment{user, qEnvironmentVariable("ISC_PASSWORD")};
        keep(key, fromEnvironment);
        return fromEnvironment;
    }
    if (!prompt())
        throw StorageError(QStringLiteral("Für die Anmeldung am Datenbankserver %1 fehlen Benutzername und Passwort "
                                          "(ISC_USER und ISC_PASSWORD)")
                               .arg(server.name()),
                           {}, StorageError::Reason::LoginRefused);
    const std::optional<Credentials> given = prompt()(server.name(), user);
    if (!given)
        throw StorageError(QStringLiteral("Die Anmeldung am Datenbankserver %1 wurde abgebrochen").arg(server.name()),
                           {}, StorageError::Reason::LoginRefused);
    keep(key, *given);
    return *given;
}

void refused(const ServerAddress& server)
{
    answers().remove(server.name());
    kept();
}

void forgetAll()
{
    answers().clear();
    kept();
}

} // namespace serverlogin
