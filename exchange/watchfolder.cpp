#include "watchfolder.h"

#include "diaryimport.h"
#include "inifile.h"
#include "session.h"
#include "storageerror.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <limits>

namespace exchange {

namespace {

const QString kSection = QStringLiteral("Import");
const QString kFolderKey = QStringLiteral("Uhr");
const QString kMarkKey = QStringLiteral("UhrStand");

} // namespace

QString watchFolder(const IniFile& settings)
{
    return settings.readString(kSection, kFolderKey, QString()).trimmed();
}

void setWatchFolder(IniFile& settings, const QString& folder)
{
    const QString chosen = folder.trimmed().isEmpty() ? QString() : QDir::cleanPath(folder.trimmed());
    if (chosen == watchFolder(settings))
        return;
    settings.writeString(kSection, kFolderKey, chosen);
    settings.writeString(kSection, kMarkKey, QString());
}

QDateTime watchMark(const IniFile& settings)
{
    const QString text = settings.readString(kSection, kMarkKey, QString()).trimmed();
    return text.isEmpty() ? QDateTime() : QDateTime::fromString(text, Qt::ISODateWithMs);
}

void setWatchMark(IniFile& settings, const QDateTime& mark)
{
    settings.writeString(kSection, kMarkKey, mark.isValid() ? mark.toUTC().toString(Qt::ISODateWithMs) : QString());
}

WatchNews findWatchNews(const QString& folder, const QDateTime& mark, Database& db, int userId,
                        const QDateTime& now)
{
    WatchNews news;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return news; // the watch is not connected
    const qint64 after = mark.isValid() ? mark.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    qint64 newest = std::numeric_limits<qint64>::min();
    QStringList candidates;
    for (const QString& path : trainingFiles({folder})) {
        const qint64 modified = QFileInfo(path).lastModified().toMSecsSinceEpoch();
        if (modified <= after)
            continue;
        candidates << path;
        newest = std::max(newest, modified);
    }
    if (candidates.isEmpty())
        return news;
    news.mark = QDateTime::fromMSecsSinceEpoch(std::min(newest, now.toMSecsSinceEpoch()), Qt::UTC);

    const DiaryImport import(db, userId);
    QSet<QString> counted; // the same training in two files counts once
    for (const QString& path : candidates) {
        const FileTrainings read = readTrainingFile(path, import.zones(), import.birthday());
        int fresh = 0;
        for (const ImportedEntry& entry : read.entries) {
            if (!import.presentId(entry).isEmpty() || counted.contains(entry.key()))
                continue;
            counted.insert(entry.key());
            ++fresh;
        }
        if (fresh > 0) {
            news.files << path;
            news.trainings += fresh;
        }
    }
    return news;
}

WatchNews watchNews(::Session& session, int userId, bool sinceMark)
{
    const IniFile settings = session.settings();
    const QString folder = watchFolder(settings);
    if (folder.isEmpty() || userId < 0)
        return {};
    return findWatchNews(folder, sinceMark ? watchMark(settings) : QDateTime(), session.ZDatabase1, userId);
}

bool keepWatchMark(const ::Session& session, const WatchNews& news)
{
    if (!news.mark.isValid())
        return true;
    try {
        IniFile settings = session.settings();
        const QDateTime kept = watchMark(settings);
        if (kept.isValid() && kept >= news.mark)
            return true;
        setWatchMark(settings, news.mark);
        settings.commit();
        return true;
    } catch (const StorageError&) {
        return false;
    }
}

QString watchQuestion(int trainings)
{
    return trainings == 1 ? QStringLiteral("Auf der Uhr gibt es 1 neues Training. Jetzt übernehmen?")
                          : QStringLiteral("Auf der Uhr gibt es %1 neue Trainings. Jetzt übernehmen?").arg(trainings);
}

} // namespace exchange
