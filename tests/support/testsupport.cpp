#include "testsupport.h"

#include "messages.h"
#include "session.h"
#include "translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QUuid>
#include <QWidget>

TestFolder::TestFolder()
{
    const TestServer& server = testServer();
    if (!server.configured || !server.skipReason.isEmpty())
        return;
    QFile aliases(file(QStringLiteral("aliases.conf")));
    if (aliases.open(QIODevice::WriteOnly))
        aliases.write("workout=" + QFile::encodeName(server.newDatabase()) + "\r\n");
}

QString TestServer::newDatabase() const
{
    return address + QLatin1Char(':') + dataFolder + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::Id128)
           + QStringLiteral(".fdb");
}

const TestServer& testServer()
{
    static const TestServer server = [] {
        TestServer s;
        const QString envFile = qEnvironmentVariable("TRAMORA_SERVER_ENV");
        if (envFile.isEmpty())
            return s;
        s.configured = true;
        QFile file(envFile);
        if (!file.open(QIODevice::ReadOnly)) {
            s.skipReason = QStringLiteral("no test server: %1 is missing").arg(envFile);
            return s;
        }
        // KEY='value' lines, as the start script writes them
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq < 0)
                continue;
            QByteArray value = line.mid(eq + 1).trimmed();
            if (value.startsWith('\'') && value.endsWith('\''))
                value = value.mid(1, value.size() - 2);
            const QByteArray key = line.left(eq).trimmed();
            if (key == "TRAMORA_SERVER_SKIP")
                s.skipReason = QString::fromUtf8(value);
            else if (key == "TRAMORA_SERVER")
                s.address = QString::fromUtf8(value);
            else if (key == "TRAMORA_SERVER_DATA")
                s.dataFolder = QString::fromUtf8(value);
            else if (key == "ISC_USER" || key == "ISC_PASSWORD")
                qputenv(key.constData(), value);
        }
        if (s.skipReason.isEmpty() && s.address.isEmpty())
            s.skipReason = QStringLiteral("no test server named in %1").arg(envFile);
        return s;
    }();
    return server;
}

void skipWithoutTestServer()
{
    const TestServer& server = testServer();
    if (server.configured && !server.skipReason.isEmpty())
        QSKIP(qPrintable(server.skipReason));
}

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
