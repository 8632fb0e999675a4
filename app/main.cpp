#include "datafiles.h"
#include "messages.h"
#include "quitsignals.h"
#include "singleinstance.h"
#include "tform1.h"
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
    QApplication::setApplicationName(QStringLiteral("Tramora"));
    QApplication::setApplicationVersion(QStringLiteral(TRAMORA_VERSION));
    installGermanTranslations(app);

    const QString exeFolder = QCoreApplication::applicationDirPath();
    TSplashForm splash(exeFolder + QStringLiteral("/ressource.rcc"));
    splash.show();
    splash.repaint();
    QApplication::processEvents();

    QGuiApplication::setApplicationDisplayName(Messages::applicationTitle());
    TForm1 form({datafiles::programFolder(exeFolder), 2000});
    splash.close();
    form.show();
    return QApplication::exec();
}
