#include "csvexport.h"

#include "database.h"
#include "diaryforms.h"
#include "ownfiles.h"
#include "sqltext.h"
#include "storageerror.h"
#include "textforms.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cmath>

namespace exchange {

namespace {

// A field as RFC 4180 writes it: quoted, with its quotes doubled, when it
// would otherwise split the line or lose a blank at its ends on reading.
QString csvField(const QString& value)
{
    if (value.isEmpty())
        return value;
    const bool quote = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
                       || value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))
                       || value.front().isSpace() || value.back().isSpace();
    if (!quote)
        return value;
    return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void appendLine(QString& text, const QStringList& fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(';');
        text += csvField(fields[i]);
    }
    text += QLatin1String("\r\n");
}

// Up to six decimals (a millimetre is three), without trailing zeros, with
// the decimal comma: "12,5", "1,23456", "0" - the sum 0.1 + 0.2 gives "0,3".
QString number(double value)
{
    if (std::isfinite(value) && std::fabs(value) < 1e9)
        value = std::round(value * 1e6) / 1e6;
    if (value == 0.0)
        value = 0.0; // no "-0"
    return decimalComma(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

// Pulses and weights of 0 or less are none.
QString measured(const FieldValue& value)
{
    if (value.isNull() || !(value.asFloat() > 0.0))
        return QString();
    return value.kind == FieldValue::Kind::Float ? number(value.asFloat()) : value.asString();
}

QString periodCondition(const QDate& from, const QDate& to)
{
    QString sql;
    if (from.isValid())
        sql += QStringLiteral(" AND m.Datum >= ") + quoted(dateText(from));
    if (to.isValid())
        sql += QStringLiteral(" AND m.Datum <= ") + quoted(dateText(to));
    return sql;
}

// The entries with their kilometres. Each entry's units are summed by the
// engine as the program's other sums of one entry do (through the index on
// MainID), so the export shows the numbers the windows show.
ResultSet readEntries(Database& db, const QString& condition)
{
    return db.select(QStringLiteral("SELECT m.Datum, m.Uhrzeit, m.Kategorie, m.Dauer, "
                                    "(SELECT SUM(u.strecke) FROM units u WHERE u.MainID = m.ID), "
                                    "m.Wetter, m.Schuhe, m.Ruhepuls, m.Gewicht, m.Befinden, m.Notizen "
                                    "FROM main m WHERE ")
                     + condition + QStringLiteral(" ORDER BY m.Datum, m.Uhrzeit, m.ID"));
}

// All units of the period with their entry's date and time, in the order
// of the entries file and, within an entry, by their number.
ResultSet readUnits(Database& db, const QString& condition)
{
    return db.select(QStringLiteral("SELECT m.Datum, m.Uhrzeit, u.SubID, u.strecke, u.Zeit, u.Puls, u.Bereich, "
                                    "m.Kategorie FROM main m JOIN units u ON u.MainID = m.ID WHERE ")
                     + condition + QStringLiteral(" ORDER BY m.Datum, m.Uhrzeit, m.ID, u.SubID, u.ID"));
}

QString entriesText(const ResultSet& entries)
{
    QString text;
    text.reserve(entries.rows.size() * 120 + 120);
    appendLine(text, {QStringLiteral("Datum"), QStringLiteral("Uhrzeit"), QStringLiteral("Sportart"),
                      QStringLiteral("Dauer"), QStringLiteral("Strecke (km)"), QStringLiteral("Wetter"),
                      QStringLiteral("Schuhe"), QStringLiteral("Ruhepuls"), QStringLiteral("Gewicht (kg)"),
                      QStringLiteral("Befinden"), QStringLiteral("Notizen")});
    for (const ResultRow& row : entries.rows)
        appendLine(text, {row[0].asString(), row[1].asString(), row[2].asString(), row[3].asString(),
                          number(row[4].asFloat()), row[5].asString(), row[6].asString(), measured(row[7]),
                          measured(row[8]), row[9].asString(), row[10].asString()});
    return text;
}

QString unitsText(const ResultSet& units)
{
    QString text;
    text.reserve(units.rows.size() * 60 + 80);
    appendLine(text, {QStringLiteral("Datum"), QStringLiteral("Uhrzeit"), QStringLiteral("Nr."),
                      QStringLiteral("Strecke (km)"), QStringLiteral("Zeit"), QStringLiteral("Tempo"),
                      QStringLiteral("Puls"), QStringLiteral("Trainingsart")});
    for (const ResultRow& row : units.rows) {
        const double km = row[3].asFloat();
        const QString time = row[4].asString();
        appendLine(text, {row[0].asString(), row[1].asString(), row[2].asString(), number(km), time,
                          unitPaceText(row[7].asString(), time, float(km)), measured(row[5]), row[6].asString()});
    }
    return text;
}

QString cannotWrite(const QString& path)
{
    return QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden.").arg(QDir::toNativeSeparators(path));
}

// Opens the file beside the target and writes the whole text into it; it
// takes the target's place only on commit.
// The export holds a person's diary: only its owner may read it, unless it
// goes into a folder others share, where it is meant for them.
void writeBeside(QSaveFile& file, const QString& text)
{
    if (!file.open(QIODevice::WriteOnly)
        || (!ownfiles::isFolderOfOthers(QFileInfo(file.fileName()).absolutePath()) && !ownfiles::makeOwnerOnly(file)))
        throw StorageError(cannotWrite(file.fileName()), file.errorString());
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    if (file.write(bytes) != bytes.size())
        throw StorageError(cannotWrite(file.fileName()), file.errorString());
}

void putInPlace(QSaveFile& file)
{
    if (!file.commit())
        throw StorageError(cannotWrite(file.fileName()), file.errorString());
}

} // namespace

CsvExport exportDiary(Database& db, int userId, const QDate& from, const QDate& to, const QString& entriesPath,
                      const QString& unitsPath)
{
    if (entriesPath.isEmpty() || unitsPath.isEmpty())
        throw StorageError(QStringLiteral("Für den Export fehlt ein Dateiname."));
    if (QFileInfo(entriesPath).absoluteFilePath() == QFileInfo(unitsPath).absoluteFilePath())
        throw StorageError(QStringLiteral("Die Einträge und ihre Trainingseinheiten müssen in zwei verschiedene "
                                          "Dateien exportiert werden."));

    // Both reads see the diary at the same moment, so that every unit's
    // entry is in the entries file even while another workstation saves.
    const QString condition = QStringLiteral("m.UserID = ") + quoted(userId) + periodCondition(from, to);
    ResultSet entries;
    ResultSet units;
    {
        Transaction snapshot(db);
        entries = readEntries(db, condition);
        units = readUnits(db, condition);
    }

    QSaveFile entriesFile(entriesPath);
    QSaveFile unitsFile(unitsPath);
    writeBeside(entriesFile, entriesText(entries));
    writeBeside(unitsFile, unitsText(units));
    putInPlace(entriesFile);
    putInPlace(unitsFile);
    return {entriesPath, unitsPath, int(entries.rows.size()), int(units.rows.size())};
}

PlansExport exportPlans(Database& db, int userId, const QString& racesPath, const QString& goalsPath)
{
    if (racesPath.isEmpty() || goalsPath.isEmpty())
        throw StorageError(QStringLiteral("Für den Export fehlt ein Dateiname."));
    if (QFileInfo(racesPath).absoluteFilePath() == QFileInfo(goalsPath).absoluteFilePath())
        throw StorageError(QStringLiteral("Die Wettkämpfe und die Ziele müssen in zwei verschiedene Dateien "
                                          "exportiert werden."));
    ResultSet races;
    ResultSet goals;
    {
        Transaction snapshot(db);
        races = db.select(QStringLiteral("SELECT Datum, Name, Strecke, Zielzeit, Notizen FROM wettkampf WHERE UserID = ")
                          + quoted(userId) + QStringLiteral(" ORDER BY Datum, ID"));
        goals = db.select(QStringLiteral("SELECT Jahr, Sportart, Km FROM ziele WHERE UserID = ") + quoted(userId)
                          + QStringLiteral(" ORDER BY Jahr, Sportart"));
    }
    QString racesText;
    appendLine(racesText, {QStringLiteral("Datum"), QStringLiteral("Wettkampf"), QStringLiteral("Strecke (km)"),
                           QStringLiteral("Zielzeit"), QStringLiteral("Notizen")});
    for (const ResultRow& row : races.rows) {
        const qint64 goal = row[3].isNull() ? 0 : row[3].asInteger();
        const QString goalText = goal > 0 ? QStringLiteral("%1:%2:%3")
                                                .arg(goal / 3600)
                                                .arg(goal / 60 % 60, 2, 10, QLatin1Char('0'))
                                                .arg(goal % 60, 2, 10, QLatin1Char('0'))
                                          : QString();
        appendLine(racesText, {row[0].asString(), row[1].asString().trimmed(), number(row[2].asFloat()), goalText,
                               row[4].asString().trimmed()});
    }
    QString goalsText;
    appendLine(goalsText, {QStringLiteral("Jahr"), QStringLiteral("Sportart"), QStringLiteral("Strecke (km)")});
    for (const ResultRow& row : goals.rows) {
        const QString sport = row[1].asString().trimmed();
        appendLine(goalsText, {row[0].asString(), sport.isEmpty() ? QStringLiteral("alle Sportarten") : sport,
                               number(row[2].asFloat())});
    }
    QSaveFile racesFile(racesPath);
    QSaveFile goalsFile(goalsPath);
    writeBeside(racesFile, racesText);
    writeBeside(goalsFile, goalsText);
    putInPlace(racesFile);
    putInPlace(goalsFile);
    return {int(races.rows.size()), int(goals.rows.size())};
}

} // namespace exchange
