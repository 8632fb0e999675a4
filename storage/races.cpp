#include "races.h"

#include "database.h"
#include "query.h"
#include "sqltext.h"
#include "textforms.h"

namespace Races {

namespace {

const QString kColumns = QStringLiteral("ID, UserID, Datum, Name, Strecke, Zielzeit, Notizen");

QDate dateOf(const FieldValue& value)
{
    return value.kind == FieldValue::Kind::Date ? QDate::fromJulianDay(value.integer) : parseDateText(value.asString());
}

Race raceOf(const ResultRow& row)
{
    Race r;
    r.id = row.value(0).asString();
    r.userId = int(row.value(1).asInteger());
    r.date = dateOf(row.value(2));
    r.name = row.value(3).asString().trimmed();
    r.km = row.value(4).asFloat();
    r.goalSeconds = row.value(5).isNull() ? 0 : int(row.value(5).asInteger());
    r.notes = row.value(6).asString().trimmed();
    return r;
}

QString goalValue(const Race& race)
{
    return race.goalSeconds > 0 ? quoted(race.goalSeconds) : QStringLiteral("NULL");
}

QString kmValue(const Race& race)
{
    return quoted(QString::number(race.km, 'f', 3));
}

} // namespace

QList<Race> ofPerson(Database& db, int userId)
{
    const ResultSet rows = db.select(QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM wettkampf WHERE UserID = ")
                                     + quoted(userId) + QStringLiteral(" ORDER BY Datum, ID"));
    QList<Race> races;
    for (const ResultRow& row : rows.rows)
        races << raceOf(row);
    return races;
}

std::optional<Race> next(Database& db, int userId, const QDate& from)
{
    const ResultSet rows = db.select(QStringLiteral("SELECT FIRST 1 ") + kColumns
                                     + QStringLiteral(" FROM wettkampf WHERE UserID = ") + quoted(userId)
                                     + QStringLiteral(" AND Datum >= ") + quoted(dateText(from))
                                     + QStringLiteral(" ORDER BY Datum, ID"));
    if (rows.rows.isEmpty())
        return std::nullopt;
    return raceOf(rows.rows.first());
}

QString insert(Database& db, const Race& race)
{
    const ResultSet r = db.select(
        QStringLiteral("INSERT INTO wettkampf (ID, UserID, Datum, Name, Strecke, Zielzeit, Notizen) VALUES "
                       "(gen_id(Gen_Wettkampf,1), ")
        + quoted(race.userId) + QLatin1Char(',') + quoted(dateText(race.date)) + QLatin1Char(',')
        + quoted(race.name.left(kNameLength)) + QLatin1Char(',') + kmValue(race) + QLatin1Char(',') + goalValue(race)
        + QLatin1Char(',') + quoted(race.notes.left(kNotesLength)) + QStringLiteral(") RETURNING ID"));
    return r.rows.value(0).value(0).asString();
}

bool update(Database& db, const Race& race)
{
    Query q(db);
    return q.execSqlOnRecord(QStringLiteral("UPDATE wettkampf SET Datum = ") + quoted(dateText(race.date))
                             + QStringLiteral(", Name = ") + quoted(race.name.left(kNameLength))
                             + QStringLiteral(", Strecke = ") + kmValue(race) + QStringLiteral(", Zielzeit = ")
                             + goalValue(race) + QStringLiteral(", Notizen = ")
                             + quoted(race.notes.left(kNotesLength)) + QStringLiteral(" WHERE ID = ") + quoted(race.id));
}

bool remove(Database& db, const QString& id)
{
    Query q(db);
    return q.execSqlOnRecord(QStringLiteral("DELETE FROM wettkampf WHERE ID = ") + quoted(id));
}

} // namespace Races
