#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Backups of the diary made by the database engine itself (its backup and
// restore service, run by the engine inside this process), never by copying
// the database file while it is open. Every function throws StorageError
// with a German message when it fails; the engine's own words, where there
// are any, are the error's detail.
//
// A diary path that names a database server (see dbserver.h) has its
// backup made by that server, with the credentials of serverlogin, and the
// backup file then is a path on the server, not on this computer.

// What a backup holds.
struct BackupInfo
{
    QDateTime made; // when the backup was made, in local time
    int persons = 0;
    int entries = 0;
};

// The file a backup to target is written to first.
QString partialBackupPath(const QString& target); // target + ".teil"

// Makes a backup of the diary (a file path, or a path on a server) in target
// and checks it by restoring it into a temporary file and counting its
// persons and entries. On this computer the backup is written to
// partialBackupPath(target) and put in place of target only when the engine
// reported success and the check passed; on any failure target is left as
// it was and the partial file is removed. The diary may be connected
// meanwhile: the engine reads it in a snapshot of its own.
//
// On a server the file lives on the server and cannot be renamed from here,
// so the engine writes target itself and the check restores it into a
// temporary database beside it on the server, which is removed afterwards;
// a failed backup or check there says that the file on the server is not
// usable.
BackupInfo backupDiary(const QString& diaryPath, const QString& target);

// What a backup file on this computer holds. Refuses a file that is no
// backup of this program (not the engine's backup format, or without the
// tables of persons and entries), one whose tables differ from the diary's
// (see datafiles::schemaFaults), a damaged or cut-off one, and one that a
// newer version of the engine wrote. restoreDiary refuses the same.
BackupInfo inspectBackup(const QString& backupFile);

// Puts the diary of a backup in place of the diary at diaryPath (a file on
// this computer). The caller has disconnected the diary before and opens it
// again afterwards.
//
// The backup is restored into restoredDiaryPath(diaryPath) beside the diary,
// opened and given the program's start-up checks; only then does it take
// the diary's place, and the old diary is kept under keptDiaryPath(). Any
// failure leaves the old diary as it was and removes the half-made file. Returns
// the path under which the old diary was kept (empty when there was none).
// A diary on a server is refused: the server's files cannot be renamed from
// here, so a restore there is its administrator's work.
QString restoreDiary(const QString& backupFile, const QString& diaryPath, const QDate& today = QDate::currentDate());

QString restoredDiaryPath(const QString& diaryPath); // diaryPath + ".neu"
// diaryPath + ".vor-Wiederherstellung-yyyy-MM-dd", with "-2", "-3" ...
// appended when that name is taken.
QString keptDiaryPath(const QString& diaryPath, const QDate& today);

// The automatic backup of a day: "<folder>/Tramora-Sicherung yyyy-MM-dd.fbk",
// made only when the folder holds none of today yet; then the older ones
// are thinned out by backupsToRemove. Returns the new backup's path, empty
// when there was one of today already.
QString automaticBackup(const QString& diaryPath, const QString& folder, const QDate& today);
QString automaticBackupName(const QDate& day);

// Of the automatic backups among fileNames (names or paths; other names are
// ignored), those to be removed: kept are the 7 newest (the daily ones) and,
// of each of the 4 weeks (ISO weeks) before theirs that have backups, the
// newest (the weekly ones). Counting backups rather than days keeps the
// old ones of a user who was away for a while.
// A backup dated after today (a clock set wrong) is neither counted nor
// removed.
QStringList backupsToRemove(const QStringList& fileNames, const QDate& today);
