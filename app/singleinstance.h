#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// Only one copy of the program runs at a time. The lock is a file in the
// temporary folder named after the program file; a copy that crashed leaves
// a lock that the next start recognises as stale.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& programName);

    // False when another running copy holds the lock.
    bool acquire();

    static QString lockPath(const QString& programName);

private:
    std::unique_ptr<QLockFile> m_lock;
};
