#include "quitsignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

bool s_requested = false;

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
        stop();
    });
}

bool QuitSignals::requested()
{
    return s_requested;
}

void QuitSignals::stop()
{
    s_requested = true;
    if (m_inMainLoop) {
        QCoreApplication::quit();
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
}

QuitSignals::~QuitSignals()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
