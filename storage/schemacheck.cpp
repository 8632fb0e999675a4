#include "schemacheck.h"

#include "database.h"
#include "sqltext.h"

#include <QHash>
#include <QSet>

namespace datafiles {
namespace {

// The engine's numbers of the column types the diary uses.
enum Type { SmallInt = 7, Integer = 8, Float = 10, Date = 12, Time = 13, Char = 14, Double = 27, Blob = 261 };

struct Column
{
    const char* name;
    Type type;
    int length; // characters of a CHAR; 0 for the others
    bool notNull;
};

struct Table
{
    const char* name;
    bool required; // the others are made at start-up when they are missing
    std::initializer_list<Column> columns;
    const char* key = "ID"; // the column of the primary key
};

// The tables as CheckDataBases makes them.
const Table kTables[] = {
    {"SCHUHE",
     false,
     {{"ID", Integer, 0, true},
      {"MODELL", Char, 40, true},
      {"MAXLEISTUNG", SmallInt, 0, false},
      {"PREVLEISTUNG", SmallInt, 0, false},
      {"USERID", SmallInt, 0, true}}},
    {"MAIN",
     true,
     {{"ID", Integer, 0, true},
      {"DATUM", Date, 0, true},
      {"UHRZEIT", Time, 0, false},
      {"WETTER", Char, 40, false},
      {"SCHUHE", Char, 40, false},
      {"RUHEPULS", SmallInt, 0, false},
      {"KATEGORIE", Char, 40, false},
      {"NOTIZEN", Char, 255, false},
      {"BEFINDEN", Char, 255, false},
      {"USERID", SmallInt, 0, true},
      {"GEWICHT", Double, 0, false},
      {"DAUER", Char, 5, true}}},
    {"UNITS",
     false,
     {{"ID", Integer, 0, true},
      {"MAINID", Integer, 0, true},
      {"SUBID", Integer, 0, true},
      {"STRECKE", Double, 0, true},
      {"ZEIT", Time, 0, false},
      {"PULS", SmallInt, 0, false},
      {"BEREICH", Char, 40, false}}},
    {"BEREICHE",
     false,
     {{"ID", Integer, 0, true},
      {"TRBEREICH", Char, 30, true},
      {"MINHF", SmallInt, 0, true},
      {"MAXHF", SmallInt, 0, true}}},
    {"STRECKEN",
     false,
     {{"ID", Integer, 0, true}, {"LAENGE", SmallInt, 0, true}, {"BESCHREIBUNG", Char, 100, false}}},
    {"USERS",
     true,
     {{"ID", Integer, 0, true},
      {"NAME", Char, 40, true},
      {"VORNAME", Char, 40, true},
      {"GEBDATUM", Date, 0, true},
      {"GESCHLECHT", SmallInt, 0, true},
      {"GEWICHT", Float, 0, false},
      {"RUHEPULS", SmallInt, 0, false},
      {"MAXPULS", SmallInt, 0, false}}},
    // a blob of bytes, one row per entry
    {"VERLAUF",
     false,
     {{"MAINID", Integer, 0, true},
      {"VERSION", SmallInt, 0, true},
      {"ANZAHL", Integer, 0, true},
      {"DATEN", Blob, 0, true}},
     "MAINID"},
    {"BESTZEITEN",
     false,
     {{"MAINID", Integer, 0, true},
      {"STRECKE", Integer, 0, true},
      {"SEKUNDEN", Double, 0, true},
      {"BEGINN", Double, 0, true},
      {"EINHEIT", SmallInt, 0, true},
      {"USERID", SmallInt, 0, true},
      {"DATUM", Date, 0, true},
      {"LAUF", SmallInt, 0, true}},
     "MAINID,STRECKE"},
    {"WETTKAMPF",
     false,
     {{"ID", Integer, 0, true},
      {"USERID", SmallInt, 0, true},
      {"DATUM", Date, 0, true},
      {"NAME", Char, 60, true},
      {"STRECKE", Double, 0, true},
      {"ZIELZEIT", Integer, 0, false},
      {"NOTIZEN", Char, 255, false}}},
    {"ZIELE",
     false,
     {{"USERID", SmallInt, 0, true},
      {"JAHR", SmallInt, 0, true},
      {"SPORTART", Char, 40, true},
      {"KM", Double, 0, true}},
     "USERID,JAHR,SPORTART"},
};

QString typeText(int type, int length, int scale)
{
    if (scale != 0)
        return QStringLiteral("NUMERIC mit %1 Nachkommastellen").arg(-scale);
    switch (type) {
    case SmallInt:
        return QStringLiteral("SMALLINT");
    case Integer:
        return QStringLiteral("INTEGER");
    case Float:
        return QStringLiteral("FLOAT");
    case Date:
        return QStringLiteral("DATE");
    case Time:
        return QStringLiteral("TIME");
    case Char:
        return QStringLiteral("CHAR(%1)").arg(length);
    case Double:
        return QStringLiteral("DOUBLE PRECISION");
    case 16:
        return QStringLiteral("BIGINT");
    case 23:
        return QStringLiteral("BOOLEAN");
    case 35:
        return QStringLiteral("TIMESTAMP");
    case 37:
        return QStringLiteral("VARCHAR(%1)").arg(length);
    case 261:
        return QStringLiteral("BLOB");
    default:
        return QStringLiteral("Typ %1").arg(type);
    }
}

// The duration was four characters wide before it was widened at start-up.
bool lengthFits(const Table& table, const Column& column, int length)
{
    if (qstrcmp(table.name, "MAIN") == 0 && qstrcmp(column.name, "DAUER") == 0)
        return length == 4 || length == 5;
    return length == column.length;
}

QString nameList()
{
    QStringList names;
    for (const Table& table : kTables)
        names << quoted(QString::fromLatin1(table.name));
    return names.join(QLatin1Char(','));
}

struct Found
{
    int type = 0;
    int length = 0;
    int scale = 0;
    bool notNull = false;
    bool hasDefault = false;
    bool computed = false;
    bool validated = false;
    int subType = 0;
};

void checkColumns(Database& db, const QString& names, const QSet<QString>& present, QStringList& faults)
{
    const ResultSet rows = db.select(
        QStringLiteral("SELECT TRIM(rf.RDB$RELATION_NAME), TRIM(rf.RDB$FIELD_NAME), f.RDB$FIELD_TYPE, "
                       "COALESCE(f.RDB$CHARACTER_LENGTH, f.RDB$FIELD_LENGTH), COALESCE(f.RDB$FIELD_SCALE, 0), "
                       "COALESCE(rf.RDB$NULL_FLAG, f.RDB$NULL_FLAG, 0), "
                       "IIF(rf.RDB$DEFAULT_SOURCE IS NULL AND f.RDB$DEFAULT_SOURCE IS NULL, 0, 1), "
                       "IIF(f.RDB$COMPUTED_BLR IS NULL, 0, 1), IIF(f.RDB$VALIDATION_BLR IS NULL, 0, 1), "
                       "COALESCE(f.RDB$FIELD_SUB_TYPE, 0) "
                       "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                       "WHERE rf.RDB$RELATION_NAME IN (")
        + names + QStringLiteral(") ORDER BY rf.RDB$RELATION_NAME, rf.RDB$FIELD_POSITION"));
    QHash<QString, QHash<QString, Found>> columns;
    QHash<QString, QStringList> order;
    for (const ResultRow& row : rows.rows) {
        Found found;
        found.type = int(row[2].asInteger());
        found.length = int(row[3].asInteger());
        found.scale = int(row[4].asInteger());
        found.notNull = row[5].asInteger() != 0;
        found.hasDefault = row[6].asInteger() != 0;
        found.computed = row[7].asInteger() != 0;
        found.validated = row[8].asInteger() != 0;
        found.subType = int(row[9].asInteger());
        columns[row[0].asString()].insert(row[1].asString(), found);
        order[row[0].asString()] << row[1].asString();
    }
    for (const Table& table : kTables) {
        const QString tableName = QString::fromLatin1(table.name);
        if (!present.contains(tableName))
            continue;
        const QHash<QString, Found>& found = columns[tableName];
        QSet<QString> known;
        for (const Column& column : table.columns) {
            const QString name = QString::fromLatin1(column.name);
            known.insert(name);
            const QString where = tableName + QLatin1Char('.') + name;
            const auto it = found.constFind(name);
            if (it == found.cend()) {
                faults << QStringLiteral("Spalte %1 fehlt").arg(where);
                continue;
            }
            const Found& f = *it;
            if (f.computed) {
                faults << QStringLiteral("Spalte %1 ist berechnet").arg(where);
                continue;
            }
            const bool lengthless = column.type != Char;
            if (f.type != column.type || f.scale != 0 || (!lengthless && !lengthFits(table, column, f.length)))
                faults << QStringLiteral("Spalte %1 ist %2 statt %3")
                              .arg(where, typeText(f.type, f.length, f.scale),
                                   typeText(column.type, column.length, 0));
            else if (column.type == Blob && f.subType != 0)
                faults << QStringLiteral("Spalte %1 ist BLOB SUB_TYPE %2 statt BLOB SUB_TYPE 0")
                              .arg(where)
                              .arg(f.subType);
            if (f.validated)
                faults << QStringLiteral("Spalte %1 hat eine Prüfbedingung").arg(where);
            if (f.notNull && !column.notNull)
                faults << QStringLiteral("Spalte %1 muss gefüllt sein").arg(where);
            else if (!f.notNull && column.notNull)
                faults << QStringLiteral("Spalte %1 darf leer sein").arg(where);
        }
        for (const QString& name : order.value(tableName)) {
            const Found& f = found[name];
            if (!known.contains(name) && f.notNull && !f.hasDefault && !f.computed)
                faults << QStringLiteral("zusätzliche Spalte %1.%2 muss gefüllt sein und hat keinen Vorgabewert")
                              .arg(tableName, name);
        }
    }
}

// Beyond NOT NULL, a table of the program has at most its primary key on
// ID: a further condition, unique index or foreign key refuses some of the
// program's inserts or deletes.
void checkConstraints(Database& db, const QString& names, QStringList& faults)
{
    const ResultSet constraints = db.select(
        QStringLiteral("SELECT TRIM(c.RDB$RELATION_NAME), TRIM(c.RDB$CONSTRAINT_NAME), TRIM(c.RDB$CONSTRAINT_TYPE), "
                       "(SELECT LIST(TRIM(s.RDB$FIELD_NAME)) FROM RDB$INDEX_SEGMENTS s "
                       "WHERE s.RDB$INDEX_NAME = c.RDB$INDEX_NAME) "
                       "FROM RDB$RELATION_CONSTRAINTS c WHERE c.RDB$RELATION_NAME IN (")
        + names + QStringLiteral(") AND c.RDB$CONSTRAINT_TYPE <> 'NOT NULL' ORDER BY 1, 2"));
    QHash<QString, QString> keys;
    for (const Table& table : kTables)
        keys.insert(QString::fromLatin1(table.name), QString::fromLatin1(table.key));
    for (const ResultRow& row : constraints.rows) {
        const QString type = row[2].asString();
        const QString key = keys.value(row[0].asString());
        if (type == QLatin1String("PRIMARY KEY") && row[3].asString() == key)
            continue;
        const QString notOnKey = QStringLiteral("Primärschlüssel nicht auf ") + key;
        const QString kind = type == QLatin1String("PRIMARY KEY") ? notOnKey
                             : type == QLatin1String("UNIQUE")    ? QStringLiteral("Eindeutigkeit")
                             : type == QLatin1String("FOREIGN KEY") ? QStringLiteral("Fremdschlüssel")
                             : type == QLatin1String("CHECK")     ? QStringLiteral("Prüfbedingung")
                                                                  : type;
        faults << QStringLiteral("Bedingung %1 auf %2: %3").arg(row[1].asString(), row[0].asString(), kind);
    }
    const ResultSet indexes =
        db.select(QStringLiteral("SELECT TRIM(i.RDB$RELATION_NAME), TRIM(i.RDB$INDEX_NAME) FROM RDB$INDICES i "
                                 "WHERE i.RDB$RELATION_NAME IN (")
                  + names
                  + QStringLiteral(") AND i.RDB$UNIQUE_FLAG = 1 AND NOT EXISTS (SELECT 1 FROM "
                                   "RDB$RELATION_CONSTRAINTS c WHERE c.RDB$INDEX_NAME = i.RDB$INDEX_NAME) "
                                   "ORDER BY 1, 2"));
    for (const ResultRow& row : indexes.rows)
        faults << QStringLiteral("eindeutiger Index %1 auf %2").arg(row[1].asString(), row[0].asString());
    const ResultSet references = db.select(
        QStringLiteral("SELECT TRIM(k.RDB$RELATION_NAME), TRIM(k.RDB$CONSTRAINT_NAME), TRIM(u.RDB$RELATION_NAME) "
                       "FROM RDB$REF_CONSTRAINTS r "
                       "JOIN RDB$RELATION_CONSTRAINTS u ON u.RDB$CONSTRAINT_NAME = r.RDB$CONST_NAME_UQ "
                       "JOIN RDB$RELATION_CONSTRAINTS k ON k.RDB$CONSTRAINT_NAME = r.RDB$CONSTRAINT_NAME "
                       "WHERE u.RDB$RELATION_NAME IN (")
        + names + QStringLiteral(") AND k.RDB$RELATION_NAME NOT IN (") + names + QStringLiteral(") ORDER BY 1, 2"));
    for (const ResultRow& row : references.rows)
        faults << QStringLiteral("Fremdschlüssel %1 der Tabelle %2 auf %3")
                      .arg(row[1].asString(), row[0].asString(), row[2].asString());
}

// Code that runs inside the database: the program makes none.
void checkCode(Database& db, QStringList& faults)
{
    const ResultSet code = db.select(QStringLiteral(
        "SELECT 'Trigger', TRIM(RDB$TRIGGER_NAME) FROM RDB$TRIGGERS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "UNION ALL SELECT 'Prozedur', TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES "
        "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "UNION ALL SELECT 'Funktion', TRIM(RDB$FUNCTION_NAME) FROM RDB$FUNCTIONS "
        "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "UNION ALL SELECT 'Paket', TRIM(RDB$PACKAGE_NAME) FROM RDB$PACKAGES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0"));
    for (const ResultRow& row : code.rows) {
        const QString kind = row[0].asString();
        const QString relative = kind == QLatin1String("Trigger") ? QStringLiteral("den")
                                 : kind == QLatin1String("Paket") ? QStringLiteral("das")
                                                                  : QStringLiteral("die");
        faults << QStringLiteral("%1 %2, %3 das Programm nicht anlegt").arg(kind, row[1].asString(), relative);
    }
}

} // namespace

QStringList schemaFaults(Database& db)
{
    const QString names = nameList();
    const ResultSet relations = db.select(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME), "
                                                         "IIF(RDB$VIEW_BLR IS NULL, COALESCE(RDB$RELATION_TYPE, 0), 1) "
                                                         "FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN (")
                                          + names + QLatin1Char(')'));
    QSet<QString> present; // as ordinary tables
    QSet<QString> named;
    QStringList faults;
    for (const ResultRow& row : relations.rows) {
        named.insert(row[0].asString());
        if (row[1].asInteger() == 0)
            present.insert(row[0].asString());
        else
            faults << QStringLiteral("%1 ist keine gewöhnliche Tabelle").arg(row[0].asString());
    }
    for (const Table& table : kTables) {
        const QString name = QString::fromLatin1(table.name);
        if (table.required && !named.contains(name))
            faults << QStringLiteral("Tabelle %1 fehlt").arg(name);
    }
    checkColumns(db, names, present, faults);
    checkConstraints(db, names, faults);
    checkCode(db, faults);
    return faults;
}

} // namespace datafiles
