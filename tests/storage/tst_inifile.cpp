#include "datafiles.h"
#include "inifile.h"
#include "storageerror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingFileAndKeysGiveDefaults();
    void namesCompareWithoutCase();
    void writingKeepsOtherLines();
    void newKeysAndSections();
    void truthValuesAndIntegers();
    void codePage1252();
    void itemLists();
    void failedWriteKeepsTheOldFile();
    void readOnceWrittenOnCommit();
    void tooLargeFileIsSetAside();
    void fullDiskAtTheFirstStart();
};

static void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void TestIniFile::missingFileAndKeysGiveDefaults()
{
    TestFolder dir;
    IniFile ini(dir.file("config.ini"));
    QCOMPARE(ini.readString("Report", "Font", "Arial"), QString("Arial"));
    QCOMPARE(ini.readInteger("Statistik", "Kind", 1), 1);
    QCOMPARE(ini.readBool("Statistik", "3D", false), false);
    writeFile(dir.file("config.ini"), "[Report]\r\nFont=Verdana\r\n");
    QCOMPARE(ini.readString("Report", "StartDate", "01.01.2009"), QString("01.01.2009"));
    QCOMPARE(ini.readString("Statistik", "Font", "Arial"), QString("Arial"));
    QCOMPARE(ini.readInteger("Report", "Font", 7), 7); // not a number
}

void TestIniFile::namesCompareWithoutCase()
{
    TestFolder dir;
    writeFile(dir.file("config.ini"), "[sportarten]\r\n ITEMS = Laufen%\r\n[Wetter]\r\nItems=sonnig%\r\n");
    IniFile ini(dir.file("config.ini"));
    QCOMPARE(ini.readString("Sportarten", "Items", ""), QString("Laufen%"));
    QCOMPARE(ini.readString("WETTER", "items", ""), QString("sonnig%"));
    ini.writeString("SPORTARTEN", "Items", "Rudern%");
    ini.commit();
    QCOMPARE(readBytes(dir.file("config.ini")), QByteArray("[sportarten]\r\nItems=Rudern%\r\n[Wetter]\r\nItems=sonnig%\r\n"));
}

void TestIniFile::writingKeepsOtherLines()
{
    TestFolder dir;
    const QByteArray before = "; a comment\r\n[Report]\r\nFont=Arial\r\nSummaryWeek=0\r\n\r\n[Statistik]\r\nKind=3\r\n";
    writeFile(dir.file("config.ini"), before);
    IniFile ini(dir.file("config.ini"));
    ini.writeBool("Report", "SummaryWeek", true);
    ini.commit();
    QByteArray expected = before;
    expected.replace("SummaryWeek=0", "SummaryWeek=1");
    QCOMPARE(readBytes(dir.file("config.ini")), expected);
}

void TestIniFile::newKeysAndSections()
{
    TestFolder dir;
    writeFile(dir.file("config.ini"), "[Report]\r\nFont=Arial\r\n\r\n[Statistik]\r\nKind=3\r\n");
    IniFile ini(dir.file("config.ini"));
    ini.writeString("Report", "EndDate", "31.12.2025");
    ini.writeInteger("DontShowDialogs", "HFDialog", 1);
    ini.commit();
    QCOMPARE(readBytes(dir.file("config.ini")),
             QByteArray("[Report]\r\nFont=Arial\r\nEndDate=31.12.2025\r\n\r\n[Statistik]\r\nKind=3\r\n"
                        "[DontShowDialogs]\r\nHFDialog=1\r\n"));
    QCOMPARE(ini.readString("report", "enddate", ""), QString("31.12.2025"));

    // a file that does not exist yet is created
    IniFile fresh(dir.file("new.ini"));
    fresh.writeString("Wetter", "Items", "");
    fresh.commit();
    QCOMPARE(readBytes(dir.file("new.ini")), QByteArray("[Wetter]\r\nItems=\r\n"));
}

void TestIniFile::truthValuesAndIntegers()
{
    TestFolder dir;
    IniFile ini(dir.file("config.ini"));
    ini.writeBool("Statistik", "3D", true);
    ini.writeInteger("Statistik", "3DValue", 42);
    ini.commit();
    QVERIFY(readBytes(dir.file("config.ini")).contains("3D=1\r\n3DValue=42"));
    QCOMPARE(ini.readBool("Statistik", "3D", false), true);
    QCOMPARE(ini.readInteger("Statistik", "3DValue", 15), 42);
    ini.writeString("Statistik", "3D", "2"); // anything but 0 is true
    QCOMPARE(ini.readBool("Statistik", "3D", false), true);
    ini.writeBool("Statistik", "3D", false);
    QCOMPARE(ini.readBool("Statistik", "3D", true), false);
}

void TestIniFile::codePage1252()
{
    TestFolder dir;
    IniFile ini(dir.file("config.ini"));
    ini.writeString("Wetter", "Items", QString::fromUtf8("heiß%Nässe%5 €%"));
    ini.commit();
    QCOMPARE(readBytes(dir.file("config.ini")), QByteArray("[Wetter]\r\nItems=hei\xDF%N\xE4sse%5 \x80%\r\n"));
    QCOMPARE(ini.readString("Wetter", "Items", ""), QString::fromUtf8("heiß%Nässe%5 €%"));
}

void TestIniFile::itemLists()
{
    QCOMPARE(splitItemList("Laufen%Radfahren%Schwimmen%"), QStringList({"Laufen", "Radfahren", "Schwimmen"}));
    QCOMPARE(splitItemList(""), QStringList({""}));
    QCOMPARE(splitItemList("Laufen%Rad"), QStringList({"Laufen", "Rad"}));
    QCOMPARE(splitItemList("%%"), QStringList({"", ""}));
    QCOMPARE(joinItemList({"Laufen", "Rad"}), QString("Laufen%Rad%"));
    QCOMPARE(joinItemList({}), QString());
}

void TestIniFile::failedWriteKeepsTheOldFile()
{
    // A folder that takes no new file, and a disk that takes no more than
    // a few bytes: writing the settings fails, and the file stays whole.
    TestFolder dir;
    const QByteArray before = "[Sportarten]\r\nItems=Laufen%Radfahren%Schwimmen%Rudern%\r\n[Wetter]\r\nItems=sonnig%\r\n";
    writeFile(dir.file("config.ini"), before);
    const bool root = getuid() == 0;
    QVERIFY(QFile::setPermissions(dir.file("config.ini"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                              | QFileDevice::ReadOther | QFileDevice::WriteOther));
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                  | QFileDevice::ExeOther | (root ? QFileDevice::WriteOwner
                                                                                  : QFileDevice::Permissions())));
    const pid_t child = fork();
    if (child == 0) {
        // root passes every permission check: the write is tried as nobody
        if (root && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            IniFile ini(dir.file("config.ini"));
            ini.writeString("Wetter", "Items", "sonnig%neblig%");
            ini.commit();
        } catch (const StorageError& e) {
            _exit(e.message().contains("Die Einstellungen konnten nicht gespeichert werden") ? 0 : 2);
        }
        _exit(1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readBytes(dir.file("config.ini")), before);
}

void TestIniFile::readOnceWrittenOnCommit()
{
    TestFolder dir;
    const QString path = dir.file("config.ini");
    writeFile(path, "[Report]\r\nFont=Arial\r\n[Wetter]\r\nItems=sonnig%\r\n");
    IniFile ini(path);
    writeFile(path, "[Report]\r\nFont=Verdana\r\n");
    QCOMPARE(ini.readString("Report", "Font", ""), QString("Arial"));
    QCOMPARE(ini.readString("Wetter", "Items", ""), QString("sonnig%"));

    ini.writeString("Report", "Font", "Tahoma");
    ini.writeBool("Report", "SummaryWeek", true);
    QCOMPARE(ini.readString("Report", "Font", ""), QString("Tahoma"));
    QCOMPARE(readBytes(path), QByteArray("[Report]\r\nFont=Verdana\r\n"));
    ini.commit();
    const QByteArray written = "[Report]\r\nFont=Tahoma\r\nSummaryWeek=1\r\n[Wetter]\r\nItems=sonnig%\r\n";
    QCOMPARE(readBytes(path), written);

    // nothing new: the file is not written again
    writeFile(path, "[Report]\r\n");
    ini.commit();
    QCOMPARE(readBytes(path), QByteArray("[Report]\r\n"));
    IniFile untouched(path);
    untouched.commit();
    QVERIFY(QFile::remove(path));
    untouched.commit();
    QVERIFY(!QFile::exists(path));
}

void TestIniFile::tooLargeFileIsSetAside()
{
    TestFolder dir;
    const QString path = dir.file("config.ini");
    const QByteArray big = "[Sportarten]\r\nItems=Laufen%\r\n" + QByteArray(IniFile::kLargestFile, 'x');
    writeFile(path, big);

    // not read, and not written over: its lines would be lost
    IniFile ini(path);
    QCOMPARE(ini.readString("Sportarten", "Items", "Laufen%Radfahren%Schwimmen%"), QString("Laufen%Radfahren%Schwimmen%"));
    ini.writeString("Wetter", "Items", "sonnig%");
    QVERIFY_THROWS_EXCEPTION(StorageError, ini.commit());
    QCOMPARE(readBytes(path).size(), big.size());

    QCOMPARE(IniFile::setAsideWhenTooLarge(dir.file("missing.ini")), QString());
    const QString note = IniFile::setAsideWhenTooLarge(path);
    QVERIFY2(note.contains(QString::fromUtf8("viel größer")) && note.contains("config.ini.zu-gross")
                 && note.contains("Grundeinstellungen"),
             qPrintable(note));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(readBytes(path + ".zu-gross"), big);

    // a second one does not replace the first copy
    writeFile(path, big);
    QVERIFY(IniFile::setAsideWhenTooLarge(path).contains("config.ini.zu-gross-2"));
    QCOMPARE(readBytes(path + ".zu-gross").size(), big.size());
    writeFile(path, "[Report]\r\n");
    QCOMPARE(IniFile::setAsideWhenTooLarge(path), QString());
    QCOMPARE(readBytes(path), QByteArray("[Report]\r\n"));
}

void TestIniFile::fullDiskAtTheFirstStart()
{
    // The default file cannot be written: the start says so and leaves no
    // empty file; once there is space, the next start writes it whole.
    TestFolder dir;
    const QString path = dir.file("config.ini");
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            datafiles::ensureSettingsFile(path);
        } catch (const StorageError&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(!QFile::exists(path) || QFileInfo(path).size() > 0);

    // closing a window on a full disk: the change is refused, the file stays
    const QByteArray before = "[Sportarten]\r\nItems=Laufen%\r\n";
    writeFile(path, before);
    const pid_t closing = fork();
    if (closing == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        IniFile ini(path);
        ini.writeString("Wetter", "Items", "sonnig%neblig%");
        try {
            ini.commit();
        } catch (const StorageError&) {
            _exit(0);
        }
        _exit(1);
    }
    QCOMPARE(waitpid(closing, &status, 0), closing);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readBytes(path), before);
    QVERIFY(QFile::remove(path));

    const QByteArray defaults = "[Sportarten]\r\nItems=Laufen%Radfahren%Schwimmen%\r\n";
    writeFile(path, ""); // what an older start left
    datafiles::ensureSettingsFile(path);
    QCOMPARE(readBytes(path), defaults);
    writeFile(path, "[Report]\r\n");
    datafiles::ensureSettingsFile(path);
    QCOMPARE(readBytes(path), QByteArray("[Report]\r\n"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
