#include "database.h"

#include "cp1252.h"
#include "dbserver.h"
#include "engineerror.h"
#include "engineowners.h"
#include "enginestatus.h"
#include "resultvalues.h"
#include "storageerror.h"

#include <firebird/Interface.h>

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

using namespace Firebird;

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
    // the builder's own copy of a password is wiped with it
    engine::Builder dpb(engineMaster()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0), true);
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
    return std::vector<unsigned char>(buffer, buffer + dpb->getBufferLength(&st));
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
            const engine::StatusObject status(engineMaster()->getStatus());
            CheckStatusWrapper st(status.get());
            attachment->cancelOperation(&st, fb_cancel_abort);
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

} // namespace

// A statement prepared once and run again whenever its text comes again:
// on a server each preparing costs a round trip.
struct PreparedStatement
{
    QByteArray text;
    engine::Statement statement;
    engine::Metadata output;
    std::vector<Column> columns;
    QStringList names;
    bool cursor = false; // a select, which is read through a cursor
};

struct Database::Impl
{
    engine::Attachment attachment;
    engine::Transaction transaction; // the active Transaction scope's
    int depth = 0;
    // Reads outside a scope: read-only and read committed, so it sees every
    // change committed meanwhile and holds nobody up; kept for the
    // connection's life instead of a transaction begun and committed for
    // each read.
    engine::Transaction reader;
    // The statements run last, the one run last first.
    std::list<PreparedStatement> prepared;
    static constexpr std::size_t kPrepared = 64;

    // What the connection was opened on; a diary on a server is opened
    // again after its connection was lost.
    QString path;
    std::optional<ServerAddress> server;
    bool lost = false;

    QString serverName() const { return server ? server->name() : QString(); }

    StorageError error(const FbException& e, bool connected) const
    {
        return engineError(e.getStatus()->getErrors(), engineStatusText(e.getStatus()), serverName(), connected);
    }

    // The error of a call, silent when the answer watch cut it off.
    StorageError error(const FbException& e, bool connected, bool silent) const
    {
        if (silent)
            return StorageError(noAnswerText(serverName()), engineStatusText(e.getStatus()),
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
        engine::Provider provider(engineMaster()->getDispatcher());
        std::vector<unsigned char> dpb; // holds the password on a server
        const auto wipeBlock = qScopeGuard([&] { explicit_bzero(dpb.data(), dpb.size()); });
        try {
            dpb = parameterBlock(create, forcedWrites, credentials);
            const QByteArray name = QFile::encodeName(file);
            const auto length = static_cast<unsigned>(dpb.size());
            attachment.reset(create ? provider->createDatabase(&st, name.constData(), length, dpb.data())
                                    : provider->attachDatabase(&st, name.constData(), length, dpb.data()));
        } catch (const FbException& e) {
            const StorageError failed = error(e, false);
            if (server && failed.reason() == StorageError::Reason::LoginRefused)
                serverlogin::refused(*server);
            throw failed;
        }
        lost = false;
    }

    // The connection to the server is gone: its objects are let go without
    // a word to the server, and the next statement outside a transaction
    // scope connects anew.
    void drop()
    {
        prepared.clear();
        reader.abandon();
        transaction.abandon();
        attachment.reset();
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

    engine::Transaction start(ThrowStatusWrapper* st, bool readOnly)
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
        return engine::Transaction(readOnly ? attachment->startTransaction(st, sizeof readTpb, readTpb)
                                            : attachment->startTransaction(st, sizeof writeTpb, writeTpb));
    }

    // The statement of the text, prepared now or found among those prepared
    // before.
    PreparedStatement& statementFor(ThrowStatusWrapper* st, ITransaction* tra, const QByteArray& text)
    {
        for (auto it = prepared.begin(); it != prepared.end(); ++it)
            if (it->text == text) {
                prepared.splice(prepared.begin(), prepared, it);
                return prepared.front();
            }
        PreparedStatement p;
        p.text = text;
        p.statement = engine::Statement(
            attachment->prepare(st, tra, 0, text.constData(), 3, IStatement::PREPARE_PREFETCH_METADATA));
        p.output = engine::Metadata(p.statement->getOutputMetadata(st));
        const unsigned count = p.output->getCount(st);
        for (unsigned i = 0; i < count; ++i)
            p.names.append(cp1252::decode(QByteArray(p.output->getAlias(st, i))));
        p.columns = columnsOf(p.output.get(), st);
        const unsigned type = p.statement->getType(st);
        p.cursor = type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
        prepared.push_front(std::move(p));
        while (prepared.size() > kPrepared)
            prepared.pop_back();
        return prepared.front();
    }

    // Before a change of the tables themselves: no prepared statement and
    // no open read may stand in its way.
    void forgetPrepared()
    {
        prepared.clear();
        if (reader) {
            Status st;
            try {
                reader.commit(&st);
            } catch (const FbException&) {
                reader.rollback();
            }
        }
    }

    // Runs work inside the active scope's transaction, or in a transaction
    // of its own that is committed at once.
    template <typename Work>
    void run(bool readOnly, Work work)
    {
        BusyScope busy;
        ensureAttached();
        Status st;
        AnswerWatch watch(attachment.get(), onServer());
        if (transaction) {
            try {
                work(&st, transaction.get());
            } catch (const FbException& e) {
                fail(e, watch.stop());
            }
            // the answer came as the watch gave up on it: the connection is closed all the same
            if (watch.stop())
                drop();
            return;
        }
        if (readOnly) {
            try {
                if (!reader)
                    reader = start(&st, true);
                work(&st, reader.get());
            } catch (const FbException& e) {
                const bool silent = watch.stop();
                const StorageError failed = error(e, true, silent);
                if (failed.reason() == StorageError::Reason::ConnectionLost)
                    drop();
                else
                    reader.rollback(); // the next read begins afresh
                throw failed;
            }
            if (watch.stop())
                drop();
            return;
        }
        engine::Transaction own;
        bool committing = false;
        try {
            own = start(&st, readOnly);
            work(&st, own.get());
            committing = true;
            own.commit(&st);
        } catch (const FbException& e) {
            StorageError failed = error(e, true, watch.stop());
            if (committing && !readOnly && failed.reason() == StorageError::Reason::ConnectionLost)
                failed = StorageError(answerLostText(serverName()), failed.detail(), StorageError::Reason::AnswerLost);
            own.rollback(); // before a lost connection lets the attachment go
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
// anywhere (a word in a text counts too, and sends it the safe way); a
// generator's value read with GEN_ID(name, 0) changes nothing.
bool onlyReads(const QString& sql)
{
    const QString text = sql.trimmed();
    if (text.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
        return true;
    static const QRegularExpression block(QStringLiteral("^EXECUTE\\s+BLOCK\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression changes(
        QStringLiteral("\\b(INSERT|UPDATE|DELETE|MERGE|EXECUTE\\s+(STATEMENT|PROCEDURE)|NEXT\\s+VALUE)\\b"
                       "|\\bGEN_ID\\b(?!\\s*\\(\\s*\\w+\\s*,\\s*0\\s*\\))"),
        QRegularExpression::CaseInsensitiveOption);
    return block.match(text).hasMatch() && !changes.match(text).hasMatch();
}

// A statement that changes the tables, indexes, generators or other objects
// of the database, not their rows.
bool changesSchema(const QString& sql)
{
    static const QRegularExpression rows(
        QStringLiteral("^\\s*(SELECT|WITH|INSERT|UPDATE|DELETE|MERGE|EXECUTE\\s+BLOCK)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return !rows.match(sql).hasMatch();
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
    d->prepared.clear();
    d->reader.rollback();
    d->transaction.rollback();
    d->attachment.detachQuietly();
}

bool Database::isConnected() const
{
    return bool(d->attachment);
}

void Database::execute(const QString& sql)
{
    const QByteArray text = cp1252::encode(sql);
    if (changesSchema(sql) && d->attachment)
        d->forgetPrepared();
    d->run(false, [&](ThrowStatusWrapper* st, ITransaction* tra) {
        d->attachment->execute(st, tra, 0, text.constData(), 3, nullptr, nullptr, nullptr, nullptr);
    });
}

void Database::executeWithBlob(const QString& sql, const QByteArray& bytes)
{
    const QByteArray text = cp1252::encode(sql);
    d->run(false, [&](ThrowStatusWrapper* st, ITransaction* tra) {
        engine::Statement stmt(d->attachment->prepare(st, tra, 0, text.constData(), 3, 0));
        engine::Metadata in(stmt->getInputMetadata(st));
        if (in->getCount(st) != 1 || (in->getType(st, 0) & ~1u) != SQL_BLOB)
            throw StorageError(QStringLiteral("Die Anweisung nimmt keinen Blob als einzigen Parameter"), sql);
        ISC_QUAD id{};
        engine::Blob blob(d->attachment->createBlob(st, tra, &id, 0, nullptr));
        // a segment is at most 64 kB long
        constexpr qsizetype kSegment = 32768;
        for (qsizetype at = 0; at < bytes.size(); at += kSegment) {
            const auto length = static_cast<unsigned>(std::min(kSegment, bytes.size() - at));
            blob->putSegment(st, length, bytes.constData() + at);
        }
        blob.close(st);
        std::vector<unsigned char> message(in->getMessageLength(st));
        std::memcpy(message.data() + in->getOffset(st, 0), &id, sizeof id);
        const short notNull = 0;
        std::memcpy(message.data() + in->getNullOffset(st, 0), &notNull, sizeof notNull);
        stmt->execute(st, tra, in.get(), message.data(), nullptr, nullptr);
        in.reset();
        stmt.free(st);
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
        PreparedStatement& p = d->statementFor(st, tra, text);
        result.columns = p.names;
        const auto count = unsigned(p.columns.size());
        std::vector<unsigned char> buffer(p.output->getMessageLength(st));
        IUtil* util = engineMaster()->getUtilInterface();
        if (!p.cursor) {
            // a singleton result: one row at most
            p.statement->execute(st, tra, nullptr, nullptr, p.output.get(), buffer.data());
            if (count > 0 && maxRows != 0) {
                ResultRow row;
                for (unsigned i = 0; i < count; ++i)
                    row.append(readField(util, p.columns[i], st, buffer.data(), d->attachment.get(), tra));
                result.rows.append(std::move(row));
            }
            return;
        }
        engine::Cursor cursor(p.statement->openCursor(st, tra, nullptr, nullptr, p.output.get(), 0));
        while ((maxRows < 0 || result.rows.size() < maxRows)
               && cursor->fetchNext(st, buffer.data()) == IStatus::RESULT_OK) {
            ResultRow row;
            row.reserve(int(count));
            for (unsigned i = 0; i < count; ++i)
                row.append(readField(util, p.columns[i], st, buffer.data(), d->attachment.get(), tra));
            result.rows.append(std::move(row));
        }
        cursor.close(st);
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
    AnswerWatch watch(d->attachment.get(), d->onServer());
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
    AnswerWatch watch(d->attachment.get(), d->onServer());
    try {
        if (loseCommitAnswer && !lostCommitCarriedOut)
            d->transaction.rollback(&st);
        else
            d->transaction.commit(&st);
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
    d->transaction.rollback();
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
