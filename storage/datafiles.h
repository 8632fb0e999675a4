#pragma once

#include <QString>

#include <functional>

class Database;
class Session;

// The files the diary keeps in its program folder, and the steps that bring
// them and the database up at start-up.
namespace datafiles {

inline constexpr const char* kAlias = "workout";
// Put beside the program by its installation: the program folder then
// holds no diary, however writable it is.
inline constexpr const char* kInstalledMarker = "tramora.installed";

// Where this run keeps its data.
struct Location
{
    QString folder;       // the program folder, with a trailing separator
    QString settingsPath; // config.ini
    QString notice;       // what the user is told at start; empty when nothing
};

// The folder of the program file; when that folder cannot be written or
// holds the installation's marker, the desktop's per-user data folder takes its place,
// unless the program folder holds a diary whose database file can be
// written: that diary stays in use where it is, with the settings in the
// per-user folder when config.ini beside it cannot be written; so does an
// alias file there that names a diary on a server. A diary there that cannot
// be written is named in the notice.
// writable tells whether a file or folder can be written; tests replace it.
Location locate(const QString& executableFolder, const QString& userDataFolder = {},
                const std::function<bool(const QString&)>& writable = {});
QString programFolder(const QString& executableFolder); // locate(...).folder

QString settingsPath(const QString& programFolder);    // folder + "config.ini"
QString aliasFilePath(const QString& programFolder);   // folder + "aliases.conf"
QString databasePath(const QString& programFolder);    // folder + "Database/data.fdb"

// Brings a file (flags O_RDONLY), or a folder's list of names (O_RDONLY |
// O_DIRECTORY), to the disk; a path that cannot be opened is left alone.
void syncPath(const QString& path, int flags);

// Creates config.ini with the default sports list when it is missing.
void ensureSettingsFile(const QString& settingsPath);

// Creates aliases.conf when missing and appends the three-line alias block
// unless a line equal to the alias line is there already, or the alias
// names a diary on a database server. Returns the alias line.
QString ensureAlias(const QString& programFolder);

// The file the alias names in aliases.conf: the last line that names a
// database server when there is one (the diary is shared through it), else
// the line of this program folder, else the last definition; empty when none. Lines are
// read in code page 1252, or as file names where the code page cannot hold
// the path.
QString resolveAlias(const QString& programFolder, const QString& alias);

// All opening steps: files, folder, alias, connect or create, CheckDataBases.
// An alias that names a database server connects there, and makes the
// diary on the server when the server has none at that path yet.
// Throws StorageError at the first step that fails. settingsPath defaults
// to config.ini in the program folder. Returns what the user is to be told
// once the diary is open (an alias file that could not be completed);
// empty when nothing.
//
// A new database is made complete under a name of its own beside
// data.fdb and renamed to it only then, so that an interrupted first start
// leaves no database, and the next start makes it anew. An existing
// data.fdb is never replaced.
QString openStorage(Session& session, const QString& programFolder, const QString& settingsPath = {});

// The name under which a new database is made.
QString partialDatabasePath(const QString& programFolder);

// For tests: runs after each step of making a new database (the file, each
// table, generator, default zone and index, the renaming); a throw from it
// cuts the creation off there as a killed program would.
void setCreationStepHook(std::function<void()> hook);

// Makes sure every table, generator and index exists, as the catalogue shows them,
// creating the missing ones; a new zone table receives the eleven default
// training zones. Any failure is thrown.
void CheckDataBases(Database& db);

} // namespace datafiles
