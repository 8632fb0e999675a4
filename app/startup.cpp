#include "startup.h"

#include "quitsignals.h"

#include <QCoreApplication>

void prepareApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tramora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRAMORA_VERSION));
}

std::unique_ptr<TForm1> createMainWindow(const StartOptions& options)
{
    auto form = std::make_unique<TForm1>(options);
    if (QuitSignals::requested() || !form->startedUp())
        return nullptr;
    return form;
}
