#include "quitsignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>

#include "documents.h"
#include "messages.h"

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

bool s_requested = false;

} // namespace

void QuitSignals::blockInAllThreads()
{
    const sigset_t set = Documents::quitSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

QuitSignals::QuitSignals(QObject* parent) : QObject(parent)
{
    s_requested = false;
    const sigset_t set = Documents::quitSignals();
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
    // No one is there to answer: no further box is shown, and input not yet
    // saved is not saved but kept as the editor's draft for the next start.
    // Boxes that are open are closed as with Esc.
    const bool again = s_requested;
    s_requested = true;
    Messages::setEnding(true);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
    if (!m_inMainLoop)
        return; // the start-up sees requested() and ends
    if (again) {
        QCoreApplication::exit(0);
        return;
    }
    // Closing the windows lets each finish as on a normal close (the editor
    // keeps its lists); a window that would not close does not keep the
    // program alive.
    QCoreApplication::quit();
    QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(0); });
}

QuitSignals::~QuitSignals()
{
    if (m_fd >= 0)
        ::close(m_fd);
    s_requested = false;
    Messages::setEnding(false);
}
