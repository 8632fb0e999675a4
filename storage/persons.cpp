#include "persons.h"

#include "database.h"
#include "query.h"
#include "sqltext.h"
#include "textforms.h"

namespace Persons {

namespace {

// The weight as it is stored: single precision, "%3.1f", decimal point (75.5).
QString weightText(double weight)
{
    return decimalPoint(QString::asprintf("%3.1f", double(float(weight))));
}

} // namespace

QList<Listed> list(Database& db)
{
    const ResultSet rows = db.select(QStringLiteral("SELECT ID, name, vorname, GebDatum FROM users ORDER BY name, vorname"));
    QList<Listed> persons;
    persons.reserve(rows.rows.size());
    for (const ResultRow& row : rows.rows)
        persons.append({row[0].asString(), row[1].asString(), row[2].asString(), row[3].asString()});
    return persons;
}

StoredRecord storedRecord(const QString& id)
{
    return StoredRecord({QStringLiteral("SELECT * FROM users WHERE ID = ") + quoted(id)});
}

std::optional<Person> read(Database& db, const QString& id, StoredRecord* record)
{
    StoredRecord stored = storedRecord(id);
    Query q(db);
    q.open(stored.selects().first());
    if (q.eof())
        return std::nullopt;
    if (record) {
        *record = std::move(stored);
        record->take({q.result()});
    }
    Person person;
    person.name = q.field(1).asString();
    person.firstName = q.field(2).asString();
    person.birthday = q.field(3).asString();
    person.sex = int(q.field(4).asInteger());
    person.weight = q.field(5).asFloat();
    person.restingPulse = q.field(6).asString();
    person.maxPulse = q.field(7).asString();
    return person;
}

void insert(Database& db, const Person& person)
{
    db.execute(QStringLiteral("INSERT INTO USERS (ID, name, vorname, GebDatum, Gewicht, Geschlecht, Ruhepuls, "
                              "MaxPuls) VALUES (gen_id(Gen_Users,1), ")
               + quoted(person.name) + QStringLiteral(",") + quoted(person.firstName) + QStringLiteral(",")
               + quoted(person.birthday) + QStringLiteral(",") + quoted(weightText(person.weight))
               + QStringLiteral(",") + quoted(person.sex) + QStringLiteral(",") + quoted(person.restingPulse)
               + QStringLiteral(",") + quoted(person.maxPulse) + QStringLiteral(")"));
}

bool update(Database& db, const QString& id, const Person& person)
{
    Query query(db);
    return query.execSqlOnRecord(
        QStringLiteral("UPDATE users SET ID = ") + quoted(id) + QStringLiteral(",") + QStringLiteral(" name = ")
        + quoted(person.name) + QStringLiteral(",") + QStringLiteral(" vorname = ") + quoted(person.firstName)
        + QStringLiteral(",") + QStringLiteral(" gebdatum = ") + quoted(person.birthday) + QStringLiteral(",")
        + QStringLiteral(" geschlecht = ") + quoted(person.sex) + QStringLiteral(",") + QStringLiteral(" gewicht = ")
        + quoted(weightText(person.weight)) + QStringLiteral(",") + QStringLiteral(" ruhepuls = ")
        + quoted(person.restingPulse) + QStringLiteral(",") + QStringLiteral(" maxpuls = ")
        + quoted(person.maxPulse) + QStringLiteral(" WHERE ID = ") + quoted(id));
}

bool remove(Database& db, const QString& id)
{
    Transaction transaction(db);
    Query query(db);
    if (!query.execSqlOnRecord(QStringLiteral("DELETE FROM users WHERE ID = ") + quoted(id)))
        return false;
    // The units, courses and best efforts of all the person's entries,
    // the entries, the races and the goals: six statements whatever the
    // length of the diary.
    query.execSql(QStringLiteral("DELETE FROM units WHERE MainID IN (SELECT ID FROM main WHERE UserID = ") + quoted(id)
                  + QLatin1Char(')'));
    query.execSql(QStringLiteral("DELETE FROM bestzeiten WHERE MainID IN (SELECT ID FROM main WHERE UserID = ")
                  + quoted(id) + QLatin1Char(')'));
    query.execSql(QStringLiteral("DELETE FROM verlauf WHERE MainID IN (SELECT ID FROM main WHERE UserID = ")
                  + quoted(id) + QLatin1Char(')'));
    query.execSql(QStringLiteral("DELETE FROM main WHERE UserID = ") + quoted(id));
    query.execSql(QStringLiteral("DELETE FROM wettkampf WHERE UserID = ") + quoted(id));
    query.execSql(QStringLiteral("DELETE FROM ziele WHERE UserID = ") + quoted(id));
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
