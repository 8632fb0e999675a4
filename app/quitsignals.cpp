#include "quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

sigset_t quitSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void QuitSignals::blockInAllThreads()
{
    const sigset_t set = quitSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

QuitSignals::ChildScope::ChildScope()
{
    const sigset_t set = quitSet();
    pthread_sigmask(SIG_UNBLOCK, &set, &m_previous);
}

QuitSignals::ChildScope::~ChildScope()
{
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

QuitSignals::QuitSignals(QObject* parent) : QObject(parent)
{
    const sigset_t set = quitSet();
    m_fd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_fd < 0)
        return;
    auto* notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info;
        while (::read(m_fd, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::quit();
    });
}

QuitSignals::~QuitSignals()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
