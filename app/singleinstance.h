#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// Only one copy of the program runs at a time for each user. The lock is a
// file named after the program file in the user's own runtime folder, so
// other users of the machine neither block nor fake it; a copy that crashed
// leaves a lock that the next start recognises as stale.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& programName);

    // False when another running copy of this user holds the lock.
    bool acquire();

    static QString lockPath(const QString& programName);

private:
    std::unique_ptr<QLockFile> m_lock;
};
