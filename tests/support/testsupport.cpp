#include "testsupport.h"

#include "messages.h"
#include "query.h"
#include "session.h"
#include "translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTemporaryDir>
#include <QUuid>
#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <sys/stat.h>
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

int fileMode(const QString& path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QString scalar(Session& session, const QString& sql)
{
    Query q(session.ZDatabase1);
    q.open(sql);
    return q.eof() ? QString() : q.field(0).asString();
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

namespace {

QString nameOf(const QWidget* w)
{
    if (!w->objectName().isEmpty())
        return w->objectName();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return QStringLiteral("label \"%1\"").arg(label->text());
    return QString::fromLatin1(w->metaObject()->className());
}

// Whether the line edit shows its whole text: the cursor moved from the
// first to the last character travels the text's full width, unscrolled.
bool showsWholeText(QLineEdit* edit)
{
    const int before = edit->cursorPosition();
    edit->setCursorPosition(0);
    const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
    edit->setCursorPosition(int(edit->displayText().size()));
    const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
    edit->setCursorPosition(before);
    const int text = edit->fontMetrics().horizontalAdvance(edit->displayText());
    return end - start >= text - 1 && end < edit->width();
}

QString textFault(QWidget* c)
{
    const QSize size = c->size();
    if (auto* label = qobject_cast<QLabel*>(c)) {
        if (label->wordWrap())
            return label->heightForWidth(size.width()) > size.height() ? QStringLiteral("text cut") : QString();
        const QSize needed = label->sizeHint();
        return needed.width() > size.width() || needed.height() > size.height() ? QStringLiteral("text cut")
                                                                                 : QString();
    }
    if (qobject_cast<QAbstractButton*>(c) || qobject_cast<QComboBox*>(c)) {
        const QSize needed = c->sizeHint();
        return needed.width() > size.width() || needed.height() > size.height() ? QStringLiteral("text cut")
                                                                                 : QString();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(c))
        return showsWholeText(edit) ? QString() : QStringLiteral("text cut");
    if (auto* grid = qobject_cast<QTableView*>(c))
        return grid->horizontalHeader()->length() > grid->viewport()->width() ? QStringLiteral("columns cut")
                                                                               : QString();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(c))
        return memo->viewport()->height() < 3 * memo->fontMetrics().lineSpacing() ? QStringLiteral("too low")
                                                                                  : QString();
    return QString();
}

} // namespace

QStringList layoutFaults(const QList<QWidget*>& containers)
{
    QStringList faults;
    for (QWidget* container : containers) {
        QList<QWidget*> controls;
        for (QWidget* c : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (c->isVisible() && !c->isWindow())
                controls << c;
        for (int i = 0; i < controls.size(); ++i) {
            QWidget* c = controls[i];
            if (!container->rect().contains(c->geometry()))
                faults << nameOf(c) + QStringLiteral(" outside ") + nameOf(container);
            if (const QString fault = textFault(c); !fault.isEmpty())
                faults << nameOf(c) + QLatin1Char(' ') + fault;
            for (int j = i + 1; j < controls.size(); ++j)
                if (c->geometry().intersects(controls[j]->geometry()))
                    faults << nameOf(c) + QStringLiteral(" overlaps ") + nameOf(controls[j]);
        }
    }
    return faults;
}

int runOnScreen(QObject& test, int argc, char* argv[], const QSize& screen, qreal scale)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2, )"
                              R"("logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(screen.width())
                   .arg(screen.height())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    QApplication app(argc, argv);
    return QTest::qExec(&test, argc, argv);
}
