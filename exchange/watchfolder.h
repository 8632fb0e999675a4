#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class Database;
class IniFile;
class Session;

// The watch's folder: where the watch shows its training files when it is
// connected. New trainings there are offered once, at the start and when
// the editor opens.
//
// What was offered is kept as one mark in config.ini, [Import] UhrStand:
// the newest modification time (UTC, to the millisecond) of the files
// looked at in the last offer. Only files modified later are read next
// time, so that the start stays quick however long the watch's history
// is, and a declined training is not offered again. The mark never goes
// past the time of the look itself: a file stamped in the future by a
// watch with a wrong clock would otherwise hold back every later one; it
// is looked at again until the clock has passed it (and offered while it
// is not in the diary). A file copied in with an older time than the mark
// is not offered; the editor's "Neue Trainings von der Uhr übernehmen"
// looks at every file of the folder. Setting a folder drops the mark: its
// whole history is offered.
namespace exchange {

// [Import] Uhr; empty when none is set.
QString watchFolder(const IniFile& settings);
// An empty folder forgets it. Another folder than the one set drops the mark.
void setWatchFolder(IniFile& settings, const QString& folder);

// Invalid when nothing was offered from the folder yet.
QDateTime watchMark(const IniFile& settings);
void setWatchMark(IniFile& settings, const QDateTime& mark);

struct WatchNews
{
    QStringList files; // files with at least one training not in the diary, in path order
    int trainings = 0; // the trainings of those files that are not in the diary
    QDateTime mark;    // the mark once these were offered; invalid when no file was looked at
};

// The training files of the folder (FIT, TCX, GPX, also in subfolders)
// modified after the mark (all for an invalid one), read, and their
// trainings counted that are not in the person's diary. A folder that is
// absent or unreadable gives nothing; files that cannot be read count no
// training (the import tells why when they are taken).
WatchNews findWatchNews(const QString& folder, const QDateTime& mark, Database& db, int userId,
                        const QDateTime& now = QDateTime::currentDateTimeUtc());

// The news of the folder set in the settings since its mark (sinceMark),
// or of all its files; nothing when no folder is set.
WatchNews watchNews(::Session& session, int userId, bool sinceMark);
// Keeps the news' mark when it is later than the one kept. False when the
// settings file could not be written (the files are offered again).
bool keepWatchMark(const ::Session& session, const WatchNews& news);

// "Auf der Uhr gibt es 3 neue Trainings. Jetzt übernehmen?"
QString watchQuestion(int trainings);

} // namespace exchange
