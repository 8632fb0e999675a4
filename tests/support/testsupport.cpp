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

void typeText(QWidget* field, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
            continue;
        }
        const qsizetype size = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString key = text.mid(i, size);
        i += size - 1;
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, key, Qt::NoModifier);
    }
}
