#include "singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& programName)
    : m_lock(std::make_unique<QLockFile>(lockPath(programName)))
{
    m_lock->setStaleLockTime(0); // only a lock whose process has ended is stale
}

bool SingleInstance::acquire()
{
    // A lock that cannot be made at all (no folder to hold it) keeps no one out.
    return m_lock->tryLock(0) || m_lock->error() != QLockFile::LockFailedError;
}

QString SingleInstance::lockPath(const QString& programName)
{
    // The user's runtime folder, which only the user can enter; without one
    // the user's cache folder in the home folder.
    QString folder;
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (!QFileInfo::exists(folder))
            QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return QDir(folder).filePath(programName + QStringLiteral(".lock"));
}
