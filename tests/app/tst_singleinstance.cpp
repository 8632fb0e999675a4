#include "singleinstance.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondHolderIsRefused();
    void lockOfEndedProcessIsStale();
    void secondProgramEndsSilently();
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

void TestSingleInstance::lockOfEndedProcessIsStale()
{
    const QString name = "tramora-crashed-" + QString::number(QCoreApplication::applicationPid());
    // a process that started and ended, as a crashed copy leaves its lock
    QProcess gone;
    gone.start("true");
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    {
        QFile lock(SingleInstance::lockPath(name));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + "\ntramora\n"
                   + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    SingleInstance next(name);
    QVERIFY(next.acquire());
}

void TestSingleInstance::secondProgramEndsSilently()
{
    const QString program = QStringLiteral(TRAMORA_EXECUTABLE);
    SingleInstance running(QFileInfo(program).completeBaseName());
    if (!running.acquire())
        QSKIP("a copy of the program is running on this machine");
    QProcess second;
    second.start(program, {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(second.readAllStandardError(), QByteArray());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
