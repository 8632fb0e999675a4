#include "documents.h"

#include <QDesktopServices>
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
