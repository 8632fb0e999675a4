#include "diaryimport.h"

#include "activityfile.h"
#include "coursefrom.h"
#include "courses.h"
#include "database.h"
#include "diaryforms.h"
#include "diarytraining.h"
#include "entries.h"
#include "sqltext.h"
#include "storageerror.h"
#include "textforms.h"
#include "trackmath.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace exchange {

namespace {

// The longest duration main.Dauer holds ("99:59"), and the longest time of
// a unit (its column is a time of day).
constexpr int kLongestEntryMinutes = 99 * 60 + 59;
constexpr int kLongestUnitSeconds = 24 * 3600 - 1;
// Refused files named in the box itself; all of them stand in its details.
constexpr int kRefusedInText = 8;
// A training shorter than both was a watch started by mistake.
constexpr double kShortestKm = 0.1;
constexpr double kShortestSeconds = 60.0;
// Faster than anyone runs or walks, or than any training goes: a device's
// filler or a broken count (a lap of 0xFFFFFFFE cm), no training.
constexpr int kFastestOnFootKmh = 100;
constexpr int kFastestKmh = 200;
// A lap shorter than this says nothing of the speed: a closing lap of a
// second may hold a jump of the position of tens of metres.
constexpr double kShortestJudgedKm = 1.0;

int roundedSeconds(double seconds)
{
    return int(std::lround(std::clamp(seconds, 0.0, 1.0e9)));
}

// A heart rate a person can have; anything else is a device's filler.
int usablePulse(const std::optional<int>& bpm)
{
    return bpm && *bpm >= 20 && *bpm <= 300 ? *bpm : -1;
}

bool usableDistance(const std::optional<double>& metres)
{
    return metres && std::isfinite(*metres) && *metres >= 0.0 && *metres < 1.0e8;
}

// A time of 0 says nothing: the next source of the time is asked.
bool usableTime(const std::optional<double>& seconds)
{
    return seconds && std::isfinite(*seconds) && *seconds > 0.0 && *seconds < 1.0e8;
}

int fastestKmh(Sport sport)
{
    switch (sport) {
    case Sport::Running:
    case Sport::Walking:
    case Sport::Hiking:
    case Sport::Mountaineering:
        return kFastestOnFootKmh;
    default:
        return kFastestKmh;
    }
}

// Without a time the longest entry is the most it can have taken.
bool tooFast(double km, double seconds, Sport sport)
{
    const double took = seconds > 0.0 ? seconds : kLongestEntryMinutes * 60.0;
    return km >= kShortestJudgedKm && km * 3600.0 > fastestKmh(sport) * took;
}

QString tooFastReason(const QString& what, double km, Sport sport)
{
    return QStringLiteral("Die Datei enthält %1 von %2 km, schneller als %3 km/h; ist die Datei beschädigt?")
        .arg(what, distanceText(km))
        .arg(fastestKmh(sport));
}

QDateTime sessionStart(const Session& session)
{
    if (session.start.isValid())
        return session.start;
    for (const Lap& lap : session.laps)
        if (lap.start.isValid())
            return lap.start;
    for (const TrackPoint& point : session.track)
        if (point.time.isValid())
            return point.time;
    return {};
}

// The time span of the timed points of a track, in seconds; -1 without two.
double trackSeconds(const QList<TrackPoint>& track)
{
    QDateTime first;
    QDateTime last;
    for (const TrackPoint& point : track) {
        if (!point.time.isValid())
            continue;
        if (!first.isValid())
            first = point.time;
        last = point.time;
    }
    if (!first.isValid() || first == last)
        return -1.0;
    return double(first.msecsTo(last)) / 1000.0;
}

// A session without laps is one unit: along its points where it has
// positions, else as the device counted the distance, else its totals.
ImportedUnit unitOfTrack(const Session& session)
{
    ImportedUnit unit;
    bool positions = false;
    std::optional<double> counted;
    for (const TrackPoint& point : session.track) {
        positions = positions || (point.latitude && point.longitude);
        if (usableDistance(point.distance))
            counted = std::max(counted.value_or(0.0), *point.distance);
    }
    double metres = 0.0;
    if (positions)
        metres = trackDistanceMeters(session.track);
    else if (counted)
        metres = *counted;
    else if (usableDistance(session.distanceMeters))
        metres = *session.distanceMeters;
    unit.km = metres / 1000.0;

    const double span = trackSeconds(session.track);
    if (span >= 0.0)
        unit.seconds = roundedSeconds(span);
    else if (usableTime(session.timerSeconds))
        unit.seconds = roundedSeconds(*session.timerSeconds);
    else if (usableTime(session.elapsedSeconds))
        unit.seconds = roundedSeconds(*session.elapsedSeconds);

    unit.pulse = usablePulse(trackAverageHeartRate(session.track));
    if (unit.pulse < 0)
        unit.pulse = usablePulse(session.averageHeartRate);
    return unit;
}

// The units of a session; fault tells of a unit too fast to be true.
QList<ImportedUnit> unitsOf(const Session& session, const ZoneAdvice& zones, QString& fault)
{
    QList<ImportedUnit> units;
    for (const Lap& lap : session.laps) {
        ImportedUnit unit;
        if (usableDistance(lap.distanceMeters))
            unit.km = *lap.distanceMeters / 1000.0;
        if (usableTime(lap.timerSeconds))
            unit.seconds = roundedSeconds(*lap.timerSeconds);
        else if (usableTime(lap.elapsedSeconds))
            unit.seconds = roundedSeconds(*lap.elapsedSeconds);
        // A lap of no distance and no time (a device's closing lap) holds
        // no training.
        if (unit.km <= 0.0 && unit.seconds <= 0)
            continue;
        unit.pulse = usablePulse(lap.averageHeartRate);
        units.append(unit);
    }
    const bool laps = !units.isEmpty();
    if (!laps) {
        const ImportedUnit whole = unitOfTrack(session);
        if (whole.km > 0.0 || whole.seconds > 0)
            units.append(whole);
    }
    for (ImportedUnit& unit : units) {
        if (fault.isEmpty() && tooFast(unit.km, unit.seconds, session.sport))
            fault = tooFastReason(laps ? QStringLiteral("eine Runde") : QStringLiteral("ein Training"), unit.km,
                                  session.sport);
        // A unit's time is a time of day in the diary: a lap of a day and
        // more keeps no time rather than a wrong one.
        if (unit.seconds > kLongestUnitSeconds)
            unit.seconds = -1;
        unit.zone = zones.zoneFor(unit.pulse);
    }
    return units;
}

// The seconds a session took: its timer, else its elapsed time, else what
// its laps say, else the span of its points: points years apart make a
// training too long for the diary, not one of no time.
double sessionSeconds(const Session& session, const QList<ImportedUnit>& units)
{
    if (usableTime(session.timerSeconds))
        return *session.timerSeconds;
    if (usableTime(session.elapsedSeconds))
        return *session.elapsedSeconds;
    double sum = 0.0;
    for (const ImportedUnit& unit : units)
        sum += std::max(unit.seconds, 0);
    return sum > 0.0 ? sum : std::max(trackSeconds(session.track), 0.0);
}

QString plural(int count, const QString& one, const QString& many)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

QString unitTime(int seconds)
{
    // A unit without time is stored as the editor stores one.
    return seconds < 0 ? QStringLiteral("0:00:00") : timeText(QTime(0, 0).addSecs(seconds));
}

QString minuteKey(const QDate& date, const QTime& time, int minutes)
{
    return date.toString(QStringLiteral("yyyyMMdd")) + time.toString(QStringLiteral("hhmm")) + QLatin1Char('/')
           + QString::number(minutes);
}

} // namespace

// --- zones --------------------------------------------------------------------

ZoneAdvice ZoneAdvice::read(Database& db, int userId)
{
    return read(db, training::readPerson(db, userId));
}

ZoneAdvice ZoneAdvice::read(Database& db, const training::Person& person)
{
    QList<Zone> zones;
    for (const training::Zone& zone : training::readZones(db))
        zones.append({zone.name, zone.minHF, zone.maxHF});
    return ZoneAdvice(std::move(zones), person.maxPulse);
}

QString ZoneAdvice::zoneFor(int pulse) const
{
    if (m_maxHeartRate < 1 || pulse < 1)
        return {};
    // In whole percent, as the editor's advice counts.
    const int percentage = pulse * 100 / m_maxHeartRate;
    QString found;
    int fitting = 0;
    for (const Zone& zone : m_zones) {
        if (zone.minPercent <= percentage && zone.maxPercent >= percentage) {
            found = zone.name;
            ++fitting;
        }
    }
    return fitting == 1 ? found : QString();
}

// --- entries of a file ----------------------------------------------------------

QString ImportedEntry::durationText() const
{
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString ImportedEntry::key() const
{
    return minuteKey(date, time, minutes);
}

QString sportWord(const Session& session)
{
    switch (session.sport) {
    case Sport::Running:
        return QStringLiteral("Laufen");
    case Sport::Cycling:
        return QStringLiteral("Radfahren");
    case Sport::Swimming:
        return QStringLiteral("Schwimmen");
    case Sport::Walking:
        return QStringLiteral("Gehen");
    case Sport::Hiking:
        return QStringLiteral("Wandern");
    case Sport::CrossCountrySkiing:
        return QStringLiteral("Skilanglauf");
    case Sport::AlpineSkiing:
        return QStringLiteral("Ski alpin");
    case Sport::Rowing:
        return QStringLiteral("Rudern");
    case Sport::Paddling:
        return QStringLiteral("Paddeln");
    case Sport::Mountaineering:
        return QStringLiteral("Bergsteigen");
    case Sport::FitnessEquipment:
    case Sport::Training:
        return QStringLiteral("Krafttraining");
    case Sport::Multisport:
        return QStringLiteral("Mehrkampf");
    case Sport::Transition:
        return QStringLiteral("Wechsel");
    case Sport::Generic:
    case Sport::Other:
        break;
    }
    return QStringLiteral("Sonstiges");
}

FileTrainings trainingsOf(const Activity& activity, const ZoneAdvice& zones, const QDate& today,
                          const QDate& birthday)
{
    static const QDateTime kFirstDate = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    FileTrainings result;
    bool transitions = false;
    for (const Session& session : activity.sessions) {
        if (session.sport == Sport::Transition) {
            transitions = true;
            continue;
        }
        const QDateTime start = sessionStart(session);
        if (!start.isValid()) {
            result.reason =
                QStringLiteral("Die Datei enthält keine Zeitangaben; ohne Datum lässt sich kein Eintrag anlegen.");
            return result;
        }
        const QDateTime local = start.toLocalTime();
        ImportedEntry entry;
        entry.date = local.date();
        entry.time = QTime(local.time().hour(), local.time().minute());
        // A device that does not know the time writes the earliest one it
        // can (13.12.1901 as a signed count of seconds from 1970).
        if (start < kFirstDate) {
            result.reason = QStringLiteral("Die Datei enthält kein gültiges Datum (%1); ohne Datum lässt sich kein "
                                           "Eintrag anlegen.")
                                .arg(dateText(entry.date));
            return result;
        }
        if (birthday.isValid() && entry.date < birthday) {
            result.reason = QStringLiteral("Die Datei enthält kein gültiges Datum (%1, vor dem Geburtsdatum %2); "
                                           "ist die Uhr des Geräts richtig gestellt?")
                                .arg(dateText(entry.date), dateText(birthday));
            return result;
        }
        if (entry.date > today) {
            result.reason = QStringLiteral("Das Training vom %1 liegt in der Zukunft; ist die Uhr des Geräts "
                                           "richtig gestellt?")
                                .arg(dateText(entry.date));
            return result;
        }
        entry.sport = sportWord(session);
        QString tooFastUnit;
        entry.units = unitsOf(session, zones, tooFastUnit);
        const double seconds = sessionSeconds(session, entry.units);
        double km = 0.0;
        for (const ImportedUnit& unit : std::as_const(entry.units))
            km += unit.km;
        if (km < kShortestKm && seconds < kShortestSeconds) {
            ++result.tooShort;
            continue;
        }
        entry.minutes = int(std::lround(seconds / 60.0));
        if (entry.minutes > kLongestEntryMinutes) {
            result.reason = QStringLiteral("Das Training vom %1 dauert länger als 99:59 Stunden; so lang kann ein "
                                           "Eintrag nicht sein.")
                                .arg(dateText(entry.date));
            return result;
        }
        if (tooFastUnit.isEmpty() && tooFast(km, seconds, session.sport))
            tooFastUnit = tooFastReason(QStringLiteral("ein Training"), km, session.sport);
        if (!tooFastUnit.isEmpty()) {
            result.reason = tooFastUnit;
            return result;
        }
        entry.course = courseOf(session);
        result.entries.append(std::move(entry));
    }
    if (result.entries.isEmpty() && result.tooShort == 0)
        result.reason = transitions ? QStringLiteral("Die Datei enthält nur Wechsel, kein Training.")
                                    : QStringLiteral("Die Datei enthält kein Training.");
    return result;
}

FileTrainings readTrainingFile(const QString& path, const ZoneAdvice& zones, const QDate& birthday)
{
    FileTrainings refused;
    refused.path = path;
    const QFileInfo info(path);
    if (!info.exists()) {
        refused.reason = QStringLiteral("Die Datei gibt es nicht (mehr).");
        return refused;
    }
    if (!info.isFile()) {
        refused.reason = QStringLiteral("Das ist keine Datei.");
        return refused;
    }
    if (info.size() > kLargestFile) {
        refused.reason = QStringLiteral("Die Datei ist mit %1 MB zu groß für eine Trainingsdatei (höchstens %2 MB).")
                             .arg(info.size() / (1024 * 1024))
                             .arg(kLargestFile / (1024 * 1024));
        return refused;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refused.reason = QStringLiteral("Die Datei lässt sich nicht lesen (%1).").arg(file.errorString());
        return refused;
    }
    const QByteArray bytes = file.read(kLargestFile + 1);
    if (file.error() != QFileDevice::NoError) {
        refused.reason = QStringLiteral("Die Datei lässt sich nicht lesen (%1).").arg(file.errorString());
        return refused;
    }
    const ReadResult read = readActivity(bytes);
    if (!read.ok()) {
        refused.reason = read.reason;
        return refused;
    }
    FileTrainings trainings = trainingsOf(*read.activity, zones, QDate::currentDate(), birthday);
    trainings.path = path;
    return trainings;
}

QStringList trainingFiles(const QStringList& chosen)
{
    static const QStringList kinds{QStringLiteral("*.fit"), QStringLiteral("*.tcx"), QStringLiteral("*.gpx")};
    QStringList files;
    for (const QString& path : chosen) {
        if (!QFileInfo(path).isDir()) {
            files << path;
            continue;
        }
        QStringList inFolder;
        QDirIterator it(path, kinds, QDir::Files | QDir::Readable | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            inFolder << it.next();
        inFolder.sort();
        files << inFolder;
    }
    return files;
}

bool takesUsualValues(const QDate& training, const QDate& today)
{
    return training.isValid() && training.daysTo(today) <= kUsualValuesDays;
}

QString ImportSummary::text() const
{
    QString text;
    if (cancelled)
        text += QStringLiteral("Die Übernahme wurde nach %1 von %2 abgebrochen; was bis dahin übernommen "
                               "wurde, ist gespeichert.\n\n")
                    .arg(filesDone)
                    .arg(plural(files, QStringLiteral("Datei"), QStringLiteral("Dateien")));
    if (!failure.isEmpty())
        text += QStringLiteral("Die Übernahme wurde nach %1 von %2 wegen eines Fehlers beendet: %3\n\n")
                    .arg(filesDone)
                    .arg(plural(files, QStringLiteral("Datei"), QStringLiteral("Dateien")), failure);
    text += QStringLiteral("Übernommen: ") + plural(taken, QStringLiteral("Training"), QStringLiteral("Trainings"))
            + QStringLiteral("\nSchon vorhanden: ")
            + plural(present, QStringLiteral("Training"), QStringLiteral("Trainings"));
    if (coursesAdded > 0)
        text += QStringLiteral("\nVerlauf ergänzt: ") + QString::number(coursesAdded);
    if (tooShort > 0)
        text += QStringLiteral("\nNicht übernommen, zu kurz: ")
                + plural(tooShort, QStringLiteral("Training"), QStringLiteral("Trainings"))
                + QStringLiteral(" (unter 100 m und 1 Minute)");
    text += QStringLiteral("\nAbgelehnt: ")
            + plural(int(refused.size()), QStringLiteral("Datei"), QStringLiteral("Dateien"));
    if (!refused.isEmpty())
        text += QLatin1Char('\n');
    for (qsizetype i = 0; i < refused.size() && i < kRefusedInText; ++i)
        text += QLatin1Char('\n') + refused[i].first + QStringLiteral(": ") + refused[i].second;
    if (refused.size() > kRefusedInText)
        text += QStringLiteral("\n… und %1 (alle in den Details)").arg(
            plural(int(refused.size() - kRefusedInText), QStringLiteral("weitere Datei"),
                   QStringLiteral("weitere Dateien")));
    if (!newBests.isEmpty())
        text += QStringLiteral("\n\n") + records::noticesText(newBests);
    return text;
}

QString ImportSummary::details() const
{
    if (refused.size() <= kRefusedInText)
        return {};
    QString text;
    for (const auto& [file, reason] : refused)
        text += file + QStringLiteral(": ") + reason + QLatin1Char('\n');
    return text;
}

// --- storing --------------------------------------------------------------------

DiaryImport::DiaryImport(Database& db, int userId) : m_db(db), m_userId(userId)
{
    const training::Person person = training::readPerson(db, userId);
    m_zones = ZoneAdvice::read(db, person);
    if (person.storedRestPulse)
        m_restPulse = QString::number(*person.storedRestPulse);
    if (person.weight)
        m_weight = QString::number(*person.weight, 'f', QLocale::FloatingPointShortest);
    m_birthday = person.birthday;
    const ResultSet entries =
        db.select(QStringLiteral("SELECT ID, Datum, Uhrzeit, Dauer FROM main WHERE UserID = ") + quoted(userId));
    m_withCourse = Courses::entriesWithCourse(db, userId);
    m_present.reserve(entries.rows.size());
    for (const auto& row : entries.rows) {
        const QTime time = parseTimeText(row.at(2).asString());
        const QTime minute = time.isValid() ? QTime(time.hour(), time.minute()) : QTime(0, 0);
        m_present.insert(minuteKey(parseDateText(row.at(1).asString()), minute,
                                   DurationToMinutes(row.at(3).asString().trimmed())),
                         row.at(0).asString());
    }
}

QString DiaryImport::presentId(const ImportedEntry& entry) const
{
    if (const QString id = m_present.value(entry.key()); !id.isEmpty())
        return id;
    // An outing of several tracks was once taken as one entry a track; the
    // entry of its first track stands for the whole outing, so that a second
    // import of the file does not store it again.
    if (entry.units.size() > 1 && entry.units.first().seconds >= 0)
        return m_present.value(
            minuteKey(entry.date, entry.time, int(std::lround(entry.units.first().seconds / 60.0))));
    return QString();
}

void DiaryImport::store(const QList<ImportedEntry>& entries, ImportSummary& summary)
{
    QStringList keys; // of the entries to store, in their order
    QList<Entries::Entry> toStore;
    QList<const course::Course*> courses; // of the entries to store
    QList<QPair<QString, const course::Course*>> toComplete; // entries in the diary without a course
    int present = 0;
    const QDate today = QDate::currentDate();
    for (const ImportedEntry& entry : entries) {
        const QString key = entry.key();
        if (keys.contains(key)) {
            ++present;
            continue;
        }
        if (const QString id = presentId(entry); !id.isEmpty()) {
            ++present;
            const bool queued = std::any_of(toComplete.cbegin(), toComplete.cend(),
                                            [&](const auto& c) { return c.first == id; });
            if (!entry.course.isEmpty() && !m_withCourse.contains(id) && !queued)
                toComplete.append({id, &entry.course});
            continue;
        }
        const bool usual = takesUsualValues(entry.date, today);
        Entries::Entry e;
        e.date = dateText(entry.date);
        e.time = entry.time.toString(QStringLiteral("hh:mm"));
        e.restPulse = usual ? m_restPulse : QStringLiteral("-1");
        e.category = entry.sport;
        e.userId = m_userId;
        e.weight = usual ? m_weight : QStringLiteral("-1");
        e.duration = entry.durationText();
        for (qsizetype i = 0; i < entry.units.size(); ++i) {
            const ImportedUnit& unit = entry.units[i];
            e.units.append({QString::number(i + 1), QString::number(unit.km, 'f', QLocale::FloatingPointShortest),
                            unitTime(unit.seconds), QString::number(unit.pulse), unit.zone});
        }
        keys << key;
        toStore << e;
        courses << &entry.course;
    }
    // The entries and their courses go together or not at all; what the
    // import keeps of them is kept once the commit is through.
    QStringList ids;
    {
        Transaction transaction(m_db);
        ids = Entries::insertMany(m_db, toStore);
        for (qsizetype i = 0; i < ids.size(); ++i)
            if (!courses[i]->isEmpty())
                Courses::store(m_db, ids[i], *courses[i]);
        for (const auto& [id, course] : std::as_const(toComplete))
            Courses::store(m_db, id, *course);
        transaction.commit();
    }
    for (qsizetype i = 0; i < ids.size(); ++i)
        if (!courses[i]->isEmpty())
            m_withCourse.insert(ids[i]);
    for (const auto& complete : std::as_const(toComplete))
        m_withCourse.insert(complete.first);
    summary.coursesAdded += int(toComplete.size());
    for (const auto& complete : std::as_const(toComplete))
        summary.completedIds.append(complete.first);
    QList<QPair<QString, QString>> stored; // key and ID
    for (qsizetype i = 0; i < ids.size(); ++i) {
        stored.append({keys[i], ids[i]});
        m_present.insert(keys[i], ids[i]);
        summary.storedIds.append(ids[i]);
    }
    for (const ImportedEntry& entry : entries) {
        const bool taken = std::any_of(stored.cbegin(), stored.cend(), [&](const auto& s) { return s.first == entry.key(); });
        if (taken && !summary.sports.contains(entry.sport))
            summary.sports.append(entry.sport);
    }
    summary.taken += int(stored.size());
    summary.present += present;
}

ImportSummary DiaryImport::importFiles(const QStringList& files, const Progress& progress)
{
    ImportSummary summary;
    summary.files = int(files.size());
    // Best times are a notice only: when they cannot be read, the import
    // goes on without them.
    std::optional<QHash<int, records::Effort>> bests;
    try {
        bests = records::best(m_db, m_userId);
    } catch (const StorageError& e) {
        if (e.reason() != StorageError::Reason::Other)
            throw; // without the diary's server no file can be taken either
    }
    const auto noticeRecords = [&] {
        if (!bests || (summary.storedIds.isEmpty() && summary.completedIds.isEmpty()))
            return;
        try {
            summary.newBests =
                records::newRecords(*bests, records::best(m_db, m_userId), summary.storedIds + summary.completedIds);
        } catch (const StorageError&) {
        }
    };
    for (int i = 0; i < files.size(); ++i) {
        if (progress && !progress(i, summary.files, files[i])) {
            summary.cancelled = true;
            break;
        }
        const FileTrainings trainings = readTrainingFile(files[i], m_zones, m_birthday);
        summary.tooShort += trainings.tooShort;
        const QString name = QFileInfo(files[i]).fileName();
        if (!trainings.ok()) {
            summary.refused.append({name, trainings.reason});
        } else {
            try {
                store(trainings.entries, summary);
            } catch (const StorageError& e) {
                // What the diary refuses now it refuses for the next file
                // too: the import ends here, what was stored stays.
                summary.failure = name + QStringLiteral(": ") + e.message();
                summary.filesDone = i;
                noticeRecords();
                return summary;
            }
        }
        summary.filesDone = i + 1;
    }
    if (progress && !summary.cancelled)
        progress(summary.files, summary.files, QString());
    noticeRecords();
    return summary;
}

} // namespace exchange
