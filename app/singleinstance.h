#pragma once

#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

// Only one copy of the program runs at a time for each user. The lock is a
// file named after the program file in the user's own runtime folder, so
// other users of the machine neither block nor fake it. It is held as a
// lock of the system on the open file, which ends with the process however
// it ends: a lock left behind never blocks a start, whatever process may
// now have the number written in it.
//
// The running copy listens beside the lock, so that a second start can ask
// it to bring its window forward.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& programName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another running copy of this user holds the lock.
    bool acquire();

    // For the copy that holds the lock, once the application object exists:
    // onActivate runs, on the event loop, for every later start that asks.
    void listen(std::function<void()> onActivate);

    // For a refused copy: asks the running copy to come forward. True when
    // it answered within timeoutMs.
    bool activateRunning(int timeoutMs = 3000) const;

    static QString lockPath(const QString& programName);
    static QString socketPath(const QString& programName);

private:
    QString m_name;
    int m_fd = -1;
    std::unique_ptr<QLocalServer> m_server;
};
