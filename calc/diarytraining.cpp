#include "diarytraining.h"

#include "database.h"
#include "diaryforms.h"
#include "diarystatements.h"
#include "diaryweeks.h"
#include "sqltext.h"
#include "textforms.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace training {

namespace {

QDate dateOf(const FieldValue& v)
{
    if (v.kind == FieldValue::Kind::Date)
        return QDate::fromJulianDay(v.integer);
    return v.isNull() ? QDate() : parseDateText(v.asString().trimmed());
}

QTime timeOf(const FieldValue& v)
{
    if (v.kind == FieldValue::Kind::Time)
        return QTime::fromMSecsSinceStartOfDay(int(v.number));
    return v.isNull() ? QTime() : parseTimeText(v.asString().trimmed());
}

int secondsOf(const FieldValue& v)
{
    const QTime t = timeOf(v);
    return t.isValid() ? t.msecsSinceStartOfDay() / 1000 : 0;
}

bool validPeriod(const QDate& from, const QDate& to)
{
    return from.isValid() && to.isValid() && from <= to;
}

// Sorts names alphabetically, the same on every machine.
bool nameBefore(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

double median(QList<double>& values)
{
    const qsizetype n = values.size();
    const auto mid = values.begin() + n / 2;
    std::nth_element(values.begin(), mid, values.end());
    if (n % 2 == 1)
        return *mid;
    const double upper = *mid;
    const double lower = *std::max_element(values.begin(), mid);
    return (lower + upper) / 2.0;
}

// The time and distance of the units of one entry that have both.
struct EntryPace
{
    qint64 entryId = 0;
    QDate date;
    QTime time;
    QString sport;
    double km = 0.0;
    qint64 seconds = 0;
};

// The entries with at least one unit of distance and time, in row order.
QList<EntryPace> entriesWithPace(const QList<UnitRow>& rows)
{
    QList<EntryPace> entries;
    QHash<qint64, qsizetype> index;
    for (const UnitRow& row : rows) {
        if (!row.hasUnit || row.km <= 0.0 || row.seconds <= 0)
            continue;
        auto it = index.find(row.entryId);
        if (it == index.end()) {
            it = index.insert(row.entryId, entries.size());
            entries.append(EntryPace{row.entryId, row.date, row.time, row.sport});
        }
        EntryPace& e = entries[*it];
        e.km += row.km;
        e.seconds += row.seconds;
    }
    return entries;
}

} // namespace

namespace {

// The person's units that the condition on m.Datum selects, in one statement.
QList<UnitRow> readUnitsWhere(Database& db, int userId, const QString& dateCondition)
{
    QList<UnitRow> rows;
    const ResultSet r = db.select(
        QStringLiteral("SELECT m.ID, m.Datum, m.Uhrzeit, m.Kategorie, m.Dauer, u.SubID, u.strecke, u.Zeit, "
                       "u.Puls, u.Bereich FROM main m LEFT JOIN units u ON u.MainID = m.ID WHERE m.UserID = ")
        + quoted(userId) + dateCondition + QStringLiteral(" ORDER BY m.Datum, m.Uhrzeit, m.ID, u.SubID"));
    rows.reserve(r.rows.size());
    // Entries have several units: their texts are converted once.
    qint64 lastEntry = -1;
    UnitRow entry;
    for (const ResultRow& f : r.rows) {
        const qint64 id = f[0].asInteger();
        if (id != lastEntry) {
            lastEntry = id;
            entry.entryId = id;
            entry.date = dateOf(f[1]);
            entry.time = timeOf(f[2]);
            entry.sport = f[3].asString().trimmed();
            entry.durationMinutes = DurationToMinutes(f[4].asString().trimmed());
        }
        UnitRow row = entry;
        row.hasUnit = !f[5].isNull();
        if (row.hasUnit) {
            row.km = f[6].asFloat();
            row.seconds = secondsOf(f[7]);
            row.pulse = f[8].isNull() ? 0 : qMax(0, int(f[8].asInteger()));
            row.zone = f[9].asString().trimmed();
        }
        rows.append(row);
    }
    return rows;
}

} // namespace

QList<UnitRow> readUnits(Database& db, int userId, const QDate& from, const QDate& to)
{
    if (!validPeriod(from, to))
        return {};
    return readUnitsWhere(db, userId, diarystatements::period(from, to, QStringLiteral("m.Datum")));
}

QList<UnitRow> readUnitsThrough(Database& db, int userId, const QDate& to)
{
    if (!to.isValid())
        return {};
    return readUnitsWhere(db, userId, QStringLiteral(" AND m.Datum <= ") + quoted(dateText(to)));
}

Person readPerson(Database& db, int userId)
{
    Person p;
    const ResultSet r = db.select(QStringLiteral("SELECT Ruhepuls, Maxpuls, Geschlecht, Gewicht, GebDatum FROM users "
                                                 "WHERE ID = ")
                                  + quoted(userId));
    if (r.rows.isEmpty())
        return p;
    const ResultRow& f = r.rows[0];
    p.found = true;
    p.restPulse = qMax(0, int(f[0].asInteger()));
    p.maxPulse = qMax(0, int(f[1].asInteger()));
    p.female = f[2].asInteger() == 1;
    if (!f[0].isNull())
        p.storedRestPulse = int(f[0].asInteger());
    if (!f[3].isNull()) {
        p.weight = f[3].asFloat();
        p.weightText = f[3].asString();
    }
    if (!f[4].isNull())
        p.birthday = parseDateText(f[4].asString());
    return p;
}

QList<Zone> readZones(Database& db)
{
    QList<Zone> zones;
    const ResultSet r = db.select(QStringLiteral("SELECT TrBereich, minHF, maxHF FROM bereiche ORDER BY ID"));
    for (const ResultRow& f : r.rows)
        zones.append(Zone{f[0].asString().trimmed(), int(f[1].asInteger()), int(f[2].asInteger())});
    return zones;
}

QList<Zone> zonesHolding(Database& db, int percentage)
{
    QList<Zone> zones;
    const ResultSet r = db.select(QStringLiteral("SELECT TRBereich, minHF, maxHF FROM bereiche WHERE minHF <= ")
                                  + quoted(percentage) + QStringLiteral(" AND maxHF >= ") + quoted(percentage));
    for (const ResultRow& f : r.rows)
        zones.append(Zone{f[0].asString(), int(f[1].asInteger()), int(f[2].asInteger())});
    return zones;
}

QList<Shoe> readShoes(Database& db, int userId)
{
    QList<Shoe> shoes;
    for (const ResultRow& f :
         db.select(QStringLiteral("SELECT modell, prevleistung, maxleistung FROM schuhe WHERE UserID = ")
                   + quoted(userId))
             .rows)
        shoes.append({f[0].asString(), {int(f[1].asInteger()), int(f[2].asInteger())}});
    return shoes;
}

// --- Training load --------------------------------------------------------

DayLoad LoadSeries::valuesOn(const QDate& day) const
{
    if (days.isEmpty())
        return DayLoad{};
    const qint64 i = days.first().date.daysTo(day);
    return i >= 0 && i < days.size() ? days[i] : days.last();
}

namespace {

bool pulsesKnown(const Person& p)
{
    return p.found && p.restPulse > 0 && p.maxPulse > p.restPulse;
}

// The pulse a unit counts with: its own, else the middle of its zone's band;
// 0 when it has neither.
double effectivePulse(const UnitRow& unit, const Person& person, const QList<Zone>& zones)
{
    if (unit.pulse > 0)
        return unit.pulse;
    for (const Zone& z : zones) {
        if (z.name == unit.zone)
            return z.minHF > 0 && z.maxHF > 0 ? person.maxPulse * (z.minHF + z.maxHF) / 200.0 : 0.0;
    }
    return 0.0;
}

} // namespace

double unitLoad(const UnitRow& unit, const Person& person, const QList<Zone>& zones)
{
    const double pulse = effectivePulse(unit, person, zones);
    if (!unit.hasUnit || pulse <= 0.0 || !pulsesKnown(person))
        return 0.0;
    const double reserve =
        std::clamp((pulse - person.restPulse) / double(person.maxPulse - person.restPulse), 0.0, 1.0);
    const double minutes = unit.seconds / 60.0;
    return person.female ? minutes * reserve * 0.86 * std::exp(1.67 * reserve)
                         : minutes * reserve * 0.64 * std::exp(1.92 * reserve);
}

LoadSeries trainingLoad(Database& db, int userId, const QDate& from, const QDate& to)
{
    const Person person = readPerson(db, userId);
    if (!pulsesKnown(person) || !validPeriod(from, to)) {
        LoadSeries none;
        none.pulsesKnown = pulsesKnown(person);
        return none;
    }
    return trainingLoad(readUnitsThrough(db, userId, to), person, readZones(db), from, to);
}

LoadSeries trainingLoad(const QList<UnitRow>& rows, const Person& person, const QList<Zone>& zones,
                        const QDate& from, const QDate& to)
{
    LoadSeries series;
    series.pulsesKnown = pulsesKnown(person);
    if (!series.pulsesKnown || !validPeriod(from, to))
        return series;

    // From the first day with a training, at the latest from the first day shown.
    QDate start = from;
    for (const UnitRow& row : rows)
        if (row.date.isValid() && row.date < start)
            start = row.date;
    const qint64 count = start.daysTo(to) + 1;
    const qint64 firstShown = start.daysTo(from);
    QList<double> loads(count, 0.0);
    for (const UnitRow& row : rows) {
        const qint64 i = start.daysTo(row.date);
        if (!row.date.isValid() || i < 0 || i >= count)
            continue;
        const bool shown = row.date >= from;
        if (!row.hasUnit) {
            if (shown)
                series.minutesWithoutIntensity += row.durationMinutes;
            continue;
        }
        if (effectivePulse(row, person, zones) <= 0.0) {
            if (shown)
                series.minutesWithoutIntensity += row.seconds / 60.0;
            continue;
        }
        loads[i] += unitLoad(row, person, zones);
    }

    const double fitnessRate = 1.0 - std::exp(-1.0 / 42.0);
    const double fatigueRate = 1.0 - std::exp(-1.0 / 7.0);
    double fitness = 0.0;
    double fatigue = 0.0;
    series.days.reserve(from.daysTo(to) + 1);
    for (qint64 i = 0; i < count; ++i) {
        const double form = fitness - fatigue;
        fitness += (loads[i] - fitness) * fitnessRate;
        fatigue += (loads[i] - fatigue) * fatigueRate;
        if (i >= firstShown)
            series.days.append(DayLoad{start.addDays(i), loads[i], fitness, fatigue, form});
    }
    return series;
}

// --- Pace trend -----------------------------------------------------------

QList<UnitRow> readPaceUnits(Database& db, int userId, const QDate& from, const QDate& to)
{
    if (!validPeriod(from, to))
        return {};
    return readUnits(db, userId, from.addDays(1 - kPaceMedianDays), to);
}

QList<PacePoint> paceTrend(Database& db, int userId, const QString& sport, const QDate& from, const QDate& to)
{
    return paceTrend(readPaceUnits(db, userId, from, to), sport, from);
}

QList<PacePoint> paceTrend(const QList<UnitRow>& rows, const QString& sport, const QDate& from)
{
    const QString wanted = sport.trimmed();
    const bool speed = speedSport(wanted);
    QList<PacePoint> points;
    for (const EntryPace& e : entriesWithPace(rows)) {
        if (e.sport != wanted)
            continue;
        const double minutes = e.seconds / 60.0;
        points.append(PacePoint{e.entryId, e.date, e.time, speed ? e.km / (minutes / 60.0) : minutes / e.km});
    }
    std::stable_sort(points.begin(), points.end(), [](const PacePoint& a, const PacePoint& b) {
        if (a.date != b.date)
            return a.date < b.date;
        if (a.time != b.time)
            return a.time < b.time;
        return a.entryId < b.entryId;
    });

    // The window of a date is the same for all its points: from the first
    // point of date - 27 through the last point of the date.
    QList<double> window;
    qsizetype first = 0;
    for (qsizetype i = 0; i < points.size();) {
        const QDate day = points[i].date;
        qsizetype end = i;
        while (end < points.size() && points[end].date == day)
            ++end;
        while (points[first].date.daysTo(day) >= kPaceMedianDays)
            ++first;
        window.clear();
        for (qsizetype k = first; k < end; ++k)
            window.append(points[k].value);
        const double m = median(window);
        for (; i < end; ++i)
            points[i].median = m;
    }
    if (from.isValid())
        points.erase(points.begin(), std::find_if(points.begin(), points.end(),
                                                  [&](const PacePoint& p) { return p.date >= from; }));
    return points;
}

QString commonestSport(Database& db, int userId, const QDate& from, const QDate& to)
{
    return commonestSport(readUnits(db, userId, from, to));
}

QString commonestSport(const QList<UnitRow>& rows, const QDate& from)
{
    QHash<QString, int> counts;
    for (const EntryPace& e : entriesWithPace(rows))
        if (!e.sport.isEmpty() && !(from.isValid() && e.date < from))
            ++counts[e.sport];
    QString best;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most || (it.value() == most && nameBefore(it.key(), best))) {
            best = it.key();
            most = it.value();
        }
    }
    return best;
}

// --- Kilometres per week or month by sport --------------------------------

SportKm kmBySport(Database& db, int userId, const QDate& from, const QDate& to, Bucket bucket,
                  const QString& sport)
{
    return kmBySport(readUnits(db, userId, from, to), from, to, bucket, sport);
}

SportKm kmBySport(const QList<UnitRow>& rows, const QDate& from, const QDate& to, Bucket bucket,
                  const QString& sport)
{
    SportKm result;
    if (!validPeriod(from, to))
        return result;

    const QDate firstSlot = bucket == Bucket::Week ? from.addDays(1 - from.dayOfWeek())
                                                   : QDate(from.year(), from.month(), 1);
    for (QDate day = firstSlot; day <= to; day = bucket == Bucket::Week ? day.addDays(7) : day.addMonths(1)) {
        KmSlot slot;
        slot.first = day;
        slot.number = bucket == Bucket::Week ? GetWeekNumber(day) : day.month();
        slot.year = bucket == Bucket::Week ? GetWeekYear(day) : day.year();
        result.slots.append(slot);
    }
    const auto slotOf = [&](const QDate& d) -> qint64 {
        if (bucket == Bucket::Week)
            return firstSlot.daysTo(d) / 7;
        return (d.year() - firstSlot.year()) * 12 + d.month() - firstSlot.month();
    };

    const QString wanted = sport.trimmed();
    QHash<QString, QList<double>> bySport;
    QHash<QString, double> totals;
    for (const UnitRow& row : rows) {
        if (!row.hasUnit || row.date < from || row.date > to || (!wanted.isEmpty() && row.sport != wanted))
            continue;
        QList<double>& km = bySport[row.sport];
        if (km.isEmpty())
            km.resize(result.slots.size(), 0.0);
        // Whole metres, as every sum of distances counts them.
        const double metresKm = wholeMetres(row.km);
        km[slotOf(row.date)] += metresKm;
        totals[row.sport] += metresKm;
    }

    for (auto it = totals.cbegin(); it != totals.cend(); ++it)
        if (it.value() != 0.0)
            result.sports.append(it.key());
    std::sort(result.sports.begin(), result.sports.end(), [&](const QString& a, const QString& b) {
        const double ka = totals.value(a), kb = totals.value(b);
        return ka != kb ? ka > kb : nameBefore(a, b);
    });
    for (qsizetype s = 0; s < result.slots.size(); ++s) {
        KmSlot& slot = result.slots[s];
        slot.km.reserve(result.sports.size());
        for (const QString& name : result.sports)
            slot.km.append(bySport[name][s]);
    }
    return result;
}

} // namespace training
