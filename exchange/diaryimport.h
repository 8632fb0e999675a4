#pragma once

#include "activity.h"
#include "course.h"
#include "records.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>

class Database;
namespace training {
struct Person;
}

// Recorded trainings taken into a person's diary: one entry per session of a
// file (transitions left out), one unit per lap in order.
namespace exchange {

// The zone the editor's advice gives for a pulse: the one whose limits (in
// percent of the maximum pulse) hold it, when exactly one does.
class ZoneAdvice
{
public:
    struct Zone
    {
        QString name;
        int minPercent = 0;
        int maxPercent = 0;
    };

    ZoneAdvice() = default;
    ZoneAdvice(QList<Zone> zones, int maxHeartRate) : m_zones(std::move(zones)), m_maxHeartRate(maxHeartRate) {}
    static ZoneAdvice read(Database& db, int userId);
    // With the person read already.
    static ZoneAdvice read(Database& db, const training::Person& person);

    // Empty when the person has no maximum pulse, the pulse is none, or no
    // zone or more than one fits.
    QString zoneFor(int pulse) const;

private:
    QList<Zone> m_zones;
    int m_maxHeartRate = 0;
};

struct ImportedUnit
{
    double km = 0.0;   // as the device measured it, not rounded
    int seconds = -1;  // -1: no time
    int pulse = -1;    // -1: no pulse
    QString zone;
};

struct ImportedEntry
{
    QDate date;   // local date and time of the start
    QTime time;   // to the minute
    QString sport;
    int minutes = 0;
    QList<ImportedUnit> units;
    course::Course course; // the samples of the session; empty when the file has none

    // "h:mm" as main.Dauer holds it.
    QString durationText() const;
    // Same start to the minute and same duration: the same training.
    QString key() const;
};

// The diary's word for the sport of a session ("Laufen", "Radfahren", ...).
QString sportWord(const Session& session);

// The entries of a file's activity; a reason instead when it yields none
// the diary can hold (only transitions, no date, in the future, ...).
// A file is refused whose start lies before 1970 (a device's "no time"),
// before the person's birthday, or after today, and one with a lap or a
// training faster than anyone goes (100 km/h on foot, 200 km/h in any
// sport) or longer than an entry can be. Trainings shorter than
// 100 m and 1 minute (a watch started by mistake) are left out and counted.
struct FileTrainings
{
    QString path;
    QList<ImportedEntry> entries;
    int tooShort = 0; // trainings left out as too short
    QString reason; // set when the file is refused; "<Dateiname>: ..." is the caller's
    bool ok() const { return reason.isEmpty(); }
};
FileTrainings trainingsOf(const Activity& activity, const ZoneAdvice& zones, const QDate& today,
                          const QDate& birthday = {});

// Reads a file and turns it into entries; never throws. Files larger than
// kLargestFile are refused unread.
FileTrainings readTrainingFile(const QString& path, const ZoneAdvice& zones, const QDate& birthday = {});
constexpr qint64 kLargestFile = 64LL * 1024 * 1024;

// The files to import from what the user chose or dropped: files as they
// are, folders with every FIT, TCX and GPX file within (also in subfolders),
// in the order of their paths.
QStringList trainingFiles(const QStringList& chosen);

// The person's weight and resting pulse are those of today: an imported
// training takes them only when it is at most this many days old.
constexpr int kUsualValuesDays = 14;
bool takesUsualValues(const QDate& training, const QDate& today);

struct ImportSummary
{
    int files = 0;     // files to import
    int filesDone = 0; // files looked at before the end or the cancel
    int taken = 0;     // entries stored
    int present = 0;   // trainings already in the diary
    int coursesAdded = 0; // of those, entries without a course that got the file's
    int tooShort = 0;  // trainings left out as too short
    bool cancelled = false;
    QList<QPair<QString, QString>> refused; // file name and reason
    QStringList sports;                     // the words of the stored entries, each once
    QStringList storedIds;                  // IDs of the stored entries
    QStringList completedIds;               // IDs of the entries that got a course
    QList<records::Notice> newBests;        // best times the import has beaten
    QString failure;                        // the diary refused to store: the import ended there


    // The box at the end: counts, how far a cancelled import got, each
    // refused file with its reason and the new best times.
    QString text() const;
    // All refused files with their reasons, when there are more than the
    // text names; else empty.
    QString details() const;
};

// Takes trainings into one person's diary. Made once per import: reads the
// person's usual values, the zones and the starts already in the diary.
class DiaryImport
{
public:
    DiaryImport(Database& db, int userId);

    const ZoneAdvice& zones() const { return m_zones; }

    // The ID of the diary's entry of the same training, else empty.
    QString presentId(const ImportedEntry& entry) const;

    // Stores the entries that are not in the diary yet with their courses,
    // all in one transaction (all or none); adds their IDs to storedIds and
    // counts the others as present. An entry in the diary without a course
    // gets the file's (counted in coursesAdded). Only recent trainings take the person's
    // weight and resting pulse (takesUsualValues), older ones none (-1).
    void store(const QList<ImportedEntry>& entries, ImportSummary& summary);

    // Imports file after file, each file whole in its own transaction.
    // progress is told before each file and may stop the import by
    // returning false; what was stored until then stays. The person's best
    // times before and after tell which of them the import has beaten.
    using Progress = std::function<bool(int done, int total, const QString& path)>;
    ImportSummary importFiles(const QStringList& files, const Progress& progress = {});

    // The person's usual values that a new entry starts with, as stored.
    const QString& restPulse() const { return m_restPulse; }
    const QString& weight() const { return m_weight; }
    // No training can be before it; invalid when the person has none.
    const QDate& birthday() const { return m_birthday; }

private:
    Database& m_db;
    int m_userId;
    ZoneAdvice m_zones;
    QString m_restPulse = QStringLiteral("-1");
    QString m_weight = QStringLiteral("-1");
    QDate m_birthday;
    QHash<QString, QString> m_present; // key of each entry in the diary -> its ID
    QSet<QString> m_withCourse;        // IDs of the entries that have a course
};

} // namespace exchange
