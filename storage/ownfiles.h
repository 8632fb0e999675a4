#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

// Writing files whole, and files only their owner may read. The diary's
// backups, the editor's drafts and exports hold a person's whole diary, so
// they are made 0600 (their folder 0700) whatever the umask says.
namespace ownfiles {

enum class Access {
    Kept,      // as the file replaced, a new one as the umask says
    OwnerOnly, // 0600
};

// Writes the bytes into a file beside path that takes its place only when
// they are all written; unbuffered, so that a short write on a full disk
// shows in the count. When anything fails the file before stays as it was,
// and error (when given) has the reason.
bool writeWhole(const QString& path, const QByteArray& bytes, Access access, QString* error = nullptr);

// Makes an open file 0600.
bool makeOwnerOnly(QFileDevice& file);
// Creates an empty file 0600; false when there is one already, or it
// cannot be created (errno tells why).
bool createOwnerOnly(const QString& path);
// Creates the folder when it is missing and makes it 0700.
bool ensureOwnerOnlyFolder(const QString& path);

// A folder others share: one not owned by this user, or one its group or
// everyone may write into (as /tmp, or a team's folder). What is put there
// is meant for them, so it follows the umask.
bool isFolderOfOthers(const QString& folder);

} // namespace ownfiles
