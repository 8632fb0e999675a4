#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <functional>
#include <memory>

class StorageError;

// The error of a failed engine call, from its status vector and the text the
// engine composed of it: where the codes tell a cause the user can act on
// (no space left on the disk, no permission, the database in use, damaged,
// not a diary database, the server out of reach), the message names it in
// German and the engine's text is the detail; otherwise the engine's text
// is the message. For a diary on a server, server is its name, and
// connected tells that the connection was open: a network failure then
// means the connection was lost, not that the server cannot be reached.
StorageError engineError(const intptr_t* vector, const QString& engineText, const QString& server = {},
                         bool connected = false);

// One value of a result row. The text form is the one the windows show:
// CHAR without trailing blanks, DATE as dd.mm.yyyy, TIME as hh:mm:ss,
// floating-point numbers with the decimal comma.
struct FieldValue
{
    enum class Kind { Null, Text, Integer, Float, Date, Time, Timestamp, Bytes };

    Kind kind = Kind::Null;
    // Numbers, dates and times keep their raw value and are turned into
    // text only when asked for it: most rows are read as numbers.
    QString text;       // Text, and any value whose text is fixed already
    qint64 integer = 0; // Integer; Date and Timestamp: the Julian day
    double number = 0.0; // Integer and Float; Time and Timestamp: milliseconds of the day
    int format = 0;     // Float: significant digits, or decimals when negative
    QByteArray bytes;   // Bytes: a binary blob (BLOB SUB_TYPE 0), as stored

    bool isNull() const { return kind == Kind::Null; }
    QString asString() const;
    // Throw StorageError when a text cannot be read as a number.
    qint64 asInteger() const;
    double asFloat() const;
};

using ResultRow = QVector<FieldValue>;

struct ResultSet
{
    QStringList columns; // names as the database reports them (upper case)
    QVector<ResultRow> rows;
};

// The connection to the diary database, through Firebird's object interface
// with the engine loaded into this process. No character set is named, so
// texts travel as the code page 1252 bytes they are stored in.
//
// Every statement is committed on its own, unless a Transaction is active:
// then all statements run in it until it is committed or rolled back.
// Failures throw StorageError with the engine's message.
//
// A path that names a server (see dbserver.h) is reached through the
// client library's network provider, with the credentials of serverlogin.
// When the connection to the server is lost, the failing statement says so
// and the next one outside a Transaction connects anew.
//
// No statement waits without end: a change that meets a record another
// connection holds waits for the lock limit and then fails; a server that
// does not answer a statement within the answer limit has its connection
// closed, and the statement fails saying so (the next one connects anew).
// A commit whose answer is lost that way fails with Reason::AnswerLost: the
// change may be stored or not, which only a read after reconnecting tells.
// Reads outside a Transaction run read-only and read-committed, so they
// never wait for another connection's locks; they share one such
// transaction, kept open while the connection lasts, so that a read on a
// server costs no round trips to begin and end it. A statement is prepared
// once a connection and run again when its text comes again (the last 64
// texts are kept); a change of the tables themselves lets them all go.
class Database
{
public:
    static constexpr const char* kUser = "SYSDBA";
    static constexpr const char* kPassword = "Vodaz";

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // With forceWrites the database is switched to writing each page
    // through to the disk before a statement returns (the engine's default).
    void connect(const QString& path, bool forceWrites = false);
    // Creates the file with a page size of 4096 in dialect 3 and stays
    // connected. Without forcedWrites pages reach the disk when the system
    // writes them: for a file that is made complete before it is used.
    void create(const QString& path, bool forcedWrites = true);
    void disconnect();
    bool isConnected() const;

    void execute(const QString& sql);
    // A command with exactly one parameter (?) that takes a binary blob:
    // the bytes are written as a blob in the statement's transaction, in
    // pieces, and passed as the parameter, so that the statement stays
    // short whatever their size.
    void executeWithBlob(const QString& sql, const QByteArray& bytes);
    // Reads the whole result, or its first maxRows rows when maxRows >= 0.
    ResultSet select(const QString& sql, int maxRows = -1);

    bool inTransaction() const;

    // Called around every statement, so that the windows can show the busy cursor.
    static void setBusyHandler(std::function<void(bool busy)> handler);
    // In seconds; for every connection opened or transaction begun afterwards.
    static void setWaitLimits(int lockSeconds, int answerSeconds);

    // The server's name for a diary on a server, else empty.
    QString serverName() const;
    // What the connection was opened on: a file, or a path on a server.
    QString path() const;

    // For tests: the next commit of a Transaction is carried out (or, with
    // carriedOut false, rolled back), and then the connection is dropped as
    // if its answer had been lost.
    static void loseNextCommitAnswer(bool carriedOut = true);

private:
    friend class Transaction;
    void open(const QString& path, bool create, int forcedWrites);
    void begin();
    void commit();
    void rollback();

    struct Impl;
    std::unique_ptr<Impl> d;
};

// Binds the statements run while it lives into one transaction: commit()
// makes them stay, leaving the scope without commit() undoes all of them.
// A scope opened while another is active joins the outer one.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& m_db;
    bool m_owner = false;
    bool m_done = false;
};
