#include "datafiles.h"
#include "quitsignals.h"
#include "singleinstance.h"
#include "startup.h"
#include "translations.h"
#include "tsplashform.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QuitSignals::blockInAllThreads();

    // A second copy ends at once, silently.
    SingleInstance instance(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
    if (!instance.acquire())
        return 0;

    QApplication app(argc, argv);
    QuitSignals quitSignals;
    prepareApplication();
    installGermanTranslations(app);

    const QString exeFolder = QCoreApplication::applicationDirPath();
    TSplashForm splash(exeFolder + QStringLiteral("/ressource.rcc"));
    splash.show();
    splash.repaint();
    QApplication::processEvents();

    const std::unique_ptr<TForm1> form = createMainWindow({datafiles::programFolder(exeFolder), 2000});
    splash.close();
    if (!form)
        return QuitSignals::requested() ? 0 : 1;
    form->show();
    quitSignals.mainLoopStarts();
    return QApplication::exec();
}
