#include "testsupport.h"

#include "messages.h"
#include "session.h"
#include "translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWidget>

TestFolder::TestFolder() = default;

QString TestFolder::path() const
{
    return QDir::toNativeSeparators(m_dir.path()) + QDir::separator();
}

void initTestEnvironment()
{
    static bool translated = false;
    if (!translated) {
        installGermanTranslations(*QCoreApplication::instance());
        translated = true;
    }
    Messages::clearQueuedAnswers();
    Messages::clearShown();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString scalar(Session& session, const QString& sql)
{
    session.ZQuery1.open(sql);
    return session.ZQuery1.eof() ? QString() : session.ZQuery1.field(0).asString();
}

bool showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}
