#include "datafiles.h"
#include "enginelock.h"
#include "messages.h"
#include "quitsignals.h"
#include "singleinstance.h"
#include "startup.h"
#include "translations.h"
#include "tsplashform.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>

#include <cstdio>

namespace {

// Brings a window to the front of the desktop, out of the task bar if need be.
void bringForward(QWidget* window)
{
    if (!window || !window->isVisible())
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

} // namespace

int main(int argc, char* argv[])
{
    // Before anything loads the database engine or starts a thread: the
    // engine reads its lock folder from the environment.
    enginelock::useOwnFolder();
    QuitSignals::blockInAllThreads();

    SingleInstance instance(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
    if (!instance.acquire()) {
        // A second copy does not start: the running one comes forward, or
        // the user learns why nothing else happens.
        QApplication app(argc, argv);
        prepareApplication();
        installGermanTranslations(app);
        if (instance.activateRunning()) {
            std::fputs("Das Programm läuft bereits; sein Fenster wurde nach vorn geholt.\n", stderr);
        } else {
            Messages::show(nullptr, QMessageBox::Information, Messages::applicationTitle(),
                           QStringLiteral("Das Programm läuft bereits."), QMessageBox::Ok);
        }
        return 1;
    }

    QApplication app(argc, argv);
    QuitSignals quitSignals;
    prepareApplication();
    installGermanTranslations(app);

    const QString exeFolder = QCoreApplication::applicationDirPath();
    TSplashForm splash(exeFolder + QStringLiteral("/ressource.rcc"));
    QPointer<QWidget> front = &splash;
    instance.listen([&front] { bringForward(front); });
    splash.show();
    splash.repaint();
    QApplication::processEvents();

    const datafiles::Location location = datafiles::locate(exeFolder);
    const std::unique_ptr<TForm1> form = createMainWindow({location.folder, 2000, location.notice, location.settingsPath});
    splash.close();
    if (!form)
        return QuitSignals::requested() ? 0 : 1;
    front = form.get();
    form->show();
    quitSignals.mainLoopStarts();
    return QApplication::exec();
}
