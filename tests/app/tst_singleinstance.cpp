#include "singleinstance.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTest>

#include <unistd.h>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondHolderIsRefused();
    void leftLocksNeverBlock();
    void secondProgramBringsTheRunningOneForward();
    void lockIsTheUsersOwn();
    void stopEndsTheStartUpErrorBox();
};

void TestSingleInstance::secondHolderIsRefused()
{
    const QString name = "tramora-test-" + QString::number(QCoreApplication::applicationPid());
    {
        SingleInstance first(name);
        QVERIFY(first.acquire());
        SingleInstance second(name);
        QVERIFY(!second.acquire());
    }
    SingleInstance again(name);
    QVERIFY(again.acquire());
}

void TestSingleInstance::leftLocksNeverBlock()
{
    const QString name = "tramora-crashed-" + QString::number(QCoreApplication::applicationPid());
    // a process that started and ended, as a crashed copy leaves its lock
    QProcess gone;
    gone.start("true");
    QVERIFY(gone.waitForStarted());
    const qint64 ended = gone.processId();
    QVERIFY(gone.waitForFinished());
    // and a number that a running process of the same name has now, as in
    // a container that starts the program under the same number each time
    for (const qint64 pid : {ended, QCoreApplication::applicationPid()}) {
        {
            QFile lock(SingleInstance::lockPath(name));
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(pid) + "\n" + QCoreApplication::applicationName().toUtf8() + "\n"
                       + QSysInfo::machineHostName().toUtf8() + "\n");
        }
        SingleInstance next(name);
        QVERIFY(next.acquire());
    }
}

void TestSingleInstance::secondProgramBringsTheRunningOneForward()
{
    const QString program = QStringLiteral(TRAMORA_EXECUTABLE);
    SingleInstance running(QFileInfo(program).completeBaseName());
    if (!running.acquire())
        QSKIP("a copy of the program is running on this machine");
    int asked = 0;
    running.listen([&] { ++asked; });
    QProcess second;
    second.start(program, {});
    QVERIFY(second.waitForStarted());
    while (second.state() != QProcess::NotRunning)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    QCOMPARE(asked, 1);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(QString::fromUtf8("läuft bereits")));
}

void TestSingleInstance::lockIsTheUsersOwn()
{
    const QString name = "tramora-shared-" + QString::number(QCoreApplication::applicationPid());
    // a live lock of that name in the shared temporary folder, as another
    // user's copy or anyone else could leave it
    QFile foreign(QDir::temp().filePath(name + ".lock"));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n"
                  + QCoreApplication::applicationName().toUtf8() + "\n"
                  + QSysInfo::machineHostName().toUtf8() + "\n");
    foreign.close();
    const auto removeForeign = qScopeGuard([&] { foreign.remove(); });
    {
        SingleInstance mine(name);
        QVERIFY(mine.acquire());
    }
    const QFileInfo folder(QFileInfo(SingleInstance::lockPath(name)).absolutePath());
    QVERIFY(folder.isDir());
    QCOMPARE(folder.ownerId(), uint(getuid()));
    QVERIFY(!(folder.permissions() & (QFile::WriteGroup | QFile::WriteOther)));
}

void TestSingleInstance::stopEndsTheStartUpErrorBox()
{
    // A copy of the program in a folder of its own, whose start-up writes
    // config.ini and then fails on aliases.conf with its error box.
    TestFolder dir;
    const QString program = dir.file("tramora-stop-" + QString::number(QCoreApplication::applicationPid()));
    QVERIFY(QFile::copy(QStringLiteral(TRAMORA_EXECUTABLE), program));
    QVERIFY(QDir().mkdir(dir.file("aliases.conf")));
    QProcess copy;
    copy.start(program, {});
    QVERIFY(copy.waitForStarted());
    // no event is handled between writing config.ini and the box, so the
    // stop is taken while the box is open
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dir.file("config.ini")), 60000);
    copy.terminate();
    QVERIFY(copy.waitForFinished(60000));
    QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(SingleInstance::lockPath(QFileInfo(program).completeBaseName())));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
