#include "goals.h"

#include "database.h"
#include "query.h"
#include "sqltext.h"

namespace Goals {

QList<Goal> ofYear(Database& db, int userId, int year)
{
    const ResultSet rows = db.select(QStringLiteral("SELECT Jahr, Sportart, Km FROM ziele WHERE UserID = ")
                                     + quoted(userId) + QStringLiteral(" AND Jahr = ") + quoted(year)
                                     + QStringLiteral(" ORDER BY Sportart"));
    QList<Goal> goals;
    for (const ResultRow& row : rows.rows)
        goals.append({int(row.value(0).asInteger()), row.value(1).asString().trimmed(), row.value(2).asFloat()});
    return goals;
}

void set(Database& db, int userId, const Goal& goal)
{
    const QString key = QStringLiteral(" WHERE UserID = ") + quoted(userId) + QStringLiteral(" AND Jahr = ")
                        + quoted(goal.year) + QStringLiteral(" AND Sportart = ") + quoted(goal.sport.trimmed());
    Query q(db);
    if (goal.km <= 0.0) {
        q.execSql(QStringLiteral("DELETE FROM ziele") + key);
        return;
    }
    q.execSql(QStringLiteral("UPDATE OR INSERT INTO ziele (UserID, Jahr, Sportart, Km) VALUES (") + quoted(userId)
              + QLatin1Char(',') + quoted(goal.year) + QLatin1Char(',') + quoted(goal.sport.trimmed())
              + QLatin1Char(',') + quoted(QString::number(goal.km, 'f', 3)) + QStringLiteral(") MATCHING (UserID, Jahr, Sportart)"));
}

} // namespace Goals
