#include "bestefforts.h"

#include "courses.h"
#include "database.h"
#include "query.h"
#include "sqltext.h"
#include "storageerror.h"
#include "textforms.h"

#include <QHash>

#include <cmath>

namespace BestEfforts {

namespace {

constexpr int kRowsPerStatement = 100;

QString number(double value)
{
    return quoted(QString::number(value, 'f', 3));
}

double unitSeconds(const QString& time)
{
    const QStringList parts = time.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 3)
        return 0.0;
    bool h = false, m = false, s = false;
    const double seconds = parts[0].toInt(&h) * 3600.0 + parts[1].toInt(&m) * 60.0 + parts[2].toDouble(&s);
    return h && m && s ? seconds : 0.0;
}

struct Row
{
    QString entryId;
    course::Effort effort;
    int unit = 0;
    Owner owner;
};

// Inserts the rows a block at a time.
void insert(Database& db, const QList<Row>& rows)
{
    Query q(db);
    for (qsizetype first = 0; first < rows.size(); first += kRowsPerStatement) {
        QStringList selects;
        for (qsizetype i = first; i < std::min(rows.size(), first + kRowsPerStatement); ++i) {
            const Row& r = rows[i];
            selects << QStringLiteral("SELECT ") + quoted(r.entryId) + QLatin1Char(',') + quoted(r.effort.metres)
                           + QLatin1Char(',') + number(r.effort.seconds) + QLatin1Char(',')
                           + number(r.effort.startSeconds) + QLatin1Char(',') + quoted(r.unit) + QLatin1Char(',')
                           + quoted(r.owner.userId) + QLatin1Char(',') + quoted(r.owner.date) + QLatin1Char(',')
                           + quoted(course::runningSport(r.owner.sport) ? 1 : 0) + QStringLiteral(" FROM RDB$DATABASE");
        }
        q.execSql(QStringLiteral("INSERT INTO bestzeiten (MainID, Strecke, Sekunden, Beginn, Einheit, UserID, Datum, "
                                 "Lauf) ")
                  + selects.join(QStringLiteral(" UNION ALL ")));
    }
}

QList<Row> courseRows(const QString& entryId, const Owner& owner, const QList<course::Effort>& efforts)
{
    QList<Row> rows;
    for (const course::Effort& e : efforts)
        rows.append({entryId, e, 0, owner});
    return rows;
}

// The fastest unit over each distance, with the unit's number.
QList<Row> unitRows(const QString& entryId, const Owner& owner, const QList<Entries::Unit>& units)
{
    QHash<int, Row> best;
    for (const Entries::Unit& unit : units) {
        const int metres = course::standardMetresOfUnit(unit.distance.toDouble());
        const double seconds = unitSeconds(unit.time);
        if (metres == 0 || seconds <= 0.0)
            continue;
        const auto it = best.constFind(metres);
        if (it == best.cend() || seconds < it->effort.seconds)
            best.insert(metres, {entryId, {metres, seconds, -1.0}, unit.subId.toInt(), owner});
    }
    QList<Row> rows;
    for (const course::StandardDistance& d : course::standardDistances())
        if (const auto it = best.constFind(d.metres); it != best.cend())
            rows << *it;
    return rows;
}

void storeUnits(Database& db, const QString& entryId, const Owner& owner, const QList<Entries::Unit>& units)
{
    insert(db, unitRows(entryId, owner, units));
}

Entries::Unit unitOf(const FieldValue& subId, const FieldValue& km, const FieldValue& time)
{
    return {subId.asString(), km.isNull() ? QString() : QString::number(km.asFloat(), 'g', 17),
            time.isNull() ? QString() : time.asString(), {}, {}};
}

QList<Entries::Unit> storedUnits(Database& db, const QString& entryId)
{
    const ResultSet r = db.select(QStringLiteral("SELECT SubID, strecke, Zeit FROM units WHERE MainID = ")
                                  + quoted(entryId));
    QList<Entries::Unit> units;
    for (const ResultRow& row : r.rows)
        units.append(unitOf(row.value(0), row.value(1), row.value(2)));
    return units;
}

} // namespace

QList<course::Effort> ofUnits(const QList<Entries::Unit>& units)
{
    QList<course::Effort> efforts;
    for (const Row& row : unitRows(QString(), {}, units))
        efforts << row.effort;
    return efforts;
}

void entryWritten(Database& db, const QString& entryId, const Owner& owner, const QList<Entries::Unit>& units,
                  bool isNew)
{
    Transaction transaction(db);
    Query q(db);
    const bool withCourse =
        !isNew && !db.select(QStringLiteral("SELECT MainID FROM verlauf WHERE MainID = ") + quoted(entryId), 1)
                       .rows.isEmpty();
    if (withCourse) {
        q.execSql(QStringLiteral("UPDATE bestzeiten SET UserID = ") + quoted(owner.userId) + QStringLiteral(", Datum = ")
                  + quoted(owner.date) + QStringLiteral(", Lauf = ")
                  + quoted(course::runningSport(owner.sport) ? 1 : 0) + QStringLiteral(" WHERE MainID = ")
                  + quoted(entryId));
    } else {
        if (!isNew)
            q.execSql(QStringLiteral("DELETE FROM bestzeiten WHERE MainID = ") + quoted(entryId));
        storeUnits(db, entryId, owner, units);
    }
    transaction.commit();
}

void courseWritten(Database& db, const QString& entryId, const Owner& owner, const QList<course::Effort>& efforts,
                   bool courseRemoved)
{
    Transaction transaction(db);
    Query(db).execSql(QStringLiteral("DELETE FROM bestzeiten WHERE MainID = ") + quoted(entryId));
    if (courseRemoved)
        storeUnits(db, entryId, owner, storedUnits(db, entryId));
    else
        insert(db, courseRows(entryId, owner, efforts));
    transaction.commit();
}

int computeAll(Database& db)
{
    Transaction transaction(db);
    Query(db).execSql(QStringLiteral("DELETE FROM bestzeiten"));
    // The units of standard distances of the entries without a course.
    QString near;
    for (const course::StandardDistance& d : course::standardDistances())
        near += (near.isEmpty() ? QString() : QStringLiteral(" OR "))
                + QStringLiteral("u.strecke BETWEEN %1 AND %2")
                      .arg(d.exact / 1000.0 * (1.0 - course::kUnitTolerance), 0, 'f', 5)
                      .arg(d.exact / 1000.0 * (1.0 + course::kUnitTolerance), 0, 'f', 5);
    const ResultSet units = db.select(
        QStringLiteral("SELECT u.MainID, u.SubID, u.strecke, u.Zeit, m.UserID, m.Datum, m.Kategorie FROM units u "
                       "JOIN main m ON m.ID = u.MainID WHERE (")
        + near + QStringLiteral(") AND NOT EXISTS (SELECT 1 FROM verlauf v WHERE v.MainID = u.MainID) ORDER BY u.MainID"));
    QList<Row> rows;
    int entries = 0;
    for (qsizetype i = 0; i < units.rows.size();) {
        const QString id = units.rows[i].value(0).asString();
        const Owner owner{int(units.rows[i].value(4).asInteger()), units.rows[i].value(5).asString(),
                          units.rows[i].value(6).asString()};
        QList<Entries::Unit> ofEntry;
        for (; i < units.rows.size() && units.rows[i].value(0).asString() == id; ++i)
            ofEntry.append(unitOf(units.rows[i].value(1), units.rows[i].value(2), units.rows[i].value(3)));
        const QList<Row> more = unitRows(id, owner, ofEntry);
        entries += more.isEmpty() ? 0 : 1;
        rows += more;
    }
    insert(db, rows);
    const ResultSet courses = db.select(QStringLiteral("SELECT v.MainID, m.UserID, m.Datum, m.Kategorie FROM verlauf v "
                                                       "JOIN main m ON m.ID = v.MainID ORDER BY v.MainID"));
    for (const ResultRow& row : courses.rows) {
        const QString id = row.value(0).asString();
        std::optional<course::Course> course;
        try {
            course = Courses::read(db, id);
        } catch (const StorageError&) {
            continue; // damaged or of a newer version: no efforts from it
        }
        if (!course)
            continue;
        const QList<Row> more =
            courseRows(id, {int(row.value(1).asInteger()), row.value(2).asString(), row.value(3).asString()},
                       course::bestEfforts(*course));
        entries += more.isEmpty() ? 0 : 1;
        insert(db, more);
    }
    transaction.commit();
    return entries;
}

} // namespace BestEfforts
