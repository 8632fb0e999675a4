#include "persons.h"

#include "database.h"
#include "query.h"
#include "sqltext.h"

namespace Persons {

bool remove(Database& db, const QString& id)
{
    Transaction transaction(db);
    Query query(db);
    if (!query.execSqlOnRecord(QStringLiteral("DELETE FROM users WHERE ID = ") + quoted(id)))
        return false;
    // The units of all the person's entries, then the entries: two
    // statements whatever the length of the diary.
    query.execSql(QStringLiteral("DELETE FROM units WHERE MainID IN (SELECT ID FROM main WHERE UserID = ") + quoted(id)
                  + QLatin1Char(')'));
    query.execSql(QStringLiteral("DELETE FROM main WHERE UserID = ") + quoted(id));
    transaction.commit();
    return true;
}

Counts counts(Database& db)
{
    const ResultSet row = db.select(
        QStringLiteral("SELECT (SELECT COUNT(*) FROM users), (SELECT COUNT(*) FROM main) FROM RDB$DATABASE"));
    Counts counts;
    counts.persons = int(row.rows.value(0).value(0).asInteger());
    counts.entries = int(row.rows.value(0).value(1).asInteger());
    return counts;
}

} // namespace Persons
