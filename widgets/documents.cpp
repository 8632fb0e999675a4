#include "documents.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <pthread.h>

namespace Documents {

sigset_t quitSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

bool viewerAvailable(const QString& path)
{
    const QString lookup = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (lookup.isEmpty())
        return true;
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(lookup, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return true; // no answer is no reason to refuse
    }
    // Only a clear answer naming none refuses; a lookup that failed does not.
    return query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0
           || !query.readAllStandardOutput().trimmed().isEmpty();
}

bool open(const QString& path)
{
    // A started program inherits the mask of the thread that starts it. A
    // stop that is already waiting would end this process at once when
    // unblocked, before its windows close: then the block stays.
    const sigset_t set = quitSignals();
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    bool waiting = false;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        waiting = waiting || sigismember(&pending, signal) == 1;
    sigset_t previous;
    if (!waiting)
        pthread_sigmask(SIG_UNBLOCK, &set, &previous);
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!waiting)
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return opened;
}

} // namespace Documents
