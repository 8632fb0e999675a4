#pragma once

#include <QString>

class Query;
class Session;

// The files the diary keeps in its program folder, and the steps that bring
// them and the database up at start-up.
namespace datafiles {

inline constexpr const char* kAlias = "workout";

// The folder of the program file with a trailing separator; when that folder
// cannot be written (an installed program), the desktop's per-user data
// folder takes its place.
QString programFolder(const QString& executableFolder);

QString settingsPath(const QString& programFolder);    // folder + "config.ini"
QString aliasFilePath(const QString& programFolder);   // folder + "aliases.conf"
QString databasePath(const QString& programFolder);    // folder + "Database/data.fdb"

// Creates config.ini with the default sports list when it is missing.
void ensureSettingsFile(const QString& settingsPath);

// Creates aliases.conf when missing and appends the three-line alias block
// unless a line equal to the alias line is there already. Returns the alias line.
QString ensureAlias(const QString& programFolder);

// The file the alias names in aliases.conf: the line of this program folder
// when there is one, else the last definition; empty when none. Lines are
// read in code page 1252, or as file names where the code page cannot hold
// the path.
QString resolveAlias(const QString& programFolder, const QString& alias);

// All opening steps: files, folder, alias, connect or create, CheckDataBases.
// Throws StorageError at the first step that fails.
void openStorage(Session& session, const QString& programFolder);

// Makes sure every table, generator and index exists, as the catalogue shows them,
// creating the missing ones; a new zone table receives the eleven default
// training zones. Runs on the given query; any failure is thrown.
void CheckDataBases(Query& query);

} // namespace datafiles
