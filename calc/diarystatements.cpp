#include "diarystatements.h"

#include "sqltext.h"
#include "textforms.h"

namespace diarystatements {

QString period(const QDate& start, const QDate& end, const QString& column)
{
    return QStringLiteral(" AND ") + column + QStringLiteral(" BETWEEN ") + quoted(dateText(start))
        + QStringLiteral(" AND ") + quoted(dateText(end));
}

QString ofSport(const QString& sport, const QString& column)
{
    if (sport.isEmpty())
        return QString();
    return QStringLiteral(" AND ") + column + QStringLiteral(" = ") + quoted(sport);
}

QString entriesForTotal(int userId, const QDate& start, const QDate& end)
{
    return QStringLiteral("SELECT ID, Datum, uhrzeit FROM main WHERE UserID = ") + quoted(userId)
        + period(start, end) + QStringLiteral(" ORDER BY Datum, Uhrzeit ASC");
}

QString entriesOfShoe(int userId, const QString& shoe)
{
    return QStringLiteral("SELECT ID, Datum, Uhrzeit FROM main WHERE Schuhe = ") + quoted(shoe)
        + QStringLiteral(" AND UserID = ") + quoted(userId) + QStringLiteral(" ORDER BY Datum");
}

QString metres(const QString& column)
{
    return QStringLiteral("ROUND(") + column + QStringLiteral(" * 1000, 0)");
}

QString entryDistance(const QString& entryId, const QString& zone, bool byZone)
{
    QString sql = QStringLiteral("SELECT SUM(") + metres() + QStringLiteral(") FROM units WHERE MainID = ")
        + quoted(entryId);
    if (byZone)
        sql += QStringLiteral(" And Bereich = ") + quoted(zone);
    return sql;
}

} // namespace diarystatements
