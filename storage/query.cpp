#include "query.h"

#include "storageerror.h"

Query::Query(Database& db) : m_db(db) {}

void Query::open(const QString& sql)
{
    run(sql, -1);
}

void Query::openFirst(const QString& sql)
{
    run(sql, 1);
}

void Query::run(const QString& sql, int maxRows)
{
    close();
    m_sql = sql;
    m_result = m_db.select(sql, maxRows);
    m_row = 0;
    m_open = true;
}

void Query::execSql(const QString& sql)
{
    close();
    m_sql = sql;
    m_db.execute(sql);
}

void Query::execSqlWithBlob(const QString& sql, const QByteArray& bytes)
{
    close();
    m_sql = sql;
    m_db.executeWithBlob(sql, bytes);
}

bool Query::execSqlOnRecord(const QString& sql)
{
    open(sql + QStringLiteral(" RETURNING ID"));
    return !field(0).isNull();
}

void Query::close()
{
    m_open = false;
    m_result = ResultSet();
    m_row = 0;
}

void Query::next()
{
    if (m_row < recordCount())
        ++m_row;
}

const FieldValue& Query::field(int index) const
{
    if (eof())
        throw StorageError(QStringLiteral("Kein Datensatz vorhanden"));
    if (index < 0 || index >= fieldCount())
        throw StorageError(QStringLiteral("Feldindex %1 außerhalb des gültigen Bereichs").arg(index));
    return m_result.rows[m_row][index];
}

const FieldValue& Query::field(const QString& name) const
{
    for (int i = 0; i < fieldCount(); ++i) {
        if (m_result.columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return field(i);
    }
    throw StorageError(QStringLiteral("Feld '%1' nicht gefunden").arg(name));
}
