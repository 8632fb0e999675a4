#pragma once

#include "database.h"

// A query over a database: holds the statement it last ran and, for a select, the
// whole result, so its row count is known as soon as it is open. Fields are
// read by position (from 0) or by column name, as text, integer or float.
class Query
{
public:
    explicit Query(Database& db);

    // Select: closes the query, runs the statement and goes to the first row.
    // Also takes a statement that changes data and returns values
    // (INSERT ... RETURNING ID), whose one row is read like a select's.
    void open(const QString& sql);
    // As open, but reads no more than the first row: enough to learn
    // whether the statement runs and whether it has a row.
    void openFirst(const QString& sql);
    // Command: runs the statement; committed at once unless a Transaction is active.
    void execSql(const QString& sql);
    // Command with one ? that takes the bytes as a binary blob (see
    // Database::executeWithBlob); committed at once unless a Transaction is active.
    void execSqlWithBlob(const QString& sql, const QByteArray& bytes);
    // Command on one record named by its ID (UPDATE or DELETE ... WHERE ID =):
    // runs it with RETURNING ID. False when it touched no record, as when
    // another workstation has deleted the record meanwhile.
    bool execSqlOnRecord(const QString& sql);
    void close();

    Database& database() const { return m_db; }
    bool isOpen() const { return m_open; }
    const QString& sql() const { return m_sql; }
    int recordCount() const { return int(m_result.rows.size()); }
    int recNo() const { return m_row; }
    bool eof() const { return !m_open || m_row >= recordCount(); }
    void first() { m_row = 0; }
    void next();

    // Throw StorageError when there is no current row or no such field.
    const FieldValue& field(int index) const;
    const FieldValue& field(const QString& name) const;
    int fieldCount() const { return int(m_result.columns.size()); }
    // The whole result of the statement run last.
    const ResultSet& result() const { return m_result; }

private:
    void run(const QString& sql, int maxRows);

    Database& m_db;
    QString m_sql;
    ResultSet m_result;
    int m_row = 0;
    bool m_open = false;
};
