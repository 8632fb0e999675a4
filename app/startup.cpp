#include "startup.h"

#include "dbserver.h"
#include "logindialog.h"
#include "quitsignals.h"

#include <QGuiApplication>
#include <QIcon>

void prepareApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tramora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRAMORA_VERSION));
    // The desktop finds the menu entry tramora.desktop, and with it the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tramora"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tramora.svg")));
    // A diary on a server without ISC_USER and ISC_PASSWORD asks who is working.
    serverlogin::setPrompt([](const QString& server, const QString& user) { return LoginDialog::ask(server, user); });
}

std::unique_ptr<TForm1> createMainWindow(const StartOptions& options)
{
    auto form = std::make_unique<TForm1>(options);
    if (QuitSignals::requested() || !form->startedUp())
        return nullptr;
    return form;
}
