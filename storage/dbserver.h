#pragma once

#include <QString>

#include <functional>
#include <optional>

// A diary kept on a database server: the alias line then names the server
// in the client library's own forms, "host:/path/data.fdb",
// "host/port:/path/data.fdb" or "inet://host[:port]/path", and the
// connection goes through the client library's network provider instead of
// the engine in this process.
struct ServerAddress
{
    QString host; // as written; an IPv6 address keeps its brackets
    QString port; // port number or service name; empty for the server's default

    // The server as the messages name it: the host, and the port when one is given.
    QString name() const;
};

// The server a connection string names; none for a file on this computer
// (a path, also a drive letter followed by a colon).
std::optional<ServerAddress> serverOf(const QString& connection);

// The last holder of a password overwrites it before its memory goes back.
struct Credentials
{
    QString user;
    QString password;

    ~Credentials();
};

// Overwrites the text of a secret with zeros when nothing else shares it,
// and empties it.
void wipe(QString& text);
void wipe(QByteArray& bytes);

// Who the program is on a server. The environment's ISC_USER and
// ISC_PASSWORD come first; without them the user is asked through the
// prompt, once in a run: the answer is kept in memory for the reconnections
// of this run and never written anywhere. While a password is kept, the
// process gives no core dump and cannot be attached to.
namespace serverlogin {

// Asks for the credentials for the named server, ISC_USER filled in when
// set; none when the user cancelled.
using Prompt = std::function<std::optional<Credentials>(const QString& serverName, const QString& user)>;
void setPrompt(Prompt prompt);

// Throws StorageError when there are none: no environment, no prompt, or
// the user cancelled.
Credentials credentialsFor(const ServerAddress& server);

// The server refused the credentials: asked ones are asked again next time.
void refused(const ServerAddress& server);

// Forgets every answer of this run.
void forgetAll();

} // namespace serverlogin
