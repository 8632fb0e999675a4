#include "overview.h"

#include "database.h"
#include "diaryforms.h"
#include "diarysums.h"
#include "diarytraining.h"
#include "goals.h"
#include "records.h"
#include "sqltext.h"
#include "textforms.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace overview {

namespace {

Period periodOf(const QDate& from, const QDate& today)
{
    Period p;
    p.from = from;
    p.to = today;
    p.lastFrom = from.addYears(-1);
    p.lastTo = today.addYears(-1);
    return p;
}

// Adds the rows of the entries in either span of the period. Rows come
// ordered by entry, so an entry's duration and count are taken at its first row.
void addRows(Period& period, const QList<training::UnitRow>& rows)
{
    QHash<QString, qsizetype> sportAt;
    qint64 lastEntry = -1;
    for (const training::UnitRow& row : rows) {
        const bool now = row.date >= period.from && row.date <= period.to;
        const bool before = row.date >= period.lastFrom && row.date <= period.lastTo;
        if (!now && !before)
            continue;
        Sums& sums = now ? period.sums : period.lastYear;
        if (row.entryId != lastEntry) {
            lastEntry = row.entryId;
            sums.minutes += row.durationMinutes;
            ++sums.trainings;
        }
        if (!row.hasUnit)
            continue;
        auto at = sportAt.constFind(row.sport);
        if (at == sportAt.constEnd()) {
            at = sportAt.insert(row.sport, period.sports.size());
            period.sports.append({row.sport, 0.0, 0.0});
        }
        const double km = double(distanceMetres(row.km)) / 1000.0;
        sums.km += km;
        (now ? period.sports[*at].km : period.sports[*at].kmLastYear) += km;
    }
    // To the metre again: adding kilometres drifts far below a metre.
    period.sums.km = wholeMetres(period.sums.km);
    period.lastYear.km = wholeMetres(period.lastYear.km);
    for (SportKm& s : period.sports) {
        s.km = wholeMetres(s.km);
        s.kmLastYear = wholeMetres(s.kmLastYear);
    }
    std::sort(period.sports.begin(), period.sports.end(), [](const SportKm& a, const SportKm& b) {
        if (a.km != b.km)
            return a.km > b.km;
        if (a.kmLastYear != b.kmLastYear)
            return a.kmLastYear > b.kmLastYear;
        return a.sport < b.sport;
    });
}

QString clockText(int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// The newest entries of the rows, up to `count` of them, the newest first.
void addLastTrainings(QList<Training>& list, const QList<training::UnitRow>& rows, int count)
{
    qint64 metres = 0;
    qint64 pacedMetres = 0;
    int pacedSeconds = 0;
    for (qsizetype i = rows.size() - 1; i >= 0 && list.size() < count; --i) {
        const training::UnitRow& row = rows[i];
        if (row.hasUnit) {
            metres += distanceMetres(row.km);
            if (row.km > 0.0 && row.seconds > 0) {
                pacedMetres += distanceMetres(row.km);
                pacedSeconds += row.seconds;
            }
        }
        // The first row of the entry is the last one met.
        if (i > 0 && rows[i - 1].entryId == row.entryId)
            continue;
        Training t;
        t.entryId = QString::number(row.entryId);
        t.date = row.date;
        t.sport = row.sport;
        t.km = double(metres) / 1000.0;
        t.minutes = row.durationMinutes;
        t.pace = unitPaceText(row.sport, clockText(pacedSeconds), float(double(pacedMetres) / 1000.0));
        list.append(t);
        metres = pacedMetres = 0;
        pacedSeconds = 0;
    }
}

QList<Shoe> worn(Database& db, int userId)
{
    QList<Shoe> shoes;
    for (const ShoeMileage& s : ShoeMileages(db, userId)) {
        const double km = double(s.before) + wholeMetres(s.since);
        if (s.max <= 0 || km < kNearShare * s.max)
            continue;
        shoes.append({s.model.trimmed(), km, s.max, km > double(s.max)});
    }
    std::sort(shoes.begin(), shoes.end(),
              [](const Shoe& a, const Shoe& b) { return a.km / a.max > b.km / b.max; });
    return shoes;
}

Form formOf(const training::Person& person, const QList<training::Zone>& zones,
           const QList<training::UnitRow>& rows, const QDate& today)
{
    Form f;
    if (person.restPulse <= 0 || person.maxPulse <= person.restPulse) {
        f.sentence = QStringLiteral("Für die Form fehlen Ruhe- und Maximalpuls in den Benutzerdaten.");
        return f;
    }
    const training::LoadSeries load =
        training::trainingLoad(rows, person, zones, today, today);
    const training::DayLoad day = load.valuesOn(today);
    f.known = load.pulsesKnown && day.date.isValid();
    f.fitness = day.fitness;
    f.fatigue = day.fatigue;
    f.form = day.form;
    f.sentence = formSentence(f.fitness, f.form);
    return f;
}

std::optional<NextRace> nextRace(Database& db, int userId, const QDate& today,
                                 const std::optional<Races::Race>& race)
{
    if (!race)
        return std::nullopt;
    NextRace next;
    next.race = *race;
    next.daysLeft = int(today.daysTo(race->date));
    if (race->km > 0.0) {
        QList<records::Effort> efforts = records::since(db, userId, today.addDays(-records::kPredictionDays));
        efforts.removeIf([&](const records::Effort& e) { return e.date > today; });
        const records::Forecast forecast = records::forecast(efforts);
        if (forecast.vdot > 0.0)
            next.predictedSeconds = predictions::timeForVdot(forecast.vdot, race->km * 1000.0);
    }
    return next;
}

} // namespace

QString formSentence(double fitness, double form)
{
    const double clearly = std::max(kFormPoints, kFormShare * fitness);
    if (form > clearly)
        return QStringLiteral("Sie sind ausgeruht – gute Voraussetzungen für einen Wettkampf.");
    if (form < -clearly)
        return QStringLiteral("Die Belastung der letzten Tage ist hoch; gönnen Sie sich Erholung.");
    return QStringLiteral("Belastung und Erholung halten sich die Waage.");
}

double dueKm(double planned, const QDate& day)
{
    return planned * day.dayOfYear() / day.daysInYear();
}

Standing readStanding(Database& db, int userId, const QDate& today)
{
    return {training::readPerson(db, userId), training::readZones(db), Goals::ofYear(db, userId, today.year()),
            Races::next(db, userId, today), today};
}

Overview read(Database& db, int userId, const QDate& today)
{
    return read(db, userId, today, readStanding(db, userId, today));
}

Overview read(Database& db, int userId, const QDate& today, const Standing& standing)
{
    Overview o;
    o.week = periodOf(today.addDays(1 - today.dayOfWeek()), today);
    o.month = periodOf(QDate(today.year(), today.month(), 1), today);
    o.year = periodOf(QDate(today.year(), 1, 1), today);

    // One read for the sums, the last trainings and the load.
    const QDate start = std::min({today.addDays(-kLoadDays), o.week.lastFrom, o.year.lastFrom});
    const QList<training::UnitRow> rows = training::readUnits(db, userId, start, today);
    for (Period* p : {&o.week, &o.month, &o.year})
        addRows(*p, rows);

    addLastTrainings(o.last, rows, kLastTrainings);
    if (o.last.size() < kLastTrainings) {
        // A diary resting for years: the newest older entries.
        const int missing = kLastTrainings - int(o.last.size());
        const ResultSet dates = db.select(QStringLiteral("SELECT Datum FROM main WHERE UserID = ") + quoted(userId)
                                              + QStringLiteral(" AND Datum < ") + quoted(dateText(start))
                                              + QStringLiteral(" ORDER BY Datum DESC"),
                                          missing);
        if (!dates.rows.isEmpty()) {
            const QDate oldest = parseDateText(dates.rows.last()[0].asString());
            addLastTrainings(o.last, training::readUnits(db, userId, oldest, start.addDays(-1)), kLastTrainings);
        }
    }

    o.shoes = worn(db, userId);
    o.form = formOf(standing.person, standing.zones, rows, today);
    o.race = nextRace(db, userId, today,
                      standing.day == today ? standing.race : Races::next(db, userId, today));

    const QList<Goals::Goal> goals =
        standing.day.year() == today.year() ? standing.goals : Goals::ofYear(db, userId, today.year());
    for (const Goals::Goal& g : goals) {
        Goal goal{g.sport, g.km, 0.0, dueKm(g.km, today)};
        if (g.sport.isEmpty()) {
            goal.done = o.year.sums.km;
        } else {
            for (const SportKm& s : o.year.sports)
                if (s.sport == g.sport)
                    goal.done = s.km;
        }
        o.goals.append(goal);
    }
    return o;
}

} // namespace overview
