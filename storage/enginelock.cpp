#include "enginelock.h"

#include <QByteArray>
#include <QByteArrayList>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace enginelock {
namespace {

// A folder of this user's alone: made with the owner's rights only when
// missing, refused when it is a link or belongs to someone else.
bool ownFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

// Makes each missing folder along the path; the last one is the user's own.
bool makeOwnFolder(const QByteArray& path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        const QByteArray parent = path.left(slash);
        if (::mkdir(parent.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return ownFolder(path);
}

QByteArray absoluteVariable(const char* name)
{
    const QByteArray value = qgetenv(name);
    return value.startsWith('/') ? value : QByteArray();
}

} // namespace

QString useOwnFolder()
{
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        return qEnvironmentVariable("FIREBIRD_LOCK");

    QByteArrayList candidates;
    // The runtime folder is the desktop session's own, and emptied with it.
    if (const QByteArray runtime = absoluteVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty()) {
        struct stat info {};
        if (::stat(runtime.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid())
            candidates << runtime + "/tramora-firebird";
    }
    QByteArray cache = absoluteVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() && !absoluteVariable("HOME").isEmpty())
        cache = absoluteVariable("HOME") + "/.cache";
    if (!cache.isEmpty())
        candidates << cache + "/tramora/firebird-lock";

    for (const QByteArray& folder : candidates) {
        if (makeOwnFolder(folder)) {
            qputenv("FIREBIRD_LOCK", folder);
            return QString::fromLocal8Bit(folder);
        }
    }
    return {};
}

} // namespace enginelock
