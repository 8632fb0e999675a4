#include "storedrecord.h"

#include "storageerror.h"

#include <utility>

namespace {

// Separators that no stored text holds.
constexpr QChar kField(0x1f);
constexpr QChar kRow(0x1e);
constexpr QChar kSelect(0x1d);

QString connectionOf(const Database& db)
{
    return db.serverName().isEmpty() ? QStringLiteral("Die Verbindung zur Datenbank")
                                     : QStringLiteral("Die Verbindung zum Datenbankserver ") + db.serverName();
}

QString formOf(const QList<ResultSet>& results)
{
    if (results.isEmpty() || results.first().rows.isEmpty())
        return QString(); // the record is not there
    QString form;
    for (const ResultSet& result : results) {
        for (const ResultRow& row : result.rows) {
            for (const FieldValue& value : row)
                form += value.asString() + kField;
            form += kRow;
        }
        form += kSelect;
    }
    return form;
}

} // namespace

QString StoredRecord::current(Database& db) const
{
    QList<ResultSet> results;
    for (const QString& select : m_selects)
        results.append(db.select(select));
    return formOf(results);
}

void StoredRecord::take(Database& db)
{
    m_taken = current(db);
    m_pending.clear();
}

void StoredRecord::take(const QList<ResultSet>& results)
{
    m_taken = formOf(results);
    m_pending.clear();
}

void StoredRecord::take(const QStringList& values)
{
    ResultSet result;
    ResultRow row;
    for (const QString& value : values) {
        FieldValue field;
        field.kind = FieldValue::Kind::Text;
        field.text = value;
        row.append(field);
    }
    result.rows.append(row);
    take(QList<ResultSet>{result});
}

void StoredRecord::setWritten(const QList<ResultSet>& results)
{
    m_written = formOf(results);
}

void StoredRecord::forget()
{
    m_taken.clear();
    m_pending.clear();
}

bool StoredRecord::changedElsewhere(Database& db) const
{
    if (m_selects.isEmpty() || m_taken.isEmpty())
        return false;
    const QString now = current(db);
    return !now.isEmpty() && now != m_taken && now != m_pending;
}

struct SaveRun
{
    static SaveResult run(Database& db, StoredRecord& record, const std::function<void()>& write, bool check)
    {
        QString written;
        record.m_written.reset();
        try {
            Transaction transaction(db);
            if (check && record.changedElsewhere(db))
                return {SaveResult::Outcome::ChangedElsewhere, {}};
            write();
            written = record.m_written ? *std::exchange(record.m_written, std::nullopt) : record.current(db);
            transaction.commit();
        } catch (const StorageError& e) {
            if (e.reason() == StorageError::Reason::Conflict && check)
                return {SaveResult::Outcome::ChangedElsewhere, {}};
            if (e.reason() != StorageError::Reason::AnswerLost)
                throw;
            return afterLostAnswer(db, record, written, e);
        }
        record.m_taken = written;
        record.m_pending.clear();
        return {};
    }

    // The commit went out and no answer came back: a new connection tells
    // whether the change is there.
    static SaveResult afterLostAnswer(Database& db, StoredRecord& record, const QString& written,
                                      const StorageError& lost)
    {
        QString now;
        try {
            now = record.current(db);
        } catch (const StorageError&) {
            record.m_pending = written;
            throw StorageError(connectionOf(db) + QStringLiteral(" brach ab, während die Änderung gespeichert "
                                                                 "wurde, und steht noch nicht wieder: Ob die Änderung "
                                                                 "gespeichert ist, ist noch nicht bekannt. Ihre "
                                                                 "Eingaben bleiben erhalten; speichern Sie sie noch "
                                                                 "einmal, sobald die Verbindung wieder steht"),
                               lost.detail(), StorageError::Reason::AnswerLost);
        }
        if (!written.isEmpty() && now == written) {
            record.m_taken = written;
            record.m_pending.clear();
            return {SaveResult::Outcome::Saved,
                    connectionOf(db) + QStringLiteral(" brach ab, während die Änderung gespeichert wurde. Nach dem "
                                                      "erneuten Verbinden zeigt sich: Die Änderung ist gespeichert.")};
        }
        throw StorageError(connectionOf(db) + QStringLiteral(" brach ab, während die Änderung gespeichert wurde. "
                                                             "Nach dem erneuten Verbinden zeigt sich: Die Änderung "
                                                             "ist nicht gespeichert. Ihre Eingaben bleiben erhalten "
                                                             "und können noch einmal gespeichert werden"),
                           lost.detail(), StorageError::Reason::ConnectionLost);
    }
};

SaveResult saveRecord(Database& db, StoredRecord& record, const std::function<void()>& write, bool check)
{
    return SaveRun::run(db, record, write, check);
}
