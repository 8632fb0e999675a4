#include "raceresults.h"

#include "database.h"
#include "diaryforms.h"
#include "sqltext.h"
#include "textforms.h"

#include <cmath>

namespace raceresults {

namespace {

QDate dateOf(const FieldValue& value)
{
    return value.kind == FieldValue::Kind::Date ? QDate::fromJulianDay(value.integer) : parseDateText(value.asString());
}

double secondsOf(const FieldValue& value)
{
    if (value.isNull())
        return 0.0;
    if (value.kind == FieldValue::Kind::Time)
        return std::round(value.number / 1000.0);
    const QTime t = parseTimeText(value.asString());
    return t.isValid() ? double(t.msecsSinceStartOfDay() / 1000) : 0.0;
}

// The units of one entry on the race's day.
struct DayEntry
{
    QString id;
    double km = 0.0;
    double seconds = 0.0;
    double raceKm = 0.0; // of the units in the race zone
    double raceSeconds = 0.0;
    bool hasRaceUnits = false;
};

// The result from the entries of the race's day: the first with units in
// the race zone, else the one whose distance is nearest to the race's
// within 1 %.
void takeResult(RaceResult& result, const QList<DayEntry>& entries)
{
    for (const DayEntry& e : entries) {
        if (e.hasRaceUnits) {
            result.entryId = e.id;
            result.km = e.raceKm;
            result.seconds = e.raceSeconds;
            return;
        }
    }
    const double target = result.race.km;
    if (!(target > 0.0))
        return;
    double nearest = 0.01 * target + 1e-9;
    for (const DayEntry& e : entries) {
        const double off = std::abs(wholeMetres(e.km) - target);
        if (e.km > 0.0 && off <= nearest) {
            nearest = off;
            result.entryId = e.id;
            result.km = e.km;
            result.seconds = e.seconds;
        }
    }
}

} // namespace

QList<RaceResult> ofPerson(Database& db, int userId, const QDate& today)
{
    // Each race with the units of the person's entries of its day, the
    // entries only for races up to today.
    const ResultSet rows = db.select(
        QStringLiteral("SELECT w.ID, w.Datum, w.Name, w.Strecke, w.Zielzeit, w.Notizen, m.ID, u.strecke, u.Zeit, "
                       "u.Bereich FROM wettkampf w "
                       "LEFT JOIN main m ON m.UserID = w.UserID AND m.Datum = w.Datum AND w.Datum <= ")
        + quoted(dateText(today))
        + QStringLiteral(" LEFT JOIN units u ON u.MainID = m.ID WHERE w.UserID = ") + quoted(userId)
        + QStringLiteral(" ORDER BY w.Datum, w.ID, m.Uhrzeit, m.ID, u.SubID"));
    QList<RaceResult> results;
    QList<DayEntry> entries;
    QString lastRace;
    const auto finish = [&] {
        if (!results.isEmpty())
            takeResult(results.last(), entries);
        entries.clear();
    };
    for (const ResultRow& row : rows.rows) {
        const QString raceId = row.value(0).asString();
        if (raceId != lastRace) {
            finish();
            lastRace = raceId;
            RaceResult r;
            r.race.id = raceId;
            r.race.userId = userId;
            r.race.date = dateOf(row.value(1));
            r.race.name = row.value(2).asString().trimmed();
            r.race.km = row.value(3).asFloat();
            r.race.goalSeconds = row.value(4).isNull() ? 0 : int(row.value(4).asInteger());
            r.race.notes = row.value(5).asString().trimmed();
            results << r;
        }
        if (row.value(6).isNull())
            continue;
        const QString entryId = row.value(6).asString();
        if (entries.isEmpty() || entries.last().id != entryId)
            entries.append(DayEntry{entryId});
        if (row.value(7).isNull())
            continue; // an entry without units
        DayEntry& e = entries.last();
        const double km = row.value(7).asFloat();
        const double seconds = secondsOf(row.value(8));
        e.km += km;
        e.seconds += seconds;
        if (row.value(9).asString().trimmed().compare(kRaceZone, Qt::CaseInsensitive) == 0) {
            e.hasRaceUnits = true;
            e.raceKm += km;
            e.raceSeconds += seconds;
        }
    }
    finish();
    return results;
}

QString resultText(const RaceResult& result, const QDate& today)
{
    if (result.hasResult()) {
        const QString km = distanceText(result.km) + QStringLiteral(" km");
        const QString time = raceTimeText(result.seconds);
        return time.isEmpty() ? km : time + QStringLiteral(" (") + km + QLatin1Char(')');
    }
    const qint64 days = today.daysTo(result.race.date);
    if (days == 0)
        return QStringLiteral("heute");
    if (days == 1)
        return QStringLiteral("morgen");
    if (days > 1)
        return QStringLiteral("in %1 Tagen").arg(days);
    return QStringLiteral("kein Ergebnis");
}

} // namespace raceresults
