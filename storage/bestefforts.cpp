#include "bestefforts.h"

#include "courses.h"
#include "database.h"
#include "query.h"
#include "sqltext.h"
#include "storageerror.h"

namespace BestEfforts {

namespace {

QString number(double value)
{
    return quoted(QString::number(value, 'f', 3));
}

} // namespace

void store(Database& db, const QString& entryId, const QList<course::Effort>& efforts)
{
    Transaction transaction(db);
    Query q(db);
    q.execSql(QStringLiteral("DELETE FROM bestzeiten WHERE MainID = ") + quoted(entryId));
    if (!efforts.isEmpty()) {
        QStringList rows;
        for (const course::Effort& e : efforts)
            rows << QStringLiteral("SELECT ") + quoted(entryId) + QLatin1Char(',') + quoted(e.metres)
                        + QLatin1Char(',') + number(e.seconds) + QLatin1Char(',') + number(e.startSeconds)
                        + QStringLiteral(" FROM RDB$DATABASE");
        q.execSql(QStringLiteral("INSERT INTO bestzeiten (MainID, Strecke, Sekunden, Beginn) ")
                  + rows.join(QStringLiteral(" UNION ALL ")));
    }
    transaction.commit();
}

int computeAll(Database& db)
{
    const ResultSet ids = db.select(QStringLiteral("SELECT MainID FROM verlauf ORDER BY MainID"));
    Transaction transaction(db);
    for (const ResultRow& row : ids.rows) {
        const QString id = row.value(0).asString();
        std::optional<course::Course> course;
        try {
            course = Courses::read(db, id);
        } catch (const StorageError&) {
            continue; // damaged or of a newer version: no efforts from it
        }
        if (course)
            store(db, id, course::bestEfforts(*course));
    }
    transaction.commit();
    return int(ids.rows.size());
}

} // namespace BestEfforts
