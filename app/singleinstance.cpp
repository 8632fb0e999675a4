#include "singleinstance.h"

#include <QDir>

SingleInstance::SingleInstance(const QString& programName)
    : m_lock(std::make_unique<QLockFile>(lockPath(programName)))
{
    m_lock->setStaleLockTime(0); // only a lock whose process has ended is stale
}

bool SingleInstance::acquire()
{
    return m_lock->tryLock(0);
}

QString SingleInstance::lockPath(const QString& programName)
{
    return QDir::temp().filePath(programName + QStringLiteral(".lock"));
}
