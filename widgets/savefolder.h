#pragma once

#include <QString>

class Session;

// Where the program's save dialogs start: the folder the user saved to last
// (kept in config.ini, section "Ordner", key "Speichern") while it still
// exists, else the user's documents folder, else the home folder. Never the
// program folder, which for an installed program is the hidden data folder.
namespace SaveFolder {

QString startFolder(const Session& session);

// After a successful save: the file's folder becomes the next start folder.
// A settings file that cannot be written keeps it for this run only.
void remember(const Session& session, const QString& savedFilePath);

} // namespace SaveFolder
